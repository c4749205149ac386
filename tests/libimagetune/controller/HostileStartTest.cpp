// Starts on a flash and a RAM disk that a power cut, a bad firmware image or another local program has left
// hostile: a start without a usable style never replaces the user's saved schemes, the merged style in /tmp
// is read as guardedly as every other document and refuses a link, and the removal of stale schemes unlinks
// a link without touching what it names.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "HostileDevice.h"
#include "SensorFile.h"

namespace {

struct BrokenInput {
    const char* szName;
    std::function<void(const testsupport::TempDeviceRoot&)> fnBreak;
};

void PrintTo(const BrokenInput& p_stInput, std::ostream* p_pOut) {
    *p_pOut << p_stInput.szName;
}

class BrokenStyleStart : public HostileStart, public ::testing::WithParamInterface<BrokenInput> {};

// The layout of such a start is empty or another family's: flush and setMirrorMode must refuse to write it
// over the saved schemes, say so, and fail; the next normal start finds the user's values.
TEST_P(BrokenStyleStart, NeverReplacesTheSavedSchemes) {
    const std::vector<std::string> vecSaved = saveUserSchemes();
    GetParam().fnBreak(m_root);

    m_objWatchdog.arm(std::string("a start with ") + GetParam().szName);
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    ISensorController& c = start();
    const int nFlush = c.flush();
    const bool bMirror = c.setMirrorMode(1);
    c.uinit();
    const std::string strOut = objCapture.stop();
    m_objWatchdog.disarm();

    EXPECT_NE(0, nFlush);
    EXPECT_FALSE(bMirror);
    EXPECT_NE(std::string::npos, strOut.find("is not built from a whole style")) << strOut;
    EXPECT_EQ(vecSaved, storedSchemes());

    repair();
    expectUserSchemes();
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BrokenStyleStart,
    ::testing::Values(
        BrokenInput{"StyleMissing", [](const testsupport::TempDeviceRoot& r) { r.remove(kStyle); }},
        BrokenInput{"StyleEmpty", [](const testsupport::TempDeviceRoot& r) { r.write(kStyle, ""); }},
        BrokenInput{"StyleTruncated",
                    [](const testsupport::TempDeviceRoot& r) { r.write(kStyle, smallStyle().substr(0, 200)); }},
        BrokenInput{"StyleOverTheSizeLimit",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.write(kStyle, smallStyle() + std::string(SNS_STYLE_TEXT_MAX, ' '));
                    }},
        BrokenInput{"StyleAFifo",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.remove(kStyle);
                        ASSERT_EQ(0, ::mkfifo(r.host(kStyle).c_str(), 0666));
                    }},
        BrokenInput{"StyleAFolder",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.remove(kStyle);
                        testsupport::makeDirs(r.host(kStyle));
                    }},
        BrokenInput{"DiversityMissing", [](const testsupport::TempDeviceRoot& r) { r.remove(kDiversity); }},
        // The dome family's style is chosen: another layout that shares brightness.
        BrokenInput{"MachineInfoMissing", [](const testsupport::TempDeviceRoot& r) { r.remove(kMachineInfo); }},
        BrokenInput{"MachineInfoAFifo",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.remove(kMachineInfo);
                        ASSERT_EQ(0, ::mkfifo(r.host(kMachineInfo).c_str(), 0666));
                    }},
        BrokenInput{"MachineInfoALinkToAFifo",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.remove(kMachineInfo);
                        ASSERT_EQ(0, ::mkfifo(r.host("/mnt/mtd/fifo").c_str(), 0666));
                        ASSERT_EQ(0, ::symlink(r.host("/mnt/mtd/fifo").c_str(), r.host(kMachineInfo).c_str()));
                    }},
        BrokenInput{"StyleALinkToNothing",
                    [](const testsupport::TempDeviceRoot& r) {
                        r.remove(kStyle);
                        ASSERT_EQ(0, ::symlink("Style_gone.xml", r.host(kStyle).c_str()));
                    }}),
    [](const ::testing::TestParamInfo<BrokenInput>& p_info) { return std::string(p_info.param.szName); });

