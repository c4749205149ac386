// The command vocabulary: names, arguments, the commands' own options, help texts, and the checks of the
// arguments against the grammar (SimGrammar.h) and against the keys of the channel.
#include <errno.h>
#include <stdlib.h>

#include <sstream>

#include "SimSession.h"

namespace {

enum ArgKind {
    ARG_PAIRS,
    ARG_KEYS,
    ARG_KEY,
    ARG_INT,
    ARG_MODE,
    ARG_STATE,
    ARG_CLOCK,
    ARG_SECONDS,
    ARG_CHANNEL,
    ARG_FILE
};

struct CommandRow {
    const char* szName;
    ArgKind aeArgs[2];
    int nArgs;
    const char* aszFlags[2];  // the command's own options; at most one of them per use
    const char* szForm;
    const char* szSummary;
    const char* szDetail;  // more for "COMMAND --help"
};

// clang-format off
const CommandRow COMMANDS[] = {
    {"set", {ARG_PAIRS}, 1, {}, "set PAIRS", "write parameters into the current scheme",
     "Applies the values at once and keeps them in the current scheme; flush saves the scheme to its file.\n"
     "A value outside the key's known range (keys) is refused unless --force is given.\n"
     "Examples: set (34,60)(2337,45)    set brightness=60,saturation=45\n"},
    {"get", {ARG_KEYS}, 1, {}, "get KEYS", "read parameters of the current scheme",
     "Examples: get (34,2337)    get brightness,saturation    get brightness\n"},
    {"all", {}, 0, {}, "all", "every parameter of the current scheme", ""},
    {"range", {ARG_KEY}, 1, {}, "range KEY", "the valid values of a key",
     "From the IA library when it lists the key's command, else from the channel's UI style.\n"},
    {"keys", {}, 0, {}, "keys", "every key: name, how it is applied, value, factory value, range",
     "The channel's scheme keys in scheme order, then the other keys of the key-command table.\n"},
    {"scheme", {ARG_INT}, 1, {}, "scheme N", "switch to scheme N (the last one is the factory scheme)", ""},
    {"mode", {ARG_MODE}, 1, {}, "mode 0|1", "manual or automatic scheme switching", ""},
    {"flush", {}, 0, {}, "flush", "save the current scheme to its file", ""},
    {"restore", {}, 0, {}, "restore", "undo the changes made since the last flush", ""},
    {"reset", {}, 0, {}, "reset", "factory reset of the channel", ""},
    {"state", {}, 0, {}, "state", "the scheme state: current scheme, modes, time windows", ""},
    {"schedule", {}, 0, {"--day", "--night"}, "schedule [--day|--night]",
     "which scheme rules at every minute of the day, and why",
     "Reads the scheme headers, the modes and the day/night state that the sensor thread reads.\n"
     "--day or --night assumes that state instead of the one the sensor reports.\n"},
    {"style", {}, 0, {}, "style", "print the UI style document", ""},
    {"dn", {ARG_STATE}, 1, {}, "dn STATE", "the day/night state the sensor reports (0 day)", ""},
    {"clock", {ARG_CLOCK}, 1, {}, "clock HH:MM", "set the simulated clock", ""},
    {"run", {ARG_SECONDS}, 1, {}, "run SECONDS", "run the sensor thread for that many simulated seconds", ""},
    {"ia-log", {}, 0, {}, "ia-log", "the IA commands sent since the last ia-log", ""},
    {"show-scheme", {ARG_FILE}, 1, {}, "show-scheme FILE", "decode a scheme file",
     "FILE is a name in the scheme folder (sensor1_0.cfg), a device path or a host path.\n"},
    {"diff-scheme", {ARG_FILE, ARG_FILE}, 2, {}, "diff-scheme A B", "the keys whose values differ", ""},
    {"channel", {ARG_CHANNEL}, 1, {}, "channel N", "act on channel N from now on", ""},
};
// clang-format on

const CommandRow* findCommand(const std::string& p_strName) {
    for (const CommandRow& row : COMMANDS) {
        if (p_strName == row.szName) return &row;
    }
    return nullptr;
}

bool isHelpWord(const std::string& p_strWord) {
    return p_strWord == "-h" || p_strWord == "--help";
}

bool isFlagOf(const CommandRow& p_row, const std::string& p_strWord) {
    for (const char* szFlag : p_row.aszFlags) {
        if (szFlag != nullptr && p_strWord == szFlag) return true;
    }
    return false;
}

std::string commandUsage(const CommandRow& p_row) {
    return std::string("usage: imagetune-sim [options] ") + p_row.szForm + "\n" + p_row.szSummary + ".\n" +
           p_row.szDetail;
}

bool wholeNumber(const std::string& p_strText, long& p_nVal) {
    if (p_strText.empty() || !isdigit(static_cast<unsigned char>(p_strText[0]))) return false;
    errno = 0;
    char* pEnd = nullptr;
    p_nVal = strtol(p_strText.c_str(), &pEnd, 10);
    return errno == 0 && *pEnd == '\0';
}

bool checkArg(ArgKind p_eKind, const std::string& p_strArg, int p_nChannels, SimCommand& p_stCommand,
              std::string& p_strWhy) {
    long n = 0;
    switch (p_eKind) {
        case ARG_FILE:
            return true;
        case ARG_PAIRS:
            return parsePairText(p_strArg, p_stCommand.vecPairTokens, p_strWhy);
        case ARG_KEYS:
            return parseKeyListText(p_strArg, p_stCommand.vecKeyTokens, p_strWhy);
        case ARG_KEY:
            p_stCommand.vecKeyTokens.resize(1);
            return parseKeyText(p_strArg, p_stCommand.vecKeyTokens[0], p_strWhy);
        case ARG_INT:
            p_strWhy = "expected a whole number";
            if (!wholeNumber(p_strArg, n) || n > 0x7fffffff) return false;
            break;
        case ARG_MODE:
            p_strWhy = "expected 0 (manual) or 1 (automatic)";
            if (!wholeNumber(p_strArg, n) || (n != 0 && n != 1)) return false;
            break;
        case ARG_STATE:
            p_strWhy = "expected a day/night state, 0 (day) or more";
            if (!wholeNumber(p_strArg, n) || n > 0x7fffffff) return false;
            break;
        case ARG_CLOCK: {
            p_strWhy = "expected a time HH:MM from 00:00 to 23:59";
            size_t nColon = p_strArg.find(':');
            long nHour = 0, nMinute = 0;
            if (nColon == std::string::npos || !wholeNumber(p_strArg.substr(0, nColon), nHour) ||
                !wholeNumber(p_strArg.substr(nColon + 1), nMinute) || nHour > 23 || nMinute > 59) {
                return false;
            }
            n = nHour * 60 + nMinute;
            break;
        }
        case ARG_SECONDS:
            p_strWhy = "expected a number of seconds from 1 to 604800 (a week)";
            if (!wholeNumber(p_strArg, n) || n < 1 || n > 604800) return false;
            break;
        case ARG_CHANNEL:
            p_strWhy = "expected a channel from 1 to " + std::to_string(p_nChannels);
            if (!wholeNumber(p_strArg, n) || n < 1 || n > p_nChannels) return false;
            break;
    }
    p_stCommand.nNumber = n;
    return true;
}

std::string commandSuggestion(const std::string& p_strWord) {
    std::vector<std::string> vecNames;
    for (const CommandRow& row : COMMANDS) vecNames.push_back(row.szName);
    return didYouMean(p_strWord, vecNames);
}

std::string knownCommands() {
    std::string strNames;
    for (const CommandRow& row : COMMANDS) strNames += std::string(strNames.empty() ? "" : ", ") + row.szName;
    return strNames;
}

std::string argumentCount(int p_nArgs) {
    return std::to_string(p_nArgs) + " argument" + (p_nArgs == 1 ? "" : "s");
}

}  // namespace

