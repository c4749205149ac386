// Whole-file reads and writes: scheme files of raw records, the version file, and plain data files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "KeyValPrinting.h"
#include "SensorFile.h"
#include "TestSupport.h"

namespace {

const std::string kConfigDir = "/mnt/mtd/code/config_file";
const std::string kScheme = kConfigDir + "/sensor1_0.cfg";

std::string bytesOf(const std::vector<KeyVal>& p_vRecords) {
    return std::string(reinterpret_cast<const char*>(p_vRecords.data()), p_vRecords.size() * sizeof(KeyVal));
}

std::string bytesOf(u32 p_nWord) {
    return std::string(reinterpret_cast<const char*>(&p_nWord), sizeof(p_nWord));
}

// Entries of a host folder, "." and ".." left out.
std::vector<std::string> entriesOf(const std::string& p_strHostDir) {
    std::vector<std::string> v;
    std::string strCmd = "ls -A '" + p_strHostDir + "'";
    FILE* p = ::popen(strCmd.c_str(), "r");
    char szLine[512];
    while (p != nullptr && std::fgets(szLine, sizeof(szLine), p) != nullptr) {
        std::string s = szLine;
        if (!s.empty() && s.back() == '\n') s.pop_back();
        v.push_back(s);
    }
    if (p != nullptr) ::pclose(p);
    return v;
}

class SensorFileTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeDirs(m_root.host(kConfigDir)); }

    // Runs the call with standard output captured and returns what it printed.
    std::string printed(const std::function<void()>& p_fnCall) {
        testsupport::StdoutCapture cap;
        cap.start();
        p_fnCall();
        return cap.stop();
    }

    char* name(const std::string& p_strDevicePath) {
        m_strName = p_strDevicePath;
        return &m_strName[0];
    }

    testsupport::TempDeviceRoot m_root;
    std::string m_strName;
};

const std::vector<KeyVal> kStored = {{1, 2}, {0xFFFFFFFFu, 0x80000000u}, {8000, 0x01020304u}};
const std::vector<KeyVal> kBefore = {{100, 101}, {102, 103}, {104, 105}};

TEST_F(SensorFileTest, SchemeRoundTripIsByteForByteAndLeavesNoTemporaryFile) {
    std::vector<KeyVal> records = kStored;
    int nResult = 0;
    std::string strOut = printed([&] { nResult = keyValToFile(name(kScheme), records.data(), 3); });
    EXPECT_EQ(nResult, SNS_SUCCESS);
    EXPECT_EQ(strOut.find("[sensor assert]"), std::string::npos) << strOut;
    EXPECT_EQ(m_root.read(kScheme), bytesOf(kStored));  // 24 bytes, native order, nothing else
    EXPECT_EQ(entriesOf(m_root.host(kConfigDir)), std::vector<std::string>{"sensor1_0.cfg"});

    std::vector<KeyVal> back = kBefore;
    EXPECT_EQ(keyValFromFile(name(kScheme), back.data(), 3), SNS_SUCCESS);
    EXPECT_EQ(back, kStored);
}

TEST_F(SensorFileTest, SchemeWriteReplacesAnExistingLongerFile) {
    m_root.write(kScheme, std::string(80, 'x'));
    std::vector<KeyVal> records = kStored;
    EXPECT_EQ(keyValToFile(name(kScheme), records.data(), 3), SNS_SUCCESS);
    EXPECT_EQ(m_root.read(kScheme), bytesOf(kStored));
}

struct ReadCase {
    const char* szWhat;
    std::function<void(const testsupport::TempDeviceRoot&)> fnPrepare;
    int nResult;
    std::vector<const char*> vReports;  // texts the reports must carry; empty: no report at all
    std::vector<KeyVal> expected;
};

