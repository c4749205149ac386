// The image-sensor controller of one camera channel: parameter keys in, IA commands out, with the channel's
// parameter schemes kept in memory and on flash and a background thread that switches them.
#ifndef IMAGETUNE_ISENSORCONTROLLER_H
#define IMAGETUNE_ISENSORCONTROLLER_H

#include <stdint.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "GThread.h"
#include "ImagetuneApi.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "QxMutex.h"
#include "SensorKeyVal.h"
#include "SensorZoomFocusParam.h"
#include "VideoStreamModule.h"
#include "sensor.h"

class ISensorController;
class ISensorControllerTestAccess;

// A handler: (IA command, IA option, pointer to the 32-bit value). 0 = success.
typedef int (ISensorController::*SensorKeyHandler)(u32 p_nKey, u32 p_nDir, void* p_pVal);

// One row of the key-command map. szKeyName is not terminated when the name has 32 characters or more:
// read at most 32 characters of it.
struct keycmd {
    u32 nKey;
    u32 nCmd;
    SensorKeyHandler pfnHandler;
    char szKeyName[32];
    char szFuncName[64];
};

class IMAGETUNE_API ISensorController {
public:
    // Bits of m_nStatus: which long operation is under way.
    static constexpr uint8_t STATUS_INIT = 0x01;
    static constexpr uint8_t STATUS_UINIT = 0x02;
    static constexpr uint8_t STATUS_RUNNING = 0x04;
    static constexpr uint8_t STATUS_RESET = 0x08;
    static constexpr uint8_t STATUS_RESTORE = 0x10;
    static constexpr uint8_t STATUS_SWITCH = 0x20;
    // Reset, restore or switch under way: no scheme change may start.
    static constexpr uint8_t STATUS_BUSY_MASK = 0x38;
    // Busy, or init under way: shutter and user commands are dropped.
    static constexpr uint8_t STATUS_BUSY_OR_INIT_MASK = 0x39;

    // Rows of the key-command map once it is built, and the capacity used before that.
    static constexpr u32 KEY_CMD_ROWS = 166;
    static constexpr u32 KEY_CMD_CAPACITY = 170;

