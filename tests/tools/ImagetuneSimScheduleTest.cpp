// schedule: which scheme rules at every minute of the day and why, checked against what the sensor thread
// itself does over a simulated day.

#include "SimRunner.h"

namespace {

// Scheme 0 in the time mode with an empty window of its own; scheme 1's window is reversed, scheme 2's and
// scheme 3's overlap.
// Reversed and empty windows cannot be saved: they stay in memory, where the sensor thread reads them.
const char* const OVERLAP =
    "scheme 1\nset (8001,22)(8003,6)\n"
    "scheme 2\nset (8001,10)(8003,12)\nflush\n"
    "scheme 3\nset (8001,11)(8003,13)\nflush\n"
    "scheme 0\nset (8001,0)(8003,0)(8000,1)\n";

}  // namespace

TEST_F(SimToolTest, ScheduleSaysWhichWindowRulesAndWhy) {
    SimResult r = run("--root dev --quiet", std::string(OVERLAP) + "schedule\n");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    expectInOrder(r.strOut,
                  {
                      "channel 1: scheme mode 1 (time)",
                      "00:00-10:00  scheme 0 (day)            no window holds the time: scheme 0",
                      "10:00-11:00  scheme 2 (time window)    the window 10:00-12:00 of scheme 2 holds the time\n",
                      "11:00-12:00  scheme 2 (time window)    the window 10:00-12:00 of scheme 2 holds the time "
                      "(it comes before scheme 3, whose window holds it too)",
                      "12:00-13:00  scheme 3 (time window)    the window 11:00-13:00 of scheme 3",
                      "13:00-24:00  scheme 0 (day)            no window holds the time",
                      "note: the window 00:00-00:00 of scheme 0 holds no time: it is empty or reversed",
                      "note: the window 22:00-06:00 of scheme 1 holds no time: it is empty or reversed, and a "
                      "window does not wrap past midnight",
                  });
}

TEST_F(SimToolTest, ScheduleForEveryRuleThatHoldsTheSchemeStill) {
    const struct {
        const char* szSetup;
        const char* szSchedule;
        const char* szExpected;
    } aCases[] = {
        {"", "schedule",
         "00:00-24:00  scheme 0 (day)            the current scheme stays: the sensor thread switches no scheme"},
        {"scheme 2\nset (8001,8)(8003,18)\nflush\nscheme 0\nset (8000,1)\nflush\nmode 0\nscheme 3\n", "schedule",
         "00:00-24:00  scheme 3 (time window)    the current scheme stays"},
        {"set (8000,2)\ndn 1\n", "schedule",
         "00:00-24:00  scheme 1 (night)          the sensor reports night (state 1, as the sensor reports)"},
        {"set (8000,2)\ndn 1\n", "schedule --day",
         "00:00-24:00  scheme 0 (day)            the sensor reports day (as asked)"},
        {"set (8000,2)\n", "schedule --night",
         "00:00-24:00  scheme 1 (night)          the sensor reports night (as asked)"},
    };
    for (const auto& t : aCases) {
        SimResult r = run("--root dev --quiet", std::string(t.szSetup) + t.szSchedule + "\n");
        ASSERT_EQ(r.nStatus, 0) << t.szSetup << r.strErr;
        EXPECT_NE(r.strOut.find(t.szExpected), std::string::npos) << t.szSetup << t.szSchedule << "\n" << r.strOut;
        // One rule all day: a single line of minutes.
        EXPECT_EQ(r.strOut.find("00:00-"), r.strOut.rfind("-24:00") - 5) << r.strOut;
    }
}

// The schedule's switch points are the points where the sensor thread switches over a simulated day.
TEST_F(SimToolTest, ScheduleAgreesWithTheSensorThreadOverADay) {
    const char* const aSetups[] = {
        OVERLAP,
        "scheme 1\nset (8001,0)(8003,6)\nflush\nscheme 2\nset (8001,8)(8002,30)(8003,18)(8004,15)\nflush\n"
        "scheme 0\nset (8001,20)(8003,24)(8000,1)\n",
        "scheme 2\nset (8001,0)(8003,24)\nscheme 0\nset (8001,23)(8003,24)(8000,1)\n",
    };
    for (const char* szSetup : aSetups) {
        SimResult r =
            run("--root dev --quiet --json", std::string(szSetup) + "schedule\nclock 23:59\nrun 60\nrun 86400\n");
        ASSERT_EQ(r.nStatus, 0) << szSetup << r.strErr;
        // The documents of the schedule and of the two runs; the setup's commands have theirs too.
        std::vector<nlohmann::json> vecDocs;
        for (const nlohmann::json& doc : jsonLines(r.strOut)) {
            if (doc["command"] == "schedule" || doc["command"] == "run") vecDocs.push_back(doc);
        }
        ASSERT_EQ(vecDocs.size(), 3u) << r.strOut;
        const nlohmann::json& segments = vecDocs[0]["segments"];
        std::vector<std::string> vecExpected;
        for (size_t i = 0; i < segments.size(); ++i) {
            const nlohmann::json& prev = segments[(i + segments.size() - 1) % segments.size()];
            if (prev["scheme"] != segments[i]["scheme"]) {
                vecExpected.push_back(segments[i]["from"].get<std::string>() + ":00 " + prev["scheme"].dump() + "->" +
                                      segments[i]["scheme"].dump());
            }
        }
        std::vector<std::string> vecSwitches;
        for (const nlohmann::json& s : vecDocs[2]["switches"]) {
            vecSwitches.push_back(s["time"].get<std::string>() + " " + s["from"].dump() + "->" + s["to"].dump());
        }
        // The day seen from 00:00 on, ending with the switch back into the first segment at midnight.
        std::sort(vecExpected.begin(), vecExpected.end());
        std::sort(vecSwitches.begin(), vecSwitches.end());
        EXPECT_EQ(vecSwitches, vecExpected) << szSetup;
        EXPECT_FALSE(vecExpected.empty()) << szSetup;
    }
}
