// Test-only access to a controller's private state: installs scheme arrays and the key map the way init
// does, sets the flags init and the schemes would set, and reaches the handlers through the map.
#ifndef IMAGETUNE_TESTS_CONTROLLERTESTACCESS_H
#define IMAGETUNE_TESTS_CONTROLLERTESTACCESS_H

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "ControllerLock.h"
#include "ISensorController.h"

class ISensorControllerTestAccess {
public:
    // nSchemeSum user schemes and the factory slot, each a copy of p_vecScheme, in one block as init builds
    // them; then the key map and the scratch array. Scheme 0 becomes current.
    static void install(ISensorController& c, u32 p_nSchemeSum, const std::vector<KeyVal>& p_vecScheme) {
        c.releaseArrays();
        u32 n = static_cast<u32>(p_vecScheme.size());
        c.m_stSysConf.nSchemeSum = p_nSchemeSum;
        c.m_nKeyValSum = n;
        KeyVal* pBlock = static_cast<KeyVal*>(malloc(sizeof(KeyVal) * (p_nSchemeSum + 1) * (n ? n : 1)));
        c.m_ppUserKeyVal = static_cast<KeyVal**>(malloc(sizeof(KeyVal*) * (p_nSchemeSum + 1)));
        for (u32 s = 0; s <= p_nSchemeSum; ++s) {
            c.m_ppUserKeyVal[s] = pBlock + s * n;
            for (u32 i = 0; i < n; ++i) c.m_ppUserKeyVal[s][i] = p_vecScheme[i];
        }
        c.m_pFctKeyVal = c.m_ppUserKeyVal[p_nSchemeSum];
        buildKeyCmdMap(c);
        c.m_nCurScheme = 0;
    }
    static void buildKeyCmdMap(ISensorController& c) { c.buildKeyCmdMap(); }
    static void releaseArrays(ISensorController& c) { c.releaseArrays(); }

    static KeyVal* scheme(ISensorController& c, u32 s) { return c.m_ppUserKeyVal[s]; }
    static const keycmd* map(const ISensorController& c) { return c.m_pKeyCmdMap; }
    static u32 keyCmdSum(const ISensorController& c) { return c.m_nKeyCmdSum; }
    static bool hasArrays(const ISensorController& c) {
        return c.m_ppUserKeyVal || c.m_pKeyCmdMap || c.m_pstKeyValTmp || c.m_pFctKeyVal || c.m_pLprKeyVal;
    }

    static int curScheme(const ISensorController& c) { return c.m_nCurScheme; }
    static void setCurScheme(ISensorController& c, int s) { c.m_nCurScheme = s; }
    static void setLastScheme(ISensorController& c, int s) { c.m_nLastScheme = s; }
    static void setStatus(ISensorController& c, uint8_t p_nStatus) { c.m_nStatus = p_nStatus; }
    static void setThermal(ISensorController& c, bool b) { c.m_bThermal = b; }
    static bool thermal(const ISensorController& c) { return c.m_bThermal; }
    static int cameraID(const ISensorController& c) { return c.m_nCameraID; }
    static void setHasLens(ISensorController& c, bool b) { c.m_bHasLens = b; }
    static void setLimitedIrPower(ISensorController& c, bool b) { c.m_bisLimitedIrPower = b; }
    static void setShutterPass(ISensorController& c, bool b) { c.m_bShutterPass = b; }
    static bool shutterPass(const ISensorController& c) { return c.m_bShutterPass; }
    static void setShowWDR(ISensorController& c, bool b) { c.m_bShowWDRFalg = b; }
    static bool showLDC(const ISensorController& c) { return c.m_bShowLDCFlag; }
    static void setZoomFocusLock(ISensorController& c, bool b) {
        SensorZoomFocusParam objParam;
        objParam.setLockZoomFocusEnable(b);
        c.setSensorZoomFocusParam(objParam);
    }
    static void setSchemeModes(ISensorController& c, bool p_bTime, bool p_bDN) {
        c.m_bTimeSchemeMode = p_bTime;
        c.m_bDNSchemeMode = p_bDN;
    }
    static bool timeSchemeMode(const ISensorController& c) { return c.m_bTimeSchemeMode; }
    static bool dnSchemeMode(const ISensorController& c) { return c.m_bDNSchemeMode; }
    static int paramMode(const ISensorController& c) { return c.m_nParamMode; }
    static int lastScheme(const ISensorController& c) { return c.m_nLastScheme; }
    static u32 version(const ISensorController& c) { return c.m_nVersion; }

