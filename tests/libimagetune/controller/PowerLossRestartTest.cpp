// Power cuts and failed writes in every file the controller stores: the scheme files, the version file and
// the merged style. Each operation's write steps are counted once; then the power is cut before each step in
// turn (nothing reaches the flash from there on), or that one step fails while the operation goes on (a
// short write, a failed sync, a failed rename, ...). After a restart every file must be complete, holding
// its old content or its new one, no temporary file of a cut write may be left, and the channel must start
// with the files.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileReplace.h"
#include "InitTestDevice.h"
#include "SensorFile.h"

namespace {

const char* const kVersionFile = "/mnt/mtd/code/config_file/snsversion.cfg";
const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";
const u32 kVersion = 8;
const int kSchemes = 4;

std::string schemeFile(int p_nScheme) {
    return "/mnt/mtd/code/config_file/sensor1_" + std::to_string(p_nScheme) + ".cfg";
}

std::string bytesOf(const std::vector<KeyVal>& p_vec) {
    return std::string(reinterpret_cast<const char*>(p_vec.data()), p_vec.size() * sizeof(KeyVal));
}

std::string versionBytes(u32 p_nVersion) {
    return std::string(reinterpret_cast<const char*>(&p_nVersion), sizeof(p_nVersion));
}

const char* kindName(qxsim::WriteStepKind p_eKind) {
    static const char* const s_aszNames[] = {"open", "write", "file sync", "folder sync", "rename", "remove"};
    return s_aszNames[p_eKind];
}

std::string describe(const qxsim::WriteStep& p_stStep) {
    return "step " + std::to_string(p_stStep.nNumber) + " (" + kindName(p_stStep.eKind) + " " + p_stStep.strPath + ")";
}

// The contents a stored file may have: a missing file is "" in the set only when it is allowed.
using Allowed = std::map<std::string, std::vector<std::string>>;

// What a restart must leave: every file present, with one of the contents allowed before it.
Allowed afterRestart(Allowed p_map) {
    for (auto& entry : p_map) {
        std::vector<std::string>& vec = entry.second;
        vec.erase(std::remove(vec.begin(), vec.end(), std::string()), vec.end());
    }
    return p_map;
}

class PowerLoss : public InitTest {
protected:
    // The controllers go away as the process would at a power cut; nothing of them reaches the flash.
    void powerOff() {
        for (auto& c : m_vecControllers) c->uinit();
        m_vecControllers.clear();
        qxsim::resetFaults();
        iasim::clearCalls();
    }

    void blankFlash() {
        for (int s = 0; s < kSchemes; ++s) m_root.remove(schemePath(1, s));
        m_root.remove(kVersionFile);
        m_root.remove(kMergedStyle);
    }

    void writeFlash(const std::vector<std::vector<KeyVal>>& p_vecSchemes, u32 p_nVersion) {
        for (int s = 0; s < kSchemes; ++s) writeScheme(schemePath(1, s), p_vecSchemes[static_cast<size_t>(s)]);
        m_root.write(kVersionFile, versionBytes(p_nVersion));
    }

    // "" when every stored file holds one of its allowed contents (a missing one only where "" is allowed).
    std::string checkFiles(const Allowed& p_mapAllowed) const {
        std::string strProblems;
        for (const auto& entry : p_mapAllowed) {
            const std::string strContent = m_root.exists(entry.first) ? m_root.read(entry.first) : std::string();
            bool bAllowed = false;
            for (const std::string& strOk : entry.second) bAllowed = bAllowed || strOk == strContent;
            if (!bAllowed) {
                strProblems += entry.first + (m_root.exists(entry.first) ? " holds " : " is missing, ") +
                               std::to_string(strContent.size()) + " bytes that are neither old nor new; ";
            }
        }
        return strProblems;
    }

    // The temporary files a cut write left are the previous process's after a restart: the names of this
    // process's own ones are moved to another process number, as a restart would find them.
    void passTemporariesToEarlierProcess() const {
        const std::string strFolder = m_root.host("/mnt/mtd/code/config_file");
        const std::string strOwn = ".tmp." + std::to_string(static_cast<long>(getpid())) + ".";
        std::vector<std::string> vecNames;
        if (DIR* pDir = opendir(strFolder.c_str())) {
            while (struct dirent* pEntry = readdir(pDir)) vecNames.push_back(pEntry->d_name);
            closedir(pDir);
        }
        for (const std::string& strName : vecNames) {
            size_t nAt = strName.find(strOwn);
            if (nAt == std::string::npos) continue;
            std::string strEarlier = strName.substr(0, nAt) + ".tmp.0." + strName.substr(nAt + strOwn.size());
            std::rename((strFolder + "/" + strName).c_str(), (strFolder + "/" + strEarlier).c_str());
        }
    }

