// The JSON API of "imagetune-sim serve" without a browser: what the page relies on, and the requests a web
// client must not get through: each is refused with a 4xx naming the fault, nothing of it reaches the library,
// and the server goes on.
#include <atomic>
#include <thread>
#include <vector>

#include "SensorKeyVal.h"
#include "ServeRunner.h"

namespace {

const char* const PARAMETERS = "/api/channels/1/parameters";

// The IA commands that were set on channel 1 since the last look.
std::vector<int> setCommands(const nlohmann::json& p_objLog) {
    std::vector<int> vecCommands;
    for (const nlohmann::json& call : p_objLog["calls"]) {
        if (call["option"] == "set") vecCommands.push_back(call["command"].get<int>());
    }
    return vecCommands;
}

}  // namespace

TEST_F(ServeTest, AWriteReachesTheLibraryAndItsIaCommandsAreReturned) {
    startServer();
    get("/api/channels/1/ia-log");  // what the start sent
    nlohmann::json objWrite =
        post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 61}}, {{"key", 2337}, {"value", 44}}}}});
    EXPECT_EQ(objWrite["status"], 0);
    EXPECT_EQ(objWrite["refused_key"], nullptr);
    EXPECT_EQ(objWrite["text"], "(34,61)(2337,44)");
    EXPECT_EQ(objWrite["values"], nlohmann::json::parse(R"([{"key":34,"name":"brightness","value":61},
                                                            {"key":2337,"name":"saturation","value":44}])"));
    ASSERT_EQ(objWrite["ia_commands"].size(), 2u) << objWrite.dump();
    EXPECT_EQ(objWrite["ia_commands"][0],
              nlohmann::json::parse(
                  R"({"ia_channel":0,"option":"set","command":34,"name":"brightness","value":61,"result":0})"));
    EXPECT_EQ(valueOf(34), 61);
    EXPECT_EQ(setCommands(get("/api/channels/1/ia-log")), (std::vector<int>{34, 2337}));

    // The same value again is in force already: nothing is sent.
    EXPECT_TRUE(post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 61}}}}})["ia_commands"].empty());

    // Flush saves the scheme to its file.
    nlohmann::json objFlush = post("/api/channels/1/flush", nlohmann::json::object());
    EXPECT_EQ(objFlush["saved"], true) << objFlush.dump();
    std::string strFile = testsupport::readHostFile(m_strDir + "/root/mnt/mtd/code/config_file/sensor1_0.cfg");
    const KeyVal stSaved = {34, 61};
    EXPECT_NE(strFile.find(std::string(reinterpret_cast<const char*>(&stSaved), sizeof(stSaved))), std::string::npos);
}

TEST_F(ServeTest, TheUiIsTheStyleWithTheValuesAndRangesTheChannelHolds) {
    startServer();
    post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 70}}}}});
    nlohmann::json objUi = get("/api/channels/1/ui");
    std::map<int, nlohmann::json> mapControls;
    std::vector<std::string> vecTabs;
    for (const nlohmann::json& section : objUi["sections"]) {
        vecTabs.push_back(section["key"]);
        for (const nlohmann::json& control : section["controls"]) mapControls[control["key"].get<int>()] = control;
    }
    EXPECT_EQ(vecTabs.front(), "scheme");
    EXPECT_NE(std::find(vecTabs.begin(), vecTabs.end(), "image"), vecTabs.end());
    // A slider with the style's range, the value the channel holds, and the factory value of the style.
    EXPECT_EQ(mapControls[34]["name"], "brightness");
    EXPECT_EQ(mapControls[34]["value"], 70);
    EXPECT_EQ(mapControls[34]["factory"], 50);
    EXPECT_EQ(mapControls[34]["min"], 0);
    EXPECT_EQ(mapControls[34]["max"], 100);
    EXPECT_EQ(mapControls[34]["sensor_range"], nullptr);
    // Choices by their indexes.
    EXPECT_EQ(mapControls[2384]["choices"][3], nlohmann::json::parse(R"({"value":3,"name":"both"})"));
    // The sensor's range where getSensorParamRange gives one; the style's choices pruned to it.
    const nlohmann::json& objRange = mapControls[49]["sensor_range"];
    EXPECT_EQ(objRange["default"], 25);
    EXPECT_EQ(objRange["values"].size(), 14u) << objRange.dump();
    for (const nlohmann::json& choice : mapControls[49]["choices"]) {
        EXPECT_NE(std::find(objRange["values"].begin(), objRange["values"].end(), choice["value"]),
                  objRange["values"].end())
            << choice.dump();
    }
    // The style's removed elements are not controls.
    EXPECT_EQ(mapControls.count(10), 0u);
}

