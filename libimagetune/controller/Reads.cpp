// The read side: single values and key lists from the key cache or the IA library, the whole current scheme
// as pair text, the valid values of the range keys, and the application's pass-through check command.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml.h>

#include "ControllerLock.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "IaRecordBuffer.h"
#include "InitShutdownFiles.h"
#include "RegularFile.h"
#include "SchemeFileByKey.h"
#include "SensorFile.h"
#include "StringHandler.h"
#include "TableLookup.h"
#include "XmlText.h"
#include "ia_ctrl.h"

namespace {

const char* const SOURCE_NAME = "ISensorController";

// Infrared keys that read as -1 when the current scheme does not hold them: the IA library has no getter.
const int UNCACHED_IR_KEYS[] = {
    160,  // KEY_IR_SWITCH
    161,  // KEY_IR_MODE
    163,  // KEY_IR_MANUAL_STRG_NEAR
    165,  // KEY_IR_MANUAL_STRG_MEDIUM
    167,  // KEY_IR_MANUAL_STRG_FAR
};

// Keys whose valid values the IA library reports per sensor.
const int RANGE_KEYS[] = {
    49,    // KEY_MAX_SHUTTER
    50,    // KEY_FIX_SHUTTER
    51,    // KEY_MIN_SHUTTER
    55,    // KEY_MIN_SHUTTER_NIGHT
    56,    // KEY_MAX_SHUTTER_NIGHT
    82,    // KEY_IRIS_POSITION
    1537,  // KEY_AUTO_FOCUS_NEAR_LIMIT
};

const int KEY_MAX_SHUTTER = 49;
// A style value of KEY_MAX_SHUTTER at or above this marks a customised shutter list: the stored scheme file,
// not the corrected cache, is then the truth.
const int MAX_SHUTTER_CUSTOM_MARK = 200;
const int SENSOR_CHECK_READ_BACK = 2;
// The merged style holds the style document and the tabs the diversity document added: no more than both.
const size_t MERGED_STYLE_TEXT_MAX = 2 * static_cast<size_t>(SNS_STYLE_TEXT_MAX);

void printParseFailure(int p_nLine, const std::string& p_strIds) {
    printf("%s%d getParameters fail p_strIds = %s \n", SOURCE_NAME, p_nLine, p_strIds.c_str());
    fflush(stdout);
}

}  // namespace

bool ISensorController::getParameter(int p_nKey, int& p_nVal) {
    CONTROLLER_LOCK_SCOPE();
    SNS_DBG("p_nKey(%d)\n", p_nKey);
    u32 nCached = static_cast<u32>(-1);
    if (getKeyValFromCache(static_cast<u32>(m_nCurScheme.load()), static_cast<u32>(p_nKey), nCached) >= 0) {
        p_nVal = static_cast<int>(nCached);
        return true;
    }
    if (tableContains(UNCACHED_IR_KEYS, p_nKey)) {
        p_nVal = -1;
        return true;
    }
    // Through a buffer that holds any record, the caller's value in its first 32 bits: a get that writes
    // nothing leaves it as it was.
    IaRecordBuffer uGet = IaRecordBuffer::holding(static_cast<u32>(p_nVal));
    const int nRet = doIaCmd(p_nKey, IA_CMD_OPT_GET, &uGet);
    p_nVal = static_cast<int>(uGet.nValue);
    return SNS_ASSERT_TEXT(SNS_SUCCESS == nRet, "SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &p_nVal)",
                           "get key(%d) val from 2a err", p_nKey);
}

bool ISensorController::parseSensorParameter(const std::string& p_strIds, std::vector<std::string>& p_vecIds) {
    if (p_strIds.empty()) return false;
    size_t nOpen = p_strIds.find('(');
    if (nOpen != 0 || p_strIds.size() < 3) return false;
    size_t nClose = p_strIds.find(')', nOpen);
    if (nClose != p_strIds.size() - 1) return false;
    StringHandler::split(p_strIds.substr(1, nClose - 1), p_vecIds, ",");
    return !p_vecIds.empty();
}

bool ISensorController::getParameters(const std::string& p_strIds, std::string& p_strParameters) {
    std::vector<std::string> vecIds;
    if (!parseSensorParameter(p_strIds, vecIds)) {
        printParseFailure(__LINE__, p_strIds);
        return false;
    }
    p_strParameters.clear();
    for (const std::string& strId : vecIds) {
        int nKey = atoi(strId.c_str());
        int nVal = 0;
        if (!getParameter(nKey, nVal)) continue;
        char szPair[32];
        snprintf(szPair, sizeof(szPair), "(%d,%d)", nKey, nVal);
        p_strParameters += szPair;
    }
    printf("@@ out_Parameters = %s @@\n", p_strParameters.c_str());
    fflush(stdout);
    return true;
}

