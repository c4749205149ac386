// The IA interface: option numbers, command numbers and record layouts that the IA library fixes.
#include <gtest/gtest.h>

#include <cstddef>

#include "IaCtrlLayout.h"
#include "ia_ctrl.h"

namespace {

static_assert(IA_CMD_OPT_SET == 0 && IA_CMD_OPT_GET == 1 && IA_CMD_OPT_GET_PARAM_RNAGE == 2 &&
                  IA_CMD_OPT_CORRECT_PARAM == 3 && IA_CMD_OPT_GET_EXEC_STATUS == 4,
              "option numbers");
static_assert(IA_CMD_DYNAMIC_PARAMS_CMDS_GET == 0x1010 && IA_CMD_UI_SHUTTER_RESET == 8231, "command numbers");
static_assert(IA_CMD_SENSOR_CHECK == 0xB00 && IA_CMD_CAMERA_VERSION == 2496 && IA_CAMERA_VERSION_LEN == 50,
              "command numbers");
static_assert(offsetof(ia_dynamic_params_attr_st, items_cnt) == 16 && offsetof(ia_dynamic_params_attr_st, item) == 20,
              "attr fields are int32 in order");
static_assert(offsetof(dn_thr_st, dn_sensitivity) == 8 && offsetof(dn_time_st, n2d_min) == 12, "day/night fields");

TEST(IaCtrl, CAndCppAgreeOnTheRecords) {
    IaCtrlLayout stC = {};
    ia_ctrl_c_layout(&stC);
    EXPECT_EQ(sizeof(ia_dynamic_params_cmds_st), stC.nCmdsSize);
    EXPECT_EQ(sizeof(ia_dynamic_params_attr_st), stC.nAttrSize);
    EXPECT_EQ(offsetof(ia_dynamic_params_attr_st, item), stC.nAttrItemOffset);
    EXPECT_EQ(offsetof(ia_dynamic_params_attr_st, items_cnt), stC.nAttrItemsCntOffset);
    EXPECT_EQ(sizeof(dn_thr_st), stC.nDnThrSize);
    EXPECT_EQ(sizeof(dn_time_st), stC.nDnTimeSize);
    EXPECT_EQ(sizeof(ia_ae_info_st), stC.nAeInfoSize);
    EXPECT_EQ(sizeof(ia_ir_led_info_st), stC.nIrLedSize);
    EXPECT_EQ(sizeof(ia_sensor_check_st), stC.nCheckSize);
    EXPECT_EQ(sizeof(ia_cmd_e), stC.nCmdSize);
}

}  // namespace
