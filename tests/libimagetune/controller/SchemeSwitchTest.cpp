// Switching schemes, the time windows, and the application's choice of scheme and parameter mode.
#include <future>
#include <thread>

#include "SchemeTestFixture.h"

namespace {

typedef ISensorController SC;

TEST_F(SchemeTest, FirstSwitchAppliesEveryKeyAndLaterOnesOnlyTheDifferences) {
    auto c = makeSchemes();
    TA::setCurScheme(*c, -1);
    ASSERT_EQ(TA::switchTo(*c, 0, false), 0);
    // Nothing was in force before: every key counts as changed, saturation included.
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{50});
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(TA::lastScheme(*c), -1);

    iasim::clearCalls();
    ASSERT_EQ(TA::switchTo(*c, 2, false), 0);
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(TA::lastScheme(*c), 0);
    EXPECT_EQ(setCommands(), (std::set<int>{KEY_BRIGHTNESS, KEY_DN_MODE}));
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{52});
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{1});
    EXPECT_EQ(TA::status(*c) & SC::STATUS_SWITCH, 0);

    // Schemes 2 and 3 differ only in brightness.
    iasim::clearCalls();
    ASSERT_EQ(TA::switchTo(*c, 3, false), 0);
    EXPECT_EQ(setCommands(), std::set<int>{KEY_BRIGHTNESS});
}

TEST_F(SchemeTest, ForcedSwitchAppliesEveryKeyWithoutRewritingTheCache) {
    auto c = makeSchemes();
    ASSERT_EQ(TA::switchTo(*c, 3, true), 0);
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{53});
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{1});
    EXPECT_EQ(TA::curScheme(*c), 3);
    EXPECT_EQ(cached(*c, 3, KEY_BRIGHTNESS), 53u);
}

// A failing key ends the apply, but the switch counts as done.
TEST_F(SchemeTest, IncrementalSwitchThatFailsIsReportedAndStillDone) {
    auto c = makeSchemes();
    iasim::failCommand(KEY_BRIGHTNESS, IA_CMD_OPT_SET, -1);
    testsupport::StdoutCapture objOut;
    objOut.start();
    EXPECT_EQ(TA::switchTo(*c, 2, false), 0);
    std::string strOut = objOut.stop();
    EXPECT_NE(strOut.find("SNS_SUCCESS == setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true)"),
              std::string::npos)
        << strOut;
    EXPECT_NE(strOut.find("m_nCurScheme(2) m_nKeyValSum(" + std::to_string(TA::keyValSum(*c)) + ")"), std::string::npos)
        << strOut;
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(TA::status(*c) & SC::STATUS_SWITCH, 0);
}

TEST_F(SchemeTest, SwitchToAnIndexWithoutStorageChangesNothing) {
    auto c = makeSchemes();
    for (int nScheme : {-1, 5, 1000}) {
        EXPECT_NE(TA::switchTo(*c, nScheme, false), 0) << nScheme;
        EXPECT_NE(TA::lprSwitchTo(*c, nScheme), 0) << nScheme;
    }
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(setCount(), 0u);

    ISensorController objBare;
    EXPECT_NE(TA::switchTo(objBare, 0, true), 0);
    EXPECT_NE(TA::lprSwitchTo(objBare, 0), 0);
    EXPECT_EQ(TA::curScheme(objBare), -1);
}

TEST_F(SchemeTest, LprSwitchForcesTheDayNightModeOffInTheAppliedCopyOnly) {
    auto c = makeSchemes();
    ASSERT_EQ(TA::lprSwitchTo(*c, 2), 0);
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{0});
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{52});
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});  // every key, not only the differences
    EXPECT_EQ(cached(*c, 2, KEY_DN_MODE), 1u);
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(TA::lastScheme(*c), 0);
    EXPECT_EQ(TA::status(*c) & SC::STATUS_SWITCH, 0);
}

