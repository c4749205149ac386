// The one entry point of the image-algorithm (IA) library, and the records it exchanges.
// The IA library is provided by the camera; on a workstation sim/ia stands in for it.
#ifndef IMAGETUNE_IA_CTRL_H
#define IMAGETUNE_IA_CTRL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Command numbers are 32-bit on every target; the enumerators below are the ones the library names.
typedef int32_t ia_cmd_e;

enum {
    IA_CMD_OPT_SET = 0,
    IA_CMD_OPT_GET = 1,
    IA_CMD_OPT_GET_PARAM_RNAGE = 2,  // sic: the IA library's own spelling
    IA_CMD_OPT_CORRECT_PARAM = 3,
    IA_CMD_OPT_GET_EXEC_STATUS = 4,
};

enum {
    IA_CMD_UI_SHUTTER_RESET = 8231,
    IA_CMD_DYNAMIC_PARAMS_CMDS_GET = 4112,  // 0x1010
};

// Commands that the library issues outside the key-command map, with the record each one carries.
enum {
    IA_CMD_AE_INFO = 17,           // get: ia_ae_info_st
    IA_CMD_DN_STATE = 153,         // 32-bit day/night state, 0 = day
    IA_CMD_IR_LED_INFO = 178,      // set: ia_ir_led_info_st
    IA_CMD_CAMERA_VERSION = 2496,  // get: a text of IA_CAMERA_VERSION_LEN bytes, NUL-terminated
    IA_CMD_SENSOR_CHECK = 2816,    // 0xB00, set and get: ia_sensor_check_st
};

#define IA_CAMERA_VERSION_LEN 50

#define IA_DYNAMIC_CMDS_MAX 16
#define IA_DYNAMIC_ITEMS_MAX 64

typedef struct {
    int32_t cmd_cnt;                        // valid entries in cmd_list
    int32_t cmd_list[IA_DYNAMIC_CMDS_MAX];  // command numbers
} ia_dynamic_params_cmds_st;

typedef struct {
    int32_t attr_type;  // 0: the valid values are the list in item
    int32_t def_val;
    int32_t min_val;
    int32_t max_val;
    int32_t items_cnt;  // valid entries in item
    int32_t item[IA_DYNAMIC_ITEMS_MAX];
} ia_dynamic_params_attr_st;

// Day/night thresholds, passed with commands 145, 146 and 154.
typedef struct {
    uint32_t d2n_thr;
    uint32_t n2d_thr;
    uint32_t dn_sensitivity;
} dn_thr_st;

// Day/night switching times, passed with commands 149 to 152.
typedef struct {
    uint32_t d2n_hour;
    uint32_t d2n_min;
    uint32_t n2d_hour;
    uint32_t n2d_min;
} dn_time_st;

// Automatic exposure information of IA_CMD_AE_INFO.
typedef struct {
    int32_t r0;
    int32_t r1;
    int32_t r2;
} ia_ae_info_st;

// Infrared LED description of IA_CMD_IR_LED_INFO; the library passes it on as the application built it.
typedef struct {
    int32_t led_count;      // LEDs on the board
    int32_t wavelength_nm;  // 850 or 940 on common boards
    int32_t max_power_mw;   // power budget of all LEDs together
    int32_t reserved[5];
} ia_ir_led_info_st;

// A check command of the application: a, b (2 = read back), c, and the answer for a read-back.
typedef struct {
    int32_t a;
    int32_t b;
    int32_t c;
    int32_t result;
} ia_sensor_check_st;

// The counts as far as the records hold entries: a count from the IA library is never trusted past them.
static inline int ia_cmds_count(const ia_dynamic_params_cmds_st* p) {
    return p->cmd_cnt < 0 ? 0 : (p->cmd_cnt > IA_DYNAMIC_CMDS_MAX ? IA_DYNAMIC_CMDS_MAX : p->cmd_cnt);
}
static inline int ia_items_count(const ia_dynamic_params_attr_st* p) {
    return p->items_cnt < 0 ? 0 : (p->items_cnt > IA_DYNAMIC_ITEMS_MAX ? IA_DYNAMIC_ITEMS_MAX : p->items_cnt);
}

int ia_ioctrl_v2(int channel, ia_cmd_e cmd, int opt, void* data);

#ifdef __cplusplus
}
static_assert(sizeof(ia_cmd_e) == 4, "IA commands are 32-bit");
static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "ia_dynamic_params_cmds_st is 68 bytes");
static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "ia_dynamic_params_attr_st is 276 bytes");
static_assert(sizeof(dn_thr_st) == 12 && sizeof(dn_time_st) == 16, "day/night records are 12 and 16 bytes");
static_assert(sizeof(ia_ae_info_st) == 12 && sizeof(ia_sensor_check_st) == 16, "AE and check records");
static_assert(sizeof(ia_ir_led_info_st) == 32, "ia_ir_led_info_st is 32 bytes");
#else
_Static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "ia_dynamic_params_cmds_st is 68 bytes");
_Static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "ia_dynamic_params_attr_st is 276 bytes");
_Static_assert(sizeof(dn_thr_st) == 12 && sizeof(dn_time_st) == 16, "day/night records are 12 and 16 bytes");
_Static_assert(sizeof(ia_ae_info_st) == 12 && sizeof(ia_sensor_check_st) == 16, "AE and check records");
_Static_assert(sizeof(ia_ir_led_info_st) == 32, "ia_ir_led_info_st is 32 bytes");
#endif

#endif
