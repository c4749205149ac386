// The indexed dynamic-parameter style against the reference walk (ReferenceDnaStyle): the same dynamic style
// text, the same factory pairs and the same count on every style fixture, on every seed of the dynamic-style
// and style-merge fuzz targets, and on generated styles with repeated ids, matches nested in matches,
// choices without "index" and removal keys at the root.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "DnaStyleInput.h"
#include "IaSimControl.h"
#include "ReferenceDnaStyle.h"
#include "SensorStyle.h"
#include "StyleTestUtil.h"
#include "TestSupport.h"

namespace {

const u32 kFullCapacity = 170;
const u32 kSmallCapacity = 7;  // cuts most styles short

std::vector<std::string> filesIn(const std::string& p_strDir) {
    std::vector<std::string> vecFiles;
    DIR* pDir = opendir(p_strDir.c_str());
    if (pDir == nullptr) return vecFiles;
    for (const dirent* pEntry = readdir(pDir); pEntry != nullptr; pEntry = readdir(pDir))
        if (pEntry->d_name[0] != '.') vecFiles.push_back(p_strDir + "/" + pEntry->d_name);
    closedir(pDir);
    std::sort(vecFiles.begin(), vecFiles.end());
    return vecFiles;
}

std::vector<KeyVal> libraryPairs(const std::string& p_strStyle, bool p_bWdr, bool p_bLdc, u32 p_nCapacity) {
    std::vector<char> vecStyle(p_strStyle.begin(), p_strStyle.end());
    vecStyle.push_back('\0');
    std::vector<KeyVal> vecPairs(p_nCapacity + 1, KeyVal{0xEEEEEEEEu, 0xEEEEEEEEu});
    u32 nNum = 12345;
    EXPECT_EQ(SNS_SUCCESS, getFctData(1, vecStyle.data(), vecPairs.data(), &nNum, p_bWdr, p_bLdc, p_nCapacity));
    EXPECT_LE(nNum, p_nCapacity);
    EXPECT_EQ(0xEEEEEEEEu, vecPairs[p_nCapacity].key) << "written past the capacity";
    vecPairs.resize(std::min(nNum, p_nCapacity));
    return vecPairs;
}

bool samePairs(const std::vector<KeyVal>& a, const std::vector<KeyVal>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(KeyVal)) == 0);
}

class DnaStyleDifferential : public ::testing::Test {
protected:
    void SetUp() override { iasim::reset(); }
    void TearDown() override {
        iasim::reset();
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
    }

    // Both builds of one style under the current profile and the given flags; false (with a failure named
    // after p_strWhat) when they differ.
    bool compare(const std::string& p_strWhat, const std::string& p_strStyle, const dnainput::Flags& f) {
        setshowBeawayFalg(f.bBeaway);
        setshowFisheyeRotateFlag(f.bFisheye);
        m_objCapture.start();  // the marker walk prints whatever the debug level
        std::string strLibrary;
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, p_strStyle.c_str(), strLibrary, f.bWdr, f.bLdc));
        const std::string strReference = refstyle::dnaStyle(1, p_strStyle.c_str(), f.bWdr, f.bLdc);
        bool bSame = strLibrary == strReference;
        for (u32 nCapacity : {kFullCapacity, kSmallCapacity}) {
            bSame = bSame && samePairs(libraryPairs(p_strStyle, f.bWdr, f.bLdc, nCapacity),
                                       refstyle::factoryData(1, p_strStyle.c_str(), f.bWdr, f.bLdc, nCapacity));
        }
        m_objCapture.stop();
        EXPECT_TRUE(bSame) << p_strWhat << "\n--- style\n"
                           << p_strStyle.substr(0, 2000) << "\n--- library\n"
                           << strLibrary.substr(0, 2000) << "\n--- reference\n"
                           << strReference.substr(0, 2000);
        return bSame;
    }

    // Every combination of the four display flags.
    void compareAllFlags(const std::string& p_strWhat, const std::string& p_strStyle) {
        for (int nBits = 0; nBits < 16; ++nBits) {
            dnainput::Flags f;
            f.bWdr = (nBits & 1) != 0;
            f.bLdc = (nBits & 2) != 0;
            f.bBeaway = (nBits & 4) != 0;
            f.bFisheye = (nBits & 8) != 0;
            if (!compare(p_strWhat + " flags " + std::to_string(nBits), p_strStyle, f)) return;
        }
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
};

TEST_F(DnaStyleDifferential, StyleFixturesUnderTheDefaultProfile) {
    const std::vector<std::string> vecFixtures = filesIn(std::string(IMAGETUNE_FIXTURES_DIR) + "/style");
    ASSERT_GE(vecFixtures.size(), 3u);
    for (const std::string& strFile : vecFixtures) {
        const std::string strStyle = testsupport::readHostFile(strFile);
        compareAllFlags(strFile, strStyle);
        // The fixture merged with its diversity document, as init hands it over.
        const std::string strDiversityFile = std::string(IMAGETUNE_FIXTURES_DIR) + "/styleDiversity/StyleDiversity" +
                                             strFile.substr(strFile.rfind("/Style") + 6);
        ModuleConfig stModule;
        std::memset(&stModule, 0, sizeof(stModule));
        std::strcpy(stModule.szDetail, "(sensorType=sc533hai)(lensId=3)(isInfrared=1)(max_scheme=4)");
        char* szMerged = strdup(strStyle.c_str());
        std::string strDiversity = testsupport::readHostFile(strDiversityFile);
        m_objCapture.start();
        mergeStyle(1, &stModule, &szMerged, &strDiversity[0]);
        m_objCapture.stop();
        compareAllFlags(strFile + " merged", szMerged);
        std::free(szMerged);
    }
}

