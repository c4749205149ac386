// Saving the current scheme, re-applying stored values and undoing unsaved changes.
#include <cstring>

#include "SchemeTestFixture.h"
#include "SensorFile.h"

namespace {

typedef ISensorController SC;

const char* const SCHEME_2_FILE = "/mnt/mtd/code/config_file/sensor1_2.cfg";

std::string bytesOf(const KeyVal* p_pKeyVal, u32 p_nNum) {
    return std::string(reinterpret_cast<const char*>(p_pKeyVal), sizeof(KeyVal) * p_nNum);
}

struct FlushCase {
    u32 nStartH, nStartM, nEndH, nEndM;
    int nResult;
};

class FlushWindow : public SchemeTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushWindow, SavesOnlyAValidWindow) {
    const FlushCase& tc = GetParam();
    auto c = makeSchemes();
    setWindow(*c, 2, tc.nStartH, tc.nStartM, tc.nEndH, tc.nEndM);
    TA::setCurScheme(*c, 2);
    EXPECT_EQ(c->flush(), tc.nResult);
    EXPECT_EQ(m_root.exists(SCHEME_2_FILE), tc.nResult == 0);
}

INSTANTIATE_TEST_SUITE_P(Table, FlushWindow,
                         ::testing::Values(FlushCase{25, 0, 26, 0, 505},  // start after 24:00, whatever the end
                                           FlushCase{24, 1, 8, 0, 505}, FlushCase{8, 0, 24, 30, 506},  // 2430 > 2400
                                           FlushCase{10, 0, 10, 0, 507},                               // empty window
                                           FlushCase{18, 0, 8, 0, 507},                                // reversed
                                           FlushCase{0, 0, 24, 0, 0},  // 2400 is not above 2400
                                           FlushCase{7, 59, 8, 0, 0}));

TEST_F(SchemeTest, FlushWritesTheCurrentSchemeByteForByte) {
    auto c = makeSchemes();
    setWindow(*c, 2, 8, 0, 18, 0);
    TA::setCurScheme(*c, 2);
    ASSERT_EQ(c->setParameter(KEY_BRIGHTNESS, 77, true), 0);
    ASSERT_EQ(c->flush(), 0);
    const u32 n = TA::keyValSum(*c);
    std::string strFile = m_root.read(SCHEME_2_FILE);
    EXPECT_EQ(strFile.size(), sizeof(KeyVal) * n);
    EXPECT_EQ(strFile, bytesOf(TA::scheme(*c, 2), n));

    // And back: the file read into an array gives the same records.
    std::vector<KeyVal> vecBack(n);
    char szName[] = "/mnt/mtd/code/config_file/sensor1_2.cfg";
    ASSERT_EQ(keyValFromFile(szName, vecBack.data(), n), SNS_SUCCESS);
    EXPECT_EQ(bytesOf(vecBack.data(), n), bytesOf(TA::scheme(*c, 2), n));
    EXPECT_FALSE(m_root.exists("/mnt/mtd/code/config_file/sensor1_0.cfg"));
}

TEST_F(SchemeTest, FlushNamesTheFileAfterTheChannel) {
    struct NameCase {
        int nDeviceType;
        int nChannel;
        const char* szFile;
    };
    for (const NameCase& tc : {NameCase{1, 3, "/mnt/mtd/code/config_file/sensor3_1.cfg"},
                               NameCase{17, 2, "/mnt/mtd/code/config_file/sensor-thermal1.cfg"}}) {
        auto c = makeSchemes(tc.nDeviceType);
        c->setChannelID(tc.nChannel);
        setWindow(*c, 1, 1, 0, 2, 0);
        TA::setCurScheme(*c, 1);
        EXPECT_EQ(c->flush(), 0);
        EXPECT_TRUE(m_root.exists(tc.szFile)) << tc.szFile;
        m_root.remove(tc.szFile);
    }
}

TEST_F(SchemeTest, FlushSavesNothingWithoutAUserScheme) {
    auto c = makeSchemes();
    TA::setCurScheme(*c, 4);  // the factory scheme has no file
    EXPECT_EQ(c->flush(), 0);
    TA::setCurScheme(*c, -1);
    EXPECT_EQ(c->flush(), 0);
    ISensorController objBare;
    EXPECT_EQ(objBare.flush(), 0);
    for (int s = 0; s <= 4; ++s) {
        EXPECT_FALSE(m_root.exists("/mnt/mtd/code/config_file/sensor1_" + std::to_string(s) + ".cfg")) << s;
    }
}

TEST_F(SchemeTest, FlushHandsAWriteFailureToTheCaller) {
    auto c = makeSchemes();
    setWindow(*c, 2, 8, 0, 18, 0);
    TA::setCurScheme(*c, 2);
    qxsim::failOpenForWrite("config_file");
    EXPECT_NE(c->flush(), 0);
    qxsim::resetFaults();
    EXPECT_FALSE(m_root.exists(SCHEME_2_FILE));
}

TEST_F(SchemeTest, RestoreReappliesTheStoredValueOfOneKey) {
    auto c = makeSchemes();
    TA::setCurScheme(*c, 2);
    EXPECT_EQ(c->restore(KEY_BRIGHTNESS), 0);
    EXPECT_EQ(setCommands(), std::set<int>{KEY_BRIGHTNESS});
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{52});
    // Applied again even though the value is the one in force.
    EXPECT_EQ(c->restore(KEY_BRIGHTNESS), 0);
    EXPECT_EQ(sent(KEY_BRIGHTNESS), (std::vector<u32>{52, 52}));
}

