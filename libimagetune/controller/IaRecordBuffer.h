// Room for any record an IA command reads or writes. A key from the application may name a command whose set
// reads a record, or whose get writes one; passing the 32-bit value itself would let the IA library read or
// write past it.
#ifndef IMAGETUNE_CONTROLLER_IARECORDBUFFER_H
#define IMAGETUNE_CONTROLLER_IARECORDBUFFER_H

#include <string.h>

#include "SensorKeyVal.h"
#include "ia_ctrl.h"

union IaRecordBuffer {
    u32 nValue;
    ia_dynamic_params_cmds_st stCmds;
    ia_dynamic_params_attr_st stAttr;
    dn_thr_st stDnThr;
    dn_time_st stDnTime;
    ia_ae_info_st stAeInfo;
    ia_ir_led_info_st stIrLed;
    ia_sensor_check_st stCheck;
    char szVersion[IA_CAMERA_VERSION_LEN];

    // Zeroed, with p_nValue in the first 32 bits.
    static IaRecordBuffer holding(u32 p_nValue) {
        IaRecordBuffer uBuf;
        memset(&uBuf, 0, sizeof(uBuf));
        uBuf.nValue = p_nValue;
        return uBuf;
    }
};

#endif
