// The command line as a person uses it: a scripted session, its repeatability, a second session on the same
// device root, the tour, and the exits on a bad command line.
#include "SimRunner.h"

namespace {

const char* const SESSION =
    "# a short session\n"
    "set (34,70)\n"
    "get (34,2337)\n"
    "flush\n"
    "diff-scheme sensor1_0.cfg sensor1_1.cfg\n"
    "scheme 1\n"
    "get 34\n"
    "range 49\n"
    "range 52\n"
    "range 13\n"
    "mode 0\n"
    "dn 1\n"
    "run 3\n"
    "ia-log\n";

}  // namespace

TEST_F(SimToolTest, ScriptedSessionSaysWhatItDid) {
    testsupport::writeHostFile(m_strDir + "/session.txt", SESSION);
    SimResult r = runMerged("--root dev --script session.txt");
    ASSERT_EQ(r.nStatus, 0) << r.strOut;
    expectInOrder(r.strOut, {
                                "(new: a blank camera seeded from the fixture documents)",
                                "channel 1: running, 4 user schemes, current scheme 0 (day)",
                                "> set (34,70)",
                                "applied and kept in scheme 0 (day) (not yet saved: use flush)",
                                "> get (34,2337)",
                                "(34,70)(2337,50)",
                                "> flush",
                                "scheme 0 (day) saved to its file",
                                "> diff-scheme sensor1_0.cfg sensor1_1.cfg",
                                "34 brightness",
                                "70 | 50",
                                "1 key differs",
                                "switched to scheme 1 (night)",
                                "> get 34",
                                "(34,50)",
                                // The IA library lists the shutter's values; the style gives the others' range.
                                "> range 49",
                                "key 49 (max_shutter): default 25, valid values 25 30 50",
                                "(from the IA library)",
                                "> range 52",
                                "key 52 (traffic_level): valid values 0 to 3 (from the UI style)",
                                "> range 13",
                                "key 13 (empty3): no known range",
                                "parameter mode 0: manual",
                                "night (state 1)",
                                "3 passes from 12:00:00 to 12:00:03, 0 scheme switches",
                                "channel 1 kept scheme 1: parameter mode 0 (manual)",
                                "> ia-log",
                            });
    // The writes reached the scheme file itself.
    std::string strFile = testsupport::readHostFile(m_strDir + "/dev/mnt/mtd/code/config_file/sensor1_0.cfg");
    EXPECT_EQ(strFile.size() % 8, 0u);
    EXPECT_GT(strFile.size(), 0u);
}

TEST_F(SimToolTest, TheSameSessionPrintsTheSameTwice) {
    SimResult a = runMerged("--root a", SESSION);
    SimResult b = runMerged("--root b", SESSION);
    ASSERT_EQ(a.nStatus, 0) << a.strOut;
    ASSERT_EQ(b.nStatus, 0) << b.strOut;
    // Only the root's name differs.
    std::string strA = a.strOut.substr(a.strOut.find('\n'));
    std::string strB = b.strOut.substr(b.strOut.find('\n'));
    EXPECT_EQ(strA, strB);
}

