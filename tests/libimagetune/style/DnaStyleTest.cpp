// The dynamic-parameter style: IA defaults and choices applied to the merged style, the style-value markers,
// the customised shutter list, the removal table, and hostile IA records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor.h"
#include "IaSimControl.h"
#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "TestSupport.h"

namespace {

using Ids = std::vector<int>;

class DnaStyle : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        setProfile({});
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
    }
    void TearDown() override {
        iasim::reset();
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
    }

    static void setProfile(const std::vector<iasim::DynamicParam>& p_vecDynamic,
                           std::optional<int32_t> p_optCmdCnt = std::nullopt) {
        iasim::Profile stProfile;
        stProfile.vecDynamic = p_vecDynamic;
        stProfile.optReportedCmdCnt = p_optCmdCnt;
        iasim::setProfile(stProfile);
    }

    std::string dna(const std::string& p_strStyle, bool p_bShowWDR = true, bool p_bShowLDC = true, int p_nChannel = 1) {
        std::string strOut = "untouched";
        m_objCapture.start();
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(p_nChannel, p_strStyle.c_str(), strOut, p_bShowWDR, p_bShowLDC));
        m_strOut = m_objCapture.stop();
        return strOut;
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
    std::string m_strOut;
};

const char* const kRemovalStyle =
    "<Style><tab key=\"a\"><p id=\"34\" value=\"50\"/><p id=\"10\" value=\"0\"/><p id=\"11\" value=\"0\"/>"
    "<p id=\"2368\" value=\"1\"/><p id=\"2369\" value=\"50\"/><p id=\"2048\" value=\"0\"/>"
    "<p id=\"2064\" value=\"50\"/><p id=\"2386\" value=\"0\"/></tab></Style>";

struct RemovalCase {
    bool bShowWDR;
    bool bShowLDC;
    bool bShowBeaway;
    bool bShowFisheyeRotate;
    Ids vecKept;
};

const RemovalCase kRemovalCases[] = {
    {true, true, true, true, {34, 2368, 2369, 2048, 2064, 2386}},
    {false, true, false, true, {34, 11, 2048, 2064, 2386}},
    {true, false, false, false, {34, 11, 2368, 2369}},
    {false, false, true, false, {34}},
};

TEST_F(DnaStyle, WithoutDynamicCommandsOnlyTheRemovalsApply) {
    for (const RemovalCase& c : kRemovalCases) {
        setshowBeawayFalg(c.bShowBeaway);
        setshowFisheyeRotateFlag(c.bShowFisheyeRotate);
        const std::string strStyle = dna(kRemovalStyle, c.bShowWDR, c.bShowLDC);
        EXPECT_EQ(c.vecKept, styletest::idsOf(strStyle))
            << c.bShowWDR << c.bShowLDC << c.bShowBeaway << c.bShowFisheyeRotate;
        EXPECT_EQ("50", styletest::attrOfId(strStyle, 34, "value"));
        EXPECT_EQ(0u, styletest::countReports(m_strOut));
    }
}

TEST_F(DnaStyle, RemovalTakesTheLastOfSeveralAndNeverTheRoot) {
    const std::string strTwice =
        dna("<Style><p id=\"10\" value=\"1\"/><p id=\"10\" value=\"2\"/><p id=\"34\" value=\"3\"/></Style>");
    EXPECT_EQ(Ids({10, 34}), styletest::idsOf(strTwice));
    EXPECT_EQ("1", styletest::attrOfId(strTwice, 10, "value"));

    // The root matches first and its children are not searched, so nothing goes.
    const std::string strRoot = dna("<Style id=\"10\" value=\"0\"><p id=\"10\" value=\"1\"/></Style>");
    EXPECT_EQ(Ids({10, 10}), styletest::idsOf(strRoot));
}

TEST_F(DnaStyle, CommandTakesTheIaDefaultAndKeepsOnlyItsChoices) {
    setProfile({iasim::listParam(82, 64, {0, 64, 128}), iasim::listParam(2369, 7, {})});
    const std::string strStyle =
        dna("<Style><tab key=\"a\"><p id=\"82\" value=\"1\"><i index=\"0\"/><i index=\"32\"/><i index=\"64\"/>"
            "<i index=\"96\"/><i index=\"128\"/></p><p id=\"2369\" value=\"50\"><i index=\"50\"/><i index=\"7\"/></p>"
            "<p id=\"34\" value=\"40\"><i index=\"1\"/></p></tab></Style>");
    EXPECT_EQ("64", styletest::attrOfId(strStyle, 82, "value"));
    EXPECT_EQ(Ids({0, 64, 128}), styletest::choicesOfId(strStyle, 82));
    // No items: the default stays and every choice goes.
    EXPECT_EQ("7", styletest::attrOfId(strStyle, 2369, "value"));
    EXPECT_EQ(Ids(), styletest::choicesOfId(strStyle, 2369));
    // Not a dynamic command: untouched.
    EXPECT_EQ("40", styletest::attrOfId(strStyle, 34, "value"));
    EXPECT_EQ(Ids({1}), styletest::choicesOfId(strStyle, 34));
}

