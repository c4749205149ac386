// The sensor thread's pacing (a second before each pass, none while a factory reset runs), a reset that no
// pass switches into, and LPR mode's decisions while the controller is busy.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "InitTestDevice.h"
#include "SchemeTestFixture.h"

namespace {

typedef ISensorController SC;
typedef std::chrono::steady_clock Clock;

const int CMD_DN_STATE = 153;
// A wait scale at which one second lasts about three hours: a pass that waits does not end during a test.
const double SCALE_ENDLESS = 1e4;

}  // namespace

TEST_F(InitTest, StartedThreadPassesAtMostOncePerSecond) {
    ISensorController& c = start();
    // Day/night scheme mode: every pass reads the day/night state once.
    ASSERT_EQ(c.setParameter(8000, 2, true), 0);
    const double dSecond = 0.02;  // one second lasts 20 ms
    qxsim::setWaitScale(dSecond);
    iasim::clearCalls();
    const Clock::time_point tStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const size_t nPasses = iasim::calls(CMD_DN_STATE).size();
    const double dElapsed = std::chrono::duration<double>(Clock::now() - tStart).count();
    EXPECT_GE(nPasses, 1u);
    // The pass under way at the start may end early; every other one waited its second.
    EXPECT_LE(nPasses, static_cast<size_t>(dElapsed / dSecond) + 2);
}

// The hook stretches every wait from the first scheme init applies on: init's own pass then waits (or not).
TEST_F(InitTest, InitsOwnPassWaitsASecondExceptInsideAReset) {
    HookedVideoModule objVideo;
    std::atomic<bool> bArmed(true);
    objVideo.fnHook = [&](int p_nKey, int) {
        if (p_nKey == 2384 && bArmed.exchange(false)) qxsim::setWaitScale(SCALE_ENDLESS);
    };
    std::future<ISensorController*> objStart = std::async(std::launch::async, [&] { return &startWith(objVideo); });
    EXPECT_EQ(objStart.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    qxsim::setWaitScale(0);  // ends the wait
    ISensorController& c = *objStart.get();
    qxsim::setWaitScale(0.001);
    ASSERT_FALSE(bArmed.load());

    // The factory scheme equals scheme 0, so the reset's first notification is its init's first scheme.
    bArmed.store(true);
    std::future<bool> objReset = std::async(std::launch::async, [&] { return c.resetParameters(); });
    const bool bEnded = objReset.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    qxsim::setWaitScale(0);  // ends any wait, the started thread's first included
    EXPECT_TRUE(objReset.get());
    qxsim::setWaitScale(0.001);
    EXPECT_FALSE(bArmed.load());
    EXPECT_TRUE(bEnded) << "the reset's pass waited";
}

// An LPR device follows day and night by itself; a reset at night must still end on the factory values.
TEST_F(InitTest, NoPassSwitchesSchemesWhileAResetRuns) {
    seed(8, smallStyle(2));  // LPR (no infrared marker) keeps the stored day/night scheme mode
    iasim::setDayNight(0, 0);
    ISensorController& c = start();
    ASSERT_EQ(c.setParameter(34, 77, true), 0);
    ASSERT_TRUE(c.setParamMode(0));  // kept by the reset: no pass switches after it either
    iasim::setDayNight(0, 1);
    iasim::clearCalls();

    ASSERT_TRUE(c.resetParameters());

    const std::vector<KeyVal> vecFactory = smallStyleFactory(2);
    for (const iasim::IaCall& call : iasim::calls()) {
        if (call.nOpt != IA_CMD_OPT_SET) continue;
        EXPECT_EQ(call.value(), valueOf(vecFactory, static_cast<u32>(call.nCmd))) << call.nCmd;
    }
    EXPECT_EQ(lastSet(34), 50u);
    int nScheme = -1;
    c.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
}

// A decision skipped while busy leaves nothing behind: the next pass takes it as if for the first time.
TEST_F(SchemeTest, LprModeWhileBusyDecidesNothingAndRecordsNothing) {
    for (uint8_t nBit : {SC::STATUS_RESET, SC::STATUS_RESTORE, SC::STATUS_SWITCH}) {
        SCOPED_TRACE(static_cast<int>(nBit));
        auto c = makeSchemes();
        setSchemeMode(*c, 1);
        TA::setLprMode(*c, true);
        setWindow(*c, 2, 8, 0, 12, 0);

        // Inside scheme 2's window.
        qxsim::setLocalTime(9, 0);
        TA::setStatus(*c, nBit);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 0);
        EXPECT_EQ(TA::lastSchedule(*c), 255u);
        EXPECT_EQ(setCount(), 0u);
        TA::setStatus(*c, 0);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 2);
        EXPECT_EQ(TA::lastSchedule(*c), 1u);
        EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});  // entered the windows: every key

        // Outside every window, at night.
        qxsim::setLocalTime(20, 0);
        iasim::setValue(0, CMD_DN_STATE, 1);
        iasim::clearCalls();
        TA::setStatus(*c, nBit);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 2);
        EXPECT_EQ(TA::lastSchedule(*c), 1u);
        EXPECT_EQ(setCount(), 0u);
        TA::setStatus(*c, 0);
        TA::sensorThread(*c);
        EXPECT_EQ(TA::curScheme(*c), 1);
        EXPECT_EQ(TA::lastSchedule(*c), 0u);
        EXPECT_EQ(sent(KEY_DN_MODE), std::vector<u32>{0});
        EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    }
}