TEST_F(SensorFileTest, SchemeReadOfEveryKindOfFile) {
    const std::string strHost = m_root.host(kScheme);
    const ReadCase kCases[] = {
        {"missing",
         [](const testsupport::TempDeviceRoot&) {},
         -1,
         {"file.open(file_name)", "nSize == sizeof(KeyVal)*p_nKeyValNum",
          "nSize(0) sizeof(KeyVal) = 8, p_nKeyValNum(3)"},
         kBefore},
        {"shorter, torn last record",
         [&](const testsupport::TempDeviceRoot& r) { r.write(kScheme, bytesOf(kStored).substr(0, 20)); },
         -1,
         {"nSize == sizeof(KeyVal)*p_nKeyValNum", "nSize(20) sizeof(KeyVal) = 8, p_nKeyValNum(3)"},
         {kStored[0], kStored[1], kBefore[2]}},
        {"longer",
         [&](const testsupport::TempDeviceRoot& r) { r.write(kScheme, bytesOf(kStored) + "12345678"); },
         SNS_SUCCESS,
         {},
         kStored},
        {"empty",
         [&](const testsupport::TempDeviceRoot& r) { r.write(kScheme, ""); },
         -1,
         {"nSize(0) sizeof(KeyVal) = 8"},
         kBefore},
        {"a directory",
         [&](const testsupport::TempDeviceRoot&) { ::mkdir(strHost.c_str(), 0755); },
         -1,
         {"[sensor assert]"},
         kBefore},
        {"a link to a scheme file: read through, as a firmware image links it",
         [&](const testsupport::TempDeviceRoot& r) {
             r.write("/mnt/mtd/elsewhere.cfg", bytesOf(kStored));
             ASSERT_EQ(::symlink(r.host("/mnt/mtd/elsewhere.cfg").c_str(), strHost.c_str()), 0);
         },
         0,
         {},
         kStored},
        {"a link to a FIFO: refused without waiting for a writer",
         [&](const testsupport::TempDeviceRoot& r) {
             ASSERT_EQ(::mkfifo(r.host("/mnt/mtd/fifo").c_str(), 0644), 0);
             ASSERT_EQ(::symlink(r.host("/mnt/mtd/fifo").c_str(), strHost.c_str()), 0);
         },
         -1,
         {"is a FIFO: not read", "file.open(file_name)"},
         kBefore},
        {"a FIFO: refused without waiting for a writer",
         [&](const testsupport::TempDeviceRoot&) { ASSERT_EQ(::mkfifo(strHost.c_str(), 0644), 0); },
         -1,
         {"is a FIFO: not read", "file.open(file_name)"},
         kBefore},
        {"a dangling link",
         [&](const testsupport::TempDeviceRoot&) { ASSERT_EQ(::symlink("nowhere", strHost.c_str()), 0); },
         -1,
         {"file.open(file_name)"},
         kBefore},
    };
    for (const ReadCase& c : kCases) {
        SCOPED_TRACE(c.szWhat);
        testsupport::removeTree(m_root.host("/mnt/mtd"));
        testsupport::makeDirs(m_root.host(kConfigDir));
        c.fnPrepare(m_root);
        std::vector<KeyVal> records = kBefore;
        int nResult = 12345;
        std::string strOut = printed([&] { nResult = keyValFromFile(name(kScheme), records.data(), 3); });
        EXPECT_EQ(nResult, c.nResult);
        EXPECT_EQ(records, c.expected);
        if (c.vReports.empty()) {
            EXPECT_EQ(strOut.find("[sensor assert]"), std::string::npos) << strOut;
        }
        for (const char* szReport : c.vReports) EXPECT_NE(strOut.find(szReport), std::string::npos) << strOut;
    }
}

