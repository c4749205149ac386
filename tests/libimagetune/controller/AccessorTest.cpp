// Named accessors: the key wrappers, the direct IA commands, and the operations with logic of their own
// (zoom ratio, iris clamping, the lights that exclude each other, the light type and the shutter steps).
#include <functional>

#include "ControllerFixture.h"

namespace {

// The option and first 32 bits of every call of the command, oldest first.
std::vector<std::pair<int, u32>> sent(int p_nCmd) {
    std::vector<std::pair<int, u32>> vecSent;
    for (const iasim::IaCall& call : iasim::calls(p_nCmd)) vecSent.push_back({call.nOpt, call.value()});
    return vecSent;
}

void useShutterRange(const std::vector<int32_t>& p_vecItems) {
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic = {iasim::listParam(49, p_vecItems.front(), p_vecItems)};
    iasim::setProfile(stProfile);
}

std::vector<int32_t> oneTo(int p_nLast) {
    std::vector<int32_t> vecItems;
    for (int i = 1; i <= p_nLast; ++i) vecItems.push_back(i * 10);
    return vecItems;
}

}  // namespace

class AccessorTest : public ControllerTest {};

struct WrapperCase {
    u32 nKey;
    std::function<bool(ISensorController&, int&)> fnGet;
    std::function<bool(ISensorController&, int)> fnSet;
};

TEST_F(AccessorTest, KeyWrappersReadTheCacheAndWriteTheirKey) {
    typedef ISensorController C;
    auto ref = [](bool (C::*pfnSet)(int&)) { return [pfnSet](C& c, int v) { return (c.*pfnSet)(v); }; };
    const std::vector<WrapperCase> vecCases = {
        {144, [](C& c, int& v) { return c.getDNMode(v); }, [](C& c, int v) { return c.setDNMode(v); }},
        {2368, &C::getWDRSwitch, ref(&C::setWDRSwitch)},
        {2369, &C::getWDRStrength, ref(&C::setWDRStrength)},
        {112, &C::getHLCSwitch, ref(&C::setHLCSwitch)},
        {113, &C::getHLCStrength, ref(&C::setHLCStrength)},
        {128, &C::getBLCSwitch, ref(&C::setBLCSwitch)},
        {130, &C::getBLCStrength, ref(&C::setBLCStrength)},
        {2400, &C::getDefogSwitch, ref(&C::setDefogSwitch)},
        {2401, &C::getDefogStrength, ref(&C::setDefogStrength)},
        {2304, &C::get2DSwitch, ref(&C::set2DSwitch)},
        {2305, &C::get2DMode, ref(&C::set2DMode)},
        {2306, &C::get2DAutoMaxStrength, ref(&C::set2DAutoMaxStrength)},
        {2307, &C::get2DManualMaxStrength, ref(&C::set2DManualMaxStrength)},
        {2308, &C::get3DSwitch, ref(&C::set3DSwitch)},
        {2309, &C::get3DMode, ref(&C::set3DMode)},
        {2312, &C::get3DAutoMaxStrength, ref(&C::set3DAutoMaxStrength)},
        {2313, &C::get3DManualMaxStrength, ref(&C::set3DManualMaxStrength)},
        {2385, &C::getBeaway, ref(&C::setBeaway)},
        {2384, &C::getMirrorValue, [](C& c, int v) { return c.setMirrorMode(v); }},
    };
    std::vector<KeyVal> vecScheme = smallScheme();
    for (const WrapperCase& t : vecCases) {
        bool bHeld = false;
        for (const KeyVal& kv : vecScheme) bHeld = bHeld || kv.key == t.nKey;
        if (!bHeld) vecScheme.push_back({t.nKey, 1});
    }
    auto c = make();
    TA::install(*c, 4, vecScheme);
    // setMirrorMode also saves the scheme, into the folder a camera always has.
    testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file"));
    for (const WrapperCase& t : vecCases) {
        EXPECT_TRUE(t.fnSet(*c, 1)) << t.nKey;
        iasim::clearCalls();
        int nVal = -1;
        EXPECT_TRUE(t.fnGet(*c, nVal)) << t.nKey;
        EXPECT_EQ(nVal, 1) << t.nKey;  // from the cache: the getter sent no IA read
        for (const iasim::IaCall& call : iasim::calls()) EXPECT_NE(call.nOpt, IA_CMD_OPT_GET) << t.nKey;
        EXPECT_EQ(cached(*c, 0, t.nKey), 1u) << t.nKey;
        // A changed value reaches the IA library under the key's own command and is cached.
        EXPECT_TRUE(t.fnSet(*c, 0)) << t.nKey;
        EXPECT_EQ(cached(*c, 0, t.nKey), 0u) << t.nKey;
        ASSERT_FALSE(iasim::calls(static_cast<int>(t.nKey)).empty()) << t.nKey;
        EXPECT_EQ(iasim::calls(static_cast<int>(t.nKey)).back().value(), 0u) << t.nKey;
    }
    // KEY_WHITE_MODE 171 is IA command 169; the setter caches under the key.
    EXPECT_TRUE(c->setWhiteMode(2));
    EXPECT_EQ(cached(*c, 0, 171), 2u);
}

