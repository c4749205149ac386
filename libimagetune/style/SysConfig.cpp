// The channel's system configuration: the module description, the scheme count, the device type and the
// merged UI style.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DeviceStyleFiles.h"
#include "Diagnostics.h"
#include "PlatformFiles.h"
#include "SensorFile.h"
#include "StyleMergeInputs.h"
#include "SysConfigInputs.h"
#include "sensor.h"

namespace {

const u32 kDefaultSchemeSum = 4;

// Copies the text up to its first NUL, cut to fit the field; false when it had to be cut.
bool copyToField(char* p_szField, size_t p_nFieldSize, const std::string& p_strText) {
    size_t nLen = strnlen(p_strText.c_str(), p_strText.size());
    const bool bFits = nLen < p_nFieldSize;
    if (!bFits) nLen = p_nFieldSize - 1;
    std::memcpy(p_szField, p_strText.c_str(), nLen);
    p_szField[nLen] = '\0';
    return bFits;
}

// A zero-filled malloc'd block of the file's length plus one, holding the file, read as a document always is:
// its length (getFileLen, which reports a file that cannot be opened or is not a regular file), then the file
// (loadFromFile, with its trace). *p_pnRead is the length read, -1 when it could not be read whole. A file
// larger than SNS_STYLE_TEXT_MAX is not read. Null only when memory is exhausted.
char* loadStyleText(const std::string& p_strFile, int* p_pnRead) {
    const char* szFile = p_strFile.c_str();
    INT64 nLen = getFileLen(szFile);
    if (!SNS_ASSERT_MSG(nLen >= 0 && nLen <= SNS_STYLE_TEXT_MAX, "file(%s) len(%lld)\n", szFile,
                        static_cast<long long>(nLen)))
        nLen = -1;
    char* szText = static_cast<char*>(std::calloc(static_cast<size_t>(std::max<INT64>(nLen, 0)) + 1, 1));
    *p_pnRead = -1;
    if (szText == nullptr || nLen < 0) return szText;
    *p_pnRead = loadFromFile(szFile, szText, nLen);
    // What a short read left is no document.
    if (*p_pnRead < 0) std::memset(szText, 0, static_cast<size_t>(nLen) + 1);
    return szText;
}

}  // namespace

int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf) {
    bool bInputsWhole = false;
    return initSysConfInputs(p_nChannelID, p_objModuleConfigure, p_stSysConf, &bInputsWhole);
}

