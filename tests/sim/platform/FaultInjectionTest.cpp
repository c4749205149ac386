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

// ---- What a power cut keeps ----------------------------------------------------------------------------------

class FlashModel : public FaultInjection {
protected:
    const std::string kFolder = "/mnt/mtd/code/config_file";
    const std::string kTarget = kFolder + "/s.cfg";
    const std::string kTmp = kFolder + "/s.cfg.tmp";

    // Writes p_strText into a file through QxFile; with p_bSync it is fsync'd before it is closed.
    void writeFile(const std::string& p_strPath, const std::string& p_strText, bool p_bSync) {
        QxFile file;
        ASSERT_NE(0, file.open(p_strPath.c_str(), kWrite));
        ASSERT_EQ(p_strText.size(), put(file, p_strText));
        if (p_bSync) {
            ASSERT_EQ(0, syncFile(file));
        } else {
            std::fflush(file.getFileHandle());
        }
    }
    int renameTo(const std::string& p_strFrom, const std::string& p_strTo) {
        return ::rename(m_root.host(p_strFrom).c_str(), m_root.host(p_strTo).c_str());
    }
    // "(missing)" for a missing file.
    std::string contentOf(const std::string& p_strPath) {
        return m_root.exists(p_strPath) ? m_root.read(p_strPath) : "(missing)";
    }
};

// Of the writes since the last fsync a cut keeps any first part, up to any byte; a truncation counts as one.
TEST_F(FlashModel, ACutKeepsTheSyncedContentAndAnyFirstPartOfTheWritesSince) {
    struct Case {
        const char* szWhat;
        bool bSyncFirst;                   // "abc" is fsync'd, then "def" written
        std::vector<std::string> vecKept;  // the content for 0, 1, 2, ... units kept
    };
    const Case kCases[] = {
        {"nothing synced", false, {"old", "", "a", "ab", "abc", "abcd", "abcde", "abcdef"}},
        {"abc synced", true, {"abc", "abcd", "abcde", "abcdef"}},
    };
    for (const Case& c : kCases) {
        for (size_t nKept = 0; nKept < c.vecKept.size(); ++nKept) {
            SCOPED_TRACE(std::string(c.szWhat) + ", units kept: " + std::to_string(nKept));
            m_root.write(kTarget, "old");
            qxsim::resetFaults();
            {
                QxFile file;
                ASSERT_NE(0, file.open(kTarget.c_str(), kWrite));
                put(file, "abc");
                if (c.bSyncFirst) {
                    ASSERT_EQ(0, syncFile(file));
                }
                put(file, "def");
            }
            const std::vector<qxsim::UnsyncedChange> vecChanges = qxsim::unsyncedChanges();
            ASSERT_EQ(1u, vecChanges.size()) << "an existing file: no entry changes";
            EXPECT_FALSE(vecChanges[0].bFolder);
            EXPECT_EQ(kTarget, vecChanges[0].strPath);
            EXPECT_EQ(static_cast<long long>(c.vecKept.size()) - 1, vecChanges[0].nUnits);
            EXPECT_EQ("abcdef", m_root.read(kTarget)) << "the kernel has it all until the cut";

            qxsim::restartFlash({static_cast<long long>(nKept)});
            EXPECT_EQ(c.vecKept[nKept], m_root.read(kTarget));
            EXPECT_TRUE(qxsim::unsyncedChanges().empty()) << "after a restart the flash holds the tree";
        }
    }
}

