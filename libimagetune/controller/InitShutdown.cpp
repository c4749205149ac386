// Start-up and shut-down of a channel: configuration and factory values, the scheme files, the module's
// markers, the key-command map, the first scheme and the background thread; and their release.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "DeviceRoot.h"
#include "DeviceType.h"
#include "Diagnostics.h"
#include "FileReplace.h"
#include "ISensorController.h"
#include "InitShutdownFiles.h"
#include "LifecycleLock.h"
#include "PlatformFiles.h"
#include "SchemeFileByKey.h"
#include "SensorFile.h"
#include "StyleShowFlags.h"
#include "SysConfigInputs.h"

namespace {

const u32 KEY_SCHEME_MODE = 8000;
const u32 SCHEME_MODE_TIME = 1;
const u32 SCHEME_MODE_DAYNIGHT = 2;
const int DEVICE_TYPE_LPR = DeviceType::LPR;
const int DEVICE_TYPE_FISHEYE = DeviceType::FISHEYE;
const int LPR_NIGHT_SCHEME = 1;
// More schemes than any module has, and few enough that the storage size cannot overflow.
const u32 SCHEME_SUM_MAX = 64;

// What an LPR device's night scheme holds instead of the factory values when its file is first created.
const KeyVal LPR_NIGHT_VALUES[] = {
    {144, 0},   // KEY_DN_MODE: fixed colour
    {49, 18},   // KEY_MAX_SHUTTER
    {51, 20},   // KEY_MIN_SHUTTER
    {96, 1},    // KEY_METER_AREA
    {161, 2},   // KEY_IR_MODE
    {163, 40},  // KEY_IR_MANUAL_STRG_NEAR
};

// Hardware models whose narrow encoder streams cannot carry the beaway view.
const char* const BEAWAY_LIMITED_MODELS[] = {"Hi3516AV200", "Hi3516AV200Thermal"};
const int BEAWAY_ENCODER_TYPE = 1;
const int BEAWAY_MAX_HEIGHT = 255;
const int FISHEYE_ROTATE_UNSET = 100;

void applyValues(KeyVal* p_pKeyVal, u32 p_nNum, const KeyVal* p_pValues, size_t p_nValues) {
    for (size_t v = 0; v < p_nValues; ++v) {
        for (u32 i = 0; i < p_nNum; ++i) {
            if (p_pKeyVal[i].key == p_pValues[v].key) {
                p_pKeyVal[i].value = p_pValues[v].value;
                break;
            }
        }
    }
}

// "lensId" then "=", a number that is not 0, and a ")" after the "=".
bool detailHasLens(const char* p_szDetail) {
    const char* szName = strstr(p_szDetail, "lensId");
    if (szName == nullptr) return false;
    const char* szEquals = strchr(szName, '=');
    if (szEquals == nullptr || strchr(szEquals, ')') == nullptr) return false;
    return atoi(szEquals + 1) != 0;
}

}  // namespace

