// The system configuration: module fields, scheme count, device type and the choice of the style files.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "SysConfigInputs.h"
#include "TestSupport.h"
#include "sensor.h"

namespace {

const char* const kStyleDir = "/hd1/moduleConfig/sensorConfig/style/";
const char* const kDiversityDir = "/hd1/moduleConfig/sensorConfig/styleDiversity/";
const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";

class SysConf : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::makeDirs(m_objRoot.host("/tmp"));
        std::memset(&m_stConf, 0, sizeof(m_stConf));
        // Each family's documents say which they are: the style by its root, the diversity by the tab it adds.
        for (const char* szFamily : {"", "_dome", "_Thermal"}) {
            std::string strFamily = *szFamily != '\0' ? szFamily + 1 : "box";
            strFamily[0] = static_cast<char>(std::tolower(strFamily[0]));
            m_objRoot.write(
                std::string(kStyleDir) + "Style" + szFamily + ".xml",
                "<Style family=\"" + strFamily + "\"><tab key=\"t\"><p id=\"34\" value=\"50\"/></tab></Style>");
            m_objRoot.write(
                std::string(kDiversityDir) + "StyleDiversity" + szFamily + ".xml",
                "<s lensId=\"3\"><AddAfter tab_key=\"t\"><tab key=\"div-" + strFamily + "\"/></AddAfter></s>");
        }
        setDeviceType(1);
    }
    void TearDown() override { uinitSysConf(&m_stConf); }

    void setDeviceType(int p_nType) {
        m_objRoot.write(kMachineInfo, "deviceType=" + std::to_string(p_nType) + "\nhardwareModel=Hi3516AV200\n");
    }

    void init(int p_nChannel, const std::string& p_strDetail = "(lensId=3)",
              const std::string& p_strParams = "(fps=25)", int p_nModuleId = 533) {
        ModuleConfigure objModule;
        objModule.setModuleId(p_nModuleId);
        objModule.setDetail(p_strDetail);
        objModule.setParameters(p_strParams);
        uinitSysConf(&m_stConf);
        m_objCapture.start();
        EXPECT_EQ(SNS_SUCCESS, initSysConf(p_nChannel, objModule, &m_stConf));
        m_strOut = m_objCapture.stop();
    }

    std::string style() const { return m_stConf.szUIStyle != nullptr ? m_stConf.szUIStyle : "<null>"; }
    std::string family() const {
        TiXmlDocument doc;
        doc.Parse(style().c_str());
        return doc.RootElement() != nullptr && doc.RootElement()->Attribute("family") != nullptr
                   ? doc.RootElement()->Attribute("family")
                   : "<none>";
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
    std::string m_strOut;
    SysConfig m_stConf;
};

struct ChoiceCase {
    int nChannel;
    int nDeviceType;
    const char* szFamily;
    bool bAccepted;
};

const ChoiceCase kChoiceCases[] = {
    {1, 1, "box", true},      {1, 8, "box", true},      {1, 9, "box", true},      {1, 22, "box", true},
    {1, 4, "dome", true},     {1, 104, "dome", true},   {1, 20, "dome", true},    {1, 5, "dome", false},
    {1, 0, "dome", false},    {2, 19, "thermal", true}, {1, 19, "dome", true},    {2, 1, "box", true},
    {2, 13, "thermal", true}, {1, 13, "box", true},     {2, 23, "thermal", true}, {3, 23, "dome", true},
    {2, 4, "dome", true},     {2, 17, "thermal", true},
};

TEST_F(SysConf, ChoosesTheStyleFilesByDeviceTypeAndChannel) {
    for (const ChoiceCase& c : kChoiceCases) {
        setDeviceType(c.nDeviceType);
        init(c.nChannel);
        const std::string strCase = "channel " + std::to_string(c.nChannel) + " type " + std::to_string(c.nDeviceType);
        EXPECT_EQ(c.nDeviceType, m_stConf.nDeviceType) << strCase;
        EXPECT_EQ(c.szFamily, family()) << strCase;
        // The diversity document of the same family was merged in.
        EXPECT_EQ(std::vector<std::string>({"t", std::string("div-") + c.szFamily}), styletest::tabKeysOf(style()))
            << strCase;
        const std::string strMessage =
            "machineinfo, devicetype(" + std::to_string(c.nDeviceType) + ") error, must be 1 or 4 or 8 or 9 or 13";
        EXPECT_EQ(!c.bAccepted, m_strOut.find(strMessage) != std::string::npos) << strCase;
        EXPECT_EQ(c.bAccepted ? 0u : 1u, styletest::countReports(m_strOut)) << strCase << m_strOut;
    }
}

