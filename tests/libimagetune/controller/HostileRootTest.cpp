// Every file the library reads, replaced by every kind of thing a power cut, a bad firmware image or another
// local program can leave there. After each start on such a root: no call hung, every failure was reported,
// and nothing the user saved was lost or overwritten (a normal start afterwards finds it all).
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <set>
#include <string>
#include <tuple>

#include "HostileDevice.h"
#include "SchemeFileByKey.h"
#include "SensorFile.h"

namespace {

const char* const kScheme0 = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const char* const kSyncFov = "/mnt/mtd/hd1/program/config/sync_fov.ini";
const char* const kDebugSign = "/tmp/Debug.sign";
const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";
const int KEY_SYNC_FOV = 8104;
// Warnings count as reports: a version mismatch is told by one.
const char* const kDebugLevel = "4";

enum Kind { MISSING, EMPTY, SHORT, LONG, RANDOM, FOLDER, FIFO, LINK_IN_ROOT, LINK_OUT_OF_ROOT, UNREADABLE };
const char* const kKindNames[] = {"Missing", "Empty", "Short",      "Long",          "Random",
                                  "Folder",  "Fifo",  "LinkInRoot", "LinkOutOfRoot", "Unreadable"};

std::string randomText(size_t p_nLen, unsigned p_nSeed, bool p_bNoDigits) {
    std::mt19937 objRandom(p_nSeed);
    std::string str;
    while (str.size() < p_nLen) {
        const char c = static_cast<char>(objRandom());
        // The debug settings turn assertions on with a number: random settings must not end the process.
        if (p_bNoDigits && ((c >= '0' && c <= '9') || c == '\n' || c == '-' || c == '+')) continue;
        str += c;
    }
    return str;
}

// One file the library reads, and what the test plants and expects there.
struct HostilePath {
    const char* szName;
    const char* szPath;
    std::string strShort;
    std::string strLong;  // longer than the library reads: refused, or read in part as it should be
    // The kinds that are no failure there (no scheme file yet, a version file read in part, no field-of-view
    // entry); every other kind is reported. The diagnostics cannot report on their own files: all kinds.
    std::set<Kind> setNoFailure;
    bool bKeepsTheSchemes;     // a version file that does not say 8 removes the schemes as stale, by design
    bool bReplantAfterInit;    // init rewrites it; a local program may write it again afterwards
    bool bFolderOfTheSchemes;  // its folder cannot become a file without taking the user's schemes along
};

const std::set<Kind> kAllKinds = {MISSING,          EMPTY,     SHORT, LONG, RANDOM, FOLDER, FIFO, LINK_IN_ROOT,
                                  LINK_OUT_OF_ROOT, UNREADABLE};

std::string goodContent(const HostilePath& p_stPath, const std::vector<std::string>& p_vecSaved) {
    const std::string strPath = p_stPath.szPath;
    if (strPath == kScheme0) return p_vecSaved[0];
    if (strPath == SNS_VERSION_FILE) return std::string("\x08\0\0\0", 4);
    if (strPath == kStyle) return smallStyle();
    if (strPath == kDiversity) return kDiversityAddingATab;
    if (strPath == kMachineInfo) return "deviceType=1\nhardwareModel=TestModel\nhardwareCode=TestModel\n";
    if (strPath == kSyncFov) return "zoom1=300,focus1=200,\n";
    if (strPath == kDebugSign) return std::string(kDebugLevel) + "\n0\n";
    return "";
}

const std::vector<HostilePath>& hostilePaths() {
    static const std::vector<HostilePath> s_vecPaths = {
        {"Scheme", kScheme0, "\x01\x02\x03", std::string(SNS_SCHEME_FILE_MAX + 8, '\0'), {MISSING}, true, false, true},
        {"Version",
         SNS_VERSION_FILE,
         "\x08",
         std::string("\x08\0\0\0", 4) + std::string(4096, 'x'),
         {LONG},
         false,
         false,
         true},
        {"Style", kStyle, "<Sty", smallStyle() + std::string(SNS_STYLE_TEXT_MAX, ' '), {}, true, false, false},
        {"Diversity",
         kDiversity,
         "<s l",
         std::string(kDiversityAddingATab) + std::string(SNS_STYLE_TEXT_MAX, ' '),
         {},
         true,
         false,
         false},
        {"MachineInfo",
         kMachineInfo,
         "deviceTy",
         "deviceType=1\nhardwareModel=TestModel\n#" + std::string(1 << 20, 'x') + "\n",
         {LONG},
         true,
         false,
         false},
        {"SyncFov",
         kSyncFov,
         "zoo",
         "zoom1=300,\n" + std::string(5 << 20, 'x'),
         {MISSING, EMPTY, SHORT, RANDOM},
         true,
         false,
         false},
        {"MergedStyle",
         kMergedStyle,
         "<a",
         "<a>" + std::string(2 * SNS_STYLE_TEXT_MAX, ' ') + "</a>",
         {},
         true,
         true,
         false},
        {"DebugSettings", kDebugSign, "4", std::string(kDebugLevel) + "\n0\n" + std::string(1 << 20, 'x'), kAllKinds,
         true, false, false},
        {"ErrorLog", kErrorLog, "x", std::string(1 << 20, 'x'), kAllKinds, true, false, false},
    };
    return s_vecPaths;
}

std::string parentOf(const std::string& p_strPath) {
    return p_strPath.substr(0, p_strPath.rfind('/'));
}

class HostileRoot : public HostileStart, public ::testing::WithParamInterface<std::tuple<size_t, Kind>> {
protected:
    void SetUp() override {
        HostileStart::SetUp();
        char szOutside[] = "/tmp/imagetune-outside-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(szOutside));
        m_strOutside = szOutside;
    }
    void TearDown() override {
        HostileStart::TearDown();
        testsupport::removeTree(m_strOutside);
    }

