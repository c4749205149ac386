// A command-line session: one controller per channel on the simulated camera, and the commands that drive it.
#ifndef IMAGETUNE_TOOLS_SIMSESSION_H
#define IMAGETUNE_TOOLS_SIMSESSION_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "SensorKeyVal.h"

struct SimCommand {
    std::string strName;
    std::vector<std::string> vecArgs;
    std::string strSource;  // where it came from, for messages: "argument 3", "script.txt:4"
};

// Splits command words into commands; false with p_strError naming the problem.
bool parseCommandWords(const std::vector<std::string>& p_vecWords, std::vector<SimCommand>& p_vecCommands,
                       std::string& p_strError);
// One command per line ("name arguments..."); blank lines and lines starting with "#" are skipped.
bool parseCommandLines(const std::vector<std::string>& p_vecLines, const std::string& p_strOrigin,
                       std::vector<SimCommand>& p_vecCommands, std::string& p_strError);
// One line per command: its form and what it does.
std::string commandHelp();
// The scripted tour of "imagetune-sim demo", as command lines with the narration before each step.
struct SimDemoStep {
    const char* szNarration;  // printed before the commands; null: none
    std::vector<std::string> vecLines;
};
std::vector<SimDemoStep> demoSteps();
// Checks the arguments of a parsed command without running it.
bool checkCommand(const SimCommand& p_stCommand, int p_nChannels, std::string& p_strError);

class SimVideoModule;

class SimSession {
public:
    SimSession(int p_nChannels, bool p_bVerbose);
    ~SimSession();

    // Starts every channel with the module detail text.
    void start(const std::string& p_strDetail);
    // Runs one checked command; false with p_strError set when it cannot be carried out.
    bool run(const SimCommand& p_stCommand, std::string& p_strError);
    void stop();

    // "hh:mm:ss" of the simulated clock.
    std::string clockText() const;

private:
    ISensorController& current() { return *m_vecChannels[m_nChannel - 1]; }
    // Runs p_fnCall with the library's standard output captured; prints its tagged lines (all with verbose).
    template <typename F>
    auto quietly(F p_fnCall) -> decltype(p_fnCall());
    void printLibraryOutput(const std::string& p_strOut);
    void keepThreadStopped();
    std::string keyName(u32 p_nKey);
    void loadKeyNames();
    std::string schemeName(int p_nScheme);
    void printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent);

    bool cmdSet(const std::string& p_strText, std::string& p_strError);
    bool cmdGet(const std::string& p_strKeys);
    bool cmdAll();
    bool cmdRange(int p_nKey);
    bool cmdScheme(int p_nScheme, std::string& p_strError);
    bool cmdMode(int p_nMode);
    bool cmdFlush();
    bool cmdRestore();
    bool cmdReset();
    bool cmdStyle();
    bool cmdDayNight(int p_nState);
    bool cmdClock(int p_nHour, int p_nMinute);
    bool cmdRun(long p_nSeconds);
    bool cmdIaLog();
    bool cmdShowScheme(const std::string& p_strFile, std::string& p_strError);
    bool cmdDiffScheme(const std::string& p_strA, const std::string& p_strB, std::string& p_strError);

    int m_nChannels;
    bool m_bVerbose;
    int m_nChannel;
    long m_nClockSeconds;  // seconds since midnight on the simulated clock
    std::unique_ptr<SimVideoModule> m_pVideo;
    std::vector<std::unique_ptr<ISensorController>> m_vecChannels;
    std::map<u32, std::string> m_mapKeyNames;
    size_t m_nIaLogFrom;
};

#endif
