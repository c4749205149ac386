#include "SimCamera.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "DeviceRoot.h"
#include "IaSimControl.h"
#include "ia_ctrl.h"
#include "MachineInfo.h"
#include "SimControl.h"

class SimVideoModule : public VideoStreamModule {
public:
    int notifySensorParam(int, int, int) const override { return 0; }
    int isBusy() const override { return 0; }
    int getFisheyeRotate(int, int* pnValue) const override {
        if (pnValue != nullptr) *pnValue = 0;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>&) const override { return 0; }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) const override { return 0; }
};

// Standard output of the process, redirected into a temporary file while the library runs. One file serves
// every capture.
class SimLibraryOutput {
public:
    SimLibraryOutput() {
        char szName[] = "/tmp/imagetune-sim-XXXXXX";
        m_nFd = mkstemp(szName);
        if (m_nFd >= 0) unlink(szName);
    }
    ~SimLibraryOutput() {
        end();
        if (m_nFd >= 0) close(m_nFd);
    }
    void begin() {
        if (m_nFd < 0 || m_nSaved >= 0) return;
        fflush(stdout);
        m_nSaved = dup(1);
        dup2(m_nFd, 1);
    }
    std::string end() {
        if (m_nSaved < 0) return "";
        fflush(stdout);
        dup2(m_nSaved, 1);
        close(m_nSaved);
        m_nSaved = -1;
        std::string strOut;
        lseek(m_nFd, 0, SEEK_SET);
        char szBuf[4096];
        ssize_t n;
        while ((n = read(m_nFd, szBuf, sizeof(szBuf))) > 0) strOut.append(szBuf, static_cast<size_t>(n));
        lseek(m_nFd, 0, SEEK_SET);
        if (ftruncate(m_nFd, 0) != 0) strOut += "\n(imagetune-sim: the capture file could not be emptied)\n";
        return strOut;
    }

private:
    int m_nFd = -1;
    int m_nSaved = -1;
};

namespace {

const long DAY_SECONDS = 24 * 3600;
const long START_CLOCK = 12 * 3600;  // every session starts at noon, so that its output repeats
const u32 KEY_SCHEME_MODE = 8000;
const u32 HEADER_KEYS[] = {8001, 8002, 8003, 8004};  // start hour, start minute, end hour, end minute
const int DEVICE_TYPE_LPR = 8;
const char* const MACHINE_INFO_FILE = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const SCHEME_DIR = "/mnt/mtd/code/config_file/";
// A factory reset removes the files of user schemes 0 to 3 and init writes them anew; later ones stay.
const u32 RESET_REWRITES_SCHEMES = 4;
const u32 MAX_SCHEMES_PROBED = 1024;

// The style document that the library reported it could not open, from its "file_name(...)" report.
std::string unreadStyleDocument(const std::string& p_strLibraryOut) {
    const std::string strMark = "file_name(";
    for (size_t nAt = p_strLibraryOut.find(strMark); nAt != std::string::npos;
         nAt = p_strLibraryOut.find(strMark, nAt + 1)) {
        size_t nStart = nAt + strMark.size();
        size_t nEnd = p_strLibraryOut.find(')', nStart);
        if (nEnd == std::string::npos) break;
        std::string strPath = p_strLibraryOut.substr(nStart, nEnd - nStart);
        if (strPath.find("/sensorConfig/style/") != std::string::npos) return strPath;
    }
    return "";
}

int deviceType() {
    MachineInfo objInfo;
    SystemInfoParser::parseMachineInfo(MACHINE_INFO_FILE, objInfo);
    return objInfo.getDeviceType();
}

bool lprCamera(const std::string& p_strDetail) {
    return deviceType() == DEVICE_TYPE_LPR && p_strDetail.find("(isInfrared=0)") == std::string::npos &&
           p_strDetail.find("(isInfrared=1)") == std::string::npos;
}

// The identity of a file, to tell a file written anew (a new file renamed over the old one) from the old one.
struct FileStamp {
    bool bExists = false;
    ino_t nInode = 0;
    long long nModified = 0;
    bool sameAs(const FileStamp& p_other) const {
        return bExists == p_other.bExists && nInode == p_other.nInode && nModified == p_other.nModified;
    }
};

FileStamp stampOf(const std::string& p_strDevicePath) {
    FileStamp st;
    struct stat s;
    if (lstat(qx_device_path(p_strDevicePath).c_str(), &s) != 0) return st;
    st.bExists = true;
    st.nInode = s.st_ino;
    st.nModified = static_cast<long long>(s.st_mtim.tv_sec) * 1000000000LL + s.st_mtim.tv_nsec;
    return st;
}

// The library's rule: the second camera of a thermal device is its thermal channel (the IA channel is the
// camera's number less one).
bool thermalChannel(int p_nIaChannel) {
    static const int THERMAL_DEVICE_TYPES[] = {14, 13, 23, 17, 19};
    if (p_nIaChannel != 1) return false;
    int nType = deviceType();
    for (int n : THERMAL_DEVICE_TYPES) {
        if (n == nType) return true;
    }
    return false;
}

std::string schemeFileName(int p_nIaChannel, bool p_bThermal, u32 p_nScheme) {
    if (p_bThermal) return SCHEME_DIR + ("sensor-thermal" + std::to_string(p_nScheme)) + ".cfg";
    return SCHEME_DIR + ("sensor" + std::to_string(p_nIaChannel + 1) + "_" + std::to_string(p_nScheme)) + ".cfg";
}

// The two forms a channel's scheme file names take: the channel's own and the thermal channel's.
std::vector<std::vector<std::string>> schemeFileForms(int p_nIaChannel, u32 p_nSchemeSum) {
    std::vector<std::vector<std::string>> vecForms(2);
    for (u32 s = 0; s < p_nSchemeSum; ++s) {
        vecForms[0].push_back(schemeFileName(p_nIaChannel, false, s));
        vecForms[1].push_back(schemeFileName(p_nIaChannel, true, s));
    }
    return vecForms;
}

}  // namespace

