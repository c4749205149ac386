// The module configuration document:
//   <moduleConfig><hardware model="M" code="C"><module id="N" detail="..." parameters="..."/>...</hardware>...
#include "ModuleConfigure.h"

#include <tinyxml.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "QxFile.h"

namespace {

bool readWhole(const std::string& p_strPath, std::string& p_strText) {
    QxFile file;
    if (!file.open(p_strPath.c_str(), QxFile::modeRead)) return false;
    char szBuf[4096];
    unsigned nRead;
    while ((nRead = file.read(szBuf, sizeof szBuf)) > 0) p_strText.append(szBuf, nRead);
    return true;
}

// "id" must be a whole decimal int ("12abc" is not 12).
bool moduleId(const TiXmlElement* p_pModule, int& p_nId) {
    const char* szId = p_pModule->Attribute("id");
    if (szId == nullptr || *szId == '\0') return false;
    char* pEnd = nullptr;
    errno = 0;
    long nId = std::strtol(szId, &pEnd, 10);
    if (*pEnd != '\0' || errno == ERANGE || nId < INT_MIN || nId > INT_MAX) return false;
    p_nId = static_cast<int>(nId);
    return true;
}

std::string attribute(const TiXmlElement* p_pElement, const char* p_szName) {
    const char* szValue = p_pElement->Attribute(p_szName);
    return szValue != nullptr ? szValue : "";
}

}  // namespace

bool ModuleConfigureParser::parse(const std::string& p_strPath, const std::string& p_strHardwareModel,
                                  const std::string& p_strHardwareCode, std::vector<ModuleConfigure>& p_vecModules) {
    std::string strText;
    if (!readWhole(p_strPath, strText)) return false;
    TiXmlDocument doc;
    doc.Parse(strText.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (doc.Error()) return false;
    const TiXmlElement* pRoot = doc.RootElement();
    if (pRoot == nullptr || pRoot->ValueStr() != "moduleConfig") return false;

    for (const TiXmlElement* pHw = pRoot->FirstChildElement("hardware"); pHw != nullptr;
         pHw = pHw->NextSiblingElement("hardware")) {
        if (attribute(pHw, "model") != p_strHardwareModel || attribute(pHw, "code") != p_strHardwareCode) continue;
        for (const TiXmlElement* pModule = pHw->FirstChildElement("module"); pModule != nullptr;
             pModule = pModule->NextSiblingElement("module")) {
            int nId = 0;
            if (!moduleId(pModule, nId)) continue;
            ModuleConfigure objModule;
            objModule.setModuleId(nId);
            objModule.setDetail(attribute(pModule, "detail"));
            objModule.setParameters(attribute(pModule, "parameters"));
            p_vecModules.push_back(objModule);
        }
    }
    return true;
}
