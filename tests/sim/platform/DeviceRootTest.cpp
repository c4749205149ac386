// The device root: which paths are moved under IMAGETUNE_ROOT, and that the file stand-ins use it.
#include <gtest/gtest.h>

#include "DeviceRoot.h"
#include "PlatformTestUtil.h"
#include "QxFile.h"
#include "TestSupport.h"

namespace {

using platformtest::ScopedEnv;

struct RootCase {
    const char* szRoot;  // null: unset
    const char* szPath;
    const char* szExpected;
};

const RootCase kRootCases[] = {
    {nullptr, "/mnt/mtd/a.cfg", "/mnt/mtd/a.cfg"},
    {"", "/mnt/mtd/a.cfg", "/mnt/mtd/a.cfg"},  // set but empty counts as unset
    {"/r", "/mnt/mtd/a.cfg", "/r/mnt/mtd/a.cfg"},
    {"/r//", "/mnt/mtd/a.cfg", "/r/mnt/mtd/a.cfg"},
    {"/r", "rel/a.cfg", "rel/a.cfg"},  // relative paths stay as they are
    {"/r", "", ""},
    {"/r", "/", "/r/"},
    {"/r", "/r/mnt/a", "/r/mnt/a"},                  // mapped already: not mapped twice
    {"/r", "/r", "/r"},                              //
    {"/r", "/rx/a", "/r/rx/a"},                      // the root must be a whole leading component
    {"/r", "/a/../../etc/passwd", "/r/etc/passwd"},  // ".." stops at the root
    {"/r", "/..", "/r/"},
    {"/r", "/a/b/..", "/r/a"},
    {"/r", "/a/..b/c", "/r/a/..b/c"},  // not a ".." component
    {"/r", "/a/./b/", "/r/a/./b/"},    // kept verbatim without ".."
};

TEST(DeviceRoot, MapsAbsolutePathsUnderTheRootReadOnEveryCall) {
    for (const RootCase& c : kRootCases) {
        ScopedEnv env("IMAGETUNE_ROOT", c.szRoot);
        EXPECT_EQ(c.szExpected, qx_device_path(c.szPath))
            << "root " << (c.szRoot ? c.szRoot : "(unset)") << ", path " << c.szPath;
        EXPECT_EQ(c.szExpected, qx_device_path(std::string(c.szPath)));
    }
}

TEST(DeviceRoot, NullPathIsEmpty) {
    EXPECT_EQ("", qx_device_path(static_cast<const char*>(nullptr)));
}

TEST(DeviceRoot, EveryFileOperationActsUnderTheRoot) {
    testsupport::TempDeviceRoot root;
    root.write("/mnt/mtd/keep.txt", "x");

    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/new.txt", QxFile::modeWrite | QxFile::modeTruncate));
    EXPECT_EQ(3u, platformtest::put(file, "abc"));
    file.close();
    EXPECT_EQ("abc", root.read("/mnt/mtd/new.txt"));
    EXPECT_TRUE(root.exists("/mnt/mtd/keep.txt"));

    // The root changes between calls: the next open follows it.
    testsupport::TempDeviceRoot other;
    EXPECT_EQ(0, file.open("/mnt/mtd/keep.txt", QxFile::modeRead));
}

}  // namespace
