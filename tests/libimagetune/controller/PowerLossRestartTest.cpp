// Power cuts and failed writes in every file the controller stores: the scheme files and the version file on
// the flash, and the merged style, which lives in RAM (/tmp) and is written anew at every start. Each
// operation's write steps are counted once; then the power is cut before each step in turn (nothing reaches
// the flash from there on), and once after the operation's end, or that one step fails while the operation goes
// on (a short write, a failed sync, a failed rename, ...). The cut then loses, in each telling way, what had
// not been made durable: unsynced writes, and entry changes of folders not synced since. On the flash every
// file must be complete, holding its old content or its new one (the new one once the operation said it saved
// it); after a restart no temporary file of a cut write may be left, and the channel must start with the files.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../store/FlashLoss.h"
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

// What an operation is and what it may leave behind, for the power cuts and failed steps tried on it.
struct Plan {
    std::function<void()> fnPrepare;
    std::function<void()> fnOperation;
    Allowed mapAllowed;       // every stored file right after the fault, and on the flash after any loss
    Allowed mapAfterRestart;  // once the restarted channel runs
    // On the flash after any loss, when the operation had run to its end before the cut: what it said it saved.
    Allowed mapDone;
    // Right after the operation, given what failed.
    std::function<void(const std::string&)> fnCheckResult;
};

