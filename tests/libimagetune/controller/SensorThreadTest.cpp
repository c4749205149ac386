// The background thread's pass: day/night and time-schedule switching, LPR mode, standing aside while busy or
// while the controller mutex is taken, and the field-of-view request.
#include <chrono>
#include <future>
#include <thread>

#include "SchemeTestFixture.h"

namespace {

typedef ISensorController SC;

const char* const FOV_FILE = "/mnt/mtd/hd1/program/config/sync_fov.ini";

TEST_F(SchemeTest, DayNightModeSwitchesIncrementallyOnlyOnAChange) {
    auto c = makeSchemes();
    setSchemeMode(*c, 2);
    iasim::setDayNight(0, 0);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(setCount(), 0u);

    iasim::setValue(0, 153, 5);  // any nonzero state is night
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 1);
    EXPECT_EQ(TA::lastScheme(*c), 0);
    // Incremental: brightness differs; saturation, the same in both, is not sent again.
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{51});
    EXPECT_TRUE(sent(KEY_SATURATION).empty());

    iasim::clearCalls();
    for (int i = 0; i < 3; ++i) TA::sensorThread(*c);
    EXPECT_EQ(setCount(), 0u);
    EXPECT_EQ(iasim::calls(153).size(), 3u);  // one state read per pass, nothing else

    iasim::setValue(0, 153, 0);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
}

TEST_F(SchemeTest, DayNightModeCountsAFailedStateReadAsDay) {
    auto c = makeSchemes();
    setSchemeMode(*c, 2);
    TA::setCurScheme(*c, 1);
    iasim::setValue(0, 153, 1);
    iasim::failCommand(153, IA_CMD_OPT_GET, -1);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
}

TEST_F(SchemeTest, TimeScheduleFollowsTheWindows) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    setWindow(*c, 2, 8, 0, 18, 0);
    struct Step {
        int nHour, nMinute, nScheme;
    };
    for (const Step& st : {Step{7, 59, 0}, Step{8, 0, 2}, Step{12, 0, 2}, Step{18, 0, 0}, Step{8, 0, 2}}) {
        qxsim::setLocalTime(st.nHour, st.nMinute);
        iasim::clearCalls();
        int nBefore = TA::curScheme(*c);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), st.nScheme) << st.nHour << ":" << st.nMinute;
        // A switch happens only on a change, and then only the differences are applied.
        EXPECT_EQ(sent(KEY_BRIGHTNESS).size(), nBefore == st.nScheme ? 0u : 1u);
        EXPECT_TRUE(sent(KEY_SATURATION).empty());
    }
}

TEST_F(SchemeTest, FixedSchemeModeNeverSwitches) {
    auto c = makeSchemes();
    setWindow(*c, 2, 0, 0, 24, 0);
    iasim::setValue(0, 153, 1);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(SchemeTest, LprModeForcesEntryIntoTheWindowsAndSwitchesIncrementallyBetweenThem) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    TA::setLprMode(*c, true);
    setWindow(*c, 2, 8, 0, 12, 0);
    setWindow(*c, 3, 12, 0, 18, 0);
    ASSERT_EQ(TA::lastSchedule(*c), 255u);

    // First decision, inside scheme 2's window: every key applied.
    qxsim::setLocalTime(9, 0);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(TA::lastSchedule(*c), 1u);
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{1});

    // Still inside the same window: nothing.
    iasim::clearCalls();
    TA::sensorThread(*c);
    EXPECT_EQ(setCount(), 0u);

    // Straight into scheme 3's window: only the differences.
    qxsim::setLocalTime(12, 0);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 3);
    EXPECT_EQ(setCommands(), std::set<int>{KEY_BRIGHTNESS});
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{53});
}

TEST_F(SchemeTest, LprModeOutsideTheWindowsFollowsDayAndNightWithDayNightModeOff) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    TA::setLprMode(*c, true);
    setWindow(*c, 2, 8, 0, 12, 0);
    qxsim::setLocalTime(20, 0);
    iasim::setValue(0, 153, 0);

    // The day scheme is already current, yet the first pass outside applies it in full.
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(TA::lastSchedule(*c), 0u);
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{0});

    iasim::clearCalls();
    TA::sensorThread(*c);
    EXPECT_EQ(setCount(), 0u);

    // Night: the night scheme in full, its day/night mode (2) forced to 0 in what is applied only.
    iasim::setValue(0, 153, 1);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 1);
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{0});
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{51});
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(cached(*c, 1, KEY_DN_MODE), 2u);

    // Back into a window from outside: forced again.
    iasim::clearCalls();
    qxsim::setLocalTime(8, 0);
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{1});
}

