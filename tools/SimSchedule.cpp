// The day's schedule of a channel (SimSchedule.h) and the schedule command.
#include "SimSchedule.h"

#include <stdio.h>

#include "SimSession.h"
#include "SimViews.h"

namespace {

const int DAY_MINUTES = 24 * 60;

uint32_t clockTime(int p_nMinute) {
    return static_cast<uint32_t>(p_nMinute / 60 * 100 + p_nMinute % 60);
}

}  // namespace

std::string SimSchemeWindow::text() const {
    char szText[64];
    snprintf(szText, sizeof(szText), "%02u:%02u-%02u:%02u", nStartHour, nStartMin, nEndHour, nEndMin);
    return szText;
}

const char* SimSchemeState::modeName() const {
    return bTimeMode ? "time" : bDayNightMode ? "day_night" : "fixed";
}

std::string minuteText(int p_nMinute) {
    char szText[16];
    snprintf(szText, sizeof(szText), "%02d:%02d", p_nMinute / 60, p_nMinute % 60);
    return szText;
}

std::string schemeModeText(const SimSchemeState& p_stState) {
    if (p_stState.nParamMode == 0) return "parameter mode 0 (manual): the sensor thread switches no scheme";
    if (p_stState.bDayNightMode) {
        return "scheme mode 2 (day/night): the sensor thread takes scheme 0 by day and scheme 1 by night";
    }
    if (p_stState.bTimeMode) {
        return std::string(
                   "scheme mode 1 (time): the sensor thread takes the first scheme whose time window holds "
                   "the time, ") +
               (p_stState.bLpr ? "and outside every window the day/night scheme (an LPR camera)"
                               : "and scheme 0 outside every window");
    }
    return "scheme mode 0 (fixed): the sensor thread switches no scheme";
}

SimSchedule computeSchedule(const SimSchemeState& p_stState, int p_nDayNight, bool p_bAssumed) {
    std::string strDayNight =
        std::string(p_nDayNight == 0 ? "day" : "night") +
        (p_bAssumed ? " (as asked)" : " (state " + std::to_string(p_nDayNight) + ", as the sensor reports)");
    int nDayNightScheme = p_nDayNight != 0 ? 1 : 0;
    const std::vector<SimSchemeWindow>& vecWindows = p_stState.vecWindows;

    // What rules at minute m, and why: the same text for every minute of one reason, so that runs of minutes
    // with one scheme and one reason become one segment.
    auto decide = [&](int p_nMinute, int& p_nScheme) -> std::string {
        if (p_stState.nParamMode == 0 || (!p_stState.bTimeMode && !p_stState.bDayNightMode)) {
            p_nScheme = p_stState.nCurrent;
            return "the current scheme stays: the sensor thread switches no scheme";
        }
        if (p_stState.bDayNightMode) {
            p_nScheme = nDayNightScheme;
            return "the sensor reports " + strDayNight;
        }
        uint32_t nTime = clockTime(p_nMinute);
        for (size_t i = 0; i < vecWindows.size(); ++i) {
            if (!vecWindows[i].holds(nTime)) continue;
            p_nScheme = static_cast<int>(i);
            std::string strWhy =
                "the window " + vecWindows[i].text() + " of scheme " + std::to_string(i) + " holds the time";
            for (size_t j = i + 1; j < vecWindows.size(); ++j) {
                if (vecWindows[j].holds(nTime)) {
                    strWhy += " (it comes before scheme " + std::to_string(j) + ", whose window holds it too)";
                    break;
                }
            }
            return strWhy;
        }
        if (p_stState.bLpr) {
            p_nScheme = nDayNightScheme;
            return "no window holds the time; on an LPR camera the day/night state decides: " + strDayNight;
        }
        p_nScheme = 0;
        return "no window holds the time: scheme 0";
    };

    SimSchedule stSchedule;
    std::vector<bool> vecRules(vecWindows.size(), false);
    for (int m = 0; m < DAY_MINUTES; ++m) {
        int nScheme = -1;
        std::string strWhy = decide(m, nScheme);
        if (nScheme >= 0 && static_cast<size_t>(nScheme) < vecRules.size()) vecRules[nScheme] = true;
        std::vector<SimScheduleSegment>& vecSegments = stSchedule.vecSegments;
        if (!vecSegments.empty() && vecSegments.back().nScheme == nScheme && vecSegments.back().strWhy == strWhy) {
            vecSegments.back().nTo = m + 1;
        } else {
            vecSegments.push_back({m, m + 1, nScheme, strWhy});
        }
    }

    // Windows that never decide anything, and why.
    for (size_t i = 0; p_stState.bTimeMode && p_stState.nParamMode != 0 && i < vecWindows.size(); ++i) {
        const SimSchemeWindow& w = vecWindows[i];
        bool bHoldsAny = false;
        for (int m = 0; m < DAY_MINUTES && !bHoldsAny; ++m) bHoldsAny = w.holds(clockTime(m));
        std::string strWindow = "the window " + w.text() + " of scheme " + std::to_string(i);
        if (w.start() >= w.end()) {
            stSchedule.vecNotes.push_back(
                strWindow + " holds no time: it is empty or reversed, and a window does not wrap past midnight");
        } else if (!bHoldsAny) {
            stSchedule.vecNotes.push_back(strWindow + " holds no time of the day (00:00 to 23:59)");
        } else if (!vecRules[i]) {
            stSchedule.vecNotes.push_back(strWindow +
                                          " never rules: the windows of lower schemes hold all of its times");
        }
    }
    return stSchedule;
}

bool SimSession::cmdSchedule(const SimCommand& p_stCommand, std::string&) {
    SimSchemeState stState = m_objCamera.schemeState(m_nChannel, true);
    bool bAssumed = !p_stCommand.vecFlags.empty();
    int nDayNight = bAssumed ? (p_stCommand.vecFlags[0] == "--night" ? 1 : 0) : stState.nDayNight;
    SimSchedule stSchedule = computeSchedule(stState, nDayNight, bAssumed);
    if (m_objOut.json()) {
        m_objOut.document({{"channel", m_nChannel},
                           {"rule", schemeModeText(stState)},
                           {"day_night_state", nDayNight},
                           {"segments", segmentsJson(stSchedule)},
                           {"notes", stSchedule.vecNotes}});
        return true;
    }
    m_objOut.data("  channel %d: %s", m_nChannel, schemeModeText(stState).c_str());
    for (const SimScheduleSegment& s : stSchedule.vecSegments) {
        m_objOut.data("  %s-%s  scheme %-18s %s", minuteText(s.nFrom).c_str(), minuteText(s.nTo).c_str(),
                      schemeName(s.nScheme).c_str(), s.strWhy.c_str());
    }
    for (const std::string& strNote : stSchedule.vecNotes) m_objOut.data("  note: %s", strNote.c_str());
    return true;
}