TEST_F(SchemeTest, RestoreOfAKeyTheSchemeDoesNotHoldReports) {
    auto c = makeSchemes();
    testsupport::StdoutCapture objOut;
    objOut.start();
    EXPECT_EQ(c->restore(1536), -1);
    std::string strOut = objOut.stop();
    EXPECT_NE(strOut.find("-1 != nPos"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("restore key(1536) failed! make sure it is sensor ui key"), std::string::npos) << strOut;
    EXPECT_EQ(setCount(), 0u);

    ISensorController objBare;
    EXPECT_EQ(objBare.restore(KEY_BRIGHTNESS), -1);
}

TEST_F(SchemeTest, RestoreAeModeFollowsLensAndThermal) {
    const u32 KEY_AUTO_FOCUS_MODE = 1536;
    const u32 KEY_EXPOSE_MODE = 16;
    struct AeCase {
        const char* szName;
        bool bHasLens;
        bool bThermal;
        bool bFocusStored;
        bool bResult;
        std::set<int> setApplied;
    };
    const AeCase aCases[] = {
        {"thermal without lens", false, true, false, true, {}},
        {"thermal with lens", true, true, true, true, {1536}},
        {"lens whose focus mode is not stored", true, false, false, false, {}},
        {"visible with lens", true, false, true, true, {1536, 16}},
        {"visible without lens", false, false, false, true, {16}},
    };
    for (const AeCase& tc : aCases) {
        SCOPED_TRACE(tc.szName);
        auto c = makeSchemes();
        TA::setHasLens(*c, tc.bHasLens);
        TA::setThermal(*c, tc.bThermal);
        // Slots of keys the small scheme does not use become the two modes.
        KeyVal* a = TA::scheme(*c, 0);
        a[TA::keyValSum(*c) - 1] = {KEY_EXPOSE_MODE, 1};
        if (tc.bFocusStored) a[TA::keyValSum(*c) - 2] = {KEY_AUTO_FOCUS_MODE, 2};
        iasim::clearCalls();
        EXPECT_EQ(c->restoreAeMode(), tc.bResult);
        EXPECT_EQ(setCommands(), tc.setApplied);
    }
}

TEST_F(SchemeTest, ResetToLastParametersUndoesUnsavedChanges) {
    auto c = makeSchemes();
    setWindow(*c, 2, 8, 0, 18, 0);
    TA::setCurScheme(*c, 2);
    ASSERT_EQ(c->flush(), 0);
    ASSERT_EQ(c->setParameter(KEY_BRIGHTNESS, 90, true), 0);
    ASSERT_EQ(c->setParameter(KEY_SATURATION, 10, true), 0);
    iasim::clearCalls();

    EXPECT_TRUE(c->resetToLastParameters());
    // Only what differs from the saved scheme is applied, and the scheme holds the saved values again.
    EXPECT_EQ(setCommands(), (std::set<int>{KEY_BRIGHTNESS, KEY_SATURATION}));
    EXPECT_EQ(sent(KEY_BRIGHTNESS), std::vector<u32>{52});
    EXPECT_EQ(sent(KEY_SATURATION), std::vector<u32>{128});
    EXPECT_EQ(cached(*c, 2, KEY_BRIGHTNESS), 52u);
    EXPECT_EQ(cached(*c, 2, KEY_SATURATION), 128u);
    EXPECT_EQ(TA::status(*c) & SC::STATUS_RESTORE, 0);
    EXPECT_EQ(m_root.read(SCHEME_2_FILE), bytesOf(TA::scheme(*c, 2), TA::keyValSum(*c)));
}

// A file that cannot be read is no saved scheme: nothing of it may be applied.
TEST_F(SchemeTest, ResetToLastParametersAppliesNothingFromAnUnreadableFile) {
    for (bool bTornFile : {false, true}) {
        SCOPED_TRACE(bTornFile ? "torn file" : "missing file");
        auto c = makeSchemes();
        TA::setCurScheme(*c, 2);
        if (bTornFile) {
            // Records of a scheme whose brightness differs, the last one cut short.
            KeyVal aShort[3] = {{KEY_BRIGHTNESS, 5}, {KEY_SATURATION, 6}, {KEY_DN_MODE, 2}};
            m_root.write(SCHEME_2_FILE, bytesOf(aShort, 3).substr(0, 20));
        }
        ASSERT_EQ(c->setParameter(KEY_BRIGHTNESS, 90, true), 0);
        iasim::clearCalls();
        testsupport::StdoutCapture objOut;
        objOut.start();
        EXPECT_FALSE(c->resetToLastParameters());
        std::string strOut = objOut.stop();
        EXPECT_NE(strOut.find("SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum)"), std::string::npos)
            << strOut;
        EXPECT_NE(strOut.find("szTmp(/mnt/mtd/code/config_file/sensor1_2.cfg), m_nKeyValSum("), std::string::npos)
            << strOut;
        EXPECT_EQ(setCount(), 0u);
        EXPECT_EQ(cached(*c, 2, KEY_BRIGHTNESS), 90u);
        EXPECT_EQ(TA::status(*c) & SC::STATUS_RESTORE, 0);
        m_root.remove(SCHEME_2_FILE);
    }
}

TEST_F(SchemeTest, ResetToLastParametersWithoutAUserSchemeDoesNothing) {
    auto c = makeSchemes();
    TA::setCurScheme(*c, 4);
    EXPECT_TRUE(c->resetToLastParameters());
    EXPECT_TRUE(iasim::calls().empty());
    ISensorController objBare;
    EXPECT_TRUE(objBare.resetToLastParameters());
}

}  // namespace
