#include "BenchDevice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "ControllerTestAccess.h"
#include "IaSimControl.h"
#include "SimControl.h"
#include "ia_ctrl.h"

namespace benchdevice {
namespace {

std::string g_strRoot;

void makeDirs(const std::string& p_strPath) {
    for (size_t i = 1; i <= p_strPath.size(); ++i) {
        if (i == p_strPath.size() || p_strPath[i] == '/') ::mkdir(p_strPath.substr(0, i).c_str(), 0755);
    }
}

std::string readHostFile(const std::string& p_strPath) {
    std::ifstream in(p_strPath, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + p_strPath);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeDeviceFile(const std::string& p_strDevicePath, const std::string& p_strContent) {
    std::string strHost = hostPath(p_strDevicePath);
    makeDirs(strHost.substr(0, strHost.rfind('/')));
    std::ofstream out(strHost, std::ios::binary | std::ios::trunc);
    out << p_strContent;
    if (!out) throw std::runtime_error("cannot write " + strHost);
}

std::string fixture(const char* p_szName) {
    return readHostFile(std::string(IMAGETUNE_FIXTURES_DIR) + "/" + p_szName);
}

void removeRoot() {
    if (g_strRoot.size() < 8) return;
    std::string strCmd = "rm -rf '" + g_strRoot + "'";
    if (std::system(strCmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_strRoot.c_str());
}

}  // namespace

void setUp() {
    if (!g_strRoot.empty()) return;
    std::string strBase = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string strTemplate = strBase + "/imagetune-bench-XXXXXX";
    if (::mkdtemp(&strTemplate[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
    g_strRoot = strTemplate;
    ::setenv("IMAGETUNE_ROOT", g_strRoot.c_str(), 1);
    std::atexit(removeRoot);

    writeDeviceFile("/mnt/mtd/code/factory_setting/machineinfo.ini", fixture("machineinfo.ini"));
    writeDeviceFile("/hd1/moduleConfig/moduleConfig.xml", fixture("moduleConfig.xml"));
    writeDeviceFile("/hd1/moduleConfig/sensorConfig/style/Style.xml", fixture("style/Style.xml"));
    writeDeviceFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml",
                    fixture("styleDiversity/StyleDiversity.xml"));
    for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/log", "/mnt/mtd/hd1/program/config"}) {
        makeDirs(hostPath(szDir));
    }

    iasim::reset();
    iasim::setLogging(false);
    qxsim::setWaitScale(0);

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

std::string readDeviceFile(const std::string& p_strDevicePath) {
    return readHostFile(hostPath(p_strDevicePath));
}

std::string styleText() {
    return readDeviceFile("/hd1/moduleConfig/sensorConfig/style/Style.xml");
}

std::string diversityText() {
    return readDeviceFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml");
}

void blankFlash() {
    for (int s = 0; s < 4; ++s) {
        ::unlink(hostPath("/mnt/mtd/code/config_file/sensor1_" + std::to_string(s) + ".cfg").c_str());
    }
    ::unlink(hostPath("/mnt/mtd/code/config_file/snsversion.cfg").c_str());
}

ModuleConfigure boxModule() {
    ModuleConfigure objModule;
    objModule.setModuleId(533);
    objModule.setDetail("(sensorType=sc533hai)(lensId=3)(isInfrared=1)(whiteLight=0)(max_scheme=4)");
    objModule.setParameters("(fps=25)(resolution=2880x1620)");
    return objModule;
}

std::unique_ptr<ISensorController> startController(const IdleVideoModule& p_objVideo) {
    std::unique_ptr<ISensorController> c(new ISensorController());
    c->setChannelID(1);
    c->setVideoStreamModule(&p_objVideo);
    c->init(boxModule());
    // From now on the thread's passes are a second apart, as on the camera, instead of running back to back.
    qxsim::setWaitScale(1);
    return c;
}

void stopController(ISensorController& c) {
    qxsim::setWaitScale(0);  // releases the pass waiting now
    c.uinit();
}

ForcedSwitchWork recordForcedSwitch(ISensorController& c) {
    ForcedSwitchWork stWork;
    stWork.nStatements = 0;
    const KeyVal* pScheme = ISensorControllerTestAccess::scheme(c, 0);
    for (u32 i = 0; i < ISensorControllerTestAccess::keyValSum(c); ++i) {
        keycmd stRow = keycmd();
        if (ISensorControllerTestAccess::findFromKeyCmdMap(c, pScheme[i].key, stRow) >= 0 &&
            stRow.pfnHandler != nullptr)
            ++stWork.nStatements;
    }
    iasim::clearCalls();
    iasim::setLogging(true);
    ISensorControllerTestAccess::switchTo(c, 0, true);
    iasim::setLogging(false);
    for (const iasim::IaCall& call : iasim::calls()) stWork.vecCalls.push_back({call.nCmd, call.nOpt, call.vecData});
    iasim::clearCalls();
    return stWork;
}

void replayForcedSwitch(const ForcedSwitchWork& p_stWork) {
    replayForcedSwitch(p_stWork, p_stWork.nStatements);
}

unsigned countInitStatements() {
    const std::string strCapture = hostPath("/tmp/bench-statements.txt");
    writeDeviceFile("/tmp/Debug.sign", "7\n0\n");
    std::fflush(stdout);
    const int nSaved = ::dup(STDOUT_FILENO);
    const int fd = ::open(strCapture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, STDOUT_FILENO);
    ::close(fd);
    {
        IdleVideoModule objVideo;
        ISensorController c;
        c.setChannelID(1);
        c.setVideoStreamModule(&objVideo);
        c.init(boxModule());
        std::fflush(stdout);
        ::dup2(nSaved, STDOUT_FILENO);
        ::close(nSaved);
        ::unlink(hostPath("/tmp/Debug.sign").c_str());
        c.uinit();
    }
    const std::string strOut = readHostFile(strCapture);
    ::unlink(strCapture.c_str());
    unsigned nStatements = 0;
    for (size_t nAt = strOut.find("\033[0m"); nAt != std::string::npos; nAt = strOut.find("\033[0m", nAt + 1))
        ++nStatements;
    return nStatements;
}

void replayForcedSwitch(const ForcedSwitchWork& p_stWork, unsigned p_nStatements) {
    static const std::string s_strSign = hostPath("/tmp/Debug.sign");
    for (unsigned i = 0; i < p_nStatements; ++i) {
        volatile int nExists = ::access(s_strSign.c_str(), F_OK);
        (void)nExists;
    }
    unsigned char aBuf[512];
    for (const IaCallRecord& stCall : p_stWork.vecCalls) {
        std::memcpy(aBuf, stCall.vecData.data(), std::min(stCall.vecData.size(), sizeof(aBuf)));
        ia_ioctrl_v2(0, static_cast<ia_cmd_e>(stCall.nCmd), stCall.nOpt, aBuf);
    }
    std::printf("\n");
    std::fflush(stdout);
}

void writeFileDurably(const std::string& p_strHostPath, const std::string& p_strData) {
    const std::string strTmp = p_strHostPath + ".tmp";
    int fd = ::open(strTmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error("cannot open " + strTmp);
    if (::write(fd, p_strData.data(), p_strData.size()) != static_cast<ssize_t>(p_strData.size()) || ::fsync(fd) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot write " + strTmp);
    }
    ::close(fd);
    if (::rename(strTmp.c_str(), p_strHostPath.c_str()) != 0) throw std::runtime_error("cannot rename " + strTmp);
    const std::string strDir = p_strHostPath.substr(0, p_strHostPath.rfind('/'));
    int dfd = ::open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace benchdevice
