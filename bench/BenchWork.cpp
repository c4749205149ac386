// The style the UI asks for, init on a blank and on a used flash, and a forced switch, each beside the least
// that its work can cost: the TinyXML parses and prints of the same texts, the durable writes of the same
// files and the IA calls of the same scheme.
#include "BenchWork.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <cstdio>

#include "BenchDevice.h"
#include "ControllerTestAccess.h"

namespace benchwork {
namespace {

using benchdevice::IdleVideoModule;

const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";
const int kSchemeCount = 4;
const size_t kSchemeBytes = ISensorController::KEY_CMD_ROWS * 8;  // a scheme of the box style, rounded up

std::string parseAndPrint(const std::string& p_strText) {
    TiXmlDocument doc;
    doc.Parse(p_strText.c_str(), nullptr, TIXML_ENCODING_UTF8);
    TiXmlPrinter objPrinter;
    doc.Accept(&objPrinter);
    return objPrinter.Str();
}

std::string readWhole(const std::string& p_strHostPath) {
    std::string strData;
    FILE* pFile = std::fopen(p_strHostPath.c_str(), "rb");
    if (pFile == nullptr) return strData;
    char szBuf[65536];
    size_t n;
    while ((n = std::fread(szBuf, 1, sizeof(szBuf), pFile)) > 0) strData.append(szBuf, n);
    std::fclose(pFile);
    return strData;
}

// A started channel 1 for the works that use one.
class StartedChannel : public Work {
public:
    StartedChannel() : m_pController(benchdevice::startController(m_objVideo)) {}
    ~StartedChannel() override { benchdevice::stopController(*m_pController); }

protected:
    IdleVideoModule m_objVideo;
    std::unique_ptr<ISensorController> m_pController;
};

class UiStyle : public StartedChannel {
public:
    void run() override {
        std::string strStyle = m_pController->getUIStyleFile();
        benchmark::DoNotOptimize(strStyle.data());
    }
};

// The merged text parsed and printed once.
class UiStyleFloor : public Work {
public:
    UiStyleFloor() {
        IdleVideoModule objVideo;
        benchdevice::stopController(*benchdevice::startController(objVideo));
        m_strMerged = benchdevice::readDeviceFile(kMergedStyle);
    }
    void run() override {
        std::string strOut = parseAndPrint(m_strMerged);
        benchmark::DoNotOptimize(strOut.data());
    }

private:
    std::string m_strMerged;
};

class Init : public Work {
public:
    explicit Init(bool p_bBlank) : m_bBlank(p_bBlank), m_objModule(benchdevice::boxModule()) {
        m_objController.setChannelID(1);
        m_objController.setVideoStreamModule(&m_objVideo);
        // One start first, so that a used flash holds every file.
        m_objController.init(m_objModule);
        m_objController.uinit();
    }
    void prepare() override {
        if (m_bBlank) benchdevice::blankFlash();
    }
    void run() override { m_objController.init(m_objModule); }
    void finish() override { m_objController.uinit(); }

private:
    bool m_bBlank;
    IdleVideoModule m_objVideo;
    ISensorController m_objController;
    const ModuleConfigure m_objModule;
};

// What init's steps need at the least: read the two style texts, parse both and print the merged one into
// its file; parse that, print the dynamic style and parse it again for the factory data; then write every
// scheme file and the version file (blank flash) or read the scheme files and write the version (used flash);
// send scheme 0 as the first forced switch does; and check the debug settings once for each statement the
// start makes (the first scheme's look-ups of a previous scheme that there is none of, its writes' lines, the
// style and factory data's traces: the statements of the described start).
class InitFloor : public Work {
public:
    explicit InitFloor(bool p_bBlank)
        : m_bBlank(p_bBlank),
          m_strStylePath(benchdevice::hostPath("/hd1/moduleConfig/sensorConfig/style/Style.xml")),
          m_strDiversityPath(benchdevice::hostPath("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml")),
          m_strFloorDir(benchdevice::hostPath("/tmp")),
          m_strScheme(kSchemeBytes, '\x01'),
          m_strVersion(4, '\x08') {
        IdleVideoModule objVideo;
        auto c = benchdevice::startController(objVideo);
        m_stWork = benchdevice::recordForcedSwitch(*c);
        benchdevice::stopController(*c);
        m_nStatements = benchdevice::countInitStatements();
        for (int s = 0; s < kSchemeCount && !p_bBlank; ++s) benchdevice::writeFileDurably(schemeFile(s), m_strScheme);
    }
    void run() override {
        const std::string strStyle = readWhole(m_strStylePath);
        const std::string strDiversity = readWhole(m_strDiversityPath);
        TiXmlDocument objDiversity;
        objDiversity.Parse(strDiversity.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const std::string strMerged = parseAndPrint(strStyle);
        benchdevice::writeFileDurably(m_strFloorDir + "/floor_merge.xml", strMerged);
        const std::string strDna = parseAndPrint(strMerged);
        TiXmlDocument objDna;
        objDna.Parse(strDna.c_str(), nullptr, TIXML_ENCODING_UTF8);
        for (int s = 0; s < kSchemeCount; ++s) {
            if (m_bBlank) {
                benchdevice::writeFileDurably(schemeFile(s), m_strScheme);
            } else {
                benchmark::DoNotOptimize(readWhole(schemeFile(s)).size());
            }
        }
        benchdevice::writeFileDurably(m_strFloorDir + "/floor_version.cfg", m_strVersion);
        benchdevice::replayForcedSwitch(m_stWork, m_nStatements);
    }

private:
    std::string schemeFile(int s) const { return m_strFloorDir + "/floor_scheme" + std::to_string(s) + ".cfg"; }

    bool m_bBlank;
    const std::string m_strStylePath;
    const std::string m_strDiversityPath;
    const std::string m_strFloorDir;
    const std::string m_strScheme;
    const std::string m_strVersion;
    benchdevice::ForcedSwitchWork m_stWork;
    unsigned m_nStatements;
};

class SwitchForced : public StartedChannel {
public:
    void run() override { ISensorControllerTestAccess::switchTo(*m_pController, 0, true); }
};

// A bare loop making the same ia_ioctrl_v2 calls (benchdevice::replayForcedSwitch).
class SwitchForcedFloor : public Work {
public:
    SwitchForcedFloor() {
        IdleVideoModule objVideo;
        auto c = benchdevice::startController(objVideo);
        m_stWork = benchdevice::recordForcedSwitch(*c);
        benchdevice::stopController(*c);
    }
    void run() override { benchdevice::replayForcedSwitch(m_stWork); }

private:
    benchdevice::ForcedSwitchWork m_stWork;
};

// Plain function pointers: the table is filled before any dynamic initialisation, which registers the
// benchmarks from it.
struct Maker {
    const char* szName;
    Work* (*pfnMake)();
};
const Maker kMakers[] = {
    {"style.getUIStyleFile", []() -> Work* { return new UiStyle(); }},
    {"style.getUIStyleFile.floor", []() -> Work* { return new UiStyleFloor(); }},
    {"init.blank", []() -> Work* { return new Init(true); }},
    {"init.blank.floor", []() -> Work* { return new InitFloor(true); }},
    {"init.used", []() -> Work* { return new Init(false); }},
    {"init.used.floor", []() -> Work* { return new InitFloor(false); }},
    {"switch.forced", []() -> Work* { return new SwitchForced(); }},
    {"switch.forced.floor", []() -> Work* { return new SwitchForcedFloor(); }},
};

}  // namespace

std::vector<std::string> namesWithFloors() {
    std::vector<std::string> vecNames;
    for (const Maker& stMaker : kMakers) vecNames.push_back(stMaker.szName);
    return vecNames;
}

std::unique_ptr<Work> make(const std::string& p_strName) {
    for (const Maker& stMaker : kMakers)
        if (p_strName == stMaker.szName) return std::unique_ptr<Work>(stMaker.pfnMake());
    return nullptr;
}

}  // namespace benchwork