std::string commandHelp() {
    std::string strHelp;
    for (const CommandRow& row : COMMANDS) {
        std::string strForm = row.szForm;
        strHelp +=
            "  " + strForm + std::string(strForm.size() < 26 ? 26 - strForm.size() : 1, ' ') + row.szSummary + "\n";
    }
    return strHelp;
}

bool parseCommandWords(const std::vector<std::string>& p_vecWords, std::vector<SimCommand>& p_vecCommands,
                       std::string& p_strHelp, std::string& p_strError) {
    for (size_t i = 0; i < p_vecWords.size();) {
        std::string strSource = "argument " + std::to_string(i + 1);
        const CommandRow* pRow = findCommand(p_vecWords[i]);
        if (pRow == nullptr) {
            p_strError = p_vecWords[i][0] == '-' ? strSource + ": unknown option " + p_vecWords[i] + " (see --help)"
                                                 : strSource + ": unknown command \"" + p_vecWords[i] + "\"" +
                                                       commandSuggestion(p_vecWords[i]) +
                                                       " (commands: " + knownCommands() + ")";
            return false;
        }
        SimCommand stCommand;
        stCommand.strName = pRow->szName;
        stCommand.strSource = strSource;
        size_t j = i + 1;
        for (int a = 0; a < pRow->nArgs; ++a, ++j) {
            if (j < p_vecWords.size() && isHelpWord(p_vecWords[j])) break;
            if (j >= p_vecWords.size() || isFlagOf(*pRow, p_vecWords[j])) {
                p_strError = strSource + ": " + pRow->szName + " needs " + argumentCount(pRow->nArgs) + " (" +
                             pRow->szForm + ")";
                return false;
            }
            stCommand.vecArgs.push_back(p_vecWords[j]);
        }
        // Its own options, and a request for its help.
        for (; j < p_vecWords.size() && p_vecWords[j][0] == '-'; ++j) {
            if (isHelpWord(p_vecWords[j])) {
                p_strHelp = commandUsage(*pRow);
                p_vecCommands.clear();
                return true;
            }
            if (!isFlagOf(*pRow, p_vecWords[j])) break;
            if (!stCommand.vecFlags.empty()) {
                p_strError =
                    strSource + ": " + pRow->szName + " takes one of its options, not more (" + pRow->szForm + ")";
                return false;
            }
            stCommand.vecFlags.push_back(p_vecWords[j]);
        }
        p_vecCommands.push_back(stCommand);
        i = j;
    }
    return true;
}

