// The command vocabulary of the command line: names, argument counts and argument checks.
#include <errno.h>
#include <stdlib.h>

#include <sstream>

#include "SimSession.h"

namespace {

enum ArgKind { ARG_NONE, ARG_TEXT, ARG_PAIRS, ARG_INT, ARG_MODE, ARG_STATE, ARG_CLOCK, ARG_SECONDS, ARG_CHANNEL };

struct CommandRow {
    const char* szName;
    ArgKind aeArgs[2];
    int nArgs;
    const char* szHelp;
};

const CommandRow COMMANDS[] = {
    {"set", {ARG_PAIRS}, 1, "set (KEY,VALUE)...   write parameters into the current scheme"},
    {"get", {ARG_TEXT}, 1, "get (KEY,...)        read parameters"},
    {"all", {ARG_NONE}, 0, "all                  every parameter of the current scheme"},
    {"range", {ARG_INT}, 1, "range KEY            the sensor's default and valid values of a range key"},
    {"scheme", {ARG_INT}, 1, "scheme N             switch to scheme N (the last one is the factory scheme)"},
    {"mode", {ARG_MODE}, 1, "mode 0|1             manual or automatic scheme switching"},
    {"flush", {ARG_NONE}, 0, "flush                save the current scheme to its file"},
    {"restore", {ARG_NONE}, 0, "restore              undo the changes made since the last flush"},
    {"reset", {ARG_NONE}, 0, "reset                factory reset of the channel"},
    {"style", {ARG_NONE}, 0, "style                print the UI style document"},
    {"dn", {ARG_STATE}, 1, "dn STATE             the day/night state the sensor reports (0 day)"},
    {"clock", {ARG_CLOCK}, 1, "clock HH:MM          set the simulated clock"},
    {"run", {ARG_SECONDS}, 1, "run SECONDS          run the sensor thread for that many simulated seconds"},
    {"ia-log", {ARG_NONE}, 0, "ia-log               the IA commands sent since the last ia-log"},
    {"show-scheme", {ARG_TEXT}, 1, "show-scheme FILE     decode a scheme file"},
    {"diff-scheme", {ARG_TEXT, ARG_TEXT}, 2, "diff-scheme A B      the keys whose values differ"},
    {"channel", {ARG_CHANNEL}, 1, "channel N            act on channel N from now on"},
};

const CommandRow* findCommand(const std::string& p_strName) {
    for (const CommandRow& row : COMMANDS) {
        if (p_strName == row.szName) return &row;
    }
    return nullptr;
}

bool wholeNumber(const std::string& p_strText, long& p_nVal) {
    if (p_strText.empty()) return false;
    errno = 0;
    char* pEnd = nullptr;
    p_nVal = strtol(p_strText.c_str(), &pEnd, 10);
    return errno == 0 && *pEnd == '\0';
}

bool checkArg(ArgKind p_eKind, const std::string& p_strArg, int p_nChannels, std::string& p_strWhy) {
    long n = 0;
    switch (p_eKind) {
        case ARG_NONE:
        case ARG_TEXT:
            return true;
        case ARG_PAIRS:
            p_strWhy = "expected pairs such as (34,50)(2337,128)";
            return p_strArg.size() >= 5 && p_strArg.front() == '(' && p_strArg.back() == ')' &&
                   p_strArg.find(',') != std::string::npos;
        case ARG_INT:
            p_strWhy = "expected a whole number";
            return wholeNumber(p_strArg, n) && n >= 0 && n <= 0x7fffffff;
        case ARG_MODE:
            p_strWhy = "expected 0 (manual) or 1 (automatic)";
            return wholeNumber(p_strArg, n) && (n == 0 || n == 1);
        case ARG_STATE:
            p_strWhy = "expected a day/night state, 0 (day) or more";
            return wholeNumber(p_strArg, n) && n >= 0 && n <= 0x7fffffff;
        case ARG_CLOCK: {
            p_strWhy = "expected a time HH:MM from 00:00 to 23:59";
            size_t nColon = p_strArg.find(':');
            long nHour = 0, nMinute = 0;
            return nColon != std::string::npos && wholeNumber(p_strArg.substr(0, nColon), nHour) &&
                   wholeNumber(p_strArg.substr(nColon + 1), nMinute) && nHour >= 0 && nHour < 24 && nMinute >= 0 &&
                   nMinute < 60;
        }
        case ARG_SECONDS:
            p_strWhy = "expected a number of seconds from 1 to 604800 (a week)";
            return wholeNumber(p_strArg, n) && n >= 1 && n <= 604800;
        case ARG_CHANNEL:
            p_strWhy = "expected a channel from 1 to " + std::to_string(p_nChannels);
            return wholeNumber(p_strArg, n) && n >= 1 && n <= p_nChannels;
    }
    return false;
}

std::string knownCommands() {
    std::string strNames;
    for (const CommandRow& row : COMMANDS) strNames += std::string(strNames.empty() ? "" : ", ") + row.szName;
    return strNames;
}

}  // namespace

