// sy_system: exit statuses, the time limit, and commands acting under the device root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "PlatformTestUtil.h"
#include "TestSupport.h"
#include "sy_system.h"

namespace {

struct StatusCase {
    const char* szCommand;
    int nExpected;
};

TEST(SySystem, ReturnsTheExitStatusOrMinusOne) {
    platformtest::ScopedEnv noRoot("IMAGETUNE_ROOT", nullptr);
    const StatusCase kCases[] = {
        {"true", 0},
        {"exit 3", 3},
        {"false", 1},
        {"kill -9 $$", -1},  // killed by a signal
        {"no-such-command-here 2>/dev/null", 127},
        {"test \"$(echo a b)\" = 'a b'", 0},
    };
    for (const StatusCase& c : kCases) EXPECT_EQ(c.nExpected, sy_system(c.szCommand, 30)) << c.szCommand;
    EXPECT_EQ(-1, sy_system(nullptr, 30));
    EXPECT_EQ(4, sy_system("exit 4", 0)) << "no time limit";
}

// Gone, or a zombie waiting for a parent that is not us.
bool processEnded(const std::string& p_strPid) {
    std::string strStat = testsupport::readHostFile("/proc/" + p_strPid + "/stat");
    size_t nParen = strStat.rfind(')');
    return strStat.empty() || (nParen != std::string::npos && strStat.compare(nParen, 3, ") Z") == 0);
}

TEST(SySystem, TimeLimitKillsTheCommandAndWhatItStarted) {
    platformtest::ScopedEnv noRoot("IMAGETUNE_ROOT", nullptr);
    testsupport::TempDeviceRoot scratch;  // only a folder here: the root is unset again below
    std::string strPidFile = scratch.path() + "/pid";
    platformtest::ScopedEnv stillNoRoot("IMAGETUNE_ROOT", nullptr);
    std::string strCmd = "sleep 60 & echo $! > " + strPidFile + "; wait";
    EXPECT_EQ(-1, sy_system(strCmd.c_str(), 1));
    std::string strPid = testsupport::readHostFile(strPidFile);
    while (!strPid.empty() && strPid.back() == '\n') strPid.pop_back();
    ASSERT_FALSE(strPid.empty());
    EXPECT_TRUE(platformtest::waitUntil([&] { return processEnded(strPid); })) << "background child " << strPid;
}

struct RootedCase {
    const char* szName;
    const char* szCommand;
    int nStatus;
    const char* szFile;     // device path whose content is checked afterwards
    const char* szContent;  // null: the file must not exist
};

TEST(SySystem, AbsoluteArgumentsActUnderTheDeviceRoot) {
    const RootedCase kCases[] = {
        {"stale scheme files", "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg", 0,
         "/mnt/mtd/code/config_file/sensor1_0.cfg", nullptr},
        {"glob stops at its pattern", "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg", 0,
         "/mnt/mtd/code/config_file/sensor1_4.cfg", "keep"},
        {"other channel untouched", "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg", 0,
         "/mnt/mtd/code/config_file/sensor2_0.cfg", "keep"},
        {"redirection target", "echo hi > /tmp/out", 0, "/tmp/out", "hi\n"},
        {"redirection without blank", "echo hi >/tmp/out", 0, "/tmp/out", "hi\n"},
        {"quoted paths", "printf 'x y' > '/tmp/q'; cat \"/tmp/q\" > /tmp/r", 0, "/tmp/r", "x y"},
        {"command position stays the host's", "/bin/echo ok >/tmp/out", 0, "/tmp/out", "ok\n"},
        {"after && and |", "cd /tmp && echo z | cat > /tmp/z", 0, "/tmp/z", "z\n"},
        {"host paths are out of reach", "test -e /etc/passwd", 1, "/etc/passwd", nullptr},
        {"stderr redirect is no path", "ls /none 2>&1 >/dev/null; echo $? > /tmp/rc", 0, "/tmp/rc", "2\n"},
        {"devices stay the host's", "echo x >/dev/null", 0, "/dev/null", nullptr},
    };
    for (const RootedCase& c : kCases) {
        SCOPED_TRACE(c.szName);
        testsupport::TempDeviceRoot root;
        testsupport::makeDirs(root.host("/tmp"));
        for (int i = 0; i < 5; ++i)
            root.write("/mnt/mtd/code/config_file/sensor1_" + std::to_string(i) + ".cfg", "keep");
        root.write("/mnt/mtd/code/config_file/sensor2_0.cfg", "keep");
        EXPECT_EQ(c.nStatus, sy_system(c.szCommand, 30)) << c.szCommand;
        EXPECT_EQ(c.szContent != nullptr, root.exists(c.szFile));
        if (c.szContent != nullptr) {
            EXPECT_EQ(c.szContent, root.read(c.szFile));
        }
    }
}

TEST(SySystem, APathMappedAlreadyIsNotMappedAgain) {
    testsupport::TempDeviceRoot root;
    root.write("/tmp/src", "data");
    std::string strCmd = "cp " + root.host("/tmp/src") + " /tmp/dst";
    EXPECT_EQ(0, sy_system(strCmd.c_str(), 30));
    EXPECT_EQ("data", root.read("/tmp/dst"));
}

TEST(SySystem, RootWithShellSyntaxIsRefused) {
    testsupport::TempDeviceRoot base;
    std::string strOdd = base.path() + "/odd root;touch x";
    testsupport::makeDirs(strOdd + "/tmp");
    platformtest::ScopedEnv env("IMAGETUNE_ROOT", strOdd.c_str());
    EXPECT_EQ(-1, sy_system("touch /tmp/made", 30));
    struct stat st;
    EXPECT_NE(0, ::stat((strOdd + "/tmp/made").c_str(), &st));
}

}  // namespace