    // Temporary files of cut writes in the scheme folder: a restart sweeps them away.
    std::string leftoverTemporaries() const {
        std::string strFound;
        DIR* pDir = opendir(m_root.host("/mnt/mtd/code/config_file").c_str());
        if (pDir == nullptr) return strFound;
        while (struct dirent* pEntry = readdir(pDir)) {
            if (std::strstr(pEntry->d_name, ".tmp") != nullptr) strFound += std::string(pEntry->d_name) + " ";
        }
        closedir(pDir);
        return strFound;
    }

    // Restarts the channel on the flash as it is and checks that every file is whole and the channel runs
    // with scheme 0 as stored.
    void restartAndCheck(const std::string& p_strWhen, const Allowed& p_mapAfterRestart) {
        powerOff();
        passTemporariesToEarlierProcess();
        ISensorController& c = start();
        EXPECT_EQ(checkFiles(p_mapAfterRestart), "") << "after a restart following " << p_strWhen;
        EXPECT_EQ(leftoverTemporaries(), "") << "after a restart following " << p_strWhen;
        EXPECT_TRUE(c.getSensorStatus()) << p_strWhen;
        const std::vector<KeyVal> vecScheme0 = readScheme(schemePath(1, 0));
        int nBrightness = -1;
        EXPECT_TRUE(c.getParameter(34, nBrightness)) << p_strWhen;
        EXPECT_EQ(static_cast<u32>(nBrightness), valueOf(vecScheme0, 34)) << p_strWhen;
        EXPECT_EQ(lastSet(34), valueOf(vecScheme0, 34)) << "scheme 0 not applied after " << p_strWhen;
        powerOff();
    }

    // The write steps of p_fnOperation, run once on the flash p_fnPrepare leaves.
    std::vector<qxsim::WriteStep> stepsOf(const std::function<void()>& p_fnPrepare,
                                          const std::function<void()>& p_fnOperation) {
        p_fnPrepare();
        qxsim::resetFaults();
        p_fnOperation();
        std::vector<qxsim::WriteStep> vecSteps = qxsim::writeSteps();
        powerOff();
        return vecSteps;
    }

    // For each step: prepare the flash, arm the fault at that step, run the operation, then restart. With
    // p_bCut false the single failures are the three a file write can meet: a short write, a failed sync and a
    // failed rename.
    void acrossSteps(const std::function<void()>& p_fnPrepare, const std::function<void()>& p_fnOperation,
                     const Allowed& p_mapAllowed, bool p_bCut) {
        const std::vector<qxsim::WriteStep> vecSteps = stepsOf(p_fnPrepare, p_fnOperation);
        ASSERT_FALSE(vecSteps.empty());
        int nTried = 0;
        for (const qxsim::WriteStep& stStep : vecSteps) {
            const bool bNamedFault = stStep.eKind == qxsim::STEP_WRITE || stStep.eKind == qxsim::STEP_FILE_SYNC ||
                                     stStep.eKind == qxsim::STEP_RENAME;
            if (!p_bCut && !bNamedFault) continue;
            ++nTried;
            const std::string strWhen = std::string(p_bCut ? "a power cut before " : "a failed ") + describe(stStep);
            p_fnPrepare();
            qxsim::resetFaults();
            if (p_bCut) {
                qxsim::cutPowerAtStep(stStep.nNumber);
            } else {
                qxsim::failWriteStep(stStep.nNumber);
            }
            p_fnOperation();
            // Even before the restart no file is torn: each is as before or as meant.
            EXPECT_EQ(checkFiles(p_mapAllowed), "") << "right after " << strWhen;
            restartAndCheck(strWhen, afterRestart(p_mapAllowed));
            if (HasFailure()) return;  // one broken step tells the story; the rest would repeat it
        }
        EXPECT_GT(nTried, 0);
    }

