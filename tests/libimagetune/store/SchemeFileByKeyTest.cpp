// Scheme files read by key into a channel's layout: a key of the layout takes the file's value, a key the file
// lacks keeps the value it had, a record of a key the layout lacks is dropped, and a file that is not whole
// records or gives no key of the layout changes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "KeyValPrinting.h"
#include "SchemeFileByKey.h"
#include "TestSupport.h"

namespace {

const std::string kScheme = "/mnt/mtd/code/config_file/sensor1_0.cfg";

std::string bytesOf(const std::vector<KeyVal>& p_vecRecords) {
    return std::string(reinterpret_cast<const char*>(p_vecRecords.data()), p_vecRecords.size() * sizeof(KeyVal));
}

// The layout as init passes it: the keys in order, the factory values.
const std::vector<KeyVal> kLayout = {{8000, 0}, {8001, 0}, {34, 50}, {2337, 60}, {144, 1}, {2384, 0}};

std::string randomBytes(size_t p_nLen, unsigned p_nSeed) {
    std::mt19937 objRandom(p_nSeed);
    std::string str(p_nLen, '\0');
    for (char& c : str) c = static_cast<char>(objRandom());
    return str;
}

struct ByKeyCase {
    const char* szWhat;
    std::string strFile;
    int nStatus;
    std::vector<KeyVal> vecAfter;
    u32 nTaken;
    u32 nDropped;
    bool bSameLayout;
};

TEST(SchemeFileByKey, EachRecordGoesToItsKey) {
    const ByKeyCase kCases[] = {
        {"the same layout, as written",
         bytesOf({{8000, 1}, {8001, 7}, {34, 77}, {2337, 88}, {144, 2}, {2384, 1}}),
         SNS_SUCCESS,
         {{8000, 1}, {8001, 7}, {34, 77}, {2337, 88}, {144, 2}, {2384, 1}},
         6,
         0,
         true},
        {"an older layout: fewer keys, one the layout no longer has",
         bytesOf({{8000, 2}, {34, 77}, {999, 5}, {144, 0}}),
         SNS_SUCCESS,
         {{8000, 2}, {8001, 0}, {34, 77}, {2337, 60}, {144, 0}, {2384, 0}},
         3,
         1,
         false},
        {"the same keys in another order",
         bytesOf({{2384, 1}, {144, 2}, {2337, 88}, {34, 77}, {8001, 7}, {8000, 1}}),
         SNS_SUCCESS,
         {{8000, 1}, {8001, 7}, {34, 77}, {2337, 88}, {144, 2}, {2384, 1}},
         6,
         0,
         false},
        {"a key twice: the second is one too many",
         bytesOf({{34, 77}, {34, 78}}),
         SNS_SUCCESS,
         {{8000, 0}, {8001, 0}, {34, 77}, {2337, 60}, {144, 1}, {2384, 0}},
         1,
         1,
         false},
        {"a layout's own length of foreign keys", bytesOf({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}), -1,
         kLayout, 0, 6, false},
        {"zeros", std::string(48, '\0'), -1, kLayout, 0, 6, false},
        {"all bits set", std::string(48, '\xFF'), -1, kLayout, 0, 6, false},
        {"random bytes", randomBytes(48, 7), -1, kLayout, 0, 6, false},
        {"empty", "", -1, kLayout, 0, 0, false},
        {"a torn last record", bytesOf({{34, 77}, {2337, 88}}).substr(0, 12), -1, kLayout, 0, 0, false},
    };
    for (const ByKeyCase& c : kCases) {
        SCOPED_TRACE(c.szWhat);
        std::vector<KeyVal> vecLayout = kLayout;
        const SchemeFileRead stRead = keyValFromBytesByKey(c.strFile, vecLayout.data(), kLayout.size());
        EXPECT_EQ(c.nStatus, stRead.nStatus);
        EXPECT_EQ(c.vecAfter, vecLayout);
        EXPECT_EQ(c.nTaken, stRead.nTaken);
        EXPECT_EQ(c.nDropped, stRead.nDropped);
        EXPECT_EQ(c.bSameLayout, stRead.bSameLayout);
    }
}

// A layout that holds a key twice takes the file's values of it in order, so that its own files read back as
// they were written.
TEST(SchemeFileByKey, AKeyTheLayoutHoldsTwiceTakesTheValuesInOrder) {
    const std::vector<KeyVal> vecLayout = {{34, 1}, {7, 2}, {34, 3}, {9, 4}};
    struct Case {
        std::vector<KeyVal> vecFile;
        std::vector<KeyVal> vecAfter;
    } const kCases[] = {
        {{{34, 10}, {7, 20}, {34, 30}, {9, 40}}, {{34, 10}, {7, 20}, {34, 30}, {9, 40}}},
        {{{9, 40}, {34, 10}, {34, 30}}, {{34, 10}, {7, 2}, {34, 30}, {9, 40}}},
        {{{34, 10}}, {{34, 10}, {7, 2}, {34, 3}, {9, 4}}},
    };
    for (const Case& c : kCases) {
        std::vector<KeyVal> vecArray = vecLayout;
        EXPECT_EQ(SNS_SUCCESS, keyValFromBytesByKey(bytesOf(c.vecFile), vecArray.data(), vecArray.size()).nStatus);
        EXPECT_EQ(c.vecAfter, vecArray);
    }
}

class SchemeFileByKeyOnFlash : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file")); }

