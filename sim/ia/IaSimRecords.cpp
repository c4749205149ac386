#include <algorithm>

#include "IaSimState.h"
#include "ia_ctrl.h"

namespace iasim {
namespace detail {

namespace {

const RecordRow kRecords[] = {
    {IA_CMD_AE_INFO, 4, sizeof(ia_ae_info_st), 0},  // the get answers the record; a set is a plain value
    {145, sizeof(dn_thr_st), 4, 0},                 // KEY_DTN_THR: a get answers d2n_thr
    {146, sizeof(dn_thr_st), 4, 4},                 // KEY_NTD_THR: n2d_thr
    {154, sizeof(dn_thr_st), 4, 8},                 // KEY_DN_SENSITIVITY: dn_sensitivity
    {149, sizeof(dn_time_st), 4, 0},                // KEY_DTN_H: d2n_hour
    {150, sizeof(dn_time_st), 4, 4},                // KEY_DTN_M: d2n_min
    {151, sizeof(dn_time_st), 4, 8},                // KEY_NTD_H: n2d_hour
    {152, sizeof(dn_time_st), 4, 12},               // KEY_NTD_M: n2d_min
    {IA_CMD_IR_LED_INFO, sizeof(ia_ir_led_info_st), sizeof(ia_ir_led_info_st), 0},
    {IA_CMD_CAMERA_VERSION, IA_CAMERA_VERSION_LEN, IA_CAMERA_VERSION_LEN, 0},
    {IA_CMD_SENSOR_CHECK, sizeof(ia_sensor_check_st), sizeof(ia_sensor_check_st), 0},
    {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, 0, sizeof(ia_dynamic_params_cmds_st), 0},  // get only
};

}  // namespace

const RecordRow* findRecordRow(int p_nCmd) {
    for (const RecordRow& stRow : kRecords) {
        if (stRow.nCmd == p_nCmd) return &stRow;
    }
    return nullptr;
}

size_t storedSize(int p_nCmd) {
    const RecordRow* pRow = findRecordRow(p_nCmd);
    if (pRow == nullptr) return sizeof(uint32_t);
    return std::max<size_t>({sizeof(uint32_t), pRow->nSetSize, size_t(pRow->nGetOffset) + pRow->nGetSize});
}

}  // namespace detail

size_t recordSize(int p_nCmd, int p_nOpt) {
    const detail::RecordRow* pRow = detail::findRecordRow(p_nCmd);
    switch (p_nOpt) {
        case IA_CMD_OPT_SET:
            return pRow ? pRow->nSetSize : sizeof(uint32_t);
        case IA_CMD_OPT_GET:
            return pRow ? pRow->nGetSize : sizeof(uint32_t);
        case IA_CMD_OPT_GET_PARAM_RNAGE:
            return sizeof(ia_dynamic_params_attr_st);
        case IA_CMD_OPT_CORRECT_PARAM:
            return sizeof(uint32_t);
        case IA_CMD_OPT_GET_EXEC_STATUS:
            return sizeof(int32_t);
        default:
            return 0;
    }
}

}  // namespace iasim