// A factory reset on such a start takes effect in memory, as a reset does, but cannot be made durable: the
// saved schemes stay as they are (a new start would write them in the wrong layout), and the reset fails.
TEST_P(BrokenStyleStart, AResetKeepsTheSavedSchemesAndFails) {
    const std::vector<std::string> vecSaved = saveUserSchemes();
    GetParam().fnBreak(m_root);

    m_objWatchdog.arm(std::string("a reset after a start with ") + GetParam().szName);
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    ISensorController& c = start();
    const int nSet = c.setParameter(KEY_BRIGHTNESS, 99, true);
    // Whether brightness is a key of this start's layout (the dome family's is; an empty one has none).
    std::string strAll;
    c.getAllParameters(strAll);
    const bool bInLayout = strAll.find("(34,99)") != std::string::npos;
    const bool bReset = c.resetParameters();
    int nBrightness = -1;
    const bool bGot = c.getParameter(KEY_BRIGHTNESS, nBrightness);
    int nScheme = -1;
    const bool bScheme = c.getParamScheme(nScheme);
    const int nFlush = c.flush();
    c.uinit();
    const std::string strOut = objCapture.stop();
    m_objWatchdog.disarm();

    EXPECT_FALSE(bReset);
    EXPECT_NE(std::string::npos, strOut.find("the factory values are applied, the stored schemes are kept")) << strOut;
    EXPECT_EQ(vecSaved, storedSchemes());
    EXPECT_NE(0, nFlush);
    EXPECT_EQ(0, nSet);
    EXPECT_TRUE(bGot);
    if (bInLayout) {
        EXPECT_NE(99, nBrightness) << "the factory value is in force";
    }
    EXPECT_TRUE(bScheme);
    EXPECT_EQ(0, nScheme);

    repair();
    expectUserSchemes();
}

// Where nothing is stored yet, such a start saves what it has: a camera whose machine information is gone for
// good keeps working, and a later normal start reads its files by key.
TEST_F(HostileStart, WithoutTheMachineInformationItSavesWhereNothingIsStored) {
    m_root.remove(kMachineInfo);
    ISensorController& c = start();
    EXPECT_EQ(0, c.setParameter(KEY_BRIGHTNESS, 66, true));
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ(0, c.flush()) << "a file of its own layout may be saved again";
    c.uinit();

    repair();
    ISensorController& objNormal = start();
    int nVal = -1;
    ASSERT_TRUE(objNormal.getParameter(KEY_BRIGHTNESS, nVal));
    EXPECT_EQ(66, nVal);
    EXPECT_EQ(0, objNormal.flush());
    std::vector<u32> vecKeys = keysOf(smallStyleFactory());
    vecKeys.push_back(KEY_ADDED);
    EXPECT_EQ(vecKeys, keysOf(readScheme(schemePath(1, 0))));
}

