// Dynamic parameters of the simulated IA library: the command list, ranges, corrections and their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "IaSimControl.h"
#include "ia_ctrl.h"

namespace {

class IaSimDynamic : public ::testing::Test {
protected:
    void SetUp() override { iasim::reset(); }
    void TearDown() override { iasim::reset(); }

    static std::vector<int32_t> listedCommands(int p_nChannel) {
        ia_dynamic_params_cmds_st stList = {};
        EXPECT_EQ(0, ia_ioctrl_v2(p_nChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
        return std::vector<int32_t>(stList.cmd_list, stList.cmd_list + stList.cmd_cnt);
    }
    static int32_t corrected(int p_nCmd, int32_t p_nValue) {
        int32_t nVal = p_nValue;
        EXPECT_EQ(0, ia_ioctrl_v2(0, p_nCmd, IA_CMD_OPT_CORRECT_PARAM, &nVal));
        return nVal;
    }
};

TEST_F(IaSimDynamic, DefaultListHoldsTheRangeKeysWithSensibleRanges) {
    std::vector<int32_t> vecCmds = listedCommands(0);
    ASSERT_LE(vecCmds.size(), size_t(IA_DYNAMIC_CMDS_MAX));
    for (int32_t nCmd : {49, 50, 51, 55, 56, 82, 1537}) {
        EXPECT_NE(vecCmds.end(), std::find(vecCmds.begin(), vecCmds.end(), nCmd)) << nCmd;
    }
    for (int32_t nCmd : vecCmds) {
        ia_dynamic_params_attr_st stAttr = {};
        ASSERT_EQ(0, ia_ioctrl_v2(0, nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr)) << nCmd;
        EXPECT_EQ(0, stAttr.attr_type);
        ASSERT_GT(stAttr.items_cnt, 0) << nCmd;
        ASSERT_LE(stAttr.items_cnt, IA_DYNAMIC_ITEMS_MAX) << nCmd;
        EXPECT_EQ(stAttr.item[0], stAttr.min_val) << nCmd;
        EXPECT_EQ(stAttr.item[stAttr.items_cnt - 1], stAttr.max_val) << nCmd;
        const int32_t* pBegin = stAttr.item;
        const int32_t* pEnd = pBegin + stAttr.items_cnt;
        EXPECT_NE(pEnd, std::find(pBegin, pEnd, stAttr.def_val)) << "default of " << nCmd << " is not listed";
        EXPECT_TRUE(std::is_sorted(pBegin, pEnd)) << nCmd;
    }
}

TEST_F(IaSimDynamic, RangeOfAnUnlistedCommandFailsAndLeavesTheRecord) {
    ia_dynamic_params_attr_st stAttr;
    std::memset(&stAttr, 0x5a, sizeof(stAttr));
    EXPECT_NE(0, ia_ioctrl_v2(0, 52, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(0x5a5a5a5a, stAttr.attr_type);
    EXPECT_EQ(0x5a5a5a5a, stAttr.item[IA_DYNAMIC_ITEMS_MAX - 1]);
}

TEST_F(IaSimDynamic, ReplacedProfileIsAnsweredPerChannel) {
    iasim::Profile stProfile;
    stProfile.vecDynamic = {iasim::listParam(49, 2, {1, 2, 4})};
    iasim::setProfile(stProfile, 1);
    EXPECT_EQ(std::vector<int32_t>{49}, listedCommands(1));
    EXPECT_LT(1u, listedCommands(0).size());

    ia_dynamic_params_attr_st stAttr = {};
    ASSERT_EQ(0, ia_ioctrl_v2(1, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(3, stAttr.items_cnt);
    EXPECT_EQ(2, stAttr.def_val);
    EXPECT_EQ(1, stAttr.min_val);
    EXPECT_EQ(4, stAttr.max_val);
    EXPECT_EQ(4, stAttr.item[2]);
    EXPECT_EQ(0, stAttr.item[3]);
    uint32_t nVal = 0;
    EXPECT_EQ(0, ia_ioctrl_v2(1, 49, IA_CMD_OPT_GET, &nVal));
    EXPECT_EQ(2u, nVal);  // the new default
}

TEST_F(IaSimDynamic, CorrectionPicksTheNearestListedValue) {
    iasim::Profile stProfile;
    stProfile.vecDynamic = {iasim::listParam(49, 10, {-20, 10, 20, 40}), iasim::listParam(50, 0, {})};
    iasim::setProfile(stProfile);
    struct Row {
        int nCmd;
        int32_t nIn;
        int32_t nOut;
    } const aRows[] = {
        {49, 20, 20},                      // listed: unchanged
        {49, 23, 20},                      // nearest below
        {49, 37, 40},                      // nearest above
        {49, 30, 20},                      // a tie goes to the smaller value
        {49, -5, -20},                     // a tie across zero, negative values compared as signed
        {49, 1000, 40},                    // past the end
        {49, INT_MIN, -20},                // extremes do not overflow the distance
        {49, INT_MAX, 40},  {50, 33, 33},  // an empty list accepts anything
        {51, 33, 33},                      // an unlisted command is left alone
    };
    for (const Row& stRow : aRows) {
        EXPECT_EQ(stRow.nOut, corrected(stRow.nCmd, stRow.nIn)) << stRow.nCmd << " " << stRow.nIn;
    }
}

TEST_F(IaSimDynamic, CountsAreCappedAtTheRecordsUnlessAskedOtherwise) {
    iasim::Profile stProfile;
    std::vector<int32_t> vecItems;
    for (int32_t i = 0; i < 100; ++i) vecItems.push_back(i * 10);
    for (int32_t nCmd = 3000; nCmd < 3020; ++nCmd) stProfile.vecDynamic.push_back(iasim::listParam(nCmd, 0, vecItems));
    iasim::setProfile(stProfile);

    // Records of exactly their size on the heap, so that a write past the end is caught.
    std::unique_ptr<ia_dynamic_params_cmds_st> pList(new ia_dynamic_params_cmds_st());
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, pList.get()));
    EXPECT_EQ(IA_DYNAMIC_CMDS_MAX, pList->cmd_cnt);
    EXPECT_EQ(3015, pList->cmd_list[IA_DYNAMIC_CMDS_MAX - 1]);

    std::unique_ptr<ia_dynamic_params_attr_st> pAttr(new ia_dynamic_params_attr_st());
    ASSERT_EQ(0, ia_ioctrl_v2(0, 3000, IA_CMD_OPT_GET_PARAM_RNAGE, pAttr.get()));
    EXPECT_EQ(IA_DYNAMIC_ITEMS_MAX, pAttr->items_cnt);
    EXPECT_EQ(630, pAttr->item[IA_DYNAMIC_ITEMS_MAX - 1]);
    // Correction uses only the items that a range query can report.
    EXPECT_EQ(630, corrected(3000, 990));
}

TEST_F(IaSimDynamic, HostileCountsAreWrittenButNothingPastTheRecord) {
    iasim::Profile stProfile;
    iasim::DynamicParam stParam = iasim::listParam(49, 0, std::vector<int32_t>(70, 7));
    stParam.optReportedItemsCnt = 1000;
    stProfile.vecDynamic.assign(20, stParam);
    stProfile.optReportedCmdCnt = 500;
    iasim::setProfile(stProfile);

    std::unique_ptr<ia_dynamic_params_cmds_st> pList(new ia_dynamic_params_cmds_st());
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, pList.get()));
    EXPECT_EQ(500, pList->cmd_cnt);
    std::unique_ptr<ia_dynamic_params_attr_st> pAttr(new ia_dynamic_params_attr_st());
    ASSERT_EQ(0, ia_ioctrl_v2(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, pAttr.get()));
    EXPECT_EQ(1000, pAttr->items_cnt);
    EXPECT_EQ(7, pAttr->item[IA_DYNAMIC_ITEMS_MAX - 1]);

    stProfile.optReportedCmdCnt = -3;  // negative counts are passed on too
    iasim::setProfile(stProfile);
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, pList.get()));
    EXPECT_EQ(-3, pList->cmd_cnt);
}

}  // namespace