// The entry changes since the folder's last fsync are undone from the last one back; an undone rename brings
// back the old file, whole, and a created file comes back with what was synced of it.
TEST_F(FlashModel, EntryChangesSinceTheFolderSyncAreKeptInOrderUpToAnyOne) {
    struct Case {
        long long nKept;
        const char* szTarget;
        const char* szTmp;
        const char* szOther;
    };
    const Case kCases[] = {
        {0, "old", "(missing)", "other"},  // nothing of it
        {1, "old", "new", "other"},        // the temporary file created
        {2, "new", "(missing)", "other"},  // renamed over the target
        {3, "new", "(missing)", "(missing)"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE("entry changes kept: " + std::to_string(c.nKept));
        m_root.write(kTarget, "old");
        m_root.write(kFolder + "/other", "other");
        m_root.remove(kTmp);
        qxsim::resetFaults();
        writeFile(kTmp, "new", true);
        ASSERT_EQ(0, renameTo(kTmp, kTarget));
        ASSERT_EQ(0, ::unlink(m_root.host(kFolder + "/other").c_str()));
        const std::vector<qxsim::UnsyncedChange> vecChanges = qxsim::unsyncedChanges();
        ASSERT_EQ(1u, vecChanges.size()) << "the file's data is synced";
        EXPECT_TRUE(vecChanges[0].bFolder);
        EXPECT_EQ(kFolder, vecChanges[0].strPath);
        EXPECT_EQ(3, vecChanges[0].nUnits);

        qxsim::restartFlash({c.nKept});
        EXPECT_EQ(c.szTarget, contentOf(kTarget));
        EXPECT_EQ(c.szTmp, contentOf(kTmp));
        EXPECT_EQ(c.szOther, contentOf(kFolder + "/other"));
    }

    // Once the folder is synced, no cut undoes them.
    m_root.write(kTarget, "old");
    qxsim::resetFaults();
    writeFile(kTmp, "new", true);
    ASSERT_EQ(0, renameTo(kTmp, kTarget));
    ASSERT_EQ(0, syncFolder(m_root.host(kFolder)));
    EXPECT_TRUE(qxsim::unsyncedChanges().empty());
    qxsim::restartFlash({0});
    EXPECT_EQ("new", contentOf(kTarget));
}

// A replace whose file was never synced: its folder makes the rename durable, and a cut then leaves the target
// torn. This is the fault the model exists to show.
TEST_F(FlashModel, ARenameMadeDurableBeforeItsDataLeavesATornFile) {
    m_root.write(kTarget, "old content");
    qxsim::resetFaults();
    writeFile(kTmp, "new content", false);
    ASSERT_EQ(0, renameTo(kTmp, kTarget));
    ASSERT_EQ(0, syncFolder(m_root.host(kFolder)));
    const std::vector<qxsim::UnsyncedChange> vecChanges = qxsim::unsyncedChanges();
    ASSERT_EQ(1u, vecChanges.size());
    EXPECT_EQ(kTarget, vecChanges[0].strPath) << "the file is known by the name it has now";
    EXPECT_EQ(1 + 11, vecChanges[0].nUnits);
    qxsim::restartFlash({5});
    EXPECT_EQ("new ", m_root.read(kTarget));
}

// What was there at the last resetFaults() is durable; a planted link undone comes back as a link; the RAM
// disk loses what was written to it.
TEST_F(FlashModel, ResetTreeIsDurableLinksComeBackAndTheRamDiskIsLost) {
    testsupport::makeDirs(m_root.host("/tmp"));
    writeFile(kFolder + "/before", "before", false);
    ASSERT_EQ(0, ::symlink("/elsewhere", m_root.host(kTarget).c_str()));
    m_root.write("/tmp/seeded", "seeded");
    qxsim::resetFaults();
    writeFile(kTmp, "new", true);
    ASSERT_EQ(0, renameTo(kTmp, kTarget));
    writeFile("/tmp/merged", "merged", true);
    ASSERT_EQ(0, syncFolder(m_root.host("/tmp")));

    qxsim::restartFlash(std::vector<long long>(qxsim::unsyncedChanges().size(), 0));
    EXPECT_EQ("before", contentOf(kFolder + "/before"));
    char szTarget[64] = {};
    ASSERT_GT(::readlink(m_root.host(kTarget).c_str(), szTarget, sizeof(szTarget) - 1), 0);
    EXPECT_STREQ("/elsewhere", szTarget);
    EXPECT_FALSE(m_root.exists("/tmp/merged")) << "synced or not, RAM is gone";
    EXPECT_EQ("seeded", contentOf("/tmp/seeded")) << "what the file layer did not write is left alone";
}

// A cut at a step: the steps before it are kept or lost as the model says, nothing after it exists.
TEST_F(FlashModel, RestartAfterACutAtAStepKeepsOnlyWhatCameBefore) {
    m_root.write(kTarget, "old");
    qxsim::resetFaults();
    qxsim::cutPowerAtStep(4);  // open, write, sync; the rename is cut
    writeFile(kTmp, "new", true);
    EXPECT_NE(0, renameTo(kTmp, kTarget));
    qxsim::restartFlash({});
    EXPECT_EQ("old", contentOf(kTarget));
    EXPECT_EQ("new", contentOf(kTmp));
    EXPECT_TRUE(qxsim::writeSteps().empty()) << "a restart resets the faults";
    EXPECT_EQ(0, renameTo(kTmp, kTarget));
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
