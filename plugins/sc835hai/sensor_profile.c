/* SC835HAI: identity and AE defaults. */
#include "sensor_profile.h"

static const ae_default_st k_ae_defaults[] = {
    AE_U32(fps, 25),
    AE_U32(word_080, 40000),
    AE_U32(word_084, 20000),
    AE_U32(word_076, 1000000),
    AE_FROM_084(word_072),
    AE_U32(word_092, 102400),
    AE_U32(word_088, 51200),
    AE_U32(max_sensor_gain, 31744), /* 31x */
    AE_U32(max_digital_gain, 4096), /* 4x */
    AE_U32(max_isp_gain, 16384),    /* 16x */
    AE_U32(word_128, 12800),
    AE_U32(word_132, 2500),
    AE_U32(word_136, 12800),
    AE_U32(word_140, 2500),
    AE_F32(coef_144, 1.0f),
    AE_F32(coef_148, 1.05571103f),
    AE_F32(coef_152, 1.11523294f),
    AE_F32(coef_156, 2.081e9f),
    AE_F32(coef_160, -2.852f),
    AE_F32(coef_164, 53.6f),
    AE_U32(word_168, 1000),
    AE_U32(word_172, 100000),
    AE_U32(word_176, 100),
    AE_U32(word_180, 12800),
    AE_U32(word_184, 100),
    AE_U32(word_188, 13000),
    AE_U32(word_192, 25),
    AE_U32(word_196, 175),
    AE_U32(word_200, 2500),
    AE_U32(word_204, 51200),
    AE_U32(word_208, 5000),
    AE_U32(word_212, 600),
    AE_U32(word_216, 12800),
};

const sensor_profile_st g_sensor_profile = {
    .name = "sc835hai",
    .build_date = "May 14 2025",
    .build_time = "16:56:57",
    .version = "b0024",
    .ae_defaults = k_ae_defaults,
    .ae_default_count = sizeof k_ae_defaults / sizeof k_ae_defaults[0],
};
