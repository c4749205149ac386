// The routes of a channel's schemes and its sensor.
#include "SimApiRoutes.h"
#include "SimViews.h"

using namespace simapi;

void SimApi::addSchemeRoutes() {
    addRoutes({
        {"GET", "/api/channels/{c}/state", &SimApi::getState},
        {"POST", "/api/channels/{c}/scheme", &SimApi::switchScheme},
        {"POST", "/api/channels/{c}/mode", &SimApi::setMode},
        {"POST", "/api/channels/{c}/flush", &SimApi::flush},
        {"POST", "/api/channels/{c}/restore", &SimApi::restore},
        {"POST", "/api/channels/{c}/reset", &SimApi::reset},
        {"POST", "/api/channels/{c}/day-night", &SimApi::setDayNight},
        {"GET", "/api/channels/{c}/schedule", &SimApi::getSchedule},
    });
}

SimApiResponse SimApi::getState(Call& p_call) {
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[p_call.nChannel - 1]);
    return {200, stateOf(p_call.nChannel, true)};
}

SimApiResponse SimApi::switchScheme(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    long long nScheme = 0;
    if (!fields.only({"scheme"}) || !fields.integer("scheme", 0, m_objCamera.schemeSum(c), nScheme)) {
        return fields.error();
    }
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    m_objCamera.quietly([&] { return m_objCamera.channel(c).setParamScheme(static_cast<int>(nScheme)); });
    return {200, stateAndValues(c)};
}

SimApiResponse SimApi::setMode(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    long long nMode = 0;
    if (!fields.only({"mode"}) || !fields.integer("mode", 0, 1, nMode)) return fields.error();
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    m_objCamera.quietly([&] { return m_objCamera.channel(c).setParamMode(static_cast<int>(nMode)); });
    return {200, {{"state", stateOf(c, true)}}};
}

SimApiResponse SimApi::flush(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    if (!fields.only({})) return fields.error();
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    SimFlushResult stFlush = m_objCamera.flush(c);
    std::string strMessage = stFlush.bSaved
                                 ? "scheme " + m_objCamera.schemeName(c, stFlush.nScheme) + " saved to its file"
                                 : "not saved: " + stFlush.strWhy;
    return {200,
            {{"saved", stFlush.bSaved},
             {"scheme", stFlush.nScheme},
             {"status", stFlush.nStatus},
             {"message", strMessage},
             {"state", stateOf(c, false)}}};
}

SimApiResponse SimApi::restore(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    if (!fields.only({})) return fields.error();
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    bool bRestored = m_objCamera.quietly([&] { return m_objCamera.channel(c).resetToLastParameters(); });
    SimJson objResult = stateAndValues(c);
    objResult["restored"] = bRestored;
    objResult["message"] = bRestored ? "the saved values of the current scheme are back in force"
                                     : "the saved values could not be put back (see the library's reports)";
    return {200, objResult};
}

SimApiResponse SimApi::reset(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    if (!fields.only({})) return fields.error();
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    std::string strWhy;
    bool bReset = m_objCamera.reset(c, strWhy);
    SimJson objResult = stateAndValues(c);
    objResult["reset"] = bReset;
    objResult["message"] = bReset ? "factory values applied, scheme files written anew, scheme 0 current" : strWhy;
    return {200, objResult};
}

SimApiResponse SimApi::setDayNight(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    long long nState = 0;
    if (!fields.only({"state"}) || !fields.integer("state", 0, INT32_MAX, nState)) return fields.error();
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    m_objCamera.setDayNight(c, static_cast<int>(nState));
    return {200, {{"state", stateOf(c, true)}}};
}

SimApiResponse SimApi::getSchedule(Call& p_call) {
    const int c = p_call.nChannel;
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    SimSchemeState stState = m_objCamera.schemeState(c, true);
    auto dayOf = [&](int p_nDayNight) {
        SimSchedule stSchedule = computeSchedule(stState, p_nDayNight, true);
        return SimJson({{"segments", segmentsJson(stSchedule)}, {"notes", stSchedule.vecNotes}});
    };
    return {200,
            {{"channel", c},
             {"rule", schemeModeText(stState)},
             {"state", stateJson(c, stState, m_objCamera.clockText())},
             {"day", dayOf(0)},
             {"night", dayOf(1)}}};
}
