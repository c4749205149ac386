// The key-command table as the tool sees it, and one channel's key catalogue.
#include "SimKeys.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <tinyxml.h>

#include <algorithm>

#include "DeviceRoot.h"
#include "ISensorController.h"
#include "SensorStyle.h"
#include "SimFiles.h"
#include "ia_ctrl.h"

namespace {

const SimKeyRow KEY_ROWS[] = {
#include "SimKeyTable.inc"
};
static_assert(sizeof(KEY_ROWS) / sizeof(KEY_ROWS[0]) == ISensorController::KEY_CMD_ROWS,
              "the generated key table has every row of the library's key-command table");

// The IA commands that the library sends outside the key-command table (ia_ctrl.h).
const struct {
    int32_t nCmd;
    const char* szName;
} IA_COMMAND_NAMES[] = {
    {IA_CMD_AE_INFO, "IA_CMD_AE_INFO"},           {IA_CMD_DN_STATE, "IA_CMD_DN_STATE"},
    {IA_CMD_IR_LED_INFO, "IA_CMD_IR_LED_INFO"},   {IA_CMD_CAMERA_VERSION, "IA_CMD_CAMERA_VERSION"},
    {IA_CMD_SENSOR_CHECK, "IA_CMD_SENSOR_CHECK"}, {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "IA_CMD_DYNAMIC_PARAMS_CMDS_GET"},
};

bool readInt(const TiXmlElement* p_pElem, const char* p_szName, int32_t& p_nVal) {
    const char* sz = p_pElem->Attribute(p_szName);
    if (sz == nullptr) return false;
    p_nVal = static_cast<int32_t>(atoi(sz));
    return true;
}

// The style's own valid values of a parameter element: its choices, else its min and max.
SimRange styleRange(const TiXmlElement* p_pElem) {
    SimRange stRange;
    for (const TiXmlElement* pChild = p_pElem->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement()) {
        int32_t nIndex = 0;
        if (!readInt(pChild, "index", nIndex)) continue;
        const char* szName = pChild->Attribute("name");
        stRange.vecChoices.push_back({nIndex, szName != nullptr ? szName : ""});
    }
    if (!stRange.vecChoices.empty()) {
        stRange.eSource = SimRange::STYLE;
        stRange.bList = true;
    } else if (readInt(p_pElem, "min", stRange.nMin) && readInt(p_pElem, "max", stRange.nMax)) {
        stRange.eSource = SimRange::STYLE;
    }
    return stRange;
}

}  // namespace

std::vector<KeyVal> pairsOfText(const std::string& p_strPairs) {
    std::vector<KeyVal> vecPairs(p_strPairs.size() / 5 + 1);
    u32 nNum = 0;
    keyval_str2st(p_strPairs, vecPairs.data(), &nNum, static_cast<u32>(vecPairs.size()));
    vecPairs.resize(nNum);
    return vecPairs;
}

const std::vector<SimKeyRow>& keyCmdRows() {
    static const std::vector<SimKeyRow> s_vecRows(std::begin(KEY_ROWS), std::end(KEY_ROWS));
    return s_vecRows;
}

const SimKeyRow* findKeyRow(uint32_t p_nKey) {
    for (const SimKeyRow& row : keyCmdRows()) {
        if (row.nKey == p_nKey) return &row;
    }
    return nullptr;
}

std::string keyTableMarkdown() {
    std::vector<SimKeyRow> vecRows = keyCmdRows();
    std::stable_sort(vecRows.begin(), vecRows.end(),
                     [](const SimKeyRow& a, const SimKeyRow& b) { return a.nKey < b.nKey; });
    std::string strOut =
        "| Key | Constant | IA command | Handler |\n"
        "|---:|---|---:|---|\n";
    for (const SimKeyRow& row : vecRows) {
        strOut += "| " + std::to_string(row.nKey) + " | " + row.szConstant + " | " +
                  (row.szHandler != nullptr ? std::to_string(row.nCmd) : std::string("-")) + " | " +
                  (row.szHandler != nullptr ? row.szHandler : "none: settled by the write path") + " |\n";
    }
    return strOut;
}

bool SimRange::allows(int32_t p_nValue) const {
    if (eSource == NONE) return true;
    if (!bList) return p_nValue >= nMin && p_nValue <= nMax;
    for (const SimChoice& c : vecChoices) {
        if (c.nValue == p_nValue) return true;
    }
    return false;
}

std::string SimRange::text() const {
    if (eSource == NONE) return "not known";
    if (!bList) return std::to_string(nMin) + " to " + std::to_string(nMax);
    if (vecChoices.empty()) return "none";
    std::string strOut;
    for (const SimChoice& c : vecChoices) {
        if (!strOut.empty()) strOut += c.strName.empty() ? " " : ", ";
        strOut += std::to_string(c.nValue);
        if (!c.strName.empty()) strOut += " " + c.strName;
    }
    return strOut;
}

