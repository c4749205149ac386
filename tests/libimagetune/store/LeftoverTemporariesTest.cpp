// What a write cut by a power loss leaves behind is swept at the next start, and nothing else is.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "FileReplace.h"
#include "TestSupport.h"

namespace {

const std::string kFolder = "/mnt/mtd/code/config_file";

TEST(LeftoverTemporaries, OnlyAnotherProcesssTemporariesGo) {
    testsupport::TempDeviceRoot objRoot;
    const std::string strOwnPid = std::to_string(static_cast<long>(::getpid()));
    const std::string strOtherPid = std::to_string(static_cast<long>(::getpid()) + 1);
    struct Entry {
        std::string strName;
        bool bSwept;
    } const kEntries[] = {
        {"sensor1_0.cfg", false},                              // a stored scheme
        {"snsversion.cfg", false},                             // the version file
        {"sensor1_0.cfg.tmp." + strOtherPid + ".0", true},     // a previous boot's cut write
        {"snsversion.cfg.tmp." + strOtherPid + ".7", true},
        {"sensor1_1.cfg.tmp." + strOwnPid + ".3", false},      // a write of this process in flight
        {".tmp.1.2", false},                                   // no target name: not ours
    };
    for (const Entry& e : kEntries) objRoot.write(kFolder + "/" + e.strName, "x");

    EXPECT_EQ(2, removeLeftoverTemporaries(kFolder.c_str()));
    for (const Entry& e : kEntries) EXPECT_EQ(!e.bSwept, objRoot.exists(kFolder + "/" + e.strName)) << e.strName;
}

TEST(LeftoverTemporaries, MissingFolderOrNullIsNothingToDo) {
    testsupport::TempDeviceRoot objRoot;
    EXPECT_EQ(0, removeLeftoverTemporaries(kFolder.c_str()));
    EXPECT_EQ(0, removeLeftoverTemporaries(nullptr));
}

}  // namespace
