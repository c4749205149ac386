// The commands on documents and files: style, ia-log, show-scheme and diff-scheme.
#include <string.h>

#include "DeviceRoot.h"
#include "IaSimControl.h"
#include "SimFiles.h"
#include "SimSession.h"
#include "SimViews.h"

namespace {

const char* const SCHEME_DIR = "/mnt/mtd/code/config_file/";

bool readSchemeFile(const std::string& p_strFile, std::vector<KeyVal>& p_vecPairs, std::string& p_strError) {
    // A host path as given, else a device path, else a file of the scheme folder.
    std::vector<std::string> vecTries = {p_strFile, qx_device_path(p_strFile), qx_device_path(SCHEME_DIR + p_strFile)};
    for (const std::string& strPath : vecTries) {
        SimReadResult eRead = readSchemeRecords(strPath, p_vecPairs, p_strError);
        if (eRead != SIM_READ_MISSING) return eRead == SIM_READ_OK;
    }
    p_strError = "no such scheme file: " + p_strFile;
    return false;
}

const KeyVal* findPair(const std::vector<KeyVal>& p_vecPairs, u32 p_nKey) {
    for (const KeyVal& kv : p_vecPairs) {
        if (kv.key == p_nKey) return &kv;
    }
    return nullptr;
}

}  // namespace

bool SimSession::cmdStyle(const SimCommand&, std::string&) {
    std::string strStyle = quietly([&] { return current().getUIStyleFile(); });
    if (m_objOut.json()) {
        m_objOut.document({{"channel", m_nChannel}, {"style", strStyle}});
    } else {
        m_objOut.dataRaw(strStyle);
        if (!strStyle.empty() && strStyle.back() != '\n') m_objOut.dataRaw("\n");
    }
    return true;
}

bool SimSession::cmdIaLog(const SimCommand&, std::string&) {
    std::vector<iasim::IaCall> vecCalls = iasim::calls();
    size_t nFrom = m_nIaLogFrom <= vecCalls.size() ? m_nIaLogFrom : 0;
    SimJson objCalls = SimJson::array();
    if (!m_objOut.json()) m_objOut.data("  %zu IA calls since the last ia-log", vecCalls.size() - nFrom);
    for (size_t i = nFrom; i < vecCalls.size(); ++i) {
        const iasim::IaCall& call = vecCalls[i];
        if (m_objOut.json()) {
            objCalls.push_back(iaCallJson(currentKeys(), call));
        } else {
            m_objOut.data("  ch%d %-7s %5d %-28s value %-10d -> %d", call.nChannel, iaOptionName(call.nOpt), call.nCmd,
                          currentKeys().commandName(call.nCmd).c_str(), static_cast<int>(call.value()), call.nResult);
        }
    }
    if (m_objOut.json()) m_objOut.document({{"calls", objCalls}});
    iasim::clearCalls();
    m_nIaLogFrom = 0;
    return true;
}

bool SimSession::cmdShowScheme(const SimCommand& p_stCommand, std::string& p_strError) {
    const std::string& strFile = p_stCommand.vecArgs[0];
    std::vector<KeyVal> vecPairs;
    if (!readSchemeFile(strFile, vecPairs, p_strError)) return refuse(p_strError, p_strError);
    if (m_objOut.json()) {
        m_objOut.document({{"file", strFile}, {"parameters", pairsJson(currentKeys(), vecPairs)}});
        return true;
    }
    m_objOut.data("  %s: %zu parameters", strFile.c_str(), vecPairs.size());
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdDiffScheme(const SimCommand& p_stCommand, std::string& p_strError) {
    std::vector<KeyVal> vecA, vecB;
    if (!readSchemeFile(p_stCommand.vecArgs[0], vecA, p_strError) ||
        !readSchemeFile(p_stCommand.vecArgs[1], vecB, p_strError)) {
        return refuse(p_strError, p_strError);
    }
    // Keys of A in A's order, then the keys only B has.
    std::vector<u32> vecKeys;
    for (const KeyVal& kv : vecA) vecKeys.push_back(kv.key);
    for (const KeyVal& kv : vecB) {
        if (findPair(vecA, kv.key) == nullptr) vecKeys.push_back(kv.key);
    }
    SimJson objDiffs = SimJson::array();
    int nDiffs = 0;
    for (u32 nKey : vecKeys) {
        const KeyVal* pA = findPair(vecA, nKey);
        const KeyVal* pB = findPair(vecB, nKey);
        if (pA != nullptr && pB != nullptr && pA->value == pB->value) continue;
        ++nDiffs;
        std::string strA = pA != nullptr ? std::to_string(static_cast<int32_t>(pA->value)) : "(absent)";
        std::string strB = pB != nullptr ? std::to_string(static_cast<int32_t>(pB->value)) : "(absent)";
        if (m_objOut.json()) {
            objDiffs.push_back({{"key", nKey},
                                {"name", keyName(nKey)},
                                {"a", pA != nullptr ? SimJson(static_cast<int32_t>(pA->value)) : nullptr},
                                {"b", pB != nullptr ? SimJson(static_cast<int32_t>(pB->value)) : nullptr}});
        } else {
            m_objOut.data("  %5u %-28s %s | %s", nKey, keyName(nKey).c_str(), strA.c_str(), strB.c_str());
        }
    }
    if (m_objOut.json()) {
        m_objOut.document({{"a", p_stCommand.vecArgs[0]}, {"b", p_stCommand.vecArgs[1]}, {"differences", objDiffs}});
    } else {
        m_objOut.data("  %d key%s differ%s", nDiffs, nDiffs == 1 ? "" : "s", nDiffs == 1 ? "s" : "");
    }
    return true;
}
