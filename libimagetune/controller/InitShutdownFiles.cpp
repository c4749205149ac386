// Scheme file names, and the removal of a channel's stored schemes by listing the folders, not through a shell.
#include "InitShutdownFiles.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <vector>

#include "DeviceRoot.h"
#include "FileReplace.h"

namespace {

const char* const CODE_DIR = "/mnt/mtd/code";
const char* const CONFIG_DIR_PREFIX = "config";
const char* const THERMAL_PREFIX = "sensor-thermal";
const char* const SCHEME_SUFFIX = ".cfg";
// The user schemes that a version change or a reset removes, whatever the channel's scheme count.
const int STALE_SCHEME_FIRST = 0;
const int STALE_SCHEME_LAST = 3;

bool startsWith(const std::string& p_strText, const char* p_szPrefix) {
    return p_strText.compare(0, strlen(p_szPrefix), p_szPrefix) == 0;
}

bool endsWith(const std::string& p_strText, const char* p_szSuffix) {
    size_t nLen = strlen(p_szSuffix);
    return p_strText.size() >= nLen && p_strText.compare(p_strText.size() - nLen, nLen, p_szSuffix) == 0;
}

std::vector<std::string> entriesOf(const std::string& p_strDevicePath) {
    std::vector<std::string> vecNames;
    DIR* pDir = opendir(qx_device_path(p_strDevicePath).c_str());
    if (pDir == nullptr) return vecNames;
    while (struct dirent* pEntry = readdir(pDir)) {
        std::string strName = pEntry->d_name;
        if (strName != "." && strName != "..") vecNames.push_back(strName);
    }
    closedir(pDir);
    return vecNames;
}

// A "config*" folder as the system reaches it: a link there to a folder (a firmware image may link its
// configuration to another partition) is a folder like any other.
bool isFolder(const std::string& p_strDevicePath) {
    struct stat stInfo;
    return stat(qx_device_path(p_strDevicePath).c_str(), &stInfo) == 0 && S_ISDIR(stInfo.st_mode);
}

// A scheme file goes as rm would take it: a regular file, or a link of that name, which is unlinked and never
// followed (its target stays). Anything else of that name (a folder, a FIFO, a device) is not a scheme file.
int removeIfPresent(const std::string& p_strDevicePath) {
    struct stat stInfo;
    if (lstat(qx_device_path(p_strDevicePath).c_str(), &stInfo) != 0) return 0;
    if (!S_ISREG(stInfo.st_mode) && !S_ISLNK(stInfo.st_mode)) return 0;
    return removeDeviceEntry(p_strDevicePath.c_str()) == 0 ? 1 : 0;
}

}  // namespace

std::string schemeFileName(bool p_bThermal, int p_nCameraID, int p_nScheme) {
    char szName[64];
    if (p_bThermal) {
        snprintf(szName, sizeof(szName), "/mnt/mtd/code/config_file/sensor-thermal%d.cfg", p_nScheme);
    } else {
        snprintf(szName, sizeof(szName), "/mnt/mtd/code/config_file/sensor%d_%d.cfg", p_nCameraID, p_nScheme);
    }
    return szName;
}

int removeStaleSchemeFiles(bool p_bThermal, int p_nCameraID) {
    int nRemoved = 0;
    for (const std::string& strConfig : entriesOf(CODE_DIR)) {
        if (!startsWith(strConfig, CONFIG_DIR_PREFIX)) continue;
        std::string strFolder = std::string(CODE_DIR) + "/" + strConfig;
        if (!isFolder(strFolder)) continue;
        if (p_bThermal) {
            for (const std::string& strName : entriesOf(strFolder)) {
                if (startsWith(strName, THERMAL_PREFIX) && endsWith(strName, SCHEME_SUFFIX)) {
                    nRemoved += removeIfPresent(strFolder + "/" + strName);
                }
            }
            continue;
        }
        for (int s = STALE_SCHEME_FIRST; s <= STALE_SCHEME_LAST; ++s) {
            char szName[48];
            snprintf(szName, sizeof(szName), "/sensor%d_%d.cfg", p_nCameraID, s);
            nRemoved += removeIfPresent(strFolder + szName);
        }
    }
    return nRemoved;
}
