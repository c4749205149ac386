// A camera as a firmware image ships it: the style and style-diversity documents are links to the model's
// files beside them, the machine information is a link into a factory partition, the configuration folder is
// a link to a data partition, and the debug settings are a link to a file that survives a reboot. Such a
// camera runs exactly as one with plain files: the same files written, the same IA calls, and at level 7 the
// same "open file:" trace of the documents it reads, in the order the start reads them.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "InitTestDevice.h"

namespace {

const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
const char* const kDiversity = "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml";
const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kConfigFolder = "/mnt/mtd/code/config_file";
const char* const kVersionFile = "/mnt/mtd/code/config_file/snsversion.cfg";
const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";
const int KEY_BRIGHTNESS = 34;
const int KEY_SATURATION = 2337;

// What a start reads through loadFromFile, in its order: the style, the style diversity, the merged style
// read back once written, the version file.
const std::vector<std::string> kStartOpens = {
    std::string("open file:") + kStyle,
    std::string("open file:") + kDiversity,
    std::string("open file:") + kMergedStyle,
    std::string("open file:") + kVersionFile,
};

class OrdinaryFirmware : public InitTest {
protected:
    void SetUp() override {
        InitTest::SetUp();
        // The model's documents, and links to them by the names the library reads.
        linkBeside(kStyle, "Style_TestModel.xml");
        linkBeside(kDiversity, "StyleDiversity_TestModel.xml");
        moveAndLink(kMachineInfo, "/factory/machineinfo.ini");
        testsupport::removeTree(m_root.host(kConfigFolder));
        testsupport::makeDirs(m_root.host("/data/config_file"));
        ASSERT_EQ(0, ::symlink(m_root.host("/data/config_file").c_str(), m_root.host(kConfigFolder).c_str()));
        m_root.write("/mnt/mtd/debug.sign", "7\n0\n");
        ASSERT_EQ(0, ::symlink(m_root.host("/mnt/mtd/debug.sign").c_str(), m_root.host("/tmp/Debug.sign").c_str()));
        qxsim::setWaitScale(0);
    }
    void TearDown() override {
        InitTest::TearDown();
        qxsim::setThreadStepping(false);
    }

    // The document moves to p_szModelName in its folder; a relative link takes its name.
    void linkBeside(const char* p_szPath, const char* p_szModelName) {
        const std::string strPath = p_szPath;
        const std::string strModel = strPath.substr(0, strPath.rfind('/') + 1) + p_szModelName;
        ASSERT_EQ(0, ::rename(m_root.host(strPath).c_str(), m_root.host(strModel).c_str()));
        ASSERT_EQ(0, ::symlink(p_szModelName, m_root.host(strPath).c_str()));
    }
    void moveAndLink(const char* p_szPath, const char* p_szElsewhere) {
        testsupport::makeDirs(m_root.host(std::string(p_szElsewhere).substr(0, std::string(p_szElsewhere).rfind('/'))));
        ASSERT_EQ(0, ::rename(m_root.host(p_szPath).c_str(), m_root.host(p_szElsewhere).c_str()));
        ASSERT_EQ(0, ::symlink(m_root.host(p_szElsewhere).c_str(), m_root.host(p_szPath).c_str()));
    }

