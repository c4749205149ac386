#include "SimViews.h"

SimJson pairsJson(const SimKeyCatalogue& p_objKeys, const std::vector<KeyVal>& p_vecPairs) {
    SimJson objPairs = SimJson::array();
    for (const KeyVal& kv : p_vecPairs) {
        objPairs.push_back(
            {{"key", kv.key}, {"name", p_objKeys.name(kv.key)}, {"value", static_cast<int32_t>(kv.value)}});
    }
    return objPairs;
}

SimJson rangeJson(const SimRange& p_stRange) {
    if (!p_stRange.known()) return nullptr;
    SimJson objRange = {{"source", p_stRange.sourceName()}};
    if (p_stRange.bList) {
        SimJson objChoices = SimJson::array();
        for (const SimChoice& c : p_stRange.vecChoices) {
            if (c.strName.empty()) {
                objChoices.push_back(c.nValue);
            } else {
                objChoices.push_back({{"value", c.nValue}, {"name", c.strName}});
            }
        }
        objRange["values"] = objChoices;
    } else {
        objRange["min"] = p_stRange.nMin;
        objRange["max"] = p_stRange.nMax;
    }
    if (p_stRange.bDefault) objRange["default"] = p_stRange.nDefault;
    return objRange;
}

SimJson stateJson(int p_nChannel, const SimSchemeState& p_stState, const std::string& p_strClock) {
    SimJson objSchemes = SimJson::array();
    for (size_t i = 0; i < p_stState.vecWindows.size(); ++i) {
        const SimSchemeWindow& w = p_stState.vecWindows[i];
        objSchemes.push_back({{"scheme", i},
                              {"window",
                               {{"start_hour", w.nStartHour},
                                {"start_min", w.nStartMin},
                                {"end_hour", w.nEndHour},
                                {"end_min", w.nEndMin}}}});
    }
    return {{"channel", p_nChannel},
            {"current_scheme", p_stState.nCurrent},
            {"factory_scheme", p_stState.nSchemeSum},
            {"parameter_mode", p_stState.nParamMode},
            {"scheme_mode", p_stState.modeName()},
            {"lpr", p_stState.bLpr},
            {"day_night_state", p_stState.nDayNight},
            {"clock", p_strClock},
            {"schemes", objSchemes}};
}

SimJson segmentsJson(const SimSchedule& p_stSchedule) {
    SimJson objSegments = SimJson::array();
    for (const SimScheduleSegment& s : p_stSchedule.vecSegments) {
        objSegments.push_back(
            {{"from", minuteText(s.nFrom)}, {"to", minuteText(s.nTo)}, {"scheme", s.nScheme}, {"why", s.strWhy}});
    }
    return objSegments;
}

SimJson switchesJson(const std::vector<SimSwitch>& p_vecSwitches) {
    SimJson objSwitches = SimJson::array();
    for (const SimSwitch& e : p_vecSwitches) {
        objSwitches.push_back({{"time", e.strTime}, {"channel", e.nChannel}, {"from", e.nFrom}, {"to", e.nTo}});
    }
    return objSwitches;
}

const char* iaOptionName(int p_nOpt) {
    const char* const aszOptions[] = {"set", "get", "range", "correct", "status"};
    return p_nOpt >= 0 && p_nOpt <= 4 ? aszOptions[p_nOpt] : "?";
}

SimJson iaCallJson(const SimKeyCatalogue& p_objKeys, const iasim::IaCall& p_stCall) {
    return {{"ia_channel", p_stCall.nChannel},
            {"option", iaOptionName(p_stCall.nOpt)},
            {"command", p_stCall.nCmd},
            {"name", p_objKeys.commandName(p_stCall.nCmd)},
            {"value", static_cast<int32_t>(p_stCall.value())},
            {"result", p_stCall.nResult}};
}
