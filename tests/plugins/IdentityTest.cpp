// Identity and version checks, the frame rate from the mains, and the two reserved operations.
#include <cstring>
#include <string>
#include <vector>

#include "PluginFixture.h"

namespace plugintest {
namespace {

using IdentityTest = PluginTest;

// The text and its terminating zero, and not one byte more.
void expectText(const char* p_pBuffer, size_t p_nSize, const std::string& p_strText) {
    ASSERT_LT(p_strText.size() + 1, p_nSize);
    EXPECT_EQ(std::string(p_pBuffer, p_strText.size()), p_strText);
    EXPECT_EQ(p_pBuffer[p_strText.size()], '\0');
    for (size_t n = p_strText.size() + 1; n < p_nSize; ++n)
        EXPECT_EQ(p_pBuffer[n], '\x7e') << "byte " << n << " after \"" << p_strText << "\" was written";
}

TEST_P(IdentityTest, InfoGivesPlatformSensorIdentAndBuildStamp) {
    char platform[32], sensor[32], ident[32], build[64];
    for (char* b : {platform, sensor, ident}) std::memset(b, 0x7e, 32);
    std::memset(build, 0x7e, sizeof build);

    ASSERT_EQ(m_objPlugin.getInfo(platform, sensor, ident, build), 0);
    expectText(platform, sizeof platform, "vt512ka");
    expectText(sensor, sizeof sensor, GetParam().szName);
    expectText(ident, sizeof ident, "s00000");
    expectText(build, sizeof build, GetParam().szBuild);
}

TEST_P(IdentityTest, InfoSkipsMissingBuffers) {
    char sensor[16];
    std::memset(sensor, 0x7e, sizeof sensor);
    EXPECT_EQ(m_objPlugin.getInfo(nullptr, sensor, nullptr, nullptr), 0);
    expectText(sensor, sizeof sensor, GetParam().szName);
}

struct VersionCase {
    const char* szPlatform;
    const char* szVersion;  // nullptr in the table: the plug-in's own
    bool bAccepted;
};

const VersionCase kVersionCases[] = {
    {"vt512ka", nullptr, true},   {"vt512kb", nullptr, false}, {"VT512KA", nullptr, false},
    {"vt512ka ", nullptr, false}, {"vt512k", nullptr, false},  {"", nullptr, false},
    {"vt512ka", "", false},       {"vt512ka", "b002", false},  {"vt512ka", "b00240", false},
    {"vt512ka", "B0024", false},
};

TEST_P(IdentityTest, CheckVersionWantsExactPlatformAndVersion) {
    for (const VersionCase& c : kVersionCases) {
        const char* version = c.szVersion ? c.szVersion : GetParam().szVersion;
        EXPECT_EQ(m_objPlugin.checkVersion(c.szPlatform, version), c.bAccepted ? 0 : -1)
            << "\"" << c.szPlatform << "\", \"" << version << "\"";
    }
    EXPECT_EQ(m_objPlugin.checkVersion(nullptr, GetParam().szVersion), -1);
    EXPECT_EQ(m_objPlugin.checkVersion("vt512ka", nullptr), -1);
}

TEST_P(IdentityTest, EachPluginAcceptsOnlyItsOwnVersion) {
    const bool old = std::strcmp(GetParam().szVersion, "b0023") == 0;
    EXPECT_EQ(m_objPlugin.checkVersion("vt512ka", "b0023"), old ? 0 : -1);
    EXPECT_EQ(m_objPlugin.checkVersion("vt512ka", "b0024"), old ? -1 : 0);
}

TEST_P(IdentityTest, ReservedOperationsReturnZeroAndTouchNothing) {
    ASSERT_EQ(m_objPlugin.initAe(), 0);
    std::vector<unsigned char> before(sizeof(sensor_ae_attr_st));
    std::memcpy(before.data(), ae(), before.size());

    for (int arg : {0, 1, -1, 0x7fffffff}) EXPECT_EQ(m_objPlugin.reserved1(arg), 0);
    EXPECT_EQ(m_objPlugin.reserved2(), 0);
    EXPECT_EQ(std::memcmp(before.data(), ae(), before.size()), 0);
    EXPECT_TRUE(isphost::calls().empty());
}

struct PowerCase {
    int nMainsHz;
    int nPad;
    int nSetResult;
    unsigned nFps;
};

const PowerCase kPowerCases[] = {
    {50, 0, 0, 25}, {60, 0, 0, 30}, {60, 3, 0, 30},
    {0, 1, 0, 25},  {59, 0, 0, 25}, {60, 0, -7, 30},  // the driver's refusal is passed back
};

TEST_P(IdentityTest, FrameRateFollowsTheMainsOnlyWhereTheSensorHasIt) {
    for (const PowerCase& c : kPowerCases) {
        SCOPED_TRACE(testing::Message() << c.nMainsHz << " Hz, pad " << c.nPad);
        isphost::reset();
        isphost::setMainsHz(c.nMainsHz);
        isphost::setSetFpsResult(c.nSetResult);
        const int rc = m_objPlugin.setFpsByPower(c.nPad);
        if (!GetParam().bFpsByPower) {
            EXPECT_EQ(rc, 0);
            EXPECT_TRUE(isphost::calls().empty());
            continue;
        }
        EXPECT_EQ(rc, c.nSetResult);
        const std::vector<isphost::HostCall> want = {
            {isphost::HostCallKind::GetFps, c.nPad, 0},
            {isphost::HostCallKind::PowerHz, c.nPad, 0},
            {isphost::HostCallKind::SetFps, c.nPad, c.nFps},
        };
        EXPECT_TRUE(isphost::calls() == want);
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, IdentityTest, testing::ValuesIn(kPlugins), pluginName);

}  // namespace
}  // namespace plugintest