bool ISensorController::init(const ModuleConfigure& p_objModuleConfigure) {
    // Other threads' calls see the channel before init or after it, never half built.
    LifecycleLock objLock(this, m_objMutex, m_objPassMutex, __FILE__, __LINE__);
    // A second init without uinit: release the running state first, so that nothing leaks and the
    // background thread is started once.
    if ((m_nStatus.load() & STATUS_RUNNING) != 0 || m_ppUserKeyVal != nullptr || m_pKeyCmdMap != nullptr ||
        m_stSysConf.szUIStyle != nullptr) {
        m_nStatus.fetch_or(STATUS_RUNNING);
        uinit();
    }
    m_nStatus.fetch_and(static_cast<uint8_t>(~(STATUS_INIT | STATUS_RUNNING)));
    m_nStatus.fetch_or(STATUS_INIT);

    bool bInputsWhole = false;
    SNS_ASSERT_TEXT(SNS_SUCCESS == initSysConfInputs(m_nCameraID, p_objModuleConfigure, &m_stSysConf, &bInputsWhole),
                    "SNS_SUCCESS == initSysConf(m_nCameraID,p_objModuleConfigure, &m_stSysConf)", nullptr);
    if (!SNS_ASSERT_MSG(m_stSysConf.nSchemeSum <= SCHEME_SUM_MAX, "nSchemeSum(%u) cut to %u\n", m_stSysConf.nSchemeSum,
                        SCHEME_SUM_MAX)) {
        m_stSysConf.nSchemeSum = SCHEME_SUM_MAX;
    }
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;

    // Room for every key a style can hold, at every init: m_nKeyCmdSum is 166 after the first map was built,
    // and a style with all 170 keys would otherwise lose four and no longer match its files.
    m_pFctKeyVal = static_cast<KeyVal*>(calloc(KEY_CMD_CAPACITY, sizeof(KeyVal)));
    m_pLprKeyVal = static_cast<KeyVal*>(calloc(KEY_CMD_CAPACITY, sizeof(KeyVal)));
    m_nKeyValSum = 0;
    // The factory layout is that of a first start after power-on, every display flag shown, whatever this
    // channel's previous run or another channel has shown since: the files written at the init of a reset
    // must match the layout of the next start. The flags themselves change only at the end of init.
    SNS_ASSERT_TEXT(SNS_SUCCESS == getFctData(m_nCameraID, m_stSysConf.szUIStyle, m_pFctKeyVal, &m_nKeyValSum,
                                              STYLE_SHOW_ALL, KEY_CMD_CAPACITY),
                    "SNS_SUCCESS == getFctData(m_nCameraID,m_stSysConf.szUIStyle, m_pFctKeyVal, "
                    "&m_nKeyValSum,m_bShowWDRFalg,m_bShowLDCFlag)",
                    "m_nKeyValSum(%d)\n", static_cast<int>(m_nKeyValSum));
    m_nKeyValSum = std::min(m_nKeyValSum, KEY_CMD_CAPACITY);
    // Without the machine information or a style document the layout is another family's, or empty: the
    // schemes stored under the real one must survive this start.
    m_bLayoutFromStyle = bInputsWhole && m_nKeyValSum > 0;
    SNS_ASSERT_MSG(m_bLayoutFromStyle,
                   "the scheme layout (%u keys) is not built from a whole style: no stored scheme of another layout "
                   "is replaced\n",
                   static_cast<unsigned>(m_nKeyValSum));

    // One block for every scheme, the factory values in the last slot.
    const size_t nRun = m_nKeyValSum;
    KeyVal* pBlock = static_cast<KeyVal*>(calloc(std::max<size_t>((nSchemeSum + 1) * nRun, 1), sizeof(KeyVal)));
    m_ppUserKeyVal = static_cast<KeyVal**>(calloc(nSchemeSum + 1, sizeof(KeyVal*)));
    for (u32 s = 0; s <= nSchemeSum; ++s) m_ppUserKeyVal[s] = pBlock + s * nRun;
    memcpy(m_ppUserKeyVal[nSchemeSum], m_pFctKeyVal, nRun * sizeof(KeyVal));
    free(m_pFctKeyVal);
    m_pFctKeyVal = m_ppUserKeyVal[nSchemeSum];

    // A power cut during an earlier write leaves its temporary file behind; the stored file itself is whole.
    removeLeftoverTemporaries(SCHEME_FOLDER);

    u32 nLocalVersion = 0;
    if (getVersion(&nLocalVersion) != 0 || nLocalVersion != m_nVersion) {
        SNS_WARN(
            "check the sensor version,   local(%u) --> libimagetune.so(%u), source the cmd: rm -rf "
            "/mnt/mtd/code/config*/sensor*\n",
            nLocalVersion, m_nVersion);
        removeStaleSchemeFiles(m_bThermal, m_nCameraID);
    }

    MachineInfo objMachineInfo;
    parseMachineInfoFile(objMachineInfo);
    DeviceType objDeviceType(objMachineInfo.getDeviceType());
    const char* szDetail = m_stSysConf.moduleConfig.szDetail;
    if (strstr(szDetail, "(isInfrared=17)") != nullptr) {
        printf("#### m_bisLimitedIrPower is true!\n");
        fflush(stdout);
        m_bisLimitedIrPower = true;
    }
    if (!detailHasLens(szDetail)) m_bHasLens = false;
    if (objDeviceType.getDeviceTypeId() == DEVICE_TYPE_LPR && strstr(szDetail, "(isInfrared=0)") == nullptr &&
        strstr(szDetail, "(isInfrared=1)") == nullptr) {
        m_bLprMode = true;
    }

    for (u32 s = 0; s < nSchemeSum; ++s) {
        std::string strFile = schemeFileName(m_bThermal, m_nCameraID, static_cast<int>(s));
        std::vector<char> vecName(strFile.begin(), strFile.end());
        vecName.push_back('\0');
        char* szFile = vecName.data();
        // Only a missing file is created (a link to nothing counts as missing, and the write replaces it):
        // whatever else is there (a FIFO, a folder, another layout) is read, or refused, below. A layout without
        // keys stores nothing.
        if (access(qx_device_path(strFile).c_str(), F_OK) != 0 && m_nKeyValSum > 0)
            keyValToFile(szFile, factorySchemeContent(s), m_nKeyValSum);
        // By key: a file of this layout gives every value, one of an older layout those it shares, and one
        // that cannot be read (or gives no key of the layout) leaves the factory values, not a torn mixture.
        memcpy(m_ppUserKeyVal[s], m_pFctKeyVal, nRun * sizeof(KeyVal));
        keyValFromFileByKey(szFile, m_ppUserKeyVal[s], m_nKeyValSum);
        if (s == 0) takeSchemeModeOfScheme0();
    }

    SNS_ASSERT_MSG(SNS_SUCCESS == setVersion(m_nVersion), "m_nVersion(%d)\n", static_cast<int>(m_nVersion));

    buildKeyCmdMap();

    if (!m_bDNSchemeMode.load() && !m_bTimeSchemeMode.load()) switch_to(0, false);

    // One pass of the thread body before the thread exists, under the mutex init holds.
    sensorPass(PASS_LOCK_HELD);
    SNS_ASSERT_MSG(m_pSensorThread->start(), "\n");

    // Each flag is written once, with its final value: other channels read the process-wide ones at any time.
    bool bShowWDR = true;
    bool bShowLDC = false;
    bool bShowBeaway = true;
    if (m_pVideoStreamModule != nullptr) {
        std::vector<AVStreamParam> vecStreams;
        m_pVideoStreamModule->getAVStreamParams(vecStreams);
        std::string strModel = objMachineInfo.getHardwareModel();
        bool bLimitedModel = false;
        for (const char* szModel : BEAWAY_LIMITED_MODELS) bLimitedModel = bLimitedModel || strModel == szModel;
        if (bLimitedModel) {
            for (const AVStreamParam& objStream : vecStreams) {
                if (objStream.getVideoEncoderType() == BEAWAY_ENCODER_TYPE &&
                    objStream.getVideoHeight() <= BEAWAY_MAX_HEIGHT) {
                    bShowBeaway = false;
                }
            }
        }
        LimitedFramesWDRModeParam objLimits;
        m_pVideoStreamModule->getLimitedFramesWDRModeParam(m_nCameraID, objLimits);
        if (objLimits.getLimitFramesModeId() == 0 && objLimits.getLimitWdr() == 1) bShowWDR = false;
        if (objLimits.getLDCSupport() != 0 && objLimits.getLDCSwitch() != 0) bShowLDC = true;
        if (m_objMachineInfo.getDeviceType() == DEVICE_TYPE_FISHEYE) {
            int nRotate = FISHEYE_ROTATE_UNSET;
            m_pVideoStreamModule->getFisheyeRotate(m_nCameraID, &nRotate);
            setshowFisheyeRotateFlag(nRotate == 0);
        }
    }
    m_bShowWDRFalg.store(bShowWDR);
    m_bShowLDCFlag = bShowLDC;
    setshowBeawayFalg(bShowBeaway);

    m_nStatus.fetch_and(static_cast<uint8_t>(~(STATUS_INIT | STATUS_RUNNING)));
    m_nStatus.fetch_or(STATUS_RUNNING);
    SNS_DBG("ISensorController::initSensor  success\n");
    return true;
}

