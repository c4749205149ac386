#include "IaSimState.h"

#include <algorithm>
#include <cstring>

#include "ia_ctrl.h"

namespace iasim {
namespace detail {

State& state() {
    // Never destroyed: other libraries' static destructors may still call in at exit.
    static State* s_pState = [] {
        State* pState = new State();
        resetLocked(*pState);
        return pState;
    }();
    return *s_pState;
}

void resetLocked(State& p_stState) {
    const Profile stDefault = defaultProfile();
    for (Channel& stChannel : p_stState.channels) {
        stChannel.stProfile = stDefault;
        stChannel.mapRecords.clear();
        stChannel.mapChecks.clear();
    }
    p_stState.vecFailures.clear();
    p_stState.vecLog.clear();
    p_stState.bLogging = true;
}

const DynamicParam* findDynamic(const Profile& p_stProfile, int p_nCmd) {
    for (const DynamicParam& stParam : p_stProfile.vecDynamic) {
        if (stParam.nCmd == p_nCmd) return &stParam;
    }
    return nullptr;
}

std::vector<unsigned char> currentRecord(const Channel& p_stChannel, int p_nCmd) {
    auto it = p_stChannel.mapRecords.find(p_nCmd);
    if (it != p_stChannel.mapRecords.end()) return it->second;

    const Profile& stProfile = p_stChannel.stProfile;
    std::vector<unsigned char> vecRecord(storedSize(p_nCmd), 0);
    if (p_nCmd == IA_CMD_CAMERA_VERSION) {
        size_t nLen = std::min(stProfile.strVersion.size(), vecRecord.size() - 1);
        std::memcpy(vecRecord.data(), stProfile.strVersion.data(), nLen);
    }
    for (const auto& stRecord : stProfile.vecRecords) {
        if (stRecord.first != p_nCmd) continue;
        std::memcpy(vecRecord.data(), stRecord.second.data(), std::min(vecRecord.size(), stRecord.second.size()));
    }
    // A 32-bit default goes where a get reads it: the dynamic default first, an explicit value over it.
    const RecordRow* pRow = findRecordRow(p_nCmd);
    size_t nOffset = pRow ? pRow->nGetOffset : 0;
    if (nOffset + sizeof(uint32_t) <= vecRecord.size()) {
        const DynamicParam* pParam = findDynamic(stProfile, p_nCmd);
        if (pParam != nullptr) std::memcpy(vecRecord.data() + nOffset, &pParam->nDefVal, sizeof(uint32_t));
        for (const auto& stValue : stProfile.vecValues) {
            if (stValue.first == p_nCmd) std::memcpy(vecRecord.data() + nOffset, &stValue.second, sizeof(uint32_t));
        }
    }
    return vecRecord;
}

std::vector<unsigned char>& writableRecord(Channel& p_stChannel, int p_nCmd) {
    auto it = p_stChannel.mapRecords.find(p_nCmd);
    if (it != p_stChannel.mapRecords.end()) return it->second;
    return p_stChannel.mapRecords[p_nCmd] = currentRecord(p_stChannel, p_nCmd);
}

}  // namespace detail
}  // namespace iasim
