// A channel's system configuration: the module description, the scheme count, the device type and the merged
// UI style text.
#ifndef IMAGETUNE_SENSOR_H
#define IMAGETUNE_SENSOR_H

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
extern std::atomic<bool> g_bShoWBeawayFalg;
extern std::atomic<bool> g_bShoWFisheyeRotateFlag;
void setshowBeawayFalg(bool p_bShow);
bool getshowBeawayFalg();
void setshowFisheyeRotateFlag(bool p_bShow);

int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
// Releases the owned texts and leaves their pointers null, so that a second call releases nothing.
void uinitSysConf(SysConfig* p_stSysConf);

enum SysConfUIFileKind { SYSCONF_UI_COMMON_FILE, SYSCONF_UI_LANGUAGE_FILE };
// The common-file or language-file path of the UI-file entry with that id, else of the first entry; an
// empty string while the table is empty or the entry has no path.
std::string sysConfUIFile(const SysConfig* p_stSysConf, int nId, SysConfUIFileKind p_eKind);

#endif
