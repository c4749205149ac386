// The ONVIF Imaging mapping on a started channel: options from the style and the live ranges, reads, writes that
// are all or nothing, and the focus moves of a motorised lens.
#include <gtest/gtest.h>
#include <math.h>

#include <map>
#include <memory>
#include <string>

#include "ISensorController.h"
#include "IaSimControl.h"
#include "OnvifImaging.h"
#include "SimControl.h"
#include "TestSupport.h"
#include "VideoStreamModule.h"
#include "ia_ctrl.h"

namespace {

class QuietVideo : public VideoStreamModule {
public:
    int notifySensorParam(int, int, int) const override { return 0; }
    int isBusy() const override { return 0; }
    int getFisheyeRotate(int, int* pnValue) const override {
        if (pnValue != nullptr) *pnValue = 0;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>&) const override { return 0; }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) const override { return 0; }
};

std::string combo(int p_nId, int p_nValue, std::initializer_list<std::pair<int, const char*>> p_choices,
                  const char* p_szType = "combo") {
    std::string str = "<param id=\"" + std::to_string(p_nId) + "\" type=\"" + p_szType + "\" value=\"" +
                      std::to_string(p_nValue) + "\">";
    for (const auto& c : p_choices)
        str += "<item index=\"" + std::to_string(c.first) + "\" name=\"" + c.second + "\"/>";
    return str + "</param>\n";
}

std::string slider(int p_nId, int p_nValue, int p_nMin, int p_nMax, const char* p_szType = "slider") {
    return "<param id=\"" + std::to_string(p_nId) + "\" type=\"" + p_szType + "\" value=\"" + std::to_string(p_nValue) +
           "\" min=\"" + std::to_string(p_nMin) + "\" max=\"" + std::to_string(p_nMax) + "\"/>\n";
}

// A channel with a few of the mapped keys: saturation hidden, sharpness absent, a night-less day/night key, a
// shutter without units (the IA library does not list 50), and a motorised lens unless p_bLens is false.
std::string channelStyle(bool p_bLens = true) {
    std::string str = "<Style>\n<tab key=\"scheme\">" + slider(8000, 0, 0, 2) + slider(8001, 0, 0, 24) +
                      slider(8002, 0, 0, 59) + slider(8003, 24, 0, 24) + slider(8004, 0, 0, 59) + "</tab>\n<tab>\n";
    str += slider(34, 50, 0, 100) + slider(2337, 50, 0, 100, "hidden") + slider(2353, 50, 10, 90);
    str += combo(144, 0, {{0, "auto"}, {1, "day"}, {2, "night"}, {3, "schedule"}});
    str += combo(16, 0, {{0, "auto"}, {1, "shutter"}, {2, "gain"}, {3, "manual"}});
    str += combo(49, 25, {{25, "1/25"}, {30, "1/30"}, {100, "1/100"}});
    str += combo(50, 2, {{1, "fast"}, {2, "slow"}});
    str += combo(2368, 0, {{0, "off"}, {1, "on"}, {2, "auto"}}) + slider(2369, 50, 0, 100);
    str += combo(768, 0, {{0, "auto"}, {3, "manual"}}) + slider(770, 128, 0, 255);
    if (p_bLens) str += slider(1552, 2048, 0, 4095);
    return str + "</tab>\n</Style>\n";
}

class OnvifImagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        // The sensor thread's passes then follow each other without a real second between them.
        qxsim::setWaitScale(0.001);
        iasim::Profile stProfile = iasim::defaultProfile();
        // The shutter of fixed exposure (50) is left unlisted: only its style can state its unit.
        std::vector<iasim::DynamicParam> vecKept;
        for (const auto& d : stProfile.vecDynamic) {
            if (d.nCmd != 50) vecKept.push_back(d);
        }
        stProfile.vecDynamic = vecKept;
        iasim::setProfile(stProfile);
    }
    void TearDown() override {
        if (m_pController) m_pController->uinit();
        qxsim::setWaitScale(1);
        qxsim::resetFaults();
        iasim::reset();
    }

    ISensorController& start(const std::string& p_strStyle = channelStyle()) {
        m_root.write("/mnt/mtd/code/factory_setting/machineinfo.ini",
                     "deviceType=1\nhardwareModel=TestModel\nhardwareCode=TestModel\n");
        m_root.write("/hd1/moduleConfig/sensorConfig/style/Style.xml", p_strStyle);
        m_root.write("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml", "<StyleDiversity/>\n");
        for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/log"}) {
            testsupport::makeDirs(m_root.host(szDir));
        }
        m_pController.reset(new ISensorController());
        m_pController->setChannelID(1);
        m_pController->setVideoStreamModule(&m_video);
        ModuleConfigure objModule;
        objModule.setDetail("(lensId=3)(max_scheme=4)");
        EXPECT_TRUE(m_pController->init(objModule));
        return *m_pController;
    }

    static size_t field(const std::string& p_strPath) {
        size_t nFields = 0;
        const OnvifImagingField* pFields = onvifImagingFields(nFields);
        for (size_t i = 0; i < nFields; ++i) {
            if (p_strPath == pFields[i].szPath) return i;
        }
        ADD_FAILURE() << "no field " << p_strPath;
        return 0;
    }
    static OnvifImagingSettings request(std::initializer_list<std::pair<const char*, OnvifFieldValue>> p_fields) {
        size_t nFields = 0;
        onvifImagingFields(nFields);
        OnvifImagingSettings vec(nFields);
        for (const auto& f : p_fields) {
            vec[field(f.first)] = f.second;
            vec[field(f.first)].bPresent = true;
        }
        return vec;
    }
    static OnvifFieldValue number(double p_d) {
        OnvifFieldValue v;
        v.dNumber = p_d;
        return v;
    }
    static OnvifFieldValue word(const char* p_sz) {
        OnvifFieldValue v;
        v.strWord = p_sz;
        return v;
    }
    int key(int p_nKey) {
        int n = -1;
        EXPECT_TRUE(m_pController->getParameter(p_nKey, n));
        return n;
    }

    testsupport::TempDeviceRoot m_root;
    QuietVideo m_video;
    std::unique_ptr<ISensorController> m_pController;
};

TEST_F(OnvifImagingTest, OptionsComeFromTheStyleAndTheLiveRanges) {
    OnvifImaging objImaging(start());
    OnvifImagingOptions vecOptions = objImaging.options();
    struct Row {
        const char* szPath;
        bool bOffered;
        double dMin;
        double dMax;
    } const ROWS[] = {
        {"Brightness", true, 0, 100},
        {"ColorSaturation", false, 0, 0},  // hidden by the style
        {"Contrast", true, 10, 90},
        {"Sharpness", false, 0, 0},  // not in the style
        {"WideDynamicRange/Level", true, 0, 100},
        {"WhiteBalance/CrGain", true, 0, 255},
        {"WhiteBalance/CbGain", false, 0, 0},
        // 1/25 s to 1/10000 s as the IA library lists key 49, in microseconds.
        {"Exposure/MaxExposureTime", true, 100, 40000},
        // Key 51 is listed by the IA library but not in the style.
        {"Exposure/MinExposureTime", false, 0, 0},
        // Key 50's choices do not name a unit and the IA library does not list it.
        {"Exposure/ExposureTime", false, 0, 0},
    };
    for (const Row& r : ROWS) {
        const OnvifFieldOptions& o = vecOptions[field(r.szPath)];
        EXPECT_EQ(r.bOffered, o.bOffered) << r.szPath;
        if (!r.bOffered) continue;
        EXPECT_DOUBLE_EQ(r.dMin, o.dMin) << r.szPath;
        EXPECT_DOUBLE_EQ(r.dMax, o.dMax) << r.szPath;
    }
    EXPECT_EQ((std::vector<std::string>{"ON", "OFF", "AUTO"}), vecOptions[field("IrCutFilter")].vecWords);
    EXPECT_EQ((std::vector<std::string>{"AUTO", "MANUAL"}), vecOptions[field("Exposure/Mode")].vecWords);
    EXPECT_EQ((std::vector<std::string>{"AUTO", "MANUAL"}), vecOptions[field("WhiteBalance/Mode")].vecWords);
}

TEST_F(OnvifImagingTest, ADeviceWithoutANightChoiceOffersNoOff) {
    std::string strStyle = channelStyle();
    strStyle.replace(strStyle.find("<item index=\"2\" name=\"night\"/>"), 30, "");
    OnvifImaging objImaging(start(strStyle));
    EXPECT_EQ((std::vector<std::string>{"ON", "AUTO"}), objImaging.options()[field("IrCutFilter")].vecWords);
    std::string strError;
    EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG,
              objImaging.setSettings(request({{"IrCutFilter", word("OFF")}}), false, strError));
    EXPECT_NE(std::string::npos, strError.find("IrCutFilter")) << strError;
}

