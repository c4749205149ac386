// A channel's system configuration: the module description, the scheme count, the device type and the merged
// UI style text.
#ifndef IMAGETUNE_SENSOR_H
#define IMAGETUNE_SENSOR_H

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

int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
void uinitSysConf(SysConfig* p_stSysConf);

#endif