TEST_F(SimToolTest, ASecondSessionFindsWhatTheFirstSaved) {
    ASSERT_EQ(run("--root dev set '(34,70)' flush").nStatus, 0);
    SimResult r = run("--root dev get '(34)'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr.find("seeded"), std::string::npos);
    EXPECT_NE(r.strErr.find("> get (34)"), std::string::npos) << r.strErr;
    expectInOrder(r.strOut, {"(34,70)", "34 brightness", "= 70"});
}

TEST_F(SimToolTest, TimeWindowAndDayNightOnTheSimulatedClock) {
    SimResult r = runMerged("--root dev --channels 2",
                            "channel 2\n"
                            "scheme 1\nset (8001,0)(8003,6)\nflush\n"
                            "scheme 3\nset (8001,0)(8003,6)\nflush\n"
                            "scheme 2\nset (8001,8)(8003,18)\nflush\n"
                            "scheme 0\nset (8001,20)(8003,24)(8000,1)\nflush\n"
                            "clock 07:58\nrun 180\n"
                            "scheme 0\nset (8000,2)\ndn 1\nrun 1\n");
    ASSERT_EQ(r.nStatus, 0) << r.strOut;
    expectInOrder(r.strOut, {"channel 2: running", "the next commands act on channel 2",
                             "08:00:00 channel 2: the sensor thread switched from scheme 0 to scheme 2",
                             "180 passes from 07:58:00 to 08:01:00, 1 scheme switch",
                             "channel 2: the sensor thread switched from scheme 0 to scheme 1"});
    // Channel 1 kept its fixed scheme all along.
    EXPECT_EQ(r.strOut.find("channel 1: the sensor thread switched"), std::string::npos);
}

TEST_F(SimToolTest, DemoTour) {
    SimResult r = runMerged("--root dev demo");
    ASSERT_EQ(r.nStatus, 0) << r.strOut;
    expectInOrder(r.strOut, {"Step 1. First start on a blank flash", "holds 0 files", "holds 5 files",
                             "snsversion.cfg (4 bytes)", "Step 2.", "scheme 0 (day) saved to its file", "Step 3.",
                             "> schedule", "08:00-18:00  scheme 2", "switched from scheme 0 to scheme 2", "Step 4.",
                             "switched from scheme 0 to scheme 1", "switched from scheme 1 to scheme 0", "Step 5.",
                             "factory reset of channel 1", "(34,50)", "0 keys differ", "The tour is over"});
}

TEST_F(SimToolTest, ABadCommandLineEndsWithStatusTwoAndNamesTheProblem) {
    const struct {
        const char* szArgs;
        const char* szStdin;
        const char* szMessage;
    } aCases[] = {
        {"--root dev bogus", "", "unknown command \"bogus\""},
        {"--root dev set", "", "set needs 1 argument"},
        {"--root dev scheme x", "", "scheme x: expected a whole number"},
        {"--root dev mode 2", "", "mode 2: expected 0 (manual) or 1 (automatic)"},
        {"--root dev clock 24:00", "", "expected a time HH:MM"},
        {"--root dev run 0", "", "run 0: expected a number of seconds"},
        {"--root dev channel 2", "", "expected a channel from 1 to 1"},
        {"--root dev schedule --day --night", "", "schedule takes one of its options"},
        {"--root dev keys --night", "", "unknown option --night"},
        {"--root dev --channels 0", "", "--channels 0: expected 1 to 8"},
        {"--root dev --device-type x", "", "--device-type x"},
        {"--frobnicate", "", "unknown option --frobnicate"},
        {"--root", "", "--root needs a value"},
        {"--root dev --script missing.txt", "", "cannot read the script missing.txt"},
        {"--root dev", "get (34)\n\n# fine so far\nscheme\n", "stdin:4: scheme takes 1 argument, not 0"},
        {"--root dev", "run 10 20\n", "stdin:1: run takes 1 argument, not 2"},
    };
    for (const auto& t : aCases) {
        SimResult r = run(t.szArgs, t.szStdin);
        EXPECT_EQ(r.nStatus, 2) << t.szArgs;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "") << t.szArgs;
        // Checked before the camera starts: a bad command line leaves no device root behind.
        EXPECT_FALSE(testsupport::readHostFile(m_strDir + "/dev/mnt/mtd/code/factory_setting/machineinfo.ini").size())
            << t.szArgs;
    }
}

TEST_F(SimToolTest, CommandsThatFailOnTheDeviceEndWithStatusTwo) {
    const struct {
        const char* szArgs;
        const char* szMessage;
    } aCases[] = {
        {"show-scheme nofile.cfg", "no such scheme file: nofile.cfg"},
        {"scheme 9", "scheme 9 does not exist: channel 1 has 0 to 4"},
        {"diff-scheme sensor1_0.cfg snsversion.cfg", "is no scheme file"},
    };
    for (const auto& t : aCases) {
        SimResult r = run(std::string("--root dev ") + t.szArgs);
        EXPECT_EQ(r.nStatus, 2) << t.szArgs;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
    }
}

TEST_F(SimToolTest, HelpListsTheCommandsAndEachCommandHasItsOwn) {
    SimResult r = run("--help");
    EXPECT_EQ(r.nStatus, 0);
    expectInOrder(r.strOut, {"--root DIR", "--json", "--quiet", "set PAIRS", "schedule [--day|--night]",
                             "diff-scheme A B", "channel N", "KEY=VALUE"});
    // Help of one command, wherever -h or --help follows it; nothing starts.
    for (const char* szArgs : {"set --help", "set -h", "--root dev get '(34)' schedule -h"}) {
        SimResult c = run(szArgs);
        EXPECT_EQ(c.nStatus, 0) << szArgs;
        EXPECT_EQ(c.strOut.find("usage: imagetune-sim [options] "), 0u) << szArgs << ": " << c.strOut;
        EXPECT_EQ(c.strOut.find("commands:"), std::string::npos) << szArgs;
    }
    EXPECT_NE(run("set -h").strOut.find("--force"), std::string::npos);
    EXPECT_NE(run("schedule --help").strOut.find("--day or --night assumes"), std::string::npos);
    EXPECT_FALSE(testsupport::readHostFile(m_strDir + "/dev/mnt/mtd/code/factory_setting/machineinfo.ini").size());
}

TEST_F(SimToolTest, VersionNamesTheToolAndTheLibrary) {
    SimResult r = run("--version");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut.find("imagetune-sim 1."), 0u) << r.strOut;
    EXPECT_NE(r.strOut.find("(libimagetune 1."), std::string::npos) << r.strOut;
}
