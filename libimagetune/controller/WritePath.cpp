// The write path: every parameter change ends in setParameters on an array, which routes each pair to its
// handler and records it in the current scheme, the key cache.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "ControllerLock.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "IaRecordBuffer.h"
#include "KeyIndex.h"
#include "TableLookup.h"
#include "ia_ctrl.h"

namespace {

const u32 KEY_SCHEME_MODE = 8000;
const u32 KEY_LIGHT_TYPE = 224;
const u32 LIGHT_TYPE_INTELLIGENT = 2;  // the twins are in force, the standard keys ignored
const u32 KEY_IR_MANUAL_STRG_NEAR = 163;
const u32 KEY_IR_MANUAL_STRG_FAR = 167;
const uint64_t IR_STRENGTH_BUDGET = 100;  // near plus far, on a module with limited infrared power
const u32 NO_VALUE = static_cast<u32>(-1);

// A standard light key and its twin for the intelligent light type; the applied value is kept under both.
struct TwinKeys {
    u32 nStandard;
    u32 nTwin;
};
const TwinKeys TWIN_KEYS[] = {
    {161, 168},  // KEY_IR_MODE, KEY_IR_MODE_INTELL
    {171, 175},  // KEY_WHITE_MODE, KEY_WHITE_MODE_INTELL
    {163, 200},  // KEY_IR_MANUAL_STRG_NEAR, KEY_IR_MANUAL_STRG_NEAR_INTELL
    {165, 201},  // KEY_IR_MANUAL_STRG_MEDIUM (twin is a cache key only)
    {167, 202},  // KEY_IR_MANUAL_STRG_FAR (twin is a cache key only)
    {172, 203},  // KEY_WHITE_MANUAL_STRG, KEY_WHITE_MANUAL_STRG_INTELL
    {173, 204},  // KEY_WHITE_MANUAL_STRG_MEDIUM (twin is a cache key only)
    {174, 205},  // KEY_WHITE_MANUAL_STRG_FAR (twin is a cache key only)
};

// Day/night settings that scheme 1 shares with scheme 0 under the day/night scheme mode.
const u32 DN_SHARED_KEYS[] = {
    144,  // KEY_DN_MODE
    145,  // KEY_DTN_THR
    146,  // KEY_NTD_THR
    149,  // KEY_DTN_H
    150,  // KEY_DTN_M
    151,  // KEY_NTD_H
    152,  // KEY_NTD_M
};

// Stored only, never sent: the scheme window and the placeholders.
const u32 CACHE_ONLY_KEYS[] = {8001, 8002, 8003, 8004, 10, 11, 13};

// On a thermal channel these go to the pipeline (and mirror/stabilisation to their handlers) directly.
const u32 KEY_NONE_COLOR_MODE = 8201;
const u32 KEY_TEMPERATURE_STRIP_SWITCH = 8217;
const u32 KEY_MIRROR = 2384;
const u32 KEY_ANTI_SHAKE_SWITCH = 2416;

const TwinKeys* findTwin(u32 p_nKey) {
    for (const TwinKeys& stTwin : TWIN_KEYS) {
        if (stTwin.nStandard == p_nKey || stTwin.nTwin == p_nKey) return &stTwin;
    }
    return nullptr;
}

// -(key) as a status, without overflow for keys above INT_MAX.
int negKey(u32 p_nKey) {
    return static_cast<int>(0u - p_nKey);
}

// The first position of each key in the scheme in force, built once for a whole scheme, so that its
// unchanged-value tests cost one look-up per key rather than a search of the scheme per key. Values are
// read from the scheme at the time of the test.
class SchemeKeyIndex {
public:
    SchemeKeyIndex() : m_pScheme(nullptr) {}

