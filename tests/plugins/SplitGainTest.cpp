// pfn_split_gain: sensor gain first, then digital, then the ISP gain in whole unity steps, each in its limit.
#include <climits>
#include <vector>

#include "PluginFixture.h"

namespace plugintest {
namespace {

struct Gains {
    unsigned nSensor;
    unsigned nDigital;
    unsigned nIsp;
    bool operator==(const Gains& o) const { return nSensor == o.nSensor && nDigital == o.nDigital && nIsp == o.nIsp; }
};

std::ostream& operator<<(std::ostream& os, const Gains& g) {
    return os << "{" << g.nSensor << ", " << g.nDigital << ", " << g.nIsp << "}";
}

struct SplitCase {
    unsigned nTotal;
    Gains objF;  // limits 75776, 2048, 16384
    Gains objH;  // limits 31744, 4096, 16384
};

const SplitCase kSplitCases[] = {
    {0, {1024, 1024, 1024}, {1024, 1024, 1024}},
    {1023, {1024, 1024, 1024}, {1024, 1024, 1024}},
    {1024, {1024, 1024, 1024}, {1024, 1024, 1024}},
    {2048, {2048, 1024, 1024}, {2048, 1024, 1024}},
    {40000, {40000, 1024, 1024}, {31744, 1290, 1024}},
    {153600, {75776, 2048, 1024}, {31744, 4096, 1024}},
    {1024000, {75776, 2048, 6144}, {31744, 4096, 8192}},
    {2000000, {75776, 2048, 13312}, {31744, 4096, 15360}},
    {4194303, {75776, 2048, 16384}, {31744, 4096, 16384}},
    // From here total * 1024 needs more than 32 bits.
    {4194304, {75776, 2048, 16384}, {31744, 4096, 16384}},
    {5000000, {75776, 2048, 16384}, {31744, 4096, 16384}},
    {UINT_MAX, {75776, 2048, 16384}, {31744, 4096, 16384}},
};

using SplitGainTest = PluginTest;

Gains split(isphost::SensorPlugin& p_objPlugin, unsigned p_nTotal) {
    Gains g{0, 0, 0};
    EXPECT_EQ(p_objPlugin.splitGain(p_nTotal, &g.nSensor, &g.nDigital, &g.nIsp), 0);
    return g;
}

TEST_P(SplitGainTest, SplitsWithinThePluginsLimits) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    for (const SplitCase& c : kSplitCases)
        EXPECT_EQ(split(m_objPlugin, c.nTotal), GetParam().bColumnF ? c.objF : c.objH) << "total " << c.nTotal;
}

// Rising totals never lower a gain, every gain stays in [1024, limit], and the ISP gain moves in unity steps.
TEST_P(SplitGainTest, GainsRiseWithTheTotalAcrossTheWholeRange) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    std::vector<unsigned> totals;
    for (uint64_t t = 1; t <= UINT_MAX; t = t * 9 / 8 + 1) totals.push_back(unsigned(t));
    totals.push_back(UINT_MAX);

    const Gains limits{ae()->max_sensor_gain, ae()->max_digital_gain, ae()->max_isp_gain};
    Gains last{1024, 1024, 1024};
    for (unsigned total : totals) {
        SCOPED_TRACE(testing::Message() << "total " << total);
        const Gains g = split(m_objPlugin, total);
        EXPECT_GE(g.nSensor, last.nSensor);
        EXPECT_GE(g.nDigital, last.nDigital);
        EXPECT_GE(g.nIsp, last.nIsp);
        EXPECT_LE(g.nSensor, limits.nSensor);
        EXPECT_LE(g.nDigital, limits.nDigital);
        EXPECT_LE(g.nIsp, limits.nIsp);
        EXPECT_GE(g.nDigital, 1024u);
        EXPECT_EQ(g.nIsp % 1024, 0u);
        last = g;
    }
    EXPECT_EQ(last, limits);
}

TEST_P(SplitGainTest, FollowsLimitsTheHostChanged) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    m_objPlugin.ae()->max_sensor_gain = 4096;
    m_objPlugin.ae()->max_digital_gain = 1024;
    m_objPlugin.ae()->max_isp_gain = 3072;
    EXPECT_EQ(split(m_objPlugin, 1024000), (Gains{4096, 1024, 3072}));
}

// Before pfn_init_ae every limit is zero: unity gains rather than a division by zero.
TEST_P(SplitGainTest, BeforeInitEveryGainIsUnity) {
    for (unsigned total : {0u, 1024u, 153600u, UINT_MAX})
        EXPECT_EQ(split(m_objPlugin, total), (Gains{1024, 1024, 1024}));
}

TEST_P(SplitGainTest, MissingOutputsAreSkipped) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    unsigned digital = 0;
    EXPECT_EQ(m_objPlugin.splitGain(153600, nullptr, &digital, nullptr), 0);
    EXPECT_EQ(digital, GetParam().bColumnF ? 2048u : 4096u);
    EXPECT_EQ(m_objPlugin.splitGain(153600, nullptr, nullptr, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(Plugins, SplitGainTest, testing::ValuesIn(kPlugins), pluginName);

}  // namespace
}  // namespace plugintest
