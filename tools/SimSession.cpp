// The session's commands: each calls the controller of the chosen channel and says what happened.
#include "SimSession.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <tinyxml.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "DeviceRoot.h"
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

namespace {

const long DAY_SECONDS = 24 * 3600;
const long START_CLOCK = 12 * 3600;  // every session starts at noon, so that its output repeats
const char* const SCHEME_DIR = "/mnt/mtd/code/config_file/";

std::string decimal(long p_nVal) {
    return std::to_string(p_nVal);
}

// Standard output of the process, redirected into a temporary file for the duration of the object.
class LibraryOutput {
public:
    LibraryOutput() : m_nSaved(-1) {
        char szName[] = "/tmp/imagetune-sim-XXXXXX";
        int nFd = mkstemp(szName);
        if (nFd < 0) return;
        unlink(szName);
        fflush(stdout);
        m_nSaved = dup(1);
        dup2(nFd, 1);
        m_nFd = nFd;
    }
    std::string take() {
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
        close(m_nFd);
        return strOut;
    }
    ~LibraryOutput() { take(); }

private:
    int m_nSaved;
    int m_nFd = -1;
};

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

bool readSchemeFile(const std::string& p_strFile, std::vector<KeyVal>& p_vecPairs, std::string& p_strPath,
                    std::string& p_strError) {
    // A host path as given, else a device path, else a file of the scheme folder.
    std::vector<std::string> vecTries = {p_strFile, qx_device_path(p_strFile), qx_device_path(SCHEME_DIR + p_strFile)};
    for (const std::string& strPath : vecTries) {
        std::ifstream in(strPath, std::ios::binary);
        if (!in) continue;
        std::string strBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (strBytes.size() % sizeof(KeyVal) != 0) {
            p_strError = strPath + " is no scheme file: " + decimal(static_cast<long>(strBytes.size())) +
                         " bytes is not a whole number of 8-byte records";
            return false;
        }
        p_vecPairs.resize(strBytes.size() / sizeof(KeyVal));
        for (size_t i = 0; i < p_vecPairs.size(); ++i) {
            memcpy(&p_vecPairs[i], strBytes.data() + i * sizeof(KeyVal), sizeof(KeyVal));
        }
        p_strPath = strPath;
        return true;
    }
    p_strError = "no such scheme file: " + p_strFile;
    return false;
}

}  // namespace

SimSession::SimSession(int p_nChannels, bool p_bVerbose)
    : m_nChannels(p_nChannels),
      m_bVerbose(p_bVerbose),
      m_nChannel(1),
      m_nClockSeconds(START_CLOCK),
      m_pVideo(new SimVideoModule()),
      m_nIaLogFrom(0) {
    // Passes never sleep: the session runs them itself, one per simulated second.
    qxsim::setWaitScale(0);
    qxsim::setLocalTime(static_cast<int>(m_nClockSeconds / 3600), static_cast<int>(m_nClockSeconds / 60 % 60));
}

SimSession::~SimSession() {
    stop();
}

template <typename F>
auto SimSession::quietly(F p_fnCall) -> decltype(p_fnCall()) {
    LibraryOutput objOut;
    auto result = p_fnCall();
    printLibraryOutput(objOut.take());
    return result;
}

