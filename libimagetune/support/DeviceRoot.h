// The device root, the library's own: every absolute device path goes through qx_device_path. With
// IMAGETUNE_ROOT set and not empty the root is prefixed to the path, so that a workstation keeps a whole camera
// file tree in one folder; unset, paths are the camera's own. The variable is read on every call. Relative paths
// are left alone, and so is a path that already lies under the root (mapping twice does no harm). A ".."
// component never climbs above the root ("/a/../../etc" is "<root>/etc").
//
// Header-only and hidden: the library and the platform stand-ins each carry their own copy, so that the library
// imports nothing for it from the process that loads it.
#ifndef IMAGETUNE_SUPPORT_DEVICEROOT_H
#define IMAGETUNE_SUPPORT_DEVICEROOT_H

#include <cstdlib>
#include <string>
#include <vector>

#define IMAGETUNE_DEVROOT_API __attribute__((visibility("hidden"))) inline

namespace devroot_detail {

IMAGETUNE_DEVROOT_API bool hasDotDot(const std::string& p_strPath) {
    for (size_t nPos = p_strPath.find(".."); nPos != std::string::npos; nPos = p_strPath.find("..", nPos + 1)) {
        bool bStarts = nPos == 0 || p_strPath[nPos - 1] == '/';
        bool bEnds = nPos + 2 == p_strPath.size() || p_strPath[nPos + 2] == '/';
        if (bStarts && bEnds) return true;
    }
    return false;
}

// "/a/../../b" -> "/b": like a change of root, ".." never climbs out of the device tree.
IMAGETUNE_DEVROOT_API std::string clampDotDot(const std::string& p_strPath) {
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

}  // namespace devroot_detail

IMAGETUNE_DEVROOT_API std::string qx_device_path(const char* p_szPath) {
    if (p_szPath == nullptr) return std::string();
    std::string strPath(p_szPath);
    if (strPath.empty() || strPath[0] != '/') return strPath;

    const char* szRoot = std::getenv("IMAGETUNE_ROOT");  // read on every call: tests change it
    if (szRoot == nullptr || *szRoot == '\0') return strPath;
    std::string strRoot(szRoot);
    while (!strRoot.empty() && strRoot.back() == '/') strRoot.pop_back();
    if (strRoot.empty()) return strPath;

    // A path that was mapped already stays as it is.
    if (strPath.compare(0, strRoot.size(), strRoot) == 0 &&
        (strPath.size() == strRoot.size() || strPath[strRoot.size()] == '/'))
        return strPath;

    return strRoot + (devroot_detail::hasDotDot(strPath) ? devroot_detail::clampDotDot(strPath) : strPath);
}

IMAGETUNE_DEVROOT_API std::string qx_device_path(const std::string& p_strPath) {
    return qx_device_path(p_strPath.c_str());
}

#undef IMAGETUNE_DEVROOT_API

#endif