TEST_F(AccessorTest, DayNightModeReadsTrueEvenWhenAbsent) {
    auto c = make();
    TA::install(*c, 4, {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}});
    iasim::failCommand(144, IA_CMD_OPT_GET, -1);
    int nVal = 0;
    EXPECT_TRUE(c->getDNMode(nVal));
}

TEST_F(AccessorTest, MirrorModeSavesTheScheme) {
    auto c = make();
    testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file"));
    EXPECT_TRUE(c->setMirrorMode(3));
    std::string strFile = m_root.read("/mnt/mtd/code/config_file/sensor1_0.cfg");
    ASSERT_EQ(strFile.size(), smallScheme().size() * sizeof(KeyVal));
    std::vector<KeyVal> vecFile(smallScheme().size());
    memcpy(vecFile.data(), strFile.data(), strFile.size());
    bool bFound = false;
    for (const KeyVal& kv : vecFile) {
        if (kv.key == 2384) bFound = kv.value == 3;
    }
    EXPECT_TRUE(bFound);
}

TEST_F(AccessorTest, ZoomRatioFromTheMotorPosition) {
    const struct {
        int nPos;
        int nRatio;
    } aCases[] = {
        {0, 1000},     {16384, 1000},  {20480, 1500},  {24576, 2000},  {26000, 2530},
        {27264, 3000}, {31232, 15000}, {31328, 15500}, {31424, 16000}, {31425, -7},  // beyond 16x: unwritten
        {-1, -7},                                                                    // unsigned: huge
    };
    auto c = make();
    for (const auto& t : aCases) {
        iasim::setValue(0, 1568, static_cast<uint32_t>(t.nPos));
        int nPos = 0;
        int nRatio = -7;
        EXPECT_TRUE(c->getZoomValue(nPos, nRatio)) << t.nPos;
        EXPECT_EQ(nPos, t.nPos);
        EXPECT_EQ(nRatio, t.nRatio) << t.nPos;
    }
    iasim::failCommand(1568, IA_CMD_OPT_GET, -1);
    int nPos = 0;
    int nRatio = 0;
    EXPECT_FALSE(c->getZoomValue(nPos, nRatio));
}

TEST_F(AccessorTest, WithoutLensTheLensOperationsSendNothing) {
    auto c = make();
    TA::setHasLens(*c, false);
    int nPos = 5;
    int nRatio = -7;
    EXPECT_TRUE(c->getZoomValue(nPos, nRatio));
    EXPECT_EQ(nPos, 0);
    EXPECT_EQ(nRatio, -7);
    int nFocus = 5;
    EXPECT_TRUE(c->getFocusValue(nFocus));
    EXPECT_EQ(nFocus, 0);
    EXPECT_TRUE(c->focusFar());
    EXPECT_TRUE(c->focusNear());
    EXPECT_TRUE(c->setZoomValue(3));
    EXPECT_TRUE(c->setFocusValue(3));
    EXPECT_TRUE(c->setPTZRunState(1));
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_TRUE(c->zoomIn());
    EXPECT_TRUE(c->zoomOut());
    EXPECT_EQ(sent(1569), (std::vector<std::pair<int, u32>>{{IA_CMD_OPT_SET, 1}}));
    EXPECT_EQ(sent(1570), (std::vector<std::pair<int, u32>>{{IA_CMD_OPT_SET, 1}}));
}