TEST_F(ServeTest, SchemesDayNightAndTheClockAsThePageDrivesThem) {
    startServer();
    // Day/night mode in scheme 0; night at the sensor; the passes switch to scheme 1.
    post(PARAMETERS, {{"pairs", {{{"key", 8000}, {"value", 2}}}}});
    nlohmann::json objState = post("/api/channels/1/day-night", {{"state", 1}})["state"];
    EXPECT_EQ(objState["scheme_mode"], "day_night");
    EXPECT_EQ(objState["day_night_state"], 1);
    EXPECT_EQ(objState["current_scheme"], 0);
    nlohmann::json objRun = post("/api/run", {{"seconds", 3}});
    EXPECT_EQ(objRun["from"], "12:00:00");
    EXPECT_EQ(objRun["to"], "12:00:03");
    EXPECT_EQ(objRun["switches"], nlohmann::json::parse(R"([{"time":"12:00:01","channel":1,"from":0,"to":1}])"));
    EXPECT_EQ(objRun["channels"][0]["current_scheme"], 1);
    // Every answer's state tells the night the sensor holds, not only those that read it through the library.
    EXPECT_EQ(objRun["channels"][0]["day_night_state"], 1);
    EXPECT_EQ(get("/api/channels/1/ui")["state"]["day_night_state"], 1);

    // The day: scheme 0 by day, scheme 1 by night, all day long.
    nlohmann::json objDay = get("/api/channels/1/schedule");
    EXPECT_EQ(objDay["day"]["segments"],
              nlohmann::json::parse(
                  R"json([{"from":"00:00","to":"24:00","scheme":0,"why":"the sensor reports day (as asked)"}])json"));
    EXPECT_EQ(objDay["night"]["segments"][0]["scheme"], 1);

    // A time window: scheme 2 from 08:00 to 18:00 in the time mode (schemes 1 and 3 before 06:00, scheme 0 after
    // 20:00); the clock at 07:59 and two minutes of passes.
    const struct { int nScheme, nStart, nEnd; } aWindows[] = {{1, 0, 6}, {3, 0, 6}, {2, 8, 18}, {0, 20, 24}};
    for (const auto& w : aWindows) {
        nlohmann::json objSwitch = post("/api/channels/1/scheme", {{"scheme", w.nScheme}});
        EXPECT_EQ(objSwitch["state"]["current_scheme"], w.nScheme);
        post(PARAMETERS, {{"pairs", {{{"key", 8001}, {"value", w.nStart}}, {{"key", 8003}, {"value", w.nEnd}}}}});
    }
    post(PARAMETERS, {{"pairs", {{{"key", 8000}, {"value", 1}}}}});
    EXPECT_EQ(post("/api/clock", {{"time", "07:59"}})["clock"], "07:59:00");
    objRun = post("/api/run", {{"seconds", 120}});
    EXPECT_EQ(objRun["switches"], nlohmann::json::parse(R"([{"time":"08:00:00","channel":1,"from":0,"to":2}])"));
    nlohmann::json objSegments = get("/api/channels/1/schedule")["day"]["segments"];
    std::vector<std::string> vecDrawn;
    for (const nlohmann::json& seg : objSegments) {
        vecDrawn.push_back(seg["from"].get<std::string>() + "-" + seg["to"].get<std::string>() + " " +
                           seg["scheme"].dump());
    }
    EXPECT_EQ(vecDrawn, (std::vector<std::string>{"00:00-06:00 1", "06:00-08:00 0", "08:00-18:00 2", "18:00-20:00 0",
                                                  "20:00-24:00 0"}));

    // Restore puts back what was saved; reset puts back the factory values and scheme 0.
    post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 20}}}}});
    nlohmann::json objRestore = post("/api/channels/1/restore", nlohmann::json::object());
    EXPECT_EQ(objRestore["restored"], true);
    EXPECT_EQ(valueOf(34), 50);
    post("/api/channels/1/mode", {{"mode", 0}});
    post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 20}}}}});
    post("/api/channels/1/flush", nlohmann::json::object());
    nlohmann::json objReset = post("/api/channels/1/reset", nlohmann::json::object());
    EXPECT_EQ(objReset["reset"], true) << objReset.dump();
    EXPECT_EQ(objReset["state"]["current_scheme"], 0);
    EXPECT_EQ(objReset["state"]["scheme_mode"], "fixed");
    EXPECT_EQ(objReset["state"]["parameter_mode"], 0) << "the reset keeps the parameter mode";
    bool bFound = false;
    for (const nlohmann::json& p : objReset["values"]) {
        if (p["key"] == 34) bFound = p["value"] == 50;
    }
    EXPECT_TRUE(bFound) << objReset["values"].dump();
}

