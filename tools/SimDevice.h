// The simulated camera of a session: its device root, seeded from the fixtures when it is missing.
#ifndef IMAGETUNE_TOOLS_SIMDEVICE_H
#define IMAGETUNE_TOOLS_SIMDEVICE_H

#include <string>
#include <vector>

struct SimDeviceOptions {
    std::string strRoot = "./device-root";
    int nDeviceType = 1;
    std::string strHardwareModel = "Hi3516AV200";
    std::string strDetail;  // empty: the first module of the seeded module configuration
    int nChannels = 1;
};

// A folder of data the tool ships: share/imagetune/<name> next to the installed program, then <name> next to
// the program (the build copies it there), then p_strSourceDir; the first that holds every marker file, or "".
std::string findDataDir(const std::string& p_strName, const std::string& p_strSourceDir,
                        const std::vector<std::string>& p_vecMarkers);
// The folder that holds the fixture documents (style, style diversity, module configuration), or "".
std::string findFixturesDir();

// Creates the root when it is missing or empty and fills it with a blank camera: machine information, the
// style documents, the module configuration and empty flash folders. An existing root is used as it is when
// it holds machine information, and refused otherwise.
// Points IMAGETUNE_ROOT at its absolute path. False with p_strError set when that is impossible.
bool prepareDeviceRoot(const SimDeviceOptions& p_stOptions, const std::string& p_strFixtures, bool& p_bSeeded,
                       std::string& p_strAbsRoot, std::string& p_strError);

// Reads the documents of the root that the platform's parsers read for the tool (the machine information and
// the module configuration) through the tool's guarded path first, so that a folder, a FIFO, a link, a huge
// or a deeply nested document there ends the tool with a message instead of a hang or a crash. False with
// p_strError naming the document and the fault.
bool checkDeviceDocuments(std::string& p_strError);

// The module detail text to start with: the option, or the first module the root's configuration lists.
std::string moduleDetail(const SimDeviceOptions& p_stOptions);

#endif
