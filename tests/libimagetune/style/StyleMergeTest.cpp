// Merging style-diversity edits: which selectors apply, the order of the edits, the merged-style file, and
// bad documents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "TestSupport.h"
#include "XmlText.h"

namespace {

using Keys = std::vector<std::string>;

const char* const kBaseStyle =
    "<Style><tab key=\"a\"><p id=\"1\" value=\"1\"/></tab><tab key=\"b\"><p id=\"2\" value=\"2\"/></tab>"
    "<tab key=\"c\"/></Style>";

class StyleMerge : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeDirs(m_objRoot.host("/tmp")); }

    // Merges on channel p_nChannel and returns the new style text; the captured output goes to m_strOut.
    std::string merge(const std::string& p_strStyle, const char* p_szDiversity, const std::string& p_strDetail,
                      int p_nChannel = 1) {
        ModuleConfig stModule;
        std::memset(&stModule, 0, sizeof(stModule));
        std::strncpy(stModule.szDetail, p_strDetail.c_str(), sizeof(stModule.szDetail) - 1);
        char* szStyle = strdup(p_strStyle.c_str());
        std::string strDiversity = p_szDiversity != nullptr ? p_szDiversity : "";
        m_objCapture.start();
        EXPECT_EQ(SNS_SUCCESS,
                  mergeStyle(p_nChannel, &stModule, &szStyle, p_szDiversity != nullptr ? &strDiversity[0] : nullptr));
        m_strOut = m_objCapture.stop();
        std::string strMerged = szStyle != nullptr ? szStyle : "<null>";
        std::free(szStyle);
        return strMerged;
    }

    Keys mergedKeys(const char* p_szDiversity, const std::string& p_strDetail) {
        return styletest::tabKeysOf(merge(kBaseStyle, p_szDiversity, p_strDetail));
    }

    std::string mergedFile(int p_nChannel = 1) const {
        return m_objRoot.read("/tmp/merge_style_ch" + std::to_string(p_nChannel) + ".xml");
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
    std::string m_strOut;
};

struct ConditionCase {
    const char* szName;
    const char* szSelector;  // the selector's start tag; its one edit deletes tab "b"
    const char* szDetail;
    bool bApplies;
};

const ConditionCase kConditionCases[] = {
    {"listed among several", "<s lensId=\"4,8\">", "(lensId=8)", true},
    {"first of several", "<s lensId=\"4,8\">", "(lensId=4)", true},
    {"not listed", "<s lensId=\"4,8\">", "(lensId=5)", false},
    {"five characters agree", "<s model=\"IPC-B2000\">", "(model=IPC-B3000)", true},
    {"fifth character differs", "<s model=\"IPC-B2000\">", "(model=IPC-A2000)", false},
    {"short values must be whole", "<s lensId=\"3\">", "(lensId=33)", false},
    {"first of two conditions", "<s lensId=\"3\" isInfrared=\"1\">", "(lensId=3)(isInfrared=0)", true},
    {"second of two conditions", "<s lensId=\"3\" isInfrared=\"1\">", "(lensId=9)(isInfrared=1)", true},
    {"neither of two conditions", "<s lensId=\"3\" isInfrared=\"1\">", "(lensId=9)(isInfrared=0)", false},
    {"field missing from the detail", "<s zoom=\"1\">", "(lensId=1)", false},
    {"name inside another field's name", "<s Infrared=\"17\">", "(isInfrared=17)", true},
    {"long detail value", "<s model=\"ABCDE\">", "(model=ABCDEFGHIJKLMNOP)", true},
    {"selector without conditions", "<s>", "(lensId=3)", false},
    {"empty listed value matches empty field", "<s model=\"\">", "(model=)", true},
};

class StyleMergeCondition : public StyleMerge, public ::testing::WithParamInterface<ConditionCase> {};

