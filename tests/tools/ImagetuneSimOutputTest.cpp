// What the tool writes where: data on standard output (text or JSON), banners and the library's words on
// standard error, --quiet; and which device roots it takes.
#include <tinyxml.h>

#include "SimRunner.h"

namespace {

const nlohmann::json* findKey(const nlohmann::json& p_objKeys, int p_nKey) {
    for (const nlohmann::json& k : p_objKeys) {
        if (k["key"] == p_nKey) return &k;
    }
    return nullptr;
}

}  // namespace

TEST_F(SimToolTest, TheStyleDocumentAloneGoesToStandardOutput) {
    SimResult r = run("--root dev style");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.find("<?xml"), 0u) << r.strOut.substr(0, 200);
    TiXmlDocument doc;
    doc.Parse(r.strOut.c_str());
    EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
    EXPECT_EQ(r.strOut.find("device root"), std::string::npos);
    expectInOrder(r.strErr, {"device root", "channel 1: running", "> style"});
}

TEST_F(SimToolTest, TheLibrarysOwnPrintsNeverReachStandardOutput) {
    SimResult r = run("--root dev --verbose get brightness");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    // getParameters prints its answer itself; with --verbose that shows, on standard error only.
    EXPECT_NE(r.strErr.find("@@ out_Parameters = (34,50) @@"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strOut, "  (34,50)\n     34 brightness                   = 50\n");
}

TEST_F(SimToolTest, QuietLeavesOnlyTheData) {
    SimResult loud = run("--root dev set brightness=60 get brightness flush");
    SimResult quiet = run("--root dev --quiet set brightness=61 get brightness flush");
    ASSERT_EQ(loud.nStatus, 0);
    ASSERT_EQ(quiet.nStatus, 0);
    EXPECT_NE(loud.strErr, "");
    EXPECT_EQ(quiet.strErr, "");
    EXPECT_EQ(quiet.strOut, "  (34,61)\n     34 brightness                   = 61\n");
    // Errors stay: a window that cannot be saved.
    SimResult warn = run("--root dev --quiet set '(8001,24)(8002,30)' flush");
    EXPECT_EQ(warn.nStatus, 1);
    EXPECT_NE(warn.strErr.find("flush: nothing saved: the time window of scheme 0 is invalid (505"), std::string::npos)
        << warn.strErr;
}

TEST_F(SimToolTest, JsonGivesOneDocumentPerDataCommand) {
    SimResult r = run("--root dev --quiet --json set brightness=60 get brightness,2337 all range 49 keys state ia-log");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    std::vector<nlohmann::json> vecAll = jsonLines(r.strOut);
    ASSERT_EQ(vecAll.size(), 7u) << r.strOut;
    const char* const aszCommands[] = {"set", "get", "all", "range", "keys", "state", "ia-log"};
    for (size_t i = 0; i < vecAll.size(); ++i) {
        EXPECT_EQ(vecAll[i]["command"], aszCommands[i]) << vecAll[i];
        EXPECT_EQ(vecAll[i]["ok"], true) << vecAll[i];
    }
    // set: what was sent, into which scheme, and that nothing is saved yet.
    EXPECT_EQ(vecAll[0], nlohmann::json::parse(R"({"command":"set","ok":true,"channel":1,"scheme":0,
        "sent":[{"key":34,"name":"brightness","value":60}],"saved":false})"));
    std::vector<nlohmann::json> vecDocs(vecAll.begin() + 1, vecAll.end());

    const nlohmann::json& get = vecDocs[0];
    EXPECT_EQ(get["parameters"], nlohmann::json::parse(R"([{"key":34,"name":"brightness","value":60},
                                                            {"key":2337,"name":"saturation","value":50}])"));

    const nlohmann::json& all = vecDocs[1];
    EXPECT_EQ(all["scheme"], 0);
    ASSERT_GT(all["parameters"].size(), 50u);
    EXPECT_EQ(all["parameters"][0]["key"], 8000);  // the scheme header leads every scheme

    EXPECT_EQ(vecDocs[2]["range"]["source"], "ia");
    EXPECT_EQ(vecDocs[2]["range"]["values"][0], 25);

    // keys: how each key is applied, its value now and at the factory, and its range.
    const nlohmann::json& keys = vecDocs[3]["keys"];
    size_t nInScheme = 0;
    for (const nlohmann::json& k : keys) nInScheme += k["in_scheme"].get<bool>() ? 1 : 0;
    EXPECT_EQ(nInScheme, all["parameters"].size());
    const nlohmann::json* pBrightness = findKey(keys, 34);
    ASSERT_NE(pBrightness, nullptr);
    EXPECT_EQ(*pBrightness, nlohmann::json::parse(R"({"key":34,"name":"brightness","constant":"KEY_BRIGHTNESS",
        "ia_command":34,"handler":"doIaCmd","in_scheme":true,"current":60,"factory":50,
        "range":{"source":"style","min":0,"max":100}})"));
    const nlohmann::json* pWhite = findKey(keys, 170);  // sent as another IA command than its key
    ASSERT_NE(pWhite, nullptr);
    EXPECT_EQ((*pWhite)["ia_command"], 168);
    const nlohmann::json* pMode = findKey(keys, 8000);  // stored only
    ASSERT_NE(pMode, nullptr);
    EXPECT_TRUE((*pMode)["handler"].is_null());
    EXPECT_EQ((*pMode)["range"]["values"][2], nlohmann::json::parse(R"({"value":2,"name":"day_night"})"));
    // A key of the table that the channel's UI leaves out: not in its schemes, so no value of its own.
    const nlohmann::json* pEmpty = findKey(keys, 10);
    ASSERT_NE(pEmpty, nullptr);
    EXPECT_EQ(pEmpty->at("in_scheme"), false);
    EXPECT_TRUE(pEmpty->at("current").is_null());

    const nlohmann::json& state = vecDocs[4];
    EXPECT_EQ(state["current_scheme"], 0);
    EXPECT_EQ(state["factory_scheme"], 4);
    EXPECT_EQ(state["scheme_mode"], "fixed");
    ASSERT_EQ(state["schemes"].size(), 4u);
    EXPECT_EQ(state["schemes"][0]["window"]["end_hour"], 24);

    // The write, then what the reads above asked of the IA library.
    const nlohmann::json& calls = vecDocs[5]["calls"];
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0],
              nlohmann::json::parse(
                  R"({"ia_channel":0,"option":"set","command":34,"name":"brightness","value":60,"result":0})"));
}

