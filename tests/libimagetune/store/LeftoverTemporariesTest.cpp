// What a replace cut by a power loss leaves behind is swept at the next start, and nothing else is: other
// programs' files in the same folder stay, whatever their names, and so do replaces in flight in this process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "FileReplace.h"
#include "TestSupport.h"

namespace {

const std::string kFolder = "/mnt/mtd/code/config_file";

TEST(LeftoverTemporaries, OnlyTheLibrarysOwnTemporariesGo) {
    testsupport::TempDeviceRoot objRoot;
    const std::string strPid = std::to_string(static_cast<long>(::getpid()));
    struct Entry {
        std::string strName;
        bool bSwept;
    } const kEntries[] = {
        {"sensor1_0.cfg", false},                      // a stored scheme
        {"snsversion.cfg", false},                     // the version file
        {"sensor1_0.cfg.tmp.4711.0", true},            // a previous boot's cut write
        {"sensor12_3.cfg.tmp.1.22", true},             //
        {"sensor-thermal2.cfg.tmp.99.7", true},        //
        {"snsversion.cfg.tmp.4711.7", true},           //
        {"sensor1_1.cfg.tmp." + strPid + ".3", true},  // this process's number, not in flight: a boot ago
        {"network.cfg.tmp.7", false},                  // other programs' temporaries
        {"upgrade.tmp.123456", false},                 //
        {"sensor1_0.cfg.tmp.4711", false},             // not the replace's pattern
        {"sensor1_0.cfg.tmp.4711.0.bak", false},       //
        {"sensor1_0.cfg.tmp.x.0", false},              //
        {"xsensor1_0.cfg.tmp.1.2", false},             //
        {"sensor_0.cfg.tmp.1.2", false},               //
        {"sensor1_0.cfg.tmp..2", false},               //
        {".tmp.1.2", false},                           //
    };
    for (const Entry& e : kEntries) objRoot.write(kFolder + "/" + e.strName, "x");
    testsupport::makeDirs(objRoot.host(kFolder + "/sensor1_2.cfg.tmp.5.5"));  // a folder of that name: not ours

    int nSwept = 0;
    for (const Entry& e : kEntries) nSwept += e.bSwept ? 1 : 0;
    EXPECT_EQ(nSwept, removeLeftoverTemporaries(kFolder.c_str()));
    for (const Entry& e : kEntries) EXPECT_EQ(!e.bSwept, objRoot.exists(kFolder + "/" + e.strName)) << e.strName;
    struct stat st;
    EXPECT_EQ(0, ::stat(objRoot.host(kFolder + "/sensor1_2.cfg.tmp.5.5").c_str(), &st));
}

TEST(LeftoverTemporaries, ALinkOfThatNameGoesWithoutItsTarget) {
    testsupport::TempDeviceRoot objRoot;
    objRoot.write("/mnt/mtd/keep.txt", "keep");
    testsupport::makeDirs(objRoot.host(kFolder));
    ASSERT_EQ(0, ::symlink(objRoot.host("/mnt/mtd/keep.txt").c_str(),
                           objRoot.host(kFolder + "/sensor1_0.cfg.tmp.1.1").c_str()));
    EXPECT_EQ(1, removeLeftoverTemporaries(kFolder.c_str()));
    EXPECT_EQ("keep", objRoot.read("/mnt/mtd/keep.txt"));
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
