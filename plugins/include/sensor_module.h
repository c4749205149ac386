/* The record a sensor tuning plug-in exports to the ISP host, and the AE attribute block it points to.
 * On the camera (32-bit pointers) the layout is the host's contract, offset for offset; on a 64-bit
 * workstation the same fields take their natural places. */
#ifndef IMAGETUNE_PLUGINS_SENSOR_MODULE_H
#define IMAGETUNE_PLUGINS_SENSOR_MODULE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SENSOR_EXPO_POINTS 16
#define SENSOR_EXPO_TABLES 4

/* One step of an exposure curve; gains in 1/1024 units. */
typedef struct {
    uint32_t fn_x10;     /* aperture value for the host */
    uint32_t shutter_us; /* exposure time */
    uint32_t sensor_gain;
    uint32_t isp_gain;
} ae_expo_point_st;

typedef struct {
    uint32_t num_points; /* points past this one are zero */
    ae_expo_point_st points[SENSOR_EXPO_POINTS];
} ae_expo_table_st;

/* Words named word_NNN carry the host's meaning at byte offset NNN of the 32-bit layout; the plug-in only
 * stores them. */
typedef struct {
    uint32_t word_000[5];
    uint32_t mode_param0; /* pfn_set_mode's first argument */
    uint32_t mode_param1; /* pfn_set_mode's second argument */
    uint32_t fps;
    uint32_t mode;
    uint32_t word_036[8];
    uint32_t word_068;
    uint32_t word_072; /* 2 * word_084 / 1000, or 1792 in mode 1 */
    uint32_t word_076; /* 1000000, or the frame time in us in mode 1 */
    uint32_t word_080;
    uint32_t word_084;
    uint32_t word_088;
    uint32_t word_092;
    uint32_t word_096;
    uint32_t max_sensor_gain;
    uint32_t max_digital_gain;
    uint32_t max_isp_gain;
    uint32_t word_112;
    const ae_expo_table_st* expo_table; /* the table for the current frame rate */
    const ae_expo_table_st* expo_table2;
    const ae_expo_table_st* expo_table3;
    uint32_t word_128;
    uint32_t word_132;
    uint32_t word_136;
    uint32_t word_140;
    float coef_144;
    float coef_148;
    float coef_152;
    float coef_156;
    float coef_160;
    float coef_164;
    uint32_t word_168;
    uint32_t word_172;
    uint32_t word_176;
    uint32_t word_180;
    uint32_t word_184;
    uint32_t word_188;
    uint32_t word_192;
    uint32_t word_196;
    uint32_t word_200;
    uint32_t word_204;
    uint32_t word_208;
    uint32_t word_212;
    uint32_t word_216;
    uint32_t word_220[172];
    ae_expo_table_st expo_tables[SENSOR_EXPO_TABLES];
} sensor_ae_attr_st;

/* Every operation takes and returns 32-bit values. */
typedef struct {
    uint32_t id;
    sensor_ae_attr_st* ae_attr;
    int (*pfn_init_ae)(int unused);
    int (*pfn_set_fps_by_power)(int pad);
    int (*pfn_reserved1)(int unused);
    int (*pfn_reserved2)(void);
    int (*pfn_get_info)(char* platform, char* sensor, char* ident, char* build);
    int (*pfn_check_version)(const char* platform, const char* version);
    int (*pfn_set_mode)(int param0, int param1, unsigned fps, int mode);
    int (*pfn_split_gain)(unsigned total, unsigned* sensor, unsigned* digital, unsigned* isp);
    uint32_t reserved;
} sensor_module_st;

#ifdef __cplusplus
#define SENSOR_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define SENSOR_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

SENSOR_STATIC_ASSERT(sizeof(ae_expo_table_st) == 260, "exposure table size");

#if UINTPTR_MAX == 0xFFFFFFFFu
/* The host reads these blocks by offset: any drift here breaks the camera. */
SENSOR_STATIC_ASSERT(sizeof(sensor_module_st) == 44, "gst_sensor size");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, ae_attr) == 4, "ae_attr");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_init_ae) == 8, "pfn_init_ae");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_set_fps_by_power) == 12, "pfn_set_fps_by_power");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_reserved1) == 16, "pfn_reserved1");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_reserved2) == 20, "pfn_reserved2");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_get_info) == 24, "pfn_get_info");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_check_version) == 28, "pfn_check_version");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_set_mode) == 32, "pfn_set_mode");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, pfn_split_gain) == 36, "pfn_split_gain");
SENSOR_STATIC_ASSERT(offsetof(sensor_module_st, reserved) == 40, "reserved");

SENSOR_STATIC_ASSERT(sizeof(sensor_ae_attr_st) == 1948, "gst_sensor_ae size");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, mode_param0) == 20, "mode_param0");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, mode_param1) == 24, "mode_param1");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, fps) == 28, "fps");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, mode) == 32, "mode");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_068) == 68, "word_068");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_072) == 72, "word_072");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_076) == 76, "word_076");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_080) == 80, "word_080");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_084) == 84, "word_084");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_088) == 88, "word_088");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_092) == 92, "word_092");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, max_sensor_gain) == 100, "max_sensor_gain");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, max_digital_gain) == 104, "max_digital_gain");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, max_isp_gain) == 108, "max_isp_gain");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, expo_table) == 116, "expo_table");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, expo_table2) == 120, "expo_table2");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, expo_table3) == 124, "expo_table3");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_128) == 128, "word_128");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_140) == 140, "word_140");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, coef_144) == 144, "coef_144");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, coef_164) == 164, "coef_164");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_168) == 168, "word_168");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_216) == 216, "word_216");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, word_220) == 220, "word_220");
SENSOR_STATIC_ASSERT(offsetof(sensor_ae_attr_st, expo_tables) == 908, "expo_tables");
#endif

#ifdef __cplusplus
}
#endif

#endif
