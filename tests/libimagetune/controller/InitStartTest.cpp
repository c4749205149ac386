// Start-up end to end: the version check and stale files, the scheme files and what is read from them, the
// module's markers, the first scheme, and the background thread.
#include "InitTestDevice.h"
#include "SensorFile.h"

using testsupport::setDebugSign;

TEST_F(InitTest, FirstStartOnBlankFlashCreatesEverySchemeFromTheFactoryValues) {
    setDebugSign(m_root, "4");
    // Left over from another library version: channel 1's schemes 0-3 in any config* folder go, the rest stays.
    m_root.write("/mnt/mtd/code/config_file/sensor1_2.cfg", "old");
    m_root.write("/mnt/mtd/code/config_backup/sensor1_3.cfg", "old");
    m_root.write("/mnt/mtd/code/config_backup/sensor2_0.cfg", "other channel");
    m_root.write("/mnt/mtd/code/config_backup/sensor1_4.cfg", "beyond the stale range");
    m_root.write("/mnt/mtd/code/notconfig/sensor1_0.cfg", "not a config folder");

    ISensorController& c = startCaptured();

    EXPECT_NE(m_strOut.find("[sensor warn]"), std::string::npos) << m_strOut;
    EXPECT_NE(m_strOut.find("check the sensor version,   local(0) --> libimagetune.so(8), source the cmd: rm -rf "
                            "/mnt/mtd/code/config*/sensor*"),
              std::string::npos)
        << m_strOut;
    EXPECT_FALSE(m_root.exists("/mnt/mtd/code/config_backup/sensor1_3.cfg"));
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/config_backup/sensor2_0.cfg"));
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/config_backup/sensor1_4.cfg"));
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/notconfig/sensor1_0.cfg"));

    // Every user scheme from the factory values, scheme mode 0; the stale scheme 2 is replaced too.
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(readScheme(schemePath(1, s)), smallStyleFactory(0)) << "scheme " << s;
    }
    EXPECT_FALSE(m_root.exists(schemePath(1, 4)));  // the factory scheme has no file
    u32 nVersion = 0;
    ASSERT_EQ(getVersion(&nVersion), 0);
    EXPECT_EQ(nVersion, 8u);

    // Scheme 0 applied in full: every key that reaches the IA library was sent with its factory value.
    EXPECT_EQ(lastSet(34), 50u);
    EXPECT_EQ(lastSet(2337), 60u);
    EXPECT_EQ(lastSet(144), 1u);
    EXPECT_EQ(lastSet(96), 0u);
    int nScheme = -1;
    c.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    EXPECT_TRUE(c.getSensorStatus());
    EXPECT_TRUE(threadServesRequests());
}

TEST_F(InitTest, NoVersionWarningBelowDebugLevelFour) {
    setDebugSign(m_root, "3");
    startCaptured();
    EXPECT_EQ(m_strOut.find("check the sensor version"), std::string::npos) << m_strOut;
    EXPECT_TRUE(m_root.exists(schemePath(1, 0)));
}

TEST_F(InitTest, SecondStartReadsTheStoredSchemesAndWritesOnlyTheVersion) {
    start().uinit();
    // The user's saved values, and a copy elsewhere that a stale-file sweep would remove.
    std::vector<KeyVal> vecDay = with(smallStyleFactory(), 34, 77);
    writeScheme(schemePath(1, 0), vecDay);
    writeScheme(schemePath(1, 2), with(smallStyleFactory(), 34, 22));
    m_root.write("/mnt/mtd/code/config_backup/sensor1_1.cfg", "kept");
    setDebugSign(m_root, "6");
    iasim::clearCalls();

    ISensorController& c = startCaptured();

    EXPECT_EQ(m_strOut.find("check the sensor version"), std::string::npos) << m_strOut;
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/config_backup/sensor1_1.cfg"));
    EXPECT_EQ(readScheme(schemePath(1, 0)), vecDay);
    EXPECT_EQ(valueOf(readScheme(schemePath(1, 2)), 34), 22u);
    EXPECT_NE(m_strOut.find("ISensorController::initSensor  success"), std::string::npos);
    EXPECT_EQ(lastSet(34), 77u);
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(nVal, 77);
    ASSERT_TRUE(c.setParamScheme(2));
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(nVal, 22);
}

