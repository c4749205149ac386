// The factory reset starts the channel again as a first start would: the same module, the layout of a first
// start in every scheme file whatever the UI showed, and the display flags left alone until init's last step.
#include <algorithm>

#include "InitTestDevice.h"

namespace {

// smallStyle() with the fisheye-rotation element, which the UI of a turned fisheye hides.
std::string fisheyeStyle() {
    std::string strStyle = smallStyle();
    strStyle.replace(strStyle.find("</tab>\n</Style>"), 0, "<p id=\"2386\" value=\"0\"/>");
    return strStyle;
}

}  // namespace

TEST_F(InitTest, FactoryResetOnATurnedFisheyeKeepsTheStartLayout) {
    seed(9, fisheyeStyle());
    HookedVideoModule objVideo;
    objVideo.nRotate = 90;
    ISensorController& c = startWith(objVideo);
    const std::vector<u32> vecLayout = keysOf(readScheme(schemePath(1, 0)));
    ASSERT_NE(std::find(vecLayout.begin(), vecLayout.end(), 2386u), vecLayout.end());
    ASSERT_FALSE(g_bShoWFisheyeRotateFlag.load());  // the turned view hides the rotation from the UI

    ASSERT_TRUE(c.resetParameters());
    ASSERT_EQ(c.setParameter(34, 77, true), 0);
    ASSERT_EQ(c.flush(), 0);
    c.uinit();

    // The next power-on: the process-wide flags start shown again.
    setshowBeawayFalg(true);
    setshowFisheyeRotateFlag(true);
    ISensorController& objNext = startWith(objVideo);
    int nVal = 0;
    ASSERT_TRUE(objNext.getParameter(34, nVal));
    EXPECT_EQ(nVal, 77);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(keysOf(readScheme(schemePath(1, s))), vecLayout) << "scheme " << s;
}

// Another channel reads the process-wide flags at any time, and this channel's handlers its own: an init
// shows them what the previous run left until it has computed the new values.
TEST_F(InitTest, InitLeavesTheDisplayFlagsAloneUntilItsLastStep) {
    HookedVideoModule objVideo;
    ISensorController& c = startWith(objVideo);
    ASSERT_FALSE(TA::showLDC(c));
    c.setShowWDRFalg(false);
    setshowBeawayFalg(false);
    setshowFisheyeRotateFlag(false);
    struct Flags {
        bool bWDR, bLDC, bBeaway, bFisheye;
    };
    std::vector<Flags> vecSeen;
    objVideo.fnHook = [&](int, int) {
        bool bWDR = true;
        c.getShowWDRFalg(bWDR);
        vecSeen.push_back({bWDR, TA::showLDC(c), g_bShoWBeawayFalg.load(), g_bShoWFisheyeRotateFlag.load()});
    };

    ASSERT_TRUE(c.resetParameters());
    objVideo.fnHook = nullptr;

    ASSERT_FALSE(vecSeen.empty());  // the mirror key of the first scheme
    for (const Flags& f : vecSeen) {
        EXPECT_FALSE(f.bWDR);
        EXPECT_FALSE(f.bLDC);
        EXPECT_FALSE(f.bBeaway);
        EXPECT_FALSE(f.bFisheye);
    }
    // Recomputed at the end: nothing limits WDR, no lens correction, no narrow stream; not a fisheye device.
    bool bWDR = false;
    c.getShowWDRFalg(bWDR);
    EXPECT_TRUE(bWDR);
    EXPECT_FALSE(TA::showLDC(c));
    EXPECT_TRUE(g_bShoWBeawayFalg.load());
    EXPECT_FALSE(g_bShoWFisheyeRotateFlag.load());
}

// The reset starts again with the module the channel was started with, not an empty one.
TEST_F(InitTest, FactoryResetKeepsTheModuleDetail) {
    seed(8);  // with an infrared marker, not an LPR device
    ISensorController& c = start("(isInfrared=1)(lensId=3)(max_scheme=2)");

    ASSERT_TRUE(c.resetParameters());

    EXPECT_EQ(c.getSensorType(), 533);
    EXPECT_TRUE(m_root.exists(schemePath(1, 0)));
    EXPECT_TRUE(m_root.exists(schemePath(1, 1)));
    EXPECT_FALSE(m_root.exists(schemePath(1, 2)));  // two schemes
    EXPECT_FALSE(m_root.exists(schemePath(1, 3)));
    EXPECT_EQ(readScheme(schemePath(1, 1)), smallStyleFactory(0));  // no LPR night values
    iasim::clearCalls();
    EXPECT_TRUE(c.setZoomValue(300));
    EXPECT_EQ(lastSet(1568), 300u);  // the lens is still there
}
