// Results that say what happened: every pair of a text is applied, a save that failed (or could not be kept)
// is reported as a failure, a stopped channel says it is stopped, and a key without a row never lets the IA
// library read past its value.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "InitTestDevice.h"

namespace {

class HonestResults : public InitTest {};

// A key without a row is sent as the IA command of that number; the commands whose set reads a record read a
// whole zeroed record with the value in front, never the bytes beyond the 4-byte value: neither past a single
// pair (setParameter) nor past the end of the scratch array (a text whose last pair fills it).
TEST_F(HonestResults, AKeyWithoutARowSendsAWholeRecord) {
    ISensorController& c = start();
    testsupport::setDebugSign(m_root, "-1");  // the missing row is reported on every call
    const size_t nSchemeKeys = smallStyleFactory().size();
    for (int nCmd : {178, 2496, 2816}) {
        const size_t nSize = iasim::recordSize(nCmd, IA_CMD_OPT_SET);
        ASSERT_GT(nSize, sizeof(u32));
        std::string strFull;
        for (size_t i = 1; i < nSchemeKeys; ++i) strFull += "(34," + std::to_string(i) + ")";
        strFull += "(" + std::to_string(nCmd) + ",5)";
        for (bool bText : {false, true}) {
            SCOPED_TRACE(std::to_string(nCmd) + (bText ? " in a full text" : " alone"));
            iasim::clearCalls();
            if (bText)
                c.setParameters(strFull, false);
            else
                c.setParameter(nCmd, 5, false);
            std::vector<iasim::IaCall> vecCalls = iasim::calls(nCmd);
            ASSERT_EQ(1u, vecCalls.size());
            ASSERT_EQ(nSize, vecCalls[0].vecData.size());
            EXPECT_EQ(5u, vecCalls[0].value());
            for (size_t i = sizeof(u32); i < nSize; ++i) ASSERT_EQ(0, vecCalls[0].vecData[i]) << "byte " << i;
        }
    }
}

// The scratch array holds as many pairs as the scheme has keys; a text with more (a key repeated) is applied
// whole, its last pairs included.
TEST_F(HonestResults, ATextWithMorePairsThanTheSchemeIsAppliedWhole) {
    ISensorController& c = start();
    std::string strText;
    for (int i = 1; i <= 40; ++i) strText += "(34," + std::to_string(i) + ")";
    strText += "(2337,77)";
    iasim::clearCalls();
    EXPECT_EQ(0, c.setParameters(strText, true));
    int nVal = 0;
    ASSERT_TRUE(c.getParameter(2337, nVal));
    EXPECT_EQ(77, nVal);
    ASSERT_TRUE(c.getParameter(34, nVal));
    EXPECT_EQ(40, nVal);
    EXPECT_EQ(77u, lastSet(2337));
    EXPECT_EQ(41u, iasim::calls(34).size() + iasim::calls(2337).size());
}

TEST_F(HonestResults, MirrorModeFailsWhenItsSaveFails) {
    ISensorController& c = start();
    testsupport::setDebugSign(m_root, "-1");
    EXPECT_TRUE(c.setMirrorMode(1));
    EXPECT_EQ(1u, valueOf(readScheme(schemePath(1, 0)), 2384));
    qxsim::failOpenForWrite("config_file");
    EXPECT_FALSE(c.setMirrorMode(0));
    qxsim::failOpenForWrite("");
    EXPECT_EQ(1u, valueOf(readScheme(schemePath(1, 0)), 2384)) << "the stored scheme is as it was";
}

// Without the version file every start removes the schemes as stale: a save puts it back first, and fails
// when it cannot.
TEST_F(HonestResults, ASaveNeedsTheVersionFileInPlace) {
    ISensorController& c = start();
    testsupport::setDebugSign(m_root, "-1");
    const std::vector<KeyVal> vecBefore = readScheme(schemePath(1, 0));
    ASSERT_EQ(0, c.setParameters("(34,66)", true));

    m_root.remove("/mnt/mtd/code/config_file/snsversion.cfg");
    qxsim::failOpenForWrite("snsversion");
    EXPECT_NE(0, c.flush());
    qxsim::failOpenForWrite("");
    EXPECT_EQ(vecBefore, readScheme(schemePath(1, 0))) << "a scheme the next start would remove was written";

    EXPECT_EQ(0, c.flush());
    c.uinit();
    ISensorController& d = start();
    int nVal = 0;
    ASSERT_TRUE(d.getParameter(34, nVal));
    EXPECT_EQ(66, nVal) << "the saved scheme did not survive the restart";
}

TEST_F(HonestResults, AChannelWithoutUserSchemesRefusesToSave) {
    for (const char* szDetail : {"(max_scheme=0)", "(max_scheme=)", "(max_scheme=abc)"}) {
        SCOPED_TRACE(szDetail);
        testsupport::setDebugSign(m_root, "");
        ISensorController& c = start(szDetail);
        testsupport::setDebugSign(m_root, "-1");
        EXPECT_NE(0, c.flush());
        EXPECT_FALSE(m_root.exists(schemePath(1, 0)));
        c.uinit();
    }
}

TEST_F(HonestResults, AStoppedChannelSaysSo) {
    ISensorController& c = start();
    EXPECT_TRUE(c.getSensorStatus());
    c.uinit();
    EXPECT_FALSE(c.getSensorStatus());
    c.uinit();  // a second shutdown finds nothing to do
    EXPECT_FALSE(c.getSensorStatus());
    ModuleConfigure objModule;
    objModule.setDetail("(lensId=3)");
    c.init(objModule);
    EXPECT_TRUE(c.getSensorStatus());
}

// The IA channel is the channel number less one: for the lowest number there is none, and no overflow either.
TEST_F(HonestResults, TheLowestChannelNumberReachesTheIaLibraryWithoutOverflow) {
    ISensorController c;
    c.setChannelID(INT_MIN);
    int nState = 0;
    EXPECT_FALSE(c.getDNState(nState));
    std::string strRange;
    int nDefault = 0;
    EXPECT_FALSE(c.getSensorParamRange(49, nDefault, strRange));
}

}  // namespace
