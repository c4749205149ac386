// What decides a channel's scheme, as the library holds it, and the day it gives: which scheme the sensor
// thread takes at every minute and why. The rules are the thread's: in the time mode the first user scheme
// whose window holds the time (start <= hour*100+minute < end, no wrap past midnight), else scheme 0, or on an
// LPR camera the day/night scheme; in the day/night mode scheme 0 by day and scheme 1 by night.
#ifndef IMAGETUNE_TOOLS_SIMSCHEDULE_H
#define IMAGETUNE_TOOLS_SIMSCHEDULE_H

#include <stdint.h>

#include <string>
#include <vector>

struct SimSchemeWindow {
    uint32_t nStartHour, nStartMin, nEndHour, nEndMin;
    uint32_t start() const { return nStartHour * 100 + nStartMin; }
    uint32_t end() const { return nEndHour * 100 + nEndMin; }
    bool holds(uint32_t p_nTime) const { return start() <= p_nTime && p_nTime < end(); }
    std::string text() const;  // "08:00-18:00"
};

struct SimSchemeState {
    int nCurrent = -1;
    int nParamMode = 1;
    uint32_t nSchemeSum = 0;
    bool bTimeMode = false;
    bool bDayNightMode = false;
    bool bLpr = false;                        // time mode on an LPR camera: outside the windows day/night decides
    int nDayNight = 0;                        // the state the sensor reports, 0 day
    std::vector<SimSchemeWindow> vecWindows;  // of the user schemes 0 to nSchemeSum - 1

    // "fixed", "time" or "day_night".
    const char* modeName() const;
};

// The scheme mode in words, and who chooses the scheme under it.
std::string schemeModeText(const SimSchemeState& p_stState);

// A stretch of the day with one scheme and one reason.
struct SimScheduleSegment {
    int nFrom;  // minute of the day
    int nTo;    // the first minute after it
    int nScheme;
    std::string strWhy;
};

struct SimSchedule {
    std::vector<SimScheduleSegment> vecSegments;
    std::vector<std::string> vecNotes;  // windows that never rule, and why
};

// The day under p_stState with the day/night state p_nDayNight; p_bAssumed: that state is assumed, not the
// one the sensor reports.
SimSchedule computeSchedule(const SimSchemeState& p_stState, int p_nDayNight, bool p_bAssumed);

// "07:30" for minute 450 (and "24:00" for the end of the day).
std::string minuteText(int p_nMinute);

#endif