TEST_P(StyleMergeCondition, AppliesTheSelectorWhenAConditionHolds) {
    const ConditionCase& c = GetParam();
    const std::string strDiversity = std::string(c.szSelector) + "<Delete tab_key=\"b\"/></s>";
    EXPECT_EQ(c.bApplies ? Keys({"a", "c"}) : Keys({"a", "b", "c"}), mergedKeys(strDiversity.c_str(), c.szDetail));
}

INSTANTIATE_TEST_SUITE_P(Cases, StyleMergeCondition, ::testing::ValuesIn(kConditionCases),
                         [](const ::testing::TestParamInfo<ConditionCase>& info) {
                             std::string s = info.param.szName;
                             for (char& ch : s)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return s;
                         });

struct EditCase {
    const char* szName;
    const char* szEdits;  // the children of one selector that always applies
    Keys vecKeys;
};

const EditCase kEditCases[] = {
    {"modify replaces in place", "<Modify tab_key=\"b\"><tab key=\"m\"/></Modify>", {"a", "m", "c"}},
    {"add after", "<AddAfter tab_key=\"a\"><tab key=\"n\"/></AddAfter>", {"a", "n", "b", "c"}},
    {"add after the last tab", "<AddAfter tab_key=\"c\"><tab key=\"n\"/></AddAfter>", {"a", "b", "c", "n"}},
    {"delete", "<Delete tab_key=\"a\"/>", {"b", "c"}},
    {"two add-afters: the second sits next to the tab",
     "<AddAfter tab_key=\"a\"><tab key=\"n1\"/></AddAfter><AddAfter tab_key=\"a\"><tab key=\"n2\"/></AddAfter>",
     {"a", "n2", "n1", "b", "c"}},
    {"delete then modify: the modify finds no tab",
     "<Delete tab_key=\"b\"/><Modify tab_key=\"b\"><tab key=\"m\"/></Modify>",
     {"a", "c"}},
    {"an edit sees the earlier ones",
     "<Modify tab_key=\"b\"><tab key=\"m\"/></Modify><AddAfter tab_key=\"m\"><tab key=\"n\"/></AddAfter>",
     {"a", "m", "n", "c"}},
    {"only the first child is the new tab",
     "<Modify tab_key=\"b\"><tab key=\"m\"/><tab key=\"x\"/></Modify>",
     {"a", "m", "c"}},
    {"unknown operation", "<Rename tab_key=\"a\"><tab key=\"m\"/></Rename>", {"a", "b", "c"}},
    {"no tab_key", "<Delete/>", {"a", "b", "c"}},
    {"no such tab", "<Delete tab_key=\"z\"/>", {"a", "b", "c"}},
    {"keys compare exactly", "<Delete tab_key=\"B\"/><Delete tab_key=\"a \"/>", {"a", "b", "c"}},
    {"modify without a new tab", "<Modify tab_key=\"b\"/>", {"a", "b", "c"}},
    {"add after without a new tab", "<AddAfter tab_key=\"b\"/>", {"a", "b", "c"}},
};

class StyleMergeEdit : public StyleMerge, public ::testing::WithParamInterface<EditCase> {};

TEST_P(StyleMergeEdit, AppliesTheEditsInDocumentOrder) {
    const EditCase& c = GetParam();
    const std::string strDiversity = std::string("<s lensId=\"3\">") + c.szEdits + "</s>";
    EXPECT_EQ(c.vecKeys, mergedKeys(strDiversity.c_str(), "(lensId=3)"));
}

INSTANTIATE_TEST_SUITE_P(Cases, StyleMergeEdit, ::testing::ValuesIn(kEditCases),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                             std::string s = info.param.szName;
                             for (char& ch : s)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return s;
                         });

TEST_F(StyleMerge, ModifyCopiesTheWholeNewTab) {
    const std::string strMerged =
        merge(kBaseStyle,
              "<s lensId=\"3\"><Modify tab_key=\"b\"><tab key=\"b\"><p id=\"2\" value=\"7\"><i index=\"1\"/>"
              "</p></tab></Modify></s>",
              "(lensId=3)");
    EXPECT_EQ("7", styletest::attrOfId(strMerged, 2, "value"));
    EXPECT_EQ(std::vector<int>({1}), styletest::choicesOfId(strMerged, 2));
}

