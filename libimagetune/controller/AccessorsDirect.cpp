// Named operations that send one IA command of their own: nothing is cached or stored and no lock is taken.
// Lens commands do nothing on a module without a motorised lens.
#include <string.h>

#include "ISensorController.h"
#include "ia_ctrl.h"

namespace {

const u32 CMD_FOCUS_MODE = 1536;
const u32 CMD_FOCUS_VALUE = 1552;
const u32 CMD_ZOOM_VALUE = 1568;
const u32 CMD_ZOOM_IN = 1569;
const u32 CMD_ZOOM_OUT = 1570;
const u32 CMD_FOCUS = 1603;
const u32 CMD_HEAT_STATUS = 1606;
const u32 CMD_TEMPERATURE = 1607;
const u32 CMD_PTZ_RUN_STATE = 1632;
const u32 CMD_AF_STATISTIC = 1648;
const u32 CMD_IR_SWITCH = 160;
const u32 CMD_WHITE_SWITCH = 168;  // the IA command of KEY_WHITE_SWITCH (170)
const u32 CMD_WHITE_MODE = 169;    // the IA command of KEY_WHITE_MODE (171)
const u32 CMD_LIGHT_TYPE = 224;
const u32 CMD_EXPOSURE_STRATEGY = 225;
const u32 CMD_IRIS_VALUE = 82;
const u32 CMD_WDR = 2368;

bool done(int p_nRet) {
    return p_nRet == 0;
}

}  // namespace

bool ISensorController::zoomIn() {
    int nStep = 1;
    return done(doIaCmd(CMD_ZOOM_IN, IA_CMD_OPT_SET, &nStep));
}

bool ISensorController::zoomOut() {
    int nStep = 1;
    return done(doIaCmd(CMD_ZOOM_OUT, IA_CMD_OPT_SET, &nStep));
}

bool ISensorController::setZoomValue(int p_nVal) {
    if (!m_bHasLens) return true;
    return done(doIaCmd(CMD_ZOOM_VALUE, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::setPTZRunState(int p_nVal) {
    if (!m_bHasLens) return true;
    return done(doIaCmd(CMD_PTZ_RUN_STATE, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::setFocusValue(int p_nVal) {
    if (!m_bHasLens) return true;
    return done(doIaCmd(CMD_FOCUS_VALUE, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::getFocusValue(int& p_nVal) {
    if (!m_bHasLens) {
        p_nVal = 0;
        return true;
    }
    return done(doIaCmd(CMD_FOCUS_VALUE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::setFocusMode(int p_nVal) {
    return done(doIaCmd(CMD_FOCUS_MODE, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::getFocusMode(int& p_nVal) {
    return done(doIaCmd(CMD_FOCUS_MODE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getFocus(int& p_nVal) {
    return done(doIaCmd(CMD_FOCUS, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getAFStatistic(u32& p_nVal) {
    return done(doIaCmd(CMD_AF_STATISTIC, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::setDNState(int p_nVal) {
    return done(doIaCmd(IA_CMD_DN_STATE, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::getDNState(int& p_nVal) {
    return done(doIaCmd(IA_CMD_DN_STATE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getWDR(int& p_nVal) {
    return done(doIaCmd(CMD_WDR, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::setExposureStrategy(int& p_nVal) {
    return done(doIaCmd(CMD_EXPOSURE_STRATEGY, IA_CMD_OPT_SET, &p_nVal));
}

bool ISensorController::getCmdExecStatus(int nCmd, int& p_nStatus) {
    return done(doIaCmd(static_cast<u32>(nCmd), IA_CMD_OPT_GET_EXEC_STATUS, &p_nStatus));
}

bool ISensorController::getCameraVerInf(std::string& p_strVersion) {
    char szVersion[IA_CAMERA_VERSION_LEN];
    memset(szVersion, 0, sizeof(szVersion));
    if (!done(doIaCmd(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, szVersion))) return false;
    // The library promises a terminated text; a full buffer must not be read past its end all the same.
    szVersion[sizeof(szVersion) - 1] = '\0';
    p_strVersion = szVersion;
    return true;
}

bool ISensorController::getIRSwitch(int& p_nVal) {
    return done(doIaCmd(CMD_IR_SWITCH, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getWhiteSwitch(int& p_nVal) {
    return done(doIaCmd(CMD_WHITE_SWITCH, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getWhiteMode(int& p_nVal) {
    return done(doIaCmd(CMD_WHITE_MODE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getLightType(int& p_nVal) {
    return done(doIaCmd(CMD_LIGHT_TYPE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getIrisValue(int& p_nVal) {
    return done(doIaCmd(CMD_IRIS_VALUE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::getHeatStatus(bool& p_bHeat) {
    // The library answers 32 bits: a bool is no place for them.
    int32_t nHeat = 0;
    if (!done(doIaCmd(CMD_HEAT_STATUS, IA_CMD_OPT_GET, &nHeat))) return false;
    p_bHeat = nHeat != 0;
    return true;
}

bool ISensorController::getTempValue(int& p_nVal) {
    return done(doIaCmd(CMD_TEMPERATURE, IA_CMD_OPT_GET, &p_nVal));
}

bool ISensorController::setIrLedInfo(void* p_pInfo) {
    return done(doIaCmd(IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, p_pInfo));
}

bool ISensorController::getAutoExposureInfo(int& p_nA, int& p_nB, int& p_nC) {
    ia_ae_info_st stInfo = ia_ae_info_st();
    if (!done(doIaCmd(IA_CMD_AE_INFO, IA_CMD_OPT_GET, &stInfo))) return false;
    p_nA = stInfo.r2;
    p_nB = stInfo.r0;
    p_nC = stInfo.r1;
    return true;
}

void ISensorController::setShowWDRFalg(bool p_bShow) {
    m_bShowWDRFalg.store(p_bShow);
}

bool ISensorController::getShowWDRFalg(bool& p_bShow) {
    p_bShow = m_bShowWDRFalg.load();
    return true;
}

void ISensorController::setShowBeawayFalg(bool p_bShow) {
    setshowBeawayFalg(p_bShow);
}

bool ISensorController::getShowBeawayFalg(bool& p_bShow) {
    p_bShow = getshowBeawayFalg();
    return true;
}

int ISensorController::getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam) {
    std::lock_guard<std::mutex> objGuard(m_objZoomFocusMutex);
    p_objParam = m_objZoomFocusParam;
    return 0;
}

int ISensorController::setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam) {
    std::lock_guard<std::mutex> objGuard(m_objZoomFocusMutex);
    m_objZoomFocusParam = p_objParam;
    m_bLockZoomFocus.store(p_objParam.getLockZoomFocusEnable());
    return 0;
}