void SimSession::printLibraryOutput(const std::string& p_strOut) {
    std::istringstream in(p_strOut);
    std::string strLine;
    while (std::getline(in, strLine)) {
        strLine = withoutColours(strLine);
        if (strLine.find_first_not_of(" \t\r") == std::string::npos) continue;
        // The tagged lines (reports, warnings) always; the library's chatter only when asked for.
        if (m_bVerbose || strLine.find("[sensor") != std::string::npos) printf("    | %s\n", strLine.c_str());
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

void SimSession::start(const std::string& p_strDetail) {
    ModuleConfigure objModule;
    objModule.setModuleId(533);
    objModule.setDetail(p_strDetail);
    for (int nChannel = 1; nChannel <= m_nChannels; ++nChannel) {
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setChannelID(nChannel);
        c->setVideoStreamModule(m_pVideo.get());
        printf("channel %d: init with module detail %s\n", nChannel, p_strDetail.c_str());
        quietly([&] { return c->init(objModule); });
        Seam::stopThread(*c);
        m_vecChannels.push_back(std::move(c));
        m_nChannel = nChannel;
        int nScheme = -1;
        current().getParamScheme(nScheme);
        printf("channel %d: running, %u user schemes, current scheme %s\n", nChannel, Seam::schemeSum(current()),
               schemeName(nScheme).c_str());
    }
    m_nChannel = 1;
    m_nIaLogFrom = iasim::calls().size();
    loadKeyNames();
}

void SimSession::stop() {
    for (auto& c : m_vecChannels)
        quietly([&] {
            c->uinit();
            return 0;
        });
    m_vecChannels.clear();
}

void SimSession::loadKeyNames() {
    // The names the UI style gives its parameters: the merged style of the channel, else the family's style.
    m_mapKeyNames.clear();
    char szMerged[64];
    snprintf(szMerged, sizeof(szMerged), "/tmp/merge_style_ch%d.xml", Seam::cameraID(current()));
    for (const std::string& strFile :
         {std::string(szMerged), std::string("/hd1/moduleConfig/sensorConfig/style/Style.xml")}) {
        TiXmlDocument doc;
        if (!doc.LoadFile(qx_device_path(strFile).c_str(), TIXML_ENCODING_UTF8)) continue;
        std::vector<TiXmlElement*> vecStack = {doc.RootElement()};
        while (!vecStack.empty()) {
            TiXmlElement* pElem = vecStack.back();
            vecStack.pop_back();
            if (pElem == nullptr) continue;
            const char* szId = pElem->Attribute("id");
            const char* szName = pElem->Attribute("name");
            if (szId != nullptr && szName != nullptr) m_mapKeyNames.emplace(static_cast<u32>(atoi(szId)), szName);
            for (TiXmlElement* pChild = pElem->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement()) {
                vecStack.push_back(pChild);
            }
        }
        if (!m_mapKeyNames.empty()) return;
    }
}

std::string SimSession::keyName(u32 p_nKey) {
    auto it = m_mapKeyNames.find(p_nKey);
    return it == m_mapKeyNames.end() ? "?" : it->second;
}

std::string SimSession::schemeName(int p_nScheme) {
    if (p_nScheme < 0) return "none";
    u32 nSum = Seam::schemeSum(current());
    std::string strNumber = decimal(p_nScheme);
    if (static_cast<u32>(p_nScheme) == nSum) return strNumber + " (factory)";
    if (p_nScheme == 0) return strNumber + " (day)";
    if (p_nScheme == 1) return strNumber + " (night)";
    return strNumber + " (time window)";
}

void SimSession::printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent) {
    for (const KeyVal& kv : p_vecPairs) {
        printf("%s%5u %-28s = %d\n", p_szIndent, kv.key, keyName(kv.key).c_str(), static_cast<int>(kv.value));
    }
}

bool SimSession::run(const SimCommand& p_stCommand, std::string& p_strError) {
    const std::string& n = p_stCommand.strName;
    const std::vector<std::string>& a = p_stCommand.vecArgs;
    printf("> %s%s\n", n.c_str(),
           [&] {
               std::string strArgs;
               for (const std::string& s : a) strArgs += " " + s;
               return strArgs;
           }()
               .c_str());
    bool bOk = true;
    if (n == "set")
        bOk = cmdSet(a[0], p_strError);
    else if (n == "get")
        bOk = cmdGet(a[0]);
    else if (n == "all")
        bOk = cmdAll();
    else if (n == "range")
        bOk = cmdRange(atoi(a[0].c_str()));
    else if (n == "scheme")
        bOk = cmdScheme(atoi(a[0].c_str()), p_strError);
    else if (n == "mode")
        bOk = cmdMode(atoi(a[0].c_str()));
    else if (n == "flush")
        bOk = cmdFlush();
    else if (n == "restore")
        bOk = cmdRestore();
    else if (n == "reset")
        bOk = cmdReset();
    else if (n == "style")
        bOk = cmdStyle();
    else if (n == "dn")
        bOk = cmdDayNight(atoi(a[0].c_str()));
    else if (n == "clock")
        bOk = cmdClock(atoi(a[0].c_str()), atoi(a[0].c_str() + a[0].find(':') + 1));
    else if (n == "run")
        bOk = cmdRun(atol(a[0].c_str()));
    else if (n == "ia-log")
        bOk = cmdIaLog();
    else if (n == "show-scheme")
        bOk = cmdShowScheme(a[0], p_strError);
    else if (n == "diff-scheme")
        bOk = cmdDiffScheme(a[0], a[1], p_strError);
    else if (n == "channel") {
        m_nChannel = atoi(a[0].c_str());
        loadKeyNames();
        printf("  the next commands act on channel %d\n", m_nChannel);
    } else {
        p_strError = "unknown command " + n;
        bOk = false;
    }
    fflush(stdout);
    return bOk;
}

bool SimSession::cmdSet(const std::string& p_strText, std::string& p_strError) {
    int nRet = quietly([&] { return current().setParameters(p_strText, true); });
    if (nRet != 0) {
        p_strError = "set " + p_strText + " was refused (status " + decimal(nRet) + ", key " + decimal(-nRet) + " " +
                     keyName(static_cast<u32>(-nRet)) + ")";
        return false;
    }
    int nScheme = -1;
    current().getParamScheme(nScheme);
    printf("  applied and kept in scheme %s (not yet saved: use flush)\n", schemeName(nScheme).c_str());
    return true;
}

bool SimSession::cmdGet(const std::string& p_strKeys) {
    std::string strKeys = p_strKeys[0] == '(' ? p_strKeys : "(" + p_strKeys + ")";
    std::string strPairs;
    bool bOk = quietly([&] { return current().getParameters(strKeys, strPairs); });
    std::vector<KeyVal> vecPairs(strPairs.size() / 4 + 1);
    u32 nNum = 0;
    keyval_str2st(strPairs, vecPairs.data(), &nNum, static_cast<u32>(vecPairs.size()));
    vecPairs.resize(nNum);
    printf("  %s\n", bOk ? strPairs.c_str() : "not a key list");
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdAll() {
    std::string strPairs;
    quietly([&] { return current().getAllParameters(strPairs); });
    std::vector<KeyVal> vecPairs(strPairs.size() / 4 + 1);
    u32 nNum = 0;
    keyval_str2st(strPairs, vecPairs.data(), &nNum, static_cast<u32>(vecPairs.size()));
    vecPairs.resize(nNum);
    printf("  %u parameters\n", nNum);
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdRange(int p_nKey) {
    int nDefault = 0;
    std::string strRange;
    bool bOk = quietly([&] { return current().getSensorParamRange(p_nKey, nDefault, strRange); });
    if (!bOk) {
        printf("  key %d (%s) has no sensor range\n", p_nKey, keyName(static_cast<u32>(p_nKey)).c_str());
    } else {
        printf("  key %d (%s): default %d, valid values: %s\n", p_nKey, keyName(static_cast<u32>(p_nKey)).c_str(),
               nDefault, strRange.empty() ? "(not a list)" : strRange.c_str());
    }
    return true;
}

bool SimSession::cmdScheme(int p_nScheme, std::string& p_strError) {
    if (static_cast<u32>(p_nScheme) > Seam::schemeSum(current())) {
        p_strError = "scheme " + decimal(p_nScheme) + " does not exist: channel " + decimal(m_nChannel) + " has 0 to " +
                     decimal(Seam::schemeSum(current())) + " (the last is the factory scheme)";
        return false;
    }
    quietly([&] { return current().setParamScheme(p_nScheme); });
    printf("  switched to scheme %s; only the values that differ were sent\n", schemeName(p_nScheme).c_str());
    return true;
}

bool SimSession::cmdMode(int p_nMode) {
    quietly([&] { return current().setParamMode(p_nMode); });
    printf("  parameter mode %d: %s\n", p_nMode,
           p_nMode == 0 ? "manual, the sensor thread switches no scheme" : "automatic, the scheme mode decides");
    return true;
}

bool SimSession::cmdFlush() {
    int nScheme = -1;
    current().getParamScheme(nScheme);
    int nRet = quietly([&] { return current().flush(); });
    if (nScheme < 0 || static_cast<u32>(nScheme) >= Seam::schemeSum(current())) {
        printf("  nothing saved: scheme %s has no file\n", schemeName(nScheme).c_str());
    } else if (nRet == 505 || nRet == 506 || nRet == 507) {
        printf("  not saved: the time window of scheme %d is invalid (%d: %s)\n", nScheme, nRet,
               nRet == 505   ? "start after 24:00"
               : nRet == 506 ? "end after 24:00"
                             : "empty or reversed");
    } else {
        printf("  scheme %s %s\n", schemeName(nScheme).c_str(), nRet == 0 ? "saved to its file" : "could not be saved");
    }
    return true;
}

bool SimSession::cmdRestore() {
    bool bOk = quietly([&] { return current().resetToLastParameters(); });
    printf("  %s\n", bOk ? "the saved values of the current scheme are back in force" : "restore failed");
    return true;
}

bool SimSession::cmdReset() {
    quietly([&] { return current().resetParameters(); });
    keepThreadStopped();
    printf("  factory reset of channel %d: factory values applied, scheme files written anew, scheme 0 current\n",
           m_nChannel);
    return true;
}

bool SimSession::cmdStyle() {
    std::string strStyle = quietly([&] { return current().getUIStyleFile(); });
    printf("%s\n", strStyle.c_str());
    return true;
}

bool SimSession::cmdDayNight(int p_nState) {
    iasim::setDayNight(Seam::cameraID(current()) - 1, p_nState);
    printf("  the sensor of channel %d now sees %s (state %d)\n", m_nChannel, p_nState == 0 ? "day" : "night",
           p_nState);
    return true;
}

bool SimSession::cmdClock(int p_nHour, int p_nMinute) {
    m_nClockSeconds = p_nHour * 3600L + p_nMinute * 60L;
    qxsim::setLocalTime(p_nHour, p_nMinute);
    printf("  the clock reads %s\n", clockText().c_str());
    return true;
}

bool SimSession::cmdRun(long p_nSeconds) {
    std::vector<int> vecSchemes;
    for (auto& c : m_vecChannels) {
        int nScheme = -1;
        c->getParamScheme(nScheme);
        vecSchemes.push_back(nScheme);
    }
    const std::string strFrom = clockText();
    int nSwitches = 0;
    for (long s = 0; s < p_nSeconds; ++s) {
        m_nClockSeconds = (m_nClockSeconds + 1) % DAY_SECONDS;
        qxsim::setLocalTime(static_cast<int>(m_nClockSeconds / 3600), static_cast<int>(m_nClockSeconds / 60 % 60));
        for (size_t i = 0; i < m_vecChannels.size(); ++i) {
            ISensorController& c = *m_vecChannels[i];
            quietly([&] {
                Seam::runPass(c);
                return 0;
            });
            int nScheme = -1;
            c.getParamScheme(nScheme);
            if (nScheme != vecSchemes[i]) {
                printf("  %s channel %zu: the sensor thread switched from scheme %d to scheme %d\n",
                       clockText().c_str(), i + 1, vecSchemes[i], nScheme);
                vecSchemes[i] = nScheme;
                ++nSwitches;
            }
        }
    }
    printf("  %ld passes from %s to %s, %d scheme switch%s\n", p_nSeconds, strFrom.c_str(), clockText().c_str(),
           nSwitches, nSwitches == 1 ? "" : "es");
    return true;
}

bool SimSession::cmdIaLog() {
    std::vector<iasim::IaCall> vecCalls = iasim::calls();
    size_t nFrom = m_nIaLogFrom <= vecCalls.size() ? m_nIaLogFrom : 0;
    static const char* const OPTIONS[] = {"set", "get", "range", "correct", "status"};
    printf("  %zu IA calls since the last ia-log\n", vecCalls.size() - nFrom);
    for (size_t i = nFrom; i < vecCalls.size(); ++i) {
        const iasim::IaCall& call = vecCalls[i];
        const char* szOpt = call.nOpt >= 0 && call.nOpt <= 4 ? OPTIONS[call.nOpt] : "?";
        printf("  ch%d %-7s %5d %-28s value %-10d -> %d\n", call.nChannel, szOpt, call.nCmd,
               keyName(static_cast<u32>(call.nCmd)).c_str(), static_cast<int>(call.value()), call.nResult);
    }
    iasim::clearCalls();
    m_nIaLogFrom = 0;
    return true;
}

bool SimSession::cmdShowScheme(const std::string& p_strFile, std::string& p_strError) {
    std::vector<KeyVal> vecPairs;
    std::string strPath;
    if (!readSchemeFile(p_strFile, vecPairs, strPath, p_strError)) return false;
    printf("  %s: %zu parameters\n", p_strFile.c_str(), vecPairs.size());
    printPairs(vecPairs, "  ");
    return true;
}

bool SimSession::cmdDiffScheme(const std::string& p_strA, const std::string& p_strB, std::string& p_strError) {
    std::vector<KeyVal> vecA, vecB;
    std::string strPathA, strPathB;
    if (!readSchemeFile(p_strA, vecA, strPathA, p_strError) || !readSchemeFile(p_strB, vecB, strPathB, p_strError)) {
        return false;
    }
    int nDiffs = 0;
    for (const KeyVal& a : vecA) {
        const KeyVal* pB = nullptr;
        for (const KeyVal& b : vecB) {
            if (b.key == a.key) {
                pB = &b;
                break;
            }
        }
        if (pB == nullptr) {
            printf("  %5u %-28s %d | (absent)\n", a.key, keyName(a.key).c_str(), static_cast<int>(a.value));
            ++nDiffs;
        } else if (pB->value != a.value) {
            printf("  %5u %-28s %d | %d\n", a.key, keyName(a.key).c_str(), static_cast<int>(a.value),
                   static_cast<int>(pB->value));
            ++nDiffs;
        }
    }
    for (const KeyVal& b : vecB) {
        bool bInA = false;
        for (const KeyVal& a : vecA) bInA = bInA || a.key == b.key;
        if (!bInA) {
            printf("  %5u %-28s (absent) | %d\n", b.key, keyName(b.key).c_str(), static_cast<int>(b.value));
            ++nDiffs;
        }
    }
    printf("  %d key%s differ%s\n", nDiffs, nDiffs == 1 ? "" : "s", nDiffs == 1 ? "s" : "");
    return true;
}
