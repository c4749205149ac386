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
    /** @name Status bits
     *  Bits of the status byte: which long operation is under way. */
    ///@{
    static constexpr uint8_t STATUS_INIT = 0x01;     ///< init is under way
    static constexpr uint8_t STATUS_UINIT = 0x02;    ///< uinit is under way
    static constexpr uint8_t STATUS_RUNNING = 0x04;  ///< init has finished and uinit has not run
    static constexpr uint8_t STATUS_RESET = 0x08;    ///< resetParameters is under way
    static constexpr uint8_t STATUS_RESTORE = 0x10;  ///< resetToLastParameters is under way
    static constexpr uint8_t STATUS_SWITCH = 0x20;   ///< a scheme switch is under way
    /// Reset, restore or switch under way: no scheme change may start.
    static constexpr uint8_t STATUS_BUSY_MASK = 0x38;
    /// Busy, or init under way: shutter and user commands are dropped.
    static constexpr uint8_t STATUS_BUSY_OR_INIT_MASK = 0x39;
    ///@}

    /// Rows of the key-command map once it is built.
    static constexpr u32 KEY_CMD_ROWS = 166;
    /// Rows allocated for the map before it is filled.
    static constexpr u32 KEY_CMD_CAPACITY = 170;

    /**
     * @brief Creates the controller of one channel: defaults, the mutex, the machine information read from
     * machineinfo.ini, and the sensor thread's object, not yet started.
     * @par Lock
     * Takes no lock: no other thread can know the object yet.
     * @par Threads
     * Any application thread.
     * @par Before init and after uinit
     * This is before init: the controller reads from the IA library and refuses writes until init.
     */
    ISensorController();
    /**
     * @brief Stops the sensor thread and releases everything, as uinit does, then deletes the thread's object.
     * @par Lock
     * Takes the controller's mutex through uinit.
     * @par Threads
     * The application thread that owns the object, once no other thread calls it.
     * @par Before init and after uinit
     * Safe in every state: releases only what is there.
     */
    ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    /// @name Object and state
    ///@{

    /**
     * @brief Sets the channel number (1-based) that the controller drives; on a thermal-only device the channel
     * becomes 2, and channel 2 of a thermal device type becomes the thermal channel.
     * @param p_nChannel the channel, 1 for the first.
     * @par Lock
     * Takes no lock: call it before init.
     * @par Threads
     * The application thread that starts the channel, before init.
     * @par Before init and after uinit
     * Meant for before init; after it, the running channel keeps its files and the IA channel changes.
     */
    void setChannelID(int p_nChannel);
    /**
     * @brief The module's id from the module configuration init was given.
     * @return the module id; 0 before init.
     * @lock_none
     * @threads_app
     * @par Before init and after uinit
     * 0 before the first init; after uinit the last module's id.
     */
    int getSensorType();
    /**
     * @brief Whether the channel runs: init has finished and uinit has not run since.
     * @return true between init and uinit; false before init and after uinit.
     * @lock_none
     * @threads_any
     * @par Before init and after uinit
     * false.
     */
    bool getSensorStatus();
    /**
     * @brief Checks the time window in the header of the current scheme.
     * @return 0 when it is valid (or there is no current user scheme); 505 when it starts after 24:00; 506
     * when it ends after 24:00; 507 when it is empty or reversed.
     * @lock_none
     * @par Threads
     * An application thread that holds no other call on this controller; flush calls it under the mutex.
     * @par Before init and after uinit
     * 0: there is no scheme to check.
     */
    int paramCheck();
    /**
     * @brief Attaches the application's video module, which the feature handlers notify (WDR, mirror,
     * stabilisation, ...). Not owned; it must outlive the controller or be detached with a null pointer.
     * @param p_pVideoStreamModule the module, or null for none.
     * @lock_none
     * @par Threads
     * The application thread that starts the channel, before init.
     * @par Before init and after uinit
     * Accepted at any time; used from init on.
     */
    void setVideoStreamModule(VideoStreamModule const* p_pVideoStreamModule);
    /**
     * @brief Does nothing; kept for the application's debug menu.
     * @lock_none
     * @threads_any
     * @before_none
     */
    void printDebugMsg();
    /**
     * @brief Reads one key's value from a scheme in memory.
     * @param p_nScheme the scheme index (the last is the factory scheme).
     * @param p_nKey the key.
     * @param p_nVal receives the value when the key is found.
     * @return the pair's index in the scheme; -1 when the key is not in it or the scheme does not exist.
     * @par Lock
     * Takes no lock: the caller holds the mutex or knows that no other thread changes the schemes.
     * @par Threads
     * The library's own paths, or an application thread while no other call runs on this controller.
     * @par Before init and after uinit
     * -1: there are no schemes.
     */
    int getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal);
    /**
     * @brief Writes one key's value into a scheme in memory, without sending it or saving it.
     * @param p_nScheme the scheme index.
     * @param p_nKey the key.
     * @param p_nVal the value.
     * @param p_bForce write into the current scheme too (otherwise a write there is left to setParameters).
     * @return the pair's index; -1 when the key is not in the scheme; -2 when the scheme index is refused.
     * @par Lock
     * Takes no lock: the caller holds the mutex or knows that no other thread changes the schemes.
     * @par Threads
     * The library's own paths, or an application thread while no other call runs on this controller.
     * @par Before init and after uinit
     * -2: there are no schemes.
     */
    int setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce);
    ///@}

    /// @name Parameter writes
    ///@{

    /**
     * @brief Applies pair text such as "(34,60)(2337,45)": each key goes to its handler and the IA library at
     * once and, with p_bCache, is kept in the current scheme (the key cache) until flush saves it. With
     * p_bCache a value equal to the cached one is not sent again. Every pair of the text is applied.
     * @param p_strParameters the pairs, as the text codec reads them (keyval_str2st).
     * @param p_bCache keep the values in the current scheme.
     * @return 0 (SNS_SUCCESS) when every pair was applied; the negative key of the first pair that was
     * refused (a handler or the IA library failed, or the infrared budget was exceeded), the pairs before it
     * applied; -1 when memory for a long text ran out.
     * @lock_mutex
     * @threads_app
     * @before_set The refusal is the negative first key of the text.
     */
    int setParameters(const std::string& p_strParameters, bool p_bCache);
    /**
     * @brief Applies one key, as setParameters does for one pair.
     * @param p_nKey the key.
     * @param p_nVal the value.
     * @param p_bCache keep the value in the current scheme.
     * @return 0 when applied; -p_nKey when refused.
     * @lock_mutex
     * @threads_app
     * @before_set The refusal is -p_nKey.
     */
    int setParameter(int p_nKey, int p_nVal, bool p_bCache);
    ///@}

    /// @name Parameter reads and ranges
    ///@{

    /**
     * @brief Reads one key: from the current scheme when it holds the key, else from the IA library (the
     * infrared keys the IA library cannot read give -1).
     * @param p_nKey the key.
     * @param p_nVal receives the value.
     * @return true when the value was read; false when the IA library refused the read (reported).
     * @lock_mutex
     * @threads_app
     * @before_get
     */
    bool getParameter(int p_nKey, int& p_nVal);
    /**
     * @brief Reads a key list such as "(34,2337)" into pair text "(34,60)(2337,45)". Every call prints
     * "@@ out_Parameters = ... @@" on standard output, whatever the debug level.
     * @param p_strIds the keys, in parentheses, separated by commas.
     * @param p_strParameters receives the pairs of the keys that could be read (appended).
     * @return true when the list could be parsed; false for text that is no key list (printed as a failure).
     * @par Lock
     * Takes the controller's mutex for each key, through getParameter.
     * @threads_app
     * @before_get
     */
    bool getParameters(const std::string& p_strIds, std::string& p_strParameters);
    /**
     * @brief Splits a key list "(a,b,...)" into its fields.
     * @param p_strIds the list; it must start with "(" and end with its only ")".
     * @param p_vecIds receives the fields, as text.
     * @return true when the text is such a list with at least one field; false otherwise.
     * @lock_none
     * @threads_any
     * @before_none
     */
    bool parseSensorParameter(const std::string& p_strIds, std::vector<std::string>& p_vecIds);
    /**
     * @brief Every pair of the current scheme as pair text, after the IA library has corrected the dynamic
     * values; with a customised shutter list in the style, the saved scheme file's values instead.
     * @param p_strParameters receives the pairs (appended).
     * @return true, also when there is nothing to report.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * true and nothing appended: there is no scheme.
     */
    bool getAllParameters(std::string& p_strParameters);
    /**
     * @brief Passes the application's sensor check "(a,b,c)" to the IA library; with b = 2 it reads the
     * result back into p_str.
     * @param p_str the command; receives the result's number for a read-back.
     * @return the IA library's status (0 done); 0 as well for text that is no check command (printed).
     * @lock_none
     * @threads_app
     * @before_ia
     */
    int SensorCheck(std::string& p_str);
    /**
     * @brief The sensor's valid values of a range key (the shutter keys 49, 50, 51, 55, 56, the iris position
     * 82, the focus near limit 1537) as the IA library lists them, and their default.
     * @param p_nCmd the key.
     * @param p_nDefault receives the default.
     * @param p_strRange receives the values separated by blanks (appended).
     * @return true when the IA library lists the key's command (p_strRange and p_nDefault are set only for a
     * list of values); false for another key or one the IA library does not list.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getSensorParamRange(int p_nCmd, int& p_nDefault, std::string& p_strRange);
    ///@}

    /// @name Schemes and modes
    ///@{

    /**
     * @brief Switches to scheme p_nScheme (the last index is the factory scheme), sending only the values that
     * differ; waits in 0.5 s steps while a reset, restore or switch is under way.
     * @param p_nScheme the scheme.
     * @return true when the switch was done; false for an index the channel does not have (reported) or a
     * failed switch.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * false: there is no scheme to switch to.
     */
    bool setParamScheme(int p_nScheme);
    /**
     * @brief The current scheme.
     * @param nScheme receives its index.
     * @return true.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * true, with -1.
     */
    bool getParamScheme(int& nScheme);
    /**
     * @brief Sets the parameter mode: 0 manual (the sensor thread switches no scheme), 1 automatic (the scheme
     * mode decides). Waits while a reset, restore or switch is under way.
     * @param p_nMode 0 or 1; another value is reported and kept, and counts as automatic.
     * @return true.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * true: the mode is kept, and init starts from it.
     */
    bool setParamMode(int p_nMode);
    /**
     * @brief The parameter mode.
     * @param nMode receives it.
     * @return true.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * true, with the mode kept (1 after uinit).
     */
    bool getParamMode(int& nMode);
    /**
     * @brief One field of the current scheme's header.
     * @param nKey KEY_SCHEME_MODE (8000) or a window key (8001 start hour, 8002 start minute, 8003 end hour,
     * 8004 end minute).
     * @return the value; -1 for another key or when there is no current scheme.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * -1.
     */
    int getParamSchemeTime(int nKey);
    /**
     * @brief Saves the current scheme to its file, replacing the file whole; writes the version file first
     * when it is missing or differs.
     * @return 0 (SNS_SUCCESS) when saved, and also when there is nothing to save (the factory scheme, or no
     * scheme yet); 505, 506 or 507 when the scheme's time window is invalid (see paramCheck), nothing saved;
     * -1 when nothing was saved because the channel has no user scheme, the start was not whole (the file
     * of another layout is kept), or the version file or the scheme file could not be replaced.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * 0 and nothing saved.
     */
    int flush();
    /**
     * @brief Sends the current scheme's value of one key again, without caching it.
     * @param nKey the key.
     * @return 0 when sent; -1 when the current scheme does not hold the key (reported); the negative key when
     * the handler refused it.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * -1 with a report: there is no scheme.
     */
    int restore(int nKey);
    /**
     * @brief Sends the current scheme's focus mode (with a lens) and exposure mode (not on a thermal channel)
     * again, as restore does.
     * @return true when both were sent; false when one was refused.
     * @par Lock
     * Takes the controller's mutex through restore, once per key.
     * @threads_app
     * @par Before init and after uinit
     * false, with a report.
     */
    bool restoreAeMode();
    /**
     * @brief Undoes the changes since the last flush: reads the current scheme's file by key and applies it.
     * @return true when the saved values are back in force, and when there is nothing to undo (the factory
     * scheme, or no scheme); false when the file could not be read or a value was refused.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * true: nothing to undo.
     */
    bool resetToLastParameters();
    ///@}

    /// @name Initialisation and shutdown
    ///@{

    /**
     * @brief Starts the channel: the system configuration and merged UI style, the factory values, the
     * version check (a mismatch removes the channel's stale scheme files), every user scheme from its file or
     * created from the factory values, the key-command map, scheme 0 unless a time or day/night scheme mode
     * is stored, one synchronous pass of the sensor thread, and the thread itself. A running controller is
     * shut down first. Failures are reported and init goes on. Prints the IA library's dynamic command list
     * ("dnaCmdList...") on standard output, whatever the debug level.
     * @param p_objModuleConfigure the module, from ModuleConfigureParser.
     * @return true, always.
     * @lock_mutex
     * @par Threads
     * An application thread, not the sensor thread and not inside a video-module notification.
     * @par Before init and after uinit
     * This is what ends "before init"; after uinit it starts the channel again.
     */
    bool init(const ModuleConfigure& p_objModuleConfigure);
    /**
     * @brief Stops the sensor thread and releases the schemes, the map and the configuration. The parameter
     * mode returns to 1.
     * @lock_mutex
     * @par Threads
     * An application thread, not the sensor thread.
     * @par Before init and after uinit
     * Does nothing.
     */
    void uinit();
    /**
     * @brief The factory reset: applies the factory values, removes the channel's scheme files and starts the
     * channel again (uinit and init). On a start that was not whole (style or machine information not read
     * whole) it applies the factory values in memory, leaves every stored scheme file as it is, reports and
     * returns false.
     * @return false when the start was not whole (the factory values are in force but not stored); true
     * otherwise. A scheme file that could not be written anew is reported, as every failed write is.
     * @lock_mutex
     * @par Threads
     * An application thread, not the sensor thread.
     * @par Before init and after uinit
     * true with a report: there is nothing to reset.
     */
    bool resetParameters();
    ///@}

    /// @name UI files and style
    ///@{

    /**
     * @brief The common-file path of the UI-file entry with that id, else of the first entry.
     * @param nId the entry's id.
     * @return the path; an empty string when there is none.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * An empty string.
     */
    std::string getUICommonFile(int nId);
    /**
     * @brief The language-file path of the UI-file entry with that id, else of the first entry.
     * @param nId the entry's id.
     * @return the path; an empty string when there is none.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * An empty string.
     */
    std::string getUILanguageFile(int nId);
    /**
     * @brief The UI style document of the channel: the merged style that init kept, shaped by the IA
     * library's current ranges and the display flags. Waits (before taking the mutex) a bounded time while the
     * video module says it is busy.
     * @return the XML text; an empty string when there is no merged style to build from.
     * @lock_mutex
     * @threads_app
     * @par Before init and after uinit
     * An empty string: init has kept no merged style.
     */
    std::string getUIStyleFile();
    ///@}

    /**
     * @name Key wrappers
     * Shortcuts for one key each: a getter reads as getParameter does, a setter writes as
     * setParameter(key, value, true) does (not saved until flush).
     */
    ///@{

    /**
     * @brief Reads the day/night mode, key 144 (KEY_DN_MODE), as getParameter does.
     * @param p_nVal receives the value, or keeps it when the key cannot be read.
     * @return true, also when the key could not be read: callers treat the mode as optional.
     * @lock_get
     * @threads_app
     * @before_get
     */
    bool getDNMode(int& p_nVal);
    /** @key_set{144,KEY_DN_MODE} */
    bool setDNMode(int p_nVal);
    /** @key_get{2368,KEY_WDR_MODE} */
    bool getWDRSwitch(int& p_nVal);
    /** @key_set{2368,KEY_WDR_MODE} */
    bool setWDRSwitch(int& p_nVal);
    /** @key_get{2369,KEY_WDR_STRG} */
    bool getWDRStrength(int& p_nVal);
    /** @key_set{2369,KEY_WDR_STRG} */
    bool setWDRStrength(int& p_nVal);
    /** @key_get{112,KEY_HLC_SWITCH} */
    bool getHLCSwitch(int& p_nVal);
    /** @key_set{112,KEY_HLC_SWITCH} */
    bool setHLCSwitch(int& p_nVal);
    /** @key_get{113,KEY_HLC_STRG} */
    bool getHLCStrength(int& p_nVal);
    /** @key_set{113,KEY_HLC_STRG} */
    bool setHLCStrength(int& p_nVal);
    /** @key_get{128,KEY_BLC_SWITCH} */
    bool getBLCSwitch(int& p_nVal);
    /** @key_set{128,KEY_BLC_SWITCH} */
    bool setBLCSwitch(int& p_nVal);
    /** @key_get{130,KEY_BLC_STRG} */
    bool getBLCStrength(int& p_nVal);
    /** @key_set{130,KEY_BLC_STRG} */
    bool setBLCStrength(int& p_nVal);
    /** @key_get{2400,KEY_DEFLG_SWITCH} */
    bool getDefogSwitch(int& p_nVal);
    /** @key_set{2400,KEY_DEFLG_SWITCH} */
    bool setDefogSwitch(int& p_nVal);
    /** @key_get{2401,KEY_DEFLG_STRG} */
    bool getDefogStrength(int& p_nVal);
    /** @key_set{2401,KEY_DEFLG_STRG} */
    bool setDefogStrength(int& p_nVal);
    /** @key_get{2304,KEY_2D_NR_SWITCH} */
    bool get2DSwitch(int& p_nVal);
    /** @key_set{2304,KEY_2D_NR_SWITCH} */
    bool set2DSwitch(int& p_nVal);
    /** @key_get{2305,KEY_2D_NR_MODE} */
    bool get2DMode(int& p_nVal);
    /** @key_set{2305,KEY_2D_NR_MODE} */
    bool set2DMode(int& p_nVal);
    /** @key_get{2306,KEY_2D_NR_STRG_A} */
    bool get2DAutoMaxStrength(int& p_nVal);
    /** @key_set{2306,KEY_2D_NR_STRG_A} */
    bool set2DAutoMaxStrength(int& p_nVal);
    /** @key_get{2307,KEY_2D_NR_STRG_M} */
    bool get2DManualMaxStrength(int& p_nVal);
    /** @key_set{2307,KEY_2D_NR_STRG_M} */
    bool set2DManualMaxStrength(int& p_nVal);
    /** @key_get{2308,KEY_3D_NR_SWITCH} */
    bool get3DSwitch(int& p_nVal);
    /** @key_set{2308,KEY_3D_NR_SWITCH} */
    bool set3DSwitch(int& p_nVal);
    /** @key_get{2309,KEY_3D_NR_MODE} */
    bool get3DMode(int& p_nVal);
    /** @key_set{2309,KEY_3D_NR_MODE} */
    bool set3DMode(int& p_nVal);
    /** @key_get{2312,KEY_3D_NR_STRG_A} */
    bool get3DAutoMaxStrength(int& p_nVal);
    /** @key_set{2312,KEY_3D_NR_STRG_A} */
    bool set3DAutoMaxStrength(int& p_nVal);
    /** @key_get{2313,KEY_3D_NR_STRG_M} */
    bool get3DManualMaxStrength(int& p_nVal);
    /** @key_set{2313,KEY_3D_NR_STRG_M} */
    bool set3DManualMaxStrength(int& p_nVal);
    /** @key_get{2385,KEY_BEAWAY} */
    bool getBeaway(int& p_nVal);
    /** @key_set{2385,KEY_BEAWAY} */
    bool setBeaway(int& p_nVal);
    /** @key_get{2384,KEY_MIRROR} */
    bool getMirrorValue(int& p_nVal);
    /**
     * @brief Writes the mirror, key 2384 (KEY_MIRROR), as setParameter does, then saves the current scheme.
     * @param p_nVal the mirror mode.
     * @return true when the value was applied and the save succeeded; false when the write was refused or the
     * flush did not return 0 (the value stays applied and in the scheme in memory).
     * @par Lock
     * Takes the controller's mutex twice: through setParameter, then through flush.
     * @threads_app
     * @before_set
     */
    bool setMirrorMode(int p_nVal);
    /** @key_set{171,KEY_WHITE_MODE} */
    bool setWhiteMode(int p_nVal);
    /**
     * @brief Writes the light type, key 224 (KEY_LIGHT_TYPE), as setParameter does.
     * @param p_nVal the light type: 0 to 2 (2 intelligent, under which the twin light keys are in force).
     * @return true when written; false for a value above 2 or a refused write.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool setLightType(int p_nVal);
    /**
     * @brief Switches the infrared, key 160 (KEY_IR_SWITCH); switching it on first switches the white light
     * off, as the two exclude each other.
     * @param p_nVal 1 on, 0 off.
     * @return true when written; false when the white light could not be read or switched off, or the write
     * was refused.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool setIRSwitch(int p_nVal);
    /**
     * @brief Switches the white light, key 170 (KEY_WHITE_SWITCH); switching it on first switches the infrared
     * off.
     * @param p_nVal 1 on, 0 off.
     * @return true when written; false when the infrared could not be read or switched off, or the write was
     * refused.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool setWhiteSwitch(int p_nVal);
    ///@}

    /**
     * @name Direct IA commands
     * One IA command each: nothing is cached or stored and no lock is taken. The lens commands do nothing (and
     * succeed) on a module without a motorised lens.
     */
    ///@{

    /**
     * @brief One zoom step in.
     * @return true when the IA library took the command; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool zoomIn();
    /**
     * @brief One zoom step out.
     * @return true when the IA library took the command; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool zoomOut();
    /**
     * @brief Moves the zoom to a position.
     * @param p_nVal the position.
     * @return true when taken (or without a lens); false when the IA library refused it.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setZoomValue(int p_nVal);
    /**
     * @brief The zoom position and its ratio (100 per 1x, linear between the table's steps).
     * @param p_nPos receives the position (0 without a lens).
     * @param p_nRatio receives the ratio; beyond the last step it keeps its value.
     * @return true when read (or without a lens); false when the IA library refused the read.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getZoomValue(int& p_nPos, int& p_nRatio);
    /**
     * @brief Tells the lens whether the pan-tilt unit is moving.
     * @param p_nVal the run state.
     * @return true when taken (or without a lens); false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setPTZRunState(int p_nVal);
    /**
     * @brief Moves the focus to a position.
     * @param p_nVal the position.
     * @return true when taken (or without a lens); false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setFocusValue(int p_nVal);
    /**
     * @brief The focus position.
     * @param p_nVal receives it (0 without a lens).
     * @return true when read (or without a lens); false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getFocusValue(int& p_nVal);
    /**
     * @brief Sets the focus mode (IA command 1536).
     * @param p_nVal the mode.
     * @return true when taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setFocusMode(int p_nVal);
    /**
     * @brief The focus mode (IA command 1536).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getFocusMode(int& p_nVal);
    /**
     * @brief The focus state (IA command 1603).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getFocus(int& p_nVal);
    /**
     * @brief The autofocus statistic (IA command 1648).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getAFStatistic(u32& p_nVal);
    /**
     * @brief Tells the IA library the day/night state.
     * @param p_nVal the state (0 day).
     * @return true when taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setDNState(int p_nVal);
    /**
     * @brief The day/night state the sensor reports, which the sensor thread's day/night scheme mode follows.
     * @param p_nVal receives it (0 day).
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getDNState(int& p_nVal);
    /**
     * @brief The WDR mode in force (IA command 2368), not the cached key.
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getWDR(int& p_nVal);
    /**
     * @brief Sets the exposure strategy (IA command 225).
     * @param p_nVal the strategy.
     * @return true when taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setExposureStrategy(int& p_nVal);
    /**
     * @brief Whether an IA command has finished.
     * @param nCmd the command.
     * @param p_nStatus receives its execution status.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getCmdExecStatus(int nCmd, int& p_nStatus);
    /**
     * @brief The camera's version text from the IA library.
     * @param p_strVersion receives it.
     * @return true when read; false otherwise (p_strVersion unchanged).
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getCameraVerInf(std::string& p_strVersion);
    /**
     * @brief The infrared switch in force (IA command 160).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getIRSwitch(int& p_nVal);
    /**
     * @brief The white light switch in force (IA command 168, of key 170).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getWhiteSwitch(int& p_nVal);
    /**
     * @brief The white light mode in force (IA command 169, of key 171).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getWhiteMode(int& p_nVal);
    /**
     * @brief The light type in force (IA command 224).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getLightType(int& p_nVal);
    /**
     * @brief The iris position (IA command 82).
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getIrisValue(int& p_nVal);
    /**
     * @brief Whether the heater is on.
     * @param p_bHeat receives it.
     * @return true when read; false otherwise (p_bHeat unchanged).
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getHeatStatus(bool& p_bHeat);
    /**
     * @brief The temperature the IA library reports.
     * @param p_nVal receives it.
     * @return true when read; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getTempValue(int& p_nVal);
    /**
     * @brief Passes the infrared LED record to the IA library as it is.
     * @param p_pInfo the record, in the IA library's layout.
     * @return true when taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setIrLedInfo(void* p_pInfo);
    /**
     * @brief Three figures of the automatic exposure.
     * @param p_nA receives the record's third field.
     * @param p_nB receives its first.
     * @param p_nC receives its second.
     * @return true when read; false otherwise (nothing written).
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getAutoExposureInfo(int& p_nA, int& p_nB, int& p_nC);
    ///@}

    /// @name Lens, iris and shutter steps
    ///@{

    /**
     * @brief One focus step far.
     * @return true when taken (or without a lens); false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool focusFar();
    /**
     * @brief One focus step near.
     * @return true when taken (or without a lens); false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool focusNear();
    /**
     * @brief Switches the exposure to manual iris and opens the iris one step.
     * @return true when both commands were taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool irisUp();
    /**
     * @brief Switches the exposure to manual iris and closes the iris one step.
     * @return true when both commands were taken; false otherwise.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool irisDown();
    /**
     * @brief Switches the exposure to manual iris and sets the iris position.
     * @param nVal the position.
     * @return true when taken; false for a refused command.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool setIrisValue(int nVal);
    /**
     * @brief The index of the current maximum shutter in the sensor's shutter list.
     * @param nIndex receives the index.
     * @return true when found; false when the IA library refused the read or the value is not in the list.
     * @lock_none
     * @threads_app
     * @before_ia
     */
    bool getShutterValue(int& nIndex);
    /**
     * @brief Writes the maximum shutter, key 49, from its index in the sensor's shutter list, as setParameter
     * does.
     * @param nIndex the index.
     * @return true when written; false for an index outside the list or a refused write.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool setShutterValue(int nIndex);
    /**
     * @brief Moves the maximum shutter one step up the sensor's list, as setShutterValue does.
     * @return true when written; false when the current value is not in the list or the write was refused.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool shutterUp();
    /**
     * @brief Moves the maximum shutter one step down the sensor's list.
     * @return true when written; false when the current value is not in the list or the write was refused.
     * @lock_set
     * @threads_app
     * @before_set
     */
    bool shutterDown();
    ///@}

    /// @name Show flags and zoom/focus settings
    ///@{

    /**
     * @brief Whether the UI style shows the WDR controls; read by the WDR handler and the style builder.
     * @param p_bShow show them.
     * @lock_none
     * @threads_any
     * @par Before init and after uinit
     * Kept; init sets it again from the video module.
     */
    void setShowWDRFalg(bool p_bShow);
    /**
     * @brief The WDR show flag.
     * @param p_bShow receives it.
     * @return true.
     * @lock_none
     * @threads_any
     * @before_none
     */
    bool getShowWDRFalg(bool& p_bShow);
    /**
     * @brief Sets the process-wide show flag of the beaway control (setshowBeawayFalg): every channel's style
     * follows it.
     * @param p_bShow show it.
     * @lock_none
     * @threads_any
     * @before_none
     */
    void setShowBeawayFalg(bool p_bShow);
    /**
     * @brief The process-wide show flag of the beaway control.
     * @param p_bShow receives it.
     * @return true.
     * @lock_none
     * @threads_any
     * @before_none
     */
    bool getShowBeawayFalg(bool& p_bShow);
    /**
     * @brief A copy of the zoom/focus settings the application set.
     * @param p_objParam receives them.
     * @return 0.
     * @par Lock
     * Takes the zoom/focus settings' own lock, not the controller's mutex.
     * @threads_any
     * @before_none
     */
    int getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    /**
     * @brief Keeps the zoom/focus settings; while their lock flag is set, the library sends no zoom or focus
     * key.
     * @param p_objParam the settings.
     * @return 0.
     * @par Lock
     * Takes the zoom/focus settings' own lock, not the controller's mutex.
     * @threads_any
     * @before_none
     */
    int setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam);
    ///@}

    /// A field-of-view request from one channel to another channel's background thread: the key.
    /// Written by doIoCrtl on an application thread; read and reset to -1 by the sensor thread of the channel
    /// named in m_nChanneldDosomething.
    static std::atomic<int> m_nPassKeycmd;
    /// The channel whose sensor thread is to serve m_nPassKeycmd.
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
    // The first row of the map with that key, or -1.
    IMAGETUNE_LOCAL int findRowOfKey(keycmd const* p_pKeyCmdMap, u32 p_nKey) const;
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
    // thread's own passes never wait for it (whoever holds it may be stopping the thread): a pass that finds it
    // taken posts its decision, which the holder runs before it releases the lock (runPostedPass).
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
    // The thread's pass when the pass lock is taken: posts the decision and waits, a bounded time and never past
    // a stop request, until a holder or a later try of its own has run it.
    IMAGETUNE_LOCAL void postPass();
    // A posted decision, run by the holder of the controller's exclusion just before it releases it.
    IMAGETUNE_LOCAL void runPostedPass();
    friend class ControllerLock;
    // Waits in 0.5 s steps while a reset, restore or switch is under way.
    IMAGETUNE_LOCAL void waitWhileBusy();

    // The IA library's channel, m_nCameraID - 1, without overflow for any channel number the application set.
    IMAGETUNE_LOCAL int iaChannel() const { return m_nCameraID > INT32_MIN ? m_nCameraID - 1 : INT32_MIN; }

    // Whether the scheme file may be replaced by the current layout: always for a layout built from a whole
    // style; otherwise only where nothing is stored yet or the stored file has this very layout.
    IMAGETUNE_LOCAL bool mayReplaceSchemeFile(const char* p_szFile);

    // What a scheme holds when it is made from the factory values (a first start, a reset): the factory values
    // in the fixed scheme mode, or on an LPR device the night scheme's own values. Points into m_pFctKeyVal or
    // m_pLprKeyVal; valid until the next call.
    IMAGETUNE_LOCAL KeyVal* factorySchemeContent(u32 p_nScheme);
    // The scheme-mode flags as scheme 0's KEY_SCHEME_MODE says.
    IMAGETUNE_LOCAL void takeSchemeModeOfScheme0();
    // Every user scheme made from the factory values, in memory only (a reset whose files must stay).
    IMAGETUNE_LOCAL void factorySchemesInMemory();

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
    // Written and read by the scheme decision, always under the pass lock: on the sensor thread, on the holder
    // that runs a posted decision, or in init's synchronous pass.
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
    // The sensor thread's posted decision (PASS_POST_...): posted by the thread, taken and finished by whoever
    // runs it under the pass lock; the thread waits for it to be finished.
    std::atomic<int> m_nPassPost;
    // Whether init built the scheme layout from a whole style: the machine information and both style
    // documents read. A layout that was not may create scheme files but never replace one of another layout.
    bool m_bLayoutFromStyle;
};

#endif