bool ISensorController::getAllParameters(std::string& p_strParameters) {
    CONTROLLER_LOCK_SCOPE();
    char szStyleFile[64];
    snprintf(szStyleFile, sizeof(szStyleFile), SNS_MERGE_STYLE_FILE, m_nCameraID);
    // Any local program can write /tmp: the file is read as every document is, without blocking or taking a
    // folder, within a size limit, and parsed with the nesting guard; and, as the library wrote it there itself,
    // a link in its place is refused.
    std::string strStyle;
    const RegularFileResult stStyleFile = readRegularFile(szStyleFile, MERGED_STYLE_TEXT_MAX, strStyle,
                                                          REGULAR_FILE_WHOLE, REGULAR_FILE_REFUSE_LINK);
    if (regularFileRefused(stStyleFile)) SNS_REPORT_REFUSED_FILE(szStyleFile, stStyleFile);
    TiXmlDocument objStyleXmlDoc;
    SNS_ASSERT_TEXT(
        stStyleFile.eStatus == REGULAR_FILE_OK && xmlLoadMem(objStyleXmlDoc, strStyle.c_str(), TIXML_ENCODING_UTF8),
        "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)", nullptr);

    int nVal = MAX_SHUTTER_CUSTOM_MARK;
    int nFound = SNS_SUCCESS;
    TiXmlElement* pRoot = objStyleXmlDoc.RootElement();
    TiXmlElement* pFirst = pRoot != nullptr ? pRoot->FirstChildElement() : nullptr;
    if (pFirst != nullptr) nFound = getDnaValbyCmdId(pFirst, KEY_MAX_SHUTTER, nVal);

    const int nCur = m_nCurScheme.load();
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;
    if (nFound == SNS_SUCCESS && nVal >= MAX_SHUTTER_CUSTOM_MARK) {
        if (static_cast<u32>(nCur) >= nSchemeSum || m_pstKeyValTmp == nullptr || m_pFctKeyVal == nullptr) return true;
        std::string strScheme = schemeFileName(m_bThermal, m_nCameraID, nCur);
        const char* szTmp = strScheme.c_str();
        // By key, as init reads it: a foreign record is never reported as the channel's.
        memcpy(m_pstKeyValTmp, m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
        if (SNS_ASSERT_TEXT(SNS_SUCCESS == keyValFromFileByKey(szTmp, m_pstKeyValTmp, m_nKeyValSum).nStatus,
                            "SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum)",
                            "szTmp(%s), m_nKeyValSum(%d)\n", szTmp, static_cast<int>(m_nKeyValSum))) {
            keyval_st2str(p_strParameters, m_pstKeyValTmp, m_nKeyValSum);
        } else if (m_ppUserKeyVal != nullptr) {
            // The scratch array holds no valid copy of the file: report what is in force instead.
            keyval_st2str(p_strParameters, m_ppUserKeyVal[nCur], m_nKeyValSum);
        }
        return true;
    }

    // No scheme in force yet (or none any more): there is no array to correct or report.
    if (nCur < 0 || static_cast<u32>(nCur) > nSchemeSum || m_ppUserKeyVal == nullptr) return true;
    SNS_ASSERT_TEXT(SNS_SUCCESS == keyval_correct(iaChannel(), m_ppUserKeyVal[nCur], m_nKeyValSum),
                    "SNS_SUCCESS == keyval_correct(iaChannel(), m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum)",
                    "m_nCurScheme(%d) m_nKeyValSum(%d)\n", nCur, static_cast<int>(m_nKeyValSum));
    keyval_st2str(p_strParameters, m_ppUserKeyVal[nCur], m_nKeyValSum);
    return true;
}

bool ISensorController::getSensorParamRange(int p_nCmd, int& p_nDefault, std::string& p_strRange) {
    ia_dynamic_params_cmds_st dnaCmdList = ia_dynamic_params_cmds_st();
    SNS_ASSERT_TEXT(
        SNS_SUCCESS == ia_ioctrl_v2(iaChannel(), IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &dnaCmdList),
        "SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
        "(void*)(&dnaCmdList))",
        nullptr);
    if (!tableContains(RANGE_KEYS, p_nCmd)) return false;
    bool bListed = false;
    const int nCmdCnt = ia_cmds_count(&dnaCmdList);
    for (int i = 0; i < nCmdCnt && !bListed; ++i) bListed = dnaCmdList.cmd_list[i] == p_nCmd;
    if (!bListed) return false;

    ia_dynamic_params_attr_st stDynamicParam = ia_dynamic_params_attr_st();
    SNS_ASSERT_TEXT(SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, &stDynamicParam),
                    "SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&stDynamicParam))", nullptr);
    if (stDynamicParam.attr_type != 0) return true;

    p_nDefault = stDynamicParam.def_val;
    const int nItems = ia_items_count(&stDynamicParam);
    for (int i = 0; i < nItems; ++i) {
        char szItem[16];
        snprintf(szItem, sizeof(szItem), i + 1 < nItems ? "%d " : "%d", stDynamicParam.item[i]);
        p_strRange += szItem;
    }
    printf("cmd=%d DefaltParam=%d strParamRange=%s\n", p_nCmd, p_nDefault, p_strRange.c_str());
    fflush(stdout);
    return true;
}

int ISensorController::SensorCheck(std::string& p_str) {
    std::vector<std::string> vecFields;
    // Fewer than three fields cannot be read as a check command either.
    if (!parseSensorParameter(p_str, vecFields) || vecFields.size() < 3) {
        printParseFailure(__LINE__, p_str);
        return 0;
    }
    ia_sensor_check_st stCheck = ia_sensor_check_st();
    stCheck.a = atoi(vecFields[0].c_str());
    stCheck.b = atoi(vecFields[1].c_str());
    stCheck.c = atoi(vecFields[2].c_str());
    stCheck.result = 0;
    bool bReadBack = stCheck.b == SENSOR_CHECK_READ_BACK;
    int nRet = ia_ioctrl_v2(iaChannel(), IA_CMD_SENSOR_CHECK, bReadBack ? IA_CMD_OPT_GET : IA_CMD_OPT_SET, &stCheck);
    if (bReadBack) {
        char szResult[16];
        snprintf(szResult, sizeof(szResult), "%d", stCheck.result);
        p_str = szResult;
    }
    return nRet;
}
