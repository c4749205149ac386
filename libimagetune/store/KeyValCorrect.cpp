#include <cstring>

#include "Diagnostics.h"
#include "SensorKeyVal.h"
#include "ia_ctrl.h"

int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValSum) {
    if (!SNS_ASSERT(NULL != p_pKeyval)) return -1;

    ia_dynamic_params_cmds_st dnaCmdList;
    std::memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    SNS_ASSERT(SNS_SUCCESS ==
               ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList)));

    // The list holds no more than its 16 entries, whatever count comes with it.
    SNS_ASSERT_MSG(dnaCmdList.cmd_cnt <= IA_DYNAMIC_CMDS_MAX, "cmd_cnt(%d)\n", dnaCmdList.cmd_cnt);
    const int nCmdCnt = ia_cmds_count(&dnaCmdList);

    for (int i = 0; i < nCmdCnt; ++i) {
        const int cmd = dnaCmdList.cmd_list[i];
        u32 index = 0;
        while (index < p_nKeyValSum && p_pKeyval[index].key != static_cast<u32>(cmd)) ++index;
        if (index == p_nKeyValSum) {
            SNS_ERRMSG("cmd_list[%d]=%d\n", i, cmd);
            continue;
        }
        SNS_DBG("before correct: (%d,%d)\n", static_cast<int>(p_pKeyval[index].key),
                static_cast<int>(p_pKeyval[index].value));
        SNS_ASSERT(SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key, IA_CMD_OPT_CORRECT_PARAM,
                                               &p_pKeyval[index].value));
        SNS_DBG("after correct: (%d,%d)\n", static_cast<int>(p_pKeyval[index].key),
                static_cast<int>(p_pKeyval[index].value));
    }
    return SNS_SUCCESS;
}
