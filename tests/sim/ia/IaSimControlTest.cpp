// Control of the simulated IA library: failure injection, the call log, reset and concurrent use.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "IaSimControl.h"
#include "ia_ctrl.h"

namespace {

class IaSimControl : public ::testing::Test {
protected:
    void SetUp() override { iasim::reset(); }
    void TearDown() override { iasim::reset(); }

    static int set(int p_nChannel, int p_nCmd, uint32_t p_nVal) {
        return ia_ioctrl_v2(p_nChannel, p_nCmd, IA_CMD_OPT_SET, &p_nVal);
    }
    static int get(int p_nChannel, int p_nCmd) {
        uint32_t nVal = 0;
        return ia_ioctrl_v2(p_nChannel, p_nCmd, IA_CMD_OPT_GET, &nVal);
    }
};

TEST_F(IaSimControl, FailureForTheNextCallsOnly) {
    iasim::failCommand(34, IA_CMD_OPT_SET, -4, 2);
    EXPECT_EQ(-4, set(0, 34, 70));
    EXPECT_EQ(0, get(0, 34));  // other options are not matched
    EXPECT_EQ(-4, set(1, 34, 71));
    EXPECT_EQ(0, set(0, 34, 72));
    // A failed set did not act.
    EXPECT_EQ(50u, iasim::value(1, 34));
    EXPECT_EQ(72u, iasim::value(0, 34));
}

TEST_F(IaSimControl, FailureOnOneChannelAnyOptionUntilCleared) {
    iasim::failCommand(49, iasim::kAnyOption, -5, iasim::kForever, 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(-5, get(2, 49));
    EXPECT_EQ(-5, set(2, 49, 1));
    int32_t nVal = 33;
    EXPECT_EQ(-5, ia_ioctrl_v2(2, 49, IA_CMD_OPT_CORRECT_PARAM, &nVal));
    EXPECT_EQ(33, nVal);
    EXPECT_EQ(0, get(1, 49));
    iasim::clearFailures();
    EXPECT_EQ(0, get(2, 49));
}

TEST_F(IaSimControl, FailedListQueryWritesNothing) {
    iasim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, -1, 1);
    ia_dynamic_params_cmds_st stList = {};
    EXPECT_EQ(-1, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(0, stList.cmd_cnt);
    EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_GT(stList.cmd_cnt, 0);
}

TEST_F(IaSimControl, RulesMatchInTheOrderAdded) {
    iasim::failCommand(34, IA_CMD_OPT_SET, -7, 1, 0);
    iasim::failCommand(34, IA_CMD_OPT_SET, -8);
    EXPECT_EQ(-8, set(1, 34, 1));  // the first rule is for channel 0 only
    EXPECT_EQ(-7, set(0, 34, 1));
    EXPECT_EQ(-8, set(0, 34, 1));
}

TEST_F(IaSimControl, LogKeepsWhatWasPassedInAndWhatWasAnswered) {
    set(1, 34, 61);
    dn_thr_st stThr = {1, 2, 3};
    ia_ioctrl_v2(0, 145, IA_CMD_OPT_SET, &stThr);
    get(1, 34);
    iasim::failCommand(2337, IA_CMD_OPT_GET, -2, 1);
    get(0, 2337);
    uint32_t nVal = 0;
    ia_ioctrl_v2(9, 34, IA_CMD_OPT_GET, &nVal);

    std::vector<iasim::IaCall> vecCalls = iasim::calls();
    ASSERT_EQ(5u, vecCalls.size());
    EXPECT_EQ(1, vecCalls[0].nChannel);
    EXPECT_EQ(34, vecCalls[0].nCmd);
    EXPECT_EQ(IA_CMD_OPT_SET, vecCalls[0].nOpt);
    EXPECT_EQ(61u, vecCalls[0].value());
    EXPECT_EQ(0, vecCalls[0].nResult);

    dn_thr_st stLogged = {};
    ASSERT_TRUE(vecCalls[1].record(stLogged));
    EXPECT_EQ(3u, stLogged.dn_sensitivity);

    EXPECT_EQ(IA_CMD_OPT_GET, vecCalls[2].nOpt);
    EXPECT_EQ(61u, vecCalls[2].value());  // the answer

    EXPECT_EQ(-2, vecCalls[3].nResult);
    EXPECT_TRUE(vecCalls[3].vecData.empty());
    EXPECT_EQ(9, vecCalls[4].nChannel);
    EXPECT_EQ(-1, vecCalls[4].nResult);

    EXPECT_EQ(3u, iasim::calls(34).size());
    iasim::clearCalls();
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(IaSimControl, LoggingOffRecordsNothingButStillActs) {
    iasim::setLogging(false);
    EXPECT_EQ(0, set(0, 34, 12));
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_EQ(12u, iasim::value(0, 34));
    iasim::setLogging(true);
    set(0, 34, 13);
    EXPECT_EQ(1u, iasim::calls().size());
}

TEST_F(IaSimControl, ResetRestoresEveryDefault) {
    set(0, 34, 99);
    iasim::setDayNight(0, 1);
    iasim::Profile stEmpty;
    iasim::setProfile(stEmpty);
    iasim::failCommand(34, iasim::kAnyOption, -1);
    iasim::setLogging(false);

    iasim::reset();
    EXPECT_EQ(50u, iasim::value(0, 34));
    EXPECT_EQ(0u, iasim::value(0, IA_CMD_DN_STATE));
    EXPECT_EQ(0, get(0, 34));
    ia_dynamic_params_cmds_st stList = {};
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_GT(stList.cmd_cnt, 0);
    EXPECT_EQ(2u, iasim::calls().size());
}

TEST_F(IaSimControl, ConcurrentCallersKeepTheirChannelsAndTheLogWhole) {
    const int kThreads = 4;
    const int kRounds = 500;
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < kRounds; ++i) {
                uint32_t nVal = static_cast<uint32_t>(i);
                ia_ioctrl_v2(t, 34, IA_CMD_OPT_SET, &nVal);
                uint32_t nBack = 0;
                ia_ioctrl_v2(t, 34, IA_CMD_OPT_GET, &nBack);
                if (nBack != nVal) ADD_FAILURE() << "channel " << t << " read " << nBack << " after " << nVal;
                if (i % 100 == 0) iasim::calls(34);
            }
        });
    }
    // The control side works at the same time.
    for (int i = 0; i < 50; ++i) iasim::setDayNight(kThreads, i % 2);
    for (std::thread& objThread : vecThreads) objThread.join();
    EXPECT_EQ(size_t(kThreads * kRounds * 2), iasim::calls(34).size());
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(uint32_t(kRounds - 1), iasim::value(t, 34));
}

}  // namespace