    // False (and the index unused) for a short list or a scheme too large for the table.
    bool build(const KeyVal* p_pScheme, u32 p_nKeys) {
        if (p_pScheme == nullptr || p_nKeys > KeyIndex::MAX_KEYS) return false;
        for (u32 i = 0; i < p_nKeys; ++i) m_objPositions.add(p_pScheme[i].key, i);
        m_pScheme = p_pScheme;
        return true;
    }
    // As isKeyValSame: false when the key is not in the scheme.
    bool same(const KeyVal& p_stPair) const {
        const int nPos = m_objPositions.find(p_stPair.key);
        return nPos >= 0 && m_pScheme[nPos].value == p_stPair.value;
    }

private:
    const KeyVal* m_pScheme;
    KeyIndex m_objPositions;
};

// Below this many pairs the searches are cheaper than building the index.
const u32 KEY_INDEX_MIN_PAIRS = 16;

void printLine(const char* p_szText) {
    printf("%s\n", p_szText);
    fflush(stdout);
}

}  // namespace

bool ISensorController::isKeyValSame(const KeyVal& p_stKeyVal) {
    // During a switch the values in force are still the previous scheme's.
    int nScheme = (m_nStatus.load() & STATUS_SWITCH) != 0 ? m_nLastScheme.load() : m_nCurScheme.load();
    u32 nVal = NO_VALUE;
    if (getKeyValFromCache(static_cast<u32>(nScheme), p_stKeyVal.key, nVal) < 0) return false;
    return nVal == p_stKeyVal.value;
}

