// The dispatcher of the JSON API: a request to its route, its channel and body checked; the IA call log
// shared by the route groups (SimApiCamera.cpp, SimApiChannel.cpp, SimApiSchemes.cpp).
#include "SimApi.h"

#include <stdlib.h>

#include "SimApiRoutes.h"
#include "SimViews.h"

using namespace simapi;

namespace {

const size_t MAX_BODY_DEPTH = 8;        // the deepest body of the API nests 3 levels
const size_t MAX_UNREAD_CALLS = 10000;  // per channel, for ia-log; older calls are dropped and counted

std::vector<std::string> splitPath(const std::string& p_strPath) {
    std::vector<std::string> vecParts;
    size_t nAt = 1;
    while (nAt <= p_strPath.size()) {
        size_t nSlash = p_strPath.find('/', nAt);
        if (nSlash == std::string::npos) nSlash = p_strPath.size();
        vecParts.push_back(p_strPath.substr(nAt, nSlash - nAt));
        nAt = nSlash + 1;
    }
    return vecParts;
}

}  // namespace

SimApi::SimApi(SimCamera& p_objCamera)
    : m_objCamera(p_objCamera),
      m_vecUnread(static_cast<size_t>(p_objCamera.channels())),
      m_vecDropped(static_cast<size_t>(p_objCamera.channels()), 0) {
    for (int i = 0; i < p_objCamera.channels(); ++i) m_vecChannelLocks.emplace_back(new std::mutex());
    addCameraRoutes();
    addChannelRoutes();
    addSchemeRoutes();
}

void SimApi::addRoutes(std::initializer_list<Route> p_routes) {
    m_vecRoutes.insert(m_vecRoutes.end(), p_routes.begin(), p_routes.end());
}

SimApiResponse SimApi::handle(const std::string& p_strMethod, const std::string& p_strPath,
                              const std::string& p_strBody) {
    std::vector<std::string> vecParts = splitPath(p_strPath);
    const Route* pRoute = nullptr;
    bool bPathKnown = false;
    std::string strChannel;
    for (const Route& route : m_vecRoutes) {
        std::vector<std::string> vecPattern = splitPath(route.szPattern);
        if (vecPattern.size() != vecParts.size()) continue;
        bool bMatch = true;
        std::string strCandidate;
        for (size_t i = 0; i < vecParts.size() && bMatch; ++i) {
            if (vecPattern[i] == "{c}") {
                strCandidate = vecParts[i];
            } else {
                bMatch = vecPattern[i] == vecParts[i];
            }
        }
        if (!bMatch) continue;
        bPathKnown = true;
        if (p_strMethod != route.szMethod && !(p_strMethod == "HEAD" && std::string(route.szMethod) == "GET")) continue;
        pRoute = &route;
        strChannel = strCandidate;
        break;
    }
    if (pRoute == nullptr) {
        return bPathKnown ? failure(405, p_strMethod + " is not allowed on " + p_strPath)
                          : failure(404, "no such route: " + p_strMethod + " " + p_strPath);
    }

    Call call;
    if (std::string(pRoute->szPattern).find("{c}") != std::string::npos) {
        bool bDigits = !strChannel.empty() && strChannel.find_first_not_of("0123456789") == std::string::npos;
        if (!bDigits) return failure(400, "channel \"" + strChannel + "\" is not a number");
        call.nChannel = strChannel.size() <= 9 ? atoi(strChannel.c_str()) : 0;
        if (call.nChannel < 1 || call.nChannel > m_objCamera.channels()) {
            return failure(404, "channel " + strChannel + " does not exist: the camera has channels 1 to " +
                                    std::to_string(m_objCamera.channels()));
        }
    }
    if (p_strBody.size() > MAX_BODY_BYTES) {
        return failure(413, "the body is larger than " + std::to_string(MAX_BODY_BYTES) + " bytes");
    }
    if (std::string(pRoute->szMethod) == "POST" && p_strBody.find_first_not_of(" \t\r\n") != std::string::npos) {
        // The parser is told to keep nothing once too deep, and the request is refused whole.
        bool bTooDeep = false;
        auto depthGuard = [&bTooDeep](int p_nDepth, SimJson::parse_event_t p_eEvent, SimJson&) {
            bool bOpens =
                p_eEvent == SimJson::parse_event_t::object_start || p_eEvent == SimJson::parse_event_t::array_start;
            if (bOpens && static_cast<size_t>(p_nDepth) >= MAX_BODY_DEPTH) bTooDeep = true;
            return !bTooDeep;
        };
        call.objBody = SimJson::parse(p_strBody, depthGuard, false);
        if (bTooDeep) return failure(400, "the body nests deeper than " + std::to_string(MAX_BODY_DEPTH) + " levels");
        if (call.objBody.is_discarded()) return failure(400, "the body is not JSON");
        if (!call.objBody.is_object()) return failure(400, "the body is not a JSON object");
    }
    SimApiResponse stResponse = (this->*pRoute->pfnHandler)(call);
    // Whatever the request sent to the IA library goes to the channels' bounded logs, not the process's.
    tidyIaLog(false);
    return stResponse;
}

// ---- The IA call log --------------------------------------------------------------------------------------

size_t SimApi::markIaLog() {
    return iasim::callCount();
}

std::vector<iasim::IaCall> SimApi::iaCallsSince(size_t p_nMark, int p_nChannel) {
    std::vector<iasim::IaCall> vecMine;
    for (iasim::IaCall& call : iasim::callsFrom(p_nMark)) {
        if (call.nChannel == m_objCamera.iaChannel(p_nChannel)) vecMine.push_back(std::move(call));
    }
    return vecMine;
}

void SimApi::moveIaLogLocked() {
    std::vector<iasim::IaCall> vecAll = iasim::takeCalls();
    std::lock_guard<std::mutex> lock(m_objBufferLock);
    for (const iasim::IaCall& call : vecAll) {
        for (int c = 1; c <= m_objCamera.channels(); ++c) {
            if (call.nChannel != m_objCamera.iaChannel(c)) continue;
            std::deque<iasim::IaCall>& deqUnread = m_vecUnread[c - 1];
            deqUnread.push_back(call);
            if (deqUnread.size() > MAX_UNREAD_CALLS) {
                deqUnread.pop_front();
                ++m_vecDropped[c - 1];
            }
        }
    }
}

void SimApi::tidyIaLog(bool p_bWait) {
    std::unique_lock<std::shared_mutex> gate(m_objLogGate, std::defer_lock);
    if (p_bWait) {
        gate.lock();
    } else if (!gate.try_lock()) {
        return;  // an operation still reads the log; the last one out tidies it
    }
    moveIaLogLocked();
}

// ---- Views ------------------------------------------------------------------------------------------------

SimJson SimApi::stateOf(int p_nChannel, bool p_bReadDayNight) {
    return stateJson(p_nChannel, m_objCamera.schemeState(p_nChannel, p_bReadDayNight), m_objCamera.clockText());
}

SimJson SimApi::stateAndValues(int p_nChannel) {
    return {{"state", stateOf(p_nChannel, true)},
            {"values", pairsJson(m_objCamera.keys(p_nChannel), m_objCamera.schemeValues(p_nChannel))}};
}
