// The scheme commands and the simulated sensor: scheme, mode, flush, restore, reset, state, dn, clock, run
// and channel.
#include "IaSimControl.h"
#include "SimSeam.h"
#include "SimSession.h"

typedef ISensorControllerTestAccess Seam;

namespace {

const char* const FLUSH_CODES[][2] = {
    {"505", "start after 24:00"},
    {"506", "end after 24:00"},
    {"507", "empty or reversed"},
};

}  // namespace

bool SimSession::cmdScheme(const SimCommand& p_stCommand, std::string& p_strError) {
    int nScheme = static_cast<int>(p_stCommand.nNumber);
    if (static_cast<u32>(nScheme) > schemeSum()) {
        p_strError = "scheme " + std::to_string(nScheme) + " does not exist: channel " + std::to_string(m_nChannel) +
                     " has 0 to " + std::to_string(schemeSum()) + " (the last is the factory scheme)";
        return false;
    }
    quietly([&] { return current().setParamScheme(nScheme); });
    m_objOut.note("  switched to scheme %s; only the values that differ were sent", schemeName(nScheme).c_str());
    return true;
}

bool SimSession::cmdMode(const SimCommand& p_stCommand, std::string&) {
    int nMode = static_cast<int>(p_stCommand.nNumber);
    quietly([&] { return current().setParamMode(nMode); });
    m_objOut.note("  parameter mode %d: %s", nMode,
                  nMode == 0 ? "manual, the sensor thread switches no scheme" : "automatic, the scheme mode decides");
    return true;
}

bool SimSession::cmdFlush(const SimCommand&, std::string&) {
    int nScheme = -1;
    current().getParamScheme(nScheme);
    int nRet = quietly([&] { return current().flush(); });
    if (nScheme < 0 || static_cast<u32>(nScheme) >= schemeSum()) {
        m_objOut.note("  nothing saved: scheme %s has no file", schemeName(nScheme).c_str());
        return true;
    }
    for (const auto& code : FLUSH_CODES) {
        if (std::to_string(nRet) == code[0]) {
            m_objOut.warn("  not saved: the time window of scheme %d is invalid (%d: %s)", nScheme, nRet, code[1]);
            return true;
        }
    }
    if (nRet == 0) {
        m_objOut.note("  scheme %s saved to its file", schemeName(nScheme).c_str());
    } else {
        m_objOut.warn("  scheme %s could not be saved (status %d)", schemeName(nScheme).c_str(), nRet);
    }
    return true;
}

bool SimSession::cmdRestore(const SimCommand&, std::string&) {
    bool bOk = quietly([&] { return current().resetToLastParameters(); });
    if (bOk) {
        m_objOut.note("  the saved values of the current scheme are back in force");
    } else {
        m_objOut.warn("  restore failed");
    }
    return true;
}

bool SimSession::cmdReset(const SimCommand&, std::string&) {
    quietly([&] { return current().resetParameters(); });
    keepThreadStopped();
    m_objOut.note("  factory reset of channel %d: factory values applied, scheme files written anew, scheme 0 current",
                  m_nChannel);
    return true;
}

bool SimSession::cmdState(const SimCommand&, std::string&) {
    SchemeState stState = schemeState(true);
    if (m_objOut.json()) {
        SimJson objSchemes = SimJson::array();
        for (size_t i = 0; i < stState.vecWindows.size(); ++i) {
            const SchemeWindow& w = stState.vecWindows[i];
            objSchemes.push_back({{"scheme", i},
                                  {"window",
                                   {{"start_hour", w.nStartHour},
                                    {"start_min", w.nStartMin},
                                    {"end_hour", w.nEndHour},
                                    {"end_min", w.nEndMin}}}});
        }
        m_objOut.document({{"channel", m_nChannel},
                           {"current_scheme", stState.nCurrent},
                           {"factory_scheme", stState.nSchemeSum},
                           {"parameter_mode", stState.nParamMode},
                           {"scheme_mode", stState.bTimeMode       ? "time"
                                           : stState.bDayNightMode ? "day_night"
                                                                   : "fixed"},
                           {"lpr", stState.bLpr},
                           {"day_night_state", stState.nDayNight},
                           {"clock", clockText()},
                           {"schemes", objSchemes}});
        return true;
    }
    m_objOut.data("  channel %d at %s: current scheme %s, parameter mode %d (%s)", m_nChannel, clockText().c_str(),
                  schemeName(stState.nCurrent).c_str(), stState.nParamMode,
                  stState.nParamMode == 0 ? "manual" : "automatic");
    m_objOut.data("  %s", schemeModeText(stState).c_str());
    m_objOut.data("  the sensor reports %s (state %d)", stState.nDayNight == 0 ? "day" : "night", stState.nDayNight);
    for (size_t i = 0; i < stState.vecWindows.size(); ++i) {
        m_objOut.data("  scheme %zu: window %s", i, stState.vecWindows[i].text().c_str());
    }
    m_objOut.data("  scheme %u: the factory values", stState.nSchemeSum);
    return true;
}