// The values as the page polls them: each with what the current scheme's file holds, and how many differ.
TEST_F(ServeTest, TheValuesTellWhatDiffersFromTheStoredScheme) {
    startServer();
    const std::string strFile = m_strDir + "/root/mnt/mtd/code/config_file/sensor1_0.cfg";
    auto stored = [this](int p_nKey) {
        nlohmann::json objValues = get("/api/channels/1/values");
        for (const nlohmann::json& p : objValues["values"]) {
            if (p["key"] == p_nKey) return std::make_pair(p["stored"], objValues["unsaved"].get<int>());
        }
        ADD_FAILURE() << "no key " << p_nKey;
        return std::make_pair(nlohmann::json(), -1);
    };
    nlohmann::json objValues = get("/api/channels/1/values");
    EXPECT_EQ(objValues["stored"], nlohmann::json::parse(R"({"file":"/mnt/mtd/code/config_file/sensor1_0.cfg",
                                                              "error":null})"));
    EXPECT_EQ(objValues["unsaved"], 0);
    EXPECT_EQ(objValues["state"]["current_scheme"], 0);
    EXPECT_EQ(stored(34), std::make_pair(nlohmann::json(50), 0));
    // The page polls it: it sends nothing to the IA library.
    get("/api/channels/1/ia-log");
    get("/api/channels/1/values");
    EXPECT_EQ(get("/api/channels/1/ia-log")["calls"], nlohmann::json::array());

    post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 61}}, {{"key", 2337}, {"value", 44}}}}});
    EXPECT_EQ(stored(34), std::make_pair(nlohmann::json(50), 2));
    post(PARAMETERS, {{"pairs", {{{"key", 2337}, {"value", 50}}}}});  // back to what is saved
    EXPECT_EQ(stored(34), std::make_pair(nlohmann::json(50), 1));
    post("/api/channels/1/flush", nlohmann::json::object());
    EXPECT_EQ(stored(34), std::make_pair(nlohmann::json(61), 0));

    // Another program rewrites the file: the next poll shows it.
    std::string strBytes = testsupport::readHostFile(strFile);
    const KeyVal stOld = {34, 61}, stNew = {34, 77};
    size_t nAt = strBytes.find(std::string(reinterpret_cast<const char*>(&stOld), sizeof(stOld)));
    ASSERT_NE(nAt, std::string::npos);
    strBytes.replace(nAt, sizeof(stNew), std::string(reinterpret_cast<const char*>(&stNew), sizeof(stNew)));
    testsupport::writeHostFile(strFile, strBytes);
    EXPECT_EQ(stored(34), std::make_pair(nlohmann::json(77), 1));

    // A lost file: every value is unsaved, and the answer says why.
    unlink(strFile.c_str());
    objValues = get("/api/channels/1/values");
    EXPECT_EQ(objValues["stored"]["error"], "/mnt/mtd/code/config_file/sensor1_0.cfg is missing");
    EXPECT_EQ(objValues["unsaved"], objValues["values"].size());

    // The factory scheme has no file and nothing to save.
    post("/api/channels/1/scheme", {{"scheme", 4}});
    objValues = get("/api/channels/1/values");
    EXPECT_EQ(objValues["stored"], nullptr);
    EXPECT_EQ(objValues["unsaved"], 0);
}

