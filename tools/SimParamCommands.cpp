// The parameter commands: set, get, all, range and keys.
#include <stdio.h>

#include "SimSession.h"
#include "SimViews.h"

namespace {

std::string pairText(const std::vector<KeyVal>& p_vecPairs) {
    std::string strText;
    for (const KeyVal& kv : p_vecPairs) {
        strText += "(" + std::to_string(kv.key) + "," + std::to_string(static_cast<int32_t>(kv.value)) + ")";
    }
    return strText;
}

std::string keyListText(const std::vector<uint32_t>& p_vecKeys) {
    std::string strText;
    for (uint32_t nKey : p_vecKeys) strText += std::string(strText.empty() ? "(" : ",") + std::to_string(nKey);
    return strText + ")";
}

std::string applied(const SimKeyInfo& p_stInfo) {
    if (p_stInfo.pRow == nullptr) return "no row (stored only)";
    if (p_stInfo.pRow->szHandler == nullptr) return "no handler";
    return "ia " + std::to_string(p_stInfo.pRow->nCmd) + " " + p_stInfo.pRow->szHandler;
}

}  // namespace

bool SimSession::cmdSet(const SimCommand& p_stCommand, std::string& p_strError) {
    std::string strText = pairText(p_stCommand.vecPairs);
    int nScheme = -1;
    current().getParamScheme(nScheme);
    m_objDetail = {{"scheme", nScheme}, {"sent", pairsJson(currentKeys(), p_stCommand.vecPairs)}, {"saved", false}};
    int nRet = quietly([&] { return current().setParameters(strText, true); });
    if (nRet != 0) {
        u32 nKey = static_cast<u32>(-nRet);
        m_objDetail["refused"] = {{"status", nRet}, {"key", nKey}, {"name", keyName(nKey)}};
        p_strError = "set " + strText + " was refused by the library (status " + std::to_string(nRet) + ": key " +
                     std::to_string(nKey) + " " + keyName(nKey) + ")";
        return false;
    }
    m_objOut.note("  %s applied and kept in scheme %s (not yet saved: use flush)", strText.c_str(),
                  schemeName(nScheme).c_str());
    return true;
}

bool SimSession::cmdGet(const SimCommand& p_stCommand, std::string&) {
    std::string strKeys = keyListText(p_stCommand.vecKeys);
    std::string strPairs;
    quietly([&] { return current().getParameters(strKeys, strPairs); });
    std::vector<KeyVal> vecPairs = pairsOfText(strPairs);
    std::vector<uint32_t> vecUnread;
    for (uint32_t nKey : p_stCommand.vecKeys) {
        bool bRead = false;
        for (const KeyVal& kv : vecPairs) bRead = bRead || kv.key == nKey;
        if (!bRead) vecUnread.push_back(nKey);
    }
    for (uint32_t nKey : vecUnread) {
        m_objOut.warn("  key %u %s could not be read: the IA library refused it", nKey, keyName(nKey).c_str());
    }
    if (m_objOut.json()) {
        m_objOut.document(
            {{"channel", m_nChannel}, {"parameters", pairsJson(currentKeys(), vecPairs)}, {"unread", vecUnread}});
        return true;
    }
    m_objOut.data("  %s", strPairs.c_str());
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdAll(const SimCommand&, std::string&) {
    std::string strPairs;
    quietly([&] { return current().getAllParameters(strPairs); });
    std::vector<KeyVal> vecPairs = pairsOfText(strPairs);
    int nScheme = -1;
    current().getParamScheme(nScheme);
    if (m_objOut.json()) {
        m_objOut.document(
            {{"channel", m_nChannel}, {"scheme", nScheme}, {"parameters", pairsJson(currentKeys(), vecPairs)}});
        return true;
    }
    m_objOut.data("  %zu parameters of scheme %s", vecPairs.size(), schemeName(nScheme).c_str());
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdRange(const SimCommand& p_stCommand, std::string&) {
    uint32_t nKey = p_stCommand.vecKeys[0];
    const SimKeyInfo* pInfo = currentKeys().find(nKey);
    SimRange stRange = pInfo != nullptr ? pInfo->stRange : SimRange();
    if (m_objOut.json()) {
        m_objOut.document(
            {{"channel", m_nChannel}, {"key", nKey}, {"name", keyName(nKey)}, {"range", rangeJson(stRange)}});
        return true;
    }
    if (!stRange.known()) {
        m_objOut.data("  key %u (%s): no known range (neither the IA library nor the UI style gives one)", nKey,
                      keyName(nKey).c_str());
    } else {
        std::string strDefault = stRange.bDefault ? "default " + std::to_string(stRange.nDefault) + ", " : "";
        m_objOut.data("  key %u (%s): %svalid values %s (from the %s)", nKey, keyName(nKey).c_str(), strDefault.c_str(),
                      stRange.text().c_str(), stRange.eSource == SimRange::IA ? "IA library" : "UI style");
    }
    return true;
}

bool SimSession::cmdKeys(const SimCommand&, std::string&) {
    u32 nFactory = schemeSum();
    SimJson objKeys = SimJson::array();
    for (const SimKeyInfo& stInfo : currentKeys().keys()) {
        int nCurrent = 0;
        u32 nFactoryValue = 0;
        bool bCurrent = stInfo.bInScheme && quietly([&] { return current().getParameter(stInfo.nKey, nCurrent); });
        bool bFactory = stInfo.bInScheme && current().getKeyValFromCache(nFactory, stInfo.nKey, nFactoryValue) >= 0;
        const SimKeyRow* pRow = stInfo.pRow;
        bool bSent = pRow != nullptr && pRow->szHandler != nullptr;
        if (m_objOut.json()) {
            objKeys.push_back({{"key", stInfo.nKey},
                               {"name", stInfo.strName.empty() ? nullptr : SimJson(stInfo.strName)},
                               {"constant", pRow != nullptr ? SimJson(pRow->szConstant) : nullptr},
                               {"ia_command", bSent ? SimJson(pRow->nCmd) : nullptr},
                               {"handler", bSent ? SimJson(pRow->szHandler) : nullptr},
                               {"in_scheme", stInfo.bInScheme},
                               {"current", bCurrent ? SimJson(nCurrent) : nullptr},
                               {"factory", bFactory ? SimJson(static_cast<int32_t>(nFactoryValue)) : nullptr},
                               {"range", rangeJson(stInfo.stRange)}});
            continue;
        }
        std::string strValues =
            stInfo.bInScheme ? "value=" + (bCurrent ? std::to_string(nCurrent) : "?") +
                                   " factory=" + (bFactory ? std::to_string(static_cast<int32_t>(nFactoryValue)) : "?")
                             : "not in the channel's schemes";
        std::string strRange = stInfo.stRange.known()
                                   ? " " + std::string(stInfo.stRange.bList ? "values " : "range ") +
                                         stInfo.stRange.text() + " (" + stInfo.stRange.sourceName() + ")"
                                   : "";
        m_objOut.data("%6u %-22s %-40s %-26s %s%s", stInfo.nKey, stInfo.strName.empty() ? "-" : stInfo.strName.c_str(),
                      pRow != nullptr ? pRow->szConstant : "-", applied(stInfo).c_str(), strValues.c_str(),
                      strRange.c_str());
    }
    if (m_objOut.json()) m_objOut.document({{"channel", m_nChannel}, {"keys", objKeys}});
    return true;
}