void SimKeyCatalogue::build(ISensorController& p_objChannel, int p_nIaChannel, std::string& p_strError) {
    m_vecKeys.clear();
    m_mapIndex.clear();

    // The keys of the channel's schemes, in scheme order.
    std::string strPairs;
    p_objChannel.getAllParameters(strPairs);
    std::vector<KeyVal> vecPairs = pairsOfText(strPairs);
    for (size_t i = 0; i < vecPairs.size(); ++i) {
        if (m_mapIndex.count(vecPairs[i].key) != 0) continue;
        SimKeyInfo stInfo;
        stInfo.nKey = vecPairs[i].key;
        stInfo.pRow = findKeyRow(stInfo.nKey);
        stInfo.bInScheme = true;
        m_mapIndex[stInfo.nKey] = m_vecKeys.size();
        m_vecKeys.push_back(stInfo);
    }
    m_nSchemeKeys = m_vecKeys.size();

    std::vector<SimKeyRow> vecRest;
    for (const SimKeyRow& row : keyCmdRows()) {
        if (m_mapIndex.count(row.nKey) == 0) vecRest.push_back(row);
    }
    std::stable_sort(vecRest.begin(), vecRest.end(),
                     [](const SimKeyRow& a, const SimKeyRow& b) { return a.nKey < b.nKey; });
    for (const SimKeyRow& row : vecRest) {
        if (m_mapIndex.count(row.nKey) != 0) continue;
        SimKeyInfo stInfo;
        stInfo.nKey = row.nKey;
        stInfo.pRow = findKeyRow(row.nKey);
        m_mapIndex[row.nKey] = m_vecKeys.size();
        m_vecKeys.push_back(stInfo);
    }

    // Names and the style's own valid values from the channel's merged UI style, which still holds the
    // elements that the style for the UI leaves out.
    // Read through the tool's guarded path: /tmp is anyone's to write.
    char szMerged[64];
    snprintf(szMerged, sizeof(szMerged), SNS_MERGE_STYLE_FILE, p_nIaChannel + 1);
    TiXmlDocument doc;
    std::string strWhy;
    if (!loadXmlFile(qx_device_path(szMerged), doc, strWhy, SIM_REFUSE_LINK)) {
        p_strError = "the keys have no names: the merged style cannot be used: " + strWhy;
    }
    std::vector<const TiXmlElement*> vecStack = {doc.RootElement()};
    while (!vecStack.empty()) {
        const TiXmlElement* pElem = vecStack.back();
        vecStack.pop_back();
        if (pElem == nullptr) continue;
        int32_t nId = 0;
        auto it = readInt(pElem, "id", nId) ? m_mapIndex.find(static_cast<uint32_t>(nId)) : m_mapIndex.end();
        if (it != m_mapIndex.end() && m_vecKeys[it->second].strName.empty()) {
            const char* szName = pElem->Attribute("name");
            m_vecKeys[it->second].strName = szName != nullptr ? szName : "";
            m_vecKeys[it->second].stRange = styleRange(pElem);
        }
        // Document order: the first element of a key names it.
        std::vector<const TiXmlElement*> vecChildren;
        for (const TiXmlElement* pChild = pElem->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement()) {
            vecChildren.push_back(pChild);
        }
        vecStack.insert(vecStack.end(), vecChildren.rbegin(), vecChildren.rend());
    }

    // The IA library's valid values of the commands it lists, for the keys that are sent as those commands.
    ia_dynamic_params_cmds_st stList;
    memset(&stList, 0, sizeof(stList));
    if (ia_ioctrl_v2(p_nIaChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList) != 0) return;
    for (int i = 0; i < ia_cmds_count(&stList); ++i) {
        ia_dynamic_params_attr_st stAttr;
        memset(&stAttr, 0, sizeof(stAttr));
        if (ia_ioctrl_v2(p_nIaChannel, stList.cmd_list[i], IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr) != 0) continue;
        SimRange stRange;
        stRange.eSource = SimRange::IA;
        stRange.bList = stAttr.attr_type == 0;
        stRange.nMin = stAttr.min_val;
        stRange.nMax = stAttr.max_val;
        for (int j = 0; stRange.bList && j < ia_items_count(&stAttr); ++j)
            stRange.vecChoices.push_back({stAttr.item[j], ""});
        stRange.bDefault = true;
        stRange.nDefault = stAttr.def_val;
        for (SimKeyInfo& stInfo : m_vecKeys) {
            if (stInfo.pRow != nullptr && stInfo.pRow->szHandler != nullptr &&
                static_cast<int32_t>(stInfo.pRow->nCmd) == stList.cmd_list[i]) {
                stInfo.stRange = stRange;
            }
        }
    }
}

