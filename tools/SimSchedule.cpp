// The day's schedule of a channel: which scheme the sensor thread takes at every minute, and why. The inputs
// are what the library holds (the parameter mode, the scheme-mode flags, the scheme headers, the day/night
// state the sensor reports); the rules are the thread's: the first user scheme whose window holds the time
// (start <= hour*100+minute < end, no wrap past midnight), else scheme 0, or on an LPR camera the day/night
// scheme.
#include <string.h>

#include "MachineInfo.h"
#include "SimSeam.h"
#include "SimSession.h"

typedef ISensorControllerTestAccess Seam;

namespace {

const int DAY_MINUTES = 24 * 60;
const int DEVICE_TYPE_LPR = 8;
const u32 HEADER_KEYS[] = {8001, 8002, 8003, 8004};  // start hour, start minute, end hour, end minute

std::string minuteText(int p_nMinute) {
    char szText[16];
    snprintf(szText, sizeof(szText), "%02d:%02d", p_nMinute / 60, p_nMinute % 60);
    return szText;
}

bool lprCamera(const std::string& p_strDetail) {
    MachineInfo objInfo;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo);
    return objInfo.getDeviceType() == DEVICE_TYPE_LPR && p_strDetail.find("(isInfrared=0)") == std::string::npos &&
           p_strDetail.find("(isInfrared=1)") == std::string::npos;
}

struct Segment {
    int nFrom;
    int nTo;  // the first minute after it
    int nScheme;
    std::string strWhy;
};

}  // namespace

std::string SimSession::SchemeWindow::text() const {
    char szText[64];
    snprintf(szText, sizeof(szText), "%02u:%02u-%02u:%02u", nStartHour, nStartMin, nEndHour, nEndMin);
    return szText;
}

SimSession::SchemeState SimSession::schemeState(bool p_bReadDayNight) {
    SchemeState stState;
    ISensorController& c = current();
    c.getParamScheme(stState.nCurrent);
    c.getParamMode(stState.nParamMode);
    stState.nSchemeSum = Seam::schemeSum(c);
    stState.bTimeMode = Seam::timeSchemeMode(c);
    stState.bDayNightMode = Seam::dnSchemeMode(c);
    stState.bLpr = stState.bTimeMode && lprCamera(m_strDetail);
    if (p_bReadDayNight) {
        int nState = 0;
        // A failed read counts as day, as it does for the thread.
        if (!quietly([&] { return c.getDNState(nState); })) nState = 0;
        stState.nDayNight = nState;
    }
    for (u32 s = 0; s < stState.nSchemeSum; ++s) {
        u32 anVal[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) c.getKeyValFromCache(s, HEADER_KEYS[i], anVal[i]);
        stState.vecWindows.push_back({anVal[0], anVal[1], anVal[2], anVal[3]});
    }
    return stState;
}