TEST_F(OnvifImagingTest, ReadsConvertEachKey) {
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameters("(34,61)(144,2)(49,100)(2368,2)(16,1)(768,3)", true));
    OnvifImaging objImaging(c);
    OnvifImagingSettings vec;
    ASSERT_TRUE(objImaging.settings(vec));
    EXPECT_DOUBLE_EQ(61, vec[field("Brightness")].dNumber);
    EXPECT_EQ("OFF", vec[field("IrCutFilter")].strWord);
    EXPECT_DOUBLE_EQ(10000, vec[field("Exposure/MaxExposureTime")].dNumber);
    EXPECT_EQ("ON", vec[field("WideDynamicRange/Mode")].strWord);  // auto WDR is on to ONVIF
    EXPECT_EQ("AUTO", vec[field("Exposure/Mode")].strWord);        // shutter priority is automatic
    EXPECT_EQ("MANUAL", vec[field("WhiteBalance/Mode")].strWord);
    EXPECT_FALSE(vec[field("ColorSaturation")].bPresent);
    EXPECT_FALSE(vec[field("Exposure/ExposureTime")].bPresent);
}

TEST_F(OnvifImagingTest, WritesConvertEachKey) {
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameters("(144,3)(2368,2)(16,2)", true));
    OnvifImaging objImaging(c);
    std::string strError;
    // 33000 us is nearest 1/30 s; a word that already holds the key's value keeps it (schedule, auto WDR,
    // gain priority); another word writes its own value.
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.setSettings(request({{"Brightness", number(70.4)},
                                                                {"Exposure/MaxExposureTime", number(33000)},
                                                                {"IrCutFilter", word("AUTO")},
                                                                {"WideDynamicRange/Mode", word("ON")},
                                                                {"Exposure/Mode", word("AUTO")},
                                                                {"WhiteBalance/Mode", word("MANUAL")}}),
                                                       false, strError))
        << strError;
    std::map<int, int> mapWant = {{34, 70}, {49, 30}, {144, 3}, {2368, 2}, {16, 2}, {768, 3}};
    for (const auto& kv : mapWant) EXPECT_EQ(kv.second, key(kv.first)) << "key " << kv.first;
    ASSERT_EQ(ONVIF_IMAGING_OK,
              objImaging.setSettings(request({{"IrCutFilter", word("ON")}, {"Exposure/Mode", word("MANUAL")}}), false,
                                     strError));
    EXPECT_EQ(1, key(144));
    EXPECT_EQ(3, key(16));
}

TEST_F(OnvifImagingTest, AFieldOutsideItsOptionsChangesNothing) {
    ISensorController& c = start();
    OnvifImaging objImaging(c);
    struct Case {
        const char* szWhy;
        OnvifImagingSettings vec;
    } const CASES[] = {
        {"contrast above its maximum", request({{"Brightness", number(70)}, {"Contrast", number(95)}})},
        {"a hidden field", request({{"Brightness", number(70)}, {"ColorSaturation", number(10)}})},
        {"a word of no choice", request({{"Brightness", number(70)}, {"WhiteBalance/Mode", word("DAYLIGHT")}})},
        {"an exposure time below the shortest",
         request({{"Brightness", number(70)}, {"Exposure/MaxExposureTime", number(50)}})},
        {"not a number", request({{"Brightness", number(70)}, {"Contrast", number(NAN)}})},
    };
    for (const Case& k : CASES) {
        iasim::clearCalls();
        std::string strError;
        EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG, objImaging.setSettings(k.vec, true, strError)) << k.szWhy;
        EXPECT_FALSE(strError.empty()) << k.szWhy;
        EXPECT_EQ(50, key(34)) << k.szWhy;
        for (const iasim::IaCall& call : iasim::calls()) EXPECT_NE(IA_CMD_OPT_SET, call.nOpt) << k.szWhy;
    }
}

TEST_F(OnvifImagingTest, AKeyTheIaLibraryRefusesPutsBackTheKeysBefore) {
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameters("(34,40)(2353,30)", true));
    OnvifImaging objImaging(c);
    iasim::failCommand(2369, IA_CMD_OPT_SET, -1);
    std::string strError;
    EXPECT_EQ(
        ONVIF_IMAGING_REFUSED,
        objImaging.setSettings(
            request({{"Brightness", number(80)}, {"Contrast", number(70)}, {"WideDynamicRange/Level", number(10)}}),
            false, strError));
    EXPECT_NE(std::string::npos, strError.find("2369")) << strError;
    EXPECT_EQ(40, key(34));
    EXPECT_EQ(30, key(2353));
    EXPECT_EQ(40u, iasim::value(0, 34)) << "the IA library holds the old value again";
    EXPECT_EQ(30u, iasim::value(0, 2353));
}

