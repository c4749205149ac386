// Construction and destruction of a channel controller, the small state accessors and the key cache.
#include <stdlib.h>

#include "Diagnostics.h"
#include "Function.h"
#include "ISensorController.h"
#include "PlatformFiles.h"
#include "SchemeHeader.h"

std::atomic<int> ISensorController::m_nPassKeycmd(-1);
std::atomic<int> ISensorController::m_nChanneldDosomething(-1);

constexpr uint8_t ISensorController::STATUS_INIT;
constexpr uint8_t ISensorController::STATUS_UINIT;
constexpr uint8_t ISensorController::STATUS_RUNNING;
constexpr uint8_t ISensorController::STATUS_RESET;
constexpr uint8_t ISensorController::STATUS_RESTORE;
constexpr uint8_t ISensorController::STATUS_SWITCH;
constexpr uint8_t ISensorController::STATUS_BUSY_MASK;
constexpr uint8_t ISensorController::STATUS_BUSY_OR_INIT_MASK;
constexpr u32 ISensorController::KEY_CMD_ROWS;
constexpr u32 ISensorController::KEY_CMD_CAPACITY;

namespace {

// Device types whose channel 2 is a thermal channel, in the order they are tested.
const int THERMAL_DEVICE_TYPES[] = {14, 13, 23, 17, 19};
const int DEVICE_TYPE_THERMAL_ONLY = 13;  // a thermal camera without a visible channel: always channel 2

}  // namespace

ISensorController::ISensorController()
    : m_stSysConf(),
      m_nCameraID(1),
      m_objMutex(),
      m_objPassMutex(),
      m_pSensorThread(nullptr),
      m_nLastScheme(-1),
      m_nCurScheme(-1),
      m_nParamMode(1),
      m_ppUserKeyVal(nullptr),
      m_pstKeyValTmp(nullptr),
      m_pFctKeyVal(nullptr),
      m_nKeyValSum(0),
      m_pLprKeyVal(nullptr),
      m_pKeyCmdMap(nullptr),
      m_nVersion(8),
      m_pVideoStreamModule(nullptr),
      m_objMachineInfo(),
      m_nStatus(0),
      m_nKeyCmdSum(KEY_CMD_CAPACITY),
      m_nLastSchedule(255),
      m_bLprMode(false),
      m_bShowWDRFalg(true),
      m_bTimeSchemeMode(false),
      m_bDNSchemeMode(false),
      m_bisLimitedIrPower(false),
      m_bHasLens(true),
      m_bShutterPass(false),
      m_bThermal(false),
      m_bShowLDCFlag(true),
      m_objZoomFocusParam(),
      m_objZoomFocusMutex(),
      m_bLockZoomFocus(false),
      m_nPassPost(0),
      m_bLayoutFromStyle(false) {
    typedef bind_funcobj0<int, ISensorController> Body;
    m_pSensorThread =
        new GThread(function<int>(new function_obj<int, Body>(Body(&ISensorController::sensorThread, this))),
                    "SensorThread", function<int>(&GThread::emptyFun), function<int>(&GThread::emptyFun));
    m_nStatus.store(0);
    // A missing file leaves the defaults; the device type then matches no special case.
    parseMachineInfoFile(m_objMachineInfo);
}

ISensorController::~ISensorController() {
    if (m_pSensorThread != nullptr) {
        m_pSensorThread->stop();
        delete m_pSensorThread;
        m_pSensorThread = nullptr;
    }
    // Normally uinit has released everything already; this covers an application that skipped it.
    releaseArrays();
    uinitSysConf(&m_stSysConf);
}

void ISensorController::releaseArrays() {
    // During init the factory array is separate until the scheme storage takes it over.
    bool bFctSeparate = m_pFctKeyVal != nullptr &&
                        (m_ppUserKeyVal == nullptr || m_pFctKeyVal != m_ppUserKeyVal[m_stSysConf.nSchemeSum]);
    if (bFctSeparate) free(m_pFctKeyVal);
    m_pFctKeyVal = nullptr;
    if (m_pstKeyValTmp != nullptr) free(m_pstKeyValTmp);
    m_pstKeyValTmp = nullptr;
    if (m_pKeyCmdMap != nullptr) free(m_pKeyCmdMap);
    m_pKeyCmdMap = nullptr;
    if (m_ppUserKeyVal != nullptr) {
        free(m_ppUserKeyVal[0]);  // the one block that every slot points into
        free(m_ppUserKeyVal);
    }
    m_ppUserKeyVal = nullptr;
    if (m_pLprKeyVal != nullptr) free(m_pLprKeyVal);
    m_pLprKeyVal = nullptr;
}

void ISensorController::setChannelID(int p_nChannel) {
    m_nCameraID = p_nChannel;
    int nDeviceType = m_objMachineInfo.getDeviceType();
    if (nDeviceType == DEVICE_TYPE_THERMAL_ONLY) {
        m_nCameraID = 2;
    } else if (m_nCameraID != 2) {
        return;
    }
    for (int nType : THERMAL_DEVICE_TYPES) {
        if (nDeviceType == nType) {
            m_bThermal = true;
            return;
        }
    }
}

int ISensorController::getSensorType() {
    return m_stSysConf.moduleConfig.nModuleId;
}

bool ISensorController::getSensorStatus() {
    return (m_nStatus.load() & STATUS_RUNNING) != 0;
}

int ISensorController::paramCheck() {
    int nCur = m_nCurScheme.load();
    // No current user scheme: nothing to validate, and nothing must be read.
    if (m_ppUserKeyVal == nullptr || nCur < 0 || static_cast<u32>(nCur) > m_stSysConf.nSchemeSum ||
        m_nKeyValSum < SCHEME_HEADER_LEN) {
        return 0;
    }
    const KeyVal* a = m_ppUserKeyVal[nCur];
    const uint64_t nStart = schemeClock(a[POS_START_HOUR].value, a[POS_START_MIN].value);
    if (nStart > WINDOW_CLOCK_MAX) return 505;
    const uint64_t nEnd = schemeClock(a[POS_END_HOUR].value, a[POS_END_MIN].value);
    if (nEnd > WINDOW_CLOCK_MAX) return 506;
    return nStart < nEnd ? 0 : 507;
}

void ISensorController::setVideoStreamModule(VideoStreamModule const* p_pVideoStreamModule) {
    m_pVideoStreamModule = p_pVideoStreamModule;
}

void ISensorController::printDebugMsg() {}

int ISensorController::getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal) {
    if (p_nScheme > m_stSysConf.nSchemeSum) {
        SNS_PLAIN("can not find val, invalid sheme(%d) \n", static_cast<int>(p_nScheme));
        return -1;
    }
    if (m_ppUserKeyVal == nullptr) return -1;
    const KeyVal* pScheme = m_ppUserKeyVal[p_nScheme];
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (pScheme[i].key == p_nKey) {
            p_nVal = pScheme[i].value;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ISensorController::setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce) {
    // The factory slot (index nSchemeSum) is written only when forced.
    if (p_bForce ? p_nScheme > m_stSysConf.nSchemeSum : p_nScheme >= m_stSysConf.nSchemeSum) return -2;
    if (m_ppUserKeyVal == nullptr) return -1;
    KeyVal* pScheme = m_ppUserKeyVal[p_nScheme];
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (pScheme[i].key == p_nKey) {
            pScheme[i].value = p_nVal;
            return static_cast<int>(i);
        }
    }
    return -1;
}
