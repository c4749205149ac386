// A command-line session: one controller per channel on the simulated camera, and the commands that drive it.
#ifndef IMAGETUNE_TOOLS_SIMSESSION_H
#define IMAGETUNE_TOOLS_SIMSESSION_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "SensorKeyVal.h"
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

// The scripted tour of "imagetune-sim demo", as command lines with the narration before each step.
struct SimDemoStep {
    const char* szNarration;
    std::vector<std::string> vecLines;
};
std::vector<SimDemoStep> demoSteps();

class SimVideoModule;
class SimLibraryOutput;

class SimSession {
public:
    SimSession(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut);
    ~SimSession();

    // Starts every channel with the module detail text; false when a channel came up without any parameter
    // (its UI style could not be read), with p_strError naming the missing document.
    bool start(const std::string& p_strDetail, std::string& p_strError);
    // The keys of channel p_nChannel (1-based), known once the session has started.
    const SimKeyCatalogue& keys(int p_nChannel) const { return m_vecKeys[p_nChannel - 1]; }
    // Runs one checked and resolved command; false with p_strError set when it cannot be carried out.
    bool run(const SimCommand& p_stCommand, std::string& p_strError);
    void stop();

private:
    typedef bool (SimSession::*Handler)(const SimCommand&, std::string&);
    struct HandlerRow {
        const char* szName;
        Handler pfnRun;
    };
    static const HandlerRow HANDLERS[];

    ISensorController& current() { return *m_vecChannels[m_nChannel - 1]; }
    const SimKeyCatalogue& currentKeys() const { return m_vecKeys[m_nChannel - 1]; }
    // Runs p_fnCall with the library's standard output captured, then shows its tagged lines on standard
    // error (every line with --verbose).
    template <typename F>
    auto quietly(F p_fnCall) -> decltype(p_fnCall()) {
        captureLibraryOutput();
        auto result = p_fnCall();
        releaseLibraryOutput();
        return result;
    }
    void captureLibraryOutput();
    // Ends the capture, keeps the text in m_strLibraryOutput and shows it.
    void releaseLibraryOutput();
    void keepThreadStopped();
    std::string keyName(u32 p_nKey) const { return currentKeys().name(p_nKey); }
    u32 schemeSum();
    std::string schemeName(int p_nScheme);
    std::string clockText() const;
    void setClock(long p_nSeconds);
    // Pairs as text lines, or as a JSON array.
    void printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent);
    SimJson pairsJson(const std::vector<KeyVal>& p_vecPairs) const;
    SimJson rangeJson(const SimRange& p_stRange) const;

    // What decides the current channel's scheme, as the library holds it (SimSchedule.cpp).
    struct SchemeWindow {
        u32 nStartHour, nStartMin, nEndHour, nEndMin;
        u32 start() const { return nStartHour * 100 + nStartMin; }
        u32 end() const { return nEndHour * 100 + nEndMin; }
        bool holds(u32 p_nTime) const { return start() <= p_nTime && p_nTime < end(); }
        std::string text() const;
    };
    struct SchemeState {
        int nCurrent = -1;
        int nParamMode = 1;
        u32 nSchemeSum = 0;
        bool bTimeMode = false;
        bool bDayNightMode = false;
        bool bLpr = false;                     // time mode on an LPR camera: outside the windows day/night decides
        int nDayNight = 0;                     // the state the sensor reports, 0 day
        std::vector<SchemeWindow> vecWindows;  // of the user schemes 0 to nSchemeSum - 1
    };
    // p_bReadDayNight: also ask the library for the day/night state (an IA read that ia-log shows).
    SchemeState schemeState(bool p_bReadDayNight);
    // The scheme mode in words, and who chooses the scheme under it.
    static std::string schemeModeText(const SchemeState& p_stState);

    // Parameters (SimParamCommands.cpp).
    bool cmdSet(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdGet(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdAll(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRange(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdKeys(const SimCommand& p_stCommand, std::string& p_strError);
    // Schemes and the sensor thread (SimSchemeCommands.cpp).
    bool cmdScheme(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdMode(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdFlush(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRestore(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdReset(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdState(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdDayNight(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdClock(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdRun(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdChannel(const SimCommand& p_stCommand, std::string& p_strError);
    // The day's schedule (SimSchedule.cpp).
    bool cmdSchedule(const SimCommand& p_stCommand, std::string& p_strError);
    // Documents and files (SimFileCommands.cpp).
    bool cmdStyle(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdIaLog(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdShowScheme(const SimCommand& p_stCommand, std::string& p_strError);
    bool cmdDiffScheme(const SimCommand& p_stCommand, std::string& p_strError);

    int m_nChannels;
    bool m_bVerbose;
    SimOutput& m_objOut;
    int m_nChannel;
    long m_nClockSeconds;  // seconds since midnight on the simulated clock
    std::unique_ptr<SimVideoModule> m_pVideo;
    std::vector<std::unique_ptr<ISensorController>> m_vecChannels;
    std::vector<SimKeyCatalogue> m_vecKeys;
    size_t m_nIaLogFrom;
    std::string m_strDetail;  // the module detail text the channels started with
    std::unique_ptr<SimLibraryOutput> m_pCapture;
    std::string m_strLibraryOutput;  // what the library printed in the last quietly() call
};

#endif
