// Strict input: the tool reads its parameter texts by its own grammar, looks keys up by number or name,
// refuses values outside a key's known range unless --force, and sends nothing when an argument is bad.
#include "SensorKeyVal.h"
#include "SimRunner.h"

TEST_F(SimToolTest, BadParameterTextsAreRefusedWithTheFaultNamedAndNothingSent) {
    const struct {
        const char* szArgs;
        const char* szMessage;
    } aCases[] = {
        // The library would send value 0, set saturation to 60, or read nothing with status 0.
        {"set '( 34 , 60 )'", "set ( 34 , 60 ): character 2: a blank where a key"},
        {"set '(34,60)(2337)'", "character 13: pair 2 has a key but no value"},
        {"set '(34,60,1)'", "pair 1 has more than a key and a value"},
        {"set '(34,60'", "at the end: expected ')' ending pair 1"},
        {"set 34", "set 34: at the end: expected '=' after the key of assignment 1"},
        {"set brightness=", "at the end: expected a value"},
        {"set '(34,6x)'", "character 6: 'x' where ')' ending pair 1 belongs"},
        {"set '(34,4294967296)'", "value 4294967296 does not fit in 32 bits"},
        {"get '(34)(2337)'", "character 5: text after the closing ')'"},
        {"get '(34,)'", "character 5: ')' where a key (a number or a name) belongs"},
        {"get '34;2337'", "character 3: ';' where ',' or the end belongs"},
        {"get 99999999999", "key 99999999999 is above 2147483647"},
        {"range '(34)'", "range (34): character 1: '(' where a key"},
        // Known only once the channel is up: still refused before any command runs.
        {"get 99999", "get 99999: unknown key 99999"},
        {"set brightnes=60", "unknown key name brightnes"},
        {"set '(34,101)'", "value 101 is outside the range of key 34 (brightness): 0 to 100 (from the UI style)"},
        {"set max_shutter=40", "value 40 is outside the range of key 49 (max_shutter): 25 30 50"},
        {"set mirror=4", "0 normal, 1 horizontal, 2 vertical, 3 both"},
    };
    for (const auto& t : aCases) {
        // A good write and a flush first: none of it may happen when a later argument is bad.
        SimResult r = run(std::string("--root dev set '(2337,45)' flush ") + t.szArgs + " ia-log");
        EXPECT_EQ(r.nStatus, 2) << t.szArgs;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
        EXPECT_EQ(r.strErr.find("[sensor"), std::string::npos) << t.szArgs << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "") << t.szArgs;
        std::string strScheme = testsupport::readHostFile(m_strDir + "/dev/mnt/mtd/code/config_file/sensor1_0.cfg");
        const KeyVal stWritten = {2337, 45};
        EXPECT_EQ(strScheme.find(std::string(reinterpret_cast<const char*>(&stWritten), sizeof(stWritten))),
                  std::string::npos)
            << t.szArgs;
    }
}

TEST_F(SimToolTest, KeysAreGivenByNumberStyleNameOrConstant) {
    SimResult r =
        run("--root dev --quiet set brightness=61,saturation=44 set '(KEY_CONTRAST,43)(sharpness,42)' "
            "get brightness,saturation,contrast get '(key_sharpness)' ia-log");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");
    expectInOrder(r.strOut,
                  {"(34,61)(2337,44)(2353,43)", "(2321,42)", "4 IA calls", "set        34 brightness", "value 61",
                   "set      2337 saturation", "value 44", "2353", "value 43", "2321", "value 42"});
}

TEST_F(SimToolTest, ForceSendsWhatTheRangeRefusesAndTheLibraryHandlesIt) {
    SimResult r = run("--root dev --quiet --force set '(34,160)' get 34 ia-log");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    expectInOrder(r.strOut, {"(34,160)", "set        34 brightness", "value 160"});

    // An unknown key goes to the library, whose own report of the missing row shows on standard error.
    SimResult u = run("--root dev --force set '(99999,1)' ia-log");
    ASSERT_EQ(u.nStatus, 0) << u.strErr;
    EXPECT_NE(u.strErr.find("[sensor assert]"), std::string::npos) << u.strErr;
    EXPECT_NE(u.strOut.find("set     99999"), std::string::npos) << u.strOut;
}

TEST_F(SimToolTest, ScriptLinesFollowTheSameGrammar) {
    SimResult r = run("--root dev", "set brightness=60\nget (34)(2337)\n");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("stdin:2: get (34)(2337): character 5"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strOut, "");
}