SimCamera::SimCamera(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut)
    : m_bVerbose(p_bVerbose),
      m_objOut(p_objOut),
      m_nChannelsWanted(p_nChannels),
      m_nClockSeconds(START_CLOCK),
      m_pVideo(new SimVideoModule()),
      m_pCapture(new SimLibraryOutput()) {
    // Passes never sleep and never run by themselves: runPasses runs them, one per simulated second.
    qxsim::setWaitScale(0);
    qxsim::setThreadStepping(true);
    setClock(m_nClockSeconds);
}

SimCamera::~SimCamera() {
    stop();
}

std::string SimCamera::shownLibraryLine(const std::string& p_strLine, bool p_bVerbose) {
    std::string strLine;
    for (size_t i = 0; i < p_strLine.size(); ++i) {
        if (p_strLine[i] == '\033') {
            while (i < p_strLine.size() && p_strLine[i] != 'm') ++i;
            continue;
        }
        strLine += p_strLine[i];
    }
    if (strLine.find_first_not_of(" \t\r") == std::string::npos) return "";
    // The tagged lines (reports, warnings) always; the library's chatter only when asked for.
    if (!p_bVerbose && strLine.find("[sensor") == std::string::npos) return "";
    return strLine;
}

void SimCamera::captureLibraryOutput() {
    if (m_bCaptureEachCall) m_pCapture->begin();
}

void SimCamera::releaseLibraryOutput() {
    if (!m_bCaptureEachCall) return;
    m_strLibraryOutput = m_pCapture->end();
    std::istringstream in(m_strLibraryOutput);
    std::string strLine;
    while (std::getline(in, strLine)) {
        strLine = shownLibraryLine(strLine, m_bVerbose);
        if (!strLine.empty()) m_objOut.warn("    | %s", strLine.c_str());
    }
}

bool SimCamera::start(const std::string& p_strDetail, std::string& p_strError) {
    m_bLprCamera = lprCamera(p_strDetail);
    ModuleConfigure objModule;
    objModule.setModuleId(533);
    objModule.setDetail(p_strDetail);
    for (int nChannel = 1; nChannel <= m_nChannelsWanted; ++nChannel) {
        std::unique_ptr<Channel> pChannel(new Channel());
        pChannel->pController.reset(new ISensorController());
        ISensorController& c = *pChannel->pController;
        c.setChannelID(nChannel);
        c.setVideoStreamModule(m_pVideo.get());
        m_objOut.note("channel %d: init with module detail %s", nChannel, p_strDetail.c_str());
        size_t nFirstCall = iasim::calls().size();
        quietly([&] { return c.init(objModule); });
        std::string strInitOutput = m_strLibraryOutput;
        // The IA channel the controller addresses shows in the calls its init made.
        std::vector<iasim::IaCall> vecCalls = iasim::calls();
        pChannel->nIaChannel = vecCalls.size() > nFirstCall ? vecCalls[nFirstCall].nChannel : nChannel - 1;
        pChannel->bThermal = thermalChannel(pChannel->nIaChannel);
        m_vecChannels.push_back(std::move(pChannel));
        std::string strKeysError;
        quietly([&] {
            m_vecChannels.back()->objKeys.build(c, m_vecChannels.back()->nIaChannel, strKeysError);
            return 0;
        });
        if (!strKeysError.empty()) m_objOut.warn("channel %d: %s", nChannel, strKeysError.c_str());
        if (keys(nChannel).schemeKeyCount() == 0) {
            std::string strDocument = unreadStyleDocument(strInitOutput);
            p_strError = "channel " + std::to_string(nChannel) + " has no parameters: " +
                         (strDocument.empty() ? std::string("its UI style is empty (see the library's reports)")
                                              : "style document " + strDocument + " is missing");
            return false;
        }
        m_vecChannels.back()->nSchemeSum = probeSchemeSum(nChannel);
        int nScheme = -1;
        c.getParamScheme(nScheme);
        m_objOut.note("channel %d: running, %u user schemes, current scheme %s", nChannel, schemeSum(nChannel),
                      schemeName(nChannel, nScheme).c_str());
    }
    return true;
}

