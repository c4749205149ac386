/**
 * @file sensor.h
 * @brief A channel's system configuration: the module description, the scheme count, the device type and the
 * merged UI style text.
 */
#ifndef IMAGETUNE_SENSOR_H
#define IMAGETUNE_SENSOR_H

#include <atomic>
#include <string>

#include "ImagetuneApi.h"
#include "ModuleConfigure.h"
#include "SensorKeyVal.h"

/// The module's description, copied from its ModuleConfigure.
struct ModuleConfig {
    int nModuleId;
    char szReserved1[32];
    char szReserved2[10];
    char szParameters[256];
    char szDetail[512];
};

/// One UI file of the configuration: its id, name and the language and common files.
struct UIFileEntry {
    int nId;
    char szName[32];
    char* pszLanguageFile;
    char* pszCommonFile;
};

/// The system configuration of one channel, filled by initSysConf and released by uinitSysConf.
struct SysConfig {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;
    u32 nUIFileSum;
    UIFileEntry* pstUIFile;
    char* szUIStyle;  // malloc'd; mergeStyle replaces it with a block of another size
    int nDeviceType;
};

/// Style documents larger than this are not read (a style document is some tens of kilobytes).
#define SNS_STYLE_TEXT_MAX (4 * 1024 * 1024)

/// @name Process-wide display flags
/// Shared by every channel (the last write wins). Written by init, the show-flag setters and the style request
/// of any channel; read by the style builder and the beaway handler on any thread.
///@{
extern IMAGETUNE_API std::atomic<bool> g_bShoWBeawayFalg;          ///< show the beaway control
extern IMAGETUNE_API std::atomic<bool> g_bShoWFisheyeRotateFlag;  ///< show the fisheye rotation control
///@}

/**
 * @brief Sets g_bShoWBeawayFalg.
 * @param p_bShow show the beaway control.
 * @lock_none
 * @threads_any
 * @before_none
 */
IMAGETUNE_API void setshowBeawayFalg(bool p_bShow);
/**
 * @brief Reads g_bShoWBeawayFalg.
 * @return the flag.
 * @lock_none
 * @threads_any
 * @before_none
 */
IMAGETUNE_API bool getshowBeawayFalg();
/**
 * @brief Sets g_bShoWFisheyeRotateFlag.
 * @param p_bShow show the fisheye rotation control.
 * @lock_none
 * @threads_any
 * @before_none
 */
IMAGETUNE_API void setshowFisheyeRotateFlag(bool p_bShow);

/**
 * @brief Fills the system configuration of a channel: module description, scheme count ("max_scheme" of the
 * detail text, else 4), device type and the merged UI style. Failures are reported and the record is filled as
 * far as possible.
 * @param p_nChannelID the channel (1-based).
 * @param p_objModuleConfigure the module.
 * @param p_stSysConf the record; release it with uinitSysConf.
 * @return SNS_SUCCESS; -1 for a null record.
 * @free_fn
 */
IMAGETUNE_API int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
/**
 * @brief Releases the record's texts and leaves their pointers null, so that a second call releases nothing.
 * @param p_stSysConf the record.
 * @free_fn
 */
IMAGETUNE_API void uinitSysConf(SysConfig* p_stSysConf);

#endif
