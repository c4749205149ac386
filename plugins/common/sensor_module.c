/* The exported record and the identity, version and frame-rate operations. */
#include <stdio.h>
#include <string.h>

#include "sensor_config.h"
#include "sensor_internal.h"
#include "sensor_isp_host.h"

#define SENSOR_EXPORT __attribute__((visibility("default")))

static const char k_platform[] = "vt512ka";
static const char k_ident[] = "s00000";

static int sensor_set_fps_by_power(int pad) {
#if SENSOR_FPS_BY_POWER
    unsigned current = 0;
    /* The driver is asked first, as the host's own sequence does; its answer does not matter here. */
    (void)MI_SNR_GetFps(pad, &current);
    const unsigned fps = machine_power_hz_get(pad) == 60 ? 30u : SENSOR_DEFAULT_FPS;
    return MI_SNR_SetFps(pad, fps);
#else
    (void)pad;
    return 0;
#endif
}

static int sensor_reserved1(int unused) {
    (void)unused;
    return 0;
}

static int sensor_reserved2(void) {
    return 0;
}

static void copy_text(char* to, const char* from) {
    if (!to) return;
    while ((*to++ = *from++) != '\0') {
    }
}

static int sensor_get_info(char* platform, char* sensor, char* ident, char* build) {
    copy_text(platform, k_platform);
    copy_text(sensor, g_sensor_profile.name);
    copy_text(ident, k_ident);
    if (build) sprintf(build, "%s_%s", g_sensor_profile.build_date, g_sensor_profile.build_time);
    return 0;
}

static int sensor_check_version(const char* platform, const char* version) {
    if (!platform || strcmp(platform, k_platform) != 0) return -1;
    if (!version || strcmp(version, g_sensor_profile.version) != 0) return -1;
    return 0;
}

SENSOR_EXPORT sensor_module_st gst_sensor = {
    .id = 0,
    .ae_attr = &gst_sensor_ae,
    .pfn_init_ae = sensor_init_ae,
    .pfn_set_fps_by_power = sensor_set_fps_by_power,
    .pfn_reserved1 = sensor_reserved1,
    .pfn_reserved2 = sensor_reserved2,
    .pfn_get_info = sensor_get_info,
    .pfn_check_version = sensor_check_version,
    .pfn_set_mode = sensor_set_mode,
    .pfn_split_gain = sensor_split_gain,
    .reserved = 0,
};

/* Every module the host loads carries this marker; weak, so that copies never clash. */
SENSOR_EXPORT __attribute__((weak)) const char sstar_mi_so_version_string[] = "SIGMASTAR_MODULE_VERSION";
