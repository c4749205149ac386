// Shut-down, restart and the factory reset; the display flags that the end of start-up recomputes; and
// every public operation in the states before init and after uinit.
#include <sstream>

#include "InitTestDevice.h"
#include "SensorFile.h"

namespace {

// A video module whose answers the test chooses.
class ScriptedVideoModule : public RecordingVideoModule {
public:
    int getFisheyeRotate(int, int* pnValue) const override {
        *pnValue = nRotate;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>& p_vecParams) const override {
        p_vecParams = vecStreams;
        return 0;
    }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam& p_objParam) const override {
        p_objParam = objLimits;
        return 0;
    }
    int nRotate = 100;
    std::vector<AVStreamParam> vecStreams;
    LimitedFramesWDRModeParam objLimits;
};

AVStreamParam stream(int p_nEncoder, int p_nHeight) {
    AVStreamParam objStream;
    objStream.setVideoEncoderType(p_nEncoder);
    objStream.setVideoHeight(p_nHeight);
    return objStream;
}

// A style with every key a channel can have: the map's 166 keys and the four twin keys kept in the cache only.
std::string fullStyle(std::vector<u32>& p_vecKeys) {
    ISensorController c;
    TA::buildKeyCmdMap(c);
    p_vecKeys = {8000, 8001, 8002, 8003, 8004};
    for (u32 i = 0; i < TA::keyCmdSum(c); ++i) {
        u32 nKey = TA::map(c)[i].nKey;
        if (nKey < 8000 || nKey > 8004) p_vecKeys.push_back(nKey);
    }
    for (u32 nTwin : {201u, 202u, 204u, 205u}) p_vecKeys.push_back(nTwin);
    TA::releaseArrays(c);
    std::ostringstream out;
    out << "<Style><tab key=\"all\">";
    for (u32 nKey : p_vecKeys) out << "<p id=\"" << nKey << "\" value=\"" << (nKey == 8003 ? 24 : 0) << "\"/>";
    out << "</tab></Style>";
    return out.str();
}

}  // namespace

TEST_F(InitTest, UinitBeforeInitDoesNothing) {
    ISensorController c;
    c.uinit();
    EXPECT_FALSE(c.getSensorStatus());
    EXPECT_FALSE(TA::hasArrays(c));
    EXPECT_FALSE(threadServesRequests());
}

TEST_F(InitTest, UinitStopsTheThreadAndReleasesEverythingTwice) {
    ISensorController& c = start();
    c.setParamMode(0);
    c.uinit();
    EXPECT_FALSE(TA::hasArrays(c));
    EXPECT_FALSE(c.getSensorStatus());  // a stopped channel does not report running
    EXPECT_EQ(TA::curScheme(c), -1);
    EXPECT_EQ(TA::lastScheme(c), -1);
    EXPECT_EQ(TA::paramMode(c), 1);
    EXPECT_TRUE(TA::shutterPass(c));
    EXPECT_FALSE(threadServesRequests());
    c.uinit();
    EXPECT_FALSE(TA::hasArrays(c));
}

TEST_F(InitTest, InitAfterUinitRunsAgain) {
    ISensorController& c = start();
    c.uinit();
    c.init(ModuleConfigure());
    EXPECT_EQ(readScheme(schemePath(1, 0)), smallStyleFactory(0));
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(2337, nVal));
    EXPECT_EQ(nVal, 60);
    EXPECT_TRUE(threadServesRequests());
}

TEST_F(InitTest, InitTwiceShutsTheFirstRunDown) {
    ISensorController& c = start();
    ModuleConfigure objModule;
    objModule.setDetail("(lensId=3)");
    EXPECT_TRUE(c.init(objModule));  // a leak or a second thread would show under the sanitizers
    EXPECT_TRUE(c.getSensorStatus());
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(nVal, 50);
    EXPECT_TRUE(threadServesRequests());
}

