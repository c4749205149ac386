// A small simulated camera for the start-up tests: machine information, a short style document, an empty
// style-diversity document, and helpers to read and write scheme files under a temporary device root.
#ifndef IMAGETUNE_TESTS_INITTESTDEVICE_H
#define IMAGETUNE_TESTS_INITTESTDEVICE_H

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../store/KeyValPrinting.h"
#include "ControllerFixture.h"
#include "ISensorController.h"
#include "IaSimControl.h"
#include "QuorixTime.h"
#include "SimControl.h"
#include "TestSupport.h"

// A style of a few parameters with the scheme header in front. KEY_MAX_SHUTTER (49) is a range key of the IA
// simulator, so its factory value is the simulator's default (25).
inline std::string smallStyle(int p_nSchemeMode = 0) {
    return "<Style>\n"
           " <tab key=\"scheme\">\n"
           "  <p id=\"8000\" value=\"" +
           std::to_string(p_nSchemeMode) +
           "\"/><p id=\"8001\" value=\"0\"/><p id=\"8002\" value=\"0\"/>"
           "<p id=\"8003\" value=\"24\"/><p id=\"8004\" value=\"0\"/>\n"
           " </tab>\n"
           " <tab key=\"image\">\n"
           "  <p id=\"34\" value=\"50\"/><p id=\"2337\" value=\"60\"/><p id=\"144\" value=\"1\"/>\n"
           "  <p id=\"49\" value=\"100\"/><p id=\"51\" value=\"100\"/><p id=\"96\" value=\"0\"/>\n"
           "  <p id=\"161\" value=\"1\"/><p id=\"163\" value=\"70\"/><p id=\"2384\" value=\"0\"/>\n"
           " </tab>\n"
           "</Style>\n";
}

// Factory values of smallStyle() as the IA simulator's default profile shapes them (49 and 51 take the
// simulator's defaults, 25 and 100000).
inline std::vector<KeyVal> smallStyleFactory(u32 p_nSchemeMode = 0) {
    return {
        {8000, p_nSchemeMode}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {34, 50}, {2337, 60}, {144, 1}, {49, 25},
        {51, 100000},          {96, 0},   {161, 1},  {163, 70},  {2384, 0}};
}

// A video module with a fisheye rotation of the test's choice that runs the test's hook at every
// notification: init's first scheme notifies between the start of init and its last step. The hook is set
// before the controller starts.
class HookedVideoModule : public RecordingVideoModule {
public:
    int notifySensorParam(int nChannel, int nKey, int nValue) const override {
        if (fnHook) fnHook(nKey, nValue);
        return RecordingVideoModule::notifySensorParam(nChannel, nKey, nValue);
    }
    int getFisheyeRotate(int, int* pnValue) const override {
        *pnValue = nRotate;
        return 0;
    }
    std::function<void(int p_nKey, int p_nValue)> fnHook;
    int nRotate = 0;
};

