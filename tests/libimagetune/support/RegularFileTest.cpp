// Reading a file that anything may have been put in place of: only a regular file is read, nothing blocks, a
// link is read through unless the caller refuses links, and a file larger than the caller takes is refused or
// cut as asked.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "HangWatchdog.h"
#include "RegularFile.h"
#include "TestSupport.h"

namespace {

const std::string kPath = "/mnt/mtd/code/config_file/sensor1_0.cfg";

struct KindCase {
    const char* szKind;
    std::function<void(const testsupport::TempDeviceRoot&, const std::string&)> fnPlant;
    RegularFileStatus eStatus;  // a link read through
    const char* szWhy;
    RegularFileStatus eRefusingStatus;  // where links are refused
    const char* szRefusingWhy;
};

void plantSocket(const std::string& p_strHost) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un stAddr = sockaddr_un();
    stAddr.sun_family = AF_UNIX;
    ASSERT_LT(p_strHost.size(), sizeof(stAddr.sun_path));
    std::snprintf(stAddr.sun_path, sizeof(stAddr.sun_path), "%s", p_strHost.c_str());
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&stAddr), sizeof(stAddr)));
    ::close(fd);
}

TEST(RegularFile, OnlyARegularFileIsReadAndNothingBlocks) {
    // A file outside the device root, as another partition of a firmware image would hold it.
    testsupport::TempDeviceRoot objOutside;
    objOutside.write("/factory/sensor.cfg", "abc");
    const std::string strOutside = objOutside.host("/factory/sensor.cfg");
    const KindCase kCases[] = {
        {"missing", [](const testsupport::TempDeviceRoot&, const std::string&) {}, REGULAR_FILE_MISSING, "missing",
         REGULAR_FILE_MISSING, "missing"},
        {"regular", [](const testsupport::TempDeviceRoot& r, const std::string& p) { r.write(p, "abc"); },
         REGULAR_FILE_OK, "a regular file", REGULAR_FILE_OK, "a regular file"},
        {"folder", [](const testsupport::TempDeviceRoot& r, const std::string& p) { testsupport::makeDirs(r.host(p)); },
         REGULAR_FILE_NOT_REGULAR, "a folder", REGULAR_FILE_NOT_REGULAR, "a folder"},
        {"FIFO without a writer",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::mkfifo(r.host(p).c_str(), 0666));
         },
         REGULAR_FILE_NOT_REGULAR, "a FIFO", REGULAR_FILE_NOT_REGULAR, "a FIFO"},
        {"socket", [](const testsupport::TempDeviceRoot& r, const std::string& p) { plantSocket(r.host(p)); },
         REGULAR_FILE_NOT_REGULAR, "a socket", REGULAR_FILE_NOT_REGULAR, "a socket"},
        {"link to a regular file in the root",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             r.write("/mnt/mtd/other.cfg", "abc");
             ASSERT_EQ(0, ::symlink(r.host("/mnt/mtd/other.cfg").c_str(), r.host(p).c_str()));
         },
         REGULAR_FILE_OK, "a regular file", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"relative link to a file beside it",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             r.write("/mnt/mtd/code/config_file/model.cfg", "abc");
             ASSERT_EQ(0, ::symlink("model.cfg", r.host(p).c_str()));
         },
         REGULAR_FILE_OK, "a regular file", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"link out of the root",
         [&](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::symlink(strOutside.c_str(), r.host(p).c_str()));
         },
         REGULAR_FILE_OK, "a regular file", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"dangling link",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::symlink("nowhere", r.host(p).c_str()));
         },
         REGULAR_FILE_MISSING, "missing", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"loop of links",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::symlink(r.host(p).c_str(), r.host(p).c_str()));
         },
         REGULAR_FILE_NOT_REGULAR, "a symbolic link", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"link to a FIFO",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::mkfifo(r.host("/mnt/mtd/fifo").c_str(), 0666));
             ASSERT_EQ(0, ::symlink(r.host("/mnt/mtd/fifo").c_str(), r.host(p).c_str()));
         },
         REGULAR_FILE_NOT_REGULAR, "a FIFO", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"link to a device",
         [](const testsupport::TempDeviceRoot& r, const std::string& p) {
             ASSERT_EQ(0, ::symlink("/dev/zero", r.host(p).c_str()));
         },
         REGULAR_FILE_NOT_REGULAR, "a character device", REGULAR_FILE_NOT_REGULAR, "a symbolic link"},
        {"a path component that is a file",
         [](const testsupport::TempDeviceRoot& r, const std::string&) {
             testsupport::removeTree(r.host("/mnt/mtd/code/config_file"));
             r.write("/mnt/mtd/code/config_file", "a file");
         },
         REGULAR_FILE_UNREADABLE, "under a path component that is not a folder", REGULAR_FILE_UNREADABLE,
         "under a path component that is not a folder"},
    };
    HangWatchdog objWatchdog;
    for (const KindCase& c : kCases) {
        for (RegularFileLinks eLinks : {REGULAR_FILE_FOLLOW_LINK, REGULAR_FILE_REFUSE_LINK}) {
            const bool bFollow = eLinks == REGULAR_FILE_FOLLOW_LINK;
            SCOPED_TRACE(std::string(c.szKind) + (bFollow ? ", links followed" : ", links refused"));
            const RegularFileStatus eStatus = bFollow ? c.eStatus : c.eRefusingStatus;
            const char* szWhy = bFollow ? c.szWhy : c.szRefusingWhy;
            testsupport::TempDeviceRoot objRoot;
            testsupport::makeDirs(objRoot.host("/mnt/mtd/code/config_file"));
            c.fnPlant(objRoot, kPath);
            objWatchdog.arm(std::string("a read of ") + c.szKind);

            const RegularFileResult stProbe = probeRegularFile(kPath.c_str(), eLinks);
            EXPECT_EQ(eStatus, stProbe.eStatus);
            EXPECT_STREQ(szWhy, stProbe.szWhy);
            for (RegularFileLength eLength : {REGULAR_FILE_WHOLE, REGULAR_FILE_PREFIX}) {
                std::string strData = "before";
                const RegularFileResult stRead = readRegularFile(kPath.c_str(), 100, strData, eLength, eLinks);
                EXPECT_EQ(eStatus, stRead.eStatus);
                EXPECT_STREQ(szWhy, stRead.szWhy);
                EXPECT_EQ(eStatus == REGULAR_FILE_OK ? "abc" : "", strData);
                EXPECT_EQ(eStatus == REGULAR_FILE_OK ? 3 : 0, stRead.nSize);
            }
            objWatchdog.disarm();
        }
    }
}

