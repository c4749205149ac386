#include "SimApi.h"

#include <ctype.h>
#include <limits.h>
#include <stdlib.h>
#include <tinyxml.h>

#include <algorithm>
#include <initializer_list>

#include "SimFiles.h"
#include "SimSession.h"
#include "SimViews.h"

namespace {

const size_t MAX_BODY_DEPTH = 8;  // the deepest body of the API nests 3 levels
const size_t MAX_PAIRS = 512;     // more than any channel has keys
const long long MAX_RUN_SECONDS = 86400;
const size_t MAX_UNREAD_CALLS = 10000;  // per channel, for ia-log; older calls are dropped and counted

SimApiResponse failure(int p_nStatus, const std::string& p_strError) {
    return {p_nStatus, {{"error", p_strError}}};
}

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

// The members of a request body, read strictly: the error names the first fault found.
class Fields {
public:
    Fields(const SimJson& p_objBody, const std::string& p_strWhere) : m_objBody(p_objBody), m_strWhere(p_strWhere) {}

    bool only(std::initializer_list<const char*> p_names) {
        for (auto it = m_objBody.begin(); it != m_objBody.end(); ++it) {
            bool bKnown = false;
            for (const char* szName : p_names) bKnown = bKnown || it.key() == szName;
            if (!bKnown) return fail("unknown field \"" + it.key() + "\"");
        }
        return true;
    }
    bool integer(const char* p_szName, long long p_nMin, long long p_nMax, long long& p_nValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_number_integer()) return fail(std::string(p_szName) + " is not a whole number");
        bool bFits = !it->is_number_unsigned() || it->get<unsigned long long>() <= LLONG_MAX;
        long long nValue = bFits ? it->get<long long>() : 0;
        if (!bFits || nValue < p_nMin || nValue > p_nMax) {
            return fail(std::string(p_szName) + " " + it->dump() + " is outside " + std::to_string(p_nMin) + " to " +
                        std::to_string(p_nMax));
        }
        p_nValue = nValue;
        return true;
    }
    bool boolean(const char* p_szName, bool& p_bValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return true;
        if (!it->is_boolean()) return fail(std::string(p_szName) + " is not true or false");
        p_bValue = it->get<bool>();
        return true;
    }
    bool text(const char* p_szName, std::string& p_strValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_string()) return fail(std::string(p_szName) + " is not a text");
        p_strValue = it->get<std::string>();
        return true;
    }
    bool array(const char* p_szName, size_t p_nMax, const SimJson*& p_pValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_array() || it->empty()) return fail(std::string(p_szName) + " is not a list of one or more items");
        if (it->size() > p_nMax)
            return fail(std::string(p_szName) + " has more than " + std::to_string(p_nMax) + " items");
        p_pValue = &*it;
        return true;
    }
    bool fail(const std::string& p_strWhy) {
        if (m_strError.empty()) m_strError = m_strWhere + p_strWhy;
        return false;
    }
    SimApiResponse error() const { return failure(400, m_strError); }

private:
    const SimJson& m_objBody;
    std::string m_strWhere;
    std::string m_strError;
};

std::vector<std::unique_lock<std::mutex>> lockEvery(std::vector<std::unique_ptr<std::mutex>>& p_vecLocks) {
    std::vector<std::unique_lock<std::mutex>> vecHeld;
    for (auto& pLock : p_vecLocks) vecHeld.emplace_back(*pLock);  // always in channel order
    return vecHeld;
}

bool readAttrInt(const TiXmlElement* p_pElem, const char* p_szName, long long& p_nValue) {
    const char* sz = p_pElem->Attribute(p_szName);
    if (sz == nullptr || *sz == '\0') return false;
    char* pEnd = nullptr;
    long long n = strtoll(sz, &pEnd, 10);
    if (*pEnd != '\0' || n < INT_MIN || n > INT_MAX) return false;
    p_nValue = n;
    return true;
}

std::string attrText(const TiXmlElement* p_pElem, const char* p_szName) {
    const char* sz = p_pElem->Attribute(p_szName);
    return sz != nullptr ? sz : "";
}