TEST_F(StyleMerge, TwoTabsWithOneKeyOnlyTheFirstIsEdited) {
    const std::string strStyle = "<Style><tab key=\"a\" n=\"1\"/><tab key=\"a\" n=\"2\"/></Style>";
    const std::string strMerged = merge(strStyle, "<s lensId=\"3\"><Delete tab_key=\"a\"/></s>", "(lensId=3)");
    EXPECT_EQ(Keys({"a"}), styletest::tabKeysOf(strMerged));
    EXPECT_NE(std::string::npos, strMerged.find("n=\"2\""));
}

TEST_F(StyleMerge, EverySelectorOfTheDocumentIsProcessed) {
    const char* szDiversity =
        "<?xml version=\"1.0\"?><!-- edits -->"
        "<s lensId=\"3\"><Delete tab_key=\"a\"/></s>"
        "<t lensId=\"4\"><Delete tab_key=\"b\"/></t>"
        "<u isInfrared=\"1\"><Delete tab_key=\"c\"/></u>";
    EXPECT_EQ(Keys({"b"}), mergedKeys(szDiversity, "(lensId=3)(isInfrared=1)"));
}

TEST_F(StyleMerge, SelectorWithoutEditsIsReportedAndSkipped) {
    EXPECT_EQ(Keys({"a", "c"}),
              mergedKeys("<s lensId=\"3\"/><t lensId=\"3\"><Delete tab_key=\"b\"/></t>", "(lensId=3)"));
    EXPECT_TRUE(styletest::reported(m_strOut, "NULL != (node_second = node_first->FirstChildElement())"));
}

TEST_F(StyleMerge, StyleWithoutTabsIsReportedPerEdit) {
    const std::string strMerged = merge("<Style/>", "<s lensId=\"3\"><Delete tab_key=\"a\"/></s>", "(lensId=3)");
    EXPECT_TRUE(styletest::reported(m_strOut, "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())"));
    EXPECT_EQ("<Style />\n", strMerged);
}

TEST_F(StyleMerge, WritesTheMergedFileWithTheSameText) {
    const std::string strMerged = merge(kBaseStyle, "<s lensId=\"3\"><Delete tab_key=\"b\"/></s>", "(lensId=3)", 2);
    EXPECT_EQ(strMerged, mergedFile(2));
    EXPECT_FALSE(m_objRoot.exists("/tmp/merge_style_ch1.xml"));
    EXPECT_EQ(0u, styletest::countReports(m_strOut));
}

TEST_F(StyleMerge, EmptyDiversityLeavesTheStyleAsTinyXmlWritesIt) {
    TiXmlDocument doc;
    ASSERT_TRUE(xmlLoadMem(doc, kBaseStyle, TIXML_ENCODING_UTF8));
    const std::string strMerged = merge(kBaseStyle, "", "(lensId=3)");
    EXPECT_EQ(xmlGetString(doc), strMerged);
    EXPECT_EQ(strMerged, mergedFile());
    EXPECT_TRUE(styletest::reported(m_strOut, "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)"));
    EXPECT_TRUE(styletest::reported(m_strOut, "NULL != (node_first = doc_style_div.RootElement())"));
}

