// The simulated world: dn (the sensor's day/night state), clock, run (sensor-thread passes), and channel.
#include "SimSession.h"
#include "SimViews.h"

bool SimSession::cmdDayNight(const SimCommand& p_stCommand, std::string&) {
    int nState = static_cast<int>(p_stCommand.nNumber);
    m_objCamera.setDayNight(m_nChannel, nState);
    m_objDetail = {{"state", nState}};
    m_objOut.note("  the sensor of channel %d now sees %s (state %d)", m_nChannel, nState == 0 ? "day" : "night",
                  nState);
    return true;
}

bool SimSession::cmdClock(const SimCommand& p_stCommand, std::string&) {
    m_objCamera.setClock(p_stCommand.nNumber * 60);
    m_objDetail = {{"clock", m_objCamera.clockText()}};
    m_objOut.note("  the clock reads %s", m_objCamera.clockText().c_str());
    return true;
}

bool SimSession::cmdRun(const SimCommand& p_stCommand, std::string&) {
    const std::string strFrom = m_objCamera.clockText();
    std::vector<SimSwitch> vecSwitches = m_objCamera.runPasses(p_stCommand.nNumber);
    if (m_objOut.json()) {
        m_objOut.document({{"from", strFrom},
                           {"to", m_objCamera.clockText()},
                           {"passes", p_stCommand.nNumber},
                           {"switches", switchesJson(vecSwitches)}});
    } else {
        for (const SimSwitch& e : vecSwitches) {
            m_objOut.data("  %s channel %d: the sensor thread switched from scheme %d to scheme %d", e.strTime.c_str(),
                          e.nChannel, e.nFrom, e.nTo);
        }
        size_t nSwitches = vecSwitches.size();
        m_objOut.data("  %ld passes from %s to %s, %zu scheme switch%s", p_stCommand.nNumber, strFrom.c_str(),
                      m_objCamera.clockText().c_str(), nSwitches, nSwitches == 1 ? "" : "es");
    }
    // A channel that did not switch: say what held it (the schedule command shows the whole day).
    for (int nChannel = 1; nChannel <= m_objCamera.channels(); ++nChannel) {
        bool bSwitched = false;
        for (const SimSwitch& e : vecSwitches) bSwitched = bSwitched || e.nChannel == nChannel;
        if (bSwitched) continue;
        SimSchemeState stState = m_objCamera.schemeState(nChannel, false);
        m_objOut.note("  channel %d kept scheme %d: %s", nChannel, stState.nCurrent, schemeModeText(stState).c_str());
    }
    return true;
}

bool SimSession::cmdChannel(const SimCommand& p_stCommand, std::string&) {
    m_nChannel = static_cast<int>(p_stCommand.nNumber);
    m_objOut.note("  the next commands act on channel %d", m_nChannel);
    return true;
}