TEST_F(AccessorTest, LensStepsWithALens) {
    auto c = make();
    EXPECT_TRUE(c->focusFar());
    EXPECT_TRUE(c->focusNear());
    std::vector<iasim::IaCall> vecCalls = iasim::calls();
    ASSERT_EQ(vecCalls.size(), 4u);
    EXPECT_EQ(vecCalls[0].nCmd, 1536);
    EXPECT_EQ(vecCalls[1].nCmd, 1554);
    EXPECT_EQ(vecCalls[2].nCmd, 1536);
    EXPECT_EQ(vecCalls[3].nCmd, 1553);
    // The auto-focus switch may fail; the step decides the result.
    iasim::failCommand(1536, IA_CMD_OPT_SET, -1);
    EXPECT_TRUE(c->focusFar());
    iasim::failCommand(1553, IA_CMD_OPT_SET, -1);
    EXPECT_FALSE(c->focusNear());
}

TEST_F(AccessorTest, LockedZoomAndFocusReportSuccessWithoutEffect) {
    auto c = make();
    TA::setZoomFocusLock(*c, true);
    EXPECT_TRUE(c->setZoomValue(3));
    EXPECT_TRUE(c->focusFar());
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(AccessorTest, IrisValueIsClamped) {
    const struct {
        int nIn;
        u32 nSent;
    } aCases[] = {
        {100, 256}, {-5, 256}, {255, 256}, {256, 256}, {25600, 25600}, {25601, 0x100000}, {30000, 0x100000},
    };
    auto c = make();
    for (const auto& t : aCases) {
        iasim::clearCalls();
        EXPECT_TRUE(c->setIrisValue(t.nIn)) << t.nIn;
        std::vector<iasim::IaCall> vecCalls = iasim::calls();
        ASSERT_EQ(vecCalls.size(), 2u);
        EXPECT_EQ(vecCalls[0].nCmd, 16);  // manual iris exposure first
        EXPECT_EQ(vecCalls[0].value(), 3u);
        EXPECT_EQ(vecCalls[1].nCmd, 82);
        EXPECT_EQ(vecCalls[1].value(), t.nSent) << t.nIn;
    }
}

TEST_F(AccessorTest, IrisStepsNeedTheManualIrisMode) {
    auto c = make();
    EXPECT_TRUE(c->irisUp());
    EXPECT_TRUE(c->irisDown());
    EXPECT_EQ(sent(83), (std::vector<std::pair<int, u32>>{{IA_CMD_OPT_SET, 1}}));
    EXPECT_EQ(sent(84), (std::vector<std::pair<int, u32>>{{IA_CMD_OPT_SET, 1}}));
    iasim::clearCalls();
    iasim::failCommand(16, IA_CMD_OPT_SET, -1);
    EXPECT_FALSE(c->irisUp());
    EXPECT_FALSE(c->irisDown());
    EXPECT_FALSE(c->setIrisValue(1000));
    EXPECT_TRUE(iasim::calls(83).empty());
    EXPECT_TRUE(iasim::calls(84).empty());
    EXPECT_TRUE(iasim::calls(82).empty());
}

TEST_F(AccessorTest, SwitchingOneLightOnSwitchesTheOtherOffFirst) {
    auto c = make();
    std::vector<KeyVal> vecScheme = smallScheme();
    vecScheme.push_back({160, 0});
    vecScheme.push_back({170, 1});
    TA::install(*c, 4, vecScheme);
    iasim::setValue(0, 168, 1);  // the white light is on
    iasim::clearCalls();
    EXPECT_TRUE(c->setIRSwitch(1));
    std::vector<std::pair<int, u32>> vecOrder;
    for (const iasim::IaCall& call : iasim::calls()) {
        if (call.nOpt == IA_CMD_OPT_SET) vecOrder.push_back({call.nCmd, call.value()});
    }
    EXPECT_EQ(vecOrder, (std::vector<std::pair<int, u32>>{{168, 0}, {160, 1}}));
    EXPECT_EQ(cached(*c, 0, 170), 0u);
    EXPECT_EQ(cached(*c, 0, 160), 1u);

    // And the other way round: the infrared light, now on, goes off before the white light comes on.
    iasim::clearCalls();
    EXPECT_TRUE(c->setWhiteSwitch(1));
    vecOrder.clear();
    for (const iasim::IaCall& call : iasim::calls()) {
        if (call.nOpt == IA_CMD_OPT_SET) vecOrder.push_back({call.nCmd, call.value()});
    }
    EXPECT_EQ(vecOrder, (std::vector<std::pair<int, u32>>{{160, 0}, {168, 1}}));
}

TEST_F(AccessorTest, ALightStaysOffWhenTheOtherCannotBeSwitchedOff) {
    auto c = make();
    iasim::setValue(0, 168, 1);
    iasim::failCommand(168, IA_CMD_OPT_SET, -1);
    EXPECT_FALSE(c->setIRSwitch(1));
    EXPECT_TRUE(iasim::calls(160).empty());

    iasim::clearFailures();
    iasim::failCommand(160, IA_CMD_OPT_GET, -1);
    iasim::clearCalls();
    EXPECT_FALSE(c->setWhiteSwitch(1));  // the infrared state cannot be read
    for (const iasim::IaCall& call : iasim::calls(168)) EXPECT_NE(call.nOpt, IA_CMD_OPT_SET);
}

TEST_F(AccessorTest, SwitchingALightOffIgnoresTheOther) {
    auto c = make();
    iasim::setValue(0, 168, 1);
    iasim::clearCalls();
    EXPECT_TRUE(c->setIRSwitch(0));
    EXPECT_TRUE(iasim::calls(168).empty());
}

TEST_F(AccessorTest, LightTypeBounds) {
    auto c = make();
    for (int nType : {4, -1, 1000}) {
        EXPECT_FALSE(c->setLightType(nType)) << nType;
    }
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_EQ(cached(*c, 0, 224), 0u);
    for (int nType : {3, 0}) {
        EXPECT_TRUE(c->setLightType(nType)) << nType;
        EXPECT_EQ(cached(*c, 0, 224), static_cast<u32>(nType));
    }
}

TEST_F(AccessorTest, ShutterStepsAtTheEndsOfTheTable) {
    useShutterRange({10, 20, 30});
    auto c = make();
    iasim::setValue(0, 49, 30);
    int nIndex = -1;
    EXPECT_TRUE(c->getShutterValue(nIndex));
    EXPECT_EQ(nIndex, 2);
    iasim::clearCalls();
    EXPECT_TRUE(c->shutterUp());  // at the top: the same value again
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 30}));
    iasim::setValue(0, 49, 30);
    EXPECT_TRUE(c->shutterDown());
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 20}));
    iasim::setValue(0, 49, 10);
    EXPECT_TRUE(c->shutterDown());  // at the bottom
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 10}));
    iasim::setValue(0, 49, 10);
    EXPECT_TRUE(c->shutterUp());
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 20}));
}

