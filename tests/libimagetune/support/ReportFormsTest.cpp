// The statement forms: what each prints at which level, the error log, and the assertion report.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Diagnostics.h"
#include "TestSupport.h"

namespace {

const char* const kLog = "/mnt/mtd/log/SensorError.log";

class ReportForms : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeDirs(m_objRoot.host("/mnt/mtd/log")); }
    void TearDown() override {
        m_objRoot.remove("/tmp/Debug.sign");
        updateDebugLevel();
    }

    std::string capture(const std::function<void()>& p_fnRun) {
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        p_fnRun();
        return objCapture.stop();
    }
    std::string errorLog() const { return m_objRoot.exists(kLog) ? m_objRoot.read(kLog) : std::string(); }

    testsupport::TempDeviceRoot m_objRoot;
};

std::string where(int p_nLine, const char* p_szFunc) {
    return std::string("file:ReportFormsTest.cpp fun:") + p_szFunc + " line:" + std::to_string(p_nLine) + "\n";
}

TEST_F(ReportForms, EachFormPrintsAboveItsThreshold) {
    struct Row {
        const char* szWhat;
        int nThreshold;
        std::function<void()> fnRun;
    } const aRows[] = {
        {"errmsg", -1, [] { SNS_ERRMSG("m\n"); }},
        {"warn", 3, [] { SNS_WARN("m\n"); }},
        {"err", 5, [] { SNS_ERR("m\n"); }},
        {"dbg", 5, [] { SNS_DBG("m\n"); }},
        {"dbg trace", 5, [] { SNS_DBG_TRACE("m\n"); }},
        {"info", 6, [] { SNS_INFO("m\n"); }},
        {"plain", 5, [] { SNS_PLAIN("m\n"); }},
        {"assertion", -1, [] { SNS_ASSERT(false); }},
    };
    for (const char* szLevel : {"-2", "-1", "0", "3", "4", "5", "6", "7"}) {
        testsupport::setDebugSign(m_objRoot, szLevel);
        int nLevel = std::stoi(szLevel);
        for (const Row& stRow : aRows) {
            std::string strOut = capture(stRow.fnRun);
            EXPECT_EQ(nLevel > stRow.nThreshold, !strOut.empty()) << stRow.szWhat << " at level " << nLevel;
        }
    }
}

TEST_F(ReportForms, TaggedLinesHaveColourHeaderMessageAndReset) {
    testsupport::setDebugSign(m_objRoot, "7");
    struct Row {
        const char* szWhat;
        std::function<int()> fnRun;  // returns the statement's line
        const char* szPrefix;
        const char* szTag;
    } const aRows[] = {
        {"errmsg", [] { return SNS_ERRMSG("v=%d\n", 5), __LINE__; }, "\033[0m\033[0m", "[sensor assert]"},
        {"warn", [] { return SNS_WARN("v=%d\n", 5), __LINE__; }, "\033[0m\033[0m", "[sensor warn]"},
        {"err", [] { return SNS_ERR("v=%d\n", 5), __LINE__; }, "\033[0m\033[0m", "[sensor err]"},
        {"dbg", [] { return SNS_DBG("v=%d\n", 5), __LINE__; }, "\033[0m\033[0m", "[sensor dbg]"},
        {"dbg trace", [] { return SNS_DBG_TRACE("v=%d\n", 5), __LINE__; }, "\033[0m\033[37m", "[sensor dbg]"},
        {"info", [] { return SNS_INFO("v=%d\n", 5), __LINE__; }, "\033[0m\033[35m", "[sensor info]"},
    };
    for (const Row& stRow : aRows) {
        int nLine = 0;
        std::string strOut = capture([&] { nLine = stRow.fnRun(); });
        EXPECT_EQ(std::string(stRow.szPrefix) + stRow.szTag + " " + where(nLine, "operator()") + "v=5\n\033[0m", strOut)
            << stRow.szWhat;
    }
    EXPECT_EQ("\033[0m\033[0mplain 1\033[0m", capture([] { SNS_PLAIN("plain %d", 1); }));
    EXPECT_EQ("\033[0m\033[32mgreen\033[0m", capture([] { SNS_PLAIN_COLOR(32, "green"); }));
}

