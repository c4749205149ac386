// Scheme files are read by key wherever the channel reads them (init, resetToLastParameters, getAllParameters):
// a file of an older layout keeps every value it shares with the style's, a file of random bytes is no scheme,
// and no record of a key the layout lacks is ever applied or reported.
#include <random>
#include <set>
#include <string>

#include "InitTestDevice.h"

namespace {

const u32 KEY_BRIGHTNESS = 34;
const u32 KEY_SATURATION = 2337;
const u32 KEY_FOREIGN = 2496;  // an IA command whose set reads a whole record; no key of the style

// smallStyle() with a KEY_MAX_SHUTTER value that marks a customised shutter list: getAllParameters then reports
// the stored scheme file.
std::string styleReportingTheFile() {
    std::string strStyle = smallStyle();
    const std::string strFrom = "<p id=\"49\" value=\"100\"/>";
    strStyle.replace(strStyle.find(strFrom), strFrom.size(), "<p id=\"49\" value=\"200\"/>");
    return strStyle;
}

class SchemeByKey : public InitTest {
protected:
    // The file an older library wrote: the header, brightness and a key this style no longer has.
    std::vector<KeyVal> olderLayout(u32 p_nBrightness) const {
        return {{8000, 0},       {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {KEY_BRIGHTNESS, p_nBrightness},
                {KEY_FOREIGN, 9}};
    }
    static std::set<int> setCommands() {
        std::set<int> setCmds;
        for (const iasim::IaCall& call : iasim::calls()) {
            if (call.nOpt == IA_CMD_OPT_SET) setCmds.insert(call.nCmd);
        }
        return setCmds;
    }
    int value(ISensorController& c, u32 p_nKey) {
        int nVal = -1;
        EXPECT_TRUE(c.getParameter(static_cast<int>(p_nKey), nVal));
        return nVal;
    }
};

TEST_F(SchemeByKey, AnOlderLayoutKeepsTheValuesItShares) {
    start().uinit();
    writeScheme(schemePath(1, 0), olderLayout(77));
    iasim::clearCalls();
    ISensorController& c = startCaptured();

    EXPECT_EQ(77, value(c, KEY_BRIGHTNESS));
    EXPECT_EQ(60, value(c, KEY_SATURATION)) << "a key the file lacks keeps its factory value";
    EXPECT_EQ(77u, lastSet(KEY_BRIGHTNESS));
    EXPECT_TRUE(iasim::calls(KEY_FOREIGN).empty()) << "a record of a key the style lacks reached the IA library";
    EXPECT_NE(std::string::npos, m_strOut.find("nDropped(1) of nRecords(7)")) << m_strOut;
    // The next save writes the style's layout, with the value the user kept.
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ(with(smallStyleFactory(), KEY_BRIGHTNESS, 77), readScheme(schemePath(1, 0)));
}

// A file of the right length that is no scheme: its "keys" must not become IA commands, and the scheme it
// leaves must still be one that can be saved (not a header that makes every flush fail with 505 to 507).
TEST_F(SchemeByKey, BytesThatAreNoSchemeLeaveTheFactoryValues) {
    start().uinit();
    iasim::clearCalls();
    start().uinit();
    const std::set<int> setFactoryCommands = setCommands();
    const size_t nBytes = smallStyleFactory().size() * sizeof(KeyVal);
    std::mt19937 objRandom(11);
    std::string strRandom(nBytes, '\0');
    for (char& ch : strRandom) ch = static_cast<char>(objRandom());
    const std::pair<const char*, std::string> kFiles[] = {
        {"random", strRandom}, {"zeros", std::string(nBytes, '\0')}, {"all bits set", std::string(nBytes, '\xFF')}};
    for (const auto& stFile : kFiles) {
        SCOPED_TRACE(stFile.first);
        m_root.write(schemePath(1, 0), stFile.second);
        iasim::clearCalls();
        ISensorController& c = startCaptured();
        EXPECT_EQ(50, value(c, KEY_BRIGHTNESS));
        EXPECT_NE(std::string::npos, m_strOut.find("no key of the 14 in the layout")) << m_strOut;
        EXPECT_EQ(setFactoryCommands, setCommands()) << "the IA commands a start with the factory values sends";
        EXPECT_EQ(0, c.flush());
        EXPECT_EQ(smallStyleFactory(), readScheme(schemePath(1, 0)));
        c.uinit();
    }
}

TEST_F(SchemeByKey, ResetToLastParametersAppliesOnlyTheStylesKeys) {
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameters("(34,10)(2337,20)", true));
    writeScheme(schemePath(1, 0), olderLayout(77));
    iasim::clearCalls();

    EXPECT_TRUE(c.resetToLastParameters());
    EXPECT_EQ(77, value(c, KEY_BRIGHTNESS));
    EXPECT_EQ(60, value(c, KEY_SATURATION)) << "the file lacks it: the value init would have loaded";
    EXPECT_EQ(77u, lastSet(KEY_BRIGHTNESS));
    EXPECT_TRUE(iasim::calls(KEY_FOREIGN).empty());
}

TEST_F(SchemeByKey, GetAllParametersReportsOnlyTheStylesKeys) {
    seed(1, styleReportingTheFile());
    ISensorController& c = start();
    writeScheme(schemePath(1, 0), olderLayout(77));
    std::string strAll;
    ASSERT_TRUE(c.getAllParameters(strAll));
    EXPECT_EQ(std::string::npos, strAll.find("(2496,")) << strAll;
    EXPECT_NE(std::string::npos, strAll.find("(34,77)(2337,60)")) << strAll;
}

}  // namespace