void SimCamera::stop() {
    for (auto& pChannel : m_vecChannels)
        quietly([&] {
            pChannel->pController->uinit();
            return 0;
        });
    m_vecChannels.clear();
}

u32 SimCamera::probeSchemeSum(int p_nChannel) {
    // A key that no scheme holds: the probe then changes nothing.
    u32 nAbsent = 0;
    while (keys(p_nChannel).find(nAbsent) != nullptr) ++nAbsent;
    ISensorController& c = channel(p_nChannel);
    for (u32 s = 0; s < MAX_SCHEMES_PROBED; ++s) {
        if (c.setKeyValToCache(s, nAbsent, 0, false) == -2) return s;
    }
    return 0;
}

std::string SimCamera::schemeName(int p_nChannel, int p_nScheme) const {
    if (p_nScheme < 0) return "none";
    std::string strNumber = std::to_string(p_nScheme);
    if (static_cast<u32>(p_nScheme) == schemeSum(p_nChannel)) return strNumber + " (factory)";
    if (p_nScheme == 0) return strNumber + " (day)";
    if (p_nScheme == 1) return strNumber + " (night)";
    return strNumber + " (time window)";
}

SimSchemeState SimCamera::schemeState(int p_nChannel, bool p_bReadDayNight) {
    SimSchemeState stState;
    ISensorController& c = channel(p_nChannel);
    c.getParamScheme(stState.nCurrent);
    c.getParamMode(stState.nParamMode);
    stState.nSchemeSum = schemeSum(p_nChannel);
    // The scheme mode is scheme 0's KEY_SCHEME_MODE: the library takes its mode from that value at start and
    // whenever it is written while scheme 0 is current, which also records it there.
    u32 nMode = 0;
    c.getKeyValFromCache(0, KEY_SCHEME_MODE, nMode);
    stState.bTimeMode = nMode == 1;
    stState.bDayNightMode = nMode == 2;
    stState.bLpr = stState.bTimeMode && m_bLprCamera;
    if (p_bReadDayNight) {
        int nState = 0;
        // A failed read counts as day, as it does for the thread.
        if (!quietly([&] { return c.getDNState(nState); })) nState = 0;
        stState.nDayNight = nState;
    } else {
        // What the simulated sensor holds, without a call that the IA log would show.
        stState.nDayNight = static_cast<int>(iasim::value(iaChannel(p_nChannel), IA_CMD_DN_STATE));
    }
    for (u32 s = 0; s < stState.nSchemeSum; ++s) {
        u32 anVal[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) c.getKeyValFromCache(s, HEADER_KEYS[i], anVal[i]);
        stState.vecWindows.push_back({anVal[0], anVal[1], anVal[2], anVal[3]});
    }
    return stState;
}

std::vector<KeyVal> SimCamera::schemeValues(int p_nChannel) {
    std::string strKeys;
    const SimKeyCatalogue& objKeys = keys(p_nChannel);
    for (size_t i = 0; i < objKeys.schemeKeyCount(); ++i)
        strKeys += std::string(strKeys.empty() ? "(" : ",") + std::to_string(objKeys.keys()[i].nKey);
    std::string strPairs;
    if (!strKeys.empty()) quietly([&] { return channel(p_nChannel).getParameters(strKeys + ")", strPairs); });
    return pairsOfText(strPairs);
}