KeyVal* ISensorController::factorySchemeContent(u32 p_nScheme) {
    if (!m_bLprMode) {
        // Every scheme created from here on starts in the fixed scheme mode.
        if (p_nScheme == 0) setKeyValToCache(m_stSysConf.nSchemeSum, KEY_SCHEME_MODE, 0, true);
        return m_pFctKeyVal;
    }
    if (p_nScheme != LPR_NIGHT_SCHEME) return m_pFctKeyVal;
    memcpy(m_pLprKeyVal, m_pFctKeyVal, m_nKeyValSum * sizeof(KeyVal));
    applyValues(m_pLprKeyVal, m_nKeyValSum, LPR_NIGHT_VALUES, sizeof(LPR_NIGHT_VALUES) / sizeof(LPR_NIGHT_VALUES[0]));
    return m_pLprKeyVal;
}

void ISensorController::takeSchemeModeOfScheme0() {
    u32 nMode = 0;
    if (getKeyValFromCache(0, KEY_SCHEME_MODE, nMode) < 0) return;
    m_bTimeSchemeMode.store(nMode == SCHEME_MODE_TIME);
    m_bDNSchemeMode.store(nMode == SCHEME_MODE_DAYNIGHT);
}

void ISensorController::factorySchemesInMemory() {
    if (m_ppUserKeyVal == nullptr || m_pFctKeyVal == nullptr || m_pLprKeyVal == nullptr) return;
    for (u32 s = 0; s < m_stSysConf.nSchemeSum; ++s)
        memcpy(m_ppUserKeyVal[s], factorySchemeContent(s), m_nKeyValSum * sizeof(KeyVal));
    takeSchemeModeOfScheme0();
}

void ISensorController::uinit() {
    // Nothing is released under a call that uses it. The thread's passes only try the mutex, so stopping
    // the thread while holding it cannot deadlock.
    LifecycleLock objLock(this, m_objMutex, m_objPassMutex, __FILE__, __LINE__);
    if ((m_nStatus.load() & STATUS_RUNNING) == 0) return;
    m_bShutterPass.store(true);
    m_nStatus.fetch_or(STATUS_UINIT);
    SNS_ASSERT_MSG(m_pSensorThread->stop(), "\n");
    releaseArrays();
    uinitSysConf(&m_stSysConf);
    m_nParamMode.store(1);
    m_nLastScheme.store(-1);
    m_nCurScheme.store(-1);
    m_nKeyValSum = 0;
    m_pFctKeyVal = nullptr;
    // Shut down is not running: getSensorStatus says so, and a second uinit finds nothing to do.
    m_nStatus.fetch_and(static_cast<uint8_t>(~(STATUS_UINIT | STATUS_RUNNING)));
}
