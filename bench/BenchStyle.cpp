// The style the UI asks for, and init on a blank and on a used flash, each beside the least that its work
// can cost: the TinyXML parses and prints of the same texts, the durable writes of the same files and, for
// init, the IA calls of its first scheme.
#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchDevice.h"

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

void styleGetUIStyleFile(benchmark::State& state) {
    IdleVideoModule objVideo;
    auto c = benchdevice::startController(objVideo);
    size_t nBytes = 0;
    for (auto _ : state) {
        std::string strStyle = c->getUIStyleFile();
        nBytes = strStyle.size();
        benchmark::DoNotOptimize(strStyle.data());
    }
    state.counters["style_bytes"] = static_cast<double>(nBytes);
    benchdevice::stopController(*c);
}

// The merged text parsed and printed once.
void styleGetUIStyleFileFloor(benchmark::State& state) {
    IdleVideoModule objVideo;
    auto c = benchdevice::startController(objVideo);
    benchdevice::stopController(*c);
    const std::string strMerged = benchdevice::readDeviceFile(kMergedStyle);
    for (auto _ : state) {
        std::string strOut = parseAndPrint(strMerged);
        benchmark::DoNotOptimize(strOut.data());
    }
}

void runInit(benchmark::State& state, bool p_bBlank) {
    IdleVideoModule objVideo;
    ISensorController c;
    c.setChannelID(1);
    c.setVideoStreamModule(&objVideo);
    const ModuleConfigure objModule = benchdevice::boxModule();
    // One start first, so that a used flash holds every file.
    c.init(objModule);
    c.uinit();
    for (auto _ : state) {
        state.PauseTiming();
        if (p_bBlank) benchdevice::blankFlash();
        state.ResumeTiming();
        c.init(objModule);
        state.PauseTiming();
        c.uinit();
        state.ResumeTiming();
    }
}

void initBlank(benchmark::State& state) {
    runInit(state, true);
}
void initUsed(benchmark::State& state) {
    runInit(state, false);
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

// What init's steps need at the least: read the two style texts, parse both and print the merged one into
// its file; parse that, print the dynamic style and parse it again for the factory data; then write every
// scheme file and the version file (blank flash) or read the scheme files and write the version (used flash);
// and send scheme 0 as the first forced switch does.
void runInitFloor(benchmark::State& state, bool p_bBlank) {
    IdleVideoModule objVideo;
    auto c = benchdevice::startController(objVideo);
    const benchdevice::ForcedSwitchWork stWork = benchdevice::recordForcedSwitch(*c);
    benchdevice::stopController(*c);
    const std::string strStylePath = benchdevice::hostPath("/hd1/moduleConfig/sensorConfig/style/Style.xml");
    const std::string strDiversityPath =
        benchdevice::hostPath("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml");
    const std::string strFloorDir = benchdevice::hostPath("/tmp");
    const std::string strScheme(kSchemeBytes, '\x01');
    const std::string strVersion(4, '\x08');
    for (int s = 0; s < kSchemeCount && !p_bBlank; ++s) {
        benchdevice::writeFileDurably(strFloorDir + "/floor_scheme" + std::to_string(s) + ".cfg", strScheme);
    }
    for (auto _ : state) {
        const std::string strStyle = readWhole(strStylePath);
        const std::string strDiversity = readWhole(strDiversityPath);
        TiXmlDocument objDiversity;
        objDiversity.Parse(strDiversity.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const std::string strMerged = parseAndPrint(strStyle);
        benchdevice::writeFileDurably(strFloorDir + "/floor_merge.xml", strMerged);
        const std::string strDna = parseAndPrint(strMerged);
        TiXmlDocument objDna;
        objDna.Parse(strDna.c_str(), nullptr, TIXML_ENCODING_UTF8);
        for (int s = 0; s < kSchemeCount; ++s) {
            const std::string strFile = strFloorDir + "/floor_scheme" + std::to_string(s) + ".cfg";
            if (p_bBlank) {
                benchdevice::writeFileDurably(strFile, strScheme);
            } else {
                benchmark::DoNotOptimize(readWhole(strFile).size());
            }
        }
        benchdevice::writeFileDurably(strFloorDir + "/floor_version.cfg", strVersion);
        benchdevice::replayForcedSwitch(stWork);
    }
}

void initBlankFloor(benchmark::State& state) {
    runInitFloor(state, true);
}
void initUsedFloor(benchmark::State& state) {
    runInitFloor(state, false);
}

}  // namespace

BENCHMARK(styleGetUIStyleFile)->Name("style.getUIStyleFile")->Unit(benchmark::kMicrosecond);
BENCHMARK(styleGetUIStyleFileFloor)->Name("style.getUIStyleFile.floor")->Unit(benchmark::kMicrosecond);
BENCHMARK(initBlank)->Name("init.blank")->Unit(benchmark::kMicrosecond);
BENCHMARK(initBlankFloor)->Name("init.blank.floor")->Unit(benchmark::kMicrosecond);
BENCHMARK(initUsed)->Name("init.used")->Unit(benchmark::kMicrosecond);
BENCHMARK(initUsedFloor)->Name("init.used.floor")->Unit(benchmark::kMicrosecond);
