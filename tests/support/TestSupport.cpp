#include "TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

void makeDirs(const std::string& p_strPath) {
    std::string strPart;
    for (size_t i = 0; i <= p_strPath.size(); ++i) {
        if (i == p_strPath.size() || p_strPath[i] == '/') {
            if (!strPart.empty()) ::mkdir(strPart.c_str(), 0755);
        }
        if (i < p_strPath.size()) strPart += p_strPath[i];
    }
}

void removeTree(const std::string& p_strPath) {
    if (p_strPath.size() < 8) return;  // never anything as short as "/" or "/tmp"
    std::string strCmd = "rm -rf '" + p_strPath + "'";
    if (std::system(strCmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", p_strPath.c_str());
}

void writeHostFile(const std::string& p_strPath, const std::string& p_strContent) {
    size_t nSlash = p_strPath.rfind('/');
    if (nSlash != std::string::npos) makeDirs(p_strPath.substr(0, nSlash));
    std::ofstream out(p_strPath, std::ios::binary | std::ios::trunc);
    out << p_strContent;
    if (!out) throw std::runtime_error("cannot write " + p_strPath);
}

std::string readHostFile(const std::string& p_strPath) {
    std::ifstream in(p_strPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TempDeviceRoot::TempDeviceRoot() : m_bHadOldRoot(false) {
    const char* szTmp = std::getenv("TMPDIR");
    std::string strTemplate = std::string(szTmp && *szTmp ? szTmp : "/tmp") + "/imagetune-root-XXXXXX";
    std::vector<char> buf(strTemplate.begin(), strTemplate.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_strRoot = buf.data();
    const char* szOld = std::getenv("IMAGETUNE_ROOT");
    if (szOld != nullptr) {
        m_bHadOldRoot = true;
        m_strOldRoot = szOld;
    }
    ::setenv("IMAGETUNE_ROOT", m_strRoot.c_str(), 1);
}

TempDeviceRoot::~TempDeviceRoot() {
    if (m_bHadOldRoot)
        ::setenv("IMAGETUNE_ROOT", m_strOldRoot.c_str(), 1);
    else
        ::unsetenv("IMAGETUNE_ROOT");
    removeTree(m_strRoot);
}

void TempDeviceRoot::write(const std::string& p_strDevicePath, const std::string& p_strContent) const {
    writeHostFile(host(p_strDevicePath), p_strContent);
}

bool TempDeviceRoot::exists(const std::string& p_strDevicePath) const {
    struct stat st;
    return ::lstat(host(p_strDevicePath).c_str(), &st) == 0;
}

std::string TempDeviceRoot::read(const std::string& p_strDevicePath) const {
    return readHostFile(host(p_strDevicePath));
}

// std::remove, not unlink: the fault layer counts the unlink calls of the code under test, not the test's own.
void TempDeviceRoot::remove(const std::string& p_strDevicePath) const {
    std::remove(host(p_strDevicePath).c_str());
}

StdoutCapture::StdoutCapture() : m_nSavedFd(-1) {}

StdoutCapture::~StdoutCapture() {
    if (m_nSavedFd >= 0) stop();
}

void StdoutCapture::start() {
    std::fflush(stdout);
    char szName[] = "/tmp/imagetune-stdout-XXXXXX";
    int fd = ::mkstemp(szName);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    m_strFile = szName;
    m_nSavedFd = ::dup(1);
    ::dup2(fd, 1);
    ::close(fd);
}

std::string StdoutCapture::stop() {
    if (m_nSavedFd < 0) return "";
    std::fflush(stdout);
    ::dup2(m_nSavedFd, 1);
    ::close(m_nSavedFd);
    m_nSavedFd = -1;
    std::string strOut = readHostFile(m_strFile);
    ::unlink(m_strFile.c_str());
    return strOut;
}

void setDebugSign(const TempDeviceRoot& p_objRoot, const std::string& p_strLevelLine,
                  const std::string& p_strAssertLine) {
    if (p_strLevelLine.empty()) {
        p_objRoot.remove("/tmp/Debug.sign");
        return;
    }
    p_objRoot.write("/tmp/Debug.sign", p_strLevelLine + "\n" + p_strAssertLine + "\n");
}

bool canReexecTestBinary() {
#ifdef IMAGETUNE_TESTS_EMULATED
    return false;
#else
    return true;
#endif
}

void useReexecDeathTestStyle() {
    GTEST_FLAG_SET(death_test_style, canReexecTestBinary() ? "threadsafe" : "fast");
}

}  // namespace testsupport
