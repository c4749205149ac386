// Every absolute device path goes through here: with IMAGETUNE_ROOT set and not empty it is prefixed to the
// path, so that a workstation keeps a whole camera file tree in one folder; unset, paths are the camera's own.
// The variable is read on every call. Relative paths are left alone, and so is a path that already lies under
// the root (mapping twice does no harm). A ".." component never climbs above the root ("/a/../../etc" is
// "<root>/etc"). The platform stand-ins map the paths they are given; callers pass device paths to them.
#ifndef IMAGETUNE_PLATFORM_DEVICEROOT_H
#define IMAGETUNE_PLATFORM_DEVICEROOT_H

#include <string>

std::string qx_device_path(const char* p_szPath);
inline std::string qx_device_path(const std::string& p_strPath) {
    return qx_device_path(p_strPath.c_str());
}

#endif