TEST_F(SchemeTest, BusyControllerDefersTheDecisionToTheNextPass) {
    for (uint8_t nBit : {SC::STATUS_RESET, SC::STATUS_RESTORE, SC::STATUS_SWITCH}) {
        SCOPED_TRACE(static_cast<int>(nBit));
        auto c = makeSchemes();
        setSchemeMode(*c, 1);
        setWindow(*c, 2, 0, 0, 24, 0);
        TA::setStatus(*c, nBit);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 0);
        EXPECT_EQ(setCount(), 0u);
        TA::setStatus(*c, 0);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 2);
    }
}

// The thread's pass never waits for the controller mutex (a holder may be stopping the thread): it serves the
// request, posts its decision and, after a bounded wait, leaves it to the holder, who makes it on release.
TEST_F(SchemeTest, PassPostsItsDecisionWhileTheMutexIsTakenAndServesTheRequest) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    setWindow(*c, 2, 0, 0, 24, 0);
    m_root.write(FOV_FILE, "zoom1=300,focus1=200,\n");
    ISensorController::m_nPassKeycmd = 8104;
    ISensorController::m_nChanneldDosomething = 1;

    std::promise<void> objLocked;
    std::promise<void> objRelease;
    std::thread objHolder([&] {
        auto objLock = TA::lockController(*c);
        objLocked.set_value();
        objRelease.get_future().wait();
    });
    objLocked.get_future().wait();
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(sent(CMD_ZOOM_VALUE), std::vector<u32>{300});
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);
    objRelease.set_value();
    objHolder.join();
    EXPECT_EQ(TA::curScheme(*c), 2) << "the holder made the posted decision as it released the lock";

    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 2);
}

// init's synchronous pass: waiting for the lock when called directly, using its caller's inside a reset.
TEST_F(SchemeTest, SynchronousPassesDecideWhetherOrNotTheCallerHoldsTheMutex) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    setWindow(*c, 2, 0, 0, 24, 0);
    TA::sensorPassWaiting(*c);
    EXPECT_EQ(TA::curScheme(*c), 2);

    setWindow(*c, 3, 0, 0, 24, 0);
    setWindow(*c, 2, 0, 0, 0, 0);
    {
        auto objLock = TA::lockController(*c);
        TA::sensorPassLockHeld(*c);
    }
    EXPECT_EQ(TA::curScheme(*c), 3);
}

TEST_F(SchemeTest, ParamModeZeroSwitchesNothingButServesTheRequest) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    setWindow(*c, 2, 0, 0, 24, 0);
    ASSERT_TRUE(c->setParamMode(0));
    m_root.write(FOV_FILE, "zoom1=250,\n");
    ISensorController::m_nPassKeycmd = 8104;
    ISensorController::m_nChanneldDosomething = 1;
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 0);
    EXPECT_EQ(sent(CMD_ZOOM_VALUE), std::vector<u32>{250});
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);

    // Any nonzero mode is automatic.
    ASSERT_TRUE(c->setParamMode(2));
    TA::sensorThread(*c);
    EXPECT_EQ(TA::curScheme(*c), 2);
}

TEST_F(SchemeTest, PassWithoutSchemesDoesNothing) {
    ISensorController c;
    TA::setSchemeModes(c, true, false);
    EXPECT_EQ(TA::sensorThread(c), 0);
    TA::setSchemeModes(c, false, true);
    EXPECT_EQ(TA::sensorThread(c), 0);
    EXPECT_EQ(TA::curScheme(c), -1);
    EXPECT_TRUE(iasim::calls().empty());
}

// A request made through any channel's key map is served by channel 1's thread with channel 1's zoom.
TEST_F(SchemeTest, FovRequestOfAnotherChannelIsServedByChannelOne) {
    auto c1 = makeSchemes();
    auto c3 = makeSchemes();
    c3->setChannelID(3);
    m_root.write(FOV_FILE, "zoom3=333,focus3=1,\nzoom1=111,focus1=1,\n");
    ASSERT_EQ(c3->setParameter(8104, 1, false), 0);
    iasim::clearCalls();

    TA::sensorThread(*c3);
    EXPECT_TRUE(iasim::calls(CMD_ZOOM_VALUE).empty());
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), 1);

    TA::sensorThread(*c1);
    ASSERT_EQ(iasim::calls(CMD_ZOOM_VALUE).size(), 1u);
    EXPECT_EQ(iasim::calls(CMD_ZOOM_VALUE)[0].nChannel, 0);
    EXPECT_EQ(sent(CMD_ZOOM_VALUE), std::vector<u32>{111});
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);

    // Served once only.
    TA::sensorThread(*c1);
    EXPECT_EQ(iasim::calls(CMD_ZOOM_VALUE).size(), 1u);
}