TEST_F(SchemeTest, LprSwitchOnASchemeWithoutDayNightModeAppliesItUnchanged) {
    auto c = make(1, 2);
    // Replace the day/night mode key by a key no one forces.
    KeyVal* a = TA::scheme(*c, 1);
    for (u32 i = 0; i < TA::keyValSum(*c); ++i) {
        if (a[i].key == KEY_DN_MODE) a[i] = {KEY_SATURATION, 7};
    }
    TA::installLprScratch(*c);
    iasim::clearCalls();
    ASSERT_EQ(TA::lprSwitchTo(*c, 1), 0);
    EXPECT_TRUE(sent(KEY_DN_MODE).empty());
    EXPECT_EQ(sent(KEY_SATURATION), (std::vector<u32>{128, 7}));
}

struct WindowCase {
    const char* szName;
    std::vector<std::vector<u32>> vecWindows;  // {scheme, start h, start m, end h, end m}
    int nHour;
    int nMinute;
    int nScheme;
    int nSchedule;
};

class JudgeCurScheme : public SchemeTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(JudgeCurScheme, PicksTheFirstWindowHoldingTheTime) {
    const WindowCase& tc = GetParam();
    auto c = makeSchemes();
    for (const std::vector<u32>& w : tc.vecWindows) setWindow(*c, w[0], w[1], w[2], w[3], w[4]);
    qxsim::setLocalTime(tc.nHour, tc.nMinute);
    int nScheme = -7;
    int nSchedule = -7;
    EXPECT_EQ(TA::judgeCurScheme(*c, nScheme, nSchedule), 0);
    EXPECT_EQ(nScheme, tc.nScheme);
    EXPECT_EQ(nSchedule, tc.nSchedule);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JudgeCurScheme,
    ::testing::Values(WindowCase{"LowerIndexWins", {{2, 8, 0, 18, 0}, {1, 7, 0, 9, 0}}, 8, 30, 1, 1},
                      WindowCase{"StartIsInside", {{2, 8, 0, 18, 0}}, 8, 0, 2, 1},
                      WindowCase{"LastMinuteIsInside", {{2, 8, 0, 18, 0}}, 17, 59, 2, 1},
                      WindowCase{"EndIsExclusive", {{2, 8, 0, 18, 0}}, 18, 0, 0, 0},
                      WindowCase{"WindowsDoNotWrapLate", {{3, 22, 0, 6, 0}}, 23, 0, 0, 0},
                      WindowCase{"WindowsDoNotWrapEarly", {{3, 22, 0, 6, 0}}, 5, 0, 0, 0},
                      WindowCase{"NoWindowGivesSchemeZero", {}, 12, 0, 0, 0},
                      WindowCase{"SchemeZeroMayHaveAWindow", {{0, 11, 0, 13, 0}, {1, 11, 0, 13, 0}}, 12, 0, 0, 1},
                      WindowCase{"FactorySlotIsNeverConsidered", {{4, 0, 0, 24, 0}}, 12, 0, 0, 0},
                      // 42949673 * 100 wraps to 4 in 32 bits: a corrupt hour must not open a window at 00:04.
                      WindowCase{"CorruptHourDoesNotWrap", {{2, 42949673, 0, 24, 0}}, 8, 0, 0, 0}),
    [](const ::testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.szName); });

TEST_F(SchemeTest, JudgeCurSchemeWithoutSchemesGivesSchemeZero) {
    ISensorController c;
    int nScheme = 3;
    int nSchedule = 1;
    EXPECT_EQ(TA::judgeCurScheme(c, nScheme, nSchedule), 0);
    EXPECT_EQ(nScheme, 0);
    EXPECT_EQ(nSchedule, 0);
}

TEST_F(SchemeTest, ParamSchemeTimeReadsTheCurrentHeaderOnly) {
    auto c = makeSchemes();
    setWindow(*c, 2, 7, 15, 19, 45);
    ASSERT_EQ(TA::switchTo(*c, 2, false), 0);
    EXPECT_EQ(c->getParamSchemeTime(8001), 7);
    EXPECT_EQ(c->getParamSchemeTime(8002), 15);
    EXPECT_EQ(c->getParamSchemeTime(8003), 19);
    EXPECT_EQ(c->getParamSchemeTime(8004), 45);
    EXPECT_EQ(c->getParamSchemeTime(8000), -1);
    EXPECT_EQ(c->getParamSchemeTime(34), -1);

    TA::setCurScheme(*c, -1);
    EXPECT_EQ(c->getParamSchemeTime(8001), -1);
    ISensorController objBare;
    EXPECT_EQ(objBare.getParamSchemeTime(8003), -1);
}

