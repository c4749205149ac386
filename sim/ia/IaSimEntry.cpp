// ia_ioctrl_v2 of the simulated IA library: the option handlers over the per-channel state.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "IaSimState.h"
#include "ia_ctrl.h"

namespace iasim {
namespace detail {

namespace {

size_t itemsWritten(const DynamicParam& p_stParam) {
    return std::min<size_t>(p_stParam.vecItems.size(), IA_DYNAMIC_ITEMS_MAX);
}

int getCommandList(const Profile& p_stProfile, void* p_pData) {
    ia_dynamic_params_cmds_st stList;
    std::memset(&stList, 0, sizeof(stList));
    size_t nCount = std::min<size_t>(p_stProfile.vecDynamic.size(), IA_DYNAMIC_CMDS_MAX);
    for (size_t i = 0; i < nCount; ++i) stList.cmd_list[i] = p_stProfile.vecDynamic[i].nCmd;
    stList.cmd_cnt = p_stProfile.optReportedCmdCnt.value_or(static_cast<int32_t>(nCount));
    std::memcpy(p_pData, &stList, sizeof(stList));
    return 0;
}

int getRange(const Profile& p_stProfile, int p_nCmd, void* p_pData) {
    const DynamicParam* pParam = findDynamic(p_stProfile, p_nCmd);
    if (pParam == nullptr) return -1;
    ia_dynamic_params_attr_st stAttr;
    std::memset(&stAttr, 0, sizeof(stAttr));
    stAttr.attr_type = pParam->nAttrType;
    stAttr.def_val = pParam->nDefVal;
    stAttr.min_val = pParam->nMinVal;
    stAttr.max_val = pParam->nMaxVal;
    size_t nCount = itemsWritten(*pParam);
    std::copy(pParam->vecItems.begin(), pParam->vecItems.begin() + nCount, stAttr.item);
    stAttr.items_cnt = pParam->optReportedItemsCnt.value_or(static_cast<int32_t>(nCount));
    std::memcpy(p_pData, &stAttr, sizeof(stAttr));
    return 0;
}

int correctValue(const Profile& p_stProfile, int p_nCmd, void* p_pData) {
    const DynamicParam* pParam = findDynamic(p_stProfile, p_nCmd);
    size_t nCount = pParam ? itemsWritten(*pParam) : 0;
    if (pParam == nullptr || pParam->nAttrType != 0 || nCount == 0) return 0;
    int32_t nValue;
    std::memcpy(&nValue, p_pData, sizeof(nValue));
    int32_t nBest = pParam->vecItems[0];
    long long nBestDist = std::llabs(static_cast<long long>(nValue) - nBest);
    for (size_t i = 0; i < nCount; ++i) {
        int32_t nItem = pParam->vecItems[i];
        long long nDist = std::llabs(static_cast<long long>(nValue) - nItem);
        if (nDist < nBestDist || (nDist == nBestDist && nItem < nBest)) {
            nBest = nItem;
            nBestDist = nDist;
        }
    }
    std::memcpy(p_pData, &nBest, sizeof(nBest));
    return 0;
}

int sensorCheck(Channel& p_stChannel, int p_nOpt, void* p_pData) {
    ia_sensor_check_st stCheck;
    std::memcpy(&stCheck, p_pData, sizeof(stCheck));
    if (p_nOpt == IA_CMD_OPT_SET) {
        p_stChannel.mapChecks[stCheck.a] = stCheck.c;
        return 0;
    }
    auto it = p_stChannel.mapChecks.find(stCheck.a);
    stCheck.result = it != p_stChannel.mapChecks.end() ? it->second : 0;
    std::memcpy(p_pData, &stCheck, sizeof(stCheck));
    return 0;
}

int setValueOrRecord(Channel& p_stChannel, int p_nCmd, const void* p_pData) {
    std::vector<unsigned char>& vecRecord = writableRecord(p_stChannel, p_nCmd);
    std::memcpy(vecRecord.data(), p_pData, recordSize(p_nCmd, IA_CMD_OPT_SET));
    return 0;
}

int getValueOrRecord(const Channel& p_stChannel, int p_nCmd, void* p_pData) {
    const RecordRow* pRow = findRecordRow(p_nCmd);
    size_t nOffset = pRow ? pRow->nGetOffset : 0;
    size_t nSize = recordSize(p_nCmd, IA_CMD_OPT_GET);
    std::vector<unsigned char> vecRecord = currentRecord(p_stChannel, p_nCmd);
    if (p_nCmd == IA_CMD_CAMERA_VERSION) vecRecord[IA_CAMERA_VERSION_LEN - 1] = '\0';
    std::memcpy(p_pData, vecRecord.data() + nOffset, nSize);
    return 0;
}

int handle(Channel& p_stChannel, int p_nCmd, int p_nOpt, void* p_pData) {
    const Profile& stProfile = p_stChannel.stProfile;
    switch (p_nOpt) {
        case IA_CMD_OPT_SET:
            if (p_nCmd == IA_CMD_SENSOR_CHECK) return sensorCheck(p_stChannel, p_nOpt, p_pData);
            return setValueOrRecord(p_stChannel, p_nCmd, p_pData);
        case IA_CMD_OPT_GET:
            if (p_nCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) return getCommandList(stProfile, p_pData);
            if (p_nCmd == IA_CMD_SENSOR_CHECK) return sensorCheck(p_stChannel, p_nOpt, p_pData);
            return getValueOrRecord(p_stChannel, p_nCmd, p_pData);
        case IA_CMD_OPT_GET_PARAM_RNAGE:
            return getRange(stProfile, p_nCmd, p_pData);
        case IA_CMD_OPT_CORRECT_PARAM:
            return correctValue(stProfile, p_nCmd, p_pData);
        case IA_CMD_OPT_GET_EXEC_STATUS: {
            const int32_t nDone = 0;
            std::memcpy(p_pData, &nDone, sizeof(nDone));
            return 0;
        }
        default:
            return -1;
    }
}

// True when a failure rule takes the call; its result goes to p_nResult.
bool takeFailure(State& p_stState, int p_nChannel, int p_nCmd, int p_nOpt, int& p_nResult) {
    for (auto it = p_stState.vecFailures.begin(); it != p_stState.vecFailures.end(); ++it) {
        if (it->nCmd != p_nCmd) continue;
        if (it->nOpt != kAnyOption && it->nOpt != p_nOpt) continue;
        if (it->nChannel != kAllChannels && it->nChannel != p_nChannel) continue;
        p_nResult = it->nResult;
        if (it->nRemaining != kForever && --it->nRemaining <= 0) p_stState.vecFailures.erase(it);
        return true;
    }
    return false;
}

bool writesInput(int p_nOpt) {
    return p_nOpt == IA_CMD_OPT_SET || p_nOpt == IA_CMD_OPT_CORRECT_PARAM;
}

int dispatch(int p_nChannel, int p_nCmd, int p_nOpt, void* p_pData) {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    const size_t nSize = recordSize(p_nCmd, p_nOpt);
    const unsigned char* pBytes = static_cast<const unsigned char*>(p_pData);
    IaCall stCall{p_nChannel, p_nCmd, p_nOpt, -1, {}};
    if (stState.bLogging && p_pData != nullptr && writesInput(p_nOpt)) stCall.vecData.assign(pBytes, pBytes + nSize);

    int nResult = -1;
    bool bValid = p_nChannel >= 0 && p_nChannel < kChannelCount && p_pData != nullptr && nSize > 0;
    if (bValid && !takeFailure(stState, p_nChannel, p_nCmd, p_nOpt, nResult)) {
        nResult = handle(stState.channels[p_nChannel], p_nCmd, p_nOpt, p_pData);
        if (stState.bLogging && nResult == 0 && !writesInput(p_nOpt)) stCall.vecData.assign(pBytes, pBytes + nSize);
    }
    if (stState.bLogging) {
        stCall.nResult = nResult;
        stState.vecLog.push_back(std::move(stCall));
    }
    return nResult;
}

}  // namespace

}  // namespace detail
}  // namespace iasim

extern "C" int ia_ioctrl_v2(int channel, ia_cmd_e cmd, int opt, void* data) {
    try {
        return iasim::detail::dispatch(channel, cmd, opt, data);
    } catch (...) {
        return -1;  // out of memory in the log or the state: fail the call, never unwind into C
    }
}