class PowerLoss : public InitTest {
protected:
    // The controllers go away as the process would at a power cut, and the flash keeps of what had not reached
    // it what p_vecKept says (qxsim::restartFlash); by default everything, as after an orderly shutdown.
    void powerOff(const std::vector<long long>& p_vecKept = {}) {
        stopControllers();
        qxsim::restartFlash(p_vecKept);
        iasim::clearCalls();
    }
    void stopControllers() {
        for (auto& c : m_vecControllers) c->uinit();
        m_vecControllers.clear();
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
                               std::to_string(strContent.size()) + " bytes that are not among those allowed; ";
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
        qxsim::resetFaults();  // the renames above are the test's, not the library's
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
        iasim::clearCalls();
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

    // Runs the plan's operation with the fault p_fnArm arms, then cuts the power in each telling way of losing
    // what had not reached the flash, and restarts: the files are checked right after the fault, on the flash
    // after the cut, and once the channel runs again.
    void faultLossAndRestart(const Plan& p_plan, const std::string& p_strWhen, const std::function<void()>& p_fnArm,
                             const Allowed& p_mapOnFlash, unsigned p_nSeed) {
        auto run = [&] {
            p_plan.fnPrepare();
            qxsim::resetFaults();
            p_fnArm();
            p_plan.fnOperation();
            if (p_plan.fnCheckResult) p_plan.fnCheckResult(p_strWhen);
            EXPECT_EQ(checkFiles(p_plan.mapAllowed), "") << "right after " << p_strWhen;
            stopControllers();
        };
        auto losses = [&](const flashloss::Changes& p_vecChanges) {
            return flashloss::tellingLosses(p_vecChanges, p_nSeed, 1);
        };
        flashloss::forEachLoss(run, losses, [&](const flashloss::Loss& p_stLoss) {
            const std::string strWhen = p_strWhen + ", then a cut (" + p_stLoss.strName + ")";
            EXPECT_EQ(checkFiles(p_mapOnFlash), "") << "on the flash after " << strWhen;
            restartAndCheck(strWhen, p_plan.mapAfterRestart);
        });
    }

    // A power cut before each step of the operation in turn (nothing reaches the flash from there on), and one
    // after its end.
    void cutAtEveryStep(const Plan& p_plan) {
        const std::vector<qxsim::WriteStep> vecSteps = stepsOf(p_plan.fnPrepare, p_plan.fnOperation);
        ASSERT_FALSE(vecSteps.empty());
        for (const qxsim::WriteStep& stStep : vecSteps) {
            faultLossAndRestart(
                p_plan, "a power cut before " + describe(stStep), [&] { qxsim::cutPowerAtStep(stStep.nNumber); },
                p_plan.mapAllowed, flashloss::baseSeed() * 1000 + static_cast<unsigned>(stStep.nNumber));
            if (HasFailure()) return;  // one broken step tells the story; the rest would repeat it
        }
        faultLossAndRestart(
            p_plan, "the operation's end", [] {}, p_plan.mapDone.empty() ? p_plan.mapAllowed : p_plan.mapDone,
            flashloss::baseSeed() * 1000);
    }

    // Each step of the kinds given fails alone, and the operation goes on: a write puts down half its bytes, any
    // other step fails and changes nothing. Later the power is cut. The number of steps tried.
    int failEveryStep(const Plan& p_plan, const std::vector<qxsim::WriteStepKind>& p_vecKinds) {
        const std::vector<qxsim::WriteStep> vecSteps = stepsOf(p_plan.fnPrepare, p_plan.fnOperation);
        int nTried = 0;
        for (const qxsim::WriteStep& stStep : vecSteps) {
            if (std::find(p_vecKinds.begin(), p_vecKinds.end(), stStep.eKind) == p_vecKinds.end()) continue;
            ++nTried;
            faultLossAndRestart(
                p_plan, "a failed " + describe(stStep), [&] { qxsim::failWriteStep(stStep.nNumber); },
                p_plan.mapAllowed, flashloss::baseSeed() * 1000 + static_cast<unsigned>(stStep.nNumber));
            if (HasFailure()) break;
        }
        EXPECT_GT(nTried, 0);
        return nTried;
    }

    std::vector<KeyVal> factory() const { return smallStyleFactory(0); }

    // The merged style init writes: in RAM, so gone after the power-off that ends stepsOf.
    std::string mergedStyle() {
        start();
        const std::string strMerged = m_root.read(kMergedStyle);
        powerOff();
        return strMerged;
    }
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
    std::vector<qxsim::WriteStep> vecSteps = stepsOf([this] { blankFlash(); }, [this] { start(); });
    const std::string strMerged = mergedStyle();
    ASSERT_FALSE(strMerged.empty());
    // Every stored file of init is among the steps: its schemes, the version and the merged style.
    std::map<std::string, bool> mapRenamed;
    for (const qxsim::WriteStep& stStep : vecSteps) {
        if (stStep.eKind == qxsim::STEP_RENAME) mapRenamed[stStep.strPath] = true;
    }
    for (int s = 0; s < kSchemes; ++s) EXPECT_TRUE(mapRenamed[schemePath(1, s)]) << s;
    EXPECT_TRUE(mapRenamed[kVersionFile]);
    EXPECT_TRUE(mapRenamed[kMergedStyle]);
    const std::vector<qxsim::WriteStep> vecAgain = stepsOf([this] { blankFlash(); }, [this] { start(); });
    EXPECT_EQ(vecAgain.size(), vecSteps.size()) << "init on a blank flash takes the same steps each time";

    const Allowed mapAllowed = blankFlashFiles(factory(), strMerged);
    cutAtEveryStep(Plan{[this] { blankFlash(); }, [this] { start(); }, mapAllowed, afterRestart(mapAllowed), {}, {}});
}

TEST_F(PowerLoss, EveryFailedWriteStepOfInitOnABlankFlash) {
    const Allowed mapAllowed = blankFlashFiles(factory(), mergedStyle());
    failEveryStep(Plan{[this] { blankFlash(); }, [this] { start(); }, mapAllowed, afterRestart(mapAllowed), {}, {}},
                  {qxsim::STEP_WRITE, qxsim::STEP_FILE_SYNC, qxsim::STEP_RENAME});
}

// A stored version of another format: init deletes the channel's schemes and writes them anew.
TEST_F(PowerLoss, CutAtEveryStepOfInitReplacingStaleSchemes) {
    const std::vector<KeyVal> vecOld = with(factory(), 34, 11);
    auto prepare = [&] { writeFlash({vecOld, vecOld, vecOld, vecOld}, 7); };
    const std::string strMerged = mergedStyle();
    Allowed mapAllowed = blankFlashFiles(factory(), strMerged);
    for (int s = 0; s < kSchemes; ++s) mapAllowed[schemePath(1, s)].push_back(bytesOf(vecOld));
    mapAllowed[kVersionFile].push_back(versionBytes(7));
    // After the restart the stale schemes are gone in every case: the version still says 7 until they are.
    const Allowed mapAfter = afterRestart(blankFlashFiles(factory(), strMerged));
    cutAtEveryStep(Plan{prepare, [this] { start(); }, mapAllowed, mapAfter, {}, {}});
}

// Saving a changed scheme: the file keeps the old scheme or takes the new one whole, however the save ends,
// and keeps the new one once the save said so.
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
    // Scheme 0 as p_vecScheme0 allows; the others and the version as they were.
    Allowed allowed(const std::vector<std::string>& p_vecScheme0) const {
        Allowed map;
        map[schemePath(1, 0)] = p_vecScheme0;
        for (int s = 1; s < kSchemes; ++s) map[schemePath(1, s)] = {bytesOf(factory())};
        map[kVersionFile] = {versionBytes(kVersion)};
        return map;
    }
    Plan plan(const Allowed& p_mapAllowed) {
        return Plan{[this] { prepare(); }, [this] { save(); }, p_mapAllowed, p_mapAllowed, {}, {}};
    }
    std::vector<KeyVal> m_vecNew;
    int m_nFlushResult = 0;
};

