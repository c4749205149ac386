#include "PlatformFiles.h"

#include "Diagnostics.h"
#include "RegularFile.h"

namespace {

// A missing file is the parser's to fail on; anything else that is not a readable regular file is refused.
bool mayParse(const char* p_szPath) {
    const RegularFileResult stFile = probeRegularFile(p_szPath);
    if (stFile.eStatus == REGULAR_FILE_OK || stFile.eStatus == REGULAR_FILE_MISSING) return true;
    SNS_REPORT_REFUSED_FILE(p_szPath, stFile);
    return false;
}

}  // namespace

bool parseMachineInfoFile(MachineInfo& p_objInfo) {
    return mayParse(SNS_MACHINE_INFO_FILE) && SystemInfoParser::parseMachineInfo(SNS_MACHINE_INFO_FILE, p_objInfo);
}

bool parseModuleConfigFile(const std::string& p_strHardwareModel, const std::string& p_strHardwareCode,
                           std::vector<ModuleConfigure>& p_vecModules) {
    return mayParse(SNS_MODULE_CONFIG_FILE) &&
           ModuleConfigureParser::parse(SNS_MODULE_CONFIG_FILE, p_strHardwareModel, p_strHardwareCode, p_vecModules);
}
