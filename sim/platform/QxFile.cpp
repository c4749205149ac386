// QxFile over stdio, under the device root, with the fault hooks of SimControl.h for its opens and writes
// (the syncs, renames and removals that a replace adds are POSIX calls, seen by the fault layer in faults/).
#include "QxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "DeviceRoot.h"
#include "SimControl.h"
#include "SimFaultHooks.h"

namespace {

bool writes(unsigned char p_nMode) {
    return (p_nMode & (QxFile::modeWrite | QxFile::modeAppend)) != 0;
}
bool reads(unsigned char p_nMode) {
    return (p_nMode & QxFile::modeRead) != 0;
}

// The open(2) flags and the matching fdopen mode of a QxFile mode; false for a mode that neither reads nor writes.
bool translateMode(unsigned char p_nMode, int& p_nFlags, const char*& p_szStdio) {
    bool bRead = reads(p_nMode);
    bool bWrite = writes(p_nMode);
    if (!bRead && !bWrite) return false;
    p_nFlags = O_CLOEXEC | (bRead && bWrite ? O_RDWR : bWrite ? O_WRONLY : O_RDONLY);
    if (!bWrite) {
        p_szStdio = "rb";
        return true;
    }
    if (p_nMode & (QxFile::modeCreate | QxFile::modeTruncate | QxFile::modeAppend)) p_nFlags |= O_CREAT;
    if (p_nMode & QxFile::modeTruncate) p_nFlags |= O_TRUNC;
    if (p_nMode & QxFile::modeAppend) {
        p_nFlags |= O_APPEND;
        p_szStdio = bRead ? "a+b" : "ab";
    } else {
        p_szStdio = bRead ? "r+b" : "wb";
    }
    return true;
}

}  // namespace

QxFile::QxFile() : m_pFile(nullptr), m_nMode(0) {}

QxFile::~QxFile() {
    close();
}

int QxFile::open(const char* p_szPath, unsigned char p_nMode) {
    close();
    int nFlags = 0;
    const char* szStdio = nullptr;
    if (p_szPath == nullptr || *p_szPath == '\0' || !translateMode(p_nMode, nFlags, szStdio)) {
        errno = EINVAL;
        return 0;
    }
    if (writes(p_nMode) && qxsim::hooks::writeStep(qxsim::STEP_OPEN, p_szPath) != qxsim::hooks::STEP_GOES_ON) {
        errno = EIO;
        return 0;
    }
    if (writes(p_nMode) && qxsim::hooks::openForWriteFails(p_szPath)) {
        errno = EROFS;
        return 0;
    }
    std::string strHost = qx_device_path(p_szPath);
    int fd = ::open(strHost.c_str(), nFlags, 0666);
    if (fd < 0) return 0;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return 0;
    }
    // fdopen "wb" does not truncate an fd: truncation was decided by the open flags above.
    FILE* pFile = ::fdopen(fd, szStdio);
    if (pFile == nullptr) {
        int nErr = errno;
        ::close(fd);
        errno = nErr;
        return 0;
    }
    m_pFile = pFile;
    m_nMode = p_nMode;
    if (writes(p_nMode)) qxsim::hooks::rememberOpen(pFile, p_szPath);
    return 1;
}

void QxFile::close() {
    if (m_pFile != nullptr) {
        if (writes(m_nMode)) qxsim::hooks::forgetOpen(m_pFile);
        std::fclose(m_pFile);
    }
    m_pFile = nullptr;
    m_nMode = 0;
}

unsigned QxFile::read(char* p_pBuf, unsigned p_nLen) {
    if (m_pFile == nullptr || p_pBuf == nullptr || !reads(m_nMode)) return 0;
    return static_cast<unsigned>(std::fread(p_pBuf, 1, p_nLen, m_pFile));
}

unsigned QxFile::write(char* p_pBuf, unsigned p_nLen) {
    if (m_pFile == nullptr || p_pBuf == nullptr || !writes(m_nMode) || p_nLen == 0) return 0;
    const qxsim::hooks::StepOutcome eStep = qxsim::hooks::writeStepOfFile(qxsim::STEP_WRITE, m_pFile);
    if (eStep == qxsim::hooks::STEP_CUT || eStep == qxsim::hooks::STEP_FAILS) {
        errno = EIO;
        return 0;
    }
    unsigned nAllowed = qxsim::hooks::takeWriteBudget(eStep == qxsim::hooks::STEP_HALF_WRITE ? p_nLen / 2 : p_nLen);
    unsigned nWritten = nAllowed == 0 ? 0 : static_cast<unsigned>(std::fwrite(p_pBuf, 1, nAllowed, m_pFile));
    qxsim::hooks::countWritten(nWritten);
    if (nWritten < p_nLen && nAllowed < p_nLen) errno = EIO;
    return nWritten;
}

long long QxFile::getLength() const {
    if (m_pFile == nullptr) return 0;
    if (writes(m_nMode)) std::fflush(m_pFile);
    struct stat st;
    if (::fstat(::fileno(m_pFile), &st) != 0) return 0;
    return static_cast<long long>(st.st_size);
}

FILE* QxFile::getFileHandle() {
    return m_pFile;
}

std::string QxFile::ReadOneLine(FILE* p_pFile) {
    if (p_pFile == nullptr) return std::string();
    char* pLine = nullptr;
    size_t nCap = 0;
    ssize_t nLen = ::getline(&pLine, &nCap, p_pFile);
    std::string strLine;
    if (nLen > 0) {
        strLine.assign(pLine, static_cast<size_t>(nLen));
        if (!strLine.empty() && strLine.back() == '\n') strLine.pop_back();
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
    }
    std::free(pLine);
    return strLine;
}

std::vector<std::string> QxFile::ReadLines() const {
    std::vector<std::string> vecLines;
    if (m_pFile == nullptr || !reads(m_nMode)) return vecLines;
    off_t nSaved = ::ftello(m_pFile);
    if (::fseeko(m_pFile, 0, SEEK_SET) != 0) return vecLines;
    char* pLine = nullptr;
    size_t nCap = 0;
    ssize_t nLen;
    while ((nLen = ::getline(&pLine, &nCap, m_pFile)) > 0) {
        std::string strLine(pLine, static_cast<size_t>(nLen));
        if (strLine.back() == '\n') strLine.pop_back();
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        vecLines.push_back(strLine);
    }
    std::free(pLine);
    std::clearerr(m_pFile);
    if (nSaved >= 0) ::fseeko(m_pFile, nSaved, SEEK_SET);
    return vecLines;
}
