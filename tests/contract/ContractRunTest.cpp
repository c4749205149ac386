// libimagetune.so in a process that offers exactly the platform contract: the platform stand-in built to export
// nothing beyond it, the IA simulator and TinyXML, with every symbol bound at load time (LD_BIND_NOW=1, set by
// ctest). A symbol the library needs beyond the contract stops the process before main. The channel then runs
// a whole life: a first start on a blank flash, writes and a save, a day/night switch made by the sensor
// thread, a factory reset, a save after it, shutdown, and a second start that reads the saved values back.
#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "ISensorController.h"
#include "IaSimControl.h"

namespace fs = std::filesystem;

namespace {

class QuietVideo : public VideoStreamModule {
public:
    int notifySensorParam(int, int, int) const override { return 0; }
    int isBusy() const override { return 0; }
    int getFisheyeRotate(int, int* p_pnValue) const override {
        if (p_pnValue != nullptr) *p_pnValue = 0;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>&) const override { return 0; }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) const override { return 0; }
};

// The shared objects this process has loaded, by file name.
std::vector<std::string> loadedObjects() {
    std::vector<std::string> vecNames;
    dl_iterate_phdr(
        [](struct dl_phdr_info* p_pInfo, size_t, void* p_pData) {
            auto* pNames = static_cast<std::vector<std::string>*>(p_pData);
            if (p_pInfo->dlpi_name != nullptr && *p_pInfo->dlpi_name != '\0')
                pNames->push_back(fs::path(p_pInfo->dlpi_name).filename().string());
            return 0;
        },
        &vecNames);
    return vecNames;
}

bool loaded(const std::string& p_strPrefix) {
    for (const std::string& strName : loadedObjects()) {
        if (strName.compare(0, p_strPrefix.size(), p_strPrefix) == 0) return true;
    }
    return false;
}

class ContractRun : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/imagetune-contract-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(szTemplate));
        m_root = szTemplate;
        ::setenv("IMAGETUNE_ROOT", m_root.c_str(), 1);
        const fs::path objFixtures = IMAGETUNE_FIXTURES_DIR;
        copy(objFixtures / "machineinfo.ini", "/mnt/mtd/code/factory_setting/machineinfo.ini");
        copy(objFixtures / "moduleConfig.xml", "/hd1/moduleConfig/moduleConfig.xml");
        copy(objFixtures / "style/Style.xml", "/hd1/moduleConfig/sensorConfig/style/Style.xml");
        copy(objFixtures / "styleDiversity/StyleDiversity.xml",
             "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml");
        for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/log"}) {
            fs::create_directories(m_root + szDir);
        }
        iasim::reset();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
        ::unsetenv("IMAGETUNE_ROOT");
    }
    void copy(const fs::path& p_objFrom, const std::string& p_strDevicePath) {
        fs::create_directories(fs::path(m_root + p_strDevicePath).parent_path());
        fs::copy_file(p_objFrom, m_root + p_strDevicePath, fs::copy_options::overwrite_existing);
    }
    bool exists(const std::string& p_strDevicePath) const { return fs::exists(m_root + p_strDevicePath); }

    std::unique_ptr<ISensorController> start() {
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setChannelID(1);
        c->setVideoStreamModule(&m_video);
        ModuleConfigure objModule;
        objModule.setModuleId(533);
        objModule.setDetail("(sensorType=sc533hai)(lensId=3)(isInfrared=1)(whiteLight=0)(max_scheme=4)");
        objModule.setParameters("(fps=25)(resolution=2880x1620)");
        EXPECT_TRUE(c->init(objModule));
        return c;
    }

    static std::string values(ISensorController& c, const std::string& p_strKeys) {
        std::string strOut;
        EXPECT_TRUE(c.getParameters(p_strKeys, strOut));
        return strOut;
    }

    // Waits (for at most ten seconds) until the sensor thread makes p_nScheme current.
    static bool schemeBecomes(ISensorController& c, int p_nScheme) {
        for (int i = 0; i < 1000; ++i) {
            int nScheme = -1;
            c.getParamScheme(nScheme);
            if (nScheme == p_nScheme) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::string m_root;
    QuietVideo m_video;
};

TEST_F(ContractRun, TheProcessHasOnlyTheContractAndEverySymbolBoundAtLoad) {
    const char* szBindNow = getenv("LD_BIND_NOW");
    ASSERT_TRUE(szBindNow != nullptr && *szBindNow != '\0') << "run with LD_BIND_NOW=1 (ctest sets it)";
    EXPECT_TRUE(loaded("libimagetune.so"));
    EXPECT_TRUE(loaded("libimagetune-platform-linkcheck.so"));
    EXPECT_FALSE(loaded("libqxplatform.so")) << "the full stand-in would offer more than the contract";
    EXPECT_FALSE(loaded("libqxplatform_faults.so"));
}

TEST_F(ContractRun, AChannelLivesItsWholeLife) {
    auto c = start();
    ASSERT_TRUE(c->getSensorStatus());
    for (int s = 0; s < 4; ++s) {
        EXPECT_TRUE(exists("/mnt/mtd/code/config_file/sensor1_" + std::to_string(s) + ".cfg")) << s;
    }
    EXPECT_TRUE(exists("/mnt/mtd/code/config_file/snsversion.cfg"));

    // Writes and a save of scheme 0, then the day/night scheme mode: scheme 1 takes over at night.
    ASSERT_EQ(0, c->setParameters("(34,61)(2337,44)", true));
    ASSERT_EQ(0, c->flush());
    EXPECT_EQ("(34,61)(2337,44)", values(*c, "(34,2337)"));
    ASSERT_EQ(0, c->setParameters("(8000,2)", true));
    ASSERT_EQ(0, c->flush());
    iasim::setDayNight(0, 1);
    EXPECT_TRUE(schemeBecomes(*c, 1)) << "the sensor thread did not switch to the night scheme";
    iasim::setDayNight(0, 0);
    EXPECT_TRUE(schemeBecomes(*c, 0)) << "the sensor thread did not switch back to the day scheme";

    // The factory reset: the saved values are gone; a value saved after it stays.
    EXPECT_TRUE(c->resetParameters());
    EXPECT_EQ("(34,50)", values(*c, "(34)"));
    ASSERT_EQ(0, c->setParameters("(34,77)", true));
    ASSERT_EQ(0, c->flush());
    c->uinit();
    c.reset();

    auto d = start();
    EXPECT_EQ("(34,77)", values(*d, "(34)"));
    d->uinit();
}

}  // namespace
