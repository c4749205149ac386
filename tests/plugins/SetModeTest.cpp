// pfn_set_mode: frame rate, mode, frame-time words, table choice and the host's mode fields.
#include <climits>

#include "PluginFixture.h"

namespace plugintest {
namespace {

struct ModeCase {
    unsigned nFps;
    int nMode;
    uint32_t nStoredFps;
    int nTable;  // exposure table at offset 116
    uint32_t n76;
    uint32_t n72;
};

const ModeCase kModeCases[] = {
    {60, 0, 30, 1, 1000000, 40},
    {30, 0, 30, 1, 1000000, 40},
    {25, 0, 25, 0, 1000000, 40},
    {24, 0, 24, 0, 1000000, 40},
    {30, 1, 30, 1, 33333, 1792},
    {31, 1, 30, 1, 33333, 1792},
    {UINT_MAX, 1, 30, 1, 33333, 1792},
    {25, 1, 25, 0, 40000, 1792},
    {24, 1, 24, 0, 41667, 1792},  // rounded to nearest
    {7, 1, 7, 0, 142857, 1792},
    {1, 1, 1, 0, 1000000, 1792},
    {0, 1, 25, 0, 40000, 1792},  // no rate: the default 25
    {30, 2, 30, 1, 1000000, 40},
    {25, -1, 25, 0, 1000000, 40},  // any mode but 1 is the default mode
    // Outside mode 1 nothing divides by the rate: a rate of 0 is stored as given, with table 0.
    {0, 0, 0, 0, 1000000, 40},
    {0, 2, 0, 0, 1000000, 40},
    {0, -1, 0, 0, 1000000, 40},
};

using SetModeTest = PluginTest;

uint32_t hostWord(const void* p_pBlock, size_t p_nOffset) {
    return leWord(p_pBlock, p_nOffset);
}

TEST_P(SetModeTest, StoresRateModeFrameTimeAndTables) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    for (const ModeCase& c : kModeCases) {
        SCOPED_TRACE(testing::Message() << "fps " << c.nFps << " mode " << c.nMode);
        ASSERT_EQ(m_objPlugin.setMode(-5, 77, c.nFps, c.nMode), 0);
        EXPECT_EQ(word(20), uint32_t(-5));
        EXPECT_EQ(word(24), 77u);
        EXPECT_EQ(word(28), c.nStoredFps);
        EXPECT_EQ(word(32), uint32_t(c.nMode));
        EXPECT_EQ(word(76), c.n76);
        EXPECT_EQ(word(72), c.n72);
        EXPECT_EQ(pointer(116), tableAddress(c.nTable));
        EXPECT_EQ(pointer(120), tableAddress(2));
        EXPECT_EQ(pointer(124), tableAddress(3));
        EXPECT_EQ(hostWord(&gst_ae_params, 56), uint32_t(c.nMode));
        EXPECT_EQ(hostWord(&gst_po_params, 20), uint32_t(c.nMode));
    }
}

TEST_P(SetModeTest, WritesOnlyTheModeWordOfEachHostBlock) {
    ASSERT_EQ(m_objPlugin.setMode(0, 0, 25, 1), 0);
    for (size_t off = 0; off < sizeof gst_ae_params; off += 4)
        EXPECT_EQ(hostWord(&gst_ae_params, off), off == 56 ? 1u : 0u) << "gst_ae_params offset " << off;
    for (size_t off = 0; off < sizeof gst_po_params; off += 4)
        EXPECT_EQ(hostWord(&gst_po_params, off), off == 20 ? 1u : 0u) << "gst_po_params offset " << off;
}

TEST_P(SetModeTest, DefaultModeFollowsTheHostsWord84) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    m_objPlugin.ae()->word_084 = 33000;
    ASSERT_EQ(m_objPlugin.setMode(0, 0, 25, 0), 0);
    EXPECT_EQ(word(72), 66u);
}

// Any rate and mode, before and after init: a defined result, never a trap.
TEST_P(SetModeTest, AnyRateAndModeGivesASaneBlock) {
    const unsigned rates[] = {0, 1, 2, 29, 30, 31, 1000, 0x80000000u, UINT_MAX};
    const int modes[] = {INT_MIN, -1, 0, 1, 2, INT_MAX};
    for (bool init : {false, true}) {
        if (init) {
            ASSERT_EQ(m_objPlugin.initAe(), 0);
        }
        for (unsigned fps : rates) {
            for (int mode : modes) {
                SCOPED_TRACE(testing::Message() << "init " << init << " fps " << fps << " mode " << mode);
                ASSERT_EQ(m_objPlugin.setMode(mode, ~mode, fps, mode), 0);
                // At most 30; a rate of 0 stays 0 except where mode 1 divides by it.
                const uint32_t nRate = fps == 0 && mode == 1 ? 25u : fps > 30 ? 30u : fps;
                EXPECT_EQ(word(28), nRate);
                EXPECT_GE(word(76), 33333u);
                EXPECT_LE(word(76), 1000000u);
                const uintptr_t table = pointer(116);
                EXPECT_TRUE(table == tableAddress(0) || table == tableAddress(1));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, SetModeTest, testing::ValuesIn(kPlugins), pluginName);

}  // namespace
}  // namespace plugintest
