// The description of one camera module, and the parser of the module configuration document.
#ifndef IMAGETUNE_PLATFORM_MODULECONFIGURE_H
#define IMAGETUNE_PLATFORM_MODULECONFIGURE_H

#include <string>
#include <vector>

class ModuleConfigure {
public:
    ModuleConfigure() : m_nModuleId(0) {}
    int getModuleId() const { return m_nModuleId; }
    const std::string& getDetail() const { return m_strDetail; }
    const std::string& getParameters() const { return m_strParameters; }
    void setModuleId(int p_nId) { m_nModuleId = p_nId; }
    void setDetail(const std::string& p_str) { m_strDetail = p_str; }
    void setParameters(const std::string& p_str) { m_strParameters = p_str; }

private:
    int m_nModuleId;
    std::string m_strDetail;
    std::string m_strParameters;
};

class ModuleConfigureParser {
public:
    // Reads <moduleConfig><hardware model="M" code="C"><module id="N" detail="..." parameters="..."/>...
    // and appends the modules of the hardware matching model and code, in document order.
    // False when the document is missing, not well formed, or its root is not <moduleConfig>; true otherwise,
    // also when no hardware matches (then nothing is appended). A <module> without a decimal "id" is skipped;
    // a missing "detail" or "parameters" is "". The path is a device path.
    static bool parse(const std::string& p_strPath, const std::string& p_strHardwareModel,
                      const std::string& p_strHardwareCode, std::vector<ModuleConfigure>& p_vecModules);
};

#endif
