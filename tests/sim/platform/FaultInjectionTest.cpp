// Fault injection for power-loss tests: short writes, failed renames and syncs, read-only paths, counts.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "QxFile.h"
#include "QxLogger.h"
#include "SimControl.h"
#include "TestSupport.h"

namespace {

const unsigned char kWrite = QxFile::modeWrite | QxFile::modeTruncate;

class FaultInjection : public ::testing::Test {
protected:
    testsupport::TempDeviceRoot m_root;
    void SetUp() override {
        qxsim::resetFaults();
        testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file"));
    }
    void TearDown() override { qxsim::resetFaults(); }
};

TEST_F(FaultInjection, WriteBudgetCutsAcrossCallsThenEveryWriteFails) {
    qxsim::failWriteAfter(5);
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(3u, file.write("abc", 3));
    EXPECT_EQ(2u, file.write("defg", 4)) << "short at the cut";
    EXPECT_EQ(0u, file.write("x", 1));
    QxFile second;  // the cut is process-wide, not per file
    ASSERT_NE(0, second.open("/mnt/mtd/b", kWrite));
    EXPECT_EQ(0u, second.write("y", 1));
    file.close();
    second.close();
    EXPECT_EQ("abcde", m_root.read("/mnt/mtd/a"));
    EXPECT_EQ("", m_root.read("/mnt/mtd/b"));

    qxsim::failWriteAfter(-1);
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(4u, file.write("full", 4));
}

TEST_F(FaultInjection, ZeroBudgetFailsTheFirstWriteButNotTheLogger) {
    qxsim::failWriteAfter(0);
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(0u, file.write("abc", 3));
    QxLogger logger;
    ASSERT_TRUE(logger.init("/mnt/mtd/log.txt", 1000, 2));
    EXPECT_TRUE(logger.writeLog("[t]", "still logged"));
    EXPECT_EQ("[t] still logged\n", m_root.read("/mnt/mtd/log.txt"));
}

TEST_F(FaultInjection, ConcurrentWritersShareOneBudgetExactly) {
    qxsim::failWriteAfter(1000);
    std::vector<std::thread> vecThreads;
    std::vector<unsigned> vecWritten(4, 0);
    for (int t = 0; t < 4; ++t) {
        vecThreads.emplace_back([&, t] {
            QxFile file;
            std::string strPath = "/mnt/mtd/w" + std::to_string(t);
            if (!file.open(strPath.c_str(), kWrite)) return;
            for (int i = 0; i < 200; ++i) vecWritten[t] += file.write("0123456789", 7);
        });
    }
    for (std::thread& th : vecThreads) th.join();
    EXPECT_EQ(1000u, vecWritten[0] + vecWritten[1] + vecWritten[2] + vecWritten[3]);
    EXPECT_EQ(1000, qxsim::fileOpCounts().nBytesWritten);
}

TEST_F(FaultInjection, FailedRenameChangesNothingAndIsUsedUp) {
    m_root.write("/mnt/mtd/old", "old");
    m_root.write("/mnt/mtd/new.tmp", "new");
    qxsim::failNextRename();
    errno = 0;
    EXPECT_EQ(-1, QxFile::renamePath("/mnt/mtd/new.tmp", "/mnt/mtd/old"));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ("old", m_root.read("/mnt/mtd/old"));
    EXPECT_EQ("new", m_root.read("/mnt/mtd/new.tmp"));
    EXPECT_EQ(0, QxFile::renamePath("/mnt/mtd/new.tmp", "/mnt/mtd/old"));
    EXPECT_EQ("new", m_root.read("/mnt/mtd/old"));
}

TEST_F(FaultInjection, FailedSyncHitsTheNextFileOrFolderSyncOnce) {
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    file.write("abc", 3);
    qxsim::failNextSync();
    EXPECT_FALSE(file.flush(true));
    EXPECT_EQ("abc", m_root.read("/mnt/mtd/a")) << "the data still reached the kernel";
    EXPECT_TRUE(file.flush(true));
    EXPECT_TRUE(file.flush(false));

    qxsim::failNextSync();
    EXPECT_TRUE(file.flush(false)) << "a flush without sync is no sync";
    errno = 0;
    EXPECT_EQ(-1, QxFile::syncDir("/mnt/mtd"));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(0, QxFile::syncDir("/mnt/mtd"));
}

TEST_F(FaultInjection, ReadOnlyPathsRefuseWritingOnly) {
    m_root.write("/mnt/mtd/code/config_file/s.cfg", "data");
    qxsim::failOpenForWrite("config_file");
    QxFile file;
    errno = 0;
    EXPECT_EQ(0, file.open("/mnt/mtd/code/config_file/s.cfg", kWrite));
    EXPECT_EQ(EROFS, errno);
    EXPECT_EQ(0, file.open("/mnt/mtd/code/config_file/s.cfg", QxFile::modeAppend));
    EXPECT_EQ("data", m_root.read("/mnt/mtd/code/config_file/s.cfg")) << "not truncated";
    EXPECT_NE(0, file.open("/mnt/mtd/code/config_file/s.cfg", QxFile::modeRead));
    EXPECT_NE(0, file.open("/mnt/mtd/other", kWrite));

    qxsim::failOpenForWrite("");
    EXPECT_NE(0, file.open("/mnt/mtd/code/config_file/s.cfg", kWrite));
}

TEST_F(FaultInjection, CountsShowAWholeFileReplacement) {
    {
        QxFile file;
        ASSERT_NE(0, file.open("/mnt/mtd/code/config_file/s.cfg.tmp", kWrite));
        file.write("12345678", 8);
        ASSERT_TRUE(file.flush(true));
    }
    ASSERT_EQ(0, QxFile::renamePath("/mnt/mtd/code/config_file/s.cfg.tmp", "/mnt/mtd/code/config_file/s.cfg"));
    ASSERT_EQ(0, QxFile::syncDir("/mnt/mtd/code/config_file"));
    QxFile::removePath("/mnt/mtd/code/config_file/none");  // failed calls count too

    qxsim::FileOpCounts c = qxsim::fileOpCounts();
    EXPECT_EQ(8, c.nBytesWritten);
    EXPECT_EQ(1, c.nFileSyncs);
    EXPECT_EQ(1, c.nRenames);
    EXPECT_EQ(1, c.nDirSyncs);
    EXPECT_EQ(1, c.nRemoves);

    qxsim::resetFaults();
    c = qxsim::fileOpCounts();
    EXPECT_EQ(0, c.nBytesWritten + c.nFileSyncs + c.nRenames + c.nDirSyncs + c.nRemoves);
}

TEST_F(FaultInjection, ResetClearsEveryFault) {
    qxsim::failWriteAfter(0);
    qxsim::failNextRename();
    qxsim::failNextSync();
    qxsim::failOpenForWrite("/mnt");
    qxsim::resetFaults();
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(1u, file.write("x", 1));
    EXPECT_TRUE(file.flush(true));
    EXPECT_EQ(0, QxFile::renamePath("/mnt/mtd/a", "/mnt/mtd/b"));
}

}  // namespace
