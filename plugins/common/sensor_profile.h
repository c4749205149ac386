/* What sets one sensor's plug-in apart: texts, the AE defaults and (in sensor_config.h) the frame-rate
 * switch. Each sensor folder defines g_sensor_profile. */
#ifndef IMAGETUNE_PLUGINS_SENSOR_PROFILE_H
#define IMAGETUNE_PLUGINS_SENSOR_PROFILE_H

#include <stddef.h>
#include <stdint.h>

#include "sensor_module.h"

#define SENSOR_HIDDEN __attribute__((visibility("hidden")))

enum {
    AE_STORE_U32,
    AE_STORE_F32,
    AE_STORE_FROM_084, /* 2 * word_084 / 1000, from the value already stored */
};

/* One word that pfn_init_ae stores; the rows run in the order the host expects them written. */
typedef struct {
    uint16_t offset;
    uint8_t kind;
    union {
        uint32_t u;
        float f;
    } value;
} ae_default_st;

#define AE_U32(field, v)                                    \
    {                                                       \
        offsetof(sensor_ae_attr_st, field), AE_STORE_U32, { \
            .u = (v)                                        \
        }                                                   \
    }
#define AE_F32(field, v)                                    \
    {                                                       \
        offsetof(sensor_ae_attr_st, field), AE_STORE_F32, { \
            .f = (v)                                        \
        }                                                   \
    }
#define AE_FROM_084(field)                                       \
    {                                                            \
        offsetof(sensor_ae_attr_st, field), AE_STORE_FROM_084, { \
            .u = 0                                               \
        }                                                        \
    }

typedef struct {
    const char* name;       /* pfn_get_info's sensor text */
    const char* build_date; /* the stamp of the build the host was qualified with */
    const char* build_time;
    const char* version; /* what pfn_check_version accepts */
    const ae_default_st* ae_defaults;
    size_t ae_default_count;
} sensor_profile_st;

extern const sensor_profile_st g_sensor_profile SENSOR_HIDDEN;

#endif