struct MarkerCase {
    int nCmd;
    int nStyleValue;
    std::vector<int32_t> vecItems;
    int nDefVal;
    int nExpected;
};

const MarkerCase kMarkerCases[] = {
    {51, 100, {100, 1000, 10000}, 1000, 1000},   // 100: no preference, even when 100 is an item
    {55, 2000, {1000, 2000, 4000}, 1000, 2000},  // a listed value becomes the default
    {50, 77, {50, 100}, 50, 50},                 // an unlisted one does not
    {56, 12, {1, 12, 25}, 25, 12},
    {1537, 300, {100, 300}, 100, 300},
    {49, 150, {100, 150}, 100, 150},
    {82, 128, {64, 128}, 64, 64},  // no marker command: the IA default, whatever the style says
};

TEST_F(DnaStyle, StyleValueOfAMarkerCommandMayChooseTheDefault) {
    for (const MarkerCase& c : kMarkerCases) {
        setProfile({iasim::listParam(c.nCmd, c.nDefVal, c.vecItems)});
        const std::string strId = std::to_string(c.nCmd);
        const std::string strStyle =
            dna("<Style><p id=\"" + strId + "\" value=\"" + std::to_string(c.nStyleValue) + "\"/></Style>");
        EXPECT_EQ(std::to_string(c.nExpected), styletest::attrOfId(strStyle, c.nCmd, "value")) << c.nCmd;
    }
}

TEST_F(DnaStyle, CustomisedShutterListReplacesTheIaList) {
    setProfile({iasim::listParam(49, 25, {25, 50, 100})});
    const std::string strStyle =
        dna("<Style><p id=\"49\" value=\"215\"><i index=\"5\"/><i index=\"10\"/><i index=\"15\"/></p></Style>");
    EXPECT_EQ("15", styletest::attrOfId(strStyle, 49, "value"));
    EXPECT_EQ(Ids({5, 10, 15}), styletest::choicesOfId(strStyle, 49));
    // The marker walk is printed whatever the debug level.
    EXPECT_NE(std::string::npos, m_strOut.find("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"));
    EXPECT_NE(std::string::npos, m_strOut.find(" dnaParamList.item[2] = 100 nVal = 215 \n"));

    // Only command 49 has a customised list.
    setProfile({iasim::listParam(50, 25, {25, 50})});
    const std::string strFix = dna("<Style><p id=\"50\" value=\"215\"><i index=\"5\"/><i index=\"25\"/></p></Style>");
    EXPECT_EQ("25", styletest::attrOfId(strFix, 50, "value"));
    EXPECT_EQ(Ids({25}), styletest::choicesOfId(strFix, 50));
}

TEST_F(DnaStyle, ChoiceWithoutIndexStopsThatCommandOnly) {
    setProfile({iasim::listParam(82, 9, {3}), iasim::listParam(34, 9, {8})});
    const std::string strStyle =
        dna("<Style><p id=\"82\" value=\"0\"><i index=\"1\"/><i/><i index=\"2\"/></p>"
            "<p id=\"34\" value=\"1\"><i index=\"7\"/><i index=\"8\"/></p></Style>");
    EXPECT_EQ("9", styletest::attrOfId(strStyle, 82, "value"));
    EXPECT_EQ(Ids({-1, 2}), styletest::choicesOfId(strStyle, 82));  // edits before the bad choice stay
    EXPECT_TRUE(styletest::reported(
        m_strOut, "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], &dnaParamList)"));
    EXPECT_EQ("9", styletest::attrOfId(strStyle, 34, "value"));
    EXPECT_EQ(Ids({8}), styletest::choicesOfId(strStyle, 34));
}

TEST_F(DnaStyle, EveryElementOfTheCommandIsEditedAndTheLaterValueDecides) {
    setProfile({iasim::listParam(55, 250, {250, 1000, 2000})});
    const std::string strStyle =
        dna("<Style><tab key=\"a\"><p id=\"55\" value=\"1000\"/></tab><tab key=\"b\"><p id=\"55\" value=\"2000\">"
            "<i index=\"2000\"/><i index=\"3\"/></p></tab></Style>");
    TiXmlDocument doc;
    doc.Parse(strStyle.c_str());
    const TiXmlElement* pFirst = doc.RootElement()->FirstChildElement()->FirstChildElement();
    const TiXmlElement* pSecond = doc.RootElement()->FirstChildElement()->NextSiblingElement()->FirstChildElement();
    EXPECT_STREQ("2000", pFirst->Attribute("value"));
    EXPECT_STREQ("2000", pSecond->Attribute("value"));
    EXPECT_EQ(nullptr, pSecond->FirstChildElement()->NextSiblingElement());
}

