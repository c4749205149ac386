// The element helpers of the style: search by id, reading and editing, removal, the customised list and the
// collection of (id, value) pairs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "TestSupport.h"
#include "XmlText.h"

namespace {

class StyleElements : public ::testing::Test {
protected:
    TiXmlElement* load(const std::string& p_strXml) {
        EXPECT_TRUE(xmlLoadMem(m_objDoc, p_strXml.c_str(), TIXML_ENCODING_UTF8));
        return m_objDoc.RootElement();
    }
    std::string text() const { return xmlGetString(m_objDoc); }

    testsupport::TempDeviceRoot m_objRoot;
    TiXmlDocument m_objDoc;
};

const char* const kNested =
    "<Style><tab key=\"a\"><p id=\"7\" value=\"1\"><p id=\"7\" value=\"99\"/></p></tab>"
    "<tab key=\"b\"><p id=\"7\"/><p id=\"7\" value=\"2\" n=\"last\"/><p id=\"8\" value=\"3\"/></tab></Style>";

TEST_F(StyleElements, SearchTakesTheLastMatchAndSkipsInsideMatches) {
    TiXmlElement* pRoot = load(kNested);
    int nValue = -1;
    EXPECT_EQ(0, getDnaValbyCmdId(pRoot, 7, nValue));
    EXPECT_EQ(2, nValue);
    TiXmlElement* pNode = nullptr;
    EXPECT_EQ(0, getNodebyCmdId(pRoot, 7, pNode));
    ASSERT_NE(nullptr, pNode);
    EXPECT_STREQ("last", pNode->Attribute("n"));

    // The nested 7 inside a matching 7 is never visited: in tab "a" the outer one is the match.
    TiXmlElement* pTabA = pRoot->FirstChildElement();
    TiXmlDocument objTabOnly;
    objTabOnly.InsertEndChild(*pTabA);
    nValue = -1;
    getDnaValbyCmdId(objTabOnly.RootElement(), 7, nValue);
    EXPECT_EQ(1, nValue);
}

TEST_F(StyleElements, SearchWithoutResultLeavesTheOutputAlone) {
    TiXmlElement* pRoot = load("<Style><p id=\"7\"/><p id=\"x7\" value=\"4\"/></Style>");
    int nValue = -1;
    getDnaValbyCmdId(pRoot, 7, nValue);  // the match has no value
    EXPECT_EQ(-1, nValue);
    getDnaValbyCmdId(pRoot, 5, nValue);
    getDnaValbyCmdId(nullptr, 7, nValue);
    EXPECT_EQ(-1, nValue);
    TiXmlElement* pSentinel = pRoot;
    getNodebyCmdId(pRoot, 5, pSentinel);
    getNodebyCmdId(nullptr, 7, pSentinel);
    EXPECT_EQ(pRoot, pSentinel);
}

TEST_F(StyleElements, DeleteNodeRemovesChildrenButNeverTheRoot) {
    TiXmlElement* pRoot = load("<Style><tab key=\"a\"><p id=\"7\" value=\"1\"/></tab></Style>");
    EXPECT_EQ(-1, DeleteNode(nullptr, pRoot));
    EXPECT_EQ(-1, DeleteNode(pRoot, nullptr));
    EXPECT_EQ(0, DeleteNode(pRoot, pRoot));
    EXPECT_EQ(pRoot, m_objDoc.RootElement());
    TiXmlElement* pNode = nullptr;
    getNodebyCmdId(pRoot, 7, pNode);
    EXPECT_EQ(0, DeleteNode(pRoot, pNode));
    EXPECT_EQ("<Style>\n    <tab key=\"a\" />\n</Style>\n", text());
}

TEST_F(StyleElements, ModifyNodeSetsTheEnableListOfHlcAndBlc) {
    const struct {
        int nId;
        const char* szHlc;
        const char* szBlc;
    } kCases[] = {{112, "128", "x"}, {128, "x", "112"}, {34, "x", "x"}};
    for (const auto& c : kCases) {
        TiXmlElement* pRoot =
            load("<Style><p id=\"112\" enable_list=\"x\"/><p id=\"128\" enable_list=\"x\"/><p id=\"34\"/></Style>");
        EXPECT_EQ(0, ModifyNodebyCmdId(pRoot, c.nId));
        EXPECT_EQ(c.szHlc, styletest::attrOfId(text(), 112, "enable_list")) << c.nId;
        EXPECT_EQ(c.szBlc, styletest::attrOfId(text(), 128, "enable_list")) << c.nId;
        EXPECT_EQ("<none>", styletest::attrOfId(text(), 34, "enable_list")) << c.nId;
    }
}

TEST_F(StyleElements, CustomisedListTakesTheChoicesUpToTheRecord) {
    std::string strStyle = "<Style><p id=\"49\" value=\"215\"><i/>";
    for (int i = 1; i <= 70; ++i) strStyle += "<i index=\"" + std::to_string(i * 5) + "\"/>";
    TiXmlElement* pRoot = load(strStyle + "</p></Style>");
    ia_dynamic_params_attr_st stAttr;
    std::memset(&stAttr, 0x5A, sizeof(stAttr));
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    EXPECT_EQ(0, doCustomizeStyle(pRoot, 49, &stAttr));
    const std::string strOut = objCapture.stop();
    EXPECT_EQ(IA_DYNAMIC_ITEMS_MAX, stAttr.items_cnt);
    EXPECT_EQ(5, stAttr.item[0]);
    EXPECT_EQ(5, stAttr.min_val);
    EXPECT_EQ(320, stAttr.max_val);
    EXPECT_NE(std::string::npos, strOut.find("cmd(49) choices(70), the first 64 kept"));

    // No choice with an index: an empty list.
    pRoot = load("<Style><p id=\"49\" value=\"215\"><i/></p></Style>");
    EXPECT_EQ(0, doCustomizeStyle(pRoot, 49, &stAttr));
    EXPECT_EQ(0, stAttr.items_cnt);
    EXPECT_EQ(0, stAttr.max_val);
    EXPECT_EQ(0, doCustomizeStyle(pRoot, 49, nullptr));
}

TEST_F(StyleElements, DoDnaStyleNeverReadsPastTheRecordsItems) {
    TiXmlElement* pRoot = load("<Style><p id=\"82\" value=\"1\"><i index=\"0\"/><i index=\"77\"/></p></Style>");
    ia_dynamic_params_attr_st stAttr;
    std::memset(&stAttr, 0, sizeof(stAttr));
    stAttr.def_val = 4;
    stAttr.items_cnt = 1000000;  // item[] holds 64: 77 lies beyond, 0 within
    EXPECT_EQ(0, doDnaStyle(pRoot, 82, &stAttr));
    EXPECT_EQ(std::vector<int>({0}), styletest::choicesOfId(text(), 82));
    EXPECT_EQ("4", styletest::attrOfId(text(), 82, "value"));
    EXPECT_EQ(-1, doDnaStyle(pRoot, 82, nullptr));
}

TEST_F(StyleElements, PairsInDocumentOrderUpToTheCapacity) {
    TiXmlElement* pRoot = load(
        "<Style><tab key=\"a\"><p id=\"8000\" value=\"0\"><p id=\"5\" value=\"6\"/></p><p id=\"9\"/>"
        "<p value=\"3\"/></tab><tab key=\"b\"><p id=\"34\" value=\"-1\"/></tab></Style>");
    KeyVal arrPairs[4];
    std::memset(arrPairs, 0xEE, sizeof(arrPairs));
    u32 nNum = 1;  // counting goes on from the caller's count
    EXPECT_EQ(0, style2KeyVal(pRoot, arrPairs, &nNum, 4));
    ASSERT_EQ(4u, nNum);
    EXPECT_EQ(0xEEEEEEEEu, arrPairs[0].key);
    EXPECT_EQ(8000u, arrPairs[1].key);
    EXPECT_EQ(5u, arrPairs[2].key);
    EXPECT_EQ(6u, arrPairs[2].value);
    EXPECT_EQ(34u, arrPairs[3].key);
    EXPECT_EQ(0xFFFFFFFFu, arrPairs[3].value);

    KeyVal arrSmall[3];
    std::memset(arrSmall, 0xEE, sizeof(arrSmall));
    nNum = 0;
    EXPECT_EQ(-1, style2KeyVal(pRoot, arrSmall, &nNum, 2));
    EXPECT_EQ(2u, nNum);
    EXPECT_EQ(0xEEEEEEEEu, arrSmall[2].key);

    nNum = 0;
    EXPECT_EQ(0, style2KeyVal(nullptr, nullptr, &nNum, 0));
    EXPECT_EQ(-1, style2KeyVal(pRoot, nullptr, &nNum, 3));
    EXPECT_EQ(-1, style2KeyVal(pRoot, arrSmall, nullptr, 3));
}

}  // namespace