int initSysConfInputs(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf,
                      bool* p_pbInputsWhole) {
    *p_pbInputsWhole = false;
    if (!SNS_ASSERT(NULL != p_stSysConf)) return -1;
    std::memset(p_stSysConf, 0, sizeof(*p_stSysConf));
    std::strcpy(p_stSysConf->moduleConfig.szReserved1, "xxx");
    std::strcpy(p_stSysConf->moduleConfig.szReserved2, "xxx");

    ModuleConfig& stModule = p_stSysConf->moduleConfig;
    stModule.nModuleId = p_objModuleConfigure.getModuleId();
    SNS_ASSERT_MSG(copyToField(stModule.szDetail, sizeof(stModule.szDetail), p_objModuleConfigure.getDetail()),
                   "detail(%u) cut to %u characters\n", static_cast<unsigned>(p_objModuleConfigure.getDetail().size()),
                   static_cast<unsigned>(sizeof(stModule.szDetail) - 1));
    SNS_ASSERT_MSG(
        copyToField(stModule.szParameters, sizeof(stModule.szParameters), p_objModuleConfigure.getParameters()),
        "parameters(%u) cut to %u characters\n", static_cast<unsigned>(p_objModuleConfigure.getParameters().size()),
        static_cast<unsigned>(sizeof(stModule.szParameters) - 1));

    if (getDetailFieldTou32(stModule.szDetail, "max_scheme", &p_stSysConf->nSchemeSum) != 0)
        p_stSysConf->nSchemeSum = kDefaultSchemeSum;

    MachineInfo machineInfo;
    const bool bMachineInfo = parseMachineInfoFile(machineInfo);
    SNS_ASSERT_TEXT(bMachineInfo,
                    "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", "
                    "machineInfo)",
                    nullptr);
    p_stSysConf->nDeviceType = machineInfo.getDeviceType();
    const bool bDeviceType = isAcceptedDeviceType(p_stSysConf->nDeviceType);
    SNS_ASSERT_TEXT(bDeviceType,
                    "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT == "
                    "p_stSysConf->nDeviceType || DeviceType::VEHICLE_DETECT == p_stSysConf->nDeviceType || "
                    "DeviceType::AIMULTI_OBJECT_DETECT == p_stSysConf->nDeviceType || DeviceType::IPDOME == "
                    "p_stSysConf->nDeviceType || DeviceType::LPR == p_stSysConf->nDeviceType || DeviceType::IPP == "
                    "p_stSysConf->nDeviceType || DeviceType::HUMAN_TEMPERATURE == p_stSysConf->nDeviceType || "
                    "DeviceType::THERMAL_DEVICE == p_stSysConf->nDeviceType || "
                    "DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE == p_stSysConf->nDeviceType || DeviceType::FISHEYE == "
                    "p_stSysConf->nDeviceType || DeviceType::DOMECORE == p_stSysConf->nDeviceType || "
                    "DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE == p_stSysConf->nDeviceType || "
                    "DeviceType::BINOCULAR_DEVICE == p_stSysConf->nDeviceType || DeviceType::THERMAL_IPDOME == "
                    "p_stSysConf->nDeviceType || DeviceType::DOMECORE_THERMAL_DEVICE == p_stSysConf->nDeviceType",
                    "machineinfo, devicetype(%d) error, must be 1 or 4 or 8 or 9 or 13\n", p_stSysConf->nDeviceType);

    const StyleFilePair stFiles = styleFilesFor(p_nChannelID, p_stSysConf->nDeviceType);
    const std::string strStyleFileName = stFiles.szStyle;
    int nRead = -1;
    p_stSysConf->szUIStyle = loadStyleText(strStyleFileName, &nRead);
    const bool bStyle = nRead > 0;
    SNS_ASSERT_TEXT(bStyle,
                    "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                    "getFileLen(strStyleFileName.c_str())) > 0",
                    nullptr);

    const std::string strStyleDivFileName = stFiles.szStyleDiversity;
    char* ui_styleDiversity = loadStyleText(strStyleDivFileName, &nRead);
    const bool bStyleDiversity = nRead > 0;
    SNS_ASSERT_TEXT(bStyleDiversity,
                    "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                    "getFileLen(strStyleDivFileName.c_str())) > 0",
                    nullptr);

    // A document that was read but does not parse leaves the style unmerged, of another layout: mergeStyle
    // reports that, and tells it here.
    bool bDiversityApplied = false;
    SNS_ASSERT_TEXT(SNS_SUCCESS == mergeStyle(p_nChannelID, &p_stSysConf->moduleConfig, &p_stSysConf->szUIStyle,
                                              ui_styleDiversity, &bDiversityApplied),
                    "SNS_SUCCESS == mergeStyle(p_nChannelID,&p_stSysConf->moduleConfig, &p_stSysConf->szUIStyle, "
                    "ui_styleDiversity)",
                    nullptr);
    const bool bDiversityParses = bStyleDiversity && bDiversityApplied;
    std::free(ui_styleDiversity);
    // A style document that did not parse leaves the merged style empty.
    const bool bMerged = p_stSysConf->szUIStyle != nullptr && p_stSysConf->szUIStyle[0] != '\0';
    // A device type outside the accepted set is reported, and takes the dome files as an ordinary start does.
    *p_pbInputsWhole = bMachineInfo && bStyle && bDiversityParses && bMerged;
    return SNS_SUCCESS;
}

void uinitSysConf(SysConfig* p_stSysConf) {
    if (p_stSysConf == nullptr) return;
    for (u32 i = 0; p_stSysConf->pstUIFile != nullptr && i < p_stSysConf->nUIFileSum; ++i) {
        UIFileEntry& stEntry = p_stSysConf->pstUIFile[i];
        std::free(stEntry.pszCommonFile);
        stEntry.pszCommonFile = nullptr;
        std::free(stEntry.pszLanguageFile);
        stEntry.pszLanguageFile = nullptr;
    }
    std::free(p_stSysConf->szUIStyle);
    p_stSysConf->szUIStyle = nullptr;
}

std::string sysConfUIFile(const SysConfig* p_stSysConf, int nId, SysConfUIFileKind p_eKind) {
    if (p_stSysConf == nullptr || p_stSysConf->pstUIFile == nullptr || p_stSysConf->nUIFileSum == 0) return "";
    const UIFileEntry* pEntry = &p_stSysConf->pstUIFile[0];
    for (u32 i = 0; i < p_stSysConf->nUIFileSum; ++i) {
        if (p_stSysConf->pstUIFile[i].nId == nId) {
            pEntry = &p_stSysConf->pstUIFile[i];
            break;
        }
    }
    const char* szPath = p_eKind == SYSCONF_UI_COMMON_FILE ? pEntry->pszCommonFile : pEntry->pszLanguageFile;
    return szPath != nullptr ? szPath : "";
}
