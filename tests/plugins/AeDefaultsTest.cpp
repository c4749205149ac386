// pfn_init_ae: every word of the AE block after it, per column of defaults.
#include <cstring>
#include <vector>

#include "PluginFixture.h"

namespace plugintest {
namespace {

struct AeDefault {
    size_t nOffset;
    uint32_t nColumnF;  // sensor_sc533hai
    uint32_t nColumnH;  // sensor_sc835hai, sensor_sc835ai
};

// Floats as their IEEE single-precision bits.
const AeDefault kAeDefaults[] = {
    {20, 0, 0},
    {24, 0, 0},
    {28, 25, 25},
    {32, 0, 0},
    {68, 1, 1},
    {72, 40, 40},  // 2 * 20000 / 1000
    {76, 1000000, 1000000},
    {80, 40000, 40000},
    {84, 20000, 20000},
    {88, 51200, 51200},
    {92, 102400, 102400},
    {100, 75776, 31744},  // max_sensor_gain
    {104, 2048, 4096},    // max_digital_gain
    {108, 16384, 16384},  // max_isp_gain
    {128, 80000, 12800},
    {132, 65000, 2500},
    {136, 80000, 12800},
    {140, 65000, 2500},
    {144, 0x3f800000, 0x3f800000},  // 1.0
    {148, 0x3f856534, 0x3f87218a},  // 1.04215097 / 1.05571103
    {152, 0x3f854cba, 0x3f8ebff4},  // 1.04140401 / 1.11523294
    {156, 0x4f1b26a1, 0x4ef81314},  // 2.603e9 / 2.081e9
    {160, 0xc028b439, 0xc036872b},  // -2.636 / -2.852
    {164, 0xc2ebcccd, 0x42566666},  // -117.9 / 53.6
    {168, 1000, 1000},
    {172, 1000000, 100000},
    {176, 100, 100},
    {180, 10500, 12800},
    {184, 95, 100},
    {188, 10500, 13000},
    {192, 25, 25},
    {196, 175, 175},
    {200, 5000, 2500},
    {204, 51200, 51200},
    {208, 5000, 5000},
    {212, 600, 600},
    {216, 12800, 12800},
};

const AeDefault* defaultAt(size_t p_nOffset) {
    for (const AeDefault& row : kAeDefaults)
        if (row.nOffset == p_nOffset) return &row;
    return nullptr;
}

using AeDefaultsTest = PluginTest;

TEST_P(AeDefaultsTest, EveryWordBeforeTheTablesHasItsDefault) {
    ASSERT_EQ(m_objPlugin.initAe(12345), 0);
    for (size_t off = 0; off < 908; off += 4) {
        if (off >= 116 && off < 128) {
            EXPECT_EQ(pointer(off), 0u) << "offset " << off;
            continue;
        }
        const AeDefault* row = defaultAt(off);
        const uint32_t want = row ? (GetParam().bColumnF ? row->nColumnF : row->nColumnH) : 0;
        EXPECT_EQ(word(off), want) << "offset " << off;
    }
}

TEST_P(AeDefaultsTest, InitRestoresDefaultsOverAModeAndHostWrites) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    std::vector<unsigned char> fresh(sizeof(sensor_ae_attr_st));
    std::memcpy(fresh.data(), ae(), fresh.size());

    ASSERT_EQ(m_objPlugin.setMode(7, 8, 30, 1), 0);
    m_objPlugin.ae()->max_sensor_gain = 1;
    m_objPlugin.ae()->word_084 = 5000;
    ASSERT_EQ(m_objPlugin.initAe(), 0);

    EXPECT_EQ(word(28), 25u);
    EXPECT_EQ(word(72), 40u) << "derived from the restored word 84";
    EXPECT_EQ(word(76), 1000000u);
    EXPECT_EQ(word(84), 20000u);
    EXPECT_EQ(word(100), GetParam().bColumnF ? 75776u : 31744u);
    // What init does not write keeps what pfn_set_mode stored.
    EXPECT_EQ(word(20), 7u);
    EXPECT_EQ(word(32), 1u);
    EXPECT_EQ(pointer(116), tableAddress(1));
}

INSTANTIATE_TEST_SUITE_P(Plugins, AeDefaultsTest, testing::ValuesIn(kPlugins), pluginName);

}  // namespace
}  // namespace plugintest
