// QxLogger: entry form, rotation by size, failures without a crash, concurrent writers.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "QxLogger.h"
#include "TestSupport.h"

namespace {

const char* const kLog = "/mnt/mtd/log/SensorError.log";

class QxLoggerTest : public ::testing::Test {
protected:
    testsupport::TempDeviceRoot m_root;
    void SetUp() override { testsupport::makeDirs(m_root.host("/mnt/mtd/log")); }

    std::vector<std::string> lines(const std::string& p_strDevicePath) const {
        std::vector<std::string> vec;
        std::istringstream in(m_root.read(p_strDevicePath));
        for (std::string s; std::getline(in, s);) vec.push_back(s);
        return vec;
    }
    // "e 0000007\n": ten bytes per entry
    static std::string entryText(int p_n) {
        char sz[16];
        std::snprintf(sz, sizeof sz, "%07d", p_n);
        return sz;
    }
};

TEST_F(QxLoggerTest, EntriesAreTagBlankTextAndOneLineEnd) {
    QxLogger logger;
    ASSERT_TRUE(logger.init(kLog, 10240, 3));
    EXPECT_TRUE(logger.writeLog("[sensor assert]", "file:a.cpp fun:f line:3\n"));
    EXPECT_TRUE(logger.writeLog("[sensor assert]", "no line end"));
    EXPECT_TRUE(logger.writeLog("[sensor assert]", ""));
    EXPECT_TRUE(logger.writeLog("[sensor assert]", nullptr));
    EXPECT_TRUE(logger.writeLog(nullptr, "untagged"));
    EXPECT_EQ(
        "[sensor assert] file:a.cpp fun:f line:3\n"
        "[sensor assert] no line end\n"
        "[sensor assert] \n"
        "[sensor assert] \n"
        "untagged\n",
        m_root.read(kLog));

    QxLogger second;  // a fresh logger appends, as the diagnostics create one per report
    ASSERT_TRUE(second.init(kLog, 10240, 3));
    EXPECT_TRUE(second.writeLog("[t]", "more"));
    EXPECT_EQ(6u, lines(kLog).size());
}

TEST_F(QxLoggerTest, RotatesToNumberedFilesAndDropsTheOldest) {
    QxLogger logger;
    ASSERT_TRUE(logger.init(kLog, 30, 3));  // three entries fit a file
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(logger.writeLog("e", entryText(i).c_str()));

    EXPECT_EQ((std::vector<std::string>{"e 0000009"}), lines(kLog));
    EXPECT_EQ((std::vector<std::string>{"e 0000006", "e 0000007", "e 0000008"}), lines(std::string(kLog) + ".1"));
    EXPECT_EQ((std::vector<std::string>{"e 0000003", "e 0000004", "e 0000005"}), lines(std::string(kLog) + ".2"));
    EXPECT_FALSE(m_root.exists(std::string(kLog) + ".3")) << "count 3 keeps the file and two older ones";
}

TEST_F(QxLoggerTest, CountOfOneEmptiesAndSizeZeroNeverRotates) {
    QxLogger logger;
    ASSERT_TRUE(logger.init(kLog, 20, 1));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(logger.writeLog("e", entryText(i).c_str()));
    EXPECT_EQ((std::vector<std::string>{"e 0000004"}), lines(kLog));
    EXPECT_FALSE(m_root.exists(std::string(kLog) + ".1"));

    m_root.remove(kLog);
    ASSERT_TRUE(logger.init(kLog, 0, 3));
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(logger.writeLog("e", entryText(i).c_str()));
    EXPECT_EQ(50u, lines(kLog).size());
    EXPECT_FALSE(m_root.exists(std::string(kLog) + ".1"));
}

TEST_F(QxLoggerTest, UnwritablePlacesFailWithoutCreatingFolders) {
    m_root.write("/mnt/mtd/plainfile", "x");
    const char* const kBad[] = {
        "/mnt/mtd/missing/dir/SensorError.log",  // folder missing
        "/mnt/mtd/plainfile/SensorError.log",    // "folder" is a file
        "/mnt/mtd/log",                          // the log path is a folder
    };
    for (const char* szPath : kBad) {
        QxLogger logger;
        ASSERT_TRUE(logger.init(szPath, 100, 3));
        EXPECT_FALSE(logger.writeLog("[t]", "text")) << szPath;
    }
    EXPECT_FALSE(m_root.exists("/mnt/mtd/missing"));
}

TEST_F(QxLoggerTest, UnusableBeforeInitAndWithoutPath) {
    QxLogger logger;
    EXPECT_FALSE(logger.writeLog("[t]", "text"));
    EXPECT_FALSE(logger.init(nullptr, 100, 3));
    EXPECT_FALSE(logger.writeLog("[t]", "text"));
    EXPECT_FALSE(logger.init("", 100, 3));
    EXPECT_FALSE(logger.writeLog("[t]", "text"));
}

TEST_F(QxLoggerTest, ConcurrentLoggersKeepEntriesWholeAndFilesInSize) {
    const int kThreads = 4, kEach = 150;
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) {
                QxLogger logger;  // one per entry, like the error reports
                logger.init(kLog, 400, 4);
                logger.writeLog("e", entryText(t * 1000 + i).c_str());
            }
        });
    }
    for (std::thread& th : vecThreads) th.join();

    size_t nLines = 0;
    for (const std::string& strFile :
         {std::string(kLog), std::string(kLog) + ".1", std::string(kLog) + ".2", std::string(kLog) + ".3"}) {
        if (!m_root.exists(strFile)) continue;
        EXPECT_LE(m_root.read(strFile).size(), 400u) << strFile;
        for (const std::string& strLine : lines(strFile)) {
            EXPECT_EQ(9u, strLine.size()) << strFile << ": '" << strLine << "'";
            EXPECT_EQ(0u, strLine.find("e "));
            ++nLines;
        }
    }
    EXPECT_EQ(160u, nLines) << "four files of forty entries survive";
}

}  // namespace