// /tmp is writable by every local program: what stands at the merged style's path once init wrote it is read
// without blocking, following a link or taking a folder, within the size limit and the nesting guard. The
// pairs still come, from the scheme file.
TEST_F(HostileStart, GetAllParametersReadsTheMergedStyleGuarded) {
    const std::string strHost = m_root.host(kMergedStyle);
    struct Case {
        const char* szWhat;
        std::function<void()> fnPlant;
        const char* szReport;
    } const kCases[] = {
        {"a folder", [&] { testsupport::makeDirs(strHost); }, "is a folder: not read"},
        {"a FIFO", [&] { ASSERT_EQ(0, ::mkfifo(strHost.c_str(), 0666)); }, "is a FIFO: not read"},
        {"a link out of the root", [&] { ASSERT_EQ(0, ::symlink("/etc/hostname", strHost.c_str())); },
         "is a symbolic link: not read"},
        {"nested deeper than any style", [&] { m_root.write(kMergedStyle, std::string(200000, '<').insert(0, "<a>")); },
         "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)"},
        {"larger than a merged style can be",
         [&] { m_root.write(kMergedStyle, "<a>" + std::string(2 * SNS_STYLE_TEXT_MAX, ' ') + "</a>"); },
         "is too large: not read"},
    };
    ISensorController& c = start();
    for (const Case& k : kCases) {
        SCOPED_TRACE(k.szWhat);
        testsupport::removeTree(strHost);
        k.fnPlant();
        m_objWatchdog.arm(std::string("getAllParameters on ") + k.szWhat);
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        std::string strAll;
        const bool bRet = c.getAllParameters(strAll);
        const std::string strOut = objCapture.stop();
        m_objWatchdog.disarm();
        EXPECT_TRUE(bRet);
        EXPECT_NE(std::string::npos, strOut.find(k.szReport)) << strOut;
        EXPECT_NE(std::string::npos, strAll.find("(34,50)")) << strAll;
    }
}

// A device type outside the accepted set is reported, and the start is an ordinary one of the dome family:
// its schemes are saved as any start's are.
TEST_F(HostileStart, ADeviceTypeOutsideTheSetIsOrdinary) {
    m_root.write(kMachineInfo, "deviceType=5\n");
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    ISensorController& c = start();
    const int nSet = c.setParameter(KEY_BRIGHTNESS, 66, true);
    const int nFlush = c.flush();
    c.uinit();
    const std::string strOut = objCapture.stop();
    EXPECT_NE(std::string::npos, strOut.find("machineinfo, devicetype(5) error, must be 1 or 4 or 8 or 9 or 13"))
        << strOut;
    EXPECT_EQ(std::string::npos, strOut.find("is not built from a whole style")) << strOut;
    EXPECT_EQ(0, nSet);
    EXPECT_EQ(0, nFlush);
}

// The stale schemes go as "rm /mnt/mtd/code/config*/sensor1_[0-3].cfg" takes them: a "config*" link to a folder
// is a folder like any other, and a link named as a scheme file is unlinked while what it names stays.
TEST_F(HostileStart, StaleSchemeRemovalUnlinksLinksButNotTheirTargets) {
    m_root.write("/mnt/elsewhere/sensor1_0.cfg", "a stale scheme in a linked configuration folder");
    m_root.write("/mnt/elsewhere/kept.cfg", "a file a link names");
    ASSERT_EQ(0, ::symlink(m_root.host("/mnt/elsewhere").c_str(), m_root.host("/mnt/mtd/code/config_link").c_str()));
    ASSERT_EQ(0, ::symlink(m_root.host("/mnt/elsewhere/kept.cfg").c_str(),
                           m_root.host("/mnt/mtd/code/config_file/sensor1_1.cfg").c_str()));
    m_root.write("/mnt/mtd/code/config_file/sensor1_2.cfg", "stale");
    testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file/sensor1_3.cfg"));

    start();  // no version file: the channel's stored schemes are stale

    EXPECT_FALSE(m_root.exists("/mnt/elsewhere/sensor1_0.cfg"));
    EXPECT_EQ("a file a link names", m_root.read("/mnt/elsewhere/kept.cfg"));
    struct stat st;
    ASSERT_EQ(0, ::lstat(m_root.host("/mnt/mtd/code/config_file/sensor1_1.cfg").c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode)) << "the link went, and the start wrote the scheme in its place";
    EXPECT_EQ(keysOf(readScheme(schemePath(1, 0))), keysOf(readScheme(schemePath(1, 1))));
    EXPECT_EQ(keysOf(readScheme(schemePath(1, 0))), keysOf(readScheme(schemePath(1, 2))))
        << "a stale regular file is replaced";
    ASSERT_EQ(0, ::lstat(m_root.host("/mnt/mtd/code/config_file/sensor1_3.cfg").c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << "a folder of that name is no scheme file";
}

}  // namespace
