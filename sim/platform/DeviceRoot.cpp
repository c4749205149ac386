// The device root: a workstation keeps the camera's whole file tree under IMAGETUNE_ROOT.
#include "DeviceRoot.h"

#include <cstdlib>
#include <vector>

namespace {

bool hasDotDot(const std::string& p_strPath) {
    for (size_t nPos = p_strPath.find(".."); nPos != std::string::npos; nPos = p_strPath.find("..", nPos + 1)) {
        bool bStarts = nPos == 0 || p_strPath[nPos - 1] == '/';
        bool bEnds = nPos + 2 == p_strPath.size() || p_strPath[nPos + 2] == '/';
        if (bStarts && bEnds) return true;
    }
    return false;
}

// "/a/../../b" -> "/b": like a change of root, ".." never climbs out of the device tree.
std::string clampDotDot(const std::string& p_strPath) {
    std::vector<std::string> vecParts;
    size_t nStart = 0;
    while (nStart <= p_strPath.size()) {
        size_t nEnd = p_strPath.find('/', nStart);
        if (nEnd == std::string::npos) nEnd = p_strPath.size();
        std::string strPart = p_strPath.substr(nStart, nEnd - nStart);
        if (strPart == "..") {
            if (!vecParts.empty()) vecParts.pop_back();
        } else if (!strPart.empty() && strPart != ".") {
            vecParts.push_back(strPart);
        }
        nStart = nEnd + 1;
    }
    std::string strOut;
    for (const std::string& strPart : vecParts) strOut += "/" + strPart;
    if (strOut.empty() || p_strPath.back() == '/') strOut += "/";
    return strOut;
}

}  // namespace

std::string qx_device_path(const char* p_szPath) {
    if (p_szPath == nullptr) return std::string();
    std::string strPath(p_szPath);
    if (strPath.empty() || strPath[0] != '/') return strPath;

    const char* szRoot = std::getenv("IMAGETUNE_ROOT");  // read on every call: tests change it
    if (szRoot == nullptr || *szRoot == '\0') return strPath;
    std::string strRoot(szRoot);
    while (!strRoot.empty() && strRoot.back() == '/') strRoot.pop_back();
    if (strRoot.empty()) return strPath;

    // A path that was mapped already stays as it is, so mapping twice does no harm.
    if (strPath.compare(0, strRoot.size(), strRoot) == 0 &&
        (strPath.size() == strRoot.size() || strPath[strRoot.size()] == '/'))
        return strPath;

    return strRoot + (hasDotDot(strPath) ? clampDotDot(strPath) : strPath);
}