// The controls of a UI style subtree in document order: an element with a numeric "id" is a control, with the
// elements with "index" below it as its choices; any other element is searched further.
void collectControls(const TiXmlElement* p_pElem, SimJson& p_objControls) {
    long long nKey = 0;
    if (!readAttrInt(p_pElem, "id", nKey) || nKey < 0) {
        for (const TiXmlElement* pChild = p_pElem->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement())
            collectControls(pChild, p_objControls);
        return;
    }
    SimJson objControl = {{"key", nKey}, {"name", attrText(p_pElem, "name")}, {"type", attrText(p_pElem, "type")}};
    long long nValue = 0;
    objControl["factory"] = readAttrInt(p_pElem, "value", nValue) ? SimJson(nValue) : SimJson(nullptr);
    SimJson objChoices = SimJson::array();
    for (const TiXmlElement* pItem = p_pElem->FirstChildElement(); pItem; pItem = pItem->NextSiblingElement()) {
        long long nIndex = 0;
        if (readAttrInt(pItem, "index", nIndex))
            objChoices.push_back({{"value", nIndex}, {"name", attrText(pItem, "name")}});
    }
    long long nMin = 0, nMax = 0;
    if (!objChoices.empty()) {
        objControl["choices"] = objChoices;
    } else if (readAttrInt(p_pElem, "min", nMin) && readAttrInt(p_pElem, "max", nMax)) {
        objControl["min"] = nMin;
        objControl["max"] = nMax;
    }
    p_objControls.push_back(objControl);
}

// "25 30 50" to [25, 30, 50].
SimJson numbersOf(const std::string& p_strText) {
    SimJson objNumbers = SimJson::array();
    const char* sz = p_strText.c_str();
    char* pEnd = nullptr;
    for (long n = strtol(sz, &pEnd, 10); pEnd != sz; n = strtol(sz, &pEnd, 10)) {
        objNumbers.push_back(n);
        sz = pEnd;
    }
    return objNumbers;
}

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

struct SimApi::Call {
    int nChannel = 0;
    SimJson objBody = SimJson::object();
};