    const HostilePath& path() const { return hostilePaths()[std::get<0>(GetParam())]; }
    Kind kind() const { return std::get<1>(GetParam()); }

    void plant(const std::vector<std::string>& p_vecSaved) {
        const HostilePath& p = path();
        const std::string strHost = m_root.host(p.szPath);
        testsupport::removeTree(strHost);
        testsupport::makeDirs(parentOf(strHost));
        switch (kind()) {
            case MISSING:
                break;
            case EMPTY:
                m_root.write(p.szPath, "");
                break;
            case SHORT:
                m_root.write(p.szPath, p.strShort);
                break;
            case LONG:
                m_root.write(p.szPath, p.strLong);
                break;
            case RANDOM:
                m_root.write(p.szPath, randomText(4096, 5, std::string(p.szPath) == kDebugSign));
                break;
            case FOLDER:
                m_root.write(std::string(p.szPath) + "/inside", goodContent(p, p_vecSaved));
                break;
            case FIFO:
                ASSERT_EQ(0, ::mkfifo(strHost.c_str(), 0666));
                break;
            case LINK_IN_ROOT:
                m_root.write("/mnt/linked/copy", goodContent(p, p_vecSaved));
                ASSERT_EQ(0, ::symlink(m_root.host("/mnt/linked/copy").c_str(), strHost.c_str()));
                break;
            case LINK_OUT_OF_ROOT:
                testsupport::writeHostFile(m_strOutside + "/copy", goodContent(p, p_vecSaved));
                ASSERT_EQ(0, ::symlink((m_strOutside + "/copy").c_str(), strHost.c_str()));
                break;
            case UNREADABLE:
                // Run as root, nothing is unreadable for its mode: a path component that is a file is.
                testsupport::removeTree(parentOf(strHost));
                m_root.write(parentOf(p.szPath), "a file where a folder belongs");
                break;
        }
    }

    // What a normal start needs there again.
    void restore(const std::vector<std::string>& p_vecSaved) {
        const HostilePath& p = path();
        if (kind() == UNREADABLE) testsupport::removeTree(m_root.host(parentOf(p.szPath)));
        testsupport::removeTree(m_root.host(p.szPath));
        testsupport::makeDirs(m_root.host(parentOf(p.szPath)));
        const std::string strGood = goodContent(p, p_vecSaved);
        if (!strGood.empty()) m_root.write(p.szPath, strGood);
    }

    bool isAFailure() const { return path().setNoFailure.count(kind()) == 0; }

    std::string m_strOutside;
};

TEST_P(HostileRoot, StartsWithoutHangingLosingOrHidingAnything) {
    const HostilePath& p = path();
    if (kind() == UNREADABLE && p.bFolderOfTheSchemes)
        GTEST_SKIP() << "its folder holds the user's schemes: a file in its place would take them along";
    testsupport::setDebugSign(m_root, kDebugLevel);
    const std::vector<std::string> vecSaved = saveUserSchemes();
    plant(vecSaved);

    // A pending field-of-view request makes init's synchronous pass read the field-of-view file.
    ISensorController::m_nPassKeycmd.store(KEY_SYNC_FOV);
    ISensorController::m_nChanneldDosomething.store(1);
    m_objWatchdog.arm(std::string("a start with ") + p.szName + " " + kKindNames[kind()]);
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    ISensorController& c = start();
    if (p.bReplantAfterInit) plant(vecSaved);
    std::string strText;
    c.getAllParameters(strText);
    c.getParameters("(34,2337)", strText);
    const int nFlush = c.flush();
    const bool bMirror = c.setMirrorMode(0);  // the value the user saved
    c.resetToLastParameters();
    c.getUIStyleFile();
    c.uinit();
    const std::string strOut = objCapture.stop();
    m_objWatchdog.disarm();
    ISensorController::m_nPassKeycmd.store(-1);
    ISensorController::m_nChanneldDosomething.store(-1);

    if (isAFailure()) {
        EXPECT_TRUE(strOut.find("[sensor assert]") != std::string::npos ||
                    strOut.find("[sensor warn]") != std::string::npos)
            << "nothing reported:\n"
            << strOut;
    }
    // A save that says it failed has said why.
    if (nFlush != 0 || !bMirror) {
        EXPECT_NE(std::string::npos, strOut.find("[sensor assert]")) << strOut;
    }
    if (!p.bKeepsTheSchemes) return;
    const std::vector<std::string> vecNow = storedSchemes();
    for (int s = std::string(p.szPath) == kScheme0 ? 1 : 0; s < 4; ++s) {
        EXPECT_EQ(vecSaved[s], vecNow[s]) << "scheme " << s << " was overwritten";
    }

    restore(vecSaved);
    testsupport::setDebugSign(m_root, kDebugLevel);
    expectUserSchemes();
}

INSTANTIATE_TEST_SUITE_P(EveryFileAndKind, HostileRoot,
                         ::testing::Combine(::testing::Range<size_t>(0, 9),
                                            ::testing::Values(MISSING, EMPTY, SHORT, LONG, RANDOM, FOLDER, FIFO,
                                                              LINK_IN_ROOT, LINK_OUT_OF_ROOT, UNREADABLE)),
                         [](const ::testing::TestParamInfo<std::tuple<size_t, Kind>>& p_info) {
                             return std::string(hostilePaths()[std::get<0>(p_info.param)].szName) +
                                    kKindNames[std::get<1>(p_info.param)];
                         });

}  // namespace
