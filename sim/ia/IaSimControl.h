// Test control of the simulated IA library (libia_sim.so), which answers ia_ioctrl_v2 for kChannelCount
// channels (0-based, as the IA library counts; any other channel gets -1).
//
// What the simulated library does:
//   IA_CMD_OPT_SET / IA_CMD_OPT_GET  every command is accepted and returns 0. A set stores the value (or the
//       command's record, see recordSize), a get answers the last value set on that channel, else the
//       profile's default, else 0. A get of a day/night threshold or time command (145, 146, 154, 149-152)
//       answers the 32-bit field of that command within its last record.
//   IA_CMD_DYNAMIC_PARAMS_CMDS_GET with IA_CMD_OPT_GET  fills ia_dynamic_params_cmds_st from the profile.
//   IA_CMD_OPT_GET_PARAM_RNAGE  fills ia_dynamic_params_attr_st for a command of the profile's dynamic list;
//       -1 for any other command, the record untouched.
//   IA_CMD_OPT_CORRECT_PARAM  a listed command's 32-bit value that is not among its items is replaced by the
//       nearest item (a tie goes to the smaller item); unlisted commands and empty lists leave it as it is.
//   IA_CMD_OPT_GET_EXEC_STATUS  writes 0 (done) into the int.
//   IA_CMD_SENSOR_CHECK  a set (b != 2) remembers c for item a; a get writes the remembered c of item a
//       into result (0 when none).
//   A null data pointer, an unknown option or a bad channel returns -1 and writes nothing.
// Counts: never more than IA_DYNAMIC_CMDS_MAX commands or IA_DYNAMIC_ITEMS_MAX items are written. A profile
// may ask for a hostile count (optReportedCmdCnt, optReportedItemsCnt): that number goes into the count field,
// while the entries written stay bounded by the record.
//
// All state is process-wide and guarded by one mutex; every function here is thread safe.
#ifndef IMAGETUNE_SIM_IASIMCONTROL_H
#define IMAGETUNE_SIM_IASIMCONTROL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace iasim {

const int kChannelCount = 8;
const int kAllChannels = -1;  // a channel argument meaning every channel
const int kAnyOption = -1;    // an option argument meaning every option
const int kForever = -1;      // a count argument meaning until cleared

// One command with sensor-dependent valid values.
struct DynamicParam {
    int32_t nCmd;
    int32_t nAttrType;  // 0: the valid values are vecItems
    int32_t nDefVal;
    int32_t nMinVal;
    int32_t nMaxVal;
    std::vector<int32_t> vecItems;  // only the first IA_DYNAMIC_ITEMS_MAX are ever written
    // Unset: items_cnt is the real count, capped. Set: written as items_cnt as it is (a hostile count).
    std::optional<int32_t> optReportedItemsCnt;
};

struct Profile {
    std::vector<DynamicParam> vecDynamic;      // in list order; only the first IA_DYNAMIC_CMDS_MAX are listed
    std::optional<int32_t> optReportedCmdCnt;  // like optReportedItemsCnt, for cmd_cnt
    std::vector<std::pair<int32_t, uint32_t>> vecValues;                     // defaults of 32-bit values
    std::vector<std::pair<int32_t, std::vector<unsigned char>>> vecRecords;  // defaults of whole records
    std::string strVersion;  // the answer of IA_CMD_CAMERA_VERSION (cut to 49 characters)
};

// The profile every channel starts with: a camera with an auto-iris zoom lens.
Profile defaultProfile();
// Replaces the profile of one channel or of all; values set so far stay.
void setProfile(const Profile& p_stProfile, int p_nChannel = kAllChannels);
// A DynamicParam of attr_type 0 whose minimum and maximum are the first and last item.
DynamicParam listParam(int32_t p_nCmd, int32_t p_nDefVal, const std::vector<int32_t>& p_vecItems);

// Everything back to the start: default profiles, no values set, no failures, an empty log, logging on.
void reset();

// The current value of a command, as a later get answers it (for a record command, its get field).
void setValue(int p_nChannel, int p_nCmd, uint32_t p_nValue);
uint32_t value(int p_nChannel, int p_nCmd);
// The current record of a command; cut or zero-padded to the command's record size.
void setRecord(int p_nChannel, int p_nCmd, const void* p_pData, size_t p_nSize);
// The day/night state that command 153 answers (0 day, 1 night).
void setDayNight(int p_nChannel, int p_nState);

// The bytes that a call of the command with the option reads (set, correct) or writes (the gets).
size_t recordSize(int p_nCmd, int p_nOpt);

// Makes matching calls return p_nResult without acting: the next p_nTimes of them, or all with kForever.
// Rules are matched in the order they were added; a rule with a count is dropped once used up.
void failCommand(int p_nCmd, int p_nOpt, int p_nResult, int p_nTimes = kForever, int p_nChannel = kAllChannels);
void clearFailures();

// One call of ia_ioctrl_v2 as the library received it.
struct IaCall {
    int nChannel;
    int nCmd;
    int nOpt;
    int nResult;
    // Set and correct: the bytes passed in. The gets: the bytes written back (empty when nothing was).
    std::vector<unsigned char> vecData;

    // The first 32 bits of vecData (0 when shorter).
    uint32_t value() const {
        uint32_t nVal = 0;
        if (vecData.size() >= sizeof(nVal)) std::memcpy(&nVal, vecData.data(), sizeof(nVal));
        return nVal;
    }
    // Copies vecData into a record of exactly its size; false when the sizes differ.
    template <typename T>
    bool record(T& p_stOut) const {
        if (vecData.size() != sizeof(T)) return false;
        std::memcpy(&p_stOut, vecData.data(), sizeof(T));
        return true;
    }
};

// Snapshots of the call log, oldest first: every call, or the calls of one command.
std::vector<IaCall> calls();
std::vector<IaCall> calls(int p_nCmd);
// How many calls the log holds, and the calls from the p_nFirst-th on: a caller that marks the log before an
// operation reads what the operation sent without a copy of the whole log.
size_t callCount();
std::vector<IaCall> callsFrom(size_t p_nFirst);
// Every call, leaving the log empty: none is lost between the copy and the clearing.
std::vector<IaCall> takeCalls();
void clearCalls();
// Logging costs a lock and a copy per call; benchmarks turn it off.
void setLogging(bool p_bOn);

}  // namespace iasim

#endif