    static int findFromKeyCmdMap(ISensorController& c, u32 p_nKey, keycmd& p_stRow) {
        return c.findFromKeyCmdMap(c.m_pKeyCmdMap, p_nKey, p_stRow);
    }
    // The handler of that name (as the map's rows name them, without the class), or null.
    static SensorKeyHandler handlerNamed(const std::string& p_strName) {
        typedef ISensorController C;
        const struct {
            const char* szName;
            SensorKeyHandler pfnHandler;
        } aHandlers[] = {
            {"doIaCmd", &C::doIaCmd},
            {"doIaCmdShutter", &C::doIaCmdShutter},
            {"doIaCmd_User", &C::doIaCmd_User},
            {"doIoCrtl", &C::doIoCrtl},
            {"doHwdr", &C::doHwdr},
            {"doImageAdjust", &C::doImageAdjust},
            {"test_debugParam", &C::test_debugParam},
            {"doFisheyeRotate", &C::doFisheyeRotate},
            {"doDIS", &C::doDIS},
            {"doIaCmd_PanoTuning", &C::doIaCmd_PanoTuning},
            {"doMirror", &C::doMirror},
            {"doBeaway", &C::doBeaway},
            {"doDNThr", &C::doDNThr},
            {"doDNTime", &C::doDNTime},
        };
        for (const auto& h : aHandlers) {
            if (p_strName == h.szName) return h.pfnHandler;
        }
        return nullptr;
    }
    // Calls the handler of the key's row with the row's command, as setParameters does.
    static int dispatch(ISensorController& c, u32 p_nKey, u32 p_nDir, void* p_pVal) {
        keycmd stRow = keycmd();
        if (c.findFromKeyCmdMap(c.m_pKeyCmdMap, p_nKey, stRow) < 0 || stRow.pfnHandler == nullptr) return -9999;
        return (c.*stRow.pfnHandler)(stRow.nCmd, p_nDir, p_pVal);
    }
    static int doIaCmd(ISensorController& c, u32 p_nKey, u32 p_nDir, void* p_pVal) {
        return c.doIaCmd(p_nKey, p_nDir, p_pVal);
    }
    static int notifyToVideo(ISensorController& c, int p_nKey, int p_nVal) { return c.notifyToVideo(p_nKey, p_nVal); }
    static int setParameters(ISensorController& c, KeyVal* p_pKeyval, u32 p_nNum, bool p_bCache) {
        return c.setParameters(p_pKeyval, p_nNum, p_bCache);
    }

    // Scheme switching and the background thread.
    static int switchTo(ISensorController& c, int s, bool p_bForce) { return c.switch_to(s, p_bForce); }
    static int lprSwitchTo(ISensorController& c, int s) { return c.LPR_switch_to(s); }
    static int judgeCurScheme(ISensorController& c, int& s, int& p_nSchedule) {
        return c.judgeCurScheme(s, p_nSchedule);
    }
    static int sensorThread(ISensorController& c) { return c.sensorThread(); }
    static int sensorPassWaiting(ISensorController& c) { return c.sensorPass(ISensorController::PASS_WAIT_LOCK); }
    static int sensorPassLockHeld(ISensorController& c) { return c.sensorPass(ISensorController::PASS_LOCK_HELD); }
    static bool syncFov(ISensorController& c) { return c.sync_fov(); }
    static GThread& thread(ISensorController& c) { return *c.m_pSensorThread; }
    // The controller's exclusion as its operations take it (m_objMutex, then the pass lock), held until the
    // returned guard goes.
    static std::unique_ptr<ControllerLock> lockController(ISensorController& c) {
        return std::unique_ptr<ControllerLock>(new ControllerLock(c, __FILE__, __LINE__));
    }
    // The LPR scratch array, with room for every key as init sizes it.
    static void installLprScratch(ISensorController& c) {
        if (c.m_pLprKeyVal == nullptr) c.m_pLprKeyVal = static_cast<KeyVal*>(malloc(sizeof(KeyVal) * 170));
    }
    static void setLprMode(ISensorController& c, bool b) { c.m_bLprMode = b; }
    static u32 lastSchedule(const ISensorController& c) { return c.m_nLastSchedule; }
    static uint8_t status(const ISensorController& c) { return c.m_nStatus; }
    static u32 keyValSum(const ISensorController& c) { return c.m_nKeyValSum; }
};

#endif
