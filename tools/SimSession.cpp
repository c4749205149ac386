// The session itself: the channels' start and stop, the library's own output, and the dispatch of commands to
// the command groups (SimParamCommands.cpp, SimSchemeCommands.cpp, SimSchedule.cpp, SimFileCommands.cpp).
#include "SimSession.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <sstream>

#include "IaSimControl.h"
#include "SimControl.h"
#include "SimSeam.h"

typedef ISensorControllerTestAccess Seam;

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
// every capture, since a day of sensor-thread passes captures 86400 times.
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

std::string withoutColours(const std::string& p_strLine) {
    std::string strOut;
    for (size_t i = 0; i < p_strLine.size(); ++i) {
        if (p_strLine[i] == '\033') {
            while (i < p_strLine.size() && p_strLine[i] != 'm') ++i;
            continue;
        }
        strOut += p_strLine[i];
    }
    return strOut;
}

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

}  // namespace

const SimSession::HandlerRow SimSession::HANDLERS[] = {
    {"set", &SimSession::cmdSet},
    {"get", &SimSession::cmdGet},
    {"all", &SimSession::cmdAll},
    {"range", &SimSession::cmdRange},
    {"keys", &SimSession::cmdKeys},
    {"scheme", &SimSession::cmdScheme},
    {"mode", &SimSession::cmdMode},
    {"flush", &SimSession::cmdFlush},
    {"restore", &SimSession::cmdRestore},
    {"reset", &SimSession::cmdReset},
    {"state", &SimSession::cmdState},
    {"schedule", &SimSession::cmdSchedule},
    {"style", &SimSession::cmdStyle},
    {"dn", &SimSession::cmdDayNight},
    {"clock", &SimSession::cmdClock},
    {"run", &SimSession::cmdRun},
    {"ia-log", &SimSession::cmdIaLog},
    {"show-scheme", &SimSession::cmdShowScheme},
    {"diff-scheme", &SimSession::cmdDiffScheme},
    {"channel", &SimSession::cmdChannel},
};

SimSession::SimSession(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut)
    : m_nChannels(p_nChannels),
      m_bVerbose(p_bVerbose),
      m_objOut(p_objOut),
      m_nChannel(1),
      m_nClockSeconds(START_CLOCK),
      m_pVideo(new SimVideoModule()),
      m_nIaLogFrom(0),
      m_pCapture(new SimLibraryOutput()) {
    // Passes never sleep: the session runs them itself, one per simulated second.
    qxsim::setWaitScale(0);
    setClock(m_nClockSeconds);
}

SimSession::~SimSession() {
    stop();
}

void SimSession::captureLibraryOutput() {
    m_pCapture->begin();
}

void SimSession::releaseLibraryOutput() {
    m_strLibraryOutput = m_pCapture->end();
    std::istringstream in(m_strLibraryOutput);
    std::string strLine;
    while (std::getline(in, strLine)) {
        strLine = withoutColours(strLine);
        if (strLine.find_first_not_of(" \t\r") == std::string::npos) continue;
        // The tagged lines (reports, warnings) always; the library's chatter only when asked for.
        if (m_bVerbose || strLine.find("[sensor") != std::string::npos) m_objOut.warn("    | %s", strLine.c_str());
    }
}

void SimSession::keepThreadStopped() {
    for (auto& c : m_vecChannels) Seam::stopThread(*c);
}

std::string SimSession::clockText() const {
    char szText[64];
    snprintf(szText, sizeof(szText), "%02ld:%02ld:%02ld", m_nClockSeconds / 3600, m_nClockSeconds / 60 % 60,
             m_nClockSeconds % 60);
    return szText;
}

void SimSession::setClock(long p_nSeconds) {
    m_nClockSeconds = p_nSeconds % DAY_SECONDS;
    qxsim::setLocalTime(static_cast<int>(m_nClockSeconds / 3600), static_cast<int>(m_nClockSeconds / 60 % 60));
}