int ISensorController::setParameters(KeyVal* p_pKeyval, u32 p_nKeyValNum, bool p_bCache) {
    if (p_nKeyValNum > 0 && (p_pKeyval == nullptr || m_pKeyCmdMap == nullptr)) {
        // Not initialised (or already shut down): there is no map to route the keys by.
        SNS_ASSERT_MSG(nullptr != p_pKeyval && nullptr != m_pKeyCmdMap, "p_nKeyValNum(%u)\n", p_nKeyValNum);
        return p_pKeyval == nullptr ? -1 : negKey(p_pKeyval[0].key);
    }
    const int nCur = m_nCurScheme.load();
    const u32 nCurScheme = static_cast<u32>(nCur);
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;
    // Mirrors written beside the pair itself go only to a user scheme: the factory values stay as they are.
    auto mirrorToCurrent = [&](u32 p_nKey, u32 p_nVal) {
        if (nCurScheme < nSchemeSum) setKeyValToCache(nCurScheme, p_nKey, p_nVal, true);
    };

    // The scheme the unchanged-value test compares with stays the same for the whole call (isKeyValSame).
    SchemeKeyIndex objIndex;
    bool bIndexed = false;
    if (p_bCache && p_nKeyValNum >= KEY_INDEX_MIN_PAIRS && m_ppUserKeyVal != nullptr) {
        const int nCompared = (m_nStatus.load() & STATUS_SWITCH) != 0 ? m_nLastScheme.load() : nCur;
        if (nCompared >= 0 && static_cast<u32>(nCompared) <= nSchemeSum)
            bIndexed = objIndex.build(m_ppUserKeyVal[nCompared], m_nKeyValSum);
    }

    for (u32 i = 0; i < p_nKeyValNum; ++i) {
        KeyVal& stPair = p_pKeyval[i];
        u32* pVal = &stPair.value;
        if (p_bCache && (bIndexed ? objIndex.same(stPair) : isKeyValSame(stPair))) continue;

        u32 nKey = stPair.key;  // the key dispatched: a twin is sent as its standard key
        bool bSettled = true;   // handled without the map
        if (nKey == KEY_SCHEME_MODE) {
            if (nCur == 0) {
                u32 nMode = stPair.value;
                m_bTimeSchemeMode.store(nMode == 1);
                m_bDNSchemeMode.store(nMode == 2);
                u32 nCopied = (nMode == 1 || nMode == 2) ? nMode : 0;
                for (u32 s = 1; s < nSchemeSum; ++s) setKeyValToCache(s, KEY_SCHEME_MODE, nCopied, true);
            }
        } else if (tableContains(CACHE_ONLY_KEYS, nKey)) {
            // recorded below, nothing to send
        } else if (m_bThermal && (nKey == KEY_NONE_COLOR_MODE || nKey == KEY_TEMPERATURE_STRIP_SWITCH)) {
            notifyToVideo(static_cast<int>(nKey), static_cast<int>(*pVal));
        } else if (m_bThermal && nKey == KEY_MIRROR) {
            doMirror(KEY_MIRROR, IA_CMD_OPT_SET, pVal);
        } else if (m_bThermal && nKey == KEY_ANTI_SHAKE_SWITCH) {
            doDIS(KEY_ANTI_SHAKE_SWITCH, IA_CMD_OPT_SET, pVal);
        } else {
            bSettled = false;
        }

        if (!bSettled) {
            bool bDispatch = true;
            if (m_bDNSchemeMode.load() && tableContains(DN_SHARED_KEYS, nKey)) {
                if (nCur == 0) {
                    // Scheme 1 keeps scheme 0's day/night settings; with a single user scheme there is none.
                    if (1 < nSchemeSum) setKeyValToCache(1, nKey, stPair.value, true);
                } else {
                    bDispatch = false;
                }
            }

            if (const TwinKeys* pTwin = findTwin(nKey)) {
                u32 nLightType = 0;
                getKeyValFromCache(nCurScheme, KEY_LIGHT_TYPE, nLightType);
                bool bIntelligent = nLightType == LIGHT_TYPE_INTELLIGENT;
                bool bIsTwin = nKey == pTwin->nTwin;
                u32 nStandard = pTwin->nStandard;
                // The twin of an infrared strength drives the same illuminator, so the budget holds for it too.
                bool bBudget = m_bisLimitedIrPower &&
                               (nStandard == KEY_IR_MANUAL_STRG_NEAR || nStandard == KEY_IR_MANUAL_STRG_FAR);
                if (bBudget && (!bIsTwin || bIntelligent) && !irBudgetAllows(nStandard, stPair.value)) {
                    return negKey(p_pKeyval[0].key);
                }
                if (bIsTwin != bIntelligent) continue;  // not the light type in force: neither sent nor stored
                mirrorToCurrent(bIsTwin ? nStandard : pTwin->nTwin, stPair.value);
                nKey = nStandard;
            }

            if (bDispatch) {
                keycmd stRow = keycmd();
                int nRow = findFromKeyCmdMap(m_pKeyCmdMap, nKey, stRow);
                // A key without a row goes out as an IA command of that number, whose set may read a whole
                // record: it gets one, zeroed beyond the value.
                IaRecordBuffer uStandBy;
                if (!SNS_ASSERT_TEXT(-1 != nRow, "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)",
                                     "p_pKeyval[%u].key(%u)", i, nKey)) {
                    SNS_PLAIN_COLOR(32, "not find (%d) \n", static_cast<int>(nKey));
                    stRow = standByRow(nKey);
                    uStandBy = IaRecordBuffer::holding(*pVal);
                    pVal = &uStandBy.nValue;
                }
                if (stRow.pfnHandler != nullptr) {
                    SNS_PLAIN_COLOR(31,
                                    "====================== set %.32s (%d,%d) func:%s ia_cmd:%d "
                                    "=====================\n",
                                    stRow.szKeyName, static_cast<int>(stRow.nKey), static_cast<int>(*pVal),
                                    stRow.szFuncName, static_cast<int>(stRow.nCmd));
                    int nRet = (this->*stRow.pfnHandler)(stRow.nCmd, IA_CMD_OPT_SET, pVal);
                    if (nRet != 0) {
                        if (nRet == -1 || nRet == -4 || nRet == -5) {
                            SNS_ERR("set %.32s (%d,%d) func:%s ia_cmd:%d ~~~failed ia_ret=%d\n", stRow.szKeyName,
                                    static_cast<int>(stRow.nKey), static_cast<int>(*pVal), stRow.szFuncName,
                                    static_cast<int>(stRow.nCmd), nRet);
                        }
                        return negKey(stRow.nKey);
                    }
                }
            }
        }

        if (p_bCache && setKeyValToCache(nCurScheme, stPair.key, stPair.value, false) == -1) {
            SNS_DBG(
                "SET_KEY_VAL FAILED, m_nCurScheme(%d), p_pKeyval[%d].key(%d), p_pKeyval[%d].value(%d),  maybe jixin\n",
                nCur, static_cast<int>(i), static_cast<int>(stPair.key), static_cast<int>(i),
                static_cast<int>(stPair.value));
        }
    }
    printf("\n");
    fflush(stdout);
    return 0;
}

