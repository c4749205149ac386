// A channel's system configuration: the module description, the scheme count, the device type and the merged
// UI style text.
#ifndef IMAGETUNE_SENSOR_H
#define IMAGETUNE_SENSOR_H

#include "ImagetuneApi.h"

#include <atomic>
#include <string>

#include "ModuleConfigure.h"
#include "SensorKeyVal.h"

struct ModuleConfig {
    int nModuleId;
    char szReserved1[32];
    char szReserved2[10];
    char szParameters[256];
    char szDetail[512];
};

struct UIFileEntry {
    int nId;
    char szName[32];
    char* pszLanguageFile;
    char* pszCommonFile;
};

struct SysConfig {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;
    u32 nUIFileSum;
    UIFileEntry* pstUIFile;
    char* szUIStyle;  // malloc'd; mergeStyle replaces it with a block of another size
    int nDeviceType;
};

// Style documents larger than this are not read (a style document is some tens of kilobytes).
#define SNS_STYLE_TEXT_MAX (4 * 1024 * 1024)

// Fills the record of channel p_nChannelID (1-based): module description, scheme count, device type and the
// merged UI style. Failures are reported and the record is filled as far as possible: SNS_SUCCESS, or -1 for
// a null record.
// Process-wide display flags shared by every channel (the last write wins).
// Written by init, the show-flag setters and the style request of any channel; read by the style builder and
// doBeaway on any thread.
extern IMAGETUNE_API std::atomic<bool> g_bShoWBeawayFalg;
extern IMAGETUNE_API std::atomic<bool> g_bShoWFisheyeRotateFlag;
IMAGETUNE_API void setshowBeawayFalg(bool p_bShow);
IMAGETUNE_API bool getshowBeawayFalg();
IMAGETUNE_API void setshowFisheyeRotateFlag(bool p_bShow);

IMAGETUNE_API int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
// Releases the owned texts and leaves their pointers null, so that a second call releases nothing.
IMAGETUNE_API void uinitSysConf(SysConfig* p_stSysConf);

#endif