TEST_F(DnaStyle, FailedCommandListIsReportedAndTheRemovalsStillRun) {
    setProfile({iasim::listParam(34, 9, {9})});
    iasim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, -1);
    const std::string strStyle = dna("<Style><p id=\"34\" value=\"50\"/><p id=\"10\" value=\"0\"/></Style>");
    EXPECT_TRUE(styletest::reported(m_strOut,
                                    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                                    "IA_CMD_OPT_GET, (void*)(&dnaCmdList))"));
    EXPECT_EQ(Ids({34}), styletest::idsOf(strStyle));
    EXPECT_EQ("50", styletest::attrOfId(strStyle, 34, "value"));
}

TEST_F(DnaStyle, FailedRangeQueryAppliesAnEmptyRecordNotThePreviousOne) {
    setProfile({iasim::listParam(82, 64, {0, 64}), iasim::listParam(34, 9, {9})});
    iasim::failCommand(34, IA_CMD_OPT_GET_PARAM_RNAGE, -1);
    const std::string strStyle =
        dna("<Style><p id=\"82\" value=\"1\"><i index=\"64\"/></p><p id=\"34\" value=\"1\"><i index=\"64\"/>"
            "<i index=\"9\"/></p></Style>");
    EXPECT_TRUE(styletest::reported(m_strOut,
                                    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                                    "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))"));
    EXPECT_EQ("64", styletest::attrOfId(strStyle, 82, "value"));
    EXPECT_EQ("0", styletest::attrOfId(strStyle, 34, "value"));
    EXPECT_EQ(Ids(), styletest::choicesOfId(strStyle, 34));
}

TEST_F(DnaStyle, HostileCommandCountIsCutToTheList) {
    std::vector<iasim::DynamicParam> vecDynamic;
    for (int nCmd = 100; nCmd < 120; ++nCmd) vecDynamic.push_back(iasim::listParam(nCmd, 1, {1}));
    setProfile(vecDynamic, 100000);
    dna("<Style><p id=\"100\" value=\"0\"/></Style>");
    EXPECT_NE(std::string::npos, m_strOut.find("dnaCmdList.cmd_cnt(100000)"));
    EXPECT_EQ(static_cast<size_t>(IA_DYNAMIC_CMDS_MAX), iasim::calls().size() - 1);

    iasim::clearCalls();
    setProfile(vecDynamic, -7);
    dna("<Style><p id=\"100\" value=\"0\"/></Style>");
    EXPECT_EQ(1u, iasim::calls().size());
}

TEST_F(DnaStyle, HostileItemCountIsCutToTheRecord) {
    std::vector<int32_t> vecItems;
    for (int i = 0; i < 80; ++i) vecItems.push_back(i);
    iasim::DynamicParam stShutter = iasim::listParam(49, 3, vecItems);
    stShutter.optReportedItemsCnt = 100000;
    iasim::DynamicParam stIris = iasim::listParam(82, 5, {5});
    stIris.optReportedItemsCnt = -5;
    setProfile({stShutter, stIris});
    const std::string strStyle =
        dna("<Style><p id=\"49\" value=\"70\"><i index=\"63\"/><i index=\"64\"/></p>"
            "<p id=\"82\" value=\"0\"><i index=\"5\"/></p></Style>");
    EXPECT_NE(std::string::npos, m_strOut.find("cmd(49) dnaParamList.items_cnt(100000)"));
    EXPECT_EQ(std::string::npos, m_strOut.find("dnaParamList.item[64]"));
    EXPECT_EQ("3", styletest::attrOfId(strStyle, 49, "value"));  // 70 lies beyond the record's 64 items
    EXPECT_EQ(Ids({63}), styletest::choicesOfId(strStyle, 49));
    EXPECT_EQ(Ids(), styletest::choicesOfId(strStyle, 82));
}

TEST_F(DnaStyle, UnusableStyleGivesAnEmptyStyle) {
    setProfile({iasim::listParam(34, 9, {9})});
    std::string strDeep;
    for (int i = 0; i < 100000; ++i) strDeep += "<a>";
    for (const std::string& strBad :
         {std::string(), std::string("not xml"), std::string("<Style><p id=\"34\""), strDeep}) {
        EXPECT_EQ("", dna(strBad));
        EXPECT_TRUE(styletest::reported(m_strOut, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)"));
    }
    std::string strOut;
    m_objCapture.start();
    EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, nullptr, strOut, true, true));
    m_objCapture.stop();
    EXPECT_EQ("", strOut);
}

TEST_F(DnaStyle, AddressesTheIaChannelBelowTheCameraNumber) {
    setProfile({iasim::listParam(34, 9, {9})});
    dna("<Style><p id=\"34\" value=\"1\"/></Style>", true, true, 3);
    const std::vector<iasim::IaCall> vecCalls = iasim::calls();
    ASSERT_EQ(2u, vecCalls.size());
    EXPECT_EQ(2, vecCalls[0].nChannel);
    EXPECT_EQ(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, vecCalls[0].nCmd);
    EXPECT_EQ(2, vecCalls[1].nChannel);
    EXPECT_EQ(IA_CMD_OPT_GET_PARAM_RNAGE, vecCalls[1].nOpt);
}

}  // namespace
