// The write path: which pairs reach the IA library, through which command, and where each is recorded.
#include <string.h>

#include <thread>

#include "ControllerFixture.h"

namespace {

typedef ISensorController SC;

// The values the IA library received for a command, in order.
std::vector<u32> sent(int p_nCmd) {
    std::vector<u32> vec;
    for (const iasim::IaCall& call : iasim::calls(p_nCmd)) {
        if (call.nOpt == IA_CMD_OPT_SET) vec.push_back(call.value());
    }
    return vec;
}

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

class WritePath : public ControllerTest {
protected:
    int write(ISensorController& c, std::vector<KeyVal> p_vecPairs, bool p_bCache) {
        return TA::setParameters(c, p_vecPairs.data(), static_cast<u32>(p_vecPairs.size()), p_bCache);
    }
};

struct SameCase {
    bool bCache;
    u32 nValue;
    bool bSent;
    u32 nCachedAfter;
};

class SkipWhenSame : public WritePath, public ::testing::WithParamInterface<SameCase> {};

TEST_P(SkipWhenSame, OnlyWithTheCacheFlag) {
    const SameCase& tc = GetParam();
    auto c = make();  // brightness 50 in every scheme
    EXPECT_EQ(write(*c, {{34, tc.nValue}}, tc.bCache), 0);
    EXPECT_EQ(sent(34).size(), tc.bSent ? 1u : 0u);
    EXPECT_EQ(cached(*c, 0, 34), tc.nCachedAfter);
    EXPECT_EQ(cached(*c, 1, 34), 50u);
}

INSTANTIATE_TEST_SUITE_P(Table, SkipWhenSame,
                         ::testing::Values(SameCase{true, 50, false, 50}, SameCase{false, 50, true, 50},
                                           SameCase{true, 60, true, 60}, SameCase{false, 60, true, 50}));

// During a switch the values in force are the previous scheme's.
TEST_F(WritePath, DuringASwitchSameMeansSameAsThePreviousScheme) {
    auto c = make();
    TA::scheme(*c, 1)[5].value = 70;
    TA::setLastScheme(*c, 1);
    TA::setStatus(*c, SC::STATUS_SWITCH);
    EXPECT_EQ(write(*c, {{34, 70}}, true), 0);
    EXPECT_TRUE(sent(34).empty());
    EXPECT_EQ(write(*c, {{34, 50}}, true), 0);
    EXPECT_EQ(sent(34), std::vector<u32>{50});
    // No valid previous scheme (before the first switch): every key counts as different.
    TA::setLastScheme(*c, -1);
    EXPECT_EQ(write(*c, {{34, 50}}, true), 0);
    EXPECT_EQ(sent(34).size(), 2u);
}

TEST_F(WritePath, EmptyArrayWritesOnlyALineEnd) {
    auto c = make();
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(TA::setParameters(*c, nullptr, 0, true), 0);
    EXPECT_EQ(cap.stop(), "\n");
    EXPECT_TRUE(iasim::calls().empty());
}

struct SchemeModeCase {
    u32 nValue;
    bool bTime;
    bool bDN;
    u32 nCopied;
};

class SchemeModeKey : public WritePath, public ::testing::WithParamInterface<SchemeModeCase> {};

TEST_P(SchemeModeKey, InSchemeZeroSetsTheModeAndCopiesIt) {
    const SchemeModeCase& tc = GetParam();
    auto c = make();
    TA::setSchemeModes(*c, true, true);
    c->setKeyValToCache(0, 8000, 9, false);  // differs from every value written
    EXPECT_EQ(write(*c, {{8000, tc.nValue}}, true), 0);
    EXPECT_EQ(TA::timeSchemeMode(*c), tc.bTime);
    EXPECT_EQ(TA::dnSchemeMode(*c), tc.bDN);
    EXPECT_EQ(cached(*c, 0, 8000), tc.nValue);
    for (u32 s = 1; s < 4; ++s) EXPECT_EQ(cached(*c, s, 8000), tc.nCopied) << "scheme " << s;
    EXPECT_EQ(cached(*c, 4, 8000), 0u);  // the factory values stay
    EXPECT_TRUE(iasim::calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, SchemeModeKey,
                         ::testing::Values(SchemeModeCase{1, true, false, 1}, SchemeModeCase{2, false, true, 2},
                                           SchemeModeCase{0, false, false, 0}, SchemeModeCase{7, false, false, 0}));

TEST_F(WritePath, SchemeModeKeyInAnotherSchemeIsOnlyRecorded) {
    auto c = make();
    TA::setCurScheme(*c, 2);
    EXPECT_EQ(write(*c, {{8000, 2}}, true), 0);
    EXPECT_FALSE(TA::dnSchemeMode(*c));
    EXPECT_EQ(cached(*c, 2, 8000), 2u);
    EXPECT_EQ(cached(*c, 0, 8000), 0u);
    EXPECT_EQ(cached(*c, 1, 8000), 0u);
    // Without the cache flag it is not even recorded.
    EXPECT_EQ(write(*c, {{8000, 1}}, false), 0);
    EXPECT_EQ(cached(*c, 2, 8000), 2u);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(WritePath, SchemeWindowAndPlaceholderKeysAreStoredNeverSent) {
    auto c = make();
    EXPECT_EQ(write(*c, {{8001, 7}, {8002, 30}, {8003, 9}, {8004, 15}, {10, 1}, {11, 2}, {13, 3}}, true), 0);
    EXPECT_TRUE(iasim::calls().empty());
    const KeyVal* a = TA::scheme(*c, 0);
    EXPECT_EQ(a[1].value, 7u);
    EXPECT_EQ(a[4].value, 15u);
    EXPECT_EQ(cached(*c, 0, 13), 3u);
}

struct TwinCase {
    const char* szName;
    u32 nLightType;
    u32 nKey;
    u32 nValue;
    bool bCache;
    int nSentCmd;  // -1: nothing sent
    u32 nStandard, nStandardAfter;
    u32 nTwin, nTwinAfter;
};

std::ostream& operator<<(std::ostream& os, const TwinCase& c) {
    return os << c.szName;
}

class LightTypeTwins : public WritePath, public ::testing::WithParamInterface<TwinCase> {};

TEST_P(LightTypeTwins, ApplyTheKeysOfTheLightTypeInForce) {
    const TwinCase& tc = GetParam();
    auto c = make();
    c->setKeyValToCache(0, 224, tc.nLightType, false);
    EXPECT_EQ(write(*c, {{tc.nKey, tc.nValue}}, tc.bCache), 0);
    auto log = iasim::calls();
    if (tc.nSentCmd < 0) {
        EXPECT_TRUE(log.empty());
    } else {
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].nCmd, tc.nSentCmd);
        EXPECT_EQ(log[0].value(), tc.nValue);
    }
    EXPECT_EQ(cached(*c, 0, tc.nStandard), tc.nStandardAfter);
    EXPECT_EQ(cached(*c, 0, tc.nTwin), tc.nTwinAfter);
}

// The scheme holds 161/168 = 1, 171/175 = 1, 165/201 = 10.
INSTANTIATE_TEST_SUITE_P(
    Table, LightTypeTwins,
    ::testing::Values(TwinCase{"standard_applied", 0, 161, 3, true, 161, 161, 3, 168, 3},
                      TwinCase{"twin_ignored", 0, 168, 3, true, -1, 161, 1, 168, 1},
                      TwinCase{"standard_ignored_when_intelligent", 2, 161, 3, true, -1, 161, 1, 168, 1},
                      TwinCase{"twin_sent_as_standard", 2, 168, 3, true, 161, 161, 3, 168, 3},
                      TwinCase{"twin_without_row", 2, 201, 7, true, 165, 165, 7, 201, 7},
                      // The white mode's command differs from its key.
                      TwinCase{"white_standard", 1, 171, 2, true, 169, 171, 2, 175, 2},
                      TwinCase{"white_twin", 2, 175, 2, true, 169, 171, 2, 175, 2},
                      // The other key of the pair is written whatever the cache flag; the pair itself is not.
                      TwinCase{"twin_without_cache", 2, 168, 3, false, 161, 161, 3, 168, 1},
                      TwinCase{"standard_without_cache", 0, 161, 3, false, 161, 161, 1, 168, 3}),
    [](const ::testing::TestParamInfo<TwinCase>& info) { return std::string(info.param.szName); });

TEST_F(WritePath, TwinMirrorNeverChangesTheFactoryValues) {
    auto c = make();
    TA::setCurScheme(*c, 4);  // the factory scheme is in force
    EXPECT_EQ(write(*c, {{161, 3}}, true), 0);
    EXPECT_EQ(sent(161), std::vector<u32>{3});
    EXPECT_EQ(cached(*c, 4, 161), 1u);
    EXPECT_EQ(cached(*c, 4, 168), 1u);
}

struct DnShareCase {
    const char* szName;
    bool bDNMode;
    int nCurScheme;
    u32 nKey;
    bool bSent;
    u32 nScheme0, nScheme1, nScheme2;  // the key's cached value in schemes 0 to 2 afterwards
};

std::ostream& operator<<(std::ostream& os, const DnShareCase& c) {
    return os << c.szName;
}

class DayNightSharing : public WritePath, public ::testing::WithParamInterface<DnShareCase> {};

// Every scheme starts with 145 = 20 and 154 = 3; the test writes 30.
TEST_P(DayNightSharing, UnderSchemeModeTwo) {
    const DnShareCase& tc = GetParam();
    auto c = make();
    TA::setSchemeModes(*c, false, tc.bDNMode);
    TA::setCurScheme(*c, tc.nCurScheme);
    EXPECT_EQ(write(*c, {{tc.nKey, 30}}, true), 0);
    EXPECT_EQ(iasim::calls(static_cast<int>(tc.nKey)).size(), tc.bSent ? 1u : 0u);
    EXPECT_EQ(cached(*c, 0, tc.nKey), tc.nScheme0);
    EXPECT_EQ(cached(*c, 1, tc.nKey), tc.nScheme1);
    EXPECT_EQ(cached(*c, 2, tc.nKey), tc.nScheme2);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DayNightSharing,
    ::testing::Values(DnShareCase{"day_scheme_shares", true, 0, 145, true, 30, 30, 20},
                      DnShareCase{"night_scheme_records_only", true, 1, 145, false, 20, 30, 20},
                      DnShareCase{"time_scheme_records_only", true, 2, 145, false, 20, 20, 30},
                      DnShareCase{"sensitivity_not_shared", true, 0, 154, true, 30, 3, 3},
                      DnShareCase{"sensitivity_sent_in_night_scheme", true, 1, 154, true, 3, 30, 3},
                      DnShareCase{"other_modes_do_not_share", false, 0, 145, true, 30, 20, 20},
                      DnShareCase{"other_modes_send_in_night_scheme", false, 1, 145, true, 20, 30, 20}),
    [](const ::testing::TestParamInfo<DnShareCase>& info) { return std::string(info.param.szName); });

TEST_F(WritePath, DayNightSharingNeverReachesTheFactorySlot) {
    auto c = make(1, 1);  // one user scheme: slot 1 holds the factory values
    TA::setSchemeModes(*c, false, true);
    EXPECT_EQ(write(*c, {{145, 30}}, true), 0);
    EXPECT_EQ(cached(*c, 0, 145), 30u);
    EXPECT_EQ(cached(*c, 1, 145), 20u);
}

struct BudgetCase {
    const char* szName;
    bool bLimited;
    u32 nLightType;
    u32 nKey;
    u32 nValue;
    bool bRefused;
};

std::ostream& operator<<(std::ostream& os, const BudgetCase& c) {
    return os << c.szName;
}

class InfraredBudget : public WritePath, public ::testing::WithParamInterface<BudgetCase> {};

// The scheme holds near 163 = 60 and far 167 = 10 (and their twins alike). The array starts with brightness.
TEST_P(InfraredBudget, NearAndFarShareOneHundred) {
    const BudgetCase& tc = GetParam();
    auto c = make();
    TA::setLimitedIrPower(*c, tc.bLimited);
    c->setKeyValToCache(0, 163, 60, false);
    c->setKeyValToCache(0, 200, 60, false);
    c->setKeyValToCache(0, 224, tc.nLightType, false);
    int nRet = write(*c, {{34, 51}, {tc.nKey, tc.nValue}, {2337, 1}}, true);
    EXPECT_EQ(sent(34), std::vector<u32>{51});  // the pair before the refused one stays applied
    if (tc.bRefused) {
        EXPECT_EQ(nRet, -34);  // the first pair's key, whichever pair was refused
        EXPECT_TRUE(iasim::calls(163).empty());
        EXPECT_TRUE(iasim::calls(167).empty());
        EXPECT_TRUE(iasim::calls(2337).empty());
        EXPECT_NE(cached(*c, 0, tc.nKey), tc.nValue);
    } else {
        EXPECT_EQ(nRet, 0);
        EXPECT_EQ(iasim::calls(2337).size(), 1u);
        EXPECT_EQ(cached(*c, 0, tc.nKey), tc.nValue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, InfraredBudget,
    ::testing::Values(BudgetCase{"far_over", true, 0, 167, 50, true}, BudgetCase{"far_within", true, 0, 167, 40, false},
                      BudgetCase{"near_at_limit", true, 0, 163, 90, false},
                      BudgetCase{"near_over", true, 0, 163, 91, true},
                      BudgetCase{"unlimited_module", false, 0, 167, 95, false},
                      // A value that would wrap round the 32-bit sum is still over the budget.
                      BudgetCase{"far_huge", true, 0, 167, 0xFFFFFFF0u, true},
                      // Refused even though the intelligent light type would ignore the standard key.
                      BudgetCase{"standard_over_when_intelligent", true, 2, 167, 50, true},
                      // The far twin drives the same illuminator as the far strength.
                      BudgetCase{"twin_over_when_intelligent", true, 2, 202, 50, true},
                      BudgetCase{"twin_within_when_intelligent", true, 2, 202, 40, false}),
    [](const ::testing::TestParamInfo<BudgetCase>& info) { return std::string(info.param.szName); });

// Without the other strength in the scheme its value is asked of the IA library.
TEST_F(WritePath, InfraredBudgetReadsAnUncachedStrengthFromTheLibrary) {
    ISensorController c;
    TA::install(c, 4, {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {163, 0}});
    TA::setLimitedIrPower(c, true);
    iasim::setValue(0, 167, 70);
    iasim::clearCalls();
    testsupport::StdoutCapture cap;
    cap.start();
    KeyVal over = {163, 31};
    EXPECT_EQ(TA::setParameters(c, &over, 1, true), -163);
    KeyVal within = {163, 30};
    EXPECT_EQ(TA::setParameters(c, &within, 1, true), 0);
    std::string out = cap.stop();
    EXPECT_TRUE(contains(out, "### KEY_IR_MANUAL_STRG_FAR doIaCmd sucess\n")) << out;
    EXPECT_EQ(sent(163), std::vector<u32>{30});
    ASSERT_EQ(iasim::calls(167).size(), 2u);
    EXPECT_EQ(iasim::calls(167)[0].nOpt, IA_CMD_OPT_GET);

    // A failed read is reported, and the strength counts as unknown: nothing to refuse.
    iasim::failCommand(163, IA_CMD_OPT_GET, -1);
    ISensorController d;
    TA::install(d, 4, {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {167, 0}});
    TA::setLimitedIrPower(d, true);
    cap.start();
    KeyVal far = {167, 99};
    EXPECT_EQ(TA::setParameters(d, &far, 1, true), 0);
    out = cap.stop();
    EXPECT_TRUE(contains(out, "### KEY_IR_MANUAL_STRG_NEAR doIaCmd error\n")) << out;
    EXPECT_TRUE(contains(out, "get key(163) val from 2a err")) << out;
    EXPECT_TRUE(contains(out, "[sensor assert]")) << out;
}

TEST_F(WritePath, FailingHandlerStopsTheRun) {
    auto c = make();
    iasim::failCommand(2337, IA_CMD_OPT_SET, -4);
    EXPECT_EQ(write(*c, {{34, 60}, {2337, 1}, {2353, 3}}, true), -2337);
    EXPECT_EQ(sent(34), std::vector<u32>{60});
    EXPECT_EQ(cached(*c, 0, 34), 60u);        // handled before the failure: applied and recorded
    EXPECT_EQ(cached(*c, 0, 2337), 128u);     // the failing pair is not recorded
    EXPECT_TRUE(iasim::calls(2353).empty());  // later pairs are not handled
}

// A failure in a row whose command differs from its key returns the key.
TEST_F(WritePath, FailureReturnsTheRowsKeyNotItsCommand) {
    auto c = make();
    iasim::failCommand(168, IA_CMD_OPT_SET, -2);
    EXPECT_EQ(write(*c, {{170, 1}}, false), -170);
}

struct ErrLineCase {
    int nIaResult;
    bool bErrLine;
};

class FailureLine : public WritePath, public ::testing::WithParamInterface<ErrLineCase> {};

TEST_P(FailureLine, NamesTheLibrarysResultForItsOwnCodes) {
    const ErrLineCase& tc = GetParam();
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    iasim::failCommand(34, IA_CMD_OPT_SET, tc.nIaResult);
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(write(*c, {{34, 60}}, true), -34);
    std::string out = cap.stop();
    std::string line = "set KEY_BRIGHTNESS (34,60) func:&ISensorController::doIaCmd ia_cmd:34 ~~~failed ia_ret=" +
                       std::to_string(tc.nIaResult) + "\n";
    EXPECT_EQ(contains(out, line), tc.bErrLine) << out;
    EXPECT_EQ(contains(out, "[sensor err]"), tc.bErrLine) << out;
}

INSTANTIATE_TEST_SUITE_P(Table, FailureLine,
                         ::testing::Values(ErrLineCase{-1, true}, ErrLineCase{-4, true}, ErrLineCase{-5, true},
                                           ErrLineCase{-2, false}, ErrLineCase{7, false}));

TEST_F(WritePath, UnknownKeyIsReportedAndSentThroughTheStandByRow) {
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(write(*c, {{34, 60}, {12, 5}}, true), 0);
    std::string out = cap.stop();
    EXPECT_EQ(sent(12), std::vector<u32>{5});
    EXPECT_TRUE(contains(out, "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)   ~~~Assertion failed."))
        << out;
    EXPECT_TRUE(contains(out, "p_pKeyval[1].key(12)")) << out;
    EXPECT_TRUE(contains(out, "\033[0m\033[32mnot find (12) \n\033[0m")) << out;
    EXPECT_TRUE(contains(out,
                         "====================== set unknow key (12,5) func:ISensorController::doIaCmd ia_cmd:12 "
                         "=====================\n"))
        << out;
    EXPECT_TRUE(contains(out,
                         "SET_KEY_VAL FAILED, m_nCurScheme(0), p_pKeyval[1].key(12), p_pKeyval[1].value(5),  "
                         "maybe jixin\n"))
        << out;
}

TEST_F(WritePath, UnknownKeyFailureReturnsItsKey) {
    auto c = make();
    iasim::failCommand(12, IA_CMD_OPT_SET, -1);
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(write(*c, {{12, 5}, {34, 60}}, true), -12);
    cap.stop();
    EXPECT_TRUE(sent(34).empty());
}

TEST_F(WritePath, MappedKeyOutsideTheSchemeIsSentAndTheMissIsLogged) {
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(write(*c, {{2353, 9}}, true), 0);
    std::string out = cap.stop();
    EXPECT_EQ(sent(2353), std::vector<u32>{9});
    EXPECT_TRUE(contains(out,
                         "\033[0m\033[31m====================== set KEY_CONTRAST (2353,9) "
                         "func:&ISensorController::doIaCmd ia_cmd:2353 =====================\n"))
        << out;
    EXPECT_TRUE(contains(out, "[sensor dbg]")) << out;
    EXPECT_TRUE(contains(out,
                         "SET_KEY_VAL FAILED, m_nCurScheme(0), p_pKeyval[0].key(2353), p_pKeyval[0].value(9),  "
                         "maybe jixin\n"))
        << out;
    // In the factory scheme the refusal to record prints nothing.
    TA::setCurScheme(*c, 4);
    cap.start();
    EXPECT_EQ(write(*c, {{34, 60}}, true), 0);
    EXPECT_FALSE(contains(cap.stop(), "SET_KEY_VAL FAILED"));
    EXPECT_EQ(cached(*c, 4, 34), 50u);
}

struct ThermalCase {
    u32 nKey;
    bool bThermal;
    bool bNotified;
    bool bSent;
};

class ThermalPath : public WritePath, public ::testing::WithParamInterface<ThermalCase> {};

TEST_P(ThermalPath, ColourStripMirrorAndStabilisation) {
    const ThermalCase& tc = GetParam();
    auto c = make();
    TA::setThermal(*c, tc.bThermal);
    iasim::failCommand(static_cast<int>(tc.nKey), IA_CMD_OPT_SET, -1);  // results on this path are not examined
    m_video.failKey(static_cast<int>(tc.nKey), -1);
    testsupport::StdoutCapture cap;
    cap.start();
    int nRet = write(*c, {{tc.nKey, 1}}, true);
    cap.stop();
    auto notes = m_video.notes();
    EXPECT_EQ(!notes.empty() && notes[0].nKey == static_cast<int>(tc.nKey), tc.bNotified);
    EXPECT_EQ(iasim::calls(static_cast<int>(tc.nKey)).size(), tc.bSent ? 1u : 0u);
    if (tc.bThermal) {
        EXPECT_EQ(nRet, 0);
        EXPECT_EQ(cached(*c, 0, tc.nKey), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ThermalPath,
                         ::testing::Values(ThermalCase{8201, true, true, false}, ThermalCase{8217, true, true, false},
                                           ThermalCase{2384, true, true, true}, ThermalCase{2416, true, true, true},
                                           ThermalCase{8201, false, false, true},
                                           ThermalCase{8217, false, false, true}));

// The scratch array holds as many pairs as the scheme has keys; a text with more is applied whole, not cut.
TEST_F(WritePath, TextBeyondTheSchemeSizeIsAppliedWhole) {
    ISensorController c;
    TA::install(c, 4, {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {34, 0}});
    iasim::clearCalls();
    std::string text;
    for (int i = 1; i <= 8; ++i) text += "(34," + std::to_string(i) + ")";
    EXPECT_EQ(c.setParameters(text, false), 0);
    EXPECT_EQ(sent(34), (std::vector<u32>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(WritePath, TextAndSingleKeyGoThroughTheSamePath) {
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(c->setParameters("(34,60)(2337,100)", true), 0);
    EXPECT_EQ(c->setParameter(2337, 101, true), 0);
    EXPECT_EQ(c->setParameters("", true), 0);
    std::string out = cap.stop();
    EXPECT_EQ(sent(34), std::vector<u32>{60});
    EXPECT_EQ(sent(2337), (std::vector<u32>{100, 101}));
    EXPECT_EQ(cached(*c, 0, 2337), 101u);
    EXPECT_TRUE(contains(out, "p_Parameters1111111111((34,60)(2337,100))\n")) << out;
    EXPECT_TRUE(contains(out, "p_Parameters22222222222(2337, 101)\n")) << out;
    // A failure comes back from the text form too.
    iasim::failCommand(2337, IA_CMD_OPT_SET, -1);
    EXPECT_EQ(c->setParameters("(2337,5)", true), -2337);
    EXPECT_EQ(c->setParameter(2337, 6, true), -2337);
}

TEST_F(WritePath, ShutDownControllerRefusesWrites) {
    auto c = make();
    TA::releaseArrays(*c);
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(c->setParameter(34, 60, true), -34);
    EXPECT_EQ(c->setParameters("(2337,1)", true), -2337);
    cap.stop();
    EXPECT_TRUE(iasim::calls().empty());
}

// Application threads writing at once are serialised by the controller mutex; the display flag may flip on
// any thread meanwhile.
TEST_F(WritePath, ConcurrentWritersAreSerialised) {
    auto c = make();
    const int nRounds = 200;
    std::thread a([&] {
        for (int i = 1; i <= nRounds; ++i) c->setParameter(34, i, true);
    });
    std::thread b([&] {
        for (int i = 1; i <= nRounds; ++i) c->setParameters("(2337," + std::to_string(i) + ")(2385,1)", true);
    });
    std::thread f([&] {
        for (int i = 0; i < nRounds; ++i) setshowBeawayFalg(i % 2 == 0);
    });
    a.join();
    b.join();
    f.join();
    EXPECT_EQ(sent(34).size(), static_cast<size_t>(nRounds));
    EXPECT_EQ(sent(2337).size(), static_cast<size_t>(nRounds));
    EXPECT_EQ(cached(*c, 0, 34), static_cast<u32>(nRounds));
    EXPECT_EQ(cached(*c, 0, 2337), static_cast<u32>(nRounds));
}

}  // namespace
