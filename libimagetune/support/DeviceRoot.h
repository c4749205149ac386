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
#include <cstring>
#include <string>
#include <vector>

#define IMAGETUNE_DEVROOT_API __attribute__((visibility("hidden"))) inline

namespace devroot_detail {

IMAGETUNE_DEVROOT_API bool hasDotDot(const char* p_szPath) {
    for (const char* p = std::strstr(p_szPath, ".."); p != nullptr; p = std::strstr(p + 1, "..")) {
        const bool bStarts = p == p_szPath || p[-1] == '/';
        const bool bEnds = p[2] == '\0' || p[2] == '/';
        if (bStarts && bEnds) return true;
    }
    return false;
}

IMAGETUNE_DEVROOT_API bool hasDotDot(const std::string& p_strPath) {
    return hasDotDot(p_strPath.c_str());
}

// IMAGETUNE_ROOT without its trailing '/', read on every call (tests change it); *p_pnLen is 0 when it is
// unset, empty or only '/'.
IMAGETUNE_DEVROOT_API const char* root(size_t* p_pnLen) {
    const char* szRoot = std::getenv("IMAGETUNE_ROOT");
    size_t nRoot = szRoot != nullptr ? std::strlen(szRoot) : 0;
    while (nRoot > 0 && szRoot[nRoot - 1] == '/') --nRoot;
    *p_pnLen = nRoot;
    return szRoot;
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

    size_t nRoot = 0;
    const char* szRoot = devroot_detail::root(&nRoot);
    if (nRoot == 0) return strPath;
    const std::string strRoot(szRoot, nRoot);

    // A path that was mapped already stays as it is.
    if (strPath.compare(0, strRoot.size(), strRoot) == 0 &&
        (strPath.size() == strRoot.size() || strPath[strRoot.size()] == '/'))
        return strPath;

    return strRoot + (devroot_detail::hasDotDot(strPath) ? devroot_detail::clampDotDot(strPath) : strPath);
}

// The same mapping written into a caller's buffer, for the paths read before every statement: no heap. False
// (and p_szBuf empty) when the mapped path does not fit, or has a ".." component: qx_device_path then.
IMAGETUNE_DEVROOT_API bool qx_device_path_into(const char* p_szPath, char* p_szBuf, size_t p_nSize) {
    if (p_nSize == 0) return false;
    p_szBuf[0] = '\0';
    if (p_szPath == nullptr) return true;
    const size_t nPath = std::strlen(p_szPath);
    size_t nRoot = 0;
    const char* szRoot = p_szPath[0] == '/' ? devroot_detail::root(&nRoot) : nullptr;
    if (nRoot > 0) {
        if (devroot_detail::hasDotDot(p_szPath)) return false;
        // A path that was mapped already stays as it is.
        if (nPath >= nRoot && std::strncmp(p_szPath, szRoot, nRoot) == 0 &&
            (p_szPath[nRoot] == '\0' || p_szPath[nRoot] == '/'))
            nRoot = 0;
    }
    if (nRoot + nPath >= p_nSize) return false;
    if (nRoot > 0) std::memcpy(p_szBuf, szRoot, nRoot);
    std::memcpy(p_szBuf + nRoot, p_szPath, nPath + 1);
    return true;
}

// The mapping of a constant absolute path without "..", such as the debug settings read before every
// statement: the root and the path copied into p_szBuf, nothing else looked at. False when it does not fit.
template <size_t N>
IMAGETUNE_DEVROOT_API bool qx_device_path_of_constant(const char (&p_szPath)[N], char* p_szBuf, size_t p_nSize) {
    size_t nRoot = 0;
    const char* szRoot = devroot_detail::root(&nRoot);
    if (nRoot + N > p_nSize) return false;
    if (nRoot > 0) std::memcpy(p_szBuf, szRoot, nRoot);  // no root: nothing to copy, from no pointer
    std::memcpy(p_szBuf + nRoot, p_szPath, N);
    return true;
}

IMAGETUNE_DEVROOT_API std::string qx_device_path(const std::string& p_strPath) {
    return qx_device_path(p_strPath.c_str());
}

#undef IMAGETUNE_DEVROOT_API

#endif