TEST_F(PowerLossFlush, CutAtEveryStepOfASave) {
    Plan stPlan = plan(allowed({bytesOf(factory()), bytesOf(m_vecNew)}));
    stPlan.mapDone = allowed({bytesOf(m_vecNew)});
    cutAtEveryStep(stPlan);
}

TEST_F(PowerLossFlush, AFailedStepOfASaveIsReportedAndKeepsTheOldScheme) {
    Plan stPlan = plan(allowed({bytesOf(factory())}));
    stPlan.fnCheckResult = [this](const std::string& p_strWhen) {
        EXPECT_NE(m_nFlushResult, 0) << p_strWhen << " reported as saved";
    };
    // A failed folder sync comes after the rename: the new scheme is in place by then (see below).
    const int nTried =
        failEveryStep(stPlan, {qxsim::STEP_OPEN, qxsim::STEP_WRITE, qxsim::STEP_FILE_SYNC, qxsim::STEP_RENAME});
    EXPECT_GE(nTried, 3);  // at least the write, the sync and the rename
}

// A save whose folder sync failed has its new scheme in place, but a cut may still undo the rename, so it must
// not be reported as done.
TEST_F(PowerLossFlush, ASaveWhoseFolderSyncFailedIsNotReportedAsDone) {
    Plan stPlan = plan(allowed({bytesOf(factory()), bytesOf(m_vecNew)}));
    stPlan.fnCheckResult = [this](const std::string& p_strWhen) {
        EXPECT_NE(m_nFlushResult, 0) << p_strWhen << " reported as saved, yet a cut may undo it";
    };
    failEveryStep(stPlan, {qxsim::STEP_DIR_SYNC});
}

// A factory reset deletes the channel's schemes and starts again: cut anywhere, the restart finds each file
// with the user's scheme or the factory one, never a torn one, and once the reset is done, the factory one.
TEST_F(PowerLoss, CutAtEveryStepOfAFactoryReset) {
    const std::vector<KeyVal> vecUser = with(factory(), 34, 66);
    auto prepare = [&] {
        powerOff();
        writeFlash({vecUser, vecUser, vecUser, vecUser}, kVersion);
        start();
    };
    auto reset = [this] { m_vecControllers.back()->resetParameters(); };
    Allowed mapAllowed, mapDone;
    for (int s = 0; s < kSchemes; ++s) {
        mapAllowed[schemePath(1, s)] = {"", bytesOf(vecUser), bytesOf(factory())};
        mapDone[schemePath(1, s)] = {bytesOf(factory())};
    }
    mapAllowed[kVersionFile] = {versionBytes(kVersion)};
    mapDone[kVersionFile] = {versionBytes(kVersion)};
    cutAtEveryStep(Plan{prepare, reset, mapAllowed, afterRestart(mapAllowed), mapDone, {}});
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
