// Correcting stored values against the IA library's dynamic parameters.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "IaSimControl.h"
#include "KeyValPrinting.h"
#include "SensorKeyVal.h"
#include "TestSupport.h"
#include "ia_ctrl.h"

namespace {

class KeyValCorrectTest : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        iasim::Profile stProfile;
        stProfile.vecDynamic = {iasim::listParam(34, 50, {10, 20, 30}), iasim::listParam(2337, 128, {128, 256})};
        iasim::setProfile(stProfile);
    }
    void TearDown() override { iasim::reset(); }

    std::string printed(const std::function<void()>& p_fnCall) {
        testsupport::StdoutCapture cap;
        cap.start();
        p_fnCall();
        return cap.stop();
    }

    testsupport::TempDeviceRoot m_root;
};

TEST_F(KeyValCorrectTest, CorrectsOnlyTheFirstRecordOfEachListedKey) {
    std::vector<KeyVal> records = {{99, 7}, {34, 14}, {34, 29}, {2337, 200}, {1, 1000}};
    int nResult = -5;
    std::string strOut = printed([&] { nResult = keyval_correct(2, records.data(), 5); });
    EXPECT_EQ(nResult, SNS_SUCCESS);
    EXPECT_EQ(records, (std::vector<KeyVal>{{99, 7}, {34, 10}, {34, 29}, {2337, 256}, {1, 1000}}));
    EXPECT_EQ(strOut, "");

    std::vector<iasim::IaCall> vCalls = iasim::calls();
    ASSERT_EQ(vCalls.size(), 3u);
    EXPECT_EQ(vCalls[0].nCmd, IA_CMD_DYNAMIC_PARAMS_CMDS_GET);
    EXPECT_EQ(vCalls[0].nOpt, IA_CMD_OPT_GET);
    EXPECT_EQ(vCalls[1].nCmd, 34);
    EXPECT_EQ(vCalls[1].value(), 14u);
    EXPECT_EQ(vCalls[2].nCmd, 2337);
    for (const iasim::IaCall& c : vCalls) EXPECT_EQ(c.nChannel, 2);
    for (size_t i = 1; i < vCalls.size(); ++i) EXPECT_EQ(vCalls[i].nOpt, IA_CMD_OPT_CORRECT_PARAM);
}

TEST_F(KeyValCorrectTest, TracesEachCorrectionAtDebugLevel6) {
    testsupport::setDebugSign(m_root, "6");
    std::vector<KeyVal> records = {{34, 14}};
    std::string strOut = printed([&] { keyval_correct(0, records.data(), 1); });
    EXPECT_NE(strOut.find("[sensor dbg]"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("before correct: (34,14)\n"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("after correct: (34,10)\n"), std::string::npos) << strOut;
}

TEST_F(KeyValCorrectTest, ListedKeyWithoutARecordIsReportedAndSkipped) {
    iasim::Profile stProfile;
    stProfile.vecDynamic = {iasim::listParam(555, 1, {1, 2}), iasim::listParam(34, 50, {10, 20, 30})};
    iasim::setProfile(stProfile);
    std::vector<KeyVal> records = {{34, 29}, {556, 9}};
    std::string strOut = printed([&] { EXPECT_EQ(keyval_correct(0, records.data(), 2), SNS_SUCCESS); });
    EXPECT_EQ(records, (std::vector<KeyVal>{{34, 30}, {556, 9}}));
    EXPECT_NE(strOut.find("[sensor assert]"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("cmd_list[0]=555\n"), std::string::npos) << strOut;
    EXPECT_EQ(strOut.find("Assertion failed"), std::string::npos) << strOut;  // an error message, not a check
}

TEST_F(KeyValCorrectTest, EmptyListChangesAndReportsNothing) {
    iasim::setProfile(iasim::Profile());
    std::vector<KeyVal> records = {{34, 14}};
    std::string strOut = printed([&] { EXPECT_EQ(keyval_correct(0, records.data(), 1), SNS_SUCCESS); });
    EXPECT_EQ(records[0], (KeyVal{34, 14}));
    EXPECT_EQ(strOut, "");
    EXPECT_EQ(iasim::calls().size(), 1u);
}

// A count beyond the list's 16 entries is cut to 16; a negative one means no commands.
TEST_F(KeyValCorrectTest, CommandCountIsBoundedByTheList) {
    struct Row {
        int nReported;
        size_t nCorrectCalls;  // 34 and 2337, then the 14 zeroed entries, which find the record of key 0
        bool bCountReport;
    };
    static const Row kRows[] = {{1000, 16, true}, {17, 16, true}, {16, 16, false}, {-5, 0, false}};
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.nReported);
        iasim::Profile stProfile;
        stProfile.vecDynamic = {iasim::listParam(34, 50, {10, 20, 30}), iasim::listParam(2337, 128, {128, 256})};
        stProfile.optReportedCmdCnt = row.nReported;
        iasim::setProfile(stProfile);
        iasim::clearCalls();
        std::vector<KeyVal> records = {{0, 5}, {34, 14}, {2337, 200}};
        std::string strOut = printed([&] { EXPECT_EQ(keyval_correct(0, records.data(), 3), SNS_SUCCESS); });
        EXPECT_EQ(iasim::calls().size(), 1 + row.nCorrectCalls);
        EXPECT_EQ(strOut.find("cmd_cnt(" + std::to_string(row.nReported) + ")") != std::string::npos, row.bCountReport)
            << strOut;
        EXPECT_EQ(records[1].value, row.nCorrectCalls == 0 ? 14u : 10u);
    }
}

TEST_F(KeyValCorrectTest, FailedQueryIsReportedAndCorrectsNothing) {
    iasim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, -1);
    std::vector<KeyVal> records = {{34, 14}};
    int nResult = -5;
    std::string strOut = printed([&] { nResult = keyval_correct(0, records.data(), 1); });
    EXPECT_EQ(nResult, SNS_SUCCESS);
    EXPECT_EQ(records[0], (KeyVal{34, 14}));
    EXPECT_NE(strOut.find("SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                          "IA_CMD_OPT_GET, (void*)(&dnaCmdList))   ~~~Assertion failed."),
              std::string::npos)
        << strOut;
}

TEST_F(KeyValCorrectTest, FailedCorrectionIsReportedAndTheOthersGoOn) {
    iasim::failCommand(34, IA_CMD_OPT_CORRECT_PARAM, -2);
    std::vector<KeyVal> records = {{34, 14}, {2337, 200}};
    std::string strOut = printed([&] { EXPECT_EQ(keyval_correct(0, records.data(), 2), SNS_SUCCESS); });
    EXPECT_EQ(records, (std::vector<KeyVal>{{34, 14}, {2337, 256}}));
    EXPECT_NE(strOut.find("SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key, "
                          "IA_CMD_OPT_CORRECT_PARAM, &p_pKeyval[index].value)   ~~~Assertion failed."),
              std::string::npos)
        << strOut;
}

TEST_F(KeyValCorrectTest, NullArrayIsReportedWithoutAQuery) {
    int nResult = 0;
    std::string strOut = printed([&] { nResult = keyval_correct(0, nullptr, 3); });
    EXPECT_EQ(nResult, -1);
    EXPECT_NE(strOut.find("NULL != p_pKeyval   ~~~Assertion failed."), std::string::npos) << strOut;
    EXPECT_TRUE(iasim::calls().empty());
}

}  // namespace