    SchemeFileRead read(std::vector<KeyVal>& p_vecArray) {
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        const SchemeFileRead stRead = keyValFromFileByKey(kScheme.c_str(), p_vecArray.data(), p_vecArray.size());
        m_strOut = objCapture.stop();
        return stRead;
    }

    testsupport::TempDeviceRoot m_root;
    std::string m_strOut;
};

// What the file read dropped or refused is reported; a file of the layout reads without a word.
TEST_F(SchemeFileByKeyOnFlash, WhatIsNotTakenIsReported) {
    struct Case {
        const char* szWhat;
        std::function<void()> fnPlant;
        int nStatus;
        const char* szReport;  // null: no report
    } const kCases[] = {
        {"the layout", [&] { m_root.write(kScheme, bytesOf(kLayout)); }, SNS_SUCCESS, nullptr},
        {"a foreign record",
         [&] {
             m_root.write(kScheme, bytesOf({{34, 1}, {4711, 2}}));
         },
         SNS_SUCCESS, "nDropped(1) of nRecords(2): keys the layout does not hold"},
        {"random bytes", [&] { m_root.write(kScheme, randomBytes(48, 3)); }, -1, "no key of the 6 in the layout"},
        {"a torn record", [&] { m_root.write(kScheme, std::string(13, 'x')); }, -1,
         "nSize(13) sizeof(KeyVal) = 8: not whole records"},
        {"missing", [] {}, -1, "file.open(file_name)"},
        {"larger than any scheme",
         [&] { m_root.write(kScheme, bytesOf(kLayout) + std::string(SNS_SCHEME_FILE_MAX, '\0')); }, -1,
         "is too large: not read"},
        {"a FIFO", [&] { ASSERT_EQ(0, ::mkfifo(m_root.host(kScheme).c_str(), 0666)); }, -1, "is a FIFO: not read"},
        {"a link to a FIFO",
         [&] {
             ASSERT_EQ(0, ::mkfifo(m_root.host("/mnt/mtd/fifo").c_str(), 0666));
             ASSERT_EQ(0, ::symlink(m_root.host("/mnt/mtd/fifo").c_str(), m_root.host(kScheme).c_str()));
         },
         -1, "is a FIFO: not read"},
        // A firmware image may link its stored schemes: read through like the file itself.
        {"a link to a file of the layout",
         [&] {
             m_root.write("/mnt/mtd/other.cfg", bytesOf(kLayout));
             ASSERT_EQ(0, ::symlink(m_root.host("/mnt/mtd/other.cfg").c_str(), m_root.host(kScheme).c_str()));
         },
         SNS_SUCCESS, nullptr},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.szWhat);
        ::unlink(m_root.host(kScheme).c_str());
        c.fnPlant();
        std::vector<KeyVal> vecArray = kLayout;
        EXPECT_EQ(c.nStatus, read(vecArray).nStatus);
        if (c.nStatus != SNS_SUCCESS) {
            EXPECT_EQ(kLayout, vecArray);
        }
        if (c.szReport == nullptr) {
            EXPECT_EQ(std::string::npos, m_strOut.find("[sensor assert]")) << m_strOut;
        } else {
            EXPECT_NE(std::string::npos, m_strOut.find(c.szReport)) << m_strOut;
        }
    }
}

TEST_F(SchemeFileByKeyOnFlash, LayoutOfWhatIsStored) {
    struct Case {
        const char* szWhat;
        std::function<void()> fnPlant;
        SchemeFileLayout eLayout;
    } const kCases[] = {
        {"nothing", [] {}, SCHEME_FILE_ABSENT},
        {"the layout, other values",
         [&] {
             m_root.write(kScheme, bytesOf({{8000, 9}, {8001, 9}, {34, 9}, {2337, 9}, {144, 9}, {2384, 9}}));
         },
         SCHEME_FILE_SAME_LAYOUT},
        {"one key less",
         [&] {
             m_root.write(kScheme, bytesOf({{8000, 0}, {8001, 0}, {34, 50}, {2337, 60}, {144, 1}}));
         },
         SCHEME_FILE_OTHER_LAYOUT},
        {"another order",
         [&] {
             m_root.write(kScheme, bytesOf({{8001, 0}, {8000, 0}, {34, 50}, {2337, 60}, {144, 1}, {2384, 0}}));
         },
         SCHEME_FILE_OTHER_LAYOUT},
        {"empty", [&] { m_root.write(kScheme, ""); }, SCHEME_FILE_OTHER_LAYOUT},
        {"a folder", [&] { testsupport::makeDirs(m_root.host(kScheme)); }, SCHEME_FILE_OTHER_LAYOUT},
        // Nothing is stored behind it: a save replaces the link.
        {"a dangling link", [&] { ASSERT_EQ(0, ::symlink("nowhere", m_root.host(kScheme).c_str())); },
         SCHEME_FILE_ABSENT},
        {"a link to the layout",
         [&] {
             m_root.write("/mnt/mtd/other.cfg",
                          bytesOf({{8000, 9}, {8001, 9}, {34, 9}, {2337, 9}, {144, 9}, {2384, 9}}));
             ASSERT_EQ(0, ::symlink(m_root.host("/mnt/mtd/other.cfg").c_str(), m_root.host(kScheme).c_str()));
         },
         SCHEME_FILE_SAME_LAYOUT},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.szWhat);
        testsupport::removeTree(m_root.host(kScheme));
        c.fnPlant();
        EXPECT_EQ(c.eLayout, schemeFileLayout(kScheme.c_str(), kLayout.data(), kLayout.size()));
    }
}

}  // namespace