TEST_F(SysConf, CopiesTheModuleDescription) {
    init(1, "(lensId=3)(isInfrared=1)", "(fps=30)", 835);
    EXPECT_EQ(835, m_stConf.moduleConfig.nModuleId);
    EXPECT_STREQ("(lensId=3)(isInfrared=1)", m_stConf.moduleConfig.szDetail);
    EXPECT_STREQ("(fps=30)", m_stConf.moduleConfig.szParameters);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szReserved1);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szReserved2);
    EXPECT_EQ(0u, m_stConf.nUIFileSum);
    EXPECT_EQ(nullptr, m_stConf.pstUIFile);
}

TEST_F(SysConf, TooLongTextsAreCutToFitWithAReport) {
    const std::string strDetail = "(lensId=3)" + std::string(600, 'd');
    init(1, strDetail, std::string(300, 'p'));
    EXPECT_EQ(strDetail.substr(0, 511), m_stConf.moduleConfig.szDetail);
    EXPECT_EQ(std::string(255, 'p'), m_stConf.moduleConfig.szParameters);
    EXPECT_NE(std::string::npos, m_strOut.find("detail(610) cut to 511 characters"));
    EXPECT_NE(std::string::npos, m_strOut.find("parameters(300) cut to 255 characters"));
    // Texts that just fit are not cut.
    init(1, std::string(511, 'd'), std::string(255, 'p'));
    EXPECT_EQ(0u, styletest::countReports(m_strOut));
}

TEST_F(SysConf, SchemeSumFromMaxScheme) {
    const std::pair<const char*, u32> kCases[] = {
        {"(lensId=3)", 4},
        {"(lensId=3)(max_scheme=2)", 2},
        {"(max_scheme=abc)", 0},
        {"(max_scheme=2", 4},  // no closing parenthesis: the field is missing
    };
    for (const auto& c : kCases) {
        init(1, c.first);
        EXPECT_EQ(c.second, m_stConf.nSchemeSum) << c.first;
    }
}