SimFlushResult SimCamera::flush(int p_nChannel) {
    SimFlushResult stResult;
    ISensorController& c = channel(p_nChannel);
    stResult.nScheme = -1;
    c.getParamScheme(stResult.nScheme);
    stResult.nStatus = quietly([&] { return c.flush(); });
    stResult.bHasFile = stResult.nScheme >= 0 && static_cast<u32>(stResult.nScheme) < schemeSum(p_nChannel);
    stResult.bSaved = stResult.bHasFile && stResult.nStatus == 0;
    stResult.bBadWindow = false;
    const struct {
        int nStatus;
        const char* szWhy;
    } aWindowCodes[] = {
        {505, "start after 24:00"},
        {506, "end after 24:00"},
        {507, "empty or reversed"},
    };
    if (!stResult.bHasFile) {
        stResult.strWhy = "scheme " + schemeName(p_nChannel, stResult.nScheme) + " has no file";
        return stResult;
    }
    if (stResult.bSaved) return stResult;
    stResult.strWhy = "status " + std::to_string(stResult.nStatus) + ": the file could not be written";
    for (const auto& code : aWindowCodes) {
        if (stResult.nStatus == code.nStatus) {
            stResult.bBadWindow = true;
            stResult.strWhy = "the time window of scheme " + std::to_string(stResult.nScheme) + " is invalid (" +
                              std::to_string(code.nStatus) + ": " + code.szWhy + ")";
        }
    }
    return stResult;
}

bool SimCamera::reset(int p_nChannel, std::string& p_strWhy) {
    // The reset replaces the scheme files it removed; files that are still the old ones were not written.
    u32 nRewritten = std::min(schemeSum(p_nChannel), RESET_REWRITES_SCHEMES);
    std::vector<std::vector<std::string>> vecForms = schemeFileForms(iaChannel(p_nChannel), nRewritten);
    std::vector<std::vector<FileStamp>> vecBefore;
    for (const auto& vecNames : vecForms) {
        vecBefore.emplace_back();
        for (const std::string& strName : vecNames) vecBefore.back().push_back(stampOf(strName));
    }
    quietly([&] { return channel(p_nChannel).resetParameters(); });
    m_vecChannels[p_nChannel - 1]->nSchemeSum = probeSchemeSum(p_nChannel);
    for (size_t f = 0; f < vecForms.size(); ++f) {
        bool bAllNew = true;
        for (size_t s = 0; s < vecForms[f].size() && bAllNew; ++s) {
            FileStamp stAfter = stampOf(vecForms[f][s]);
            bAllNew = stAfter.bExists && !stAfter.sameAs(vecBefore[f][s]);
        }
        if (bAllNew) return true;
    }
    p_strWhy = "the scheme files were not written anew (the flash may be read-only; see the library's reports)";
    return false;
}

void SimCamera::setDayNight(int p_nChannel, int p_nState) {
    iasim::setDayNight(iaChannel(p_nChannel), p_nState);
}

std::string SimCamera::schemeFile(int p_nChannel, int p_nScheme) const {
    if (p_nScheme < 0 || static_cast<u32>(p_nScheme) >= schemeSum(p_nChannel)) return "";
    const Channel& stChannel = *m_vecChannels[p_nChannel - 1];
    return schemeFileName(stChannel.nIaChannel, stChannel.bThermal, static_cast<u32>(p_nScheme));
}

std::string SimCamera::clockText() const {
    char szText[64];
    snprintf(szText, sizeof(szText), "%02ld:%02ld:%02ld", m_nClockSeconds / 3600, m_nClockSeconds / 60 % 60,
             m_nClockSeconds % 60);
    return szText;
}

void SimCamera::setClock(long p_nSeconds) {
    m_nClockSeconds = p_nSeconds % DAY_SECONDS;
    qxsim::setLocalTime(static_cast<int>(m_nClockSeconds / 3600), static_cast<int>(m_nClockSeconds / 60 % 60));
}

std::vector<SimSwitch> SimCamera::runPasses(long p_nSeconds) {
    std::vector<int> vecSchemes;
    for (int nChannel = 1; nChannel <= channels(); ++nChannel) {
        int nScheme = -1;
        channel(nChannel).getParamScheme(nScheme);
        vecSchemes.push_back(nScheme);
    }
    std::vector<SimSwitch> vecSwitches;
    // The library's output is captured once for the whole run (a day is 86400 passes).
    quietly([&] {
        for (long s = 0; s < p_nSeconds; ++s) {
            setClock(m_nClockSeconds + 1);
            qxsim::stepThreads();
            for (int nChannel = 1; nChannel <= channels(); ++nChannel) {
                int nScheme = -1;
                channel(nChannel).getParamScheme(nScheme);
                if (nScheme == vecSchemes[nChannel - 1]) continue;
                vecSwitches.push_back({clockText(), nChannel, vecSchemes[nChannel - 1], nScheme});
                vecSchemes[nChannel - 1] = nScheme;
            }
        }
        return 0;
    });
    return vecSwitches;
}