bool parseCommandLines(const std::vector<std::string>& p_vecLines, const std::string& p_strOrigin,
                       std::vector<SimCommand>& p_vecCommands, std::string& p_strError) {
    for (size_t i = 0; i < p_vecLines.size(); ++i) {
        std::istringstream in(p_vecLines[i]);
        std::vector<std::string> vecWords;
        std::string strWord;
        while (in >> strWord) vecWords.push_back(strWord);
        if (vecWords.empty() || vecWords[0][0] == '#') continue;
        std::string strSource = p_strOrigin + ":" + std::to_string(i + 1);
        const CommandRow* pRow = findCommand(vecWords[0]);
        if (pRow == nullptr) {
            p_strError = strSource + ": unknown command \"" + vecWords[0] + "\"" + commandSuggestion(vecWords[0]) +
                         " (commands: " + knownCommands() + ")";
            return false;
        }
        SimCommand stCommand;
        stCommand.strName = pRow->szName;
        stCommand.strSource = strSource;
        for (size_t w = 1; w < vecWords.size(); ++w) {
            if (isFlagOf(*pRow, vecWords[w]) && stCommand.vecFlags.empty()) {
                stCommand.vecFlags.push_back(vecWords[w]);
            } else {
                stCommand.vecArgs.push_back(vecWords[w]);
            }
        }
        if (stCommand.vecArgs.size() != static_cast<size_t>(pRow->nArgs)) {
            p_strError = strSource + ": " + pRow->szName + " takes " + argumentCount(pRow->nArgs) + ", not " +
                         std::to_string(stCommand.vecArgs.size()) + " (" + pRow->szForm + ")";
            return false;
        }
        p_vecCommands.push_back(stCommand);
    }
    return true;
}

bool checkCommand(SimCommand& p_stCommand, int p_nChannels, std::string& p_strError) {
    const CommandRow* pRow = findCommand(p_stCommand.strName);
    if (pRow == nullptr || p_stCommand.vecArgs.size() != static_cast<size_t>(pRow->nArgs)) {
        p_strError = p_stCommand.strSource + ": bad command " + p_stCommand.strName;
        return false;
    }
    for (int a = 0; a < pRow->nArgs; ++a) {
        std::string strWhy;
        if (!checkArg(pRow->aeArgs[a], p_stCommand.vecArgs[a], p_nChannels, p_stCommand, strWhy)) {
            p_strError =
                p_stCommand.strSource + ": " + p_stCommand.strName + " " + p_stCommand.vecArgs[a] + ": " + strWhy;
            return false;
        }
    }
    return true;
}

bool resolveCommand(SimCommand& p_stCommand, const SimKeyCatalogue& p_objKeys, bool p_bForce, std::string& p_strError) {
    std::string strWhere = p_stCommand.strSource + ": " + p_stCommand.strName + " " +
                           (p_stCommand.vecArgs.empty() ? "" : p_stCommand.vecArgs[0]) + ": ";
    p_stCommand.vecKeys.clear();
    p_stCommand.vecPairs.clear();
    for (const SimKeyToken& stToken : p_stCommand.vecKeyTokens) {
        uint32_t nKey = 0;
        std::string strWhy;
        if (!p_objKeys.resolve(stToken, p_bForce, nKey, strWhy)) {
            p_strError = strWhere + strWhy;
            return false;
        }
        p_stCommand.vecKeys.push_back(nKey);
    }
    for (const SimPairToken& stPair : p_stCommand.vecPairTokens) {
        uint32_t nKey = 0;
        std::string strWhy;
        if (!p_objKeys.resolve(stPair.stKey, p_bForce, nKey, strWhy)) {
            p_strError = strWhere + strWhy;
            return false;
        }
        int32_t nValue = stPair.nValue;
        if (!stPair.strChoice.empty() && !p_objKeys.choice(nKey, stPair.strChoice, nValue, strWhy)) {
            p_strError = strWhere + strWhy;
            return false;
        }
        if (!p_bForce && !valueInRange(p_objKeys, nKey, nValue, strWhy)) {
            p_strError = strWhere + strWhy + "; --force sends it anyway";
            return false;
        }
        p_stCommand.vecPairs.push_back({nKey, static_cast<u32>(nValue)});
    }
    return true;
}

bool valueInRange(const SimKeyCatalogue& p_objKeys, uint32_t p_nKey, int32_t p_nValue, std::string& p_strError) {
    const SimKeyInfo* pInfo = p_objKeys.find(p_nKey);
    if (pInfo == nullptr || pInfo->stRange.allows(p_nValue)) return true;
    p_strError = "value " + std::to_string(p_nValue) + " is outside the range of key " + std::to_string(p_nKey) + " (" +
                 p_objKeys.name(p_nKey) + "): " + pInfo->stRange.text() + " (from the " +
                 (pInfo->stRange.eSource == SimRange::IA ? "IA library" : "UI style") + ")";
    return false;
}
