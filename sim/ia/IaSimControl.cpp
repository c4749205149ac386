// The test control surface of the simulated IA library.
#include "IaSimControl.h"

#include <algorithm>
#include <cstring>

#include "IaSimState.h"
#include "ia_ctrl.h"

namespace iasim {

using detail::State;
using detail::state;

namespace {

bool validChannel(int p_nChannel) {
    return p_nChannel >= 0 && p_nChannel < kChannelCount;
}

}  // namespace

void setProfile(const Profile& p_stProfile, int p_nChannel) {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    for (int i = 0; i < kChannelCount; ++i) {
        if (p_nChannel == kAllChannels || p_nChannel == i) stState.channels[i].stProfile = p_stProfile;
    }
}

void reset() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    detail::resetLocked(stState);
}

void setValue(int p_nChannel, int p_nCmd, uint32_t p_nValue) {
    if (!validChannel(p_nChannel)) return;
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    const detail::RecordRow* pRow = detail::findRecordRow(p_nCmd);
    size_t nOffset = pRow ? pRow->nGetOffset : 0;
    std::vector<unsigned char>& vecRecord = detail::writableRecord(stState.channels[p_nChannel], p_nCmd);
    if (nOffset + sizeof(p_nValue) <= vecRecord.size()) {
        std::memcpy(vecRecord.data() + nOffset, &p_nValue, sizeof(p_nValue));
    }
}

uint32_t value(int p_nChannel, int p_nCmd) {
    if (!validChannel(p_nChannel)) return 0;
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    const detail::RecordRow* pRow = detail::findRecordRow(p_nCmd);
    size_t nOffset = pRow ? pRow->nGetOffset : 0;
    std::vector<unsigned char> vecRecord = detail::currentRecord(stState.channels[p_nChannel], p_nCmd);
    uint32_t nValue = 0;
    if (nOffset + sizeof(nValue) <= vecRecord.size()) std::memcpy(&nValue, vecRecord.data() + nOffset, sizeof(nValue));
    return nValue;
}

void setRecord(int p_nChannel, int p_nCmd, const void* p_pData, size_t p_nSize) {
    if (!validChannel(p_nChannel) || (p_pData == nullptr && p_nSize > 0)) return;
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    std::vector<unsigned char>& vecRecord = detail::writableRecord(stState.channels[p_nChannel], p_nCmd);
    std::fill(vecRecord.begin(), vecRecord.end(), 0);
    if (p_nSize > 0) std::memcpy(vecRecord.data(), p_pData, std::min(p_nSize, vecRecord.size()));
}

void setDayNight(int p_nChannel, int p_nState) {
    setValue(p_nChannel, IA_CMD_DN_STATE, static_cast<uint32_t>(p_nState));
}

void failCommand(int p_nCmd, int p_nOpt, int p_nResult, int p_nTimes, int p_nChannel) {
    if (p_nTimes == 0) return;
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    stState.vecFailures.push_back({p_nCmd, p_nOpt, p_nChannel, p_nResult, p_nTimes < 0 ? kForever : p_nTimes});
}

void clearFailures() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    stState.vecFailures.clear();
}

std::vector<IaCall> calls() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    return stState.vecLog;
}

std::vector<IaCall> calls(int p_nCmd) {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    std::vector<IaCall> vecOut;
    for (const IaCall& stCall : stState.vecLog) {
        if (stCall.nCmd == p_nCmd) vecOut.push_back(stCall);
    }
    return vecOut;
}

size_t callCount() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    return stState.vecLog.size();
}

std::vector<IaCall> callsFrom(size_t p_nFirst) {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    if (p_nFirst >= stState.vecLog.size()) return {};
    return std::vector<IaCall>(stState.vecLog.begin() + static_cast<std::ptrdiff_t>(p_nFirst), stState.vecLog.end());
}

std::vector<IaCall> takeCalls() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    std::vector<IaCall> vecTaken;
    vecTaken.swap(stState.vecLog);
    return vecTaken;
}

void clearCalls() {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    stState.vecLog.clear();
}

void setLogging(bool p_bOn) {
    State& stState = state();
    std::lock_guard<std::mutex> objLock(stState.mutex);
    stState.bLogging = p_bOn;
}

}  // namespace iasim
