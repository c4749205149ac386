// Internal to the platform library: how QxFile consults and records the faults of SimControl.h.
#ifndef IMAGETUNE_SIM_SIMFAULTHOOKS_H
#define IMAGETUNE_SIM_SIMFAULTHOOKS_H

#include <string>

namespace qxsim {
namespace hooks {

// How many of p_nWanted bytes a write may still put down; takes them from the budget.
unsigned takeWriteBudget(unsigned p_nWanted);
void countWritten(unsigned p_nBytes);
// Each counts the call and returns true when it must fail; a one-shot fault is used up by it.
bool renameFails();
void countRemove();
bool fileSyncFails();
bool dirSyncFails();
bool openForWriteFails(const std::string& p_strDevicePath);

// Numbers and logs one write step (SimControl.h) and says what becomes of it. Files are known by the FILE*
// they were opened as; rememberOpen/forgetOpen keep the path of each open file for the log.
enum StepOutcome {
    STEP_GOES_ON,
    STEP_CUT,         // the power is gone: change nothing at all
    STEP_FAILS,       // this step alone fails
    STEP_HALF_WRITE,  // this write alone puts down half its bytes
};
StepOutcome writeStep(int p_nKind, const std::string& p_strPath);
StepOutcome writeStepOfFile(int p_nKind, const void* p_pFile);
void rememberOpen(const void* p_pFile, const std::string& p_strPath);
void forgetOpen(const void* p_pFile);

// The flash model of SimControl.h ("Power cuts"). It runs only once the fault layer turned it on: without the
// fsyncs, renames and removals that layer reports it would see nothing made durable. Paths are device paths.
void flashModelOn();
// Before a call that may change the entry: the model takes the entry as the flash holds it, if it has not yet.
void flashTouch(const std::string& p_strPath);
// After the call succeeded.
void flashOpenedForWrite(const void* p_pFile, const std::string& p_strPath, unsigned long long p_nDevice,
                         unsigned long long p_nInode, bool p_bTruncated);
void flashWrote(const void* p_pFile, long long p_nOffset, const char* p_pData, unsigned p_nLen);  // -1: at the end
void flashClosed(const void* p_pFile);
void flashFileSynced(unsigned long long p_nDevice, unsigned long long p_nInode);
void flashFolderSynced(const std::string& p_strFolder);
void flashRenamed(const std::string& p_strFrom, const std::string& p_strTo);
void flashRemoved(const std::string& p_strPath);
// A rename brought the entry in from outside the device root: its content is as durable as it was there.
void flashArrived(const std::string& p_strPath);
// resetFaults(): the tree as it is now is durable.
void flashForget();

}  // namespace hooks
}  // namespace qxsim

#endif
