// The test fault layer for the POSIX calls that make a stored file durable or move it: rename, unlink and fsync.
// Test programs link this library ahead of the C library, so that the calls libimagetune.so makes to them come
// here first. Calls on paths under the device root are counted, logged as write steps and failed on demand
// through the controls of SimControl.h, exactly as the platform stand-in's QxFile does for its opens and
// writes; every call is then passed on to the C library. Nothing of this is part of the platform contract: the
// library only calls the C library's own functions.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "SimControl.h"
#include "SimFaultHooks.h"

namespace {

template <typename Fn>
Fn nextDefinition(const char* p_szName) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, p_szName));
}

std::string trimmedRoot(const std::string& p_strRoot) {
    std::string strRoot = p_strRoot;
    while (!strRoot.empty() && strRoot.back() == '/') strRoot.pop_back();
    return strRoot;
}

bool stripRoot(const std::string& p_strHost, const std::string& p_strRoot, std::string& p_strDevice) {
    if (p_strRoot.empty() || p_strHost.compare(0, p_strRoot.size(), p_strRoot) != 0) return false;
    if (p_strHost.size() > p_strRoot.size() && p_strHost[p_strRoot.size()] != '/') return false;
    p_strDevice = p_strHost.size() == p_strRoot.size() ? "/" : p_strHost.substr(p_strRoot.size());
    return true;
}

// The device path of a host path under IMAGETUNE_ROOT (as given, or as the kernel resolves the root); false for a
// path elsewhere, which the fault layer leaves alone.
bool devicePathOf(const char* p_szHost, std::string& p_strDevice) {
    const char* szRoot = getenv("IMAGETUNE_ROOT");
    if (p_szHost == nullptr || szRoot == nullptr || *szRoot == '\0') return false;
    const std::string strRoot = trimmedRoot(szRoot);
    if (stripRoot(p_szHost, strRoot, p_strDevice)) return true;
    char szResolved[PATH_MAX];
    return realpath(strRoot.c_str(), szResolved) != nullptr &&
           stripRoot(p_szHost, trimmedRoot(szResolved), p_strDevice);
}

bool failsHere(qxsim::hooks::StepOutcome p_eOutcome) {
    if (p_eOutcome == qxsim::hooks::STEP_GOES_ON) return false;
    errno = EIO;
    return true;
}

}  // namespace

extern "C" {

int rename(const char* p_szFrom, const char* p_szTo) {
    static const auto s_fnReal = nextDefinition<int (*)(const char*, const char*)>("rename");
    std::string strDevice;
    if (devicePathOf(p_szTo, strDevice)) {
        if (failsHere(qxsim::hooks::writeStep(qxsim::STEP_RENAME, strDevice))) return -1;
        if (qxsim::hooks::renameFails()) {
            errno = EIO;
            return -1;
        }
    }
    return s_fnReal(p_szFrom, p_szTo);
}

int unlink(const char* p_szPath) {
    static const auto s_fnReal = nextDefinition<int (*)(const char*)>("unlink");
    std::string strDevice;
    if (devicePathOf(p_szPath, strDevice)) {
        if (failsHere(qxsim::hooks::writeStep(qxsim::STEP_REMOVE, strDevice))) return -1;
        qxsim::hooks::countRemove();
    }
    return s_fnReal(p_szPath);
}

int fsync(int p_fd) {
    static const auto s_fnReal = nextDefinition<int (*)(int)>("fsync");
    char szLink[64];
    snprintf(szLink, sizeof(szLink), "/proc/self/fd/%d", p_fd);
    char szHost[PATH_MAX];
    ssize_t nLen = readlink(szLink, szHost, sizeof(szHost) - 1);
    std::string strDevice;
    struct stat stInfo;
    if (nLen > 0 && fstat(p_fd, &stInfo) == 0) {
        szHost[nLen] = '\0';
        if (devicePathOf(szHost, strDevice)) {
            const bool bFolder = S_ISDIR(stInfo.st_mode);
            if (failsHere(qxsim::hooks::writeStep(bFolder ? qxsim::STEP_DIR_SYNC : qxsim::STEP_FILE_SYNC, strDevice)))
                return -1;
            if (bFolder ? qxsim::hooks::dirSyncFails() : qxsim::hooks::fileSyncFails()) {
                errno = EIO;
                return -1;
            }
        }
    }
    return s_fnReal(p_fd);
}

}  // extern "C"