    ISensorController();
    ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    // --- object and state
    void setChannelID(int p_nChannel);
    int getSensorType();
    bool getSensorStatus();
    // 0, or 505 (start after 24:00), 506 (end after 24:00), 507 (empty or reversed window).
    int paramCheck();
    void setVideoStreamModule(VideoStreamModule const* p_pVideoStreamModule);
    void printDebugMsg();
    // The pair's index, or -1. Takes no lock.
    int getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal);
    // The pair's index, -1 when the key is not in the scheme, -2 when the scheme index is refused. No lock.
    int setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce);

    // --- parameter writes
    int setParameters(const std::string& p_strParameters, bool p_bCache);
    int setParameter(int p_nKey, int p_nVal, bool p_bCache);

    // --- parameter reads and ranges
    bool getParameter(int p_nKey, int& p_nVal);
    bool getParameters(const std::string& p_strIds, std::string& p_strParameters);
    bool parseSensorParameter(const std::string& p_strIds, std::vector<std::string>& p_vecIds);
    bool getAllParameters(std::string& p_strParameters);
    int SensorCheck(std::string& p_str);
    bool getSensorParamRange(int p_nCmd, int& p_nDefault, std::string& p_strRange);

    // --- schemes and modes
    bool setParamScheme(int p_nScheme);
    bool getParamScheme(int& nScheme);
    bool setParamMode(int p_nMode);
    bool getParamMode(int& nMode);
    int getParamSchemeTime(int nKey);
    int flush();
    int restore(int nKey);
    bool restoreAeMode();
    bool resetToLastParameters();

    // --- initialisation and shutdown
    bool init(const ModuleConfigure& p_objModuleConfigure);
    void uinit();
    bool resetParameters();

    // --- UI files and style
    std::string getUICommonFile(int nId);
    std::string getUILanguageFile(int nId);
    std::string getUIStyleFile();

    // --- key wrappers
    bool getDNMode(int& p_nVal);
    bool setDNMode(int p_nVal);
    bool getWDRSwitch(int& p_nVal);
    bool setWDRSwitch(int& p_nVal);
    bool getWDRStrength(int& p_nVal);
    bool setWDRStrength(int& p_nVal);
    bool getHLCSwitch(int& p_nVal);
    bool setHLCSwitch(int& p_nVal);
    bool getHLCStrength(int& p_nVal);
    bool setHLCStrength(int& p_nVal);
    bool getBLCSwitch(int& p_nVal);
    bool setBLCSwitch(int& p_nVal);
    bool getBLCStrength(int& p_nVal);
    bool setBLCStrength(int& p_nVal);
    bool getDefogSwitch(int& p_nVal);
    bool setDefogSwitch(int& p_nVal);
    bool getDefogStrength(int& p_nVal);
    bool setDefogStrength(int& p_nVal);
    bool get2DSwitch(int& p_nVal);
    bool set2DSwitch(int& p_nVal);
    bool get2DMode(int& p_nVal);
    bool set2DMode(int& p_nVal);
    bool get2DAutoMaxStrength(int& p_nVal);
    bool set2DAutoMaxStrength(int& p_nVal);
    bool get2DManualMaxStrength(int& p_nVal);
    bool set2DManualMaxStrength(int& p_nVal);
    bool get3DSwitch(int& p_nVal);
    bool set3DSwitch(int& p_nVal);
    bool get3DMode(int& p_nVal);
    bool set3DMode(int& p_nVal);
    bool get3DAutoMaxStrength(int& p_nVal);
    bool set3DAutoMaxStrength(int& p_nVal);
    bool get3DManualMaxStrength(int& p_nVal);
    bool set3DManualMaxStrength(int& p_nVal);
    bool getBeaway(int& p_nVal);
    bool setBeaway(int& p_nVal);
    bool getMirrorValue(int& p_nVal);
    // Also saves the current scheme.
    bool setMirrorMode(int p_nVal);
    bool setWhiteMode(int p_nVal);
    bool setLightType(int p_nVal);
    // The infrared and the white light exclude each other.
    bool setIRSwitch(int p_nVal);
    bool setWhiteSwitch(int p_nVal);

    // --- direct IA commands (no lock, nothing cached)
    bool zoomIn();
    bool zoomOut();
    bool setZoomValue(int p_nVal);
    bool getZoomValue(int& p_nPos, int& p_nRatio);
    bool setPTZRunState(int p_nVal);
    bool setFocusValue(int p_nVal);
    bool getFocusValue(int& p_nVal);
    bool setFocusMode(int p_nVal);
    bool getFocusMode(int& p_nVal);
    bool getFocus(int& p_nVal);
    bool getAFStatistic(u32& p_nVal);
    bool setDNState(int p_nVal);
    bool getDNState(int& p_nVal);
    bool getWDR(int& p_nVal);
    bool setExposureStrategy(int& p_nVal);
    bool getCmdExecStatus(int nCmd, int& p_nStatus);
    bool getCameraVerInf(std::string& p_strVersion);
    bool getIRSwitch(int& p_nVal);
    bool getWhiteSwitch(int& p_nVal);
    bool getWhiteMode(int& p_nVal);
    bool getLightType(int& p_nVal);
    bool getIrisValue(int& p_nVal);
    bool getHeatStatus(bool& p_bHeat);
    bool getTempValue(int& p_nVal);
    bool setIrLedInfo(void* p_pInfo);
    bool getAutoExposureInfo(int& p_nA, int& p_nB, int& p_nC);

    // --- lens, iris and shutter steps
    bool focusFar();
    bool focusNear();
    bool irisUp();
    bool irisDown();
    bool setIrisValue(int nVal);
    bool getShutterValue(int& nIndex);
    bool setShutterValue(int nIndex);
    bool shutterUp();
    bool shutterDown();

    // --- show flags and zoom/focus settings
    void setShowWDRFalg(bool p_bShow);
    bool getShowWDRFalg(bool& p_bShow);
    void setShowBeawayFalg(bool p_bShow);
    bool getShowBeawayFalg(bool& p_bShow);
    int getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    int setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);

    // A field-of-view request from one channel to another channel's background thread.
    // Written by doIoCrtl on an application thread; read and reset to -1 by the sensor thread of the channel
    // named in m_nChanneldDosomething.
    static std::atomic<int> m_nPassKeycmd;
    static std::atomic<int> m_nChanneldDosomething;