struct FovCase {
    const char* szName;
    std::string strFile;  // empty: no file
    std::vector<u32> vecZoom;
};

class SyncFov : public SchemeTest, public ::testing::WithParamInterface<FovCase> {};

TEST_P(SyncFov, AppliesTheChannelsZoom) {
    const FovCase& tc = GetParam();
    auto c = makeSchemes();
    if (!tc.strFile.empty()) m_root.write(FOV_FILE, tc.strFile);
    EXPECT_TRUE(TA::syncFov(*c));
    EXPECT_EQ(sent(CMD_ZOOM_VALUE), tc.vecZoom);
}

const std::string HUGE_LINE(1 << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, SyncFov,
    ::testing::Values(
        FovCase{"OneLineWithBoth", "zoom1=300,focus1=200\n", {300}},
        FovCase{"EqualsWithoutCommaIsIgnored", "zoom1=300\nfocus1=200,\n", {}},
        FovCase{"SearchStopsOnceBothArePositive", "zoom1=300,focus1=200,\nzoom1=400,focus1=500,\n", {300}},
        FovCase{"LaterMatchOverwrites", "zoom1=10,\nzoom1=20,\n", {20}},
        FovCase{"ChannelTextMatchesInsideALongerOne", "zoom12=40,\n", {40}},
        FovCase{"OtherChannelOnly", "zoom2=40,focus2=3,\n", {}}, FovCase{"ZeroLeavesTheZoom", "zoom1=0,\n", {}},
        FovCase{"NegativeLeavesTheZoom", "zoom1=-5,\n", {}},
        FovCase{"LaterZeroOverwritesAnEarlierValue", "zoom1=60,\nzoom1=0,\n", {}}, FovCase{"NoFile", "", {}},
        FovCase{"EmptyLines", "\n\n\n", {}}, FovCase{"NoNewlineAtTheEnd", "zoom1=70,", {70}},
        FovCase{"CarriageReturns", "zoom1=60,\r\nfocus1=5,\r\n", {60}},
        FovCase{"BlanksBeforeTheNumber", "zoom1=  45,\n", {45}},
        FovCase{"LargestInt", "zoom1=2147483647,\n", {2147483647u}},
        // Beyond 32 bits the number is no zoom at all: it neither applies nor overwrites.
        FovCase{"NumberBeyond32Bits", "zoom1=99999999999,\n", {}},
        FovCase{"NumberBeyond64Bits", "zoom1=999999999999999999999999,\n", {}},
        FovCase{"OutOfRangeKeepsTheEarlierValue", "zoom1=50,\nzoom1=4294967296,\n", {50}},
        FovCase{"HugeLineBeforeTheEntry", HUGE_LINE + "zoom1=33,\n", {33}},
        FovCase{"HugeLineWithoutAnEntry", HUGE_LINE, {}},
        FovCase{"HugeNumber", "zoom1=" + std::string(100000, '9') + ",\n", {}},
        FovCase{"EqualsAtTheVeryEnd", "zoom1=", {}},
        FovCase{"NulBytesInALine", std::string("zo\0om1=5,\nzoom1=6,\n", 19), {6}}),
    [](const ::testing::TestParamInfo<FovCase>& info) { return std::string(info.param.szName); });

TEST_F(SchemeTest, SyncFovPrintsEachLineAndNeedsALens) {
    auto c = makeSchemes();
    TA::setHasLens(*c, false);
    m_root.write(FOV_FILE, "a\nzoom1=300,focus1=200,\n");
    testsupport::StdoutCapture objOut;
    objOut.start();
    EXPECT_TRUE(TA::syncFov(*c));
    std::string strOut = objOut.stop();
    EXPECT_NE(strOut.find("zoom= -1,focus= -1 \nzoom= 300,focus= 200 \n"), std::string::npos) << strOut;
    EXPECT_TRUE(iasim::calls(CMD_ZOOM_VALUE).empty());
}

// The started thread makes the same decisions on its own.
TEST_F(SchemeTest, StartedThreadSwitchesByItselfUntilStopped) {
    auto c = makeSchemes();
    setSchemeMode(*c, 1);
    setWindow(*c, 2, 0, 0, 24, 0);
    ASSERT_TRUE(TA::thread(*c).start());
    auto tDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (TA::curScheme(*c) != 2 && std::chrono::steady_clock::now() < tDeadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(TA::thread(*c).stop());
    EXPECT_EQ(TA::curScheme(*c), 2);
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{52});
}

}  // namespace
