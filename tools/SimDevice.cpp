// Seeding a device root for the command line from the fixture documents.
#include "SimDevice.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "DeviceRoot.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SimFiles.h"

namespace fs = std::filesystem;

namespace {

const char* const MACHINE_INFO_FILE = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const MODULE_CONFIG_FILE = "/hd1/moduleConfig/moduleConfig.xml";
const char* const DEFAULT_DETAIL = "(sensorType=sc533hai)(lensId=3)(isInfrared=1)(max_scheme=4)";

// Fixture folder -> device folder. The style documents of every device family are copied.
const struct {
    const char* szFrom;
    const char* szTo;
} SEED_FOLDERS[] = {
    {"style", "/hd1/moduleConfig/sensorConfig/style"},
    {"styleDiversity", "/hd1/moduleConfig/sensorConfig/styleDiversity"},
};

// The folders a camera's flash and RAM disk have even when nothing is stored yet.
const char* const EMPTY_FOLDERS[] = {
    "/mnt/mtd/code/config_file",
    "/mnt/mtd/log",
    "/mnt/mtd/hd1/program/config",
    "/tmp",
};

std::string exeDir() {
    std::vector<char> vecPath(4096);
    ssize_t nLen = readlink("/proc/self/exe", vecPath.data(), vecPath.size() - 1);
    if (nLen <= 0) return "";
    return fs::path(std::string(vecPath.data(), static_cast<size_t>(nLen))).parent_path().string();
}

}  // namespace

std::string findDataDir(const std::string& p_strName, const std::string& p_strSourceDir,
                        const std::vector<std::string>& p_vecMarkers) {
    std::vector<fs::path> vecCandidates;
    std::string strExe = exeDir();
    if (!strExe.empty()) {
        vecCandidates.push_back(fs::path(strExe) / ".." / "share" / "imagetune" / p_strName);  // installed
        vecCandidates.push_back(fs::path(strExe) / p_strName);                                 // build tree
    }
    if (!p_strSourceDir.empty()) vecCandidates.push_back(p_strSourceDir);
    for (const fs::path& path : vecCandidates) {
        std::error_code ec;
        bool bAll = true;
        for (const std::string& strMarker : p_vecMarkers) bAll = bAll && fs::is_regular_file(path / strMarker, ec);
        if (bAll) return fs::weakly_canonical(path, ec).string();
    }
    return "";
}

std::string findFixturesDir() {
#ifdef IMAGETUNE_SIM_SOURCE_FIXTURES
    const char* szSource = IMAGETUNE_SIM_SOURCE_FIXTURES;
#else
    const char* szSource = "";
#endif
    return findDataDir("fixtures", szSource, {"style/Style.xml", "moduleConfig.xml"});
}

bool prepareDeviceRoot(const SimDeviceOptions& p_stOptions, const std::string& p_strFixtures, bool& p_bSeeded,
                       std::string& p_strAbsRoot, std::string& p_strError) {
    std::error_code ec;
    fs::path root = fs::absolute(p_stOptions.strRoot, ec);
    if (ec) {
        p_strError = "cannot use the device root " + p_stOptions.strRoot + ": " + ec.message();
        return false;
    }
    p_bSeeded = !fs::exists(root, ec);
    if (!p_bSeeded && !fs::is_directory(root, ec)) {
        p_strError = "the device root " + root.string() + " exists and is not a folder";
        return false;
    }
    // An empty folder is seeded like a missing one; a folder with other things in it is never written into.
    if (!p_bSeeded && fs::is_empty(root, ec)) p_bSeeded = true;
    if (!p_bSeeded && !fs::exists(root / fs::path(MACHINE_INFO_FILE).relative_path(), ec)) {
        p_strError = "the device root " + root.string() + " holds no camera: machine information " + MACHINE_INFO_FILE +
                     " is missing (give an empty or new folder to seed a blank camera)";
        return false;
    }
    if (p_bSeeded) {
        if (p_strFixtures.empty()) {
            p_strError =
                "cannot seed the device root: the fixture documents (style/Style.xml, moduleConfig.xml) "
                "were found neither in share/imagetune/fixtures nor next to the program";
            return false;
        }
        for (const auto& stFolder : SEED_FOLDERS) {
            fs::path to = root / fs::path(stFolder.szTo).relative_path();
            fs::create_directories(to, ec);
            for (const auto& entry : fs::directory_iterator(fs::path(p_strFixtures) / stFolder.szFrom, ec)) {
                if (entry.is_regular_file()) fs::copy_file(entry.path(), to / entry.path().filename(), ec);
            }
        }
        fs::copy_file(fs::path(p_strFixtures) / "moduleConfig.xml", root / fs::path(MODULE_CONFIG_FILE).relative_path(),
                      ec);
        for (const char* szFolder : EMPTY_FOLDERS)
            fs::create_directories(root / fs::path(szFolder).relative_path(), ec);
        fs::path info = root / fs::path(MACHINE_INFO_FILE).relative_path();
        fs::create_directories(info.parent_path(), ec);
        std::ofstream out(info);
        out << "# written by imagetune-sim\n[machine]\ndeviceType=" << p_stOptions.nDeviceType
            << "\nhardwareModel=" << p_stOptions.strHardwareModel << "\nhardwareCode=" << p_stOptions.strHardwareModel
            << "\n";
        if (!out) {
            p_strError = "cannot write " + info.string();
            return false;
        }
    }
    p_strAbsRoot = fs::weakly_canonical(root, ec).string();
    if (ec) p_strAbsRoot = root.string();
    setenv("IMAGETUNE_ROOT", p_strAbsRoot.c_str(), 1);
    return true;
}

bool checkDeviceDocuments(std::string& p_strError) {
    std::string strText;
    SimReadResult eRead =
        readGuardedFile(qx_device_path(MACHINE_INFO_FILE), SIM_MAX_DOCUMENT_BYTES, strText, p_strError);
    if (eRead == SIM_READ_REFUSED) return false;
    std::string strModules = qx_device_path(MODULE_CONFIG_FILE);
    eRead = readGuardedFile(strModules, SIM_MAX_DOCUMENT_BYTES, strText, p_strError);
    if (eRead == SIM_READ_REFUSED) return false;
    // A document that is no XML leaves the tool with its default module, as the parser answers nothing.
    if (eRead == SIM_READ_OK && !xmlDepthWithin(strText, p_strError)) {
        p_strError = "the module configuration " + strModules + " cannot be used: " + p_strError;
        return false;
    }
    return true;
}

std::string moduleDetail(const SimDeviceOptions& p_stOptions) {
    if (!p_stOptions.strDetail.empty()) return p_stOptions.strDetail;
    MachineInfo objInfo;
    SystemInfoParser::parseMachineInfo(MACHINE_INFO_FILE, objInfo);
    std::vector<ModuleConfigure> vecModules;
    ModuleConfigureParser::parse(MODULE_CONFIG_FILE, objInfo.getHardwareModel(), objInfo.getHardwareCode(), vecModules);
    return vecModules.empty() ? DEFAULT_DETAIL : vecModules.front().getDetail();
}