SimApi::SimApi(SimCamera& p_objCamera)
    : m_objCamera(p_objCamera),
      m_vecUnread(static_cast<size_t>(p_objCamera.channels())),
      m_vecDropped(static_cast<size_t>(p_objCamera.channels()), 0) {
    for (int i = 0; i < p_objCamera.channels(); ++i) m_vecChannelLocks.emplace_back(new std::mutex());
    addRoutes({
        {"GET", "/api/camera", &SimApi::getCamera},
        {"POST", "/api/clock", &SimApi::setClock},
        {"POST", "/api/run", &SimApi::runPasses},
    });
    addRoutes({
        {"GET", "/api/channels/{c}/ui", &SimApi::getUi},
        {"GET", "/api/channels/{c}/values", &SimApi::getValues},
        {"POST", "/api/channels/{c}/parameters", &SimApi::setParameters},
        {"GET", "/api/channels/{c}/ia-log", &SimApi::getIaLog},
    });
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

// ---- Camera -----------------------------------------------------------------------------------------------

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

// ---- A channel's UI, values and writes --------------------------------------------------------------------

SimApiResponse SimApi::getUi(Call& p_call) {
    const int c = p_call.nChannel;
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    ISensorController& objChannel = m_objCamera.channel(c);
    std::string strStyle = m_objCamera.quietly([&] { return objChannel.getUIStyleFile(); });
    TiXmlDocument doc;
    std::string strWhy;
    if (!parseXmlBounded(strStyle, doc, strWhy)) {
        return failure(500, "the UI style of channel " + std::to_string(c) + " cannot be read: " + strWhy);
    }
    SimJson objSections = SimJson::array();
    SimJson objOther = SimJson::array();
    const TiXmlElement* pRoot = doc.RootElement();
    for (const TiXmlElement* pTab = pRoot != nullptr ? pRoot->FirstChildElement() : nullptr; pTab;
         pTab = pTab->NextSiblingElement()) {
        // A tab is a child of the root with "key"; controls elsewhere go to a section of their own.
        if (pTab->Attribute("key") == nullptr) {
            collectControls(pTab, objOther);
            continue;
        }
        SimJson objControls = SimJson::array();
        for (const TiXmlElement* pChild = pTab->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement())
            collectControls(pChild, objControls);
        std::string strName = attrText(pTab, "name");
        objSections.push_back({{"key", attrText(pTab, "key")},
                               {"name", strName.empty() ? attrText(pTab, "key") : strName},
                               {"controls", objControls}});
    }
    if (!objOther.empty()) objSections.push_back({{"key", ""}, {"name", "Other"}, {"controls", objOther}});

    // The values the channel holds, and the sensor's own range where the library gives one.
    std::string strKeys;
    for (const SimJson& objSection : objSections) {
        for (const SimJson& objControl : objSection["controls"])
            strKeys += std::string(strKeys.empty() ? "(" : ",") + objControl["key"].dump();
    }
    std::string strPairs;
    if (!strKeys.empty()) m_objCamera.quietly([&] { return objChannel.getParameters(strKeys + ")", strPairs); });
    std::vector<KeyVal> vecValues = pairsOfText(strPairs);
    for (SimJson& objSection : objSections) {
        for (SimJson& objControl : objSection["controls"]) {
            int nKey = objControl["key"].get<int>();
            objControl["value"] = nullptr;
            for (const KeyVal& kv : vecValues) {
                if (static_cast<int>(kv.key) == nKey) objControl["value"] = static_cast<int32_t>(kv.value);
            }
            int nDefault = 0;
            std::string strRange;
            bool bRange = m_objCamera.quietly([&] { return objChannel.getSensorParamRange(nKey, nDefault, strRange); });
            objControl["sensor_range"] = bRange && !strRange.empty()
                                             ? SimJson({{"default", nDefault}, {"values", numbersOf(strRange)}})
                                             : SimJson(nullptr);
        }
    }
    return {200, {{"channel", c}, {"state", stateOf(c, false)}, {"sections", objSections}}};
}

SimApiResponse SimApi::getValues(Call& p_call) {
    const int c = p_call.nChannel;
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    int nScheme = -1;
    m_objCamera.channel(c).getParamScheme(nScheme);
    return {
        200,
        {{"channel", c}, {"scheme", nScheme}, {"values", pairsJson(m_objCamera.keys(c), m_objCamera.schemeValues(c))}}};
}

SimApiResponse SimApi::setParameters(Call& p_call) {
    const int c = p_call.nChannel;
    Fields fields(p_call.objBody, "");
    const SimJson* pPairs = nullptr;
    bool bForce = false;
    if (!fields.only({"pairs", "force"}) || !fields.boolean("force", bForce) ||
        !fields.array("pairs", MAX_PAIRS, pPairs)) {
        return fields.error();
    }
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    const SimKeyCatalogue& objKeys = m_objCamera.keys(c);
    std::string strText, strKeys;
    for (size_t i = 0; i < pPairs->size(); ++i) {
        const SimJson& objPair = (*pPairs)[i];
        Fields pair(objPair, "pairs[" + std::to_string(i) + "]: ");
        long long nKey = 0, nValue = 0;
        if (!objPair.is_object()) return failure(400, "pairs[" + std::to_string(i) + "] is not an object");
        if (!pair.only({"key", "value"}) || !pair.integer("key", 0, INT32_MAX, nKey) ||
            !pair.integer("value", INT32_MIN, INT32_MAX, nValue)) {
            return pair.error();
        }
        std::string strWhy;
        if (!bForce && objKeys.find(static_cast<uint32_t>(nKey)) == nullptr) {
            return failure(400, "pairs[" + std::to_string(i) + "]: key " + std::to_string(nKey) +
                                    " is not a key of channel " + std::to_string(c) + " (\"force\": true sends it)");
        }
        if (!bForce && !valueInRange(objKeys, static_cast<uint32_t>(nKey), static_cast<int32_t>(nValue), strWhy)) {
            return failure(400, "pairs[" + std::to_string(i) + "]: " + strWhy);
        }
        strText += "(" + std::to_string(nKey) + "," + std::to_string(nValue) + ")";
        strKeys += std::string(strKeys.empty() ? "(" : ",") + std::to_string(nKey);
    }

    SimJson objResult;
    {
        std::shared_lock<std::shared_mutex> gate(m_objLogGate);
        size_t nMark = markIaLog();
        int nStatus = m_objCamera.quietly([&] { return m_objCamera.channel(c).setParameters(strText, true); });
        std::vector<iasim::IaCall> vecSent = iaCallsSince(nMark, c);
        std::string strPairs;
        m_objCamera.quietly([&] { return m_objCamera.channel(c).getParameters(strKeys + ")", strPairs); });
        SimJson objSent = SimJson::array();
        for (const iasim::IaCall& call : vecSent) objSent.push_back(iaCallJson(objKeys, call));
        objResult = {{"channel", c},
                     {"text", strText},
                     {"status", nStatus},
                     {"refused_key", nStatus < 0 ? SimJson(-static_cast<long long>(nStatus)) : SimJson(nullptr)},
                     {"values", pairsJson(objKeys, pairsOfText(strPairs))},
                     {"ia_commands", objSent}};
    }
    return {200, objResult};
}

SimApiResponse SimApi::getIaLog(Call& p_call) {
    const int c = p_call.nChannel;
    std::lock_guard<std::mutex> lock(*m_vecChannelLocks[c - 1]);
    tidyIaLog(true);
    std::deque<iasim::IaCall> deqCalls;
    size_t nDropped = 0;
    {
        std::lock_guard<std::mutex> buffers(m_objBufferLock);
        deqCalls.swap(m_vecUnread[c - 1]);
        std::swap(nDropped, m_vecDropped[c - 1]);
    }
    SimJson objCalls = SimJson::array();
    for (const iasim::IaCall& call : deqCalls) objCalls.push_back(iaCallJson(m_objCamera.keys(c), call));
    return {200, {{"channel", c}, {"calls", objCalls}, {"dropped", nDropped}}};
}

// ---- A channel's schemes and its sensor -------------------------------------------------------------------

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