TEST_F(AccessorTest, ShutterTableTakesTheFirstThirtyValues) {
    useShutterRange(oneTo(35));
    auto c = make();
    iasim::setValue(0, 49, 330);  // the 33rd value: outside the table
    int nIndex = -1;
    EXPECT_FALSE(c->getShutterValue(nIndex));
    EXPECT_FALSE(c->shutterUp());
    EXPECT_FALSE(c->shutterDown());
    iasim::setValue(0, 49, 300);  // the 30th: the table's top
    EXPECT_TRUE(c->getShutterValue(nIndex));
    EXPECT_EQ(nIndex, 29);
    EXPECT_TRUE(c->shutterUp());
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 300}));

    EXPECT_TRUE(c->setShutterValue(0));
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 10}));
    EXPECT_TRUE(c->setShutterValue(29));
    EXPECT_EQ(sent(49).back(), (std::pair<int, u32>{IA_CMD_OPT_SET, 300}));
    iasim::clearCalls();
    EXPECT_FALSE(c->setShutterValue(30));
    EXPECT_FALSE(c->setShutterValue(-1));
    for (const iasim::IaCall& call : iasim::calls(49)) EXPECT_NE(call.nOpt, IA_CMD_OPT_SET);
}

TEST_F(AccessorTest, ShutterStepsWithoutARange) {
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic.clear();
    iasim::setProfile(stProfile);
    auto c = make();
    int nIndex = -1;
    EXPECT_FALSE(c->getShutterValue(nIndex));
    EXPECT_FALSE(c->setShutterValue(0));
    EXPECT_FALSE(c->shutterUp());
    iasim::failCommand(49, IA_CMD_OPT_GET, -1);
    useShutterRange({10, 20});
    EXPECT_FALSE(c->shutterDown());
}

