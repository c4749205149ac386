// The key-command map: its rows, the lookup and the cut key names.
#include <string.h>

#include <set>

#include "ControllerFixture.h"

namespace {

// Every key of the map in row order.
const u32 EXPECTED_KEYS[] = {
    8240, 34,   2337, 2353, 2321, 96,   16,   49,   50,   51,   52,   55,   56,   57,   65,   66,   80,   81,   82,
    83,   17,   18,   768,  770,  771,  144,  147,  160,  161,  162,  163,  164,  165,  166,  167,  155,  170,  171,
    172,  173,  174,  2304, 2305, 2306, 2307, 2308, 2309, 2312, 2313, 2368, 2369, 112,  113,  128,  129,  130,  2416,
    2417, 2400, 2401, 176,  190,  191,  192,  193,  2384, 2385, 2386, 145,  146,  154,  149,  150,  151,  152,  1536,
    1537, 1538, 1539, 1616, 1570, 1569, 1553, 1554, 1584, 1571, 8104, 8100, 8101, 8102, 8103, 8105, 8000, 8001, 8002,
    8003, 8004, 10,   11,   13,   1552, 1568, 2432, 2433, 2434, 2435, 2436, 2437, 2438, 2439, 2497, 2512, 2528, 2560,
    8201, 8202, 8203, 8209, 8204, 8205, 8206, 8207, 8208, 8211, 8212, 8217, 8231, 9000, 9001, 9002, 9003, 9004, 9005,
    9101, 9102, 9103, 9104, 9105, 9106, 9201, 9202, 9203, 9204, 9205, 9206, 9301, 9302, 9303, 9304, 9305, 9306, 9401,
    9402, 9403, 9404, 9405, 9406, 168,  175,  200,  203,  224,  2048, 2064, 772,  773};

std::string keyName(const keycmd& r) {
    return std::string(r.szKeyName, strnlen(r.szKeyName, sizeof(r.szKeyName)));
}

TEST_F(ControllerTest, MapHoldsEveryKeyOnceInRowOrder) {
    ISensorController c;
    EXPECT_EQ(TA::keyCmdSum(c), 170u);
    TA::buildKeyCmdMap(c);
    ASSERT_EQ(TA::keyCmdSum(c), 166u);
    ASSERT_EQ(sizeof(EXPECTED_KEYS) / sizeof(EXPECTED_KEYS[0]), 166u);
    const keycmd* pMap = TA::map(c);
    std::set<u32> seen;
    for (u32 i = 0; i < 166; ++i) {
        EXPECT_EQ(pMap[i].nKey, EXPECTED_KEYS[i]) << "row " << i;
        EXPECT_TRUE(seen.insert(pMap[i].nKey).second) << "duplicate key " << pMap[i].nKey;
    }
    // The capacity of 170 rows was allocated; the rows past the table stay zero.
    for (u32 i = 166; i < 170; ++i) {
        EXPECT_EQ(pMap[i].nKey, 0u);
        EXPECT_EQ(pMap[i].pfnHandler, nullptr);
    }
}

TEST_F(ControllerTest, CommandsDifferFromKeysOnlyInTheListedRows) {
    ISensorController c;
    TA::buildKeyCmdMap(c);
    const keycmd* pMap = TA::map(c);
    const std::set<u32> handlerRows = {19, 20, 21, 36, 37, 38, 39, 40, 110};
    const std::set<u32> nullRows = {92, 93, 94, 95, 96, 97, 98, 99, 157, 158, 159, 160};
    for (u32 i = 0; i < 166; ++i) {
        const keycmd& r = pMap[i];
        if (nullRows.count(i)) {
            EXPECT_EQ(r.nCmd, 0u) << "row " << i;
            EXPECT_EQ(r.pfnHandler, nullptr) << "row " << i;
            EXPECT_STREQ(r.szFuncName, "NULL") << "row " << i;
            continue;
        }
        EXPECT_NE(r.pfnHandler, nullptr) << "row " << i;
        EXPECT_EQ(strncmp(r.szFuncName, "&ISensorController::", 20), 0) << "row " << i << " " << r.szFuncName;
        EXPECT_EQ(r.nKey != r.nCmd, handlerRows.count(i) == 1) << "row " << i;
    }
}

struct LookupCase {
    u32 nKey;
    int nRow;
    u32 nCmd;
    const char* szKeyName;
    const char* szFuncName;
};

class Lookup : public ControllerTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(Lookup, FindsTheRowAndCopiesIt) {
    const LookupCase& tc = GetParam();
    ISensorController c;
    TA::buildKeyCmdMap(c);
    keycmd row;
    memset(&row, 0x5A, sizeof(row));
    ASSERT_EQ(TA::findFromKeyCmdMap(c, tc.nKey, row), tc.nRow);
    EXPECT_EQ(row.nKey, tc.nKey);
    EXPECT_EQ(row.nCmd, tc.nCmd);
    EXPECT_EQ(keyName(row), tc.szKeyName);
    EXPECT_STREQ(row.szFuncName, tc.szFuncName);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Lookup,
    ::testing::Values(
        LookupCase{34, 1, 34, "KEY_BRIGHTNESS", "&ISensorController::doIaCmd"},
        LookupCase{8240, 0, 8240, "KEY__DDE_MANUAL_STRG", "&ISensorController::doIaCmd"},
        LookupCase{170, 36, 168, "KEY_WHITE_SWITCH", "&ISensorController::doIaCmd"},
        LookupCase{17, 20, 83, "KEY_IRIS_UP", "&ISensorController::doIaCmd_User"},
        LookupCase{2497, 110, 2464, "KEY_SENSOR_FPS", "&ISensorController::doIaCmd_User"},
        LookupCase{2368, 49, 2368, "KEY_WDR_MODE", "&ISensorController::doHwdr"},
        LookupCase{8211, 123, 8211, "KEY_SHUTTER_ADJUST", "&ISensorController::doIaCmdShutter"},
        LookupCase{8231, 126, 8231, "IA_CMD_UI_SHUTTER_RESET", "&ISensorController::doIaCmd_User"},
        LookupCase{9406, 156, 9406, "KEY_PANO_OFFSETY_4", "&ISensorController::doIaCmd_PanoTuning"},
        LookupCase{8000, 92, 0, "KEY_SCHEME_MODE", "NULL"},
        LookupCase{203, 160, 0, "KEY_WHITE_MANUAL_STRG_INTELL", "NULL"},
        LookupCase{773, 165, 773, "KEY_WB_BG", "&ISensorController::doIaCmd"},
        // Names of 32 characters or more keep their first 32.
        LookupCase{8104, 86, 8104, "KEY_MIXSTREAM_THERMAL_TO_VISION_", "&ISensorController::doIoCrtl"},
        LookupCase{8102, 89, 8102, "KEY_MIXSTREAM_DISTANCE_WIDTH_OFF", "&ISensorController::doIaCmd_PanoTuning"},
        LookupCase{8103, 90, 8103, "KEY_MIXSTREAM_DISTANCE_HEIGHT_OF", "&ISensorController::doIaCmd_PanoTuning"},
        // 31 characters: still terminated inside the field.
        LookupCase{8101, 88, 8101, "KEY_MIXSTREAM_DISTANCE_Y_OFFSET", "&ISensorController::doIaCmd_PanoTuning"}));

TEST_F(ControllerTest, CutNameFillsTheFieldWithoutTerminator) {
    ISensorController c;
    TA::buildKeyCmdMap(c);
    keycmd row = keycmd();
    ASSERT_EQ(TA::findFromKeyCmdMap(c, 8104, row), 86);
    EXPECT_EQ(memcmp(row.szKeyName, "KEY_MIXSTREAM_THERMAL_TO_VISION_", 32), 0);
    EXPECT_EQ(memchr(row.szKeyName, '\0', sizeof(row.szKeyName)), nullptr);
}

TEST_F(ControllerTest, MissLeavesTheRowAndPrintsAtLevelSix) {
    ISensorController c;
    TA::buildKeyCmdMap(c);
    keycmd row;
    memset(&row, 0x5A, sizeof(row));
    keycmd before = row;
    testsupport::StdoutCapture cap;
    cap.start();
    EXPECT_EQ(TA::findFromKeyCmdMap(c, 12, row), -1);
    std::string quiet = cap.stop();
    EXPECT_EQ(memcmp(&row, &before, sizeof(row)), 0);
    EXPECT_EQ(quiet.find("cand not find"), std::string::npos);

    testsupport::setDebugSign(m_root, "6");
    cap.start();
    EXPECT_EQ(TA::findFromKeyCmdMap(c, 201, row), -1);  // a twin that exists only as a cache key
    std::string loud = cap.stop();
    EXPECT_NE(loud.find("\033[0m\033[0mcand not find key-cmd while key=201\n\033[0m"), std::string::npos) << loud;
}

TEST_F(ControllerTest, LookupWithoutMapFindsNothing) {
    ISensorController c;
    keycmd row = keycmd();
    EXPECT_EQ(TA::findFromKeyCmdMap(c, 34, row), -1);
}

// After a shutdown the map is rebuilt from the row count, 166, that the first build left.
TEST_F(ControllerTest, RebuiltMapAfterReleaseIsComplete) {
    ISensorController c;
    TA::buildKeyCmdMap(c);
    TA::releaseArrays(c);
    EXPECT_EQ(TA::keyCmdSum(c), 166u);
    TA::buildKeyCmdMap(c);
    keycmd row = keycmd();
    EXPECT_EQ(TA::findFromKeyCmdMap(c, 773, row), 165);
}

}  // namespace
