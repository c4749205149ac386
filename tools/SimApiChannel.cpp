// The routes of a channel's UI, values and writes.
#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml.h>

#include "DeviceRoot.h"
#include "SimApiRoutes.h"
#include "SimFiles.h"
#include "SimSession.h"
#include "SimViews.h"

using namespace simapi;

namespace {

const size_t MAX_PAIRS = 512;  // more than any channel has keys

// How the words of the style's names read in a label; other words stay as they are.
const struct {
    const char* szWord;
    const char* szLabel;
} LABEL_WORDS[] = {
    {"af", "AF"},
    {"b", "B"},
    {"bg", "B/G"},
    {"blc", "BLC"},
    {"cur", "current"},
    {"dde", "DDE"},
    {"dn", "day/night"},
    {"dtn", "day-to-night"},
    {"dve", "DVE"},
    {"ffc", "FFC"},
    {"fov", "FOV"},
    {"fps", "FPS"},
    {"h", "H"},
    {"hlc", "HLC"},
    {"ir", "IR"},
    {"ldc", "LDC"},
    {"nr2d", "2D NR"},
    {"nr3d", "3D NR"},
    {"ntd", "night-to-day"},
    {"pano", "panorama"},
    {"r", "R"},
    {"rg", "R/G"},
    {"v", "V"},
    {"wb", "WB"},
    {"wdr", "WDR"},
    {"x", "X"},
    {"y", "Y"},
};

// The handlers of keys that act once when sent, rather than hold a setting: lens and iris steps, resets.
const char* const ACTION_HANDLERS[] = {"doIaCmd_User", "doIoCrtl"};

std::string labelWord(const std::string& p_strWord) {
    for (const auto& stWord : LABEL_WORDS) {
        if (p_strWord == stWord.szWord) return stWord.szLabel;
    }
    // "pano1" reads "panorama 1", "test2" "test 2".
    size_t nDigits = p_strWord.find_last_not_of("0123456789") + 1;
    if (nDigits > 0 && nDigits < p_strWord.size())
        return labelWord(p_strWord.substr(0, nDigits)) + " " + p_strWord.substr(nDigits);
    return p_strWord;
}

// "dde_strength" reads "DDE strength".
std::string readableLabel(const std::string& p_strName) {
    std::string strLabel;
    size_t nAt = 0;
    while (nAt <= p_strName.size()) {
        size_t nEnd = p_strName.find('_', nAt);
        if (nEnd == std::string::npos) nEnd = p_strName.size();
        if (nEnd > nAt) strLabel += (strLabel.empty() ? "" : " ") + labelWord(p_strName.substr(nAt, nEnd - nAt));
        nAt = nEnd + 1;
    }
    if (!strLabel.empty()) strLabel[0] = static_cast<char>(toupper(static_cast<unsigned char>(strLabel[0])));
    return strLabel;
}

// A choice of off and on whose key acts once: the page offers it as a button that sends 1.
bool oneShotAction(const SimKeyCatalogue& p_objKeys, uint32_t p_nKey, const SimJson& p_objControl) {
    const SimKeyInfo* pInfo = p_objKeys.find(p_nKey);
    if (pInfo == nullptr || pInfo->pRow == nullptr || pInfo->pRow->szHandler == nullptr) return false;
    bool bActs = false;
    for (const char* szHandler : ACTION_HANDLERS) bActs = bActs || strcmp(pInfo->pRow->szHandler, szHandler) == 0;
    auto it = p_objControl.find("choices");
    return bActs && it != p_objControl.end() && it->size() == 2 && (*it)[0]["value"] == 0 && (*it)[1]["value"] == 1;
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
    std::string strName = attrText(p_pElem, "name");
    SimJson objControl = {{"key", nKey},
                          {"name", strName},
                          {"label", strName.empty() ? "key " + std::to_string(nKey) : readableLabel(strName)},
                          {"type", attrText(p_pElem, "type")}};
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

}  // namespace

void SimApi::addChannelRoutes() {
    addRoutes({
        {"GET", "/api/channels/{c}/ui", &SimApi::getUi},
        {"GET", "/api/channels/{c}/values", &SimApi::getValues},
        {"POST", "/api/channels/{c}/parameters", &SimApi::setParameters},
        {"GET", "/api/channels/{c}/ia-log", &SimApi::getIaLog},
    });
}

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
            objControl["action"] = oneShotAction(m_objCamera.keys(c), static_cast<uint32_t>(nKey), objControl);
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
    const SimKeyCatalogue& objKeys = m_objCamera.keys(c);
    std::vector<KeyVal> vecValues = m_objCamera.schemeValues(c);

    // What flush would change: the values that differ from the current scheme's file, read as show-scheme reads
    // it. The factory scheme has no file and nothing to save.
    std::string strFile = m_objCamera.schemeFile(c, nScheme);
    std::vector<KeyVal> vecStored;
    std::string strWhy;
    if (!strFile.empty()) {
        SimReadResult eRead = readSchemeRecords(qx_device_path(strFile), vecStored, strWhy);
        if (eRead == SIM_READ_MISSING) strWhy = strFile + " is missing";
    }
    SimJson objValues = pairsJson(objKeys, vecValues);
    int nUnsaved = 0;
    for (SimJson& objValue : objValues) {
        const KeyVal* pStored = nullptr;
        for (const KeyVal& kv : vecStored) {
            if (kv.key == objValue["key"].get<uint32_t>()) pStored = &kv;
        }
        objValue["stored"] = pStored != nullptr ? SimJson(static_cast<int32_t>(pStored->value)) : SimJson(nullptr);
        if (!strFile.empty() && objValue["stored"] != objValue["value"]) ++nUnsaved;
    }
    SimJson objStored = nullptr;
    if (!strFile.empty())
        objStored = {{"file", strFile}, {"error", strWhy.empty() ? SimJson(nullptr) : SimJson(strWhy)}};
    return {200,
            {{"channel", c},
             {"scheme", nScheme},
             {"state", stateOf(c, false)},
             {"stored", objStored},
             {"unsaved", nUnsaved},
             {"values", objValues}}};
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