    std::vector<KeyVal> factory() const { return smallStyleFactory(0); }
};

// Every file init writes on a blank flash may be missing after a cut, or complete; a restart then writes
// the missing ones and the channel runs on the factory values.
Allowed blankFlashFiles(const std::vector<KeyVal>& p_vecFactory, const std::string& p_strMerged) {
    Allowed map;
    for (int s = 0; s < kSchemes; ++s) map[schemeFile(s)] = {"", bytesOf(p_vecFactory)};
    map[kVersionFile] = {"", versionBytes(kVersion)};
    map[kMergedStyle] = {"", p_strMerged};
    return map;
}

TEST_F(PowerLoss, CutAtEveryStepOfInitOnABlankFlash) {
    std::string strMerged;
    std::vector<qxsim::WriteStep> vecSteps = stepsOf([this] { blankFlash(); }, [this] { start(); });
    strMerged = m_root.read(kMergedStyle);
    ASSERT_FALSE(strMerged.empty());
    // Every stored file of init is among the steps: its schemes, the version and the merged style.
    std::map<std::string, bool> mapRenamed;
    for (const qxsim::WriteStep& stStep : vecSteps) {
        if (stStep.eKind == qxsim::STEP_RENAME) mapRenamed[stStep.strPath] = true;
    }
    for (int s = 0; s < kSchemes; ++s) EXPECT_TRUE(mapRenamed[schemePath(1, s)]) << s;
    EXPECT_TRUE(mapRenamed[kVersionFile]);
    EXPECT_TRUE(mapRenamed[kMergedStyle]);

    const Allowed mapAllowed = blankFlashFiles(factory(), strMerged);
    const std::vector<qxsim::WriteStep> vecAgain = stepsOf([this] { blankFlash(); }, [this] { start(); });
    EXPECT_EQ(vecAgain.size(), vecSteps.size()) << "init on a blank flash takes the same steps each time";
    for (const qxsim::WriteStep& stStep : vecSteps) {
        const std::string strWhen = "a power cut before " + describe(stStep) + " of init on a blank flash";
        blankFlash();
        qxsim::resetFaults();
        qxsim::cutPowerAtStep(stStep.nNumber);
        start();
        EXPECT_EQ(checkFiles(mapAllowed), "") << "right after " << strWhen;
        restartAndCheck(strWhen, afterRestart(mapAllowed));
        if (HasFailure()) return;
    }
}

TEST_F(PowerLoss, EveryFailedWriteStepOfInitOnABlankFlash) {
    stepsOf([this] { blankFlash(); }, [this] { start(); });
    const Allowed mapAllowed = blankFlashFiles(factory(), m_root.read(kMergedStyle));
    acrossSteps([this] { blankFlash(); }, [this] { start(); }, mapAllowed, false);
}

// A stored version of another format: init deletes the channel's schemes and writes them anew.
TEST_F(PowerLoss, CutAtEveryStepOfInitReplacingStaleSchemes) {
    const std::vector<KeyVal> vecOld = with(factory(), 34, 11);
    auto prepare = [&] { writeFlash({vecOld, vecOld, vecOld, vecOld}, 7); };
    stepsOf(prepare, [this] { start(); });
    Allowed mapAllowed = blankFlashFiles(factory(), m_root.read(kMergedStyle));
    for (int s = 0; s < kSchemes; ++s) mapAllowed[schemePath(1, s)].push_back(bytesOf(vecOld));
    mapAllowed[kVersionFile].push_back(versionBytes(7));
    // After the restart the stale schemes are gone in every case: the version still says 7 until they are.
    Allowed mapAfter = afterRestart(blankFlashFiles(factory(), m_root.read(kMergedStyle)));
    const std::vector<qxsim::WriteStep> vecSteps = stepsOf(prepare, [this] { start(); });
    for (const qxsim::WriteStep& stStep : vecSteps) {
        const std::string strWhen = "a power cut before " + describe(stStep) + " of init over stale schemes";
        prepare();
        qxsim::resetFaults();
        qxsim::cutPowerAtStep(stStep.nNumber);
        start();
        EXPECT_EQ(checkFiles(mapAllowed), "") << "right after " << strWhen;
        restartAndCheck(strWhen, mapAfter);
        if (HasFailure()) return;
    }
}

// Saving a changed scheme: the file keeps the old scheme or takes the new one whole, however the save ends.
class PowerLossFlush : public PowerLoss {
protected:
    void SetUp() override {
        PowerLoss::SetUp();
        m_vecNew = with(factory(), 34, 77);
    }
    void prepare() {
        powerOff();
        writeFlash({factory(), factory(), factory(), factory()}, kVersion);
        ISensorController& c = start();
        ASSERT_EQ(c.setParameter(34, 77, true), 0);
    }
    void save() {
        ASSERT_EQ(m_vecControllers.size(), 1u);
        m_nFlushResult = m_vecControllers.back()->flush();
    }
    Allowed allowed() const {
        Allowed map;
        map[schemePath(1, 0)] = {bytesOf(factory()), bytesOf(m_vecNew)};
        for (int s = 1; s < kSchemes; ++s) map[schemePath(1, s)] = {bytesOf(factory())};
        map[kVersionFile] = {versionBytes(kVersion)};
        return map;
    }
    std::vector<KeyVal> m_vecNew;
    int m_nFlushResult = 0;
};

TEST_F(PowerLossFlush, CutAtEveryStepOfASave) {
    acrossSteps([this] { prepare(); }, [this] { save(); }, allowed(), true);
}

TEST_F(PowerLossFlush, AFailedStepOfASaveIsReportedAndKeepsTheOldScheme) {
    const std::vector<qxsim::WriteStep> vecSteps = stepsOf([this] { prepare(); }, [this] { save(); });
    Allowed mapOld = allowed();
    mapOld[schemePath(1, 0)] = {bytesOf(factory())};
    int nTried = 0;
    for (const qxsim::WriteStep& stStep : vecSteps) {
        // A failed folder sync comes after the rename: the new scheme is in place by then.
        if (stStep.eKind == qxsim::STEP_DIR_SYNC || stStep.eKind == qxsim::STEP_REMOVE) continue;
        ++nTried;
        prepare();
        qxsim::resetFaults();
        qxsim::failWriteStep(stStep.nNumber);
        save();
        EXPECT_NE(m_nFlushResult, 0) << "a failed " << describe(stStep) << " reported as saved";
        EXPECT_EQ(checkFiles(mapOld), "") << "after a failed " << describe(stStep);
        restartAndCheck("a failed " + describe(stStep) + " of a save", mapOld);
        if (HasFailure()) return;
    }
    EXPECT_GE(nTried, 3);  // at least the write, the sync and the rename
}

// A factory reset deletes the channel's schemes and starts again: cut anywhere, the restart finds each file
// with the user's scheme or the factory one, never a torn one.
TEST_F(PowerLoss, CutAtEveryStepOfAFactoryReset) {
    const std::vector<KeyVal> vecUser = with(factory(), 34, 66);
    auto prepare = [&] {
        powerOff();
        writeFlash({vecUser, vecUser, vecUser, vecUser}, kVersion);
        start();
    };
    auto reset = [this] { m_vecControllers.back()->resetParameters(); };
    Allowed mapAllowed;
    for (int s = 0; s < kSchemes; ++s) mapAllowed[schemePath(1, s)] = {"", bytesOf(vecUser), bytesOf(factory())};
    mapAllowed[kVersionFile] = {versionBytes(kVersion)};
    acrossSteps(prepare, reset, mapAllowed, true);
}

// The cut itself, as the tests above rely on it: from the chosen step on nothing changes on the flash.
TEST_F(PowerLoss, ACutStopsEveryLaterChange) {
    writeScheme(schemePath(1, 0), factory());
    qxsim::resetFaults();
    std::vector<KeyVal> vecNew = with(factory(), 34, 1);
    char szName[64];
    std::strcpy(szName, schemePath(1, 0).c_str());
    ASSERT_EQ(keyValToFile(szName, vecNew.data(), static_cast<u32>(vecNew.size())), 0);
    const size_t nSteps = qxsim::writeSteps().size();
    ASSERT_GE(nSteps, 4u);  // open, write, sync, rename at the least

    writeScheme(schemePath(1, 0), factory());
    qxsim::resetFaults();
    qxsim::cutPowerAtStep(1);
    EXPECT_NE(keyValToFile(szName, vecNew.data(), static_cast<u32>(vecNew.size())), 0);
    EXPECT_EQ(readScheme(schemePath(1, 0)), factory());
    EXPECT_NE(removeDeviceEntry(schemePath(1, 0).c_str()), 0);
    EXPECT_TRUE(m_root.exists(schemePath(1, 0)));
    const std::vector<qxsim::WriteStep> vecSteps = qxsim::writeSteps();
    ASSERT_FALSE(vecSteps.empty());
    EXPECT_EQ(vecSteps.back().eKind, qxsim::STEP_REMOVE) << "failed steps are logged too";
    EXPECT_EQ(vecSteps.back().strPath, schemePath(1, 0));
    qxsim::resetFaults();
    EXPECT_TRUE(qxsim::writeSteps().empty());
}

}  // namespace
