#include "FuzzSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fuzzsupport {
namespace {

std::string g_strRoot;

void makeDirs(const std::string& p_strPath) {
    for (size_t i = 1; i <= p_strPath.size(); ++i) {
        if (i == p_strPath.size() || p_strPath[i] == '/') ::mkdir(p_strPath.substr(0, i).c_str(), 0755);
    }
}

void removeRoot() {
    if (g_strRoot.size() < 8) return;
    std::string strCmd = "rm -rf '" + g_strRoot + "'";
    if (std::system(strCmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_strRoot.c_str());
}

}  // namespace

void setUp(int p_nDebugLevel) {
    if (!g_strRoot.empty()) return;
    // A RAM disk when there is one: the library syncs every file it writes, which a disk makes slow.
    const char* szTmp = std::getenv("TMPDIR");
    std::string strBase = szTmp && *szTmp ? szTmp : "/tmp";
    if (::access("/dev/shm", W_OK) == 0) strBase = "/dev/shm";
    std::string strTemplate = strBase + "/imagetune-fuzz-XXXXXX";
    if (::mkdtemp(&strTemplate[0]) == nullptr) fail("mkdtemp");
    g_strRoot = strTemplate;
    ::setenv("IMAGETUNE_ROOT", g_strRoot.c_str(), 1);
    std::atexit(removeRoot);
    for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/code/factory_setting", "/mnt/mtd/log",
                              "/mnt/mtd/hd1/program/config"}) {
        makeDirs(hostPath(szDir));
    }
    if (p_nDebugLevel >= 0) writeFile("/tmp/Debug.sign", std::to_string(p_nDebugLevel) + "\n0\n");

    std::fflush(stdout);
    int fd = ::open("/dev/null", O_WRONLY);
    if (fd >= 0) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
}

std::string hostPath(const std::string& p_strDevicePath) {
    return g_strRoot + p_strDevicePath;
}

void writeFile(const std::string& p_strDevicePath, const std::string& p_strContent) {
    std::ofstream out(hostPath(p_strDevicePath), std::ios::binary | std::ios::trunc);
    out.write(p_strContent.data(), static_cast<std::streamsize>(p_strContent.size()));
    if (!out) fail("cannot write", p_strDevicePath);
}

bool readFile(const std::string& p_strDevicePath, std::string& p_strContent) {
    std::ifstream in(hostPath(p_strDevicePath), std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    p_strContent = ss.str();
    return true;
}

void removeFile(const std::string& p_strDevicePath) {
    ::unlink(hostPath(p_strDevicePath).c_str());
}

void fail(const char* p_szWhat, const std::string& p_strDetail) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n%s\n", p_szWhat, p_strDetail.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzzsupport
