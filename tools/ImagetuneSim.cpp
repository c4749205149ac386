// imagetune-sim: one camera's sensor controllers on a workstation, driven by commands.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "ImagetuneVersion.h"
#include "SimDevice.h"
#include "SimFiles.h"
#include "SimServer.h"
#include "SimSession.h"

// The library's version text (version.cpp).

namespace {

const int EXIT_BAD_INPUT = 2;
const int MAX_CHANNELS = 8;  // as many as the IA library has

const char* const USAGE =
    "usage: imagetune-sim [options] [COMMAND [ARGS]]...\n"
    "       imagetune-sim [options] demo\n"
    "       imagetune-sim [options] serve [--port N] [--bind ADDR]\n"
    "       imagetune-sim COMMAND --help\n"
    "Starts every channel of a simulated camera, then runs the commands given as arguments, or those of\n"
    "--script FILE (one per line, '#' starts a comment), or those read from standard input.\n"
    "Data goes to standard output; banners, what a command did and the library's reports to standard error.\n"
    "Exit status: 0 when every command took effect; 1 when a command ran and its effect did not happen (the\n"
    "library refused a write, a flush saved nothing); 2 when the tool refused its input before anything\n"
    "reached the library. The first command that fails stops the rest.\n"
    "\n"
    "options (anywhere on the command line):\n"
    "  --root DIR            the camera's file tree (default ./device-root); a missing or empty one is seeded\n"
    "  --device-type N       device type written into a seeded root's machine information (default 1)\n"
    "  --hardware-model NAME hardware model of a seeded root (default Hi3516AV200)\n"
    "  --detail TEXT         the module detail text (default: the first module of the root's configuration)\n"
    "  --channels N          channels to start, 1 to 8 (default 1)\n"
    "  --script FILE         read the commands from FILE (- for standard input)\n"
    "  --json                one JSON document per command and line: its data, or what it sent, refused or\n"
    "                        saved, with \"ok\" and the \"error\" of a command that failed\n"
    "  --quiet               no banners and no word on what a command did; warnings and errors still show\n"
    "  --force               send unknown keys and values outside a key's range as given\n"
    "  --verbose             also show everything the library prints\n"
    "  --key-table           print the key-command table (Markdown) and stop\n"
    "  --version             print the versions and stop\n"
    "  -h, --help            this text\n"
    "\n"
    "commands:\n";

int badInput(const std::string& p_strMessage) {
    fflush(stdout);
    fprintf(stderr, "imagetune-sim: %s\n", p_strMessage.c_str());
    return EXIT_BAD_INPUT;
}

// A command that ran and did not take effect (1), or whose input the tool refused (2).
int commandFailed(SimRunResult p_eRun, const std::string& p_strMessage) {
    fflush(stdout);
    fprintf(stderr, "imagetune-sim: %s\n", p_strMessage.c_str());
    return p_eRun;
}

bool parseCount(const std::string& p_strText, int p_nMin, int p_nMax, int& p_nVal) {
    char* pEnd = nullptr;
    long n = strtol(p_strText.c_str(), &pEnd, 10);
    if (p_strText.empty() || *pEnd != '\0' || n < p_nMin || n > p_nMax) return false;
    p_nVal = static_cast<int>(n);
    return true;
}

std::vector<std::string> splitLines(const std::string& p_strText) {
    std::vector<std::string> vecLines;
    size_t nAt = 0;
    while (nAt < p_strText.size()) {
        size_t nEnd = p_strText.find('\n', nAt);
        if (nEnd == std::string::npos) nEnd = p_strText.size();
        vecLines.push_back(p_strText.substr(nAt, nEnd - nAt));
        nAt = nEnd + 1;
    }
    return vecLines;
}

// The commands of --script FILE or of standard input, read whole and bounded, never from a folder, a FIFO or a
// device (a link to a regular file is read through).
bool readScript(const std::string& p_strScript, std::vector<std::string>& p_vecLines, std::string& p_strError) {
    std::string strText, strWhy;
    if (p_strScript.empty() || p_strScript == "-") {
        if (!readBoundedStream(std::cin, SIM_MAX_SCRIPT_BYTES, strText, strWhy)) {
            p_strError = "standard input holds " + strWhy;
            return false;
        }
    } else {
        SimReadResult eRead = readGuardedFile(p_strScript, SIM_MAX_SCRIPT_BYTES, strText, strWhy);
        if (eRead != SIM_READ_OK) {
            p_strError = "cannot read the script " +
                         (eRead == SIM_READ_MISSING ? p_strScript + ": there is no such file" : strWhy);
            return false;
        }
    }
    p_vecLines = splitLines(strText);
    return true;
}

void printFlash(SimOutput& p_objOut) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> vecNames;
    for (const auto& entry : fs::directory_iterator(qx_device_path("/mnt/mtd/code/config_file"), ec)) {
        vecNames.push_back(entry.path().filename().string() + " (" + std::to_string(entry.file_size(ec)) + " bytes)");
    }
    std::sort(vecNames.begin(), vecNames.end());
    p_objOut.data("  /mnt/mtd/code/config_file holds %zu file%s", vecNames.size(), vecNames.size() == 1 ? "" : "s");
    for (const std::string& strName : vecNames) p_objOut.data("    %s", strName.c_str());
}

