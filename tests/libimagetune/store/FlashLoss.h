// The ways a power cut may treat what the file layer had not yet made durable (qxsim::unsyncedChanges()), as
// kept counts for qxsim::restartFlash, and a loop that tries each of them on a fresh run of an operation.
#ifndef IMAGETUNE_TESTS_FLASHLOSS_H
#define IMAGETUNE_TESTS_FLASHLOSS_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "SimControl.h"

namespace flashloss {

using Changes = std::vector<qxsim::UnsyncedChange>;

struct Loss {
    std::string strName;  // what it keeps, for a failure message
    std::vector<long long> vecKept;
};

inline Loss lossNamed(const std::string& p_strWhat, const Changes& p_vecChanges, std::vector<long long> p_vecKept) {
    Loss stLoss{p_strWhat, std::move(p_vecKept)};
    for (size_t i = 0; i < p_vecChanges.size(); ++i) {
        stLoss.strName += (i == 0 ? ": " : ", ") + p_vecChanges[i].strPath + " kept " +
                          std::to_string(stLoss.vecKept[i]) + " of " + std::to_string(p_vecChanges[i].nUnits);
    }
    return stLoss;
}

// Every way, all kept counts of every change: for an operation of few, short changes.
inline std::vector<Loss> everyLoss(const Changes& p_vecChanges) {
    std::vector<Loss> vecLosses;
    std::vector<long long> vecKept(p_vecChanges.size(), 0);
    while (true) {
        vecLosses.push_back(lossNamed("one way", p_vecChanges, vecKept));
        size_t i = 0;
        while (i < vecKept.size() && vecKept[i] == p_vecChanges[i].nUnits) vecKept[i++] = 0;
        if (i == vecKept.size()) return vecLosses;
        ++vecKept[i];
    }
}

// The seed of the random losses: IMAGETUNE_FLASH_SEED when set, to repeat or widen a run, else 1.
inline unsigned baseSeed() {
    const char* szSeed = std::getenv("IMAGETUNE_FLASH_SEED");
    return szSeed != nullptr && *szSeed != '\0' ? static_cast<unsigned>(std::strtoul(szSeed, nullptr, 10)) : 1u;
}

// The telling ways: everything lost; everything kept; the files' data lost but the folders' changes kept (a
// rename that outlives the data it names); the reverse; and p_nRandom ways drawn from p_nSeed, in which each
// change is lost, kept, or kept up to a random unit.
inline std::vector<Loss> tellingLosses(const Changes& p_vecChanges, unsigned p_nSeed, int p_nRandom) {
    std::vector<long long> vecNone(p_vecChanges.size(), 0), vecAll, vecEntries, vecData;
    for (const qxsim::UnsyncedChange& stChange : p_vecChanges) {
        vecAll.push_back(stChange.nUnits);
        vecEntries.push_back(stChange.bFolder ? stChange.nUnits : 0);
        vecData.push_back(stChange.bFolder ? 0 : stChange.nUnits);
    }
    std::vector<Loss> vecLosses = {lossNamed("everything lost", p_vecChanges, vecNone),
                                   lossNamed("everything kept", p_vecChanges, vecAll),
                                   lossNamed("data lost, entries kept", p_vecChanges, vecEntries),
                                   lossNamed("entries lost, data kept", p_vecChanges, vecData)};
    std::mt19937 objRandom(p_nSeed);
    for (int r = 0; r < p_nRandom; ++r) {
        std::vector<long long> vecKept;
        for (const qxsim::UnsyncedChange& stChange : p_vecChanges) {
            const unsigned nHow = objRandom() % 3;
            vecKept.push_back(nHow == 0   ? 0
                              : nHow == 1 ? stChange.nUnits
                                          : static_cast<long long>(objRandom() % (stChange.nUnits + 1)));
        }
        vecLosses.push_back(lossNamed("random (seed " + std::to_string(p_nSeed) + ")", p_vecChanges, vecKept));
    }
    // The same kept counts twice would only repeat a run.
    std::vector<Loss> vecDistinct;
    for (const Loss& stLoss : vecLosses) {
        if (std::none_of(vecDistinct.begin(), vecDistinct.end(),
                         [&](const Loss& s) { return s.vecKept == stLoss.vecKept; }))
            vecDistinct.push_back(stLoss);
    }
    return vecDistinct;
}

using LossesOf = std::function<std::vector<Loss>(const Changes&)>;

// Runs p_fnRun, which leaves the device at the moment of a cut, once for each way p_fnLosses gives for the
// changes it leaves pending; each run ends with a restart of the flash that loses that way, then p_fnCheck.
// The operation must leave the same changes each time. Stops at the first failure: the rest would repeat it.
inline void forEachLoss(const std::function<void()>& p_fnRun, const LossesOf& p_fnLosses,
                        const std::function<void(const Loss&)>& p_fnCheck) {
    size_t nLosses = 1;
    for (size_t i = 0; i < nLosses; ++i) {
        p_fnRun();
        const std::vector<Loss> vecLosses = p_fnLosses(qxsim::unsyncedChanges());
        nLosses = vecLosses.size();
        if (i >= nLosses) {
            ADD_FAILURE() << "the operation left other changes than at its first run";
            return;
        }
        qxsim::restartFlash(vecLosses[i].vecKept);
        p_fnCheck(vecLosses[i]);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace flashloss

#endif
