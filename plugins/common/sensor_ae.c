/* The AE attribute block and the operations that fill it: defaults, mode and frame rate, gain split. */
#include "sensor_internal.h"
#include "sensor_isp_host.h"

/* fn_x10 is 16 in every shipped point. */
#define EXPO_POINT(shutter_us, sensor_gain, isp_gain) \
    { 16, (shutter_us), (sensor_gain), (isp_gain) }

/* The shipped exposure curves, the same for every sensor. */
sensor_ae_attr_st gst_sensor_ae = {
    .word_068 = 1,
    .expo_tables =
        {
            /* 0: 25 fps */
            {6,
             {
                 EXPO_POINT(150, 1024, 1024),
                 EXPO_POINT(40000, 1024, 1024),
                 EXPO_POINT(40000, 30720, 30720),
                 EXPO_POINT(200000, 30720, 30720),
                 EXPO_POINT(200000, 1445888, 1445888),
                 EXPO_POINT(200000, 1462272, 1445888),
             }},
            /* 1: 30 fps */
            {6,
             {
                 EXPO_POINT(150, 1024, 1024),
                 EXPO_POINT(33333, 1024, 1024),
                 EXPO_POINT(33333, 30720, 30720),
                 EXPO_POINT(200000, 30720, 30720),
                 EXPO_POINT(200000, 1445888, 1445888),
                 EXPO_POINT(200000, 1462272, 1445888),
             }},
            /* 2 */
            {6,
             {
                 EXPO_POINT(150, 1075, 1075),
                 EXPO_POINT(30300, 1075, 1075),
                 EXPO_POINT(30300, 30720, 30720),
                 EXPO_POINT(200000, 30720, 30720),
                 EXPO_POINT(200000, 1445888, 1445888),
                 EXPO_POINT(200000, 1462272, 1445888),
             }},
            /* 3: short exposures only */
            {6,
             {
                 EXPO_POINT(30, 1075, 1075),
                 EXPO_POINT(3030, 1075, 1075),
                 EXPO_POINT(3030, 1075, 1075),
                 EXPO_POINT(3030, 8192, 8192),
                 EXPO_POINT(3030, 8192, 8192),
                 EXPO_POINT(3030, 8192, 8192),
             }},
        },
};

static uint32_t word_072_from_084(void) {
    return 2u * gst_sensor_ae.word_084 / 1000u;
}

int sensor_init_ae(int unused) {
    (void)unused;
    const sensor_profile_st* profile = &g_sensor_profile;
    for (size_t n = 0; n < profile->ae_default_count; ++n) {
        const ae_default_st* row = &profile->ae_defaults[n];
        char* at = (char*)&gst_sensor_ae + row->offset;
        switch (row->kind) {
            case AE_STORE_F32:
                *(float*)at = row->value.f;
                break;
            case AE_STORE_FROM_084:
                *(uint32_t*)at = word_072_from_084();
                break;
            default:
                *(uint32_t*)at = row->value.u;
                break;
        }
    }
    return 0;
}

int sensor_set_mode(int param0, int param1, unsigned fps, int mode) {
    /* Only mode 1 divides by the rate: there a rate of 0 means the default rate. Any other mode keeps the 0
       it was given, as the host reads back what it set. */
    if (fps == 0 && mode == 1) fps = SENSOR_DEFAULT_FPS;
    if (fps > SENSOR_MAX_FPS) fps = SENSOR_MAX_FPS;

    gst_sensor_ae.fps = fps;
    gst_sensor_ae.mode_param0 = (uint32_t)param0;
    gst_sensor_ae.mode_param1 = (uint32_t)param1;
    gst_sensor_ae.mode = (uint32_t)mode;
    gst_ae_params.mode = (uint32_t)mode;
    gst_po_params.mode = (uint32_t)mode;

    if (mode == 1) {
        gst_sensor_ae.word_076 = (1000000u + fps / 2u) / fps;
        gst_sensor_ae.word_072 = 1792;
    } else {
        gst_sensor_ae.word_076 = 1000000;
        gst_sensor_ae.word_072 = word_072_from_084();
    }

    gst_sensor_ae.expo_table = &gst_sensor_ae.expo_tables[fps == 30 ? 1 : 0];
    gst_sensor_ae.expo_table2 = &gst_sensor_ae.expo_tables[2];
    gst_sensor_ae.expo_table3 = &gst_sensor_ae.expo_tables[3];
    return 0;
}

/* A zero limit (the whole block is zero until pfn_init_ae) counts as unity, so no split divides by zero. */
static uint32_t clamp_gain(uint64_t gain, uint32_t limit) {
    if (limit == 0) limit = SENSOR_UNITY_GAIN;
    if (gain < SENSOR_UNITY_GAIN) gain = SENSOR_UNITY_GAIN;
    if (gain > limit) gain = limit;
    return (uint32_t)gain;
}

static void put_gain(unsigned* out, uint32_t gain) {
    if (out) *out = gain;
}

int sensor_split_gain(unsigned total, unsigned* sensor, unsigned* digital, unsigned* isp) {
    put_gain(sensor, SENSOR_UNITY_GAIN);
    put_gain(digital, SENSOR_UNITY_GAIN);
    put_gain(isp, SENSOR_UNITY_GAIN);

    /* 64 bits: total * 1024 leaves 32 bits from a total of 4194304 on. */
    const uint64_t scaled = (uint64_t)total * SENSOR_UNITY_GAIN;
    const uint32_t s = clamp_gain(total, gst_sensor_ae.max_sensor_gain);
    const uint32_t d = clamp_gain(scaled / s, gst_sensor_ae.max_digital_gain);
    /* The quotient is whole before it is scaled: the ISP gain moves in unity steps. */
    const uint32_t i = clamp_gain(scaled / ((uint64_t)s * d) * SENSOR_UNITY_GAIN, gst_sensor_ae.max_isp_gain);

    put_gain(sensor, s);
    put_gain(digital, d);
    put_gain(isp, i);
    return 0;
}
