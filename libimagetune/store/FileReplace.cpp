#include "FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "DeviceRoot.h"
#include "Diagnostics.h"
#include "QxFile.h"

namespace {

// "<target>.tmp.<pid>.<n>": the process number and a per-process count keep two writers of one target apart.
const char TEMPORARY_MARK[] = ".tmp.";

// The names of the files the library replaces in the scheme folder; only their temporaries are ever swept.
// '#' stands for one or more decimal digits.
const char* const kOwnedNames[] = {"sensor#_#.cfg", "sensor-thermal#.cfg", "snsversion.cfg"};

// The temporaries of replaces running in this process, which a sweep on another thread must leave alone.
std::mutex g_inFlightMutex;
std::set<std::string>& inFlight() {
    static std::set<std::string>* s_pNames = new std::set<std::string>;  // used until the process ends
    return *s_pNames;
}

class InFlightTemporary {
public:
    explicit InFlightTemporary(const std::string& p_strPath) : m_strPath(p_strPath) {
        std::lock_guard<std::mutex> objLock(g_inFlightMutex);
        inFlight().insert(m_strPath);
    }
    ~InFlightTemporary() {
        std::lock_guard<std::mutex> objLock(g_inFlightMutex);
        inFlight().erase(m_strPath);
    }
    InFlightTemporary(const InFlightTemporary&) = delete;
    InFlightTemporary& operator=(const InFlightTemporary&) = delete;

private:
    std::string m_strPath;
};

bool isInFlight(const std::string& p_strPath) {
    std::lock_guard<std::mutex> objLock(g_inFlightMutex);
    return inFlight().count(p_strPath) != 0;
}

std::string temporaryNameFor(const std::string& p_strPath) {
    static std::atomic<unsigned> s_nCounter{0};
    return p_strPath + TEMPORARY_MARK + std::to_string(static_cast<long>(::getpid())) + "." +
           std::to_string(s_nCounter.fetch_add(1, std::memory_order_relaxed));
}

std::string folderOf(const std::string& p_strPath) {
    size_t nSlash = p_strPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    if (nSlash == 0) return "/";
    return p_strPath.substr(0, nSlash);
}

// Digits from p_nPos on; false when there is none. p_nPos ends after them.
bool skipDigits(const std::string& p_strText, size_t& p_nPos) {
    const size_t nStart = p_nPos;
    while (p_nPos < p_strText.size() && p_strText[p_nPos] >= '0' && p_strText[p_nPos] <= '9') ++p_nPos;
    return p_nPos > nStart;
}

// Whether p_strText from p_nPos starts with p_szPattern ('#' = one or more digits); p_nPos ends after it.
bool matchPattern(const std::string& p_strText, size_t& p_nPos, const char* p_szPattern) {
    for (const char* p = p_szPattern; *p != '\0'; ++p) {
        if (*p == '#') {
            if (!skipDigits(p_strText, p_nPos)) return false;
        } else if (p_nPos < p_strText.size() && p_strText[p_nPos] == *p) {
            ++p_nPos;
        } else {
            return false;
        }
    }
    return true;
}

// "<owned name>.tmp.<digits>.<digits>" exactly; *p_pnPid is the writer's process number it names (0 when the
// number does not fit in a process number, which no running process then has).
bool isOwnTemporaryName(const std::string& p_strName, pid_t* p_pnPid) {
    for (const char* szOwned : kOwnedNames) {
        size_t nPos = 0;
        if (!matchPattern(p_strName, nPos, szOwned)) continue;
        const size_t nPid = nPos + std::strlen(TEMPORARY_MARK);
        if (!matchPattern(p_strName, nPos, ".tmp.#.#") || nPos != p_strName.size()) continue;
        errno = 0;
        const unsigned long long nNumber = std::strtoull(p_strName.c_str() + nPid, nullptr, 10);
        *p_pnPid = errno == 0 && nNumber <= static_cast<unsigned long long>(INT_MAX) ? static_cast<pid_t>(nNumber) : 0;
        return true;
    }
    return false;
}

// Whether a process of that number runs now. Never asked of 0 or less, which name process groups.
bool processRuns(pid_t p_nPid) {
    if (p_nPid <= 0) return false;
    return ::kill(p_nPid, 0) == 0 || errno == EPERM;
}

// When this boot began, on the clock that stamps files.
bool bootTime(struct timespec* p_pstBoot) {
    struct timespec stNow;
    struct timespec stUp;
#ifdef CLOCK_BOOTTIME
    const clockid_t nUpClock = CLOCK_BOOTTIME;
#else
    const clockid_t nUpClock = CLOCK_MONOTONIC;
#endif
    if (::clock_gettime(CLOCK_REALTIME, &stNow) != 0 || ::clock_gettime(nUpClock, &stUp) != 0) return false;
    p_pstBoot->tv_sec = stNow.tv_sec - stUp.tv_sec;
    p_pstBoot->tv_nsec = stNow.tv_nsec - stUp.tv_nsec;
    if (p_pstBoot->tv_nsec < 0) {
        p_pstBoot->tv_nsec += 1000000000L;
        --p_pstBoot->tv_sec;
    }
    return true;
}

bool isBefore(const struct timespec& p_stA, const struct timespec& p_stB) {
    return p_stA.tv_sec < p_stB.tv_sec || (p_stA.tv_sec == p_stB.tv_sec && p_stA.tv_nsec < p_stB.tv_nsec);
}

// Whether the replace that made the temporary can still rename it: its process runs (numbers repeat from boot
// to boot, so only a file of this boot counts) and, when it is this process, the replace is in flight.
bool writerMayBeAlive(const std::string& p_strPath, pid_t p_nPid, const struct stat& p_stEntry,
                      bool p_bBootKnown, const struct timespec& p_stBoot) {
    if (p_bBootKnown && isBefore(p_stEntry.st_mtim, p_stBoot)) return false;
    if (p_nPid == ::getpid()) return isInFlight(p_strPath);
    return processRuns(p_nPid);
}

// fsync of the folder, which makes a rename into it durable.
int syncFolder(const std::string& p_strFolder) {
    int fd = ::open(qx_device_path(p_strFolder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int nRet = ::fsync(fd);
    int nErrno = errno;
    ::close(fd);
    errno = nErrno;
    return nRet == 0 ? 0 : -1;
}

// Hands the buffered data to the kernel and on to the storage.
bool syncFile(QxFile& p_objFile) {
    FILE* pFile = p_objFile.getFileHandle();
    return pFile != nullptr && fflush(pFile) == 0 && ::fsync(fileno(pFile)) == 0;
}

}  // namespace

int removeDeviceEntry(const char* p_szPath) {
    if (p_szPath == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return ::unlink(qx_device_path(p_szPath).c_str()) == 0 ? 0 : -1;
}

FileReplaceResult writeFileReplacing(const char* p_szPath, const char* p_pData, INT64 p_nLen) {
    FileReplaceResult stResult = {false, 0, false};
    if (p_szPath == nullptr || *p_szPath == '\0' || p_nLen < 0 || p_nLen > static_cast<INT64>(UINT_MAX) ||
        (p_pData == nullptr && p_nLen > 0))
        return stResult;

    const std::string strTarget = p_szPath;
    const std::string strTmp = temporaryNameFor(strTarget);
    InFlightTemporary objInFlight(strTmp);
    // An entry of that name left by an earlier boot (the same process number, say a link) must not be followed.
    struct stat stEntry;
    if (::lstat(qx_device_path(strTmp).c_str(), &stEntry) == 0) removeDeviceEntry(strTmp.c_str());

    QxFile file;
    if (!file.open(strTmp.c_str(), QxFile::modeWrite | QxFile::modeTruncate)) return stResult;
    stResult.bOpened = true;

    // The platform's write takes a non-const buffer; it does not change it.
    stResult.nWritten = p_nLen > 0 ? file.write(const_cast<char*>(p_pData), static_cast<unsigned>(p_nLen)) : 0;
    if (stResult.nWritten != p_nLen) {
        file.close();
        removeDeviceEntry(strTmp.c_str());
        return stResult;
    }

    bool bSynced = syncFile(file);
    file.close();
    if (!SNS_ASSERT_TEXT(bSynced, "0 == fsync(fileno(file.getFileHandle()))", "file_name(%s)\n", strTmp.c_str())) {
        removeDeviceEntry(strTmp.c_str());
        return stResult;
    }

    if (::rename(qx_device_path(strTmp).c_str(), qx_device_path(strTarget).c_str()) != 0) {
        int nErrno = errno;
        SNS_ASSERT_TEXT(false, "0 == rename(strTmp, strTarget)", "file_name(%s) errno(%d)\n", strTarget.c_str(),
                        nErrno);
        removeDeviceEntry(strTmp.c_str());
        return stResult;
    }
    // Until the folder is synced a power cut may undo the rename and bring back the complete old file: a failed
    // folder sync leaves the new content in place, but not yet kept.
    const std::string strFolder = folderOf(strTarget);
    stResult.bReplaced =
        SNS_ASSERT_TEXT(syncFolder(strFolder) == 0, "0 == syncFolder(strFolder)", "folder(%s)\n", strFolder.c_str());
    return stResult;
}

int replaceFileWhole(const char* p_szPath, const char* p_pData, INT64 p_nLen) {
    const char* szName = p_szPath != nullptr ? p_szPath : "(null)";
    if (!SNS_ASSERT_MSG(p_szPath != nullptr && p_nLen >= 0 && p_nLen <= static_cast<INT64>(UINT_MAX) &&
                            (p_pData != nullptr || p_nLen == 0),
                        "file_name(%s) len(%lld)\n", szName, static_cast<long long>(p_nLen)))
        return -1;
    FileReplaceResult stResult = writeFileReplacing(p_szPath, p_pData, p_nLen);
    if (!SNS_ASSERT_TEXT(stResult.bOpened, "file.open(file_name, QxFile::modeWrite | QxFile::modeTruncate)",
                         "file_name(%s)\n", szName))
        return -1;
    if (!SNS_ASSERT_TEXT(stResult.nWritten == p_nLen, "len == (nSize=file.write(data, len))",
                         "file_name(%s) len(%lld) nSize(%lld)\n", szName, static_cast<long long>(p_nLen),
                         static_cast<long long>(stResult.nWritten)))
        return -1;
    return stResult.bReplaced ? 0 : -1;
}

int removeLeftoverTemporaries(const char* p_szFolder) {
    if (p_szFolder == nullptr) return 0;
    DIR* pDir = opendir(qx_device_path(p_szFolder).c_str());
    if (pDir == nullptr) return 0;
    std::vector<std::pair<std::string, pid_t>> vecCandidates;
    while (struct dirent* pEntry = readdir(pDir)) {
        pid_t nPid = 0;
        if (isOwnTemporaryName(pEntry->d_name, &nPid))
            vecCandidates.emplace_back(std::string(p_szFolder) + "/" + pEntry->d_name, nPid);
    }
    closedir(pDir);
    struct timespec stBoot = {0, 0};
    const bool bBootKnown = bootTime(&stBoot);
    int nRemoved = 0;
    for (const auto& stCandidate : vecCandidates) {
        const std::string& strPath = stCandidate.first;
        struct stat stEntry;
        // Only files: a folder or anything else of that name is not what a cut write leaves.
        if (::lstat(qx_device_path(strPath).c_str(), &stEntry) != 0 || S_ISDIR(stEntry.st_mode)) continue;
        // Another process on the same flash may be between its write and its rename.
        if (writerMayBeAlive(strPath, stCandidate.second, stEntry, bBootKnown, stBoot)) continue;
        if (removeDeviceEntry(strPath.c_str()) == 0) ++nRemoved;
    }
    return nRemoved;
}