std::string SimSession::schemeModeText(const SchemeState& p_stState) {
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

bool SimSession::cmdSchedule(const SimCommand& p_stCommand, std::string&) {
    SchemeState stState = schemeState(true);
    bool bAssumed = !p_stCommand.vecFlags.empty();
    if (bAssumed) stState.nDayNight = p_stCommand.vecFlags[0] == "--night" ? 1 : 0;
    std::string strDayNight =
        std::string(stState.nDayNight == 0 ? "day" : "night") +
        (bAssumed ? " (as asked)" : " (state " + std::to_string(stState.nDayNight) + ", as the sensor reports)");
    int nDayNightScheme = stState.nDayNight != 0 ? 1 : 0;

    // What rules at minute m, and why: the same text for every minute of one reason, so that runs of minutes
    // with one scheme and one reason become one line.
    auto decide = [&](int p_nMinute, int& p_nScheme) -> std::string {
        if (stState.nParamMode == 0 || (!stState.bTimeMode && !stState.bDayNightMode)) {
            p_nScheme = stState.nCurrent;
            return "the current scheme stays: the sensor thread switches no scheme";
        }
        if (stState.bDayNightMode) {
            p_nScheme = nDayNightScheme;
            return "the sensor reports " + strDayNight;
        }
        u32 nTime = static_cast<u32>(p_nMinute / 60 * 100 + p_nMinute % 60);
        for (size_t i = 0; i < stState.vecWindows.size(); ++i) {
            if (!stState.vecWindows[i].holds(nTime)) continue;
            p_nScheme = static_cast<int>(i);
            std::string strWhy =
                "the window " + stState.vecWindows[i].text() + " of scheme " + std::to_string(i) + " holds the time";
            for (size_t j = i + 1; j < stState.vecWindows.size(); ++j) {
                if (stState.vecWindows[j].holds(nTime)) {
                    strWhy += " (it comes before scheme " + std::to_string(j) + ", whose window holds it too)";
                    break;
                }
            }
            return strWhy;
        }
        if (stState.bLpr) {
            p_nScheme = nDayNightScheme;
            return "no window holds the time; on an LPR camera the day/night state decides: " + strDayNight;
        }
        p_nScheme = 0;
        return "no window holds the time: scheme 0";
    };

    std::vector<Segment> vecSegments;
    std::vector<bool> vecRules(stState.vecWindows.size(), false);
    for (int m = 0; m < DAY_MINUTES; ++m) {
        int nScheme = -1;
        std::string strWhy = decide(m, nScheme);
        if (nScheme >= 0 && static_cast<size_t>(nScheme) < vecRules.size()) vecRules[nScheme] = true;
        if (!vecSegments.empty() && vecSegments.back().nScheme == nScheme && vecSegments.back().strWhy == strWhy) {
            vecSegments.back().nTo = m + 1;
        } else {
            vecSegments.push_back({m, m + 1, nScheme, strWhy});
        }
    }

    // Windows that never decide anything, and why.
    std::vector<std::string> vecNotes;
    for (size_t i = 0; stState.bTimeMode && stState.nParamMode != 0 && i < stState.vecWindows.size(); ++i) {
        const SchemeWindow& w = stState.vecWindows[i];
        bool bHoldsAny = false;
        for (int m = 0; m < DAY_MINUTES && !bHoldsAny; ++m)
            bHoldsAny = w.holds(static_cast<u32>(m / 60 * 100 + m % 60));
        if (w.start() >= w.end()) {
            vecNotes.push_back("the window " + w.text() + " of scheme " + std::to_string(i) +
                               " holds no time: it is empty or reversed, and a window does not wrap past midnight");
        } else if (!bHoldsAny) {
            vecNotes.push_back("the window " + w.text() + " of scheme " + std::to_string(i) +
                               " holds no time of the day (00:00 to 23:59)");
        } else if (!vecRules[i]) {
            vecNotes.push_back("the window " + w.text() + " of scheme " + std::to_string(i) +
                               " never rules: the windows of lower schemes hold all of its times");
        }
    }

    if (m_objOut.json()) {
        SimJson objSegments = SimJson::array();
        for (const Segment& s : vecSegments) {
            objSegments.push_back(
                {{"from", minuteText(s.nFrom)}, {"to", minuteText(s.nTo)}, {"scheme", s.nScheme}, {"why", s.strWhy}});
        }
        m_objOut.document({{"channel", m_nChannel},
                           {"rule", schemeModeText(stState)},
                           {"day_night_state", stState.nDayNight},
                           {"segments", objSegments},
                           {"notes", vecNotes}});
        return true;
    }
    m_objOut.data("  channel %d: %s", m_nChannel, schemeModeText(stState).c_str());
    for (const Segment& s : vecSegments) {
        m_objOut.data("  %s-%s  scheme %-18s %s", minuteText(s.nFrom).c_str(), minuteText(s.nTo).c_str(),
                      schemeName(s.nScheme).c_str(), s.strWhy.c_str());
    }
    for (const std::string& strNote : vecNotes) m_objOut.data("  note: %s", strNote.c_str());
    return true;
}