TEST_F(ServeTest, AThermalChannelsValuesAreComparedWithTheThermalSchemeFile) {
    startServer("--device-type 13");
    post(PARAMETERS, {{"pairs", {{{"key", 34}, {"value", 61}}}}});
    nlohmann::json objValues = get("/api/channels/1/values");
    EXPECT_EQ(objValues["stored"], nlohmann::json::parse(R"({"file":"/mnt/mtd/code/config_file/sensor-thermal0.cfg",
                                                              "error":null})"));
    EXPECT_EQ(objValues["unsaved"], 1);
}

// What the page shows of each control besides the style's own fields.
TEST_F(ServeTest, ControlsHaveReadableLabelsAndOneShotActionsAreMarked) {
    startServer();
    std::map<int, nlohmann::json> mapControls;
    const nlohmann::json objUi = get("/api/channels/1/ui");
    for (const nlohmann::json& section : objUi["sections"]) {
        for (const nlohmann::json& control : section["controls"]) mapControls[control["key"].get<int>()] = control;
    }
    const struct {
        int nKey;
        const char* szLabel;
        bool bAction;
    } aCases[] = {
        {34, "Brightness", false},
        {8240, "DDE strength", false},
        {145, "Day-to-night threshold", false},
        {2312, "3D NR auto", false},
        {9102, "Panorama 1 yaw", false},
        {2385, "Corridor", false},    // off and on, but a setting
        {2497, "Sensor FPS", false},  // sent as the lens keys are, but a setting of several values
        {1569, "Zoom in", true},
        {1554, "Focus far", true},
        {17, "Iris up", true},
        {8104, "Mix sync FOV", true},
    };
    for (const auto& stCase : aCases) {
        ASSERT_TRUE(mapControls.count(stCase.nKey)) << stCase.nKey;
        EXPECT_EQ(mapControls[stCase.nKey]["label"], stCase.szLabel) << stCase.nKey;
        EXPECT_EQ(mapControls[stCase.nKey]["action"], stCase.bAction) << stCase.nKey;
    }
    // An action sent on and off acts every time and leaves the scheme as it was.
    for (int i = 0; i < 2; ++i) {
        nlohmann::json objWrite =
            post(PARAMETERS, {{"pairs", {{{"key", 1569}, {"value", 1}}, {{"key", 1569}, {"value", 0}}}}});
        EXPECT_EQ(objWrite["ia_commands"].size(), 2u) << objWrite.dump();
    }
    EXPECT_EQ(get("/api/channels/1/values")["unsaved"], 0);
}

TEST_F(ServeTest, ThePagesIconIsServedAsAnImage) {
    startServer();
    HttpAnswer stIcon = request("GET", "/favicon.svg");
    EXPECT_EQ(stIcon.nStatus, 200);
    EXPECT_NE(stIcon.strHead.find("Content-Type: image/svg+xml"), std::string::npos) << stIcon.strHead;
    EXPECT_NE(stIcon.strBody.find("<svg"), std::string::npos);
    EXPECT_NE(request("GET", "/").strBody.find("href=\"favicon.svg\""), std::string::npos);
}

TEST_F(ServeTest, TheLibrarysRefusalIsShownWithTheRefusedKey) {
    // A module with limited infrared power: near and far strengths share a budget of 100.
    startServer("--detail '(sensorType=sc533hai)(lensId=3)(isInfrared=17)(max_scheme=4)'");
    EXPECT_EQ(post(PARAMETERS, {{"pairs", {{{"key", 163}, {"value", 40}}}}})["status"], 0);
    get("/api/channels/1/ia-log");
    nlohmann::json objWrite = post(PARAMETERS, {{"pairs", {{{"key", 167}, {"value", 70}}}}});
    EXPECT_EQ(objWrite["status"], -167);
    EXPECT_EQ(objWrite["refused_key"], 167);
    EXPECT_TRUE(setCommands(get("/api/channels/1/ia-log")).empty());
}

