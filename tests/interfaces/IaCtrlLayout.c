/* ia_ctrl.h compiled as C: its own _Static_asserts run here, and the layout is reported to the C++ side. */
#include "IaCtrlLayout.h"

#include <stddef.h>

#include "ia_ctrl.h"

void ia_ctrl_c_layout(struct IaCtrlLayout* p_pOut) {
    p_pOut->nCmdsSize = sizeof(ia_dynamic_params_cmds_st);
    p_pOut->nAttrSize = sizeof(ia_dynamic_params_attr_st);
    p_pOut->nAttrItemOffset = offsetof(ia_dynamic_params_attr_st, item);
    p_pOut->nAttrItemsCntOffset = offsetof(ia_dynamic_params_attr_st, items_cnt);
    p_pOut->nDnThrSize = sizeof(dn_thr_st);
    p_pOut->nDnTimeSize = sizeof(dn_time_st);
    p_pOut->nAeInfoSize = sizeof(ia_ae_info_st);
    p_pOut->nIrLedSize = sizeof(ia_ir_led_info_st);
    p_pOut->nCheckSize = sizeof(ia_sensor_check_st);
    p_pOut->nCmdSize = sizeof(ia_cmd_e);
}
