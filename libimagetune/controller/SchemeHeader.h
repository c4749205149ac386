// The scheme header: the first records of every scheme, read by position rather than looked up by key, and
// the clock value its time window is compared in.
#ifndef IMAGETUNE_CONTROLLER_SCHEMEHEADER_H
#define IMAGETUNE_CONTROLLER_SCHEMEHEADER_H

#include <stdint.h>

#include "SensorKeyVal.h"

const u32 POS_START_HOUR = 1;
const u32 POS_START_MIN = 2;
const u32 POS_END_HOUR = 3;
const u32 POS_END_MIN = 4;
const u32 SCHEME_HEADER_LEN = 5;

// 24:00, the latest time a window may start or end at (windows do not wrap past midnight).
const uint64_t WINDOW_CLOCK_MAX = 2400;

// hour * 100 + minute, in 64 bits so that a corrupt stored hour cannot wrap round into a valid time. The
// check before a save and the thread's choice of scheme both use it, so that a window the check accepts is
// one the thread can match.
inline uint64_t schemeClock(u32 p_nHour, u32 p_nMinute) {
    return static_cast<uint64_t>(p_nHour) * 100 + p_nMinute;
}

#endif
