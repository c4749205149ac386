// What a script relies on: the exit status says whether every command took effect, the first failure stops
// the rest, --json gives one document per command, and a slip of the keyboard gets a suggestion.
#include "SimRunner.h"

TEST_F(SimToolTest, ExitStatusTellsWhetherTheEffectHappened) {
    const struct {
        const char* szArgs;
        int nStatus;
        const char* szMessage;
    } aCases[] = {
        {"set brightness=70 flush", 0, ""},
        // Reached the library or the flash, and the effect did not happen: 1.
        {"scheme 4 flush", 1, "flush: nothing saved: scheme 4 (factory) has no file"},
        {"set '(8001,24)(8002,30)' flush", 1, "flush: nothing saved: the time window of scheme 0 is invalid (505"},
        {"--detail '(isInfrared=17)' --force set '(163,80)(167,80)'", 1,
         "was refused by the library (status -163: key 163"},
        // Refused by the tool before anything reached the library: 2.
        {"scheme 9", 2, "scheme 9 does not exist: channel 1 has 0 to 4"},
        {"show-scheme nosuch.cfg", 2, "no such scheme file: nosuch.cfg"},
        {"set brightness=500", 2, "value 500 is outside the range of key 34"},
    };
    for (const auto& t : aCases) {
        SimResult r = run(std::string("--root dev-") + std::to_string(&t - aCases) + " --quiet " + t.szArgs);
        EXPECT_EQ(r.nStatus, t.nStatus) << t.szArgs << ": " << r.strErr;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
    }
}

TEST_F(SimToolTest, TheFirstFailingCommandStopsTheRest) {
    SimResult r = run("--root dev --quiet --json scheme 4 flush scheme 0 set brightness=70 flush");
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    std::vector<nlohmann::json> vecDocs = jsonLines(r.strOut);
    ASSERT_EQ(vecDocs.size(), 2u) << r.strOut;
    EXPECT_EQ(vecDocs[1], nlohmann::json::parse(R"({"command":"flush","ok":false,"channel":1,"scheme":4,
        "saved":false,"error":"flush: nothing saved: scheme 4 (factory) has no file"})"));
    EXPECT_EQ(run("--root dev --quiet get brightness").strOut.find("(34,50)"), 2u) << "the set after it ran";
}

TEST_F(SimToolTest, JsonGivesOneDocumentForEveryCommand) {
    const char* const aszLines[] = {"set brightness=60", "flush",       "get brightness", "all",     "range 34",
                                    "keys",              "scheme 1",    "mode 1",         "restore", "state",
                                    "schedule --day",    "style",       "dn 1",           "clock 08:00", "run 2",
                                    "ia-log",            "show-scheme sensor1_0.cfg",     "diff-scheme sensor1_0.cfg sensor1_1.cfg",
                                    "channel 1",         "reset"};
    std::string strScript;
    for (const char* szLine : aszLines) strScript += std::string(szLine) + "\n";
    SimResult r = run("--root dev --quiet --json", strScript);
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    std::vector<nlohmann::json> vecDocs = jsonLines(r.strOut);
    ASSERT_EQ(vecDocs.size(), std::size(aszLines)) << r.strOut;
    for (size_t i = 0; i < vecDocs.size(); ++i) {
        std::string strLine = aszLines[i];
        EXPECT_EQ(vecDocs[i]["command"], strLine.substr(0, strLine.find(' '))) << vecDocs[i];
        EXPECT_EQ(vecDocs[i]["ok"], true) << vecDocs[i];
    }
    EXPECT_EQ(vecDocs[1]["saved"], true);
    EXPECT_EQ(vecDocs[1]["scheme"], 0);
    EXPECT_EQ(vecDocs[6]["scheme"], 1);
    EXPECT_EQ(vecDocs[12]["state"], 1);
}

TEST_F(SimToolTest, MisspeltCommandsKeysAndChoicesGetASuggestion) {
    const struct {
        const char* szArgs;
        const char* szStdin;
        const char* szMessage;  // null: no suggestion
    } aCases[] = {
        {"falsh", "", "unknown command \"falsh\" (did you mean flush?)"},
        {"", "sheme 1\n", "stdin:1: unknown command \"sheme\" (did you mean scheme?)"},
        {"set brigthness=60", "", "unknown key name brigthness (did you mean brightness?)"},
        {"get KEY_SATURATON", "", "(did you mean KEY_SATURATION?)"},
        {"set mirror=horizonal", "", "has no choice horizonal (did you mean horizontal?)"},
        {"zzzz", "", nullptr},
        {"set qqqqqqq=1", "", nullptr},
    };
    for (const auto& t : aCases) {
        SimResult r = run(std::string("--root dev --quiet ") + t.szArgs, t.szStdin);
        EXPECT_EQ(r.nStatus, 2) << t.szArgs << t.szStdin;
        if (t.szMessage != nullptr) {
            EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << r.strErr;
        } else {
            EXPECT_EQ(r.strErr.find("did you mean"), std::string::npos) << r.strErr;
        }
    }
}

TEST_F(SimToolTest, ChoiceNamesAreValuesAsKeysListsThem) {
    SimResult r = run("--root dev --quiet set mirror=horizontal get mirror set '(2384,VERTICAL)' get 2384 "
                      "set mirror=Both,brightness=55 get mirror,brightness");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    expectInOrder(r.strOut, {"(2384,1)", "(2384,2)", "(2384,3)(34,55)"});

    // A name that two choices share is no choice: the candidates are named.
    ASSERT_EQ(run("--root dup all").nStatus, 0);
    const std::string strStyle = m_strDir + "/dup/hd1/moduleConfig/sensorConfig/style/Style.xml";
    std::string strText = testsupport::readHostFile(strStyle);
    size_t nAt = strText.find("name=\"both\"");
    ASSERT_NE(nAt, std::string::npos);
    testsupport::writeHostFile(strStyle, strText.replace(nAt, 11, "name=\"horizontal\""));
    SimResult dup = run("--root dup --quiet set mirror=horizontal");
    EXPECT_EQ(dup.nStatus, 2);
    EXPECT_NE(dup.strErr.find("choice horizontal of key 2384 (mirror) is ambiguous: give one of 1 horizontal, "
                              "3 horizontal as a number"),
              std::string::npos)
        << dup.strErr;
    // A key without named choices takes numbers only.
    EXPECT_NE(run("--root dev --quiet set brightness=high").strErr.find("key 34 (brightness) has no named choices"),
              std::string::npos);
}
