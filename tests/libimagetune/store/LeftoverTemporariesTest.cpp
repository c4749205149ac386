// What a replace cut by a power loss leaves behind is swept at the next start, and nothing else is: other
// programs' files in the same folder stay, whatever their names, and so do replaces in flight, in this process
// or in another one on the same flash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "FileReplace.h"
#include "TestSupport.h"

namespace {

const std::string kFolder = "/mnt/mtd/code/config_file";

// A process number no process has: beyond any pid_max.
const std::string kGonePid = "2147483647";

// Stamps an entry with a time long before this boot.
void stampBeforeBoot(const std::string& p_strHost) {
    const struct timespec stTimes[2] = {{1, 0}, {1, 0}};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, p_strHost.c_str(), stTimes, AT_SYMLINK_NOFOLLOW));
}

TEST(LeftoverTemporaries, OnlyTheLibrarysOwnTemporariesWhoseWriterIsGone) {
    testsupport::TempDeviceRoot objRoot;
    const std::string strPid = std::to_string(static_cast<long>(::getpid()));
    // A process that runs as long as the test: the one that started it.
    const std::string strLivePid = std::to_string(static_cast<long>(::getppid()));
    struct Entry {
        std::string strName;
        bool bBeforeBoot;
        bool bSwept;
    } const kEntries[] = {
        {"sensor1_0.cfg", false, false},                          // a stored scheme
        {"snsversion.cfg", false, false},                         // the version file
        {"sensor1_0.cfg.tmp." + kGonePid + ".0", false, true},    // a cut write whose process is gone
        {"sensor-thermal2.cfg.tmp." + kGonePid + ".7", false, true},
        {"sensor12_3.cfg.tmp.99999999999.22", false, true},       // a number no process can have
        {"sensor1_0.cfg.tmp.0.1", false, true},                   //
        {"sensor1_1.cfg.tmp." + strPid + ".3", false, true},      // this process, not in flight
        {"snsversion.cfg.tmp." + strLivePid + ".7", false, false},  // another process may be about to rename it
        {"sensor1_2.cfg.tmp." + strLivePid + ".8", true, true},   // a boot ago: numbers repeat from boot to boot
        {"sensor1_3.cfg.tmp." + strPid + ".9", true, true},       //
        {"network.cfg.tmp.7", true, false},                       // other programs' temporaries
        {"upgrade.tmp.123456", true, false},                      //
        {"sensor1_0.cfg.tmp.4711", true, false},                  // not the replace's pattern
        {"sensor1_0.cfg.tmp.4711.0.bak", true, false},            //
        {"sensor1_0.cfg.tmp.x.0", true, false},                   //
        {"xsensor1_0.cfg.tmp.1.2", true, false},                  //
        {"sensor_0.cfg.tmp.1.2", true, false},                    //
        {"sensor1_0.cfg.tmp..2", true, false},                    //
        {".tmp.1.2", true, false},                                //
    };
    for (const Entry& e : kEntries) {
        objRoot.write(kFolder + "/" + e.strName, "x");
        if (e.bBeforeBoot) stampBeforeBoot(objRoot.host(kFolder + "/" + e.strName));
    }
    // A folder of that name: not what a cut write leaves.
    testsupport::makeDirs(objRoot.host(kFolder + "/sensor1_2.cfg.tmp." + kGonePid + ".5"));

    int nSwept = 0;
    for (const Entry& e : kEntries) nSwept += e.bSwept ? 1 : 0;
    EXPECT_EQ(nSwept, removeLeftoverTemporaries(kFolder.c_str()));
    for (const Entry& e : kEntries) EXPECT_EQ(!e.bSwept, objRoot.exists(kFolder + "/" + e.strName)) << e.strName;
    struct stat st;
    EXPECT_EQ(0, ::stat(objRoot.host(kFolder + "/sensor1_2.cfg.tmp." + kGonePid + ".5").c_str(), &st));
}

TEST(LeftoverTemporaries, ALinkOfThatNameGoesWithoutItsTarget) {
    testsupport::TempDeviceRoot objRoot;
    objRoot.write("/mnt/mtd/keep.txt", "keep");
    testsupport::makeDirs(objRoot.host(kFolder));
    ASSERT_EQ(0, ::symlink(objRoot.host("/mnt/mtd/keep.txt").c_str(),
                           objRoot.host(kFolder + "/sensor1_0.cfg.tmp." + kGonePid + ".1").c_str()));
    EXPECT_EQ(1, removeLeftoverTemporaries(kFolder.c_str()));
    EXPECT_EQ("keep", objRoot.read("/mnt/mtd/keep.txt"));
}

// Two processes on one flash: one saves in a loop while the other starts again and again. No save fails
// because the other's sweep took its temporary between its write and its rename.
TEST(LeftoverTemporaries, AnotherProcesssReplacesAreLeftAlone) {
    testsupport::TempDeviceRoot objRoot;
    testsupport::makeDirs(objRoot.host(kFolder));
    const std::string strTarget = kFolder + "/sensor1_0.cfg";
    const std::string strData(16 * 1024, 'a');
    int aReady[2];
    ASSERT_EQ(0, ::pipe(aReady));
    const pid_t nChild = ::fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0) {
        ::close(aReady[0]);
        int nFailed = 0;
        for (int i = 0; i < 300; ++i) {
            if (replaceFileWhole(strTarget.c_str(), strData.data(), static_cast<INT64>(strData.size())) != 0)
                ++nFailed;
            if (i == 0) (void)!::write(aReady[1], "r", 1);
        }
        ::_exit(nFailed > 255 ? 255 : nFailed);
    }
    ::close(aReady[1]);
    char cReady = 0;
    ASSERT_EQ(1, ::read(aReady[0], &cReady, 1));
    ::close(aReady[0]);
    int nSwept = 0;
    int nStatus = 0;
    while (::waitpid(nChild, &nStatus, WNOHANG) == 0) nSwept += removeLeftoverTemporaries(kFolder.c_str());
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(0, WEXITSTATUS(nStatus)) << "saves that failed";
    EXPECT_EQ(0, nSwept);
    EXPECT_EQ(strData, objRoot.read(strTarget));
}

// A start of one channel while another channel replaces its files: the sweep never takes a temporary that a
// replace is still writing.
TEST(LeftoverTemporaries, ReplacesInFlightAreLeftAlone) {
    testsupport::TempDeviceRoot objRoot;
    testsupport::makeDirs(objRoot.host(kFolder));
    const std::string strTarget = kFolder + "/sensor1_0.cfg";
    const std::string strData(64 * 1024, 'a');
    std::atomic<bool> bStop{false};
    std::atomic<int> nFailed{0};
    std::thread objWriter([&] {
        for (int i = 0; i < 200 && !bStop.load(); ++i) {
            if (replaceFileWhole(strTarget.c_str(), strData.data(), static_cast<INT64>(strData.size())) != 0) ++nFailed;
        }
    });
    int nSwept = 0;
    for (int i = 0; i < 2000; ++i) nSwept += removeLeftoverTemporaries(kFolder.c_str());
    bStop = true;
    objWriter.join();
    EXPECT_EQ(0, nFailed.load());
    EXPECT_EQ(0, nSwept);
    EXPECT_EQ(strData, objRoot.read(strTarget));
}

TEST(LeftoverTemporaries, MissingFolderOrNullIsNothingToDo) {
    testsupport::TempDeviceRoot objRoot;
    EXPECT_EQ(0, removeLeftoverTemporaries(kFolder.c_str()));
    EXPECT_EQ(0, removeLeftoverTemporaries(nullptr));
}

}  // namespace