TEST_F(SchemeTest, SetParamSchemeAcceptsEveryStoredSchemeIncludingTheFactoryOne) {
    auto c = makeSchemes();
    testsupport::StdoutCapture objOut;
    objOut.start();
    EXPECT_TRUE(c->setParamScheme(4));
    std::string strOut = objOut.stop();
    EXPECT_EQ(strOut.find("[sensor assert]"), std::string::npos) << strOut;
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{54});
    int nScheme = -1;
    EXPECT_TRUE(c->getParamScheme(nScheme));
    EXPECT_EQ(nScheme, 4);
    // Nothing is saved and the parameter mode stays.
    EXPECT_FALSE(m_root.exists("/mnt/mtd/code/config_file/sensor1_4.cfg"));
    EXPECT_EQ(TA::paramMode(*c), 1);
}

TEST_F(SchemeTest, SetParamSchemeOutOfRangeReportsAndSwitchesNothing) {
    auto c = makeSchemes();
    for (int nScheme : {5, -1}) {
        testsupport::StdoutCapture objOut;
        objOut.start();
        EXPECT_FALSE(c->setParamScheme(nScheme));
        std::string strOut = objOut.stop();
        EXPECT_NE(strOut.find("p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum"), std::string::npos)
            << strOut;
        EXPECT_NE(strOut.find("p_nScheme(" + std::to_string(nScheme) + ")"), std::string::npos) << strOut;
    }
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(setCount(), 0u);
}

TEST_F(SchemeTest, SchemeAndModeOperationsAreSafeWithoutSchemes) {
    ISensorController c;
    int nScheme = 9;
    EXPECT_TRUE(c.getParamScheme(nScheme));
    EXPECT_EQ(nScheme, -1);
    EXPECT_FALSE(c.setParamScheme(0));
    EXPECT_FALSE(c.setParamScheme(1));
    EXPECT_EQ(TA::curScheme(c), -1);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(SchemeTest, SetParamModeKeepsAnyValueButReportsAllButZeroAndOne) {
    auto c = makeSchemes();
    struct ModeCase {
        int nMode;
        bool bReport;
    };
    for (const ModeCase& tc : {ModeCase{0, false}, ModeCase{1, false}, ModeCase{2, true}, ModeCase{-3, true}}) {
        testsupport::StdoutCapture objOut;
        objOut.start();
        EXPECT_TRUE(c->setParamMode(tc.nMode));
        std::string strOut = objOut.stop();
        EXPECT_EQ(strOut.find("0 == p_nMode || 1 == p_nMode") != std::string::npos, tc.bReport) << tc.nMode;
        int nMode = 99;
        EXPECT_TRUE(c->getParamMode(nMode));
        EXPECT_EQ(nMode, tc.nMode);
    }
}

// A scheme change waits while another long operation is under way, holding the mutex, and then goes ahead.
TEST_F(SchemeTest, SetParamSchemeAndModeWaitWhileBusy) {
    auto c = makeSchemes();
    TA::setStatus(*c, SC::STATUS_RESTORE);
    std::future<bool> objScheme = std::async(std::launch::async, [&] { return c->setParamScheme(2); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(TA::curScheme(*c), 0);
    TA::setStatus(*c, 0);
    EXPECT_TRUE(objScheme.get());
    EXPECT_EQ(TA::curScheme(*c), 2);

    TA::setStatus(*c, SC::STATUS_RESET);
    std::future<bool> objMode = std::async(std::launch::async, [&] { return c->setParamMode(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(TA::paramMode(*c), 1);
    TA::setStatus(*c, 0);
    EXPECT_TRUE(objMode.get());
    EXPECT_EQ(TA::paramMode(*c), 0);
}

}  // namespace