TEST_F(ServeTest, BadRequestsAreRefusedWithTheFaultNamedAndNothingReachesTheLibrary) {
    startServer();
    const std::string strDeep = std::string(100, '[') + std::string(100, ']');
    const struct {
        const char* szMethod;
        const char* szPath;
        std::string strBody;
        int nStatus;
        const char* szError;
    } aCases[] = {
        {"GET", "/api/nothing", "", 404, "no such route: GET /api/nothing"},
        {"GET", "/nothing.html", "", 404, "no such page: /nothing.html"},
        {"DELETE", "/api/camera", "", 405, "DELETE is not allowed on /api/camera"},
        {"GET", PARAMETERS, "", 405, "GET is not allowed on /api/channels/1/parameters"},
        {"GET", "/api/channels/2/ui", "", 404, "channel 2 does not exist: the camera has channels 1 to 1"},
        {"GET", "/api/channels/0/ui", "", 404, "channel 0 does not exist"},
        {"GET", "/api/channels/99999999999999999999/ui", "", 404, "does not exist"},
        {"GET", "/api/channels/x/ui", "", 400, "channel \"x\" is not a number"},
        {"GET", "/api/channels/-1/ui", "", 400, "channel \"-1\" is not a number"},
        {"POST", PARAMETERS, "{\"pairs\":[{\"key\":34,", 400, "the body is not JSON"},
        {"POST", PARAMETERS, "[1]", 400, "the body is not a JSON object"},
        {"POST", PARAMETERS, strDeep, 400, "the body nests deeper than 8 levels"},
        {"POST", PARAMETERS, std::string(70000, ' ') + "{}", 413, "the body is larger than 65536 bytes"},
        {"POST", PARAMETERS, "{}", 400, "pairs is missing"},
        {"POST", PARAMETERS, R"({"pairs":[]})", 400, "pairs is not a list of one or more items"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":60}],"cache":false})", 400, "unknown field \"cache\""},
        {"POST", PARAMETERS, R"({"pairs":[34,60]})", 400, "pairs[0] is not an object"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":"34","value":60}]})", 400, "pairs[0]: key is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":"60"}]})", 400, "pairs[0]: value is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":60.5}]})", 400, "pairs[0]: value is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":true}]})", 400, "pairs[0]: value is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34}]})", 400, "pairs[0]: value is missing"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":-1,"value":1}]})", 400, "pairs[0]: key -1 is outside 0 to 2147483647"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":4294967296}]})", 400, "value 4294967296 is outside"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":1e3}]})", 400, "value is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":99999,"value":1}]})", 400, "key 99999 is not a key of channel 1"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":101}]})", 400,
         "pairs[0]: value 101 is outside the range of key 34 (brightness): 0 to 100 (from the UI style)"},
        // A good pair before a bad one: nothing of the request is applied.
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":60},{"key":2337,"value":"x"}]})", 400,
         "pairs[1]: value is not a whole number"},
        {"POST", PARAMETERS, R"({"pairs":[{"key":34,"value":60}],"force":1})", 400, "force is not true or false"},
        {"POST", "/api/channels/1/scheme", R"({"scheme":5})", 400, "scheme 5 is outside 0 to 4"},
        {"POST", "/api/channels/1/mode", R"({"mode":2})", 400, "mode 2 is outside 0 to 1"},
        {"POST", "/api/channels/1/day-night", R"({"state":-1})", 400, "state -1 is outside"},
        {"POST", "/api/channels/1/flush", R"({"now":true})", 400, "unknown field \"now\""},
        {"POST", "/api/clock", R"({"time":"24:00"})", 400, "time \"24:00\" is not HH:MM"},
        {"POST", "/api/clock", R"({"time":"7:5"})", 400, "is not HH:MM"},
        {"POST", "/api/run", R"({"seconds":0})", 400, "seconds 0 is outside 1 to 86400"},
        {"POST", "/api/run", R"({"seconds":86401})", 400, "seconds 86401 is outside"},
    };
    get("/api/channels/1/ia-log");
    for (const auto& t : aCases) {
        HttpAnswer stAnswer = request(t.szMethod, t.szPath, t.strBody);
        EXPECT_EQ(stAnswer.nStatus, t.nStatus) << t.szMethod << " " << t.szPath << " " << t.strBody.substr(0, 80);
        ASSERT_FALSE(stAnswer.objBody.is_discarded()) << t.szPath << ": " << stAnswer.strBody;
        std::string strError = stAnswer.objBody.value("error", "");
        EXPECT_NE(strError.find(t.szError), std::string::npos)
            << t.szMethod << " " << t.szPath << " " << t.strBody.substr(0, 80) << ": " << strError;
        EXPECT_NE(stAnswer.strHead.find("Content-Type: application/json"), std::string::npos) << t.szPath;
    }
    // What is not HTTP is refused or dropped, and the server goes on.
    HttpAnswer stGarbage = raw("GARBAGE\r\n\r\n");
    EXPECT_TRUE(stGarbage.nStatus == 0 || stGarbage.nStatus == 400) << stGarbage.strHead;

    EXPECT_TRUE(setCommands(get("/api/channels/1/ia-log")).empty());
    EXPECT_EQ(valueOf(34), 50);
    EXPECT_EQ(valueOf(2337), 50);
    EXPECT_EQ(get("/api/channels/1/state")["current_scheme"], 0);
    EXPECT_EQ(get("/api/camera")["clock"], "12:00:00");
}