private:
    friend class ISensorControllerTestAccess;

    // One row of the constant key-command table that buildKeyCmdMap copies into m_pKeyCmdMap.
    struct KeyCmdRow {
        const char* szKeyName;
        u32 nKey;
        u32 nCmd;
        SensorKeyHandler pfnHandler;  // null for the rows that setParameters settles itself
        const char* szFuncName;
    };
    IMAGETUNE_LOCAL static const KeyCmdRow s_astKeyCmdRows[];
    IMAGETUNE_LOCAL static const u32 s_nKeyCmdRows;

    // --- key-command map and the generic handlers
    // Allocates m_nKeyCmdSum zeroed rows, fills them from the table, sets m_nKeyCmdSum to 166 and allocates
    // m_pstKeyValTmp with m_nKeyValSum pairs. Releases a previous map and scratch array first.
    IMAGETUNE_LOCAL void buildKeyCmdMap();
    IMAGETUNE_LOCAL int findFromKeyCmdMap(keycmd const* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd);
    IMAGETUNE_LOCAL int doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doIoCrtl(u32 p_nKey, u32 p_nDir, void* p_pVal);

    // --- write path (no lock: the caller holds m_objMutex, or runs inside init or a scheme switch)
    IMAGETUNE_LOCAL int setParameters(KeyVal* p_pKeyval, u32 p_nKeyValNum, bool p_bCache);
    IMAGETUNE_LOCAL bool isKeyValSame(const KeyVal& p_stKeyVal);
    // Near (163) and far (167) infrared strengths share a budget of 100 on a module with limited power.
    IMAGETUNE_LOCAL bool irBudgetAllows(u32 p_nKey, u32 p_nVal);
    // The row that sends a key without a row of its own through doIaCmd.
    IMAGETUNE_LOCAL static keycmd standByRow(u32 p_nKey);

    // --- feature handlers
    IMAGETUNE_LOCAL int doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int test_debugParam(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doFisheyeRotate(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doIaCmd_PanoTuning(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal);
    IMAGETUNE_LOCAL int notifyToVideo(int nKey, int nVal);

    // --- scheme switching (no lock of their own)
    IMAGETUNE_LOCAL int switch_to(int nScheme, bool bForce = false);
    IMAGETUNE_LOCAL int LPR_switch_to(int nScheme);
    IMAGETUNE_LOCAL int judgeCurScheme(int& nScheme, int& nSchedule);

    // --- background thread: one pass of the body, and the field-of-view request
    IMAGETUNE_LOCAL int sensorThread();
    IMAGETUNE_LOCAL bool sync_fov();
    // How a pass gets the controller's exclusion (m_objMutex with m_objPassMutex) for its scheme decision. The
    // thread's own passes only try the pass lock and leave the decision to the next pass when it is taken:
    // whoever holds it may be stopping the thread.
    enum SensorPassLock {
        PASS_TRY_LOCK,   // the background thread (sensorThread)
        PASS_WAIT_LOCK,  // a synchronous pass on a thread that holds neither lock
        PASS_LOCK_HELD,  // a synchronous pass whose caller holds both (init, which takes them itself)
    };
    IMAGETUNE_LOCAL int sensorPass(SensorPassLock p_eLock);
    // Serves a pending field-of-view request addressed to this channel; needs no lock.
    IMAGETUNE_LOCAL void serveFovRequest();
    // The scheme decision of one pass; runs under m_objMutex (or its caller's exclusive use).
    IMAGETUNE_LOCAL void decideScheme();
    // Waits in 0.5 s steps while a reset, restore or switch is under way.
    IMAGETUNE_LOCAL void waitWhileBusy();

    // The IA library's channel, m_nCameraID - 1, without overflow for any channel number the application set.
    IMAGETUNE_LOCAL int iaChannel() const { return m_nCameraID > INT32_MIN ? m_nCameraID - 1 : INT32_MIN; }

    // Whether the scheme file may be replaced by the current layout: always for a layout built from a whole
    // style; otherwise only where nothing is stored yet or the stored file has this very layout.
    IMAGETUNE_LOCAL bool mayReplaceSchemeFile(const char* p_szFile);

    // Frees the map, the scratch arrays, the scheme storage and a separate factory array, each only if
    // present, and nulls the pointers: safe to call twice.
    IMAGETUNE_LOCAL void releaseArrays();

    // Members in declaration order. Unless a note says otherwise a member is written and read by the
    // application thread that holds m_objMutex, or by init/uinit before the thread starts or after it stopped.
    SysConfig m_stSysConf;
    int m_nCameraID;
    QxMutex m_objMutex;
    // Taken after m_objMutex, and released with it, by every operation that takes m_objMutex (ControllerLock,
    // LifecycleLock). The sensor thread only tries it: it never waits for a holder, who may be stopping it.
    std::mutex m_objPassMutex;
    GThread* m_pSensorThread;
    // Written by switch_to/LPR_switch_to (application or sensor thread); read by isKeyValSame on the thread
    // that applies the keys.
    std::atomic<int> m_nLastScheme;
    // Written by the scheme switches on either thread; read by the sensor thread's decisions and every reader.
    std::atomic<int> m_nCurScheme;
    // Written by setParamMode and uinit; read by the sensor thread.
    std::atomic<int> m_nParamMode;
    KeyVal** m_ppUserKeyVal;
    KeyVal* m_pstKeyValTmp;
    KeyVal* m_pFctKeyVal;
    u32 m_nKeyValSum;
    KeyVal* m_pLprKeyVal;
    keycmd* m_pKeyCmdMap;
    u32 m_nVersion;
    VideoStreamModule const* m_pVideoStreamModule;
    MachineInfo m_objMachineInfo;
    // Bits change with fetch_or/fetch_and on the thread that runs the long operation; every thread reads them.
    std::atomic<uint8_t> m_nStatus;
    u32 m_nKeyCmdSum;
    // Sensor thread only (init's synchronous pass runs before the thread starts).
    u32 m_nLastSchedule;
    bool m_bLprMode;
    // Written by init and setShowWDRFalg; read by doHwdr on whichever thread applies the key.
    std::atomic<bool> m_bShowWDRFalg;
    // Written by the scheme-mode key and init; read by the sensor thread.
    std::atomic<bool> m_bTimeSchemeMode;
    std::atomic<bool> m_bDNSchemeMode;
    bool m_bisLimitedIrPower;
    bool m_bHasLens;
    // Set by uinit; read and cleared by doIaCmdShutter on whichever thread applies the key.
    std::atomic<bool> m_bShutterPass;
    bool m_bThermal;
    bool m_bShowLDCFlag;
    // Copied in and out by the application under m_objZoomFocusMutex; its lock flag is mirrored in
    // m_bLockZoomFocus, which doIaCmd reads on any thread (the sensor thread too) without a lock.
    SensorZoomFocusParam m_objZoomFocusParam;
    std::mutex m_objZoomFocusMutex;
    std::atomic<bool> m_bLockZoomFocus;
    // Whether init built the scheme layout from a whole style: the machine information and both style
    // documents read. A layout that was not may create scheme files but never replace one of another layout.
    bool m_bLayoutFromStyle;
};

#endif
