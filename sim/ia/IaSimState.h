// Internals of the simulated IA library shared by its source files.
#ifndef IMAGETUNE_SIM_IASIMSTATE_H
#define IMAGETUNE_SIM_IASIMSTATE_H

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "IaSimControl.h"

namespace iasim {
namespace detail {

// A command that carries more than one 32-bit value. A get answers nGetSize bytes from nGetOffset of the
// command's stored record, so the day/night commands answer their own field of the record they were set with.
struct RecordRow {
    int32_t nCmd;
    uint16_t nSetSize;  // 0: the command cannot be set
    uint16_t nGetSize;
    uint16_t nGetOffset;
};

// The row of a command, or null for a plain 32-bit command.
const RecordRow* findRecordRow(int p_nCmd);
// The bytes a command's current record holds.
size_t storedSize(int p_nCmd);

struct Failure {
    int nCmd;
    int nOpt;      // or kAnyOption
    int nChannel;  // or kAllChannels
    int nResult;
    int nRemaining;  // or kForever
};

struct Channel {
    Profile stProfile;
    std::map<int32_t, std::vector<unsigned char>> mapRecords;  // only what was set; gets fall back to defaults
    std::map<int32_t, int32_t> mapChecks;                      // IA_CMD_SENSOR_CHECK items
};

// Everything below is guarded by mutex.
struct State {
    std::mutex mutex;
    Channel channels[kChannelCount];
    std::vector<Failure> vecFailures;
    std::vector<IaCall> vecLog;
    bool bLogging = true;
};

State& state();
// Back to the start; the caller holds the mutex.
void resetLocked(State& p_stState);

const DynamicParam* findDynamic(const Profile& p_stProfile, int p_nCmd);
// The record a get answers from: what was set, else the profile's defaults.
std::vector<unsigned char> currentRecord(const Channel& p_stChannel, int p_nCmd);
// The stored record, created from the defaults when nothing was set yet.
std::vector<unsigned char>& writableRecord(Channel& p_stChannel, int p_nCmd);

}  // namespace detail
}  // namespace iasim

#endif
