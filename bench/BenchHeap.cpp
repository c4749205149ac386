// Heap use of one channel's init, counted by a counting allocator that takes the place of malloc in this
// executable (operator new, TinyXML and the library's own arrays all end there): the peak above what was in
// use before init, and what stays in use after it. The floor is what init cannot do without: one TinyXML
// document of the merged style and the merged text. Beside them, the growth of the heap over many inits and
// over many writes.
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

// The bytes one TinyXML document of the text holds.
long long documentBytes(const std::string& p_strText) {
    const long long nBase = g_nInUse.load();
    g_nPeak.store(nBase);
    {
        TiXmlDocument doc;
        doc.Parse(p_strText.c_str(), nullptr, TIXML_ENCODING_UTF8);
        benchmark::DoNotOptimize(doc.RootElement());
    }
    return g_nPeak.load() - nBase;
}

void heapInit(benchmark::State& state, bool p_bBlank) {
    benchdevice::IdleVideoModule objVideo;
    ISensorController c;
    c.setChannelID(1);
    c.setVideoStreamModule(&objVideo);
    const ModuleConfigure objModule = benchdevice::boxModule();
    c.init(objModule);  // the merged style and a used flash
    c.uinit();
    const std::string strMerged = benchdevice::readDeviceFile("/tmp/merge_style_ch1.xml");
    const double dFloor = static_cast<double>(documentBytes(strMerged) + static_cast<long long>(strMerged.size()));
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
    state.counters["merged_style_bytes"] = static_cast<double>(strMerged.size());
    state.counters["peak_bytes"] = static_cast<double>(nPeak);
    state.counters["resident_bytes"] = static_cast<double>(nResident);
    state.counters["after_uinit_bytes"] = static_cast<double>(nAfterUinit);
    state.counters["floor_bytes"] = dFloor;
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
    for (auto _ : state) nPeak = documentBytes(strMerged);
    state.counters["merged_style_bytes"] = static_cast<double>(strMerged.size());
    state.counters["document_bytes"] = static_cast<double>(nPeak);
}

const int kGrowthInits = 1000;
const int kGrowthWrites = 100000;

// The heap in use after 1000 inits and uinits of one channel (each init on a used flash), and after 10^5
// writes to a started channel, beside what was in use before them. Neither may grow.
void heapGrowth(benchmark::State& state) {
    benchdevice::IdleVideoModule objVideo;
    const ModuleConfigure objModule = benchdevice::boxModule();
    long long nInitGrowth = 0, nWriteGrowth = 0;
    for (auto _ : state) {
        ISensorController c;
        c.setChannelID(1);
        c.setVideoStreamModule(&objVideo);
        c.init(objModule);
        c.uinit();
        qxsim::resetFaults();
        const long long nBeforeInits = g_nInUse.load();
        for (int i = 0; i < kGrowthInits; ++i) {
            c.init(objModule);
            c.uinit();
            qxsim::resetFaults();
        }
        nInitGrowth = g_nInUse.load() - nBeforeInits;

        c.init(objModule);
        // Brightness between two values, cached in the current scheme as the web UI sends it.
        c.setParameters("(34,49)", true);
        qxsim::resetFaults();
        const long long nBeforeWrites = g_nInUse.load();
        for (int i = 0; i < kGrowthWrites; ++i) c.setParameters(i % 2 == 0 ? "(34,50)" : "(34,49)", true);
        qxsim::resetFaults();
        nWriteGrowth = g_nInUse.load() - nBeforeWrites;
        c.uinit();
    }
    state.counters["init_uinit_x1000_growth_bytes"] = static_cast<double>(nInitGrowth);
    state.counters["writes_x100000_growth_bytes"] = static_cast<double>(nWriteGrowth);
}

}  // namespace

BENCHMARK(heapParseMergedStyle)->Name("heap.tinyxml_document")->Iterations(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(heapInit, blank, true)->Name("heap.init.blank")->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(heapInit, used, false)->Name("heap.init.used")->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(heapGrowth)->Name("heap.growth")->Iterations(1)->Unit(benchmark::kMillisecond);
