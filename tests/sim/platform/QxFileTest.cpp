// QxFile: open modes, byte counts, length, lines, folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "PlatformTestUtil.h"
#include "QxFile.h"
#include "TestSupport.h"

namespace {

using platformtest::put;

const char* const kPath = "/mnt/mtd/code/config_file/f.bin";

class QxFileTest : public ::testing::Test {
protected:
    testsupport::TempDeviceRoot m_root;
    void SetUp() override { testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file")); }
};

struct ModeCase {
    const char* szName;
    unsigned char nMode;
    bool bExisting;  // the file holds "old-content" before the open
    bool bOpens;
    const char* szAfter;  // content after writing "NEW" and closing; null: no file
};

const unsigned char W = QxFile::modeWrite, T = QxFile::modeTruncate, C = QxFile::modeCreate, A = QxFile::modeAppend,
                    R = QxFile::modeRead;

const ModeCase kModeCases[] = {
    {"write|truncate empties", W | T, true, true, "NEW"},
    {"write|truncate creates", W | T, false, true, "NEW"},
    {"write keeps the rest", W, true, true, "NEW-content"},
    {"write needs the file", W, false, false, nullptr},
    {"write|create creates", W | C, false, true, "NEW"},
    {"write|create keeps the rest", W | C, true, true, "NEW-content"},
    {"append appends", A, true, true, "old-contentNEW"},
    {"append creates", A, false, true, "NEW"},
    {"read needs the file", R, false, false, nullptr},
    {"read does not write", R, true, true, "old-content"},
    {"read|write|truncate", R | W | T, true, true, "NEW"},
    {"no direction", 0, true, false, "old-content"},
    {"truncate alone is no direction", T, true, false, "old-content"},
};

TEST_F(QxFileTest, ModesCreateTruncateAppendAsNamed) {
    for (const ModeCase& c : kModeCases) {
        SCOPED_TRACE(c.szName);
        m_root.remove(kPath);
        if (c.bExisting) m_root.write(kPath, "old-content");
        QxFile file;
        EXPECT_EQ(c.bOpens, file.open(kPath, c.nMode) != 0);
        EXPECT_EQ(c.bOpens, (file.getFileHandle() != nullptr));
        unsigned nExpectWritten = c.bOpens && (c.nMode & (W | A)) ? 3u : 0u;
        EXPECT_EQ(nExpectWritten, put(file, "NEW"));
        file.close();
        EXPECT_EQ(c.szAfter != nullptr, m_root.exists(kPath));
        if (c.szAfter != nullptr) {
            EXPECT_EQ(c.szAfter, m_root.read(kPath));
        }
    }
}

TEST_F(QxFileTest, ReadsWhatWasWrittenAndCountsBytes) {
    std::string strData(70000, '\0');
    for (size_t i = 0; i < strData.size(); ++i) strData[i] = static_cast<char>(i * 7);
    {
        QxFile file;
        ASSERT_NE(0, file.open(kPath, W | T));
        EXPECT_EQ(0u, file.read(&strData[0], 4)) << "a write-only file reads nothing";
        EXPECT_EQ(strData.size(), file.write(strData.data(), static_cast<unsigned>(strData.size())));
        EXPECT_EQ(static_cast<long long>(strData.size()), file.getLength()) << "buffered bytes count";
    }  // the destructor closes and so flushes
    QxFile file;
    ASSERT_NE(0, file.open(kPath, R));
    std::vector<char> vecBuf(strData.size() + 10);
    EXPECT_EQ(strData.size(), file.read(vecBuf.data(), static_cast<unsigned>(vecBuf.size())));
    EXPECT_EQ(strData, std::string(vecBuf.data(), strData.size()));
    EXPECT_EQ(0u, file.read(vecBuf.data(), 1)) << "at the end";
    EXPECT_EQ(0u, put(file, "x")) << "a read-only file writes nothing";
    EXPECT_NE(nullptr, file.getFileHandle());
}

TEST_F(QxFileTest, ClosedFileDoesNothing) {
    QxFile file;
    char c = 0;
    EXPECT_EQ(0u, file.read(&c, 1));
    EXPECT_EQ(0u, put(file, "x"));
    EXPECT_EQ(0, file.getLength());
    EXPECT_EQ(nullptr, file.getFileHandle());
    EXPECT_TRUE(file.ReadLines().empty());
    file.close();
    EXPECT_EQ(0, file.open(nullptr, R));
}

TEST_F(QxFileTest, LengthIsSixtyFourBit) {
    m_root.write(kPath, "");
    const long long nBig = 5LL << 30;  // sparse: costs no disk
    ASSERT_EQ(0, ::truncate(m_root.host(kPath).c_str(), nBig));
    QxFile file;
    ASSERT_NE(0, file.open(kPath, R));
    EXPECT_EQ(nBig, file.getLength());
}

TEST_F(QxFileTest, OpeningAFolderFailsInEveryMode) {
    testsupport::makeDirs(m_root.host("/mnt/mtd/dir"));
    for (unsigned char nMode : {R, static_cast<unsigned char>(W | T), A, static_cast<unsigned char>(R | W)}) {
        QxFile file;
        EXPECT_EQ(0, file.open("/mnt/mtd/dir", nMode)) << "mode " << int(nMode);
        EXPECT_FALSE((file.getFileHandle() != nullptr));
    }
}

TEST_F(QxFileTest, OpenClosesTheFileOpenBefore) {
    m_root.write("/mnt/mtd/a", "A");
    m_root.write("/mnt/mtd/b", "B");
    QxFile file;
    ASSERT_NE(0, file.open("/mnt/mtd/a", W | T));
    put(file, "new");
    ASSERT_NE(0, file.open("/mnt/mtd/b", R));
    EXPECT_EQ("new", m_root.read("/mnt/mtd/a"));
    char c = 0;
    EXPECT_EQ(1u, file.read(&c, 1));
    EXPECT_EQ('B', c);
    EXPECT_EQ(0, file.open("/mnt/mtd/missing", R));
    EXPECT_FALSE((file.getFileHandle() != nullptr)) << "a failed open leaves nothing open";
}

struct LinesCase {
    const char* szName;
    std::string strContent;
    std::vector<std::string> vecLines;
};

const LinesCase kLinesCases[] = {
    {"plain", "a\nb\n", {"a", "b"}},
    {"no line end at the end", "a\nb", {"a", "b"}},
    {"CRLF", "a\r\nb\r\n", {"a", "b"}},
    {"empty line in the middle", "a\n\nb\n", {"a", "", "b"}},
    {"empty file", "", {}},
    {"one empty line", "\n", {""}},
    {"lone CR is text", "a\rb\n", {"a\rb"}},
    {"NUL inside a line", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
};

TEST_F(QxFileTest, ReadLinesAndReadOneLineStripLineEnds) {
    for (const LinesCase& c : kLinesCases) {
        SCOPED_TRACE(c.szName);
        m_root.write(kPath, c.strContent);
        QxFile file;
        ASSERT_NE(0, file.open(kPath, R));
        EXPECT_EQ(c.vecLines, file.ReadLines());
        std::vector<std::string> vecOneByOne;
        for (size_t i = 0; i < c.vecLines.size(); ++i) vecOneByOne.push_back(QxFile::ReadOneLine(file.getFileHandle()));
        EXPECT_EQ(c.vecLines, vecOneByOne);
        EXPECT_EQ("", QxFile::ReadOneLine(file.getFileHandle())) << "end of file";
    }
}

TEST_F(QxFileTest, ReadOneLineTakesAMegabyteLineWhole) {
    std::string strLong(1 << 20, 'x');
    strLong[12345] = 'y';
    m_root.write(kPath, strLong + "\r\ntail");
    QxFile file;
    ASSERT_NE(0, file.open(kPath, R));
    EXPECT_EQ(strLong, QxFile::ReadOneLine(file.getFileHandle()));
    EXPECT_EQ("tail", QxFile::ReadOneLine(file.getFileHandle()));
    EXPECT_EQ("", QxFile::ReadOneLine(nullptr));
}

TEST_F(QxFileTest, ReadLinesStartsAtTheTopAndKeepsThePosition) {
    m_root.write(kPath, "one\ntwo\nthree\n");
    QxFile file;
    ASSERT_NE(0, file.open(kPath, R));
    EXPECT_EQ("one", QxFile::ReadOneLine(file.getFileHandle()));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), file.ReadLines());
    EXPECT_EQ("two", QxFile::ReadOneLine(file.getFileHandle()));
}

TEST_F(QxFileTest, TheStreamCarriesWhatWasWritten) {
    QxFile file;
    ASSERT_NE(0, file.open(kPath, W | T));
    put(file, "abc");
    ASSERT_NE(nullptr, file.getFileHandle());
    EXPECT_EQ(0, std::fflush(file.getFileHandle()));
    EXPECT_EQ("abc", m_root.read(kPath)) << "visible while still open";
}

}  // namespace
