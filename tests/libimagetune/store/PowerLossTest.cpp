// Writes cut short at every byte, failed syncs and renames, power cuts that lose what was not yet synced: a
// stored file always holds its complete old content or its complete new content, and no temporary file stays
// behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FileReplace.h"
#include "FlashLoss.h"
#include "SensorFile.h"
#include "SimControl.h"
#include "TestSupport.h"

namespace {

const std::string kConfigDir = "/mnt/mtd/code/config_file";
const std::string kScheme = kConfigDir + "/sensor1_2.cfg";

std::string bytesOf(const std::vector<KeyVal>& p_vRecords) {
    return std::string(reinterpret_cast<const char*>(p_vRecords.data()), p_vRecords.size() * sizeof(KeyVal));
}

std::string bytesOf(u32 p_nWord) {
    return std::string(reinterpret_cast<const char*>(&p_nWord), sizeof(p_nWord));
}

class PowerLossTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::makeDirs(m_root.host(kConfigDir));
        testsupport::setDebugSign(m_root, "-1");  // hundreds of expected failure reports
        qxsim::resetFaults();
    }
    void TearDown() override { qxsim::resetFaults(); }

    // The folder holds nothing but the files named.
    void expectOnly(const std::vector<std::string>& p_vNames) {
        std::vector<std::string> vNames;
        std::string strCmd = "ls -A '" + m_root.host(kConfigDir) + "'";
        FILE* p = ::popen(strCmd.c_str(), "r");
        char szLine[512];
        while (p != nullptr && std::fgets(szLine, sizeof(szLine), p) != nullptr) {
            std::string s = szLine;
            if (!s.empty() && s.back() == '\n') s.pop_back();
            vNames.push_back(s);
        }
        if (p != nullptr) ::pclose(p);
        EXPECT_EQ(vNames, p_vNames);
    }

    testsupport::TempDeviceRoot m_root;
};

TEST_F(PowerLossTest, SchemeWriteCutAtEveryByte) {
    const std::vector<KeyVal> kOld = {{1, 1}, {2, 2}, {3, 3}};
    const std::vector<KeyVal> kNew = {{10, 0xFFFFFFFFu}, {20, 21}, {30, 31}, {40, 41}};
    const std::string strNew = bytesOf(kNew);
    for (bool bHadFile : {true, false}) {
        for (long long n = 0; n <= static_cast<long long>(strNew.size()); ++n) {
            SCOPED_TRACE(std::string(bHadFile ? "old file, " : "no file, ") + "cut after " + std::to_string(n));
            if (bHadFile)
                m_root.write(kScheme, bytesOf(kOld));
            else
                m_root.remove(kScheme);
            std::vector<KeyVal> records = kNew;
            std::string strName = kScheme;

            qxsim::failWriteAfter(n);
            int nResult = keyValToFile(&strName[0], records.data(), 4);
            qxsim::resetFaults();

            bool bComplete = n == static_cast<long long>(strNew.size());
            EXPECT_EQ(nResult, bComplete ? SNS_SUCCESS : -1);
            if (bComplete) {
                EXPECT_EQ(m_root.read(kScheme), strNew);
            } else if (bHadFile) {
                EXPECT_EQ(m_root.read(kScheme), bytesOf(kOld));
            } else {
                EXPECT_FALSE(m_root.exists(kScheme));
            }
            expectOnly(bHadFile || bComplete ? std::vector<std::string>{"sensor1_2.cfg"} : std::vector<std::string>{});
        }
    }
}

TEST_F(PowerLossTest, VersionWriteCutAtEveryByte) {
    for (long long n = 0; n <= 4; ++n) {
        SCOPED_TRACE("cut after " + std::to_string(n));
        m_root.write(SNS_VERSION_FILE, bytesOf(7u));

        qxsim::failWriteAfter(n);
        int nResult = setVersion(8);
        qxsim::resetFaults();

        u32 nVersion = 0;
        EXPECT_EQ(getVersion(&nVersion), 0);
        EXPECT_EQ(nResult, n == 4 ? 0 : -1);
        EXPECT_EQ(nVersion, n == 4 ? 8u : 7u);
        expectOnly({"snsversion.cfg"});
    }
}

