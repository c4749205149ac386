// The scheme commands: scheme, mode, flush, restore, reset and state.
#include "SimSession.h"
#include "SimViews.h"

bool SimSession::cmdScheme(const SimCommand& p_stCommand, std::string& p_strError) {
    int nScheme = static_cast<int>(p_stCommand.nNumber);
    m_objDetail = {{"scheme", nScheme}};
    if (static_cast<u32>(nScheme) > schemeSum()) {
        return refuse(p_strError, "scheme " + std::to_string(nScheme) + " does not exist: channel " +
                                      std::to_string(m_nChannel) + " has 0 to " + std::to_string(schemeSum()) +
                                      " (the last is the factory scheme)");
    }
    if (!quietly([&] { return current().setParamScheme(nScheme); })) {
        p_strError = "scheme " + std::to_string(nScheme) + ": the library did not switch (see its reports)";
        return false;
    }
    m_objOut.note("  switched to scheme %s; only the values that differ were sent", schemeName(nScheme).c_str());
    return true;
}

bool SimSession::cmdMode(const SimCommand& p_stCommand, std::string& p_strError) {
    int nMode = static_cast<int>(p_stCommand.nNumber);
    m_objDetail = {{"mode", nMode}};
    if (!quietly([&] { return current().setParamMode(nMode); })) {
        p_strError = "mode " + std::to_string(nMode) + ": the library did not change the parameter mode";
        return false;
    }
    m_objOut.note("  parameter mode %d: %s", nMode,
                  nMode == 0 ? "manual, the sensor thread switches no scheme" : "automatic, the scheme mode decides");
    return true;
}

bool SimSession::cmdFlush(const SimCommand&, std::string& p_strError) {
    SimFlushResult stFlush = m_objCamera.flush(m_nChannel);
    m_objDetail = {{"scheme", stFlush.nScheme}, {"saved", stFlush.bHasFile && !stFlush.bBadWindow && stFlush.bSaved}};
    // Whatever kept the scheme from its file, a script must not take the flush for a save.
    if (!stFlush.bHasFile || stFlush.bBadWindow) {
        p_strError = "flush: nothing saved: " + stFlush.strWhy;
        return false;
    }
    if (!stFlush.bSaved) {
        p_strError = "flush: scheme " + schemeName(stFlush.nScheme) + " was not saved: " + stFlush.strWhy;
        return false;
    }
    m_objOut.note("  scheme %s saved to its file", schemeName(stFlush.nScheme).c_str());
    return true;
}

bool SimSession::cmdRestore(const SimCommand&, std::string& p_strError) {
    int nScheme = -1;
    current().getParamScheme(nScheme);
    m_objDetail = {{"scheme", nScheme}};
    if (!quietly([&] { return current().resetToLastParameters(); })) {
        p_strError =
            "restore: the saved values of the current scheme could not be put back (see the library's reports)";
        return false;
    }
    m_objOut.note("  the saved values of the current scheme are back in force");
    return true;
}

bool SimSession::cmdReset(const SimCommand&, std::string& p_strError) {
    std::string strWhy;
    if (!m_objCamera.reset(m_nChannel, strWhy)) {
        p_strError = "reset of channel " + std::to_string(m_nChannel) + ": " + strWhy;
        return false;
    }
    m_objOut.note("  factory reset of channel %d: factory values applied, scheme files written anew, scheme 0 current",
                  m_nChannel);
    return true;
}

bool SimSession::cmdState(const SimCommand&, std::string&) {
    SimSchemeState stState = m_objCamera.schemeState(m_nChannel, true);
    if (m_objOut.json()) {
        m_objOut.document(stateJson(m_nChannel, stState, m_objCamera.clockText()));
        return true;
    }
    m_objOut.data("  channel %d at %s: current scheme %s, parameter mode %d (%s)", m_nChannel,
                  m_objCamera.clockText().c_str(), schemeName(stState.nCurrent).c_str(), stState.nParamMode,
                  stState.nParamMode == 0 ? "manual" : "automatic");
    m_objOut.data("  %s", schemeModeText(stState).c_str());
    m_objOut.data("  the sensor reports %s (state %d)", stState.nDayNight == 0 ? "day" : "night", stState.nDayNight);
    for (size_t i = 0; i < stState.vecWindows.size(); ++i) {
        m_objOut.data("  scheme %zu: window %s", i, stState.vecWindows[i].text().c_str());
    }
    m_objOut.data("  scheme %u: the factory values", stState.nSchemeSum);
    return true;
}
