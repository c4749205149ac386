// File-system fault injection and the file-operation counts.
#include <mutex>

#include "SimControl.h"
#include "SimFaultHooks.h"

namespace qxsim {
namespace {

struct FaultState {
    std::mutex mutex;
    long long nWriteBudget = -1;  // -1: unlimited
    bool bFailRename = false;
    bool bFailSync = false;
    std::string strReadOnly;  // "" : none
    FileOpCounts counts = {0, 0, 0, 0, 0};
};

FaultState& state() {
    static FaultState* s_pState = new FaultState;  // never destroyed: QxFile may run in static destructors
    return *s_pState;
}

}  // namespace

void failWriteAfter(long long nBytes) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().nWriteBudget = nBytes < 0 ? -1 : nBytes;
}

void failNextRename() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().bFailRename = true;
}

void failNextSync() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().bFailSync = true;
}

void failOpenForWrite(const std::string& devicePathSubstring) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().strReadOnly = devicePathSubstring;
}

void resetFaults() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().nWriteBudget = -1;
    state().bFailRename = false;
    state().bFailSync = false;
    state().strReadOnly.clear();
    state().counts = FileOpCounts{0, 0, 0, 0, 0};
}

FileOpCounts fileOpCounts() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().counts;
}

namespace hooks {

unsigned takeWriteBudget(unsigned p_nWanted) {
    FaultState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.nWriteBudget < 0) return p_nWanted;
    unsigned nAllowed =
        s.nWriteBudget < static_cast<long long>(p_nWanted) ? static_cast<unsigned>(s.nWriteBudget) : p_nWanted;
    s.nWriteBudget -= nAllowed;
    return nAllowed;
}

void countWritten(unsigned p_nBytes) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().counts.nBytesWritten += p_nBytes;
}

namespace {
bool takeOnce(bool& p_bFlag) {
    bool bWas = p_bFlag;
    p_bFlag = false;
    return bWas;
}
}  // namespace

bool renameFails() {
    std::lock_guard<std::mutex> lock(state().mutex);
    ++state().counts.nRenames;
    return takeOnce(state().bFailRename);
}

void countRemove() {
    std::lock_guard<std::mutex> lock(state().mutex);
    ++state().counts.nRemoves;
}

bool fileSyncFails() {
    std::lock_guard<std::mutex> lock(state().mutex);
    ++state().counts.nFileSyncs;
    return takeOnce(state().bFailSync);
}

bool dirSyncFails() {
    std::lock_guard<std::mutex> lock(state().mutex);
    ++state().counts.nDirSyncs;
    return takeOnce(state().bFailSync);
}

bool openForWriteFails(const std::string& p_strDevicePath) {
    std::lock_guard<std::mutex> lock(state().mutex);
    return !state().strReadOnly.empty() && p_strDevicePath.find(state().strReadOnly) != std::string::npos;
}

}  // namespace hooks
}  // namespace qxsim