bool SimSession::cmdDayNight(const SimCommand& p_stCommand, std::string&) {
    int nState = static_cast<int>(p_stCommand.nNumber);
    iasim::setDayNight(Seam::cameraID(current()) - 1, nState);
    m_objOut.note("  the sensor of channel %d now sees %s (state %d)", m_nChannel, nState == 0 ? "day" : "night",
                  nState);
    return true;
}

bool SimSession::cmdClock(const SimCommand& p_stCommand, std::string&) {
    setClock(p_stCommand.nNumber * 60);
    m_objOut.note("  the clock reads %s", clockText().c_str());
    return true;
}

bool SimSession::cmdRun(const SimCommand& p_stCommand, std::string&) {
    std::vector<int> vecSchemes;
    std::vector<int> vecSwitches(m_vecChannels.size(), 0);
    for (auto& c : m_vecChannels) {
        int nScheme = -1;
        c->getParamScheme(nScheme);
        vecSchemes.push_back(nScheme);
    }
    const std::string strFrom = clockText();
    // The library's output is captured once for the whole run (a day is 86400 passes); the switches are kept
    // and written after it.
    struct Switch {
        std::string strTime;
        size_t nChannel;
        int nFrom;
        int nTo;
    };
    std::vector<Switch> vecEvents;
    quietly([&] {
        for (long s = 0; s < p_stCommand.nNumber; ++s) {
            setClock(m_nClockSeconds + 1);
            for (size_t i = 0; i < m_vecChannels.size(); ++i) {
                Seam::runPass(*m_vecChannels[i]);
                int nScheme = -1;
                m_vecChannels[i]->getParamScheme(nScheme);
                if (nScheme == vecSchemes[i]) continue;
                vecEvents.push_back({clockText(), i + 1, vecSchemes[i], nScheme});
                vecSchemes[i] = nScheme;
                ++vecSwitches[i];
            }
        }
        return 0;
    });
    SimJson objSwitches = SimJson::array();
    for (const Switch& e : vecEvents) {
        if (m_objOut.json()) {
            objSwitches.push_back({{"time", e.strTime}, {"channel", e.nChannel}, {"from", e.nFrom}, {"to", e.nTo}});
        } else {
            m_objOut.data("  %s channel %zu: the sensor thread switched from scheme %d to scheme %d", e.strTime.c_str(),
                          e.nChannel, e.nFrom, e.nTo);
        }
    }
    int nSwitches = static_cast<int>(vecEvents.size());
    if (m_objOut.json()) {
        m_objOut.document(
            {{"from", strFrom}, {"to", clockText()}, {"passes", p_stCommand.nNumber}, {"switches", objSwitches}});
    } else {
        m_objOut.data("  %ld passes from %s to %s, %d scheme switch%s", p_stCommand.nNumber, strFrom.c_str(),
                      clockText().c_str(), nSwitches, nSwitches == 1 ? "" : "es");
    }
    // A channel that did not switch: say what held it (the schedule command shows the whole day).
    int nChannel = m_nChannel;
    for (size_t i = 0; i < m_vecChannels.size(); ++i) {
        if (vecSwitches[i] != 0) continue;
        m_nChannel = static_cast<int>(i + 1);
        m_objOut.note("  channel %zu kept scheme %d: %s", i + 1, vecSchemes[i],
                      schemeModeText(schemeState(false)).c_str());
    }
    m_nChannel = nChannel;
    return true;
}

bool SimSession::cmdChannel(const SimCommand& p_stCommand, std::string&) {
    m_nChannel = static_cast<int>(p_stCommand.nNumber);
    m_objOut.note("  the next commands act on channel %d", m_nChannel);
    return true;
}