    // The "open file:" lines of what was printed, in order.
    static std::vector<std::string> opens(const std::string& p_strOut) {
        std::vector<std::string> vecOpens;
        for (size_t nAt = p_strOut.find("open file:"); nAt != std::string::npos;
             nAt = p_strOut.find("open file:", nAt + 1)) {
            vecOpens.push_back(p_strOut.substr(nAt, p_strOut.find('\n', nAt) - nAt));
        }
        return vecOpens;
    }
    bool isLink(const char* p_szPath) const {
        struct stat st;
        return ::lstat(m_root.host(p_szPath).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    std::vector<std::string> schemeFiles() const {
        std::vector<std::string> vecFiles;
        for (int s = 0; s < 4; ++s) vecFiles.push_back(m_root.read(schemePath(1, s)));
        return vecFiles;
    }
    // The values the IA library was given, in order, for a command.
    static std::vector<u32> sets(int p_nCmd) {
        std::vector<u32> vecValues;
        for (const iasim::IaCall& call : iasim::calls(p_nCmd)) {
            if (call.nOpt == IA_CMD_OPT_SET) vecValues.push_back(call.value());
        }
        return vecValues;
    }
    std::string captured(const std::function<void()>& p_fnWork) {
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        p_fnWork();
        return objCapture.stop();
    }
};

TEST_F(OrdinaryFirmware, StartsSavesSwitchesAndResetsAsWithPlainFiles) {
    // First start, on a blank flash: the documents are read through their links, every scheme and the version
    // are written into the linked configuration folder, and the first scheme is sent whole.
    ISensorController* pChannel = nullptr;
    std::string strOut = captured([&] { pChannel = &start(); });
    ISensorController& c = *pChannel;
    EXPECT_EQ(kStartOpens, opens(strOut)) << strOut;
    EXPECT_NE(std::string::npos, strOut.find("ISensorController::initSensor  success")) << strOut;
    EXPECT_EQ(std::string::npos, strOut.find("[sensor assert]")) << strOut;
    EXPECT_EQ(std::string::npos, strOut.find("not built from a whole style")) << strOut;
    EXPECT_EQ(smallStyleFactory(), readScheme(schemePath(1, 0)));
    for (int s = 1; s < 4; ++s) EXPECT_EQ(smallStyleFactory(), readScheme(schemePath(1, s))) << "scheme " << s;
    EXPECT_TRUE(m_root.exists("/data/config_file/sensor1_0.cfg")) << "written through the linked folder";
    EXPECT_TRUE(isLink(kConfigFolder));
    EXPECT_EQ(std::vector<u32>{50}, sets(KEY_BRIGHTNESS));
    EXPECT_EQ(std::vector<u32>{60}, sets(KEY_SATURATION));
    for (int nKey : {8000, 8001, 8002, 8003, 8004}) EXPECT_TRUE(iasim::calls(nKey).empty()) << nKey;
    const std::string strNames = c.getUIStyleFile();
    EXPECT_NE(std::string::npos, strNames.find("id=\"34\"")) << "the UI style has the style's parameters";
    c.uinit();

    // Second start: the stored schemes are read, not written, and the trace is the same.
    const std::vector<std::string> vecStored = schemeFiles();
    iasim::clearCalls();
    strOut = captured([&] { pChannel = &start(); });
    ISensorController& d = *pChannel;
    EXPECT_EQ(kStartOpens, opens(strOut)) << strOut;
    EXPECT_EQ(vecStored, schemeFiles());
    EXPECT_EQ(std::vector<u32>{50}, sets(KEY_BRIGHTNESS));

    // Set and save: the value goes to the IA library and into scheme 0's file; a save opens nothing to read.
    iasim::clearCalls();
    int nFlush = -1;
    strOut = captured([&] {
        EXPECT_EQ(0, d.setParameters("(34,77)", true));
        nFlush = d.flush();
    });
    EXPECT_EQ(0, nFlush);
    EXPECT_TRUE(opens(strOut).empty()) << strOut;
    EXPECT_EQ(std::vector<u32>{77}, sets(KEY_BRIGHTNESS));
    EXPECT_EQ(77u, valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS));
    EXPECT_EQ(vecStored[1], m_root.read(schemePath(1, 1)));

    // Day/night scheme mode with callers polling: the night scheme's brightness reaches the IA library by the
    // sensor thread's second pass.
    ASSERT_TRUE(d.setParamScheme(1));
    ASSERT_EQ(0, d.setParameter(KEY_BRIGHTNESS, 30, true));
    ASSERT_EQ(0, d.flush());
    ASSERT_TRUE(d.setParamScheme(0));
    ASSERT_EQ(0, d.setParameter(8000, 2, true));
    qxsim::setThreadStepping(true);
    std::atomic<bool> bStop{false};
    std::vector<std::thread> vecPollers;
    for (int i = 0; i < 2; ++i) {
        vecPollers.emplace_back([&] {
            int nVal = 0;
            while (!bStop.load()) d.getParameter(KEY_SATURATION, nVal);
        });
    }
    iasim::clearCalls();
    iasim::setDayNight(0, 1);
    captured([&] {
        qxsim::stepThreads("SensorThread");
        qxsim::stepThreads("SensorThread");
    });
    bStop.store(true);
    for (std::thread& t : vecPollers) t.join();
    int nScheme = -1;
    ASSERT_TRUE(d.getParamScheme(nScheme));
    EXPECT_EQ(1, nScheme);
    EXPECT_EQ(std::vector<u32>{30}, sets(KEY_BRIGHTNESS));
    qxsim::setThreadStepping(false);

    // Factory reset: the factory values are applied and stored again, through the linked folder, which stays
    // a link; the start inside it reads the documents as every start does.
    iasim::clearCalls();
    bool bReset = false;
    strOut = captured([&] { bReset = d.resetParameters(); });
    EXPECT_TRUE(bReset);
    EXPECT_EQ(kStartOpens, opens(strOut)) << strOut;
    for (int s = 0; s < 4; ++s) EXPECT_EQ(smallStyleFactory(), readScheme(schemePath(1, s))) << "scheme " << s;
    EXPECT_TRUE(isLink(kConfigFolder));
    EXPECT_TRUE(isLink(kStyle));
    ASSERT_TRUE(d.getParamScheme(nScheme));
    EXPECT_EQ(0, nScheme);
    int nBrightness = -1;
    ASSERT_TRUE(d.getParameter(KEY_BRIGHTNESS, nBrightness));
    EXPECT_EQ(50, nBrightness);
}

}  // namespace