bool ISensorController::irBudgetAllows(u32 p_nKey, u32 p_nVal) {
    const bool bNear = p_nKey == KEY_IR_MANUAL_STRG_NEAR;
    const u32 nOther = bNear ? KEY_IR_MANUAL_STRG_FAR : KEY_IR_MANUAL_STRG_NEAR;
    u32 nVal = NO_VALUE;
    if (getKeyValFromCache(static_cast<u32>(m_nCurScheme.load()), nOther, nVal) < 0) {
        if (SNS_ASSERT_MSG(SNS_SUCCESS == doIaCmd(nOther, IA_CMD_OPT_GET, &nVal), "get key(%d) val from 2a err",
                           static_cast<int>(nOther))) {
            printLine(bNear ? "### KEY_IR_MANUAL_STRG_FAR doIaCmd sucess"
                            : "### KEY_IR_MANUAL_STRG_NEAR doIaCmd sucess");
        } else {
            printLine(bNear ? "### KEY_IR_MANUAL_STRG_FAR doIaCmd error" : "### KEY_IR_MANUAL_STRG_NEAR doIaCmd error");
            nVal = NO_VALUE;  // whatever a failed read left there is no strength
        }
    }
    // In 64 bits: a huge value must not wrap round into the budget.
    return nVal == NO_VALUE || static_cast<uint64_t>(p_nVal) + nVal <= IR_STRENGTH_BUDGET;
}

keycmd ISensorController::standByRow(u32 p_nKey) {
    keycmd stRow = keycmd();
    stRow.nKey = p_nKey;
    stRow.nCmd = p_nKey;
    stRow.pfnHandler = &ISensorController::doIaCmd;
    snprintf(stRow.szKeyName, sizeof(stRow.szKeyName), "%s", "unknow key");
    snprintf(stRow.szFuncName, sizeof(stRow.szFuncName), "%s", "ISensorController::doIaCmd");
    return stRow;
}

int ISensorController::setParameters(const std::string& p_strParameters, bool p_bCache) {
    CONTROLLER_LOCK_SCOPE();
    SNS_DBG("p_Parameters1111111111(%s)\n", p_strParameters.c_str());
    u32 nNum = 0;
    if (m_pstKeyValTmp == nullptr) {
        // Not initialised: parse the first pair only, so that the refusal names its key.
        KeyVal stFirst = KeyVal();
        keyval_str2st(p_strParameters, &stFirst, &nNum, 1);
        return setParameters(&stFirst, nNum, p_bCache);
    }
    // Every pair of the text is applied: a text with more pairs than the scratch array holds (a key twice, say)
    // is parsed into an array of its own instead of being cut short. A pair starts with "(", so their count
    // bounds the pairs.
    const size_t nOpen = static_cast<size_t>(std::count(p_strParameters.begin(), p_strParameters.end(), '('));
    if (nOpen <= m_nKeyValSum) {
        keyval_str2st(p_strParameters, m_pstKeyValTmp, &nNum, m_nKeyValSum);
        return setParameters(m_pstKeyValTmp, nNum, p_bCache);
    }
    const u32 nCapacity = static_cast<u32>(std::min<size_t>(nOpen, UINT32_MAX / sizeof(KeyVal)));
    KeyVal* pPairs = static_cast<KeyVal*>(malloc(static_cast<size_t>(nCapacity) * sizeof(KeyVal)));
    if (!SNS_ASSERT_MSG(nullptr != pPairs, "no room for the %u pairs of the text\n", nCapacity)) return -1;
    keyval_str2st(p_strParameters, pPairs, &nNum, nCapacity);
    int nRet = setParameters(pPairs, nNum, p_bCache);
    free(pPairs);
    return nRet;
}

int ISensorController::setParameter(int p_nKey, int p_nVal, bool p_bCache) {
    CONTROLLER_LOCK_SCOPE();
    SNS_DBG("p_Parameters22222222222(%d, %d)\n", p_nKey, p_nVal);
    KeyVal stPair = {static_cast<u32>(p_nKey), static_cast<u32>(p_nVal)};
    return setParameters(&stPair, 1, p_bCache);
}
