// Values and records of the simulated IA library: defaults, set/get, record commands, argument checks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "IaSimControl.h"
#include "ia_ctrl.h"

namespace {

class IaSimValues : public ::testing::Test {
protected:
    void SetUp() override { iasim::reset(); }
    void TearDown() override { iasim::reset(); }

    static int get(int p_nChannel, int p_nCmd, uint32_t& p_nVal) {
        return ia_ioctrl_v2(p_nChannel, p_nCmd, IA_CMD_OPT_GET, &p_nVal);
    }
    static int set(int p_nChannel, int p_nCmd, uint32_t p_nVal) {
        return ia_ioctrl_v2(p_nChannel, p_nCmd, IA_CMD_OPT_SET, &p_nVal);
    }
};

// The commands of the key-command map: every one must be accepted with set and get.
const int kMapCommands[] = {
    8240, 34,   2337, 2353, 2321, 96,   16,   49,   50,   51,   52,   55,   56,   57,   65,   66,   80,   81,
    82,   85,   83,   84,   768,  770,  771,  144,  147,  160,  161,  162,  163,  164,  165,  166,  167,  155,
    168,  169,  170,  171,  172,  2304, 2305, 2306, 2307, 2308, 2309, 2312, 2313, 2368, 2369, 112,  113,  128,
    129,  130,  2416, 2417, 2400, 2401, 176,  190,  191,  192,  193,  2384, 2385, 2386, 145,  146,  154,  149,
    150,  151,  152,  1536, 1537, 1538, 1539, 1616, 1570, 1569, 1553, 1554, 1584, 1571, 8104, 8100, 8101, 8102,
    8103, 8105, 1552, 1568, 2432, 2433, 2434, 2435, 2436, 2437, 2438, 2439, 2464, 2512, 2528, 2560, 8201, 8202,
    8203, 8209, 8204, 8205, 8206, 8207, 8208, 8211, 8212, 8217, 8231, 9000, 9001, 9002, 9003, 9004, 9005, 9101,
    9102, 9103, 9104, 9105, 9106, 9201, 9202, 9203, 9204, 9205, 9206, 9301, 9302, 9303, 9304, 9305, 9306, 9401,
    9402, 9403, 9404, 9405, 9406, 224,  2048, 2064, 772,  773,
};

TEST_F(IaSimValues, EveryMapCommandIsAcceptedWithSetAndGet) {
    for (int nCmd : kMapCommands) {
        // The largest record any of these commands carries, so that a record command cannot overrun it.
        unsigned char aBuf[64] = {};
        EXPECT_EQ(0, ia_ioctrl_v2(0, nCmd, IA_CMD_OPT_SET, aBuf)) << nCmd;
        EXPECT_EQ(0, ia_ioctrl_v2(0, nCmd, IA_CMD_OPT_GET, aBuf)) << nCmd;
    }
}

TEST_F(IaSimValues, GetAnswersTheProfileDefaultUntilSet) {
    struct Row {
        int nCmd;
        uint32_t nDefault;
    } const aRows[] = {
        {34, 50},                                      // a plain value of the profile
        {49, 25},                                      // a dynamic command: its def_val
        {2368, 0},                                     // a dynamic command whose default is 0
        {153, 0},                                      // day
        {1568, 16384},                                 // zoom at 1x
        {145, 20},                                     // day-to-night threshold: its field of the default record
        {146, 60},     {154, 5}, {151, 6}, {7777, 0},  // unknown to the profile
    };
    for (const Row& stRow : aRows) {
        uint32_t nVal = 0xdeadbeef;
        EXPECT_EQ(0, get(0, stRow.nCmd, nVal));
        EXPECT_EQ(stRow.nDefault, nVal) << stRow.nCmd;
    }
}

TEST_F(IaSimValues, SetIsKeptPerChannel) {
    ASSERT_EQ(0, set(1, 34, 80));
    uint32_t nVal = 0;
    EXPECT_EQ(0, get(1, 34, nVal));
    EXPECT_EQ(80u, nVal);
    EXPECT_EQ(0, get(0, 34, nVal));
    EXPECT_EQ(50u, nVal);
    EXPECT_EQ(80u, iasim::value(1, 34));
    iasim::setValue(2, 34, 7);
    EXPECT_EQ(0, get(2, 34, nVal));
    EXPECT_EQ(7u, nVal);
}

TEST_F(IaSimValues, DayNightRecordsAreTakenWholeAndReadBackByField) {
    dn_thr_st stThr = {30, 70, 9};
    ASSERT_EQ(0, ia_ioctrl_v2(0, 146, IA_CMD_OPT_SET, &stThr));
    uint32_t nVal = 0;
    EXPECT_EQ(0, get(0, 146, nVal));
    EXPECT_EQ(70u, nVal);  // its own field
    EXPECT_EQ(0, get(0, 145, nVal));
    EXPECT_EQ(20u, nVal);  // another command keeps its own record

    dn_time_st stTime = {19, 30, 5, 45};
    ASSERT_EQ(0, ia_ioctrl_v2(0, 152, IA_CMD_OPT_SET, &stTime));
    EXPECT_EQ(0, get(0, 152, nVal));
    EXPECT_EQ(45u, nVal);
    ASSERT_EQ(2u, iasim::calls(152).size());
    dn_time_st stLogged = {};
    ASSERT_TRUE(iasim::calls(152)[0].record(stLogged));
    EXPECT_EQ(19u, stLogged.d2n_hour);
    EXPECT_EQ(30u, stLogged.d2n_min);
    EXPECT_EQ(5u, stLogged.n2d_hour);
    EXPECT_EQ(45u, stLogged.n2d_min);
}

TEST_F(IaSimValues, RecordCommandsAnswerTheirRecords) {
    ia_ae_info_st stAe = {};
    EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_AE_INFO, IA_CMD_OPT_GET, &stAe));
    EXPECT_EQ(20000, stAe.r0);
    EXPECT_EQ(16, stAe.r1);
    EXPECT_EQ(300, stAe.r2);

    ia_ir_led_info_st stLed = {};
    stLed.led_count = 6;
    stLed.wavelength_nm = 850;
    stLed.reserved[4] = 99;
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, &stLed));
    ia_ir_led_info_st stBack = {};
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_IR_LED_INFO, IA_CMD_OPT_GET, &stBack));
    EXPECT_EQ(0, std::memcmp(&stLed, &stBack, sizeof(stLed)));
}