struct Options {
    SimDeviceOptions stDevice;
    std::string strScript;
    bool bVerbose = false;
    bool bQuiet = false;
    bool bJson = false;
    bool bForce = false;
    std::vector<std::string> vecWords;  // the commands and their own options
};

// 0: go on; 1: done (help or version printed); 2: bad input (reported).
int parseOptions(int argc, char** argv, Options& p_stOptions) {
    const char* const aszValued[] = {"--root",   "--device-type", "--hardware-model",
                                     "--detail", "--channels",    "--script"};
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        bool bValued = std::find(std::begin(aszValued), std::end(aszValued), strArg) != std::end(aszValued);
        if (bValued) {
            if (i + 1 >= argc) return badInput("option " + strArg + " needs a value (see --help)");
            std::string strValue = argv[++i];
            if (strArg == "--root") {
                p_stOptions.stDevice.strRoot = strValue;
            } else if (strArg == "--device-type") {
                if (!parseCount(strValue, 0, 100000, p_stOptions.stDevice.nDeviceType))
                    return badInput("--device-type " + strValue + ": expected a device type number");
            } else if (strArg == "--hardware-model") {
                p_stOptions.stDevice.strHardwareModel = strValue;
            } else if (strArg == "--detail") {
                p_stOptions.stDevice.strDetail = strValue;
            } else if (strArg == "--channels") {
                if (!parseCount(strValue, 1, MAX_CHANNELS, p_stOptions.stDevice.nChannels))
                    return badInput("--channels " + strValue + ": expected 1 to 8");
            } else {
                p_stOptions.strScript = strValue;
            }
        } else if (strArg == "--verbose") {
            p_stOptions.bVerbose = true;
        } else if (strArg == "--quiet") {
            p_stOptions.bQuiet = true;
        } else if (strArg == "--json") {
            p_stOptions.bJson = true;
        } else if (strArg == "--force") {
            p_stOptions.bForce = true;
        } else if (strArg == "--version") {
            printf("imagetune-sim %s (libimagetune %s)\n", IMAGETUNE_SIM_VERSION, imagetuneVersion(nullptr, nullptr, nullptr));
            return 1;
        } else if (strArg == "--key-table") {
            printf("%s", keyTableMarkdown().c_str());
            return 1;
        } else if ((strArg == "-h" || strArg == "--help") && p_stOptions.vecWords.empty()) {
            printf("%s%s\nKeys and pairs (set, get, range):\n%s", USAGE, commandHelp().c_str(), SIM_GRAMMAR_HELP);
            return 1;
        } else {
            // Commands, their arguments and their own options (a -h after a command asks for its help).
            p_stOptions.vecWords.push_back(strArg);
        }
    }
    if (p_stOptions.stDevice.strRoot.empty()) return badInput("--root needs a folder");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options stOptions;
    int nParsed = parseOptions(argc, argv, stOptions);
    if (nParsed != 0) return nParsed == 1 ? 0 : nParsed;
    SimOutput objOut(stdout, stderr);
    objOut.setQuiet(stOptions.bQuiet);
    objOut.setJson(stOptions.bJson);
    const SimDeviceOptions& stDevice = stOptions.stDevice;

    // Every command is checked against the grammar before the camera starts: a bad one changes nothing.
    bool bDemo = stOptions.vecWords.size() == 1 && stOptions.vecWords[0] == "demo";
    bool bServe = !stOptions.vecWords.empty() && stOptions.vecWords[0] == "serve";
    SimServeOptions stServe;
    std::vector<SimCommand> vecCommands;
    std::string strError;
    if (bDemo || bServe) {
        if (!stOptions.strScript.empty()) return badInput(stOptions.vecWords[0] + " takes no --script");
    }
    if (bDemo) {
        for (const SimDemoStep& stStep : demoSteps()) {
            if (!parseCommandLines(stStep.vecLines, "demo", vecCommands, strError)) return badInput(strError);
        }
    } else if (bServe) {
        bool bHelp = false;
        std::vector<std::string> vecServeWords(stOptions.vecWords.begin() + 1, stOptions.vecWords.end());
        if (!parseServeWords(vecServeWords, stServe, bHelp, strError)) return badInput(strError);
        if (bHelp) {
            printf("%s", SIM_SERVE_HELP);
            return 0;
        }
    } else if (!stOptions.vecWords.empty()) {
        if (!stOptions.strScript.empty())
            return badInput("give commands either as arguments or with --script, not both");
        std::string strHelp;
        if (!parseCommandWords(stOptions.vecWords, vecCommands, strHelp, strError)) return badInput(strError);
        if (!strHelp.empty()) {
            printf("%s", strHelp.c_str());
            return 0;
        }
    } else {
        std::vector<std::string> vecLines;
        if (!readScript(stOptions.strScript, vecLines, strError)) return badInput(strError);
        std::string strOrigin =
            stOptions.strScript.empty() || stOptions.strScript == "-" ? "stdin" : stOptions.strScript;
        if (!parseCommandLines(vecLines, strOrigin, vecCommands, strError)) return badInput(strError);
    }
    for (SimCommand& stCommand : vecCommands) {
        if (!checkCommand(stCommand, stDevice.nChannels, strError)) return badInput(strError);
    }

    std::string strFixtures = findFixturesDir();
    bool bSeeded = false;
    std::string strRoot;
    if (!prepareDeviceRoot(stDevice, strFixtures, bSeeded, strRoot, strError)) return badInput(strError);
    objOut.note("device root %s%s", strRoot.c_str(),
                bSeeded ? " (new: a blank camera seeded from the fixture documents)" : "");
    if (!checkDeviceDocuments(strError)) return badInput(strError);

    if (bServe) {
        // The server's own words go to standard error; standard output is the library's, shown filtered.
        SimOutput objNotes(stderr, stderr);
        objNotes.setQuiet(stOptions.bQuiet);
        setvbuf(stdout, nullptr, _IOLBF, 0);
        blockServerSignals();
        SimCamera objCamera(stDevice.nChannels, stOptions.bVerbose, objNotes);
        if (!objCamera.start(moduleDetail(stDevice), strError)) return badInput(strError);
        bool bServed = serveCamera(objCamera, objNotes, stOptions.bVerbose, stServe, findWebDir(), strError);
        objCamera.stop();
        return bServed ? 0 : badInput(strError);
    }

    SimSession objSession(stDevice.nChannels, stOptions.bVerbose, objOut);
    if (bDemo) {
        objOut.note(
            "\nStep 1. First start on a blank flash: no version file and no scheme files yet, so init\n"
            "removes stale schemes, creates every scheme file from the factory values of the UI style,\n"
            "writes the version and applies scheme 0 in full.");
        printFlash(objOut);
    }
    if (!objSession.start(moduleDetail(stDevice), strError)) return badInput(strError);
    if (bDemo) printFlash(objOut);

    // Keys and values are checked against the keys of the channel each command acts on, before any runs.
    int nChannel = 1;
    for (SimCommand& stCommand : vecCommands) {
        if (!resolveCommand(stCommand, objSession.keys(nChannel), stOptions.bForce, strError))
            return badInput(strError);
        if (stCommand.strName == "channel") nChannel = static_cast<int>(stCommand.nNumber);
    }

    // The tour narrates before each of its steps; any other session runs its commands in one go.
    size_t nNext = 0;
    // The first command that fails stops the rest.
    SimRunResult eRun = SIM_RUN_DONE;
    auto runCommands = [&](size_t p_nCount) {
        for (size_t nEnd = nNext + p_nCount; nNext < nEnd; ++nNext) {
            eRun = objSession.run(vecCommands[nNext], strError);
            if (eRun != SIM_RUN_DONE) return false;
        }
        return true;
    };
    if (bDemo) {
        for (const SimDemoStep& stStep : demoSteps()) {
            objOut.note("\n%s", stStep.szNarration);
            if (!runCommands(stStep.vecLines.size())) break;
        }
    } else {
        runCommands(vecCommands.size());
    }
    if (eRun != SIM_RUN_DONE) {
        objSession.stop();
        return commandFailed(eRun, vecCommands[nNext].strSource + ": " + strError);
    }
    if (bDemo) objOut.note("\nThe tour is over; the camera's files stay in %s.", strRoot.c_str());
    objSession.stop();
    return 0;
}