TEST_F(PowerLossTest, ShortDataWriteReturnsItsCountAndKeepsTheOldFile) {
    const std::string strPath = kConfigDir + "/data.bin";
    m_root.write(strPath, "old content");
    std::string strName = strPath;
    char szData[] = "new content!";
    testsupport::setDebugSign(m_root, "1");

    testsupport::StdoutCapture cap;
    cap.start();
    qxsim::failWriteAfter(5);
    int nResult = saveToFile(&strName[0], szData, 12);
    qxsim::resetFaults();
    std::string strOut = cap.stop();

    EXPECT_EQ(nResult, 5);
    EXPECT_NE(strOut.find("file_len == (nSize=file.write(data, file_len))"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("file_len(12)"), std::string::npos) << strOut;
    EXPECT_EQ(m_root.read(strPath), "old content");
    expectOnly({"data.bin"});
}

// Each step after the write can fail too; the target keeps its old content and its callers see a failure.
TEST_F(PowerLossTest, FailedSyncRenameOrOpenKeepsTheOldFile) {
    struct Fault {
        const char* szWhat;
        std::function<void()> fnArm;
    };
    const Fault kFaults[] = {
        {"fsync of the file", [] { qxsim::failNextSync(); }},
        {"rename", [] { qxsim::failNextRename(); }},
        {"read-only folder", [] { qxsim::failOpenForWrite("/mnt/mtd/code/config_file/"); }},
        {"nothing written", [] { qxsim::failWriteAfter(0); }},
    };
    const std::vector<KeyVal> kOld = {{1, 1}, {2, 2}};
    std::vector<KeyVal> records = {{5, 5}, {6, 6}};
    for (const Fault& f : kFaults) {
        SCOPED_TRACE(f.szWhat);
        m_root.write(kScheme, bytesOf(kOld));
        m_root.write(SNS_VERSION_FILE, bytesOf(7u));
        std::string strName = kScheme;

        f.fnArm();
        int nScheme = keyValToFile(&strName[0], records.data(), 2);
        qxsim::resetFaults();
        f.fnArm();
        int nVersion = setVersion(8);
        qxsim::resetFaults();
        f.fnArm();
        int nReplace = replaceFileWhole(strName.c_str(), "x", 1);
        qxsim::resetFaults();

        EXPECT_EQ(nScheme, -1);
        EXPECT_EQ(nVersion, -1);
        EXPECT_EQ(nReplace, -1);
        EXPECT_EQ(m_root.read(kScheme), bytesOf(kOld));
        EXPECT_EQ(m_root.read(SNS_VERSION_FILE), bytesOf(7u));
        expectOnly({"sensor1_2.cfg", "snsversion.cfg"});
    }
}

// A power cut before any step of a replace, or just after it, and every way the cut may lose what had not
// reached the flash: the file holds its old content or its new one, and the new one once the replace said so.
// (Cut before a step, the replace's result is never seen.)
TEST_F(PowerLossTest, EveryCutAndEveryLossOfAReplaceLeavesTheOldOrTheNewFile) {
    const std::vector<KeyVal> kOld = {{1, 1}, {2, 2}, {3, 3}};
    const std::vector<KeyVal> kNew = {{10, 0xFFFFFFFFu}, {20, 21}, {30, 31}};
    struct Target {
        const char* szWhat;
        std::string strPath;
        std::string strOld;
        std::string strNew;
        std::function<int()> fnReplace;
    };
    const Target kTargets[] = {
        {"a scheme file", kScheme, bytesOf(kOld), bytesOf(kNew),
         [&] {
             std::vector<KeyVal> records = kNew;
             std::string strName = kScheme;
             return keyValToFile(&strName[0], records.data(), static_cast<u32>(records.size()));
         }},
        {"the version file", SNS_VERSION_FILE, bytesOf(7u), bytesOf(8u), [] { return setVersion(8); }},
    };
    for (const Target& t : kTargets) {
        for (bool bHadFile : {true, false}) {
            auto prepare = [&] {
                if (bHadFile) {
                    m_root.write(t.strPath, t.strOld);
                } else {
                    m_root.remove(t.strPath);
                }
                qxsim::resetFaults();
            };
            prepare();
            ASSERT_EQ(t.fnReplace(), 0);
            const long long nSteps = static_cast<long long>(qxsim::writeSteps().size());
            // The step past the last one: the replace ran to its end, and the cut comes after it.
            for (long long nCut = 1; nCut <= nSteps + 1; ++nCut) {
                int nResult = -1;
                auto run = [&] {
                    prepare();
                    qxsim::cutPowerAtStep(nCut);
                    nResult = t.fnReplace();
                };
                flashloss::forEachLoss(run, flashloss::everyLoss, [&](const flashloss::Loss& stLoss) {
                    SCOPED_TRACE(std::string(t.szWhat) + (bHadFile ? "" : " not there before") +
                                 ", a cut before step " + std::to_string(nCut) + ", " + stLoss.strName);
                    const std::string strContent = m_root.exists(t.strPath) ? m_root.read(t.strPath) : "(missing)";
                    if (nCut > nSteps) {
                        EXPECT_EQ(nResult, 0);
                        EXPECT_EQ(strContent, t.strNew) << "a replace that said it was done was lost";
                    } else if (strContent != t.strNew) {
                        EXPECT_EQ(strContent, bHadFile ? t.strOld : "(missing)") << "neither old nor new";
                    }
                });
                if (HasFailure()) return;
            }
        }
    }
}

TEST_F(PowerLossTest, ReplacementSyncsTheFileRenamesItAndSyncsTheFolder) {
    std::vector<KeyVal> records = {{5, 5}, {6, 6}};
    std::string strName = kScheme;
    ASSERT_EQ(keyValToFile(&strName[0], records.data(), 2), SNS_SUCCESS);
    qxsim::FileOpCounts st = qxsim::fileOpCounts();
    EXPECT_EQ(st.nBytesWritten, 16);
    EXPECT_EQ(st.nFileSyncs, 1);
    EXPECT_EQ(st.nRenames, 1);
    EXPECT_EQ(st.nDirSyncs, 1);
}

}  // namespace