TEST_F(ReportForms, OnlyErrorMessagesAndWarningsReachTheErrorLog) {
    testsupport::setDebugSign(m_objRoot, "7");
    capture([] {
        SNS_ERR("err\n");
        SNS_DBG("dbg\n");
        SNS_INFO("info\n");
        SNS_PLAIN("plain\n");
    });
    EXPECT_EQ("", errorLog());
    int nLine = 0;
    capture([&] {
        SNS_WARN("low %s\n", "battery");
        nLine = __LINE__ - 1;
    });
    EXPECT_EQ("[sensor warn] " + where(nLine, "operator()") + "[sensor warn] low battery\n", errorLog());
}

TEST_F(ReportForms, AssertionReportPrintsAndLogsTwoBlocks) {
    testsupport::setDebugSign(m_objRoot, "1");
    int nLine = 0;
    bool bResult = true;
    std::string strOut = capture([&] {
        int nCount = 3;
        bResult = SNS_ASSERT_MSG(nCount == 4, "count(%d)\n", nCount);
        nLine = __LINE__ - 1;
    });
    EXPECT_FALSE(bResult);
    const std::string strHead = "[sensor assert] " + where(nLine, "operator()");
    EXPECT_EQ(
        "\033[0m\033[31m" + strHead + "nCount == 4   ~~~Assertion failed.\n\033[0m\033[0m\033[31mcount(3)\n\033[0m",
        strOut);
    EXPECT_EQ(strHead + "[sensor assert] nCount == 4   ~~~Assertion failed.\n[sensor assert] count(3)\n", errorLog());
}

TEST_F(ReportForms, AssertionWithoutMessageLogsAnEmptyEntry) {
    int nLine = 0;
    std::string strOut = capture([&] {
        SNS_ASSERT_TEXT(false, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)");
        nLine = __LINE__ - 1;
    });
    const std::string strHead = "[sensor assert] " + where(nLine, "operator()");
    EXPECT_EQ(
        "\033[0m\033[31m" + strHead +
            "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)   ~~~Assertion failed.\n\033[0m\033[0m\033[31m\033[0m",
        strOut);
    EXPECT_EQ(strHead + "[sensor assert] SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)   ~~~Assertion failed.\n" +
                  "[sensor assert] \n",
              errorLog());
}

TEST_F(ReportForms, PassingChecksAreSilentAndTrue) {
    testsupport::setDebugSign(m_objRoot, "7", "1");
    bool bResult = false;
    std::string strOut = capture([&] { bResult = SNS_ASSERT(1 + 1 == 2) && SNS_ASSERT_MSG(true, "never"); });
    EXPECT_TRUE(bResult);
    EXPECT_EQ("", strOut);
    EXPECT_EQ("", errorLog());
}

TEST_F(ReportForms, LongMessagesAreCutAndAMissingLogFolderIsIgnored) {
    testsupport::removeTree(m_objRoot.host("/mnt/mtd/log"));
    const std::string strLong(5000, 'x');
    std::string strOut = capture([&] { SNS_ERRMSG("%s", strLong.c_str()); });
    EXPECT_NE(std::string::npos, strOut.find("[sensor assert] file:ReportFormsTest.cpp"));
    EXPECT_NE(std::string::npos, strOut.find(std::string(1000, 'x')));
    EXPECT_EQ(std::string::npos, strOut.find(std::string(1024, 'x')));
    EXPECT_FALSE(m_objRoot.exists(kLog));
}

TEST(ReportFormsDeath, AssertionSwitchEndsTheProcess) {
    testsupport::useReexecDeathTestStyle();
    testsupport::TempDeviceRoot objRoot;
    // At level 1 the report prints first; at a negative level nothing prints, yet the process still ends.
    for (const char* szLevel : {"1", "-1"}) {
        testsupport::setDebugSign(objRoot, szLevel, "1");
        EXPECT_DEATH(SNS_ASSERT(2 < 1), "ReportFormsTest.cpp.*bRet") << szLevel;
    }
    testsupport::setDebugSign(objRoot, "1", "0");
    EXPECT_FALSE(SNS_ASSERT(2 < 1));
    objRoot.remove("/tmp/Debug.sign");
    updateDebugLevel();
}

}  // namespace
