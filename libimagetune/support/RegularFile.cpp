#include "RegularFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "DeviceRoot.h"

namespace {

RegularFileResult result(RegularFileStatus p_eStatus, const char* p_szWhy, long long p_nSize = 0) {
    RegularFileResult stResult = {p_eStatus, p_nSize, p_szWhy};
    return stResult;
}

const char* kindOf(mode_t p_nMode) {
    if (S_ISREG(p_nMode)) return "a regular file";
    if (S_ISDIR(p_nMode)) return "a folder";
    if (S_ISFIFO(p_nMode)) return "a FIFO";
    if (S_ISCHR(p_nMode)) return "a character device";
    if (S_ISBLK(p_nMode)) return "a block device";
    if (S_ISSOCK(p_nMode)) return "a socket";
    if (S_ISLNK(p_nMode)) return "a symbolic link";
    return "not a regular file";
}

// A read-only descriptor of the regular file at the device path, or -1 with the reason in *p_pstResult.
// O_NONBLOCK: opening a FIFO without a writer, or a device, must not wait. O_NOFOLLOW, where links are refused:
// a link at the last component fails with ELOOP rather than being followed to whatever it names.
int openRegularHost(const char* szHostPath, RegularFileLinks p_eLinks, RegularFileResult* p_pstResult) {
    int fd;
    do {
        fd = ::open(szHostPath, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY |
                                         (p_eLinks == REGULAR_FILE_REFUSE_LINK ? O_NOFOLLOW : 0));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int nErrno = errno;
        struct stat stEntry;
        if (nErrno == ENOENT) {
            *p_pstResult = result(REGULAR_FILE_MISSING, "missing");
        } else if (nErrno == ELOOP || nErrno == ENXIO || nErrno == EOPNOTSUPP) {
            // A refused link or a loop of links (ELOOP), a socket or a device without its driver: say what the
            // entry is.
            const bool bKnown = ::lstat(szHostPath, &stEntry) == 0;
            *p_pstResult = result(REGULAR_FILE_NOT_REGULAR, bKnown ? kindOf(stEntry.st_mode) : "not a regular file");
        } else if (nErrno == ENOTDIR) {
            *p_pstResult = result(REGULAR_FILE_UNREADABLE, "under a path component that is not a folder");
        } else {
            *p_pstResult = result(REGULAR_FILE_UNREADABLE, "not readable");
        }
        errno = nErrno;
        return -1;
    }
    struct stat stFile;
    if (::fstat(fd, &stFile) != 0) {
        ::close(fd);
        *p_pstResult = result(REGULAR_FILE_UNREADABLE, "not readable");
        return -1;
    }
    if (!S_ISREG(stFile.st_mode)) {
        ::close(fd);
        *p_pstResult = result(REGULAR_FILE_NOT_REGULAR, kindOf(stFile.st_mode));
        return -1;
    }
    *p_pstResult = result(REGULAR_FILE_OK, "a regular file", static_cast<long long>(stFile.st_size));
    return fd;
}

int openRegular(const char* p_szDevicePath, RegularFileLinks p_eLinks, RegularFileResult* p_pstResult) {
    if (p_szDevicePath == nullptr || *p_szDevicePath == '\0') {
        *p_pstResult = result(REGULAR_FILE_MISSING, "no path");
        return -1;
    }
    char szHost[512];
    if (qx_device_path_into(p_szDevicePath, szHost, sizeof(szHost)))
        return openRegularHost(szHost, p_eLinks, p_pstResult);
    return openRegularHost(qx_device_path(p_szDevicePath).c_str(), p_eLinks, p_pstResult);
}

// Up to p_nCap bytes; false on a read error.
bool readUpTo(int p_fd, char* p_pBuf, size_t p_nCap, size_t* p_pnRead) {
    size_t nDone = 0;
    while (nDone < p_nCap) {
        ssize_t n = ::read(p_fd, p_pBuf + nDone, p_nCap - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        nDone += static_cast<size_t>(n);
    }
    *p_pnRead = nDone;
    return true;
}

}  // namespace

RegularFileResult probeRegularFile(const char* p_szDevicePath, RegularFileLinks p_eLinks) {
    RegularFileResult stResult;
    int fd = openRegular(p_szDevicePath, p_eLinks, &stResult);
    if (fd >= 0) ::close(fd);
    return stResult;
}

namespace {

// The read of an open descriptor of a regular file; it closes it.
RegularFileResult readOpened(int fd, RegularFileResult stResult, size_t p_nMax, std::string& p_strData,
                             RegularFileLength p_eLength) {
    const bool bWhole = p_eLength == REGULAR_FILE_WHOLE;
    if (bWhole && stResult.nSize > static_cast<long long>(p_nMax)) {
        ::close(fd);
        return result(REGULAR_FILE_TOO_LARGE, "too large", stResult.nSize);
    }
    // The size is a hint only: the file may change while it is read. Room for one byte more tells a grown
    // file; the buffer grows with what is read, never beyond what the caller takes.
    const size_t nLimit = bWhole ? p_nMax + 1 : p_nMax;
    p_strData.resize(std::min(nLimit, static_cast<size_t>(stResult.nSize) + 1));
    size_t nRead = 0;
    bool bOk = true;
    for (;;) {
        size_t nMore = 0;
        bOk = readUpTo(fd, &p_strData[nRead], p_strData.size() - nRead, &nMore);
        nRead += nMore;
        if (!bOk || nRead < p_strData.size() || p_strData.size() == nLimit) break;
        p_strData.resize(std::min(nLimit, p_strData.size() * 2));
    }
    ::close(fd);
    if (!bOk) {
        p_strData.clear();
        return result(REGULAR_FILE_UNREADABLE, "not readable", stResult.nSize);
    }
    if (bWhole && nRead > p_nMax) {
        p_strData.clear();
        return result(REGULAR_FILE_TOO_LARGE, "too large", static_cast<long long>(nRead));
    }
    p_strData.resize(nRead);
    return stResult;
}

}  // namespace

RegularFileResult readRegularFile(const char* p_szDevicePath, size_t p_nMax, std::string& p_strData,
                                  RegularFileLength p_eLength, RegularFileLinks p_eLinks) {
    p_strData.clear();
    RegularFileResult stResult;
    const int fd = openRegular(p_szDevicePath, p_eLinks, &stResult);
    return fd < 0 ? stResult : readOpened(fd, stResult, p_nMax, p_strData, p_eLength);
}

RegularFileResult readRegularHostFile(const char* p_szHostPath, size_t p_nMax, std::string& p_strData,
                                      RegularFileLength p_eLength) {
    p_strData.clear();
    RegularFileResult stResult;
    const int fd = openRegularHost(p_szHostPath, REGULAR_FILE_FOLLOW_LINK, &stResult);
    return fd < 0 ? stResult : readOpened(fd, stResult, p_nMax, p_strData, p_eLength);
}

void splitRegularFileLines(const std::string& p_strText, std::vector<std::string>& p_vecLines) {
    p_vecLines.clear();
    size_t nStart = 0;
    while (nStart < p_strText.size()) {
        size_t nEnd = p_strText.find('\n', nStart);
        const size_t nNext = nEnd == std::string::npos ? p_strText.size() : nEnd + 1;
        if (nEnd == std::string::npos) nEnd = p_strText.size();
        std::string strLine = p_strText.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        p_vecLines.push_back(strLine);
        nStart = nNext;
    }
}
