// The feature handlers: keys whose change the video pipeline must learn of, that combine several stored values
// into one IA record, or that this model may hide.
#include <string.h>

#include "Diagnostics.h"
#include "ISensorController.h"
#include "ia_ctrl.h"

namespace {

const int KEY_WDR_SWITCHING = 2370;       // tells the pipeline a WDR change begins (0) and ends (1)
const int DEVICE_TYPE_THERMAL_ONLY = 13;  // its one sensor is channel 1 for the pipeline

const u32 KEY_DTN_THR = 145;
const u32 KEY_NTD_THR = 146;
const u32 KEY_DN_SENSITIVITY = 154;
const u32 KEY_DTN_H = 149;
const u32 KEY_DTN_M = 150;
const u32 KEY_NTD_H = 151;
const u32 KEY_NTD_M = 152;

u32 valueAt(void* p_pVal) {
    return *static_cast<u32*>(p_pVal);
}

}  // namespace

int ISensorController::notifyToVideo(int nKey, int nVal) {
    if (m_pVideoStreamModule == nullptr) return 0;
    int nChannel = m_objMachineInfo.getDeviceType() == DEVICE_TYPE_THERMAL_ONLY ? 1 : m_nCameraID;
    return m_pVideoStreamModule->notifySensorParam(nChannel, nKey, nVal);
}

int ISensorController::doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (!m_bShowWDRFalg.load()) {
        // Hidden on this model: the mode is stored as off and nothing is applied.
        *static_cast<u32*>(p_pVal) = 0;
        return 0;
    }
    notifyToVideo(KEY_WDR_SWITCHING, 0);
    int nRet = notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(valueAt(p_pVal)));
    SNS_ASSERT(SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal));
    notifyToVideo(KEY_WDR_SWITCHING, 1);
    return nRet;
}

int ISensorController::doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SNS_ASSERT(SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal));
    return notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(valueAt(p_pVal)));
}

int ISensorController::test_debugParam(u32 p_nKey, u32 /*p_nDir*/, void* p_pVal) {
    notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(valueAt(p_pVal)));
    return 0;
}

int ISensorController::doFisheyeRotate(u32 p_nKey, u32 /*p_nDir*/, void* p_pVal) {
    return notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(valueAt(p_pVal)));
}

int ISensorController::doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SNS_ASSERT_TEXT(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(valueAt(p_pVal))),
                    "SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal)", nullptr);
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIaCmd_PanoTuning(u32 p_nKey, u32 /*p_nDir*/, void* p_pVal) {
    int nKey = static_cast<int>(p_nKey);
    int nVal = static_cast<int>(valueAt(p_pVal));
    // Stitching is the pipeline's alone: these keys never reach the IA library.
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(nKey, nVal));
    return 0;
}

int ISensorController::doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    u32 nMirror = valueAt(p_pVal);
    SNS_ASSERT_TEXT(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(nMirror)),
                    "SNS_SUCCESS == notifyToVideo(p_nKey, nMirror)", nullptr);
    return doIaCmd(p_nKey, p_nDir, &nMirror);
}

int ISensorController::doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (!getshowBeawayFalg()) {
        *static_cast<u32*>(p_pVal) = 0;
        return 0;
    }
    u32 nBeaway = valueAt(p_pVal);
    SNS_ASSERT_TEXT(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), static_cast<int>(nBeaway)),
                    "SNS_SUCCESS == notifyToVideo(p_nKey, nBeaway)", nullptr);
    return doIaCmd(p_nKey, p_nDir, &nBeaway);
}

int ISensorController::doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    // Fields the key does not fill, and keys missing from the scheme, go as 0.
    dn_thr_st stThr;
    memset(&stThr, 0, sizeof(stThr));
    u32 nCur = static_cast<u32>(m_nCurScheme.load());
    if (p_nKey == KEY_DTN_THR) {
        stThr.d2n_thr = valueAt(p_pVal);
        getKeyValFromCache(nCur, KEY_NTD_THR, stThr.n2d_thr);
    } else if (p_nKey == KEY_NTD_THR) {
        getKeyValFromCache(nCur, KEY_DTN_THR, stThr.d2n_thr);
        stThr.n2d_thr = valueAt(p_pVal);
    } else if (p_nKey == KEY_DN_SENSITIVITY) {
        stThr.dn_sensitivity = valueAt(p_pVal);
    }
    SNS_PLAIN("m_nCurScheme(%u) dn_thr_st.d2n_thr(%u) dn_thr_st.n2d_thr(%u)  dn_thr_st.dn_sensitivity(%u)\n", nCur,
              stThr.d2n_thr, stThr.n2d_thr, stThr.dn_sensitivity);
    int nRet = doIaCmd(p_nKey, p_nDir, &stThr);
    // A reload must not stop at a threshold the library refuses.
    if ((m_nStatus.load() & STATUS_RESTORE) != 0) return 0;
    return nRet;
}

int ISensorController::doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    dn_time_st stTime;
    memset(&stTime, 0, sizeof(stTime));
    u32 nCur = static_cast<u32>(m_nCurScheme.load());
    getKeyValFromCache(nCur, KEY_DTN_H, stTime.d2n_hour);
    getKeyValFromCache(nCur, KEY_DTN_M, stTime.d2n_min);
    getKeyValFromCache(nCur, KEY_NTD_H, stTime.n2d_hour);
    getKeyValFromCache(nCur, KEY_NTD_M, stTime.n2d_min);
    switch (p_nKey) {
        case KEY_DTN_H:
            stTime.d2n_hour = valueAt(p_pVal);
            break;
        case KEY_DTN_M:
            stTime.d2n_min = valueAt(p_pVal);
            break;
        case KEY_NTD_H:
            stTime.n2d_hour = valueAt(p_pVal);
            break;
        default:
            stTime.n2d_min = valueAt(p_pVal);
            break;
    }
    SNS_PLAIN(
        "m_nCurScheme(%u) dn_time_st.d2n_hour(%u) dn_time_st.d2n_min(%u) dn_time_st.n2d_hour(%u) "
        "dn_time_st.n2d_min(%u) \n",
        nCur, stTime.d2n_hour, stTime.d2n_min, stTime.n2d_hour, stTime.n2d_min);
    return doIaCmd(p_nKey, p_nDir, &stTime);
}
