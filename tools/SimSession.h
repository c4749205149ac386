// A command-line session: one controller per channel on the simulated camera, and the commands that drive it.
#ifndef IMAGETUNE_TOOLS_SIMSESSION_H
#define IMAGETUNE_TOOLS_SIMSESSION_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "SensorKeyVal.h"
#include "SimCamera.h"
#include "SimGrammar.h"
#include "SimKeys.h"
#include "SimOutput.h"

struct SimCommand {
    std::string strName;
    std::vector<std::string> vecArgs;
    std::vector<std::string> vecFlags;  // the command's own options, such as --night
    std::string strSource;              // where it came from, for messages: "argument 3", "script.txt:4"
    // Read from the arguments by checkCommand.
    std::vector<SimPairToken> vecPairTokens;
    std::vector<SimKeyToken> vecKeyTokens;
    long nNumber = 0;  // the number argument (scheme, mode, state, seconds, channel), or the clock in minutes
    // Filled by resolveCommand from the keys of the channel the command acts on.
    std::vector<KeyVal> vecPairs;
    std::vector<uint32_t> vecKeys;
};

// ---- The command vocabulary (SimCommands.cpp).

// Splits command-line words into commands. A -h or --help among them asks for help instead: p_strHelp gets
// the help of the command it follows (or of the tool) and the result is true with no commands.
bool parseCommandWords(const std::vector<std::string>& p_vecWords, std::vector<SimCommand>& p_vecCommands,
                       std::string& p_strHelp, std::string& p_strError);
// One command per line ("name arguments..."); blank lines and lines starting with "#" are skipped.
bool parseCommandLines(const std::vector<std::string>& p_vecLines, const std::string& p_strOrigin,
                       std::vector<SimCommand>& p_vecCommands, std::string& p_strError);
// One line per command: its form and what it does.
std::string commandHelp();
// Checks the arguments of a parsed command against the grammar without running it.
bool checkCommand(SimCommand& p_stCommand, int p_nChannels, std::string& p_strError);
// Looks the keys of a checked command up among the channel's keys and checks the values against their
// ranges; p_bForce lets unknown keys and values outside a range through.
bool resolveCommand(SimCommand& p_stCommand, const SimKeyCatalogue& p_objKeys, bool p_bForce, std::string& p_strError);
// Whether the value is within the key's known range (true when none is known); p_strError says why not.
bool valueInRange(const SimKeyCatalogue& p_objKeys, uint32_t p_nKey, int32_t p_nValue, std::string& p_strError);

// The scripted tour of "imagetune-sim demo", as command lines with the narration before each step.
struct SimDemoStep {
    const char* szNarration;
    std::vector<std::string> vecLines;
};
std::vector<SimDemoStep> demoSteps();

// How a command ended: its effect happened; it reached the library (or the camera) and its effect did not
// happen; or the tool refused its input before anything reached the library. The values are the exit statuses.
enum SimRunResult { SIM_RUN_DONE = 0, SIM_RUN_FAILED = 1, SIM_RUN_REFUSED = 2 };

// The command line's session: the simulated camera, the channel the commands act on, and the commands.
class SimSession {
public:
    SimSession(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut);
    ~SimSession();

    // Starts every channel with the module detail text; false when a channel came up without any parameter
    // (its UI style could not be read), with p_strError naming the missing document.
    bool start(const std::string& p_strDetail, std::string& p_strError);
    // The keys of channel p_nChannel (1-based), known once the session has started.
    const SimKeyCatalogue& keys(int p_nChannel) const { return m_objCamera.keys(p_nChannel); }
    // Runs one checked and resolved command; p_strError says why when it did not end SIM_RUN_DONE. In JSON mode
    // every command writes one document: its data, or what it sent, refused or saved, with "ok" and "error".
    SimRunResult run(const SimCommand& p_stCommand, std::string& p_strError);
    void stop();

private:
    typedef bool (SimSession::*Handler)(const SimCommand&, std::string&);
    struct HandlerRow {
        const char* szName;
        Handler pfnRun;
    };
    static const HandlerRow HANDLERS[];

    ISensorController& current() { return m_objCamera.channel(m_nChannel); }
    const SimKeyCatalogue& currentKeys() const { return m_objCamera.keys(m_nChannel); }
    template <typename F>
    auto quietly(F p_fnCall) -> decltype(p_fnCall()) {
        return m_objCamera.quietly(p_fnCall);
    }
    std::string keyName(u32 p_nKey) const { return currentKeys().name(p_nKey); }
    u32 schemeSum() const { return m_objCamera.schemeSum(m_nChannel); }
    std::string schemeName(int p_nScheme) const { return m_objCamera.schemeName(m_nChannel, p_nScheme); }
    // Pairs as text lines.
    void printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent);
    // For a handler whose command the tool refuses before anything reaches the library: false, with the reason.
    bool refuse(std::string& p_strError, const std::string& p_strWhy) {
        m_bRefused = true;
        p_strError = p_strWhy;
        return false;
    }

    // Parameters (SimParamCommands.cpp).
    bool cmdSet(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdGet(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdAll(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRange(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdKeys(const SimCommand& p_stCommand, std::string& p_strError);
    // Schemes (SimSchemeCommands.cpp).
    bool cmdScheme(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdMode(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdFlush(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRestore(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdReset(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdState(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdSchedule(const SimCommand& p_stCommand, std::string& p_strError);
    // The simulated world: the sensor, the clock, the sensor threads, the channel acted on
    // (SimWorldCommands.cpp).
    bool cmdDayNight(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdClock(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRun(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdChannel(const SimCommand& p_stCommand, std::string& p_strError);
    // Documents and files (SimFileCommands.cpp).
    bool cmdStyle(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdIaLog(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdShowScheme(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdDiffScheme(const SimCommand& p_stCommand, std::string& p_strError);

    SimOutput& m_objOut;
    SimCamera m_objCamera;
    int m_nChannel;
    size_t m_nIaLogFrom;
    // Set by the running handler: whether it refused its input, and what it sent, refused or saved (the members
    // of its JSON document when it writes no data of its own).
    bool m_bRefused = false;
    SimJson m_objDetail;
};

#endif