bool SimSession::start(const std::string& p_strDetail, std::string& p_strError) {
    m_strDetail = p_strDetail;
    ModuleConfigure objModule;
    objModule.setModuleId(533);
    objModule.setDetail(p_strDetail);
    for (int nChannel = 1; nChannel <= m_nChannels; ++nChannel) {
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setChannelID(nChannel);
        c->setVideoStreamModule(m_pVideo.get());
        m_objOut.note("channel %d: init with module detail %s", nChannel, p_strDetail.c_str());
        quietly([&] { return c->init(objModule); });
        std::string strInitOutput = m_strLibraryOutput;
        Seam::stopThread(*c);
        m_vecChannels.push_back(std::move(c));
        m_nChannel = nChannel;
        m_vecKeys.emplace_back();
        quietly([&] {
            m_vecKeys.back().build(current(), Seam::cameraID(current()));
            return 0;
        });
        if (m_vecKeys.back().schemeKeyCount() == 0) {
            std::string strDocument = unreadStyleDocument(strInitOutput);
            p_strError = "channel " + std::to_string(nChannel) + " has no parameters: " +
                         (strDocument.empty() ? std::string("its UI style is empty (see the library's reports)")
                                              : "style document " + strDocument + " is missing");
            return false;
        }
        int nScheme = -1;
        current().getParamScheme(nScheme);
        m_objOut.note("channel %d: running, %u user schemes, current scheme %s", nChannel, schemeSum(),
                      schemeName(nScheme).c_str());
    }
    m_nChannel = 1;
    m_nIaLogFrom = iasim::calls().size();
    return true;
}

void SimSession::stop() {
    for (auto& c : m_vecChannels)
        quietly([&] {
            c->uinit();
            return 0;
        });
    m_vecChannels.clear();
}

u32 SimSession::schemeSum() {
    return Seam::schemeSum(current());
}

std::string SimSession::schemeName(int p_nScheme) {
    if (p_nScheme < 0) return "none";
    std::string strNumber = std::to_string(p_nScheme);
    if (static_cast<u32>(p_nScheme) == schemeSum()) return strNumber + " (factory)";
    if (p_nScheme == 0) return strNumber + " (day)";
    if (p_nScheme == 1) return strNumber + " (night)";
    return strNumber + " (time window)";
}

void SimSession::printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent) {
    for (const KeyVal& kv : p_vecPairs) {
        m_objOut.data("%s%5u %-28s = %d", p_szIndent, kv.key, keyName(kv.key).c_str(), static_cast<int>(kv.value));
    }
}

SimJson SimSession::pairsJson(const std::vector<KeyVal>& p_vecPairs) const {
    SimJson objPairs = SimJson::array();
    for (const KeyVal& kv : p_vecPairs) {
        objPairs.push_back({{"key", kv.key}, {"name", keyName(kv.key)}, {"value", static_cast<int32_t>(kv.value)}});
    }
    return objPairs;
}

SimJson SimSession::rangeJson(const SimRange& p_stRange) const {
    if (!p_stRange.known()) return nullptr;
    SimJson objRange = {{"source", p_stRange.sourceName()}};
    if (p_stRange.bList) {
        SimJson objChoices = SimJson::array();
        for (const SimChoice& c : p_stRange.vecChoices) {
            if (c.strName.empty()) {
                objChoices.push_back(c.nValue);
            } else {
                objChoices.push_back({{"value", c.nValue}, {"name", c.strName}});
            }
        }
        objRange["values"] = objChoices;
    } else {
        objRange["min"] = p_stRange.nMin;
        objRange["max"] = p_stRange.nMax;
    }
    if (p_stRange.bDefault) objRange["default"] = p_stRange.nDefault;
    return objRange;
}

bool SimSession::run(const SimCommand& p_stCommand, std::string& p_strError) {
    std::string strLine = p_stCommand.strName;
    for (const std::string& s : p_stCommand.vecArgs) strLine += " " + s;
    for (const std::string& s : p_stCommand.vecFlags) strLine += " " + s;
    m_objOut.note("> %s", strLine.c_str());
    bool bOk = false;
    bool bFound = false;
    for (const HandlerRow& row : HANDLERS) {
        if (p_stCommand.strName != row.szName) continue;
        bFound = true;
        bOk = (this->*row.pfnRun)(p_stCommand, p_strError);
        break;
    }
    if (!bFound) p_strError = "unknown command " + p_stCommand.strName;
    m_objOut.flush();
    return bOk;
}