TEST_F(DnaStyleDifferential, SeedsOfTheDynamicStyleFuzzTarget) {
    const std::vector<std::string> vecSeeds =
        filesIn(std::string(IMAGETUNE_SOURCE_DIR) + "/fuzz/corpus/fuzz_dna_style");
    ASSERT_FALSE(vecSeeds.empty());
    for (const std::string& strFile : vecSeeds) {
        const dnainput::Input stInput = dnainput::parse(testsupport::readHostFile(strFile));
        iasim::reset();
        if (stInput.bOwnProfile) iasim::setProfile(stInput.stProfile);
        compare(strFile, stInput.strStyle, stInput.stFlags);
    }
}

TEST_F(DnaStyleDifferential, SeedsOfTheStyleMergeFuzzTarget) {
    const std::vector<std::string> vecSeeds =
        filesIn(std::string(IMAGETUNE_SOURCE_DIR) + "/fuzz/corpus/fuzz_merge_style");
    ASSERT_FALSE(vecSeeds.empty());
    for (const std::string& strFile : vecSeeds) {
        const std::string strInput = testsupport::readHostFile(strFile);
        // Style, diversity and detail text, separated by NUL bytes.
        std::vector<std::string> vecParts(3);
        size_t nPart = 0;
        for (char c : strInput) {
            if (c == '\0' && nPart < 2) {
                ++nPart;
                continue;
            }
            vecParts[nPart] += c;
        }
        compareAllFlags(strFile + " style", vecParts[0].c_str());
        ModuleConfig stModule;
        std::memset(&stModule, 0, sizeof(stModule));
        std::strncpy(stModule.szDetail, vecParts[2].c_str(), sizeof(stModule.szDetail) - 1);
        char* szMerged = strdup(vecParts[0].c_str());
        m_objCapture.start();
        mergeStyle(1, &stModule, &szMerged, &vecParts[1][0]);
        m_objCapture.stop();
        compareAllFlags(strFile + " merged", szMerged);
        std::free(szMerged);
    }
}

// Random styles over a few ids: the removal keys, the marker commands and plain commands, written as atoi
// reads them in several ways; elements of one id repeated and nested in each other, choices that are
// elements with ids themselves or lack "index", and sometimes a removal key on the root or a second
// top-level element.
class StyleGenerator {
public:
    explicit StyleGenerator(unsigned p_nSeed) : m_rng(p_nSeed) {}

    std::string style() {
        std::string strXml;
        element(strXml, 0, pick(4) == 0);
        if (pick(8) == 0) element(strXml, 0, true);
        return strXml;
    }

    iasim::Profile profile() {
        iasim::Profile stProfile;
        const int nCmds = pick(7);
        for (int i = 0; i < nCmds; ++i) {
            std::vector<int32_t> vecItems;
            for (int32_t nItem : kItems)
                if (pick(3) == 0) vecItems.push_back(nItem);
            iasim::DynamicParam stParam = iasim::listParam(kIds[pick(kIdCount)], kItems[pick(kItemCount)], vecItems);
            stProfile.vecDynamic.push_back(stParam);
        }
        return stProfile;
    }

    dnainput::Flags flags() {
        dnainput::Flags f;
        f.bWdr = pick(2) == 0;
        f.bLdc = pick(2) == 0;
        f.bBeaway = pick(2) == 0;
        f.bFisheye = pick(2) == 0;
        return f;
    }

private:
    static constexpr int kIds[] = {10, 11, 2368, 2369, 2048, 2064, 2386, 49, 50, 51, 55, 56, 1537, 82, 34};
    static constexpr int kIdCount = sizeof(kIds) / sizeof(kIds[0]);
    static constexpr int32_t kItems[] = {0, 5, 10, 15, 25, 50, 100, 215, 230, 1000};
    static constexpr int kItemCount = sizeof(kItems) / sizeof(kItems[0]);

    int pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    std::string idText() {
        const std::string strId = std::to_string(kIds[pick(kIdCount)]);
        switch (pick(8)) {
            case 0:
                return " " + strId;  // atoi skips blanks
            case 1:
                return "0" + strId;
            case 2:
                return strId + "x";  // and stops at the first non-digit
            default:
                return strId;
        }
    }

    void element(std::string& p_strXml, int p_nDepth, bool p_bRemovalKey) {
        p_strXml += "<e";
        if (p_bRemovalKey) {
            const int kRemovalKeys[] = {10, 11, 2368, 2369, 2048, 2064, 2386};
            p_strXml += " id=\"" + std::to_string(kRemovalKeys[pick(7)]) + "\"";
        } else if (pick(10) < 7) {
            p_strXml += " id=\"" + idText() + "\"";
        }
        if (pick(10) < 8) p_strXml += " value=\"" + std::to_string(kItems[pick(kItemCount)]) + "\"";
        if (pick(10) < 8) p_strXml += " index=\"" + std::to_string(kItems[pick(kItemCount)]) + "\"";
        const int nChildren = p_nDepth < 4 ? pick(5) : 0;
        if (nChildren == 0) {
            p_strXml += "/>";
            return;
        }
        p_strXml += ">";
        for (int i = 0; i < nChildren; ++i) element(p_strXml, p_nDepth + 1, false);
        p_strXml += "</e>";
    }

    std::mt19937 m_rng;
};

TEST_F(DnaStyleDifferential, GeneratedStyles) {
    for (unsigned nSeed = 1; nSeed <= 3000; ++nSeed) {
        StyleGenerator objGen(nSeed);
        const std::string strStyle = objGen.style();
        iasim::setProfile(objGen.profile());
        if (!compare("seed " + std::to_string(nSeed), strStyle, objGen.flags())) break;
    }
}

}  // namespace