TEST_F(InitTest, SecondStartTouchesNoSchemeFile) {
    start().uinit();
    // Edits made outside the library show that no file was rewritten or recreated.
    for (int s = 0; s < 4; ++s) writeScheme(schemePath(1, s), with(smallStyleFactory(), 2337, 90 + s));
    m_root.write(SNS_VERSION_FILE, std::string("\x08\0\0\0", 4));
    start();
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(readScheme(schemePath(1, s)), with(smallStyleFactory(), 2337, 90 + s)) << "scheme " << s;
    }
}

TEST_F(InitTest, ASchemeFileThatCannotBeReadKeepsTheFactoryValues) {
    start().uinit();
    // A torn write of an older version: not a whole number of records.
    writeScheme(schemePath(1, 3), {{8000, 0}, {34, 99}});
    m_root.write(schemePath(1, 3), m_root.read(schemePath(1, 3)).substr(0, 12));
    ISensorController& c = start();
    ASSERT_TRUE(c.setParamScheme(3));
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(nVal, 50);
    ASSERT_TRUE(c.getParameter(2337, nVal));
    EXPECT_EQ(nVal, 60);
}

struct LprCase {
    const char* szName;
    int nDeviceType;
    const char* szDetail;
    bool bLpr;
};

class InitLprTest : public InitTest, public ::testing::WithParamInterface<LprCase> {};

TEST_P(InitLprTest, NightSchemeOfAFirstStart) {
    const LprCase& t = GetParam();
    seed(t.nDeviceType, smallStyle(3));
    start(t.szDetail);
    std::vector<KeyVal> vecDay = readScheme(schemePath(1, 0));
    std::vector<KeyVal> vecNight = readScheme(schemePath(1, 1));
    if (t.bLpr) {
        // The day scheme keeps the style's scheme mode; the night scheme gets the LPR values.
        EXPECT_EQ(vecDay, smallStyleFactory(3));
        std::vector<KeyVal> vecExpected = smallStyleFactory(3);
        for (const KeyVal& kv : std::vector<KeyVal>{{144, 0}, {49, 18}, {51, 20}, {96, 1}, {161, 2}, {163, 40}}) {
            vecExpected = with(vecExpected, kv.key, kv.value);
        }
        EXPECT_EQ(vecNight, vecExpected);
        EXPECT_EQ(readScheme(schemePath(1, 2)), smallStyleFactory(3));
    } else {
        EXPECT_EQ(vecDay, smallStyleFactory(0));
        EXPECT_EQ(vecNight, smallStyleFactory(0));
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, InitLprTest,
                         ::testing::Values(LprCase{"Lpr", 8, "(lensId=3)", true},
                                           LprCase{"LprWithInfrared0", 8, "(isInfrared=0)", false},
                                           LprCase{"LprWithInfrared1", 8, "(isInfrared=1)(lensId=3)", false},
                                           LprCase{"BoxCamera", 1, "(lensId=3)", false}),
                         [](const ::testing::TestParamInfo<LprCase>& i) { return std::string(i.param.szName); });

struct MarkerCase {
    const char* szName;
    const char* szDetail;
    bool bHasLens;
    bool bLimitedIr;
};

class InitMarkerTest : public InitTest, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(InitMarkerTest, DetailMarkers) {
    const MarkerCase& t = GetParam();
    ISensorController& c = startCaptured(t.szDetail);
    iasim::clearCalls();
    EXPECT_TRUE(c.setZoomValue(20000));
    EXPECT_EQ(iasim::calls(1568).size(), t.bHasLens ? 1u : 0u);
    EXPECT_EQ(m_strOut.find("#### m_bisLimitedIrPower is true!\n") != std::string::npos, t.bLimitedIr);
}

INSTANTIATE_TEST_SUITE_P(Details, InitMarkerTest,
                         ::testing::Values(MarkerCase{"LensZero", "(lensId=0)", false, false},
                                           MarkerCase{"LensThree", "(lensId=3)", true, false},
                                           MarkerCase{"LensWithoutClosingParenthesis", "(lensId=3", false, false},
                                           MarkerCase{"LensWithoutEquals", "(lensId)", false, false},
                                           MarkerCase{"NoLensMarker", "(sensorType=sc533hai)", false, false},
                                           MarkerCase{"LimitedInfrared", "(isInfrared=17)(lensId=3)", true, true},
                                           MarkerCase{"OrdinaryInfrared", "(isInfrared=1)(lensId=3)", true, false}),
                         [](const ::testing::TestParamInfo<MarkerCase>& i) { return std::string(i.param.szName); });

TEST_F(InitTest, LensMarkerOnlyEverClearsTheLens) {
    ISensorController& c = start("(lensId=0)");
    ModuleConfigure objModule;
    objModule.setDetail("(lensId=3)");
    c.uinit();
    c.init(objModule);
    iasim::clearCalls();
    c.setZoomValue(20000);
    EXPECT_TRUE(iasim::calls(1568).empty());
}

TEST_F(InitTest, StoredDayNightModeLetsTheThreadPassChooseTheScheme) {
    start().uinit();
    writeScheme(schemePath(1, 0), with(with(smallStyleFactory(), 8000, 2), 34, 11));
    writeScheme(schemePath(1, 1), with(with(smallStyleFactory(), 8000, 2), 34, 22));
    iasim::setDayNight(0, 1);
    iasim::clearCalls();

    ISensorController& c = start();

    int nScheme = -1;
    c.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 1);
    // init applied no scheme of its own: the day scheme's brightness never reached the IA library.
    for (const iasim::IaCall& call : iasim::calls(34)) EXPECT_NE(call.value(), 11u);
    EXPECT_EQ(lastSet(34), 22u);
    EXPECT_TRUE(TA::dnSchemeMode(c));
    EXPECT_FALSE(TA::timeSchemeMode(c));
}

