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

}  // namespace hooks
}  // namespace qxsim

#endif