TEST_F(InitTest, EveryOperationIsSafeBeforeInitAndAfterUinit) {
    ISensorController objFresh;
    ISensorController& objStopped = start();
    objStopped.uinit();
    for (ISensorController* c : {&objFresh, &objStopped}) {
        std::string strText = "kept";
        EXPECT_TRUE(c->getAllParameters(strText));
        EXPECT_EQ(strText, "kept");
        EXPECT_NE(c->setParameter(34, 1, true), 0);
        EXPECT_NE(c->setParameters("(34,1)", true), 0);
        int nVal = 0;
        EXPECT_TRUE(c->getParameter(34, nVal));  // straight from the IA library
        EXPECT_TRUE(c->getParameters("(34,163)", strText));
        EXPECT_EQ(c->flush(), 0);
        EXPECT_TRUE(c->resetParameters());
        EXPECT_FALSE(TA::hasArrays(*c));
        EXPECT_TRUE(c->resetToLastParameters());
        EXPECT_EQ(c->restore(34), -1);
        c->shutterUp();
        c->setMirrorMode(1);
        int nScheme = 0;
        EXPECT_TRUE(c->getParamScheme(nScheme));
        EXPECT_EQ(nScheme, -1);
        c->uinit();
    }
}

TEST_F(InitTest, FactoryResetDiscardsTheUserSchemes) {
    ISensorController& c = start();
    ASSERT_EQ(c.setParameter(34, 80, true), 0);
    ASSERT_EQ(c.flush(), 0);
    ASSERT_TRUE(c.setParamScheme(2));
    ASSERT_EQ(c.setParameter(2337, 5, true), 0);
    ASSERT_EQ(c.flush(), 0);
    ASSERT_EQ(valueOf(readScheme(schemePath(1, 0)), 34), 80u);
    c.setParamMode(0);
    iasim::clearCalls();

    EXPECT_TRUE(c.resetParameters());

    for (int s = 0; s < 4; ++s) EXPECT_EQ(readScheme(schemePath(1, s)), smallStyleFactory(0)) << "scheme " << s;
    EXPECT_EQ(lastSet(34), 50u);  // the factory values were applied
    EXPECT_EQ(lastSet(2337), 60u);
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(nVal, 50);
    int nScheme = -1;
    c.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    int nMode = -1;
    c.getParamMode(nMode);
    EXPECT_EQ(nMode, 0);  // the parameter mode survives the reset
    EXPECT_TRUE(c.getSensorStatus());
    EXPECT_TRUE(threadServesRequests());
}

TEST_F(InitTest, FactoryResetKeepsTheKeyCountAndTheFileLayout) {
    std::vector<u32> vecKeys;
    seed(1, fullStyle(vecKeys));
    ASSERT_EQ(vecKeys.size(), 170u);
    ISensorController& c = start();
    // The dynamic style always drops a few placeholder elements; more than the map's 166 rows remain.
    std::vector<u32> vecFirst = keysOf(readScheme(schemePath(1, 0)));
    ASSERT_GT(vecFirst.size(), 166u);
    vecKeys = vecFirst;

    c.resetParameters();

    EXPECT_EQ(keysOf(readScheme(schemePath(1, 0))), vecKeys);
    EXPECT_EQ(keysOf(readScheme(schemePath(1, 3))), vecKeys);
    // And the next start of the device reads the files the reset wrote.
    c.uinit();
    ISensorController& objNext = start();
    ASSERT_TRUE(objNext.setParamScheme(0));
    EXPECT_EQ(keysOf(readScheme(schemePath(1, 0))), vecKeys);
}

TEST_F(InitTest, FactoryResetKeepsTheLayoutWhenTheFlagsChanged) {
    // WDR and lens-distortion elements that the end of start-up hides from the UI.
    std::string strStyle = smallStyle();
    strStyle.replace(strStyle.find("</tab>\n</Style>"), 0,
                     "<p id=\"2368\" value=\"0\"/><p id=\"2369\" value=\"50\"/><p id=\"2048\" value=\"0\"/>"
                     "<p id=\"2064\" value=\"0\"/><p id=\"11\" value=\"0\"/>");
    seed(1, strStyle, "Hi3516AV200");
    ScriptedVideoModule objVideo;
    objVideo.objLimits.setLimitWdr(1);
    objVideo.vecStreams = {stream(1, 240)};
    std::unique_ptr<ISensorController> c(new ISensorController());
    c->setVideoStreamModule(&objVideo);
    c->init(ModuleConfigure());
    std::vector<u32> vecKeys = keysOf(readScheme(schemePath(1, 0)));

    c->resetParameters();

    EXPECT_EQ(keysOf(readScheme(schemePath(1, 0))), vecKeys);
    c->uinit();
}

