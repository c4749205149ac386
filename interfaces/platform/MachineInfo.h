// The machine's identity, read from the factory machine-information file.
#ifndef IMAGETUNE_PLATFORM_MACHINEINFO_H
#define IMAGETUNE_PLATFORM_MACHINEINFO_H

#include <string>

class MachineInfo {
public:
    MachineInfo();
    int getDeviceType() const { return m_nDeviceType; }
    std::string getHardwareModel() const { return m_strHardwareModel; }
    std::string getHardwareCode() const { return m_strHardwareCode; }
    void setDeviceType(int p_nType) { m_nDeviceType = p_nType; }
    void setHardwareModel(const std::string& p_str) { m_strHardwareModel = p_str; }
    void setHardwareCode(const std::string& p_str) { m_strHardwareCode = p_str; }

private:
    int m_nDeviceType;
    std::string m_strHardwareModel;
    std::string m_strHardwareCode;
};

class SystemInfoParser {
public:
    // Reads "key=value" lines (blank lines, '#' comments and "[section]" lines skipped): deviceType (decimal),
    // hardwareModel, hardwareCode. False when the file is missing or deviceType is absent or not a number.
    // Keys and values are trimmed of blanks; other keys are ignored; a later line wins over an earlier one.
    // On failure p_objInfo is unchanged; on success a model or code the file does not give keeps its value.
    // The path is a device path.
    static bool parseMachineInfo(const std::string& p_strPath, MachineInfo& p_objInfo);
};

#endif