TEST_F(InitTest, StoredDayNightModeByDayChoosesTheDayScheme) {
    start().uinit();
    writeScheme(schemePath(1, 0), with(with(smallStyleFactory(), 8000, 2), 34, 11));
    iasim::setDayNight(0, 0);
    ISensorController& c = start();
    int nScheme = -1;
    c.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    EXPECT_EQ(lastSet(34), 11u);
}

TEST_F(InitTest, StoredTimeModeSetsTheTimeFlag) {
    start().uinit();
    writeScheme(schemePath(1, 0), with(smallStyleFactory(), 8000, 1));
    ISensorController& c = start();
    EXPECT_TRUE(TA::timeSchemeMode(c));
    EXPECT_FALSE(TA::dnSchemeMode(c));
}

TEST_F(InitTest, MapIsBuiltWithItsRows) {
    ISensorController c;
    EXPECT_EQ(TA::keyCmdSum(c), 170u);
    c.setVideoStreamModule(&m_video);
    c.init(ModuleConfigure());
    EXPECT_EQ(TA::keyCmdSum(c), 166u);
    keycmd stRow = keycmd();
    EXPECT_GE(TA::findFromKeyCmdMap(c, 34, stRow), 0);
    c.uinit();
}

TEST_F(InitTest, ThermalChannelUsesTheThermalFiles) {
    seed(14);
    m_root.write("/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml", smallStyle());
    m_root.write("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_Thermal.xml", "<StyleDiversity/>\n");
    m_root.write("/mnt/mtd/code/config_file/sensor-thermal7.cfg", "stale");
    m_root.write("/mnt/mtd/code/config_file/sensor2_0.cfg", "not thermal");
    start("(lensId=0)", 2);
    EXPECT_EQ(readScheme("/mnt/mtd/code/config_file/sensor-thermal0.cfg"), smallStyleFactory(0));
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/config_file/sensor-thermal3.cfg"));
    EXPECT_FALSE(m_root.exists("/mnt/mtd/code/config_file/sensor-thermal7.cfg"));
    EXPECT_TRUE(m_root.exists("/mnt/mtd/code/config_file/sensor2_0.cfg"));
}

TEST_F(InitTest, ModuleSchemeCountDecidesTheFiles) {
    start("(lensId=3)(max_scheme=2)");
    EXPECT_TRUE(m_root.exists(schemePath(1, 1)));
    EXPECT_FALSE(m_root.exists(schemePath(1, 2)));
}
