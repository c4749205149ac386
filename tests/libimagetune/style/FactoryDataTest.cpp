// Factory values: the (id, value) pairs of the dynamic-parameter style, in document order, never more than
// the caller's array holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sensor.h"
#include "IaSimControl.h"
#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "TestSupport.h"

namespace {

const u32 kCapacity = 170;  // the factory array of a first init
const u32 kGuard = 4;       // records behind the capacity that must stay untouched
const u32 kUntouched = 0xEEEEEEEEu;

class FactoryData : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
        std::memset(m_arrPairs, 0xEE, sizeof(m_arrPairs));
    }
    void TearDown() override { iasim::reset(); }

    u32 collect(const std::string& p_strStyle, u32 p_nCapacity = kCapacity) {
        std::string strStyle = p_strStyle;
        u32 nNum = 12345;
        m_objCapture.start();
        EXPECT_EQ(SNS_SUCCESS, getFctData(1, &strStyle[0], m_arrPairs, &nNum, true, true, p_nCapacity));
        m_strOut = m_objCapture.stop();
        return nNum;
    }
    u32 valueOf(u32 p_nNum, u32 p_nKey) const {
        for (u32 i = 0; i < p_nNum; ++i)
            if (m_arrPairs[i].key == p_nKey) return m_arrPairs[i].value;
        return kUntouched;
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
    std::string m_strOut;
    KeyVal m_arrPairs[kCapacity + kGuard];
};

TEST_F(FactoryData, BoxStyleGivesEveryPairInDocumentOrder) {
    const std::string strStyle = styletest::fixture("style/Style.xml");
    const u32 nNum = collect(strStyle);
    EXPECT_EQ(0u, styletest::countReports(m_strOut)) << m_strOut;

    // Every element but the always-removed 10 and, with the beaway flag set, 11.
    std::vector<int> vecExpected;
    for (int nId : styletest::idsOf(strStyle))
        if (nId != 10 && nId != 11) vecExpected.push_back(nId);
    ASSERT_EQ(vecExpected.size(), nNum);
    for (u32 i = 0; i < nNum; ++i) EXPECT_EQ(static_cast<u32>(vecExpected[i]), m_arrPairs[i].key) << i;
    for (u32 nKey = 8000; nKey <= 8004; ++nKey) EXPECT_EQ(nKey, m_arrPairs[nKey - 8000].key);
    EXPECT_EQ(kUntouched, m_arrPairs[nNum].key);

    // Values under the simulator's default profile.
    const std::pair<u32, u32> kValues[] = {
        {34, 50},      // no dynamic command: the style's value
        {49, 25},      // style 100, no preference: the IA default
        {50, 50},      // style 50 is an IA item
        {51, 100000},  // style 100: the IA default
        {55, 1000},    // style 1000 is an item
        {56, 12},      //
        {1537, 100},   // style 100: the IA default
        {82, 128},     // dynamic, not a marker: the IA default
        {2368, 0},     // the IA default
        {8003, 24},    // scheme header from the style
    };
    for (const auto& v : kValues) EXPECT_EQ(v.second, valueOf(nNum, v.first)) << v.first;
}

TEST_F(FactoryData, StyleWithMorePairsIsCutAtTheCapacityAndReported) {
    const std::string strStyle = styletest::fixture("style/Style.xml");
    const u32 nNum = collect(strStyle, 166);  // the capacity of an init after uinit
    EXPECT_EQ(166u, nNum);
    EXPECT_TRUE(styletest::reported(m_strOut, "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)"));
    EXPECT_NE(std::string::npos, m_strOut.find("p_pnKeyValNum(166)"));
    for (u32 i = 166; i < kCapacity + kGuard; ++i) EXPECT_EQ(kUntouched, m_arrPairs[i].key) << i;
    EXPECT_EQ(8000u, m_arrPairs[0].key);
}

TEST_F(FactoryData, HugeStyleFillsTheArrayAndNoMore) {
    std::string strStyle = "<Style>";
    for (int i = 0; i < 30000; ++i)
        strStyle += "<tab key=\"t\"><p id=\"" + std::to_string(i) + "\" value=\"1\"/></tab>";
    strStyle += "</Style>";
    EXPECT_EQ(kCapacity, collect(strStyle));
    EXPECT_NE(std::string::npos, m_strOut.find("p_pnKeyValNum(170)"));
    for (u32 i = kCapacity; i < kCapacity + kGuard; ++i) EXPECT_EQ(kUntouched, m_arrPairs[i].key) << i;
    EXPECT_EQ(kCapacity - 1 + 2, m_arrPairs[kCapacity - 1].key);  // 10 and 11 went before it
}

TEST_F(FactoryData, UnusableStyleYieldsNoFactoryValues) {
    const std::pair<const char*, bool> kCases[] = {
        {"", true}, {"not xml", true}, {"<Style><p id=\"34\" value=\"1\">", true}, {"<Style/>", false}};
    for (const auto& c : kCases) {
        EXPECT_EQ(0u, collect(c.first)) << c.first;
        EXPECT_EQ(kUntouched, m_arrPairs[0].key) << c.first;
        EXPECT_EQ(c.second, styletest::reported(m_strOut, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)"))
            << c.first;
        EXPECT_EQ(c.second,
                  styletest::reported(m_strOut, "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)"))
            << c.first;
    }
}

TEST_F(FactoryData, MissingArraysAreRefused) {
    char szStyle[] = "<Style><p id=\"34\" value=\"1\"/></Style>";
    u32 nNum = 7;
    m_objCapture.start();
    EXPECT_EQ(-1, getFctData(1, szStyle, nullptr, &nNum, true, true, kCapacity));
    EXPECT_EQ(-1, getFctData(1, szStyle, m_arrPairs, nullptr, true, true, kCapacity));
    m_strOut = m_objCapture.stop();
    EXPECT_EQ(7u, nNum);
    EXPECT_TRUE(styletest::reported(m_strOut, "NULL != p_pKeyVal && NULL != p_pnKeyValNum"));
}

}  // namespace