TEST_F(SysConf, MissingMachineInfoIsReportedAndTakesTheDomeFiles) {
    m_objRoot.remove(kMachineInfo);
    init(1);
    EXPECT_TRUE(styletest::reported(
        m_strOut,
        "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", machineInfo)"));
    EXPECT_NE(std::string::npos, m_strOut.find("devicetype(0) error"));
    EXPECT_EQ("dome", family());
}

TEST_F(SysConf, MissingStyleFileGivesAnEmptyStyle) {
    m_objRoot.remove(std::string(kStyleDir) + "Style.xml");
    init(1);
    EXPECT_TRUE(styletest::reported(m_strOut,
                                    "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                                    "getFileLen(strStyleFileName.c_str())) > 0"));
    EXPECT_TRUE(styletest::reported(m_strOut, "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)"));
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    EXPECT_STREQ("", m_stConf.szUIStyle);
}

TEST_F(SysConf, MissingDiversityFileLeavesTheStyleUnmerged) {
    m_objRoot.remove(std::string(kDiversityDir) + "StyleDiversity.xml");
    init(1);
    EXPECT_TRUE(styletest::reported(m_strOut,
                                    "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                                    "getFileLen(strStyleDivFileName.c_str())) > 0"));
    EXPECT_EQ(std::vector<std::string>({"t"}), styletest::tabKeysOf(style()));
}

TEST_F(SysConf, OversizedStyleFileIsNotRead) {
    m_objRoot.write(std::string(kStyleDir) + "Style.xml",
                    "<Style family=\"big\">" + std::string(SNS_STYLE_TEXT_MAX, ' ') + "</Style>");
    init(1);
    EXPECT_NE(std::string::npos, m_strOut.find("nLen >= 0 && nLen <= SNS_STYLE_TEXT_MAX   ~~~Assertion failed."));
    EXPECT_STREQ("", m_stConf.szUIStyle);
}

TEST_F(SysConf, MergedStyleIsTheMergedFile) {
    init(2);
    EXPECT_EQ(style(), m_objRoot.read("/tmp/merge_style_ch2.xml"));
}

TEST_F(SysConf, FixturesGiveEveryKeyWithTheSchemeHeaderFirst) {
    for (const char* szFamily : {"", "_dome", "_Thermal"}) {
        m_objRoot.write(std::string(kStyleDir) + "Style" + szFamily + ".xml",
                        styletest::fixture(std::string("style/Style") + szFamily + ".xml"));
        m_objRoot.write(std::string(kDiversityDir) + "StyleDiversity" + szFamily + ".xml",
                        styletest::fixture(std::string("styleDiversity/StyleDiversity") + szFamily + ".xml"));
    }
    struct {
        int nChannel;
        int nType;
    } const kCases[] = {{1, 1}, {1, 4}, {2, 14}};
    for (const auto& c : kCases) {
        setDeviceType(c.nType);
        // The edits that apply to this module keep every parameter.
        init(c.nChannel, "(sensorType=sc835hai)(lensId=3)(isInfrared=1)(max_scheme=4)");
        EXPECT_EQ(0u, styletest::countReports(m_strOut)) << m_strOut;
        const std::vector<int> vecIds = styletest::idsOf(style());
        EXPECT_EQ(170u, vecIds.size()) << c.nType;
        ASSERT_GE(vecIds.size(), 5u);
        EXPECT_EQ(std::vector<int>({8000, 8001, 8002, 8003, 8004}),
                  std::vector<int>(vecIds.begin(), vecIds.begin() + 5));
    }
}

TEST(SysConfRelease, ReleasesOnceAndIsSafeOnEmptyRecords) {
    SysConfig stConf;
    std::memset(&stConf, 0, sizeof(stConf));
    uinitSysConf(&stConf);
    uinitSysConf(nullptr);

    stConf.szUIStyle = strdup("<Style/>");
    stConf.nUIFileSum = 2;
    stConf.pstUIFile = static_cast<UIFileEntry*>(std::calloc(2, sizeof(UIFileEntry)));
    stConf.pstUIFile[0].pszCommonFile = strdup("/c0");
    stConf.pstUIFile[0].pszLanguageFile = strdup("/l0");
    stConf.pstUIFile[1].pszCommonFile = strdup("/c1");
    uinitSysConf(&stConf);
    EXPECT_EQ(nullptr, stConf.szUIStyle);
    EXPECT_EQ(nullptr, stConf.pstUIFile[0].pszCommonFile);
    EXPECT_EQ(nullptr, stConf.pstUIFile[0].pszLanguageFile);
    EXPECT_EQ(nullptr, stConf.pstUIFile[1].pszCommonFile);
    uinitSysConf(&stConf);  // releases nothing twice
    std::free(stConf.pstUIFile);
}

TEST(SysConfUIFiles, LooksUpTheEntryOrFallsBackToTheFirst) {
    SysConfig stConf;
    std::memset(&stConf, 0, sizeof(stConf));
    EXPECT_EQ("", sysConfUIFile(&stConf, 1, SYSCONF_UI_COMMON_FILE));
    EXPECT_EQ("", sysConfUIFile(nullptr, 1, SYSCONF_UI_LANGUAGE_FILE));

    UIFileEntry arrEntries[2] = {};
    arrEntries[0] = {7, "first", const_cast<char*>("/l7"), const_cast<char*>("/c7")};
    arrEntries[1] = {9, "second", nullptr, const_cast<char*>("/c9")};
    stConf.pstUIFile = arrEntries;
    stConf.nUIFileSum = 2;
    EXPECT_EQ("/c9", sysConfUIFile(&stConf, 9, SYSCONF_UI_COMMON_FILE));
    EXPECT_EQ("", sysConfUIFile(&stConf, 9, SYSCONF_UI_LANGUAGE_FILE));
    EXPECT_EQ("/c7", sysConfUIFile(&stConf, 12, SYSCONF_UI_COMMON_FILE));
    EXPECT_EQ("/l7", sysConfUIFile(&stConf, 12, SYSCONF_UI_LANGUAGE_FILE));
}

TEST(SysConfInit, NullRecordIsRefused) {
    testsupport::TempDeviceRoot objRoot;
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    EXPECT_EQ(-1, initSysConf(1, ModuleConfigure(), nullptr));
    EXPECT_TRUE(styletest::reported(objCapture.stop(), "NULL != p_stSysConf"));
}

}  // namespace