TEST_F(OnvifImagingTest, ForcePersistenceSavesTheCurrentScheme) {
    ISensorController& c = start();
    OnvifImaging objImaging(c);
    std::string strError;
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.setSettings(request({{"Brightness", number(66)}}), false, strError));
    ASSERT_TRUE(c.resetToLastParameters());
    EXPECT_EQ(50, key(34)) << "an unsaved write is undone by a restore";
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.setSettings(request({{"Brightness", number(67)}}), true, strError));
    ASSERT_TRUE(c.resetToLastParameters());
    EXPECT_EQ(67, key(34));

    // A save that fails leaves nothing changed, in memory or on the flash.
    qxsim::failOpenForWrite("sensor1_0.cfg");
    EXPECT_EQ(ONVIF_IMAGING_NOT_SAVED, objImaging.setSettings(request({{"Brightness", number(68)}}), true, strError));
    qxsim::resetFaults();
    EXPECT_EQ(67, key(34));
    EXPECT_EQ(67u, iasim::value(0, 34));
    ASSERT_TRUE(c.resetToLastParameters());
    EXPECT_EQ(67, key(34));
}

TEST_F(OnvifImagingTest, UnderDayNightSchemesTheOtherSchemeKeepsItsValues) {
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameters("(8000,2)", true));
    OnvifImaging objImaging(c);
    std::string strError;
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.setSettings(request({{"Brightness", number(77)}}), false, strError));
    u32 nDay = 0, nNight = 0;
    c.getKeyValFromCache(0, 34, nDay);
    c.getKeyValFromCache(1, 34, nNight);
    EXPECT_EQ(77u, nDay);
    EXPECT_EQ(50u, nNight);
}

TEST_F(OnvifImagingTest, FocusMovesWithinTheLensRange) {
    OnvifImaging objImaging(start());
    OnvifFocusOptions stOptions = objImaging.focusOptions();
    ASSERT_TRUE(stOptions.bMovable);
    EXPECT_DOUBLE_EQ(0, stOptions.dMin);
    EXPECT_DOUBLE_EQ(4095, stOptions.dMax);
    std::string strError;
    OnvifFocusStatus stStatus;
    EXPECT_EQ(ONVIF_IMAGING_OK, objImaging.focusAbsolute(1000, strError));
    EXPECT_EQ(ONVIF_IMAGING_OK, objImaging.focusRelative(-250, strError));
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.focusStatus(stStatus));
    EXPECT_DOUBLE_EQ(750, stStatus.dPosition);
    EXPECT_STREQ("IDLE", stStatus.szMoveStatus);
    EXPECT_EQ(ONVIF_IMAGING_OK, objImaging.focusRelative(4000, strError));  // stops at the far end
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.focusStatus(stStatus));
    EXPECT_DOUBLE_EQ(4095, stStatus.dPosition);
    EXPECT_EQ(ONVIF_IMAGING_OK, objImaging.focusStop());

    EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG, objImaging.focusAbsolute(4096, strError));
    EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG, objImaging.focusAbsolute(-1, strError));
    EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG, objImaging.focusRelative(5000, strError));
    EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG, objImaging.focusAbsolute(INFINITY, strError));
    ASSERT_EQ(ONVIF_IMAGING_OK, objImaging.focusStatus(stStatus));
    EXPECT_DOUBLE_EQ(4095, stStatus.dPosition);
}

TEST_F(OnvifImagingTest, AFixedLensRefusesEveryMove) {
    OnvifImaging objImaging(start(channelStyle(false)));
    EXPECT_FALSE(objImaging.focusOptions().bMovable);
    std::string strError;
    OnvifFocusStatus stStatus;
    iasim::clearCalls();
    EXPECT_EQ(ONVIF_IMAGING_NO_LENS, objImaging.focusAbsolute(10, strError));
    EXPECT_EQ(ONVIF_IMAGING_NO_LENS, objImaging.focusRelative(10, strError));
    EXPECT_EQ(ONVIF_IMAGING_NO_LENS, objImaging.focusStop());
    EXPECT_EQ(ONVIF_IMAGING_NO_LENS, objImaging.focusStatus(stStatus));
    EXPECT_TRUE(iasim::calls(1552).empty());
}

TEST_F(OnvifImagingTest, BeforeInitAndAfterUinitNothingIsOfferedOrChanged) {
    for (bool bStarted : {false, true}) {
        std::unique_ptr<ISensorController> pController;
        ISensorController* p = nullptr;
        if (bStarted) {
            p = &start();
            p->uinit();
        } else {
            pController.reset(new ISensorController());
            p = pController.get();
        }
        OnvifImaging objImaging(*p);
        for (const OnvifFieldOptions& o : objImaging.options()) EXPECT_FALSE(o.bOffered);
        OnvifImagingSettings vec;
        EXPECT_TRUE(objImaging.settings(vec));
        for (const OnvifFieldValue& v : vec) EXPECT_FALSE(v.bPresent);
        std::string strError;
        EXPECT_EQ(ONVIF_IMAGING_INVALID_ARG,
                  objImaging.setSettings(request({{"Brightness", number(60)}}), true, strError));
        EXPECT_EQ(ONVIF_IMAGING_NO_LENS, objImaging.focusAbsolute(10, strError));
    }
}

}  // namespace
