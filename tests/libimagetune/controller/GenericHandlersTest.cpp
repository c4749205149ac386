// The generic handlers: the zoom/focus lock, shutter and user commands standing aside while busy, auto focus
// once, and the field-of-view request.
#include "ControllerFixture.h"

namespace {

typedef ISensorController SC;

struct LockCase {
    u32 nCmd;
    bool bBlocked;
};

class ZoomFocusLock : public ControllerTest, public ::testing::WithParamInterface<LockCase> {};

TEST_P(ZoomFocusLock, BlocksOnlyTheLensRange) {
    const LockCase& tc = GetParam();
    auto c = make();
    TA::setZoomFocusLock(*c, true);
    u32 v = 5;
    EXPECT_EQ(TA::doIaCmd(*c, tc.nCmd, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(tc.nCmd).size(), tc.bBlocked ? 0u : 1u);
    EXPECT_EQ(v, 5u);
    // Unlocked, every command goes through.
    TA::setZoomFocusLock(*c, false);
    iasim::clearCalls();
    EXPECT_EQ(TA::doIaCmd(*c, tc.nCmd, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(tc.nCmd).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, ZoomFocusLock,
                         ::testing::Values(LockCase{1535, false}, LockCase{1536, true}, LockCase{1569, true},
                                           LockCase{1584, true}, LockCase{1616, true}, LockCase{1617, false},
                                           LockCase{34, false}));

TEST_F(ControllerTest, DoIaCmdAddressesTheZeroBasedChannelAndPassesResults) {
    auto c = make();
    c->setChannelID(3);
    u32 v = 42;
    ASSERT_EQ(TA::doIaCmd(*c, 34, IA_CMD_OPT_SET, &v), 0);
    auto log = iasim::calls(34);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].nChannel, 2);
    EXPECT_EQ(log[0].nOpt, IA_CMD_OPT_SET);
    EXPECT_EQ(log[0].value(), 42u);
    // A get writes the caller's variable; a failure comes back unchanged.
    u32 got = 0;
    EXPECT_EQ(TA::doIaCmd(*c, 34, IA_CMD_OPT_GET, &got), 0);
    EXPECT_EQ(got, 42u);
    iasim::failCommand(34, IA_CMD_OPT_SET, -4);
    EXPECT_EQ(TA::doIaCmd(*c, 34, IA_CMD_OPT_SET, &v), -4);
}

struct BusyCase {
    uint8_t nStatus;
    bool bDropped;
};

class StandAside : public ControllerTest, public ::testing::WithParamInterface<BusyCase> {};

// Shutter (8211) and user commands (the iris step, key 17 = IA 83) under each status bit.
TEST_P(StandAside, ShutterAndUserCommandsWhileBusy) {
    const BusyCase& tc = GetParam();
    auto c = make();
    TA::setStatus(*c, tc.nStatus);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 8211, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(TA::dispatch(*c, 17, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(8211).size(), tc.bDropped ? 0u : 1u);
    EXPECT_EQ(iasim::calls(83).size(), tc.bDropped ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, StandAside,
                         ::testing::Values(BusyCase{0, false}, BusyCase{SC::STATUS_INIT, true},
                                           BusyCase{SC::STATUS_UINIT, false}, BusyCase{SC::STATUS_RUNNING, false},
                                           BusyCase{SC::STATUS_RESET, true}, BusyCase{SC::STATUS_RESTORE, true},
                                           BusyCase{SC::STATUS_SWITCH, true},
                                           BusyCase{SC::STATUS_RUNNING | SC::STATUS_SWITCH, true}));

TEST_F(ControllerTest, ShutterPassLetsOneShutterCommandThroughWhileBusy) {
    auto c = make();
    TA::setStatus(*c, SC::STATUS_SWITCH);
    TA::setShutterPass(*c, true);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 8211, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(8211).size(), 1u);
    EXPECT_FALSE(TA::shutterPass(*c));
    EXPECT_EQ(TA::dispatch(*c, 8211, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(8211).size(), 1u);
    // The pass is for shutter commands only.
    TA::setShutterPass(*c, true);
    EXPECT_EQ(TA::dispatch(*c, 1569, IA_CMD_OPT_SET, &v), 0);
    EXPECT_TRUE(iasim::calls(1569).empty());
    EXPECT_TRUE(TA::shutterPass(*c));
}

TEST_F(ControllerTest, ShutterPassIsClearedByAnIdleShutterCommandToo) {
    auto c = make();
    TA::setShutterPass(*c, true);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 8211, IA_CMD_OPT_SET, &v), 0);
    EXPECT_FALSE(TA::shutterPass(*c));
}

struct FocusOnceCase {
    bool bThermal;
    bool bHasLens;
    u32 nValue;
    bool bSent;
};

class AutoFocusOnce : public ControllerTest, public ::testing::WithParamInterface<FocusOnceCase> {};

TEST_P(AutoFocusOnce, DependsOnLensChannelAndTrigger) {
    const FocusOnceCase& tc = GetParam();
    auto c = make();
    TA::setThermal(*c, tc.bThermal);
    TA::setHasLens(*c, tc.bHasLens);
    u32 v = tc.nValue;
    EXPECT_EQ(TA::dispatch(*c, 1539, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(iasim::calls(1539).size(), tc.bSent ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, AutoFocusOnce,
                         ::testing::Values(FocusOnceCase{false, true, 0, false}, FocusOnceCase{false, true, 1, true},
                                           FocusOnceCase{true, true, 0, true}, FocusOnceCase{true, true, 1, true},
                                           FocusOnceCase{false, false, 1, false},
                                           FocusOnceCase{true, false, 0, false}));

TEST_F(ControllerTest, UserCommandFailureIsPassedBack) {
    auto c = make();
    iasim::failCommand(1569, IA_CMD_OPT_SET, -5);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 1569, IA_CMD_OPT_SET, &v), -5);
}

class FieldOfViewRequest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        SC::m_nPassKeycmd = -1;
        SC::m_nChanneldDosomething = -1;
    }
    void TearDown() override {
        SC::m_nPassKeycmd = -1;
        SC::m_nChanneldDosomething = -1;
        ControllerTest::TearDown();
    }
};

TEST_F(FieldOfViewRequest, AnyChannelAsksChannelOne) {
    auto c = make();
    c->setChannelID(3);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 8104, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(SC::m_nChanneldDosomething.load(), 1);
    EXPECT_EQ(SC::m_nPassKeycmd.load(), 8104);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(FieldOfViewRequest, OtherKeysChangeNothing) {
    auto c = make();
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 8104, IA_CMD_OPT_SET, &v), 0);
    SC::m_nPassKeycmd = -1;
    SC::m_nChanneldDosomething = -1;
    // doIoCrtl is the handler of 8104 only; called with another command it leaves the request alone.
    keycmd row = keycmd();
    ASSERT_EQ(TA::findFromKeyCmdMap(*c, 8104, row), 86);
    EXPECT_EQ((c.get()->*row.pfnHandler)(8105, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(SC::m_nChanneldDosomething.load(), -1);
    EXPECT_EQ(SC::m_nPassKeycmd.load(), -1);
    EXPECT_TRUE(iasim::calls().empty());
}

}  // namespace