TEST_F(IaSimValues, VersionTextIsTerminatedWithinItsBuffer) {
    char szVer[IA_CAMERA_VERSION_LEN];
    std::memset(szVer, 'x', sizeof(szVer));
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, szVer));
    EXPECT_STREQ("IASIM V1.0.0 build 1", szVer);

    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.strVersion = std::string(80, 'v');  // longer than the buffer
    iasim::setProfile(stProfile, 0);
    std::memset(szVer, 'x', sizeof(szVer));
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, szVer));
    EXPECT_EQ(std::string(IA_CAMERA_VERSION_LEN - 1, 'v'), std::string(szVer));
}

TEST_F(IaSimValues, SensorCheckReadsBackWhatWasSetForItsItem) {
    ia_sensor_check_st stCheck = {5, 1, 7, 0};
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, &stCheck));
    ia_sensor_check_st stRead = {5, 2, 0, 0};
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &stRead));
    EXPECT_EQ(7, stRead.result);
    ia_sensor_check_st stOther = {6, 2, 0, 123};
    ASSERT_EQ(0, ia_ioctrl_v2(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, &stOther));
    EXPECT_EQ(0, stOther.result);
}

TEST_F(IaSimValues, ExecStatusIsDone) {
    int nStatus = -5;
    EXPECT_EQ(0, ia_ioctrl_v2(0, 1539, IA_CMD_OPT_GET_EXEC_STATUS, &nStatus));
    EXPECT_EQ(0, nStatus);
}

TEST_F(IaSimValues, BadArgumentsFailWithoutWriting) {
    struct Row {
        const char* szWhat;
        int nChannel;
        int nCmd;
        int nOpt;
    } const aRows[] = {
        {"negative channel", -1, 34, IA_CMD_OPT_GET},
        {"channel past the last", iasim::kChannelCount, 34, IA_CMD_OPT_GET},
        {"unknown option", 0, 34, 5},
        {"negative option", 0, 34, -1},
        {"setting the command list", 0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_SET},
    };
    for (const Row& stRow : aRows) {
        uint32_t nVal = 0xabcd;
        EXPECT_EQ(-1, ia_ioctrl_v2(stRow.nChannel, stRow.nCmd, stRow.nOpt, &nVal)) << stRow.szWhat;
        EXPECT_EQ(0xabcdu, nVal) << stRow.szWhat;
    }
    for (int nOpt = IA_CMD_OPT_SET; nOpt <= IA_CMD_OPT_GET_EXEC_STATUS; ++nOpt) {
        EXPECT_EQ(-1, ia_ioctrl_v2(0, 49, nOpt, nullptr)) << nOpt;
    }
    uint32_t nVal = 0;
    EXPECT_EQ(0, ia_ioctrl_v2(iasim::kChannelCount - 1, 34, IA_CMD_OPT_GET, &nVal));
}

TEST_F(IaSimValues, RecordSizesFollowTheCommand) {
    EXPECT_EQ(sizeof(uint32_t), iasim::recordSize(34, IA_CMD_OPT_SET));
    EXPECT_EQ(sizeof(dn_thr_st), iasim::recordSize(145, IA_CMD_OPT_SET));
    EXPECT_EQ(sizeof(uint32_t), iasim::recordSize(145, IA_CMD_OPT_GET));
    EXPECT_EQ(sizeof(dn_time_st), iasim::recordSize(150, IA_CMD_OPT_SET));
    EXPECT_EQ(sizeof(ia_ae_info_st), iasim::recordSize(IA_CMD_AE_INFO, IA_CMD_OPT_GET));
    EXPECT_EQ(size_t(IA_CAMERA_VERSION_LEN), iasim::recordSize(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET));
    EXPECT_EQ(sizeof(ia_dynamic_params_cmds_st), iasim::recordSize(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET));
    EXPECT_EQ(sizeof(ia_dynamic_params_attr_st), iasim::recordSize(49, IA_CMD_OPT_GET_PARAM_RNAGE));
    EXPECT_EQ(0u, iasim::recordSize(34, 9));
}

TEST_F(IaSimValues, SetRecordAndSetValueReachTheGet) {
    const dn_thr_st stThr = {11, 22, 33};
    iasim::setRecord(0, 154, &stThr, sizeof(stThr));
    uint32_t nVal = 0;
    EXPECT_EQ(0, get(0, 154, nVal));
    EXPECT_EQ(33u, nVal);
    iasim::setValue(0, 154, 44);
    EXPECT_EQ(0, get(0, 154, nVal));
    EXPECT_EQ(44u, nVal);

    iasim::setDayNight(3, 1);
    EXPECT_EQ(0, get(3, IA_CMD_DN_STATE, nVal));
    EXPECT_EQ(1u, nVal);
    EXPECT_EQ(0, get(2, IA_CMD_DN_STATE, nVal));
    EXPECT_EQ(0u, nVal);
}

}  // namespace