TEST_F(SimToolTest, DeviceRootsThatAreEmptyAreSeededAndOthersMustHoldACamera) {
    testsupport::makeDirs(m_strDir + "/empty");
    SimResult seeded = run("--root empty --quiet get brightness");
    EXPECT_EQ(seeded.nStatus, 0) << seeded.strErr;
    EXPECT_EQ(seeded.strOut, "  (34,50)\n     34 brightness                   = 50\n");

    // A folder with other things in it is not a camera, and nothing is written into it.
    testsupport::writeHostFile(m_strDir + "/home/notes.txt", "mine");
    SimResult other = run("--root home get brightness");
    EXPECT_EQ(other.nStatus, 2);
    EXPECT_NE(other.strErr.find("holds no camera: machine information /mnt/mtd/code/factory_setting/machineinfo.ini "
                                "is missing"),
              std::string::npos)
        << other.strErr;
    EXPECT_EQ(testsupport::readHostFile(m_strDir + "/home/mnt/mtd/code/factory_setting/machineinfo.ini"), "");

    // A camera whose style document is gone: named plainly, not run with nameless keys.
    ASSERT_EQ(run("--root cam all").nStatus, 0);
    ASSERT_EQ(remove((m_strDir + "/cam/hd1/moduleConfig/sensorConfig/style/Style.xml").c_str()), 0);
    SimResult noStyle = run("--root cam get brightness");
    EXPECT_EQ(noStyle.nStatus, 2);
    EXPECT_NE(noStyle.strErr.find("imagetune-sim: channel 1 has no parameters: style document "
                                  "/hd1/moduleConfig/sensorConfig/style/Style.xml is missing"),
              std::string::npos)
        << noStyle.strErr;
    EXPECT_EQ(noStyle.strOut, "");
}
