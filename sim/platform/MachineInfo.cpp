// The factory machine-information file: "key=value" lines.
#include "MachineInfo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "QxFile.h"

namespace {

std::string trim(const std::string& p_str) {
    const char* szBlank = " \t\r\n\v\f";
    size_t nFirst = p_str.find_first_not_of(szBlank);
    if (nFirst == std::string::npos) return std::string();
    size_t nLast = p_str.find_last_not_of(szBlank);
    return p_str.substr(nFirst, nLast - nFirst + 1);
}

// The whole text must be one decimal int.
bool parseDecimal(const std::string& p_strText, int& p_nValue) {
    if (p_strText.empty()) return false;
    char* pEnd = nullptr;
    errno = 0;
    long nValue = std::strtol(p_strText.c_str(), &pEnd, 10);
    if (*pEnd != '\0' || errno == ERANGE || nValue < INT_MIN || nValue > INT_MAX) return false;
    p_nValue = static_cast<int>(nValue);
    return true;
}

}  // namespace

MachineInfo::MachineInfo() : m_nDeviceType(0) {}

bool SystemInfoParser::parseMachineInfo(const std::string& p_strPath, MachineInfo& p_objInfo) {
    QxFile file;
    if (!file.open(p_strPath.c_str(), QxFile::modeRead)) return false;
    std::vector<std::string> vecLines = file.ReadLines();
    file.close();

    bool bHaveType = false, bHaveModel = false, bHaveCode = false;
    int nType = 0;
    std::string strModel, strCode;
    for (size_t i = 0; i < vecLines.size(); ++i) {
        std::string strLine = vecLines[i];
        if (i == 0 && strLine.compare(0, 3, "\xEF\xBB\xBF") == 0) strLine.erase(0, 3);
        strLine = trim(strLine);
        if (strLine.empty() || strLine[0] == '#' || strLine[0] == '[') continue;
        size_t nEq = strLine.find('=');
        if (nEq == std::string::npos) continue;
        std::string strKey = trim(strLine.substr(0, nEq));
        std::string strValue = trim(strLine.substr(nEq + 1));
        if (strKey == "deviceType") {
            bHaveType = parseDecimal(strValue, nType);
        } else if (strKey == "hardwareModel") {
            strModel = strValue;
            bHaveModel = true;
        } else if (strKey == "hardwareCode") {
            strCode = strValue;
            bHaveCode = true;
        }
    }
    if (!bHaveType) return false;
    p_objInfo.setDeviceType(nType);
    if (bHaveModel) p_objInfo.setHardwareModel(strModel);
    if (bHaveCode) p_objInfo.setHardwareCode(strCode);
    return true;
}
