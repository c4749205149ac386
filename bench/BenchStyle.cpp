// The benchmarks with a floor (BenchWork), and the style merge of a style-diversity document of chained
// edits at two sizes up to the size limit of a style text.
#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchDevice.h"
#include "BenchWork.h"
#include "SensorStyle.h"

namespace {

void runWork(benchmark::State& state, const std::string& p_strName, bool p_bUntimedSteps) {
    std::unique_ptr<benchwork::Work> pWork = benchwork::make(p_strName);
    for (auto _ : state) {
        if (p_bUntimedSteps) {
            state.PauseTiming();
            pWork->prepare();
            state.ResumeTiming();
        }
        pWork->run();
        if (p_bUntimedSteps) {
            state.PauseTiming();
            pWork->finish();
            state.ResumeTiming();
        }
    }
}

// A style of one tab and a selector whose edits each insert a tab after the one the edit before inserted:
// every edit names the newest tab, the last in a scan from the first.
void chainedAddAfter(size_t p_nBytes, std::string& p_strStyle, std::string& p_strDiversity) {
    const std::string strTab = "<p id=\"1\" value=\"1\"/></tab>";
    p_strStyle = "<Style><tab key=\"k0\">" + strTab + "</Style>";
    p_strDiversity = "<Sel m=\"1\">";
    for (int i = 0; p_strDiversity.size() < p_nBytes - 200; ++i) {
        p_strDiversity += "<AddAfter tab_key=\"k" + std::to_string(i) + "\"><tab key=\"k" + std::to_string(i + 1) +
                          "\">" + strTab + "</AddAfter>";
    }
    p_strDiversity += "</Sel>";
}

void mergeChained(benchmark::State& state) {
    std::string strStyle, strDiversity;
    chainedAddAfter(static_cast<size_t>(state.range(0)) * 1024, strStyle, strDiversity);
    ModuleConfig stModule;
    std::memset(&stModule, 0, sizeof(stModule));
    std::strcpy(stModule.szDetail, "(m=1)");
    for (auto _ : state) {
        char* szStyle = strdup(strStyle.c_str());
        // A channel of its own: the merged-style file of channel 1 is what the UI style floor reads.
        mergeStyle(7, &stModule, &szStyle, &strDiversity[0]);
        std::free(szStyle);
    }
    state.counters["diversity_bytes"] = static_cast<double>(strDiversity.size());
}

// The least the same merge can cost: both texts parsed, each edit's new tab copied in, the result printed.
void mergeChainedFloor(benchmark::State& state) {
    std::string strStyle, strDiversity;
    chainedAddAfter(static_cast<size_t>(state.range(0)) * 1024, strStyle, strDiversity);
    for (auto _ : state) {
        TiXmlDocument objStyle;
        TiXmlDocument objDiversity;
        objStyle.Parse(strStyle.c_str(), nullptr, TIXML_ENCODING_UTF8);
        objDiversity.Parse(strDiversity.c_str(), nullptr, TIXML_ENCODING_UTF8);
        TiXmlElement* pRoot = objStyle.RootElement();
        for (const TiXmlElement* pEdit = objDiversity.RootElement()->FirstChildElement(); pEdit != nullptr;
             pEdit = pEdit->NextSiblingElement())
            pRoot->InsertEndChild(*pEdit->FirstChildElement());
        TiXmlPrinter objPrinter;
        objStyle.Accept(&objPrinter);
        benchmark::DoNotOptimize(objPrinter.CStr());
    }
}

void registerAll() {
    for (const std::string& strName : benchwork::namesWithFloors()) {
        const bool bUntimedSteps = strName.compare(0, 5, "init.") == 0;
        benchmark::RegisterBenchmark(strName.c_str(), [strName, bUntimedSteps](benchmark::State& st) {
            runWork(st, strName, bUntimedSteps);
        })->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("style.merge.chained_addafter_KiB", mergeChained)
        ->Arg(1024)
        ->Arg(4 * 1024 - 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("style.merge.chained_addafter_KiB.floor", mergeChainedFloor)
        ->Arg(1024)
        ->Arg(4 * 1024 - 1)
        ->Unit(benchmark::kMillisecond);
}
const int g_nRegistered = (registerAll(), 0);

}  // namespace
