// Reads: single values from the cache or the IA library, key-list texts, the whole scheme, the range keys and
// the pass-through check command.
#include "ControllerFixture.h"

using testsupport::StdoutCapture;

namespace {

// A scheme without the five infrared keys that the library cannot read back.
std::vector<KeyVal> schemeWithoutInfrared() {
    return {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {34, 50}, {2337, 128}, {49, 33}};
}

const char* const MERGED_STYLE = "/tmp/merge_style_ch1.xml";

std::string styleWithMaxShutter(const char* p_szValue) {
    std::string strStyle = "<Style><tab key=\"exposure\"><p id=\"34\" value=\"50\"/>";
    if (p_szValue != nullptr) strStyle += std::string("<p id=\"49\" value=\"") + p_szValue + "\"/>";
    return strStyle + "</tab></Style>";
}

}  // namespace

class ReadsTest : public ControllerTest {
protected:
    std::string captured(const std::function<void()>& p_fnBody) {
        StdoutCapture objCapture;
        objCapture.start();
        p_fnBody();
        return objCapture.stop();
    }
};

TEST_F(ReadsTest, CachedValueNeedsNoIaCall) {
    auto c = make();
    int nVal = 0;
    EXPECT_TRUE(c->getParameter(2337, nVal));
    EXPECT_EQ(nVal, 128);
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(ReadsTest, UncachedValueComesFromTheIaLibrary) {
    auto c = make();
    iasim::setValue(0, 2321, 77);
    int nVal = 0;
    EXPECT_TRUE(c->getParameter(2321, nVal));
    EXPECT_EQ(nVal, 77);
    ASSERT_EQ(iasim::calls(2321).size(), 1u);
    EXPECT_EQ(iasim::calls(2321)[0].nOpt, IA_CMD_OPT_GET);
}

TEST_F(ReadsTest, UncachedInfraredKeysReadAsMinusOne) {
    auto c = make();
    TA::install(*c, 4, schemeWithoutInfrared());
    iasim::clearCalls();
    for (int nKey : {160, 161, 163, 165, 167}) {
        int nVal = 0;
        EXPECT_TRUE(c->getParameter(nKey, nVal)) << nKey;
        EXPECT_EQ(nVal, -1) << nKey;
    }
    EXPECT_TRUE(iasim::calls().empty());
    // The same key cached reads its value.
    int nVal = 0;
    TA::install(*c, 4, smallScheme());
    EXPECT_TRUE(c->getParameter(163, nVal));
    EXPECT_EQ(nVal, 10);
}

TEST_F(ReadsTest, IaFailureIsReportedAndReturnsFalse) {
    auto c = make();
    iasim::failCommand(2321, IA_CMD_OPT_GET, -3);
    int nVal = 0;
    std::string strOut = captured([&] { EXPECT_FALSE(c->getParameter(2321, nVal)); });
    EXPECT_NE(strOut.find("SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &p_nVal)"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("get key(2321) val from 2a err"), std::string::npos) << strOut;
}

TEST_F(ReadsTest, GetParametersListsTheReadableKeysInOrder) {
    auto c = make();
    iasim::failCommand(2321, IA_CMD_OPT_GET, -3);
    std::string strOut;
    std::string strOutText = captured([&] { EXPECT_TRUE(c->getParameters("(34,2321,2337)", strOut)); });
    EXPECT_EQ(strOut, "(34,50)(2337,128)");
    EXPECT_NE(strOutText.find("@@ out_Parameters = (34,50)(2337,128) @@\n"), std::string::npos);
}

TEST_F(ReadsTest, GetParametersClearsTheAnswerFirst) {
    auto c = make();
    std::string strOut = "(1,1)";
    EXPECT_TRUE(c->getParameters("(34)", strOut));
    EXPECT_EQ(strOut, "(34,50)");
}

TEST_F(ReadsTest, TextsThatAreNoKeyListAreRefused) {
    auto c = make();
    for (const char* szText : {"", "34,2337", "()", "(34,2337)x", "x(34)", "(34", "34)", "(34)(35)"}) {
        std::string strOut = "untouched";
        std::string strPrinted = captured([&] { EXPECT_FALSE(c->getParameters(szText, strOut)) << szText; });
        EXPECT_EQ(strOut, "untouched") << szText;
        EXPECT_NE(strPrinted.find(std::string(" getParameters fail p_strIds = ") + szText + " \n"), std::string::npos)
            << szText << ": " << strPrinted;
        EXPECT_EQ(strPrinted.rfind("ISensorController", 0), 0u) << strPrinted;
    }
}

TEST_F(ReadsTest, ParseSensorParameterSplitsAtEveryComma) {
    auto c = make();
    std::vector<std::string> vecIds;
    ASSERT_TRUE(c->parseSensorParameter("(34,,2337)", vecIds));
    EXPECT_EQ(vecIds, (std::vector<std::string>{"34", "", "2337"}));
    ASSERT_TRUE(c->parseSensorParameter("(7)", vecIds));
    EXPECT_EQ(vecIds, (std::vector<std::string>{"7"}));
}

TEST_F(ReadsTest, AllParametersFromTheCorrectedCacheBelowTheShutterMark) {
    auto c = make();
    TA::install(*c, 4, schemeWithoutInfrared());
    m_root.write(MERGED_STYLE, styleWithMaxShutter("199"));
    std::string strOut = "(1,2)";
    EXPECT_TRUE(c->getAllParameters(strOut));
    // 33 is no shutter of the sensor: the nearest one (30) is reported and kept in the cache.
    EXPECT_EQ(strOut, "(1,2)(8000,0)(8001,0)(8002,0)(8003,24)(8004,0)(34,50)(2337,128)(49,30)");
    int nVal = 0;
    c->getParameter(49, nVal);
    EXPECT_EQ(nVal, 30);
}

TEST_F(ReadsTest, AllParametersFromTheSchemeFileAtOrAboveTheShutterMark) {
    for (const char* szValue : {"200", "215", static_cast<const char*>(nullptr)}) {
        auto c = make();
        TA::install(*c, 4, schemeWithoutInfrared());
        ASSERT_TRUE(c->setParamScheme(1));
        m_root.write(MERGED_STYLE, styleWithMaxShutter(szValue));
        std::vector<KeyVal> vecFile = schemeWithoutInfrared();
        vecFile[5].value = 99;
        m_root.write("/mnt/mtd/code/config_file/sensor1_1.cfg",
                     std::string(reinterpret_cast<const char*>(vecFile.data()), vecFile.size() * sizeof(KeyVal)));
        std::string strOut;
        EXPECT_TRUE(c->getAllParameters(strOut));
        EXPECT_EQ(strOut, "(8000,0)(8001,0)(8002,0)(8003,24)(8004,0)(34,99)(2337,128)(49,33)")
            << (szValue ? szValue : "no element");
    }
}

TEST_F(ReadsTest, AllParametersOfAnUnreadableFileReportTheSchemeInForce) {
    auto c = make();
    TA::install(*c, 4, schemeWithoutInfrared());
    m_root.write(MERGED_STYLE, styleWithMaxShutter("200"));
    std::string strOut;
    std::string strPrinted = captured([&] { EXPECT_TRUE(c->getAllParameters(strOut)); });
    EXPECT_NE(strPrinted.find("SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum)"), std::string::npos);
    EXPECT_EQ(strOut, "(8000,0)(8001,0)(8002,0)(8003,24)(8004,0)(34,50)(2337,128)(49,33)");
}

TEST_F(ReadsTest, AllParametersWithoutACurrentSchemeAppendNothing) {
    auto c = make();
    for (const char* szStyleValue : {"199", "200"}) {
        m_root.write(MERGED_STYLE, styleWithMaxShutter(szStyleValue));
        for (int nScheme : {-1, 4}) {  // none yet, and the factory scheme (it has no file)
            TA::setCurScheme(*c, nScheme);
            std::string strOut = "kept";
            EXPECT_TRUE(c->getAllParameters(strOut));
            if (nScheme == -1 || std::string(szStyleValue) == "200") {
                EXPECT_EQ(strOut, "kept") << nScheme;
            }
        }
    }
}

TEST_F(ReadsTest, RangeOfAListedRangeKey) {
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic = {iasim::listParam(49, 2, {1, 2, 4}), iasim::listParam(52, 0, {1})};
    iasim::setProfile(stProfile);
    auto c = make();
    int nDefault = -1;
    std::string strRange = "old:";
    std::string strPrinted = captured([&] { EXPECT_TRUE(c->getSensorParamRange(49, nDefault, strRange)); });
    EXPECT_EQ(nDefault, 2);
    EXPECT_EQ(strRange, "old:1 2 4");
    EXPECT_NE(strPrinted.find("cmd=49 DefaltParam=2 strParamRange=old:1 2 4\n"), std::string::npos) << strPrinted;
}

TEST_F(ReadsTest, RangeRefusedForOtherKeysAndUnlistedOnes) {
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic = {iasim::listParam(52, 0, {1}), iasim::listParam(50, 7, {7})};
    iasim::setProfile(stProfile);
    auto c = make();
    for (int nCmd : {52, 49, 34}) {  // not a range key; a range key the sensor does not list; neither
        int nDefault = -1;
        std::string strRange;
        EXPECT_FALSE(c->getSensorParamRange(nCmd, nDefault, strRange)) << nCmd;
        EXPECT_EQ(nDefault, -1);
        EXPECT_EQ(strRange, "");
    }
}

TEST_F(ReadsTest, RangeOfAnotherAttributeTypeLeavesTheAnswerAlone) {
    iasim::Profile stProfile = iasim::defaultProfile();
    iasim::DynamicParam stParam = iasim::listParam(82, 5, {1, 2});
    stParam.nAttrType = 1;
    stProfile.vecDynamic = {stParam};
    iasim::setProfile(stProfile);
    auto c = make();
    int nDefault = -1;
    std::string strRange = "x";
    EXPECT_TRUE(c->getSensorParamRange(82, nDefault, strRange));
    EXPECT_EQ(nDefault, -1);
    EXPECT_EQ(strRange, "x");
}

TEST_F(ReadsTest, RangeWithAHostileItemCountStaysInTheRecord) {
    iasim::Profile stProfile = iasim::defaultProfile();
    iasim::DynamicParam stParam = iasim::listParam(49, 1, {1, 2});
    stParam.optReportedItemsCnt = 100000;
    stProfile.vecDynamic = {stParam};
    stProfile.optReportedCmdCnt = 1000;
    iasim::setProfile(stProfile);
    auto c = make();
    int nDefault = 0;
    std::string strRange;
    EXPECT_TRUE(c->getSensorParamRange(49, nDefault, strRange));
    EXPECT_EQ(strRange.rfind("1 2 ", 0), 0u);
    EXPECT_EQ(std::count(strRange.begin(), strRange.end(), ' '), IA_DYNAMIC_ITEMS_MAX - 1);
}

TEST_F(ReadsTest, SensorCheckPassesTheCommandThrough) {
    auto c = make();
    std::string strSet = "(5,1,9)";
    EXPECT_EQ(c->SensorCheck(strSet), 0);
    EXPECT_EQ(strSet, "(5,1,9)");
    std::string strGet = "(5,2,7)";
    EXPECT_EQ(c->SensorCheck(strGet), 0);
    EXPECT_EQ(strGet, "9");

    std::vector<iasim::IaCall> vecCalls = iasim::calls(IA_CMD_SENSOR_CHECK);
    ASSERT_EQ(vecCalls.size(), 2u);
    EXPECT_EQ(vecCalls[0].nOpt, IA_CMD_OPT_SET);
    EXPECT_EQ(vecCalls[1].nOpt, IA_CMD_OPT_GET);
    ia_sensor_check_st stSent = ia_sensor_check_st();
    ASSERT_TRUE(vecCalls[0].record(stSent));
    EXPECT_EQ(stSent.a, 5);
    EXPECT_EQ(stSent.b, 1);
    EXPECT_EQ(stSent.c, 9);
    EXPECT_EQ(stSent.result, 0);
}

TEST_F(ReadsTest, SensorCheckReturnsTheIaResult) {
    auto c = make();
    iasim::failCommand(IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, 17);
    std::string strText = "(1,0,3)";
    EXPECT_EQ(c->SensorCheck(strText), 17);
}

TEST_F(ReadsTest, SensorCheckRefusesTextsItCannotRead) {
    auto c = make();
    for (const char* szText : {"5,2,7", "(5,2)", "(5)", "()", ""}) {
        std::string strText = szText;
        std::string strPrinted = captured([&] { EXPECT_EQ(c->SensorCheck(strText), 0) << szText; });
        EXPECT_EQ(strText, szText);
        EXPECT_NE(strPrinted.find(std::string(" getParameters fail p_strIds = ") + szText + " \n"), std::string::npos)
            << strPrinted;
    }
    EXPECT_TRUE(iasim::calls(IA_CMD_SENSOR_CHECK).empty());
}