TEST_F(AccessorTest, DirectCommandsAndTheirRecords) {
    auto c = make();
    std::string strVersion;
    EXPECT_TRUE(c->getCameraVerInf(strVersion));
    EXPECT_EQ(strVersion, "IASIM V1.0.0 build 1");

    int nA = 0, nB = 0, nC = 0;
    EXPECT_TRUE(c->getAutoExposureInfo(nA, nB, nC));  // the simulator's record is {20000, 16, 300}
    EXPECT_EQ(nA, 300);
    EXPECT_EQ(nB, 20000);
    EXPECT_EQ(nC, 16);

    for (u32 nHeat : {0u, 1u, 0x100u}) {
        iasim::setValue(0, 1606, nHeat);
        bool bHeat = nHeat == 0;
        EXPECT_TRUE(c->getHeatStatus(bHeat));
        EXPECT_EQ(bHeat, nHeat != 0) << nHeat;
    }

    iasim::setDayNight(0, 1);
    int nState = 0;
    EXPECT_TRUE(c->getDNState(nState));
    EXPECT_EQ(nState, 1);
    int nStatus = -1;
    EXPECT_TRUE(c->getCmdExecStatus(1539, nStatus));
    EXPECT_EQ(nStatus, 0);
    EXPECT_EQ(iasim::calls(1539).back().nOpt, IA_CMD_OPT_GET_EXEC_STATUS);

    ia_ir_led_info_st stLeds = {4, 850, 2000, {0, 0, 0, 0, 0}};
    EXPECT_TRUE(c->setIrLedInfo(&stLeds));
    ia_ir_led_info_st stSent = ia_ir_led_info_st();
    ASSERT_TRUE(iasim::calls(IA_CMD_IR_LED_INFO).back().record(stSent));
    EXPECT_EQ(memcmp(&stSent, &stLeds, sizeof(stLeds)), 0);

    // The white light is read under the IA commands of its keys' rows.
    iasim::setValue(0, 168, 1);
    iasim::setValue(0, 169, 2);
    int nWhite = 0;
    EXPECT_TRUE(c->getWhiteSwitch(nWhite));
    EXPECT_EQ(nWhite, 1);
    EXPECT_TRUE(c->getWhiteMode(nWhite));
    EXPECT_EQ(nWhite, 2);

    iasim::failCommand(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, -1);
    iasim::failCommand(IA_CMD_AE_INFO, IA_CMD_OPT_GET, -1);
    EXPECT_FALSE(c->getCameraVerInf(strVersion));
    EXPECT_EQ(strVersion, "IASIM V1.0.0 build 1");
    EXPECT_FALSE(c->getAutoExposureInfo(nA, nB, nC));
}

TEST_F(AccessorTest, ShowFlags) {
    auto c = make();
    ISensorController objOther;
    c->setShowWDRFalg(false);
    bool bShow = true;
    EXPECT_TRUE(c->getShowWDRFalg(bShow));
    EXPECT_FALSE(bShow);
    objOther.getShowWDRFalg(bShow);
    EXPECT_TRUE(bShow);  // per channel

    c->setShowBeawayFalg(false);
    objOther.getShowBeawayFalg(bShow);
    EXPECT_FALSE(bShow);  // shared by every channel

    SensorZoomFocusParam objParam;
    objParam.setLockZoomFocusEnable(true);
    EXPECT_EQ(c->setSensorZoomFocusParam(objParam), 0);
    SensorZoomFocusParam objOut;
    EXPECT_EQ(c->getSensorZoomFocusParam(objOut), 0);
    EXPECT_TRUE(objOut.getLockZoomFocusEnable());
}
