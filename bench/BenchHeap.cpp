// Heap use of one channel's init, counted by a counting allocator that takes the place of malloc in this
// executable (operator new, TinyXML and the library's own arrays all end there): the peak above what was in
// use before init, and what stays in use after it. The goal: a peak of at most four times the merged style's
// size plus 64 KiB. Beside it, what one TinyXML document of the merged style holds by itself.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <tinyxml.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "BenchDevice.h"
#include "SimControl.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

std::atomic<long long> g_nInUse{0};
std::atomic<long long> g_nPeak{0};

void counted(void* p) {
    if (p == nullptr) return;
    long long nNow = g_nInUse.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                     static_cast<long long>(malloc_usable_size(p));
    long long nPeak = g_nPeak.load(std::memory_order_relaxed);
    while (nNow > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nNow)) {
    }
}

void uncounted(void* p) {
    if (p != nullptr) g_nInUse.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
}

}  // namespace

extern "C" {
void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    counted(p);
    return p;
}
void* calloc(size_t n, size_t m) {
    void* p = __libc_calloc(n, m);
    counted(p);
    return p;
}
void* realloc(void* p, size_t n) {
    uncounted(p);
    void* q = __libc_realloc(p, n);
    counted(q != nullptr ? q : (n == 0 ? nullptr : p));
    return q;
}
void free(void* p) {
    uncounted(p);
    __libc_free(p);
}
void* memalign(size_t a, size_t n) {
    void* p = __libc_memalign(a, n);
    counted(p);
    return p;
}
void* aligned_alloc(size_t a, size_t n) {
    return memalign(a, n);
}
int posix_memalign(void** pp, size_t a, size_t n) {
    void* p = memalign(a, n);
    if (p == nullptr) return ENOMEM;
    *pp = p;
    return 0;
}
}

namespace {

void heapInit(benchmark::State& state, bool p_bBlank) {
    benchdevice::IdleVideoModule objVideo;
    ISensorController c;
    c.setChannelID(1);
    c.setVideoStreamModule(&objVideo);
    const ModuleConfigure objModule = benchdevice::boxModule();
    c.init(objModule);  // the merged style and a used flash
    c.uinit();
    const double dMerged = static_cast<double>(benchdevice::readDeviceFile("/tmp/merge_style_ch1.xml").size());
    long long nPeak = 0, nResident = 0, nAfterUinit = 0;
    const long long nStart = g_nInUse.load();
    for (auto _ : state) {
        if (p_bBlank) benchdevice::blankFlash();
        qxsim::resetFaults();  // the simulated platform's own log of file steps is not the library's
        const long long nBase = g_nInUse.load();
        g_nPeak.store(nBase);
        c.init(objModule);
        nPeak = g_nPeak.load() - nBase;
        nResident = g_nInUse.load() - nBase;
        c.uinit();
        nAfterUinit = g_nInUse.load() - nBase;
    }
    state.counters["growth_bytes"] = static_cast<double>(g_nInUse.load() - nStart);
    state.counters["merged_style_bytes"] = dMerged;
    state.counters["peak_bytes"] = static_cast<double>(nPeak);
    state.counters["resident_bytes"] = static_cast<double>(nResident);
    state.counters["after_uinit_bytes"] = static_cast<double>(nAfterUinit);
    state.counters["goal_bytes"] = 4 * dMerged + 64 * 1024;
}

// What TinyXML alone holds for the merged style: the document parsed from its text.
void heapParseMergedStyle(benchmark::State& state) {
    benchdevice::IdleVideoModule objVideo;
    {
        auto c = benchdevice::startController(objVideo);
        benchdevice::stopController(*c);
    }
    const std::string strMerged = benchdevice::readDeviceFile("/tmp/merge_style_ch1.xml");
    long long nPeak = 0;
    for (auto _ : state) {
        const long long nBase = g_nInUse.load();
        g_nPeak.store(nBase);
        {
            TiXmlDocument doc;
            doc.Parse(strMerged.c_str(), nullptr, TIXML_ENCODING_UTF8);
            benchmark::DoNotOptimize(doc.RootElement());
        }
        nPeak = g_nPeak.load() - nBase;
    }
    state.counters["merged_style_bytes"] = static_cast<double>(strMerged.size());
    state.counters["document_bytes"] = static_cast<double>(nPeak);
}

}  // namespace

BENCHMARK(heapParseMergedStyle)->Name("heap.tinyxml_document")->Iterations(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(heapInit, blank, true)->Name("heap.init.blank")->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(heapInit, used, false)->Name("heap.init.used")->Iterations(20)->Unit(benchmark::kMicrosecond);
