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

}  // namespace hooks
}  // namespace qxsim

#endif
