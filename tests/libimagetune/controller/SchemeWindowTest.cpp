// The time window of a scheme as the save check and the sensor thread read it: a window that flush accepts is
// one the thread matches, at exactly the times inside it, whatever the stored hour and minute are.
#include "SchemeTestFixture.h"

namespace {

struct WindowCase {
    const char* szName;
    u32 nStartH, nStartM, nEndH, nEndM;
    int nFlush;
};

class SchemeWindow : public SchemeTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(SchemeWindow, FlushAcceptsOnlyWindowsTheThreadMatches) {
    const WindowCase& tc = GetParam();
    auto c = makeSchemes();
    setWindow(*c, 2, tc.nStartH, tc.nStartM, tc.nEndH, tc.nEndM);
    TA::setCurScheme(*c, 2);
    ASSERT_EQ(c->flush(), tc.nFlush);
    if (tc.nFlush != 0) return;

    // Every minute of the day: scheme 2 (the only window) exactly inside [start, end).
    const u32 nStart = tc.nStartH * 100 + tc.nStartM;
    const u32 nEnd = tc.nEndH * 100 + tc.nEndM;
    int nMatched = 0;
    for (int nMinute = 0; nMinute < 24 * 60; ++nMinute) {
        qxsim::setLocalTime(0, nMinute);
        const u32 nNow = static_cast<u32>(nMinute / 60 * 100 + nMinute % 60);
        int nScheme = -1;
        int nSchedule = -1;
        ASSERT_EQ(TA::judgeCurScheme(*c, nScheme, nSchedule), 0);
        const bool bInside = nStart <= nNow && nNow < nEnd;
        EXPECT_EQ(nScheme, bInside ? 2 : 0) << nNow;
        EXPECT_EQ(nSchedule, bInside ? 1 : 0) << nNow;
        nMatched += bInside ? 1 : 0;
    }
    EXPECT_GT(nMatched, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SchemeWindow,
    ::testing::Values(WindowCase{"WholeDay", 0, 0, 24, 0, 0}, WindowCase{"OneMinute", 7, 59, 8, 0, 0},
                      WindowCase{"LastMinute", 23, 59, 24, 0, 0},
                      // hour * 100 + minute beyond 32 bits: 42949673 * 100 wraps round to 4, that is 00:04.
                      WindowCase{"StartHourWrapsRound", 42949673, 0, 24, 0, 505},
                      WindowCase{"StartMinuteWrapsRound", 1, 4294967200u, 24, 0, 505},
                      // ... and 42949685 * 100 to 1204, a window 08:00-12:04 that the thread would hold until midnight.
                      WindowCase{"EndHourWrapsRound", 8, 0, 42949685, 0, 506}),
    [](const ::testing::TestParamInfo<WindowCase>& i) { return std::string(i.param.szName); });

}  // namespace
