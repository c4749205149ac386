// The exported record, the version marker and the AE block as the plug-in ships them.
#include <dlfcn.h>
#include <link.h>

#include <cstring>

#include "PluginFixture.h"

namespace plugintest {
namespace {

struct SymbolInfo {
    bool bFound = false;
    size_t nSize = 0;
    unsigned nBind = 0;
    const void* pBase = nullptr;
};

SymbolInfo symbolOf(const void* p_pAddress) {
    SymbolInfo info;
    Dl_info dl{};
    void* entry = nullptr;
    if (dladdr1(p_pAddress, &dl, &entry, RTLD_DL_SYMENT) && entry) {
        const ElfW(Sym)* sym = static_cast<const ElfW(Sym)*>(entry);
        info.bFound = true;
        info.nSize = sym->st_size;
        info.nBind = ELF32_ST_BIND(sym->st_info);  // the same in both classes
        info.pBase = dl.dli_fbase;
    }
    return info;
}

const void* objectOf(uintptr_t p_nAddress) {
    Dl_info dl{};
    return dladdr(reinterpret_cast<const void*>(p_nAddress), &dl) ? dl.dli_fbase : nullptr;
}

using RecordTest = PluginTest;

TEST_P(RecordTest, RecordHoldsTheBlockAndNineOperationsOfThisPlugin) {
    const sensor_module_st* rec = m_objPlugin.record();
    const SymbolInfo sym = symbolOf(rec);
    ASSERT_TRUE(sym.bFound);
    EXPECT_EQ(sym.nBind, unsigned(STB_GLOBAL));
    EXPECT_EQ(sym.nSize, kCamera32 ? 44u : sizeof(sensor_module_st));

    EXPECT_EQ(recordWord(rec, 0), 0u) << "id";
    EXPECT_EQ(recordWord(rec, 10), 0u) << "reserved";
    EXPECT_EQ(recordWord(rec, 1), reinterpret_cast<uintptr_t>(ae()));
    for (int word = 1; word <= 9; ++word) {
        ASSERT_NE(recordWord(rec, word), 0u) << "word " << word;
        EXPECT_EQ(objectOf(recordWord(rec, word)), sym.pBase) << "word " << word << " points outside the plug-in";
    }
    EXPECT_EQ(recordWord(rec, 2), reinterpret_cast<uintptr_t>(rec->pfn_init_ae));
    EXPECT_EQ(recordWord(rec, 9), reinterpret_cast<uintptr_t>(rec->pfn_split_gain));
}

TEST_P(RecordTest, VersionMarkerIsAWeakTwentyFiveByteText) {
    const char* text = m_objPlugin.versionString();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::memcmp(text, "SIGMASTAR_MODULE_VERSION", 25), 0);
    const SymbolInfo sym = symbolOf(text);
    ASSERT_TRUE(sym.bFound);
    EXPECT_EQ(sym.nBind, unsigned(STB_WEAK));
    EXPECT_EQ(sym.nSize, 25u);
}

TEST_P(RecordTest, OnlyTheRecordAndTheMarkerAreVisible) {
    for (const char* name : {"gst_sensor_ae", "g_sensor_profile", "sensor_init_ae", "sensor_split_gain"})
        EXPECT_EQ(dlsym(m_objPlugin.handle(), name), nullptr) << name;
}

TEST_P(RecordTest, BlockIsZeroBeforeInitExceptWord68) {
    for (size_t off = 0; off < 908; off += 4) {
        if (off >= 116 && off < 128) {
            EXPECT_EQ(pointer(off), 0u) << "offset " << off;
        } else {
            EXPECT_EQ(word(off), off == 68 ? 1u : 0u) << "offset " << off;
        }
    }
}

struct ExpoPoint {
    uint32_t nShutterUs;
    uint32_t nSensorGain;
    uint32_t nIspGain;
};

// The shipped curves: six points each, fn_x10 16 throughout.
const ExpoPoint kExpoTables[4][6] = {
    {{150, 1024, 1024},
     {40000, 1024, 1024},
     {40000, 30720, 30720},
     {200000, 30720, 30720},
     {200000, 1445888, 1445888},
     {200000, 1462272, 1445888}},
    {{150, 1024, 1024},
     {33333, 1024, 1024},
     {33333, 30720, 30720},
     {200000, 30720, 30720},
     {200000, 1445888, 1445888},
     {200000, 1462272, 1445888}},
    {{150, 1075, 1075},
     {30300, 1075, 1075},
     {30300, 30720, 30720},
     {200000, 30720, 30720},
     {200000, 1445888, 1445888},
     {200000, 1462272, 1445888}},
    {{30, 1075, 1075},
     {3030, 1075, 1075},
     {3030, 1075, 1075},
     {3030, 8192, 8192},
     {3030, 8192, 8192},
     {3030, 8192, 8192}},
};

TEST_P(RecordTest, ExposureTablesMatchByteForByteAndSurviveInit) {
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "as shipped" : "after pfn_init_ae and pfn_set_mode");
        for (int t = 0; t < 4; ++t) {
            const size_t base = 908 + size_t(t) * 260;
            EXPECT_EQ(word(base), 6u) << "table " << t << " num_points";
            for (size_t p = 0; p < 16; ++p) {
                const size_t at = base + 4 + p * 16;
                const bool filled = p < 6;
                EXPECT_EQ(word(at), filled ? 16u : 0u) << "table " << t << " point " << p << " fn_x10";
                EXPECT_EQ(word(at + 4), filled ? kExpoTables[t][p].nShutterUs : 0u) << "table " << t << " point " << p;
                EXPECT_EQ(word(at + 8), filled ? kExpoTables[t][p].nSensorGain : 0u) << "table " << t << " point " << p;
                EXPECT_EQ(word(at + 12), filled ? kExpoTables[t][p].nIspGain : 0u) << "table " << t << " point " << p;
            }
        }
        ASSERT_EQ(m_objPlugin.initAe(), 0);
        ASSERT_EQ(m_objPlugin.setMode(0, 0, 30, 1), 0);
    }
}

TEST_P(RecordTest, TwoLoadedPluginsKeepTheirOwnBlocks) {
    const PluginCase& other = std::strcmp(GetParam().szName, kPlugins[0].szName) ? kPlugins[0] : kPlugins[1];
    isphost::SensorPlugin second;
    ASSERT_TRUE(second.open(other.szPath)) << second.error();
    ASSERT_NE(second.ae(), ae());

    ASSERT_EQ(m_objPlugin.initAe(), 0);
    ASSERT_EQ(m_objPlugin.setMode(1, 2, 30, 1), 0);
    EXPECT_EQ(aeWord(second.ae(), 100), 0u) << "the other plug-in's limits were written";
    EXPECT_EQ(aeWord(second.ae(), 28), 0u);
    EXPECT_EQ(aePointer(second.ae(), 116), 0u);
}

INSTANTIATE_TEST_SUITE_P(Plugins, RecordTest, testing::ValuesIn(kPlugins), pluginName);

}  // namespace
}  // namespace plugintest
