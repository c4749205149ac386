// The routes of the whole camera: its channels, the simulated clock and the sensor threads' passes.
#include <ctype.h>
#include <stdlib.h>

#include "SimApiRoutes.h"
#include "SimViews.h"

using namespace simapi;

namespace {

const long long MAX_RUN_SECONDS = 86400;

bool parseClock(const std::string& p_strText, long& p_nMinutes) {
    if (p_strText.size() != 5 || p_strText[2] != ':') return false;
    for (size_t i : {0, 1, 3, 4}) {
        if (!isdigit(static_cast<unsigned char>(p_strText[i]))) return false;
    }
    long nHour = atol(p_strText.substr(0, 2).c_str());
    long nMinute = atol(p_strText.substr(3, 2).c_str());
    if (nHour > 23 || nMinute > 59) return false;
    p_nMinutes = nHour * 60 + nMinute;
    return true;
}

}  // namespace

void SimApi::addCameraRoutes() {
    addRoutes({
        {"GET", "/api/camera", &SimApi::getCamera},
        {"POST", "/api/clock", &SimApi::setClock},
        {"POST", "/api/run", &SimApi::runPasses},
    });
}

SimApiResponse SimApi::getCamera(Call&) {
    auto vecHeld = lockEvery(m_vecChannelLocks);
    SimJson objChannels = SimJson::array();
    for (int c = 1; c <= m_objCamera.channels(); ++c) {
        objChannels.push_back(
            {{"channel", c}, {"ia_channel", m_objCamera.iaChannel(c)}, {"user_schemes", m_objCamera.schemeSum(c)}});
    }
    const char* szRoot = getenv("IMAGETUNE_ROOT");
    return {200,
            {{"clock", m_objCamera.clockText()}, {"root", szRoot != nullptr ? szRoot : ""}, {"channels", objChannels}}};
}

SimApiResponse SimApi::setClock(Call& p_call) {
    Fields fields(p_call.objBody, "");
    std::string strTime;
    long nMinutes = 0;
    if (!fields.only({"time"}) || !fields.text("time", strTime)) return fields.error();
    if (!parseClock(strTime, nMinutes))
        return failure(400, "time \"" + strTime + "\" is not HH:MM from 00:00 to 23:59");
    auto vecHeld = lockEvery(m_vecChannelLocks);
    m_objCamera.setClock(nMinutes * 60);
    return {200, {{"clock", m_objCamera.clockText()}}};
}

SimApiResponse SimApi::runPasses(Call& p_call) {
    Fields fields(p_call.objBody, "");
    long long nSeconds = 0;
    if (!fields.only({"seconds"}) || !fields.integer("seconds", 1, MAX_RUN_SECONDS, nSeconds)) return fields.error();
    SimJson objResult;
    {
        auto vecHeld = lockEvery(m_vecChannelLocks);
        std::string strFrom = m_objCamera.clockText();
        std::vector<SimSwitch> vecSwitches = m_objCamera.runPasses(static_cast<long>(nSeconds));
        SimJson objChannels = SimJson::array();
        for (int c = 1; c <= m_objCamera.channels(); ++c) objChannels.push_back(stateOf(c, false));
        objResult = {{"from", strFrom},
                     {"to", m_objCamera.clockText()},
                     {"passes", nSeconds},
                     {"switches", switchesJson(vecSwitches)},
                     {"channels", objChannels}};
    }
    return {200, objResult};
}
