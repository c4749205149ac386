// The channel's UI files: the dynamic-parameter style and the entries of the UI-file table.
#include "ControllerLock.h"
#include "DeviceStyleFiles.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "QuorixTime.h"
#include "SensorStyle.h"
#include "SysConfigInputs.h"

namespace {

// The video module reconfiguring its pipeline is asked again every 50 ms, for at most 1.5 s.
const long kBusyWaitUsec = 50000;
const int kBusyWaitMax = 30;
// getFisheyeRotate leaves this when it has nothing to say: the rotation element is then removed.
const int kFisheyeRotateUnknown = 100;

}  // namespace

std::string ISensorController::getUIStyleFile() {
    // Before the lock: a busy video module must not hold up the channel's other calls.
    if (m_pVideoStreamModule != nullptr) {
        for (int nWaits = 0; m_pVideoStreamModule->isBusy() != 0 && nWaits < kBusyWaitMax; ++nWaits)
            QuorixTime::wait(QuorixTime(0, kBusyWaitUsec));
        if (isFisheyeDeviceType(m_objMachineInfo.getDeviceType())) {
            int nValue = kFisheyeRotateUnknown;
            m_pVideoStreamModule->getFisheyeRotate(m_nCameraID, &nValue);
            setshowFisheyeRotateFlag(nValue == 0);
        }
    }

    CONTROLLER_LOCK_SCOPE();
    std::string strTmp;
    SNS_ASSERT_TEXT(
        SNS_SUCCESS == getDnaStyle(m_nCameraID, m_stSysConf.szUIStyle, strTmp, m_bShowWDRFalg, m_bShowLDCFlag),
        "SNS_SUCCESS == getDnaStyle(m_nCameraID,m_stSysConf.szUIStyle, strTmp,m_bShowWDRFalg,m_bShowLDCFlag)", nullptr);
    return strTmp;
}

std::string ISensorController::getUICommonFile(int nId) {
    CONTROLLER_LOCK_SCOPE();
    return sysConfUIFile(&m_stSysConf, nId, SYSCONF_UI_COMMON_FILE);
}

std::string ISensorController::getUILanguageFile(int nId) {
    CONTROLLER_LOCK_SCOPE();
    return sysConfUIFile(&m_stSysConf, nId, SYSCONF_UI_LANGUAGE_FILE);
}
