// Fault injection for power-loss tests: short writes, failed renames and syncs, read-only paths, counts. Opens
// and writes go through QxFile; fsync, rename and unlink are the C library's, seen by the test fault layer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "PlatformTestUtil.h"
#include "QxFile.h"
#include "QxLogger.h"
#include "SimControl.h"
#include "TestSupport.h"

namespace {

using platformtest::put;

const unsigned char kWrite = QxFile::modeWrite | QxFile::modeTruncate;

// fsync of the file's stream or of a folder, as the library makes a replace durable.
int syncFile(QxFile& p_objFile) {
    std::fflush(p_objFile.getFileHandle());
    return ::fsync(::fileno(p_objFile.getFileHandle()));
}
int syncFolder(const std::string& p_strHost) {
    int fd = ::open(p_strHost.c_str(), O_RDONLY | O_DIRECTORY);
    int nRet = ::fsync(fd);
    int nErr = errno;
    ::close(fd);
    errno = nErr;
    return nRet;
}

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
    EXPECT_EQ(3u, put(file, "abc"));
    EXPECT_EQ(2u, put(file, "defg")) << "short at the cut";
    EXPECT_EQ(0u, put(file, "x"));
    QxFile second;  // the cut is process-wide, not per file
    ASSERT_NE(0, second.open("/mnt/mtd/b", kWrite));
    EXPECT_EQ(0u, put(second, "y"));
    file.close();
    second.close();
    EXPECT_EQ("abcde", m_root.read("/mnt/mtd/a"));
    EXPECT_EQ("", m_root.read("/mnt/mtd/b"));

    qxsim::failWriteAfter(-1);
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(4u, put(file, "full"));
}

TEST_F(FaultInjection, ZeroBudgetFailsTheFirstWriteButNotTheLogger) {
    qxsim::failWriteAfter(0);
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    EXPECT_EQ(0u, put(file, "abc"));
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
            for (int i = 0; i < 200; ++i) vecWritten[t] += put(file, "0123456");
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
    EXPECT_EQ(-1, ::rename(m_root.host("/mnt/mtd/new.tmp").c_str(), m_root.host("/mnt/mtd/old").c_str()));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ("old", m_root.read("/mnt/mtd/old"));
    EXPECT_EQ("new", m_root.read("/mnt/mtd/new.tmp"));
    EXPECT_EQ(0, ::rename(m_root.host("/mnt/mtd/new.tmp").c_str(), m_root.host("/mnt/mtd/old").c_str()));
    EXPECT_EQ("new", m_root.read("/mnt/mtd/old"));
}

TEST_F(FaultInjection, FailedSyncHitsTheNextFileOrFolderSyncOnce) {
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", kWrite));
    put(file, "abc");
    qxsim::failNextSync();
    errno = 0;
    EXPECT_EQ(-1, syncFile(file));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ("abc", m_root.read("/mnt/mtd/a")) << "the data still reached the kernel";
    EXPECT_EQ(0, syncFile(file));

    qxsim::failNextSync();
    errno = 0;
    EXPECT_EQ(-1, syncFolder(m_root.host("/mnt/mtd")));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(0, syncFolder(m_root.host("/mnt/mtd")));
}

TEST_F(FaultInjection, PathsOutsideTheDeviceRootAreLeftAlone) {
    testsupport::TempDeviceRoot objElsewhere;  // a second folder, made the root for the moment
    const std::string strOutside = objElsewhere.host("/f");
    objElsewhere.write("/f", "x");
    {
        testsupport::TempDeviceRoot objRoot;  // the root now: objElsewhere lies outside it
        qxsim::failNextRename();
        EXPECT_EQ(0, ::rename(strOutside.c_str(), (strOutside + "2").c_str()));
        EXPECT_EQ(0, ::unlink((strOutside + "2").c_str()));
        EXPECT_EQ(0, qxsim::fileOpCounts().nRenames + qxsim::fileOpCounts().nRemoves);
        EXPECT_TRUE(qxsim::writeSteps().empty());
    }
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
    const std::string strTmp = "/mnt/mtd/code/config_file/s.cfg.tmp";
    const std::string strTarget = "/mnt/mtd/code/config_file/s.cfg";
    {
        QxFile file;
        ASSERT_NE(0, file.open(strTmp.c_str(), kWrite));
        put(file, "12345678");
        ASSERT_EQ(0, syncFile(file));
    }
    ASSERT_EQ(0, ::rename(m_root.host(strTmp).c_str(), m_root.host(strTarget).c_str()));
    ASSERT_EQ(0, syncFolder(m_root.host("/mnt/mtd/code/config_file")));
    ::unlink(m_root.host("/mnt/mtd/code/config_file/none").c_str());  // failed calls count too

    qxsim::FileOpCounts c = qxsim::fileOpCounts();
    EXPECT_EQ(8, c.nBytesWritten);
    EXPECT_EQ(1, c.nFileSyncs);
    EXPECT_EQ(1, c.nRenames);
    EXPECT_EQ(1, c.nDirSyncs);
    EXPECT_EQ(1, c.nRemoves);

    std::vector<qxsim::WriteStep> vecSteps = qxsim::writeSteps();
    std::vector<qxsim::WriteStepKind> vecKinds;
    for (const qxsim::WriteStep& st : vecSteps) vecKinds.push_back(st.eKind);
    EXPECT_EQ((std::vector<qxsim::WriteStepKind>{qxsim::STEP_OPEN, qxsim::STEP_WRITE, qxsim::STEP_FILE_SYNC,
                                                 qxsim::STEP_RENAME, qxsim::STEP_DIR_SYNC, qxsim::STEP_REMOVE}),
              vecKinds);
    ASSERT_EQ(6u, vecSteps.size());
    EXPECT_EQ(strTmp, vecSteps[2].strPath) << "a file sync names the file";
    EXPECT_EQ(strTarget, vecSteps[3].strPath) << "a rename names its target";
    EXPECT_EQ("/mnt/mtd/code/config_file", vecSteps[4].strPath);

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
    EXPECT_EQ(1u, put(file, "x"));
    EXPECT_EQ(0, syncFile(file));
    EXPECT_EQ(0, ::rename(m_root.host("/mnt/mtd/a").c_str(), m_root.host("/mnt/mtd/b").c_str()));
}

}  // namespace
