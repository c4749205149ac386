// The UI files of a channel: the dynamic-parameter style as the UI asks for it, and the UI-file table.
#include <atomic>

#include "InitTestDevice.h"

namespace {

// A video module that is busy for a number of questions and reports a fisheye rotation.
class UiVideoModule : public RecordingVideoModule {
public:
    int isBusy() const override {
        ++m_nBusyAsked;
        return m_nBusyAnswers.load() < 0 || m_nBusyAsked.load() <= m_nBusyAnswers.load();
    }
    int getFisheyeRotate(int, int* pnValue) const override {
        ++m_nFisheyeAsked;
        if (m_nRotate.load() >= 0) *pnValue = m_nRotate.load();
        return 0;
    }
    mutable std::atomic<int> m_nBusyAsked{0};
    std::atomic<int> m_nBusyAnswers{0};  // -1: always busy
    mutable std::atomic<int> m_nFisheyeAsked{0};
    std::atomic<int> m_nRotate{0};  // -1: leaves the value alone
};

const char* const kUiStyle =
    "<Style><tab key=\"scheme\"><p id=\"8000\" value=\"0\"/><p id=\"8001\" value=\"0\"/><p id=\"8002\" value=\"0\"/>"
    "<p id=\"8003\" value=\"24\"/><p id=\"8004\" value=\"0\"/></tab><tab key=\"image\"><p id=\"34\" value=\"50\"/>"
    "<p id=\"82\" value=\"1\"><i index=\"0\"/><i index=\"100\"/><i index=\"128\"/></p><p id=\"10\" value=\"0\"/>"
    "<p id=\"2386\" value=\"0\"/></tab></Style>";

class UiStyle : public InitTest {
protected:
    ISensorController& startWith(int p_nDeviceType) {
        seed(p_nDeviceType, kUiStyle);
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setChannelID(1);
        c->setVideoStreamModule(&m_uiVideo);
        ModuleConfigure objModule;
        objModule.setDetail("(lensId=3)");
        c->init(objModule);
        m_vecControllers.push_back(std::move(c));
        m_uiVideo.m_nBusyAsked = 0;
        m_uiVideo.m_nFisheyeAsked = 0;
        return *m_vecControllers.back();
    }

    UiVideoModule m_uiVideo;
};

TEST_F(UiStyle, ReturnsTheDynamicStyleOfTheMergedStyle) {
    ISensorController& c = startWith(1);
    const std::string strStyle = c.getUIStyleFile();
    // 82 is a range command of the simulator (default 128, items 0, 32, ..., 255); 10 always goes.
    EXPECT_NE(std::string::npos, strStyle.find("<p id=\"82\" value=\"128\">")) << strStyle;
    EXPECT_EQ(std::string::npos, strStyle.find("index=\"100\"")) << strStyle;
    EXPECT_EQ(std::string::npos, strStyle.find("id=\"10\"")) << strStyle;
    EXPECT_NE(std::string::npos, strStyle.find("id=\"2386\"")) << strStyle;
    EXPECT_EQ(1, m_uiVideo.m_nBusyAsked.load());
    EXPECT_EQ(0, m_uiVideo.m_nFisheyeAsked.load());  // not a fisheye device

    // The IA library's ranges are asked anew at every request.
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic.push_back(iasim::listParam(34, 42, {42}));
    iasim::setProfile(stProfile);
    EXPECT_NE(std::string::npos, c.getUIStyleFile().find("<p id=\"34\" value=\"42\" />"));
}

TEST_F(UiStyle, WaitsWhileTheVideoModuleIsBusyAtMostThirtyTimes) {
    qxsim::setWaitScale(0);
    ISensorController& c = startWith(1);
    m_uiVideo.m_nBusyAnswers = 3;
    EXPECT_FALSE(c.getUIStyleFile().empty());
    EXPECT_EQ(4, m_uiVideo.m_nBusyAsked.load());

    m_uiVideo.m_nBusyAsked = 0;
    m_uiVideo.m_nBusyAnswers = -1;
    EXPECT_FALSE(c.getUIStyleFile().empty());  // goes on in any case
    EXPECT_EQ(31, m_uiVideo.m_nBusyAsked.load());
}

TEST_F(UiStyle, FisheyeDeviceKeepsTheRotationOnlyWhenTheModuleSaysZero) {
    ISensorController& c = startWith(9);
    const struct {
        int nRotate;
        bool bKept;
    } kCases[] = {{0, true}, {1, false}, {-1, false}, {0, true}};
    for (const auto& k : kCases) {
        m_uiVideo.m_nRotate = k.nRotate;
        const std::string strStyle = c.getUIStyleFile();
        EXPECT_EQ(k.bKept, strStyle.find("id=\"2386\"") != std::string::npos) << k.nRotate;
    }
    EXPECT_EQ(4, m_uiVideo.m_nFisheyeAsked.load());
}

TEST_F(UiStyle, SafeBeforeInitAndAfterUinit) {
    ISensorController objFresh;
    testsupport::StdoutCapture objCapture;
    objCapture.start();
    EXPECT_EQ("", objFresh.getUIStyleFile());  // no video module, no style
    EXPECT_EQ("", objFresh.getUICommonFile(1));
    EXPECT_EQ("", objFresh.getUILanguageFile(1));
    objCapture.stop();

    ISensorController& c = startWith(1);
    c.uinit();
    objCapture.start();
    EXPECT_EQ("", c.getUIStyleFile());
    objCapture.stop();
}

TEST_F(UiStyle, UiFileTableIsEmptyAfterInit) {
    ISensorController& c = startWith(1);
    EXPECT_EQ("", c.getUICommonFile(0));
    EXPECT_EQ("", c.getUILanguageFile(7));
}

}  // namespace
