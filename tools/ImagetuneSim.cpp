// imagetune-sim: one camera's sensor controllers on a workstation, driven by commands.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "SimDevice.h"
#include "SimSession.h"

namespace {

const int EXIT_BAD_INPUT = 2;
const int MAX_CHANNELS = 8;  // as many as the IA library has

const char* const USAGE =
    "usage: imagetune-sim [options] [COMMAND [ARGS]]...\n"
    "       imagetune-sim [options] demo\n"
    "Starts every channel of a simulated camera, then runs the commands given as arguments, or those of\n"
    "--script FILE (one per line, '#' starts a comment), or those read from standard input.\n"
    "\n"
    "options:\n"
    "  --root DIR            the camera's file tree (default ./device-root); a missing one is seeded\n"
    "  --device-type N       device type written into a seeded root's machine information (default 1)\n"
    "  --hardware-model NAME hardware model of a seeded root (default Hi3516AV200)\n"
    "  --detail TEXT         the module detail text (default: the first module of the root's configuration)\n"
    "  --channels N          channels to start, 1 to 8 (default 1)\n"
    "  --script FILE         read the commands from FILE (- for standard input)\n"
    "  --verbose             also print everything the library prints\n"
    "  --help                this text\n"
    "\n"
    "commands:\n";

int badInput(const std::string& p_strMessage) {
    fflush(stdout);
    fprintf(stderr, "imagetune-sim: %s\n", p_strMessage.c_str());
    return EXIT_BAD_INPUT;
}

bool parseCount(const std::string& p_strText, int p_nMin, int p_nMax, int& p_nVal) {
    char* pEnd = nullptr;
    long n = strtol(p_strText.c_str(), &pEnd, 10);
    if (p_strText.empty() || *pEnd != '\0' || n < p_nMin || n > p_nMax) return false;
    p_nVal = static_cast<int>(n);
    return true;
}

std::vector<std::string> readLines(std::istream& p_in) {
    std::vector<std::string> vecLines;
    std::string strLine;
    while (std::getline(p_in, strLine)) vecLines.push_back(strLine);
    return vecLines;
}

void printFlash() {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> vecNames;
    for (const auto& entry : fs::directory_iterator(qx_device_path("/mnt/mtd/code/config_file"), ec)) {
        vecNames.push_back(entry.path().filename().string() + " (" + std::to_string(entry.file_size(ec)) + " bytes)");
    }
    std::sort(vecNames.begin(), vecNames.end());
    printf("  /mnt/mtd/code/config_file holds %zu file%s\n", vecNames.size(), vecNames.size() == 1 ? "" : "s");
    for (const std::string& strName : vecNames) printf("    %s\n", strName.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    SimDeviceOptions stOptions;
    std::string strScript;
    bool bVerbose = false;
    std::vector<std::string> vecWords;
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        auto value = [&](std::string& p_strOut) {
            if (i + 1 >= argc) return false;
            p_strOut = argv[++i];
            return true;
        };
        std::string strValue;
        if (!vecWords.empty() || strArg.compare(0, 2, "--") != 0) {
            vecWords.push_back(strArg);
        } else if (strArg == "--help") {
            printf("%s%s", USAGE, commandHelp().c_str());
            return 0;
        } else if (strArg == "--verbose") {
            bVerbose = true;
        } else if (strArg != "--root" && strArg != "--device-type" && strArg != "--hardware-model" &&
                   strArg != "--detail" && strArg != "--channels" && strArg != "--script") {
            return badInput("unknown option " + strArg + " (see --help)");
        } else if (!value(strValue)) {
            return badInput("option " + strArg + " needs a value (see --help)");
        } else if (strArg == "--root") {
            stOptions.strRoot = strValue;
        } else if (strArg == "--device-type") {
            if (!parseCount(strValue, 0, 100000, stOptions.nDeviceType))
                return badInput("--device-type " + strValue + ": expected a device type number");
        } else if (strArg == "--hardware-model") {
            stOptions.strHardwareModel = strValue;
        } else if (strArg == "--detail") {
            stOptions.strDetail = strValue;
        } else if (strArg == "--channels") {
            if (!parseCount(strValue, 1, MAX_CHANNELS, stOptions.nChannels))
                return badInput("--channels " + strValue + ": expected 1 to 8");
        } else {
            strScript = strValue;
        }
    }
    if (stOptions.strRoot.empty()) return badInput("--root needs a folder");

    // Every command is checked before the camera starts: a bad one changes nothing.
    bool bDemo = vecWords.size() == 1 && vecWords[0] == "demo";
    std::vector<SimCommand> vecCommands;
    std::string strError;
    if (bDemo) {
        if (!strScript.empty()) return badInput("demo takes no --script");
    } else if (!vecWords.empty()) {
        if (!strScript.empty()) return badInput("give commands either as arguments or with --script, not both");
        if (!parseCommandWords(vecWords, vecCommands, strError)) return badInput(strError);
    } else if (strScript.empty() || strScript == "-") {
        if (!parseCommandLines(readLines(std::cin), "stdin", vecCommands, strError)) return badInput(strError);
    } else {
        std::ifstream in(strScript);
        if (!in) return badInput("cannot read the script " + strScript);
        if (!parseCommandLines(readLines(in), strScript, vecCommands, strError)) return badInput(strError);
    }
    for (const SimCommand& stCommand : vecCommands) {
        if (!checkCommand(stCommand, stOptions.nChannels, strError)) return badInput(strError);
    }

    std::string strFixtures = findFixturesDir(argv[0]);
    bool bSeeded = false;
    std::string strRoot;
    if (!prepareDeviceRoot(stOptions, strFixtures, bSeeded, strRoot, strError)) return badInput(strError);
    printf("device root %s%s\n", strRoot.c_str(),
           bSeeded ? " (new: a blank camera seeded from the fixture documents)" : "");

    SimSession objSession(stOptions.nChannels, bVerbose);
    if (bDemo) {
        printf(
            "\nStep 1. First start on a blank flash: no version file and no scheme files yet, so init\n"
            "removes stale schemes, creates every scheme file from the factory values of the UI style,\n"
            "writes the version and applies scheme 0 in full.\n");
        printFlash();
    }
    objSession.start(moduleDetail(stOptions));
    if (bDemo) {
        printFlash();
        for (const SimDemoStep& stStep : demoSteps()) {
            printf("\n%s\n", stStep.szNarration);
            std::vector<SimCommand> vecStep;
            if (!parseCommandLines(stStep.vecLines, "demo", vecStep, strError)) return badInput(strError);
            vecCommands.insert(vecCommands.end(), vecStep.begin(), vecStep.end());
            for (const SimCommand& stCommand : vecStep) {
                if (!checkCommand(stCommand, stOptions.nChannels, strError) || !objSession.run(stCommand, strError)) {
                    return badInput(strError);
                }
            }
        }
        printf("\nThe tour is over; the camera's files stay in %s.\n", strRoot.c_str());
        objSession.stop();
        return 0;
    }
    for (const SimCommand& stCommand : vecCommands) {
        if (!objSession.run(stCommand, strError)) {
            objSession.stop();
            return badInput(stCommand.strSource + ": " + strError);
        }
    }
    objSession.stop();
    return 0;
}