const SimKeyInfo* SimKeyCatalogue::find(uint32_t p_nKey) const {
    auto it = m_mapIndex.find(p_nKey);
    return it == m_mapIndex.end() ? nullptr : &m_vecKeys[it->second];
}

std::string SimKeyCatalogue::name(uint32_t p_nKey) const {
    const SimKeyInfo* pInfo = find(p_nKey);
    if (pInfo != nullptr && !pInfo->strName.empty()) return pInfo->strName;
    const SimKeyRow* pRow = findKeyRow(p_nKey);
    return pRow != nullptr ? pRow->szConstant : "?";
}

std::string SimKeyCatalogue::commandName(int32_t p_nCmd) const {
    for (const SimKeyRow& row : keyCmdRows()) {
        if (row.szHandler != nullptr && static_cast<int32_t>(row.nCmd) == p_nCmd) return name(row.nKey);
    }
    for (const auto& stName : IA_COMMAND_NAMES) {
        if (stName.nCmd == p_nCmd) return stName.szName;
    }
    return "?";
}

bool SimKeyCatalogue::resolve(const SimKeyToken& p_stToken, bool p_bForce, uint32_t& p_nKey,
                              std::string& p_strError) const {
    if (!p_stToken.bName) {
        if (find(p_stToken.nKey) == nullptr && !p_bForce) {
            p_strError = "unknown key " + p_stToken.strText + " (see the keys command; --force sends it anyway)";
            return false;
        }
        p_nKey = p_stToken.nKey;
        return true;
    }
    // The style's own name first; then the constant, with or without its KEY_ prefix, in any case.
    for (const SimKeyInfo& stInfo : m_vecKeys) {
        if (stInfo.strName == p_stToken.strText) {
            p_nKey = stInfo.nKey;
            return true;
        }
    }
    std::vector<uint32_t> vecFound;
    for (const SimKeyInfo& stInfo : m_vecKeys) {
        if (stInfo.pRow == nullptr) continue;
        const char* szConstant = stInfo.pRow->szConstant;
        if (strcasecmp(szConstant, p_stToken.strText.c_str()) == 0 ||
            (strncmp(szConstant, "KEY_", 4) == 0 && strcasecmp(szConstant + 4, p_stToken.strText.c_str()) == 0)) {
            vecFound.push_back(stInfo.nKey);
        }
    }
    if (vecFound.size() == 1) {
        p_nKey = vecFound[0];
        return true;
    }
    if (vecFound.empty()) {
        std::vector<std::string> vecNames;
        for (const SimKeyInfo& stInfo : m_vecKeys) {
            if (!stInfo.strName.empty()) vecNames.push_back(stInfo.strName);
            if (stInfo.pRow != nullptr) vecNames.push_back(stInfo.pRow->szConstant);
        }
        p_strError = "unknown key name " + p_stToken.strText + didYouMean(p_stToken.strText, vecNames) +
                     " (see the keys command)";
        return false;
    }
    std::string strCandidates;
    for (uint32_t nKey : vecFound) strCandidates += (strCandidates.empty() ? "" : ", ") + std::to_string(nKey);
    p_strError = "key name " + p_stToken.strText + " is ambiguous: it names keys " + strCandidates;
    return false;
}

bool SimKeyCatalogue::choice(uint32_t p_nKey, const std::string& p_strName, int32_t& p_nValue,
                             std::string& p_strError) const {
    const SimKeyInfo* pInfo = find(p_nKey);
    std::string strKey = "key " + std::to_string(p_nKey) + " (" + name(p_nKey) + ")";
    std::vector<std::string> vecNames;
    std::vector<const SimChoice*> vecFound;
    if (pInfo != nullptr) {
        for (const SimChoice& c : pInfo->stRange.vecChoices) {
            if (c.strName.empty()) continue;
            vecNames.push_back(c.strName);
            if (strcasecmp(c.strName.c_str(), p_strName.c_str()) == 0) vecFound.push_back(&c);
        }
    }
    if (vecFound.size() == 1) {
        p_nValue = vecFound[0]->nValue;
        return true;
    }
    if (vecFound.empty()) {
        p_strError = vecNames.empty() ? strKey + " has no named choices: give " + p_strName + " as a number"
                                      : strKey + " has no choice " + p_strName + didYouMean(p_strName, vecNames) +
                                            "; its choices: " + pInfo->stRange.text();
        return false;
    }
    std::string strCandidates;
    for (const SimChoice* c : vecFound) {
        strCandidates += (strCandidates.empty() ? "" : ", ") + std::to_string(c->nValue) + " " + c->strName;
    }
    p_strError = "choice " + p_strName + " of " + strKey + " is ambiguous: give one of " + strCandidates +
                 " as a number";
    return false;
}