std::string commandHelp() {
    std::string strHelp;
    for (const CommandRow& row : COMMANDS) strHelp += std::string("  ") + row.szHelp + "\n";
    return strHelp;
}

bool parseCommandWords(const std::vector<std::string>& p_vecWords, std::vector<SimCommand>& p_vecCommands,
                       std::string& p_strError) {
    for (size_t i = 0; i < p_vecWords.size();) {
        const CommandRow* pRow = findCommand(p_vecWords[i]);
        std::string strSource = "argument " + std::to_string(i + 1);
        if (pRow == nullptr) {
            p_strError = strSource + ": unknown command \"" + p_vecWords[i] + "\" (commands: " + knownCommands() + ")";
            return false;
        }
        if (i + static_cast<size_t>(pRow->nArgs) >= p_vecWords.size() && pRow->nArgs > 0) {
            p_strError = strSource + ": " + pRow->szName + " needs " + std::to_string(pRow->nArgs) + " argument" +
                         (pRow->nArgs == 1 ? "" : "s") + " (" + pRow->szHelp + ")";
            return false;
        }
        SimCommand stCommand;
        stCommand.strName = pRow->szName;
        stCommand.strSource = strSource;
        for (int a = 0; a < pRow->nArgs; ++a) stCommand.vecArgs.push_back(p_vecWords[i + 1 + a]);
        p_vecCommands.push_back(stCommand);
        i += 1 + pRow->nArgs;
    }
    return true;
}

bool parseCommandLines(const std::vector<std::string>& p_vecLines, const std::string& p_strOrigin,
                       std::vector<SimCommand>& p_vecCommands, std::string& p_strError) {
    for (size_t i = 0; i < p_vecLines.size(); ++i) {
        std::string strLine = p_vecLines[i];
        size_t nFirst = strLine.find_first_not_of(" \t\r");
        if (nFirst == std::string::npos || strLine[nFirst] == '#') continue;
        size_t nLast = strLine.find_last_not_of(" \t\r");
        strLine = strLine.substr(nFirst, nLast - nFirst + 1);
        std::istringstream in(strLine);
        std::vector<std::string> vecWords;
        std::string strWord;
        while (in >> strWord) vecWords.push_back(strWord);
        std::string strSource = p_strOrigin + ":" + std::to_string(i + 1);
        const CommandRow* pRow = findCommand(vecWords[0]);
        if (pRow == nullptr) {
            p_strError = strSource + ": unknown command \"" + vecWords[0] + "\" (commands: " + knownCommands() + ")";
            return false;
        }
        if (vecWords.size() != static_cast<size_t>(pRow->nArgs) + 1) {
            p_strError = strSource + ": " + pRow->szName + " takes " + std::to_string(pRow->nArgs) + " argument" +
                         (pRow->nArgs == 1 ? "" : "s") + ", not " + std::to_string(vecWords.size() - 1) + " (" +
                         pRow->szHelp + ")";
            return false;
        }
        SimCommand stCommand;
        stCommand.strName = pRow->szName;
        stCommand.strSource = strSource;
        stCommand.vecArgs.assign(vecWords.begin() + 1, vecWords.end());
        p_vecCommands.push_back(stCommand);
    }
    return true;
}

bool checkCommand(const SimCommand& p_stCommand, int p_nChannels, std::string& p_strError) {
    const CommandRow* pRow = findCommand(p_stCommand.strName);
    if (pRow == nullptr || p_stCommand.vecArgs.size() != static_cast<size_t>(pRow->nArgs)) {
        p_strError = p_stCommand.strSource + ": bad command " + p_stCommand.strName;
        return false;
    }
    for (int a = 0; a < pRow->nArgs; ++a) {
        std::string strWhy;
        if (!checkArg(pRow->aeArgs[a], p_stCommand.vecArgs[a], p_nChannels, strWhy)) {
            p_strError =
                p_stCommand.strSource + ": " + p_stCommand.strName + " " + p_stCommand.vecArgs[a] + ": " + strWhy;
            return false;
        }
    }
    return true;
}