class InitTest : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        qxsim::resetFaults();
        // The thread's passes then follow each other quickly, without a real second between them.
        qxsim::setWaitScale(0.001);
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
        seed(1);
    }
    void TearDown() override {
        for (auto& c : m_vecControllers) c->uinit();
        m_vecControllers.clear();
        qxsim::setWaitScale(1);
        iasim::reset();
    }

    // Machine information and style documents of a box-family device of that type.
    void seed(int p_nDeviceType, const std::string& p_strStyle = smallStyle(),
              const std::string& p_strModel = "TestModel") {
        m_root.write("/mnt/mtd/code/factory_setting/machineinfo.ini", "deviceType=" + std::to_string(p_nDeviceType) +
                                                                          "\nhardwareModel=" + p_strModel +
                                                                          "\nhardwareCode=" + p_strModel + "\n");
        m_root.write("/hd1/moduleConfig/sensorConfig/style/Style.xml", p_strStyle);
        m_root.write("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml", "<StyleDiversity/>\n");
        // The folders a camera's flash and RAM disk always have.
        for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/log"}) {
            testsupport::makeDirs(m_root.host(szDir));
        }
    }

    ISensorController& start(const std::string& p_strDetail = "(lensId=3)", int p_nChannel = 1) {
        return startWith(m_video, p_strDetail, p_nChannel);
    }
    // start() with a video module of the test's own.
    ISensorController& startWith(const VideoStreamModule& p_objVideo, const std::string& p_strDetail = "(lensId=3)",
                                 int p_nChannel = 1) {
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setChannelID(p_nChannel);
        c->setVideoStreamModule(&p_objVideo);
        ModuleConfigure objModule;
        objModule.setModuleId(533);
        objModule.setDetail(p_strDetail);
        c->init(objModule);
        m_vecControllers.push_back(std::move(c));
        return *m_vecControllers.back();
    }

    // start() with standard output captured into m_strOut.
    ISensorController& startCaptured(const std::string& p_strDetail = "(lensId=3)") {
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        ISensorController& c = start(p_strDetail);
        m_strOut = objCapture.stop();
        return c;
    }

    static std::string schemePath(int p_nChannel, int p_nScheme) {
        return "/mnt/mtd/code/config_file/sensor" + std::to_string(p_nChannel) + "_" + std::to_string(p_nScheme) +
               ".cfg";
    }

    std::vector<KeyVal> readScheme(const std::string& p_strDevicePath) const {
        std::string strBytes = m_root.read(p_strDevicePath);
        std::vector<KeyVal> vecPairs(strBytes.size() / sizeof(KeyVal));
        if (!vecPairs.empty()) std::memcpy(vecPairs.data(), strBytes.data(), vecPairs.size() * sizeof(KeyVal));
        return vecPairs;
    }
    void writeScheme(const std::string& p_strDevicePath, const std::vector<KeyVal>& p_vecPairs) const {
        m_root.write(p_strDevicePath,
                     std::string(reinterpret_cast<const char*>(p_vecPairs.data()), p_vecPairs.size() * sizeof(KeyVal)));
    }
    static std::vector<u32> keysOf(const std::vector<KeyVal>& p_vecPairs) {
        std::vector<u32> vecKeys;
        for (const KeyVal& kv : p_vecPairs) vecKeys.push_back(kv.key);
        return vecKeys;
    }
    static u32 valueOf(const std::vector<KeyVal>& p_vecPairs, u32 p_nKey) {
        for (const KeyVal& kv : p_vecPairs) {
            if (kv.key == p_nKey) return kv.value;
        }
        return 0xDEADBEEF;
    }
    static std::vector<KeyVal> with(std::vector<KeyVal> p_vecPairs, u32 p_nKey, u32 p_nVal) {
        for (KeyVal& kv : p_vecPairs) {
            if (kv.key == p_nKey) kv.value = p_nVal;
        }
        return p_vecPairs;
    }
    // The values the IA library was last given for a command (0xDEADBEEF when it was never set).
    static u32 lastSet(int p_nCmd) {
        u32 nVal = 0xDEADBEEF;
        for (const iasim::IaCall& call : iasim::calls(p_nCmd)) {
            if (call.nOpt == IA_CMD_OPT_SET) nVal = call.value();
        }
        return nVal;
    }

    // Whether the background thread runs: it serves a field-of-view request addressed to its channel.
    static bool threadServesRequests(int p_nChannel = 1) {
        ISensorController::m_nPassKeycmd.store(0);
        ISensorController::m_nChanneldDosomething.store(p_nChannel);
        for (int i = 0; i < 5000 && ISensorController::m_nChanneldDosomething.load() != -1; ++i) {
            QuorixTime::wait(QuorixTime(1, 0));  // scaled with the wait scale: about 1 ms
        }
        bool bServed = ISensorController::m_nChanneldDosomething.load() == -1;
        ISensorController::m_nChanneldDosomething.store(-1);
        ISensorController::m_nPassKeycmd.store(-1);
        return bServed;
    }

    testsupport::TempDeviceRoot m_root;
    RecordingVideoModule m_video;
    std::vector<std::unique_ptr<ISensorController>> m_vecControllers;
    std::string m_strOut;
};

#endif
