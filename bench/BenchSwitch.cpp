// Incremental scheme switches on the box camera (the forced switch is a work of BenchWork): one that changes
// k keys should cost a pass over the scheme plus k times the cost of one key.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchDevice.h"
#include "ControllerTestAccess.h"
#include "IaSimControl.h"
#include "ia_ctrl.h"

namespace {

using TA = ISensorControllerTestAccess;
using benchdevice::IdleVideoModule;

const int kChangedKeys[] = {1, 4, 16, 64};

// Scheme 1 differs from scheme 0 in the values of the first k keys that reach the IA library with a plain
// value; the iterations switch 0 -> 1 -> 0 -> ..., each one switch changing k keys.
void switchIncremental(benchmark::State& state, int k) {
    IdleVideoModule objVideo;
    auto c = benchdevice::startController(objVideo);
    const u32 n = TA::keyValSum(*c);
    KeyVal* a0 = TA::scheme(*c, 0);
    KeyVal* a1 = TA::scheme(*c, 1);
    for (u32 i = 0; i < n; ++i) a1[i] = a0[i];
    int nChanged = 0;
    for (u32 i = 5; i < n && nChanged < k; ++i) {  // after the scheme header
        const u32 nKey = a0[i].key;
        // Not the light type, the illuminators or the day/night keys: their rules send or store elsewhere.
        if (nKey == 224 || (nKey >= 144 && nKey <= 205)) continue;
        a1[i].value = a0[i].value + 1;
        ++nChanged;
    }
    TA::switchTo(*c, 0, true);
    iasim::clearCalls();
    iasim::setLogging(true);
    TA::switchTo(*c, 1, false);
    TA::switchTo(*c, 0, false);
    iasim::setLogging(false);
    state.counters["changed"] = nChanged;
    state.counters["ia_calls_per_switch"] = static_cast<double>(iasim::calls().size()) / 2;
    iasim::clearCalls();
    int nTarget = 1;
    for (auto _ : state) {
        TA::switchTo(*c, nTarget, false);
        nTarget = 1 - nTarget;
    }
    benchdevice::stopController(*c);
}

// One plain pass over the scheme: each record compared with the one in force.
void switchPassFloor(benchmark::State& state) {
    IdleVideoModule objVideo;
    auto c = benchdevice::startController(objVideo);
    const u32 n = TA::keyValSum(*c);
    std::vector<KeyVal> vecA(TA::scheme(*c, 0), TA::scheme(*c, 0) + n);
    std::vector<KeyVal> vecB = vecA;
    benchdevice::stopController(*c);
    for (auto _ : state) {
        u32 nDiff = 0;
        for (u32 i = 0; i < n; ++i) nDiff += vecA[i].key == vecB[i].key && vecA[i].value != vecB[i].value;
        benchmark::DoNotOptimize(nDiff);
        benchmark::ClobberMemory();
    }
}

void registerIncremental() {
    benchmark::RegisterBenchmark("switch.incremental.k0", [](benchmark::State& st) {
        switchIncremental(st, 0);
    })->Unit(benchmark::kMicrosecond);
    for (int k : kChangedKeys) {
        benchmark::RegisterBenchmark(("switch.incremental.k" + std::to_string(k)).c_str(), [k](benchmark::State& st) {
            switchIncremental(st, k);
        })->Unit(benchmark::kMicrosecond);
    }
}
const int g_nRegistered = (registerIncremental(), 0);

}  // namespace

BENCHMARK(switchPassFloor)->Name("switch.pass.floor");
