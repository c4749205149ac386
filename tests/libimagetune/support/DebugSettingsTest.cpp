// The debug settings file: how each form of it sets the level and the assertion switch.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "Diagnostics.h"
#include "TestSupport.h"

namespace {

const char* const kSign = "/tmp/Debug.sign";

class DebugSettings : public ::testing::Test {
protected:
    void TearDown() override {
        m_objRoot.remove(kSign);
        updateDebugLevel();  // back to level 1 for the next test
    }

    testsupport::TempDeviceRoot m_objRoot;
};

TEST_F(DebugSettings, FileContentSetsLevelAndSwitch) {
    struct Row {
        const char* szWhat;
        const char* szContent;  // null: no file
        int nLevel;
        bool bAssert;
    } const aRows[] = {
        {"no file", nullptr, 1, false},
        {"empty file", "", 1, false},
        {"empty first line", "\n1\n", 1, true},
        {"level 6, assertions off", "6\n0\n", 6, false},
        {"level 7, assertions on", "7\n1\n", 7, true},
        {"no second line", "6", 6, false},
        {"not a number", "abc\nxyz\n", 0, false},
        {"leading digits and blanks, as atoi", "  12abc\n3x\n", 12, true},
        {"negative level", "-1\n-2\n", -1, true},
        {"CRLF line ends", "6\r\n1\r\n", 6, true},
        {"too large saturates", "99999999999\n0\n", INT_MAX, false},
        {"too small saturates", "-99999999999\n0\n", INT_MIN, false},
    };
    for (const Row& stRow : aRows) {
        // Start from settings that no row yields, so that every row must write both.
        m_objRoot.write(kSign, "42\n1\n");
        updateDebugLevel();
        ASSERT_EQ(42, sns_debug_level());
        if (stRow.szContent == nullptr)
            m_objRoot.remove(kSign);
        else
            m_objRoot.write(kSign, stRow.szContent);
        updateDebugLevel();
        EXPECT_EQ(stRow.nLevel, sns_debug_level()) << stRow.szWhat;
        EXPECT_EQ(stRow.bAssert, sns_assert_enabled()) << stRow.szWhat;
        EXPECT_EQ(stRow.nLevel, g_nDebugLevel) << stRow.szWhat;  // the exported globals are the same words
        EXPECT_EQ(stRow.bAssert, g_bEnAssert) << stRow.szWhat;
    }
}

TEST_F(DebugSettings, UnreadableFileKeepsTheSettings) {
    m_objRoot.write(kSign, "6\n1\n");
    updateDebugLevel();
    m_objRoot.remove(kSign);
    // A folder in its place exists but cannot be read as a file, even by root.
    ASSERT_EQ(0, ::mkdir(m_objRoot.host(kSign).c_str(), 0755));
    updateDebugLevel();
    EXPECT_EQ(6, sns_debug_level());
    EXPECT_TRUE(sns_assert_enabled());
    ::rmdir(m_objRoot.host(kSign).c_str());
    updateDebugLevel();
    EXPECT_EQ(1, sns_debug_level());
    EXPECT_FALSE(sns_assert_enabled());
}

TEST_F(DebugSettings, EveryStatementRereadsTheFile) {
    testsupport::setDebugSign(m_objRoot, "7");
    EXPECT_TRUE(sns_level_above(6));
    testsupport::setDebugSign(m_objRoot, "6");
    EXPECT_FALSE(sns_level_above(6));
    testsupport::setDebugSign(m_objRoot, "");
    EXPECT_FALSE(sns_level_above(1));
    EXPECT_TRUE(sns_level_above(0));
}

TEST_F(DebugSettings, StatementsOnManyThreadsWhileTheFileChanges) {
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < 3; ++t) {
        vecThreads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                SNS_DBG("pass %d\n", i);
                if (sns_assert_enabled()) ADD_FAILURE() << "the switch was never turned on";
            }
        });
    }
    for (int i = 0; i < 50; ++i) testsupport::setDebugSign(m_objRoot, i % 2 ? "7" : "1");
    for (std::thread& objThread : vecThreads) objThread.join();
    objCapture.stop();
    testsupport::setDebugSign(m_objRoot, "6");
    updateDebugLevel();
    EXPECT_EQ(6, sns_debug_level());
}

}  // namespace
