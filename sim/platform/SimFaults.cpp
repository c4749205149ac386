// File-system fault injection and the file-operation counts.
#include <map>
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
    std::vector<WriteStep> vecSteps;  // the first kMaxLoggedSteps of them
    long long nStepCount = 0;
    long long nCutAt = 0;     // 0: no power cut
    long long nFailStep = 0;  // 0: no single failed step
    std::map<const void*, std::string> mapOpenPaths;
};

// A process that never resets the faults (a tool, a benchmark) must not grow without end.
const size_t kMaxLoggedSteps = 10000;

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
    hooks::flashForget();
    std::lock_guard<std::mutex> lock(state().mutex);
    state().nWriteBudget = -1;
    state().bFailRename = false;
    state().bFailSync = false;
    state().strReadOnly.clear();
    state().counts = FileOpCounts{0, 0, 0, 0, 0};
    state().vecSteps.clear();
    state().nStepCount = 0;
    state().nCutAt = 0;
    state().nFailStep = 0;
}

std::vector<WriteStep> writeSteps() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().vecSteps;
}

void cutPowerAtStep(long long nStep) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().nCutAt = nStep > 0 ? nStep : 0;
}

void failWriteStep(long long nStep) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().nFailStep = nStep > 0 ? nStep : 0;
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

StepOutcome writeStep(int p_nKind, const std::string& p_strPath) {
    FaultState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    const long long nNumber = ++s.nStepCount;
    if (s.vecSteps.size() < kMaxLoggedSteps)
        s.vecSteps.push_back(WriteStep{nNumber, static_cast<WriteStepKind>(p_nKind), p_strPath});
    if (s.nCutAt > 0 && nNumber >= s.nCutAt) return STEP_CUT;
    if (s.nFailStep == nNumber) return p_nKind == STEP_WRITE ? STEP_HALF_WRITE : STEP_FAILS;
    return STEP_GOES_ON;
}

StepOutcome writeStepOfFile(int p_nKind, const void* p_pFile) {
    std::string strPath;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        auto it = state().mapOpenPaths.find(p_pFile);
        if (it != state().mapOpenPaths.end()) strPath = it->second;
    }
    return writeStep(p_nKind, strPath);
}

void rememberOpen(const void* p_pFile, const std::string& p_strPath) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().mapOpenPaths[p_pFile] = p_strPath;
}

void forgetOpen(const void* p_pFile) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().mapOpenPaths.erase(p_pFile);
}

}  // namespace hooks
}  // namespace qxsim
