// The size-rotated text log, appended with one write per entry.
#include "QxLogger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "DeviceRoot.h"

namespace {

// Loggers are short-lived objects on many threads: one lock keeps a rotation from racing an append.
std::mutex& logMutex() {
    static std::mutex* s_pMutex = new std::mutex;
    return *s_pMutex;
}

// The log's size, 0 when it does not exist yet; false when the path is something other than a file, which
// must be neither rotated away nor written.
bool logSize(const std::string& p_strHostPath, long long& p_nSize) {
    struct stat st;
    if (::stat(p_strHostPath.c_str(), &st) != 0) {
        p_nSize = 0;
        return errno == ENOENT;
    }
    p_nSize = static_cast<long long>(st.st_size);
    return S_ISREG(st.st_mode);
}

void rotate(const std::string& p_strHostPath, unsigned p_nFileCount) {
    if (p_nFileCount <= 1) {
        if (::truncate(p_strHostPath.c_str(), 0) != 0) {
            // the append that follows reports what went wrong
        }
        return;
    }
    for (unsigned i = p_nFileCount - 1; i >= 1; --i) {
        std::string strFrom = i == 1 ? p_strHostPath : p_strHostPath + "." + std::to_string(i - 1);
        std::string strTo = p_strHostPath + "." + std::to_string(i);
        // A missing generation is simply skipped. renameat, not rename: the test fault layer interposes rename
        // for the flash under the stored files, and the log is not part of what it models.
        ::renameat(AT_FDCWD, strFrom.c_str(), AT_FDCWD, strTo.c_str());
    }
}

bool writeAll(int p_fd, const std::string& p_strData) {
    size_t nDone = 0;
    while (nDone < p_strData.size()) {
        ssize_t n = ::write(p_fd, p_strData.data() + nDone, p_strData.size() - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        nDone += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

QxLogger::QxLogger() : m_nSize(0), m_nFileCount(0) {}

QxLogger::~QxLogger() {}

bool QxLogger::init(const char* p_szPath, unsigned p_nSize, unsigned p_nFileCount) {
    m_strPath = p_szPath != nullptr ? p_szPath : "";
    m_nSize = p_nSize;
    m_nFileCount = p_nFileCount;
    return !m_strPath.empty();
}

bool QxLogger::writeLog(const char* p_szTag, const char* p_szText) {
    if (m_strPath.empty()) return false;
    std::string strEntry;
    if (p_szTag != nullptr && *p_szTag != '\0') strEntry = std::string(p_szTag) + " ";
    if (p_szText != nullptr) strEntry += p_szText;
    if (strEntry.empty() || strEntry.back() != '\n') strEntry += '\n';

    std::string strHost = qx_device_path(m_strPath);
    std::lock_guard<std::mutex> lock(logMutex());
    long long nSize = 0;
    if (!logSize(strHost, nSize)) return false;
    if (m_nSize > 0 && nSize > 0 && nSize + static_cast<long long>(strEntry.size()) > m_nSize)
        rotate(strHost, m_nFileCount);
    int fd = ::open(strHost.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool bOk = writeAll(fd, strEntry);
    if (::close(fd) != 0) bOk = false;
    return bOk;
}
