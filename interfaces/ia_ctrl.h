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

int ia_ioctrl_v2(int channel, ia_cmd_e cmd, int opt, void* data);

#ifdef __cplusplus
}
static_assert(sizeof(ia_cmd_e) == 4, "IA commands are 32-bit");
static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "ia_dynamic_params_cmds_st is 68 bytes");
static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "ia_dynamic_params_attr_st is 276 bytes");
#else
_Static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "ia_dynamic_params_cmds_st is 68 bytes");
_Static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "ia_dynamic_params_attr_st is 276 bytes");
#endif

#endif