TEST_F(SensorFileTest, SchemeReadReportNamesTheOperation) {
    std::vector<KeyVal> records = kBefore;
    std::string strOut = printed([&] { keyValFromFile(name(kScheme), records.data(), 3); });
    EXPECT_NE(strOut.find("file:SensorFile.cpp fun:keyValFromFile line:"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("file_name(" + kScheme + ")"), std::string::npos) << strOut;
}

TEST_F(SensorFileTest, SchemeWriteReplacesALinkWithoutFollowingIt) {
    const std::string strVictim = "/mnt/mtd/precious.bin";
    m_root.write(strVictim, "precious");
    ASSERT_EQ(::symlink(m_root.host(strVictim).c_str(), m_root.host(kScheme).c_str()), 0);

    std::vector<KeyVal> records = kStored;
    EXPECT_EQ(keyValToFile(name(kScheme), records.data(), 3), SNS_SUCCESS);

    struct stat st;
    ASSERT_EQ(::lstat(m_root.host(kScheme).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(m_root.read(kScheme), bytesOf(kStored));
    EXPECT_EQ(m_root.read(strVictim), "precious");
}

TEST_F(SensorFileTest, WriteOverADirectoryFailsAndKeepsIt) {
    ASSERT_EQ(::mkdir(m_root.host(kScheme).c_str(), 0755), 0);
    std::vector<KeyVal> records = kStored;
    int nResult = 0;
    std::string strOut = printed([&] { nResult = keyValToFile(name(kScheme), records.data(), 3); });
    EXPECT_NE(nResult, SNS_SUCCESS);
    EXPECT_NE(strOut.find("[sensor assert]"), std::string::npos);
    struct stat st;
    ASSERT_EQ(::lstat(m_root.host(kScheme).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(entriesOf(m_root.host(kConfigDir)), std::vector<std::string>{"sensor1_0.cfg"});
}

TEST_F(SensorFileTest, WriteIntoAMissingFolderReportsTheOpen) {
    testsupport::removeTree(m_root.host(kConfigDir));
    std::vector<KeyVal> records = kStored;
    int nScheme = 0, nSave = 0;
    std::string strOut = printed([&] {
        nScheme = keyValToFile(name(kScheme), records.data(), 3);
        char szData[] = "abc";
        nSave = saveToFile(name(kConfigDir + "/x.bin"), szData, 3);
    });
    EXPECT_NE(nScheme, SNS_SUCCESS);
    EXPECT_NE(nSave, 3);
    EXPECT_NE(strOut.find("file.open(file_name, QxFile::modeWrite | QxFile::modeTruncate)"), std::string::npos);
    EXPECT_NE(strOut.find("nSize == sizeof(KeyVal)*p_nKeyValSum"), std::string::npos);
    EXPECT_NE(strOut.find("file_len == (nSize=file.write(data, file_len))"), std::string::npos);
    EXPECT_FALSE(m_root.exists(kConfigDir));
}

TEST_F(SensorFileTest, DataFilesRoundTripWithEmbeddedNuls) {
    const std::string strPath = "/tmp/data.bin";
    testsupport::makeDirs(m_root.host("/tmp"));
    std::string strData("a\0b\0\xff\x01 end", 10);
    EXPECT_EQ(saveToFile(name(strPath), &strData[0], 10), 10);
    EXPECT_EQ(m_root.read(strPath), strData);
    EXPECT_EQ(getFileLen(strPath.c_str()), 10);

    std::vector<char> buf(10, '#');
    EXPECT_EQ(loadFromFile(strPath.c_str(), buf.data(), 10), 10);
    EXPECT_EQ(std::string(buf.data(), 10), strData);
}

TEST_F(SensorFileTest, LoadNeedsAtLeastTheLengthAskedFor) {
    const std::string strPath = "/tmp/data.bin";
    m_root.write(strPath, "0123456789");
    struct Row {
        INT64 nLen;
        int nResult;
        const char* szBuf;  // the 12-byte buffer afterwards
    };
    static const Row kRows[] = {
        {4, 4, "0123########"},                       // from a longer file the first bytes
        {10, 10, "0123456789##"},                     // exactly the file
        {0, 0, "############"},   {11, -1, nullptr},  // the file is shorter
        {-1, -1, "############"},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.nLen);
        std::vector<char> buf(12, '#');
        EXPECT_EQ(loadFromFile(strPath.c_str(), buf.data(), row.nLen), row.nResult);
        if (row.szBuf != nullptr) {
            EXPECT_EQ(std::string(buf.data(), 12), row.szBuf);
        }
    }
}

TEST_F(SensorFileTest, LoadOfAMissingFileFailsQuietlyButTraces) {
    testsupport::setDebugSign(m_root, "6");
    std::vector<char> buf(4);
    int nResult = 0;
    std::string strOut = printed([&] { nResult = loadFromFile("/tmp/none.bin", buf.data(), 4); });
    EXPECT_EQ(nResult, -1);
    EXPECT_EQ(strOut.find("[sensor assert]"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("\033[0m\033[37m[sensor dbg]"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("open file:/tmp/none.bin\n"), std::string::npos) << strOut;
}

TEST_F(SensorFileTest, FileLengthOfAMissingFileIsZeroAndReported) {
    m_root.write("/tmp/empty.txt", "");
    EXPECT_EQ(getFileLen("/tmp/empty.txt"), 0);
    INT64 nLen = -1;
    std::string strOut = printed([&] { nLen = getFileLen("/tmp/none.txt"); });
    EXPECT_EQ(nLen, 0);
    EXPECT_NE(strOut.find("file.open(file_name)"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("file_name(/tmp/none.txt)"), std::string::npos) << strOut;
}

TEST_F(SensorFileTest, VersionRoundTripIsFourNativeBytes) {
    for (u32 nVersion : {0u, 8u, 0xFFFFFFFFu, 0x01020304u}) {
        EXPECT_EQ(setVersion(nVersion), 0);
        EXPECT_EQ(m_root.read(SNS_VERSION_FILE), bytesOf(nVersion));
        u32 nRead = 12345;
        EXPECT_EQ(getVersion(&nRead), 0);
        EXPECT_EQ(nRead, nVersion);
    }
}

TEST_F(SensorFileTest, VersionFileThatIsMissingOrShortGivesNoVersion) {
    struct Row {
        const char* szWhat;
        bool bPresent;
        std::string strContent;
        int nResult;
        u32 nAfter;  // the caller's variable, 77 beforehand
    };
    const Row kRows[] = {
        {"missing", false, "", -1, 77},
        {"3 bytes", true, std::string("\x08\x00\x00", 3), -1, 77},
        {"empty", true, "", -1, 77},
        {"5 bytes", true, bytesOf(8u) + "x", 0, 8},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.szWhat);
        m_root.remove(SNS_VERSION_FILE);
        if (row.bPresent) m_root.write(SNS_VERSION_FILE, row.strContent);
        u32 nVersion = 77;
        int nResult = 0;
        std::string strOut = printed([&] { nResult = getVersion(&nVersion); });
        EXPECT_EQ(nResult, row.nResult);
        EXPECT_EQ(nVersion, row.nAfter);
        EXPECT_EQ(strOut, "");  // no report of any kind at the default level
    }
}

struct BadArgs {
    const char* szWhat;
    std::function<int(char*)> fnCall;
};

TEST_F(SensorFileTest, BadArgumentsFailWithoutTouchingAnything) {
    KeyVal kv = {1, 2};
    char szData[] = "abcd";
    const BadArgs kCases[] = {
        {"keyValToFile without a name", [&](char*) { return keyValToFile(nullptr, &kv, 1); }},
        {"keyValToFile without records", [&](char* n) { return keyValToFile(n, nullptr, 1); }},
        {"keyValFromFile without records", [&](char* n) { return keyValFromFile(n, nullptr, 1); }},
        {"keyValFromFile without a name", [&](char*) { return keyValFromFile(nullptr, &kv, 1); }},
        {"keyValFromFile of 2^29 records", [&](char* n) { return keyValFromFile(n, &kv, 0x20000000u); }},
        {"saveToFile of a negative length", [&](char* n) { return saveToFile(n, szData, -1); }},
        {"saveToFile without data", [&](char* n) { return saveToFile(n, nullptr, 4); }},
        {"saveToFile without a name", [&](char*) { return saveToFile(nullptr, szData, 4); }},
        {"loadFromFile without a buffer", [&](char* n) { return loadFromFile(n, nullptr, 4); }},
        {"loadFromFile without a name", [&](char*) { return loadFromFile(nullptr, szData, 4); }},
        {"getVersion without a variable", [&](char*) { return getVersion(nullptr); }},
    };
    m_root.write(kScheme, bytesOf(kStored));
    for (const BadArgs& c : kCases) {
        SCOPED_TRACE(c.szWhat);
        int nResult = 0;
        printed([&] { nResult = c.fnCall(name(kScheme)); });
        EXPECT_EQ(nResult, -1);
        EXPECT_EQ(m_root.read(kScheme), bytesOf(kStored));
        EXPECT_EQ(kv, (KeyVal{1, 2}));
    }
    EXPECT_EQ(entriesOf(m_root.host(kConfigDir)), std::vector<std::string>{"sensor1_0.cfg"});
}

// Writers replace one file over and over while a reader reads it: every read sees one complete content.
TEST_F(SensorFileTest, ConcurrentWritersNeverExposeAMixedFile) {
    const std::vector<KeyVal> kA(64, KeyVal{0xAAAAAAAAu, 1});
    const std::vector<KeyVal> kB(64, KeyVal{0xBBBBBBBBu, 2});
    testsupport::setDebugSign(m_root, "-1");  // keep the writers' output quiet, should anything fail
    std::vector<KeyVal> seed = kA;
    ASSERT_EQ(keyValToFile(name(kScheme), seed.data(), 64), SNS_SUCCESS);

    std::atomic<bool> bStop{false};
    std::atomic<int> nWriteFailures{0};
    auto writer = [&](const std::vector<KeyVal>& p_vContent) {
        std::string strName = kScheme;
        std::vector<KeyVal> v = p_vContent;
        for (int i = 0; i < 40; ++i)
            if (keyValToFile(&strName[0], v.data(), 64) != SNS_SUCCESS) ++nWriteFailures;
    };
    int nTorn = 0, nReads = 0;
    std::thread reader([&] {
        std::string strName = kScheme;
        while (!bStop) {
            std::vector<KeyVal> v(64, KeyVal{0, 0});
            if (keyValFromFile(&strName[0], v.data(), 64) != SNS_SUCCESS || (v != kA && v != kB)) ++nTorn;
            ++nReads;
        }
    });
    std::thread w1(writer, std::cref(kA));
    std::thread w2(writer, std::cref(kB));
    w1.join();
    w2.join();
    bStop = true;
    reader.join();

    EXPECT_EQ(nWriteFailures, 0);
    EXPECT_EQ(nTorn, 0) << "of " << nReads << " reads";
    EXPECT_EQ(entriesOf(m_root.host(kConfigDir)), std::vector<std::string>{"sensor1_0.cfg"});
}

}  // namespace