TEST_F(StyleMerge, PlantedLinkIsReplacedNotFollowed) {
    const std::string strVictim = m_objRoot.host("/victim.txt");
    testsupport::writeHostFile(strVictim, "keep");
    ASSERT_EQ(0, ::symlink(strVictim.c_str(), m_objRoot.host("/tmp/merge_style_ch1.xml").c_str()));

    const std::string strMerged = merge(kBaseStyle, "", "");
    EXPECT_EQ("keep", testsupport::readHostFile(strVictim));
    struct stat st;
    ASSERT_EQ(0, ::lstat(m_objRoot.host("/tmp/merge_style_ch1.xml").c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(strMerged, mergedFile());
}

TEST_F(StyleMerge, UnwritableFolderIsReportedAndTheStyleStillMerged) {
    testsupport::removeTree(m_objRoot.host("/tmp"));
    const std::string strMerged = merge(kBaseStyle, "<s lensId=\"3\"><Delete tab_key=\"b\"/></s>", "(lensId=3)");
    EXPECT_EQ(Keys({"a", "c"}), styletest::tabKeysOf(strMerged));
    EXPECT_TRUE(styletest::reported(m_strOut,
                                    "SNS_SUCCESS == replaceFileWhole(filename, strMerged.data(), "
                                    "strMerged.size())"));
}

std::string deeplyNested(int p_nDepth) {
    std::string s;
    for (int i = 0; i < p_nDepth; ++i) s += "<a>";
    for (int i = 0; i < p_nDepth; ++i) s += "</a>";
    return s;
}

std::string hugeStyle() {
    std::string s = "<Style>";
    for (int i = 0; i < 20000; ++i)
        s += "<tab key=\"t" + std::to_string(i) + "\"><p id=\"" + std::to_string(i) + "\" value=\"1\"/></tab>";
    return s + "</Style>";
}

struct BadDocument {
    const char* szName;
    std::string strText;
};

std::vector<BadDocument> badDocuments() {
    return {
        {"empty", ""},
        {"not xml", "no style here"},
        {"truncated", "<Style><tab key=\"a\"><p id=\"1\" val"},
        {"deeply nested", deeplyNested(200000)},
    };
}

TEST_F(StyleMerge, BadStyleMergesAsAnEmptyDocument) {
    for (const BadDocument& c : badDocuments()) {
        const std::string strMerged = merge(c.strText, "<s lensId=\"3\"><Delete tab_key=\"a\"/></s>", "(lensId=3)");
        EXPECT_EQ("", strMerged) << c.szName;
        EXPECT_EQ("", mergedFile()) << c.szName;
        EXPECT_TRUE(styletest::reported(m_strOut, "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)")) << c.szName;
    }
}

TEST_F(StyleMerge, EmptyMergedDocumentIsReported) {
    for (const BadDocument& c : badDocuments()) {
        merge(c.strText, "", "(lensId=3)");
        EXPECT_TRUE(styletest::reported(m_strOut, "loadFromFile(filename, *ui_style, file_len) > 0")) << c.szName;
    }
    merge(kBaseStyle, "", "(lensId=3)");
    EXPECT_FALSE(styletest::reported(m_strOut, "loadFromFile(filename, *ui_style, file_len) > 0"));
}

TEST_F(StyleMerge, MergedStyleIsLoggedWholeAboveLevelSix) {
    const std::string strStyle = styletest::fixture("style/Style.xml");
    testsupport::setDebugSign(m_objRoot, "7");
    const std::string strMerged = merge(strStyle, "", "(lensId=3)");
    ASSERT_GT(strMerged.size(), 4096u);
    const size_t nInfo = m_strOut.find("\033[0m\033[35m[sensor info] file:StyleMerge.cpp fun:mergeStyle line:");
    ASSERT_NE(std::string::npos, nInfo);
    EXPECT_NE(std::string::npos, m_strOut.find("\n" + strMerged + "\n\033[0m", nInfo));

    testsupport::setDebugSign(m_objRoot, "6");
    merge(strStyle, "", "(lensId=3)");
    EXPECT_EQ(std::string::npos, m_strOut.find("[sensor info]"));
}

TEST_F(StyleMerge, BadDiversityLeavesTheStyleUnchanged) {
    std::vector<BadDocument> vecCases = badDocuments();
    vecCases.push_back({"truncated edit", "<s lensId=\"3\"><Delete tab_key=\"a\"/>"});
    for (const BadDocument& c : vecCases) {
        EXPECT_EQ(Keys({"a", "b", "c"}), styletest::tabKeysOf(merge(kBaseStyle, c.strText.c_str(), "(lensId=3)")))
            << c.szName;
        EXPECT_TRUE(styletest::reported(m_strOut, "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)"))
            << c.szName;
    }
    // A null text is an empty one.
    EXPECT_EQ(Keys({"a", "b", "c"}), styletest::tabKeysOf(merge(kBaseStyle, nullptr, "(lensId=3)")));
}

TEST_F(StyleMerge, HugeDocumentsMerge) {
    std::string strDiversity;
    for (int i = 0; i < 5000; ++i) strDiversity += "<s lensId=\"9\"><Delete tab_key=\"t0\"/></s>";
    strDiversity += "<s lensId=\"3\"><Delete tab_key=\"t1\"/></s>";
    const Keys vecKeys = styletest::tabKeysOf(merge(hugeStyle(), strDiversity.c_str(), "(lensId=3)"));
    ASSERT_EQ(19999u, vecKeys.size());
    EXPECT_EQ("t0", vecKeys[0]);
    EXPECT_EQ("t2", vecKeys[1]);
}

TEST_F(StyleMerge, MissingArgumentsAreSafe) {
    m_objCapture.start();
    EXPECT_EQ(-1, mergeStyle(1, nullptr, nullptr, nullptr));
    // No style text and no module: an empty style, no condition holds.
    char* szStyle = nullptr;
    char szDiversity[] = "<s lensId=\"\"><Delete tab_key=\"a\"/></s>";
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(1, nullptr, &szStyle, szDiversity));
    EXPECT_EQ(0, updateStyleTab(nullptr, "Delete", "a", nullptr));
    m_strOut = m_objCapture.stop();
    ASSERT_NE(nullptr, szStyle);
    EXPECT_STREQ("", szStyle);
    std::free(szStyle);
    EXPECT_TRUE(styletest::reported(m_strOut, "NULL != ui_style"));
}

TEST_F(StyleMerge, FixtureDiversityEditsTheBoxStyle) {
    const std::string strStyle = styletest::fixture("style/Style.xml");
    const std::string strDiversity = styletest::fixture("styleDiversity/StyleDiversity.xml");
    // sc835hai: the WDR page of that sensor; lens 0: a fixed lens, no lens page; no LPR model.
    const std::string strMerged =
        merge(strStyle, strDiversity.c_str(), "(sensorType=sc835hai)(lensId=0)(isInfrared=1)(whiteLight=0)");
    EXPECT_EQ(0u, styletest::countReports(m_strOut)) << m_strOut;
    EXPECT_EQ("2", styletest::attrOfId(strMerged, 2368, "value"));
    EXPECT_EQ("<none>", styletest::attrOfId(strMerged, 1536, "value"));
    EXPECT_EQ("1", styletest::attrOfId(strMerged, 160, "value"));  // infrared page kept
    const Keys vecKeys = styletest::tabKeysOf(strMerged);
    EXPECT_EQ(Keys({"scheme", "image", "exposure", "iris"}), Keys(vecKeys.begin(), vecKeys.begin() + 4));

    // An LPR model with white light: its exposure page replaces the common one; the light page changes.
    const std::string strLpr =
        merge(strStyle, strDiversity.c_str(), "(sensorType=sc533hai)(model=LPR02)(whiteLight=1)");
    const Keys vecLprKeys = styletest::tabKeysOf(strLpr);
    EXPECT_EQ(Keys({"scheme", "image", "exposure_lpr", "iris"}), Keys(vecLprKeys.begin(), vecLprKeys.begin() + 4));
    EXPECT_EQ("1000", styletest::attrOfId(strLpr, 49, "value"));
    EXPECT_EQ("1", styletest::attrOfId(strLpr, 224, "value"));
    EXPECT_EQ(styletest::idsOf(strStyle).size(), styletest::idsOf(strLpr).size());
}

}  // namespace