TEST_F(ServeTest, ARequestCutOffHalfwayChangesNothing) {
    startServer();
    get("/api/channels/1/ia-log");
    const std::string strBody = R"({"pairs":[{"key":34,"value":7}]})";
    for (size_t nCut : {size_t(0), strBody.size() / 2, strBody.size() - 1}) {
        int nFd = connectToServer();
        sendAll(nFd, std::string("POST ") + PARAMETERS + " HTTP/1.1\r\nHost: " + host() +
                         "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(strBody.size()) +
                         "\r\n\r\n" + strBody.substr(0, nCut));
        close(nFd);
    }
    // Long enough for a server that wrongly handled a part to have done it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(valueOf(34), 50);
    EXPECT_TRUE(setCommands(get("/api/channels/1/ia-log")).empty());
}

TEST_F(ServeTest, ChannelsAreServedAtOnceAndTheCameraStaysWhole) {
    startServer("--channels 2");
    std::atomic<int> nFailures(0);
    std::vector<std::thread> vecClients;
    for (int nClient = 0; nClient < 4; ++nClient) {
        vecClients.emplace_back([&, nClient] {
            int nChannel = nClient % 2 + 1;
            std::string strChannel = "/api/channels/" + std::to_string(nChannel);
            for (int i = 0; i < 15; ++i) {
                std::string strBody = "{\"pairs\":[{\"key\":34,\"value\":" + std::to_string(i * 5) + "}]}";
                if (request("POST", strChannel + "/parameters", strBody).nStatus != 200) ++nFailures;
                if (request("GET", strChannel + "/ia-log").nStatus != 200) ++nFailures;
                if (nClient == 0 && request("POST", "/api/run", "{\"seconds\":2}").nStatus != 200) ++nFailures;
                if (nClient == 1 && request("GET", strChannel + "/ui").nStatus != 200) ++nFailures;
            }
        });
    }
    for (std::thread& t : vecClients) t.join();
    EXPECT_EQ(nFailures.load(), 0);
    // Each channel ends with the last value one of its clients wrote.
    EXPECT_EQ(valueOf(34, 1), 70);
    EXPECT_EQ(valueOf(34, 2), 70);
    EXPECT_EQ(get("/api/camera")["clock"], "12:00:30");
}
