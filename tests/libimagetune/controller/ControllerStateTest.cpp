// The controller object: defaults, channel identity, the scheme-window check, the key cache and the
// process-wide display flags.
#include "ControllerFixture.h"

namespace {

TEST_F(ControllerTest, NewObjectHasItsDefaultsAndNoArrays) {
    ISensorController c;
    EXPECT_FALSE(c.getSensorStatus());
    EXPECT_EQ(TA::curScheme(c), -1);
    EXPECT_EQ(TA::lastScheme(c), -1);
    EXPECT_EQ(TA::paramMode(c), 1);
    EXPECT_EQ(TA::keyCmdSum(c), 170u);
    EXPECT_EQ(TA::version(c), 8u);
    EXPECT_EQ(TA::cameraID(c), 1);
    EXPECT_FALSE(TA::hasArrays(c));
    EXPECT_EQ(c.getSensorType(), 0);
}

TEST_F(ControllerTest, OperationsBeforeInitAreSafe) {
    ISensorController c;
    u32 v = 7;
    EXPECT_EQ(c.getKeyValFromCache(0, 34, v), -1);
    EXPECT_EQ(v, 7u);
    EXPECT_EQ(c.setKeyValToCache(0, 34, 1, true), -1);
    EXPECT_EQ(c.paramCheck(), 0);
    iasim::clearCalls();
    // No map yet: the write is refused with the key, and nothing reaches the IA library.
    EXPECT_EQ(c.setParameter(34, 50, true), -34);
    EXPECT_EQ(c.setParameters("(2337,1)(34,2)", false), -2337);
    EXPECT_EQ(c.setParameters("no pairs", true), 0);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(ControllerTest, ReleaseArraysTwiceIsSafe) {
    auto c = make();
    EXPECT_TRUE(TA::hasArrays(*c));
    TA::releaseArrays(*c);
    EXPECT_FALSE(TA::hasArrays(*c));
    TA::releaseArrays(*c);
    EXPECT_FALSE(TA::hasArrays(*c));
}

// The destructor frees what is still installed; the leak checker of sanitizer builds sees it otherwise.
TEST_F(ControllerTest, DestructorReleasesInstalledArrays) {
    auto c = make();
    c.reset();
    SUCCEED();
}

struct ChannelCase {
    int nDeviceType;
    int nChannel;
    int nExpectedId;
    bool bThermal;
};

class SetChannelID : public ControllerTest, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(SetChannelID, FollowsTheDeviceType) {
    const ChannelCase& tc = GetParam();
    m_root.write("/mnt/mtd/code/factory_setting/machineinfo.ini",
                 "deviceType=" + std::to_string(tc.nDeviceType) + "\n");
    ISensorController c;
    c.setChannelID(tc.nChannel);
    EXPECT_EQ(TA::cameraID(c), tc.nExpectedId);
    EXPECT_EQ(TA::thermal(c), tc.bThermal);
}

INSTANTIATE_TEST_SUITE_P(Table, SetChannelID,
                         ::testing::Values(ChannelCase{13, 1, 2, true},  // thermal-only camera: always channel 2
                                           ChannelCase{13, 3, 2, true},
                                           ChannelCase{17, 2, 2, true},  // channel 2 of a double-sensor type
                                           ChannelCase{14, 2, 2, true}, ChannelCase{19, 2, 2, true},
                                           ChannelCase{23, 2, 2, true},
                                           ChannelCase{14, 1, 1, false},  // its visible channel
                                           ChannelCase{1, 2, 2, false},   // a plain camera has no thermal channel
                                           ChannelCase{8, 2, 2, false}, ChannelCase{17, 3, 3, false}));

TEST_F(ControllerTest, ThermalFlagIsNeverCleared) {
    m_root.write("/mnt/mtd/code/factory_setting/machineinfo.ini", "deviceType=17\n");
    ISensorController c;
    c.setChannelID(2);
    c.setChannelID(1);
    EXPECT_EQ(TA::cameraID(c), 1);
    EXPECT_TRUE(TA::thermal(c));
}

struct WindowCase {
    u32 nStartH, nStartM, nEndH, nEndM;
    int nExpected;
};

class ParamCheck : public ControllerTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(ParamCheck, ValidatesTheCurrentWindow) {
    const WindowCase& tc = GetParam();
    auto c = make();
    TA::setCurScheme(*c, 2);
    KeyVal* a = TA::scheme(*c, 2);
    a[1].value = tc.nStartH;
    a[2].value = tc.nStartM;
    a[3].value = tc.nEndH;
    a[4].value = tc.nEndM;
    EXPECT_EQ(c->paramCheck(), tc.nExpected);
}

INSTANTIATE_TEST_SUITE_P(Table, ParamCheck,
                         ::testing::Values(WindowCase{24, 0, 24, 1, 506}, WindowCase{8, 0, 8, 0, 507},
                                           WindowCase{24, 1, 0, 0, 505}, WindowCase{24, 1, 99, 0, 505},
                                           WindowCase{7, 59, 8, 0, 0}, WindowCase{0, 0, 24, 0, 0},
                                           WindowCase{10, 0, 9, 0, 507}));

TEST_F(ControllerTest, CacheReadsUserAndFactorySlotsOnly) {
    auto c = make(1, 4);
    TA::scheme(*c, 4)[5].value = 77;  // factory brightness
    TA::scheme(*c, 3)[5].value = 33;
    u32 v = 0;
    EXPECT_EQ(c->getKeyValFromCache(3, 34, v), 5);
    EXPECT_EQ(v, 33u);
    EXPECT_EQ(c->getKeyValFromCache(4, 34, v), 5);
    EXPECT_EQ(v, 77u);
    v = 1;
    EXPECT_EQ(c->getKeyValFromCache(5, 34, v), -1);
    EXPECT_EQ(c->getKeyValFromCache(0, 12345, v), -1);
    EXPECT_EQ(c->getKeyValFromCache(static_cast<u32>(-1), 34, v), -1);
    EXPECT_EQ(v, 1u);
}

TEST_F(ControllerTest, InvalidSchemeReadPrintsAtDebugLevelSix) {
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    testsupport::StdoutCapture cap;
    cap.start();
    u32 v = 0;
    c->getKeyValFromCache(9, 34, v);
    std::string out = cap.stop();
    EXPECT_NE(out.find("can not find val, invalid sheme(9) \n"), std::string::npos) << out;
}

struct CacheWriteCase {
    u32 nScheme;
    u32 nKey;
    bool bForce;
    int nExpected;
};

class SetKeyValToCache : public ControllerTest, public ::testing::WithParamInterface<CacheWriteCase> {};

TEST_P(SetKeyValToCache, RefusesTheFactorySlotUnlessForced) {
    const CacheWriteCase& tc = GetParam();
    auto c = make(1, 4);
    EXPECT_EQ(c->setKeyValToCache(tc.nScheme, tc.nKey, 99, tc.bForce), tc.nExpected);
    if (tc.nExpected >= 0) {
        EXPECT_EQ(cached(*c, tc.nScheme, tc.nKey), 99u);
    }
    // Nothing else changed: every other scheme keeps brightness 50.
    for (u32 s = 0; s <= 4; ++s) {
        if (tc.nExpected >= 0 && s == tc.nScheme && tc.nKey == 34) continue;
        EXPECT_EQ(cached(*c, s, 34), 50u) << "scheme " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SetKeyValToCache,
                         ::testing::Values(CacheWriteCase{0, 34, false, 5}, CacheWriteCase{3, 34, false, 5},
                                           CacheWriteCase{4, 34, false, -2}, CacheWriteCase{4, 34, true, 5},
                                           CacheWriteCase{5, 34, true, -2}, CacheWriteCase{0, 9999, false, -1},
                                           CacheWriteCase{static_cast<u32>(-1), 34, true, -2}));

}  // namespace