struct FlagCase {
    const char* szName;
    const char* szModel;
    std::vector<AVStreamParam> vecStreams;
    int nLimitMode;
    int nLimitWdr;
    bool bShowWDR;
    bool bShowBeaway;
};

class InitFlagTest : public InitTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(InitFlagTest, DisplayFlagsFollowTheVideoModule) {
    const FlagCase& t = GetParam();
    seed(1, smallStyle(), t.szModel);
    ScriptedVideoModule objVideo;
    objVideo.vecStreams = t.vecStreams;
    objVideo.objLimits.setLimitFramesModeId(t.nLimitMode);
    objVideo.objLimits.setLimitWdr(t.nLimitWdr);
    setshowBeawayFalg(false);
    ISensorController c;
    c.setShowWDRFalg(false);
    c.setVideoStreamModule(&objVideo);
    c.init(ModuleConfigure());
    bool bShow = !t.bShowWDR;
    c.getShowWDRFalg(bShow);
    EXPECT_EQ(bShow, t.bShowWDR);
    c.getShowBeawayFalg(bShow);
    EXPECT_EQ(bShow, t.bShowBeaway);
    c.uinit();
}

INSTANTIATE_TEST_SUITE_P(
    Modules, InitFlagTest,
    ::testing::Values(
        FlagCase{"Plain", "TestModel", {}, 0, 0, true, true},
        FlagCase{"LimitedWdr", "TestModel", {}, 0, 1, false, true},
        FlagCase{"LimitedWdrInAnotherFrameMode", "TestModel", {}, 2, 1, true, true},
        FlagCase{"NarrowStreamOnLimitedModel", "Hi3516AV200", {stream(0, 1080), stream(1, 255)}, 0, 0, true, false},
        FlagCase{"NarrowStreamOnThermalModel", "Hi3516AV200Thermal", {stream(1, 100)}, 0, 0, true, false},
        FlagCase{"TallStreamOnLimitedModel", "Hi3516AV200", {stream(1, 256)}, 0, 0, true, true},
        FlagCase{"OtherEncoderOnLimitedModel", "Hi3516AV200", {stream(2, 100)}, 0, 0, true, true},
        FlagCase{"NarrowStreamOnOtherModel", "TestModel", {stream(1, 100)}, 0, 0, true, true}),
    [](const ::testing::TestParamInfo<FlagCase>& i) { return std::string(i.param.szName); });

TEST_F(InitTest, LensDistortionControlsShowOnlyWhenSupportedAndOn) {
    std::string strStyle = smallStyle();
    strStyle.replace(strStyle.find("</tab>\n</Style>"), 0, "<p id=\"2048\" value=\"0\"/>");
    seed(1, strStyle);
    for (int nSwitch : {0, 1}) {
        ScriptedVideoModule objVideo;
        objVideo.objLimits.setLDCSupport(1);
        objVideo.objLimits.setLDCSwitch(nSwitch);
        ISensorController c;
        c.setVideoStreamModule(&objVideo);
        c.init(ModuleConfigure());
        EXPECT_EQ(c.getUIStyleFile().find("id=\"2048\"") != std::string::npos, nSwitch == 1) << nSwitch;
        c.uinit();
    }
}

TEST_F(InitTest, FisheyeRotationFlagOnAFisheyeDevice) {
    for (int nRotate : {0, 90}) {
        seed(9);
        ScriptedVideoModule objVideo;
        objVideo.nRotate = nRotate;
        setshowFisheyeRotateFlag(nRotate == 0 ? false : true);
        ISensorController c;
        c.setVideoStreamModule(&objVideo);
        c.init(ModuleConfigure());
        EXPECT_EQ(g_bShoWFisheyeRotateFlag.load(), nRotate == 0) << nRotate;
        c.uinit();
    }
}

TEST_F(InitTest, InitWithoutVideoModuleStillStarts) {
    ISensorController c;
    EXPECT_TRUE(c.init(ModuleConfigure()));
    EXPECT_TRUE(c.getSensorStatus());
    bool bShow = false;
    c.getShowWDRFalg(bShow);
    EXPECT_TRUE(bShow);
    c.uinit();
}