TEST(RegularFile, ALongerFileIsRefusedWholeOrCutAsAsked) {
    testsupport::TempDeviceRoot objRoot;
    const std::string strText(5000, 'x');
    objRoot.write(kPath, strText);
    std::string strData;
    struct Case {
        size_t nMax;
        RegularFileLength eLength;
        RegularFileStatus eStatus;
        size_t nSizeRead;
    } const kCases[] = {
        {5000, REGULAR_FILE_WHOLE, REGULAR_FILE_OK, 5000},  {4999, REGULAR_FILE_WHOLE, REGULAR_FILE_TOO_LARGE, 0},
        {0, REGULAR_FILE_WHOLE, REGULAR_FILE_TOO_LARGE, 0}, {4999, REGULAR_FILE_PREFIX, REGULAR_FILE_OK, 4999},
        {8, REGULAR_FILE_PREFIX, REGULAR_FILE_OK, 8},       {0, REGULAR_FILE_PREFIX, REGULAR_FILE_OK, 0},
        {9000, REGULAR_FILE_PREFIX, REGULAR_FILE_OK, 5000},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::to_string(c.nMax) + (c.eLength == REGULAR_FILE_WHOLE ? " whole" : " prefix"));
        RegularFileResult stRead = readRegularFile(kPath.c_str(), c.nMax, strData, c.eLength);
        EXPECT_EQ(c.eStatus, stRead.eStatus);
        EXPECT_EQ(strText.substr(0, c.nSizeRead), strData);
        EXPECT_EQ(5000, stRead.nSize);
    }
    objRoot.write(kPath, "");
    EXPECT_EQ(REGULAR_FILE_OK, readRegularFile(kPath.c_str(), 0, strData).eStatus);
    EXPECT_EQ("", strData);
}

// A file under the kernel's own tree reports size 0 and yet has content: the read goes by what it gets, not
// by the size the file claims.
TEST(RegularFile, AFileLongerThanItsSizeIsStillBounded) {
    const char* const kProcFile = "/proc/self/status";
    const char* szRoot = std::getenv("IMAGETUNE_ROOT");
    if (szRoot != nullptr && *szRoot != '\0') GTEST_SKIP() << "a device root is set: /proc is not under it";
    std::string strData;
    RegularFileResult stRead = readRegularFile(kProcFile, 1 << 20, strData);
    ASSERT_EQ(REGULAR_FILE_OK, stRead.eStatus);
    EXPECT_EQ(0, stRead.nSize);
    EXPECT_GT(strData.size(), 10u);
    stRead = readRegularFile(kProcFile, 10, strData);
    EXPECT_EQ(REGULAR_FILE_TOO_LARGE, stRead.eStatus);
    EXPECT_EQ("", strData);
}

TEST(RegularFile, LinesAreCutAsATextReaderCutsThem) {
    struct Case {
        std::string strText;
        std::vector<std::string> vecLines;
    } const kCases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r", {"a"}},
        {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
    };
    for (const Case& c : kCases) {
        std::vector<std::string> vecLines = {"stale"};
        splitRegularFileLines(c.strText, vecLines);
        EXPECT_EQ(c.vecLines, vecLines) << "text of " << c.strText.size() << " bytes";
    }
}

}  // namespace
