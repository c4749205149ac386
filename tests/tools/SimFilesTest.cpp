// The tool's guarded reads: what a hostile device root, /tmp or script path may hold is refused with the fault
// named, and XML nested deeper than the tool parses is refused before TinyXML's recursive parser sees it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <sstream>

#include "SimFiles.h"
#include "TestSupport.h"

namespace {

class SimFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/imagetune-simfiles-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strDir = szTemplate;
    }
    void TearDown() override { testsupport::removeTree(m_strDir); }
    std::string m_strDir;
};

std::string nested(int p_nDepth, const std::string& p_strOpen, const std::string& p_strClose) {
    std::string strText;
    for (int i = 0; i < p_nDepth; ++i) strText += p_strOpen;
    for (int i = 0; i < p_nDepth; ++i) strText += p_strClose;
    return strText;
}

}  // namespace

TEST_F(SimFilesTest, OnlyARegularFileWithinTheBoundIsRead) {
    testsupport::writeHostFile(m_strDir + "/file", "12345678");
    testsupport::writeHostFile(m_strDir + "/big", std::string(2000, 'x'));
    ASSERT_EQ(symlink((m_strDir + "/file").c_str(), (m_strDir + "/link").c_str()), 0);
    ASSERT_EQ(mkfifo((m_strDir + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink((m_strDir + "/fifo").c_str(), (m_strDir + "/link-to-fifo").c_str()), 0);
    testsupport::makeDirs(m_strDir + "/folder");
    const struct {
        std::string strPath;
        SimLinks eLinks;
        SimReadResult eResult;
        const char* szError;
    } aCases[] = {
        {m_strDir + "/file", SIM_FOLLOW_LINK, SIM_READ_OK, ""},
        {m_strDir + "/missing", SIM_FOLLOW_LINK, SIM_READ_MISSING, ""},
        {m_strDir + "/file/below", SIM_FOLLOW_LINK, SIM_READ_MISSING, ""},
        {m_strDir + "/link", SIM_FOLLOW_LINK, SIM_READ_OK, ""},  // as a firmware image links its documents
        {m_strDir + "/link", SIM_REFUSE_LINK, SIM_READ_REFUSED, "is a symbolic link, which is not followed"},
        {m_strDir + "/link-to-fifo", SIM_FOLLOW_LINK, SIM_READ_REFUSED, "is a FIFO, not a file"},
        {m_strDir + "/fifo", SIM_FOLLOW_LINK, SIM_READ_REFUSED, "is a FIFO, not a file"},  // would block
        {m_strDir + "/folder", SIM_FOLLOW_LINK, SIM_READ_REFUSED, "is a folder, not a file"},
        {"/dev/zero", SIM_FOLLOW_LINK, SIM_READ_REFUSED, "is a character device, not a file"},  // endless
        {m_strDir + "/big", SIM_FOLLOW_LINK, SIM_READ_REFUSED, "is larger than 1000 bytes"},
    };
    for (const auto& t : aCases) {
        std::string strText, strError;
        EXPECT_EQ(readGuardedFile(t.strPath, 1000, strText, strError, t.eLinks), t.eResult) << t.strPath;
        EXPECT_NE(strError.find(t.szError), std::string::npos) << t.strPath << ": " << strError;
        if (t.eResult == SIM_READ_OK) {
            EXPECT_EQ(strText, "12345678");
        }
    }
    std::istringstream in(std::string(3000, 'y'));
    std::string strText, strError;
    EXPECT_FALSE(readBoundedStream(in, 1000, strText, strError));
    EXPECT_EQ(strError, "more than 1000 bytes of commands");
}

TEST(SimXmlDepth, DeepDocumentsAreRefusedBeforeTheyAreParsed) {
    const struct {
        const char* szName;
        std::string strText;
        bool bParsed;
    } aCases[] = {
        {"64 levels", nested(64, "<a>", "</a>"), true},
        {"65 levels", nested(65, "<a>", "</a>"), false},
        {"deep enough to overflow the stack", nested(200000, "<a>", "</a>"), false},
        {"self-closing elements do not nest", std::string("<r>") + nested(100, "<a/>", "") + "</r>", true},
        {"attributes holding '>' and '/>'", "<r>" + nested(64, "<a b=\"/>\" c='>'>", "</a>") + "</r>", false},
        {"markup in comments and CDATA is no element",
         "<r><!--" + nested(100, "<a>", "") + "--><![CDATA[" + nested(100, "<a>", "") + "]]></r>", true},
        {"not XML", "<a><b></a>", false},
        // Each of these ends at the first '>' for TinyXML, whatever a "?>", "-->" or "]>" further on says.
        {"nesting after a processing instruction", "<?x>" + nested(200000, "<a>", "</a>"), false},
        {"nesting after a DOCTYPE", "<!DOCTYPE r>" + nested(200000, "<a>", "</a>"), false},
        {"nesting after an unknown tag", "<!x>" + nested(65, "<a>", "</a>"), false},
        {"nesting after a declaration", "<?xml version=\"1.0\"?>" + nested(65, "<a>", "</a>"), false},
        {"a character cut short at the end", "<a>\xC3", false},
    };
    for (const auto& t : aCases) {
        TiXmlDocument doc;
        std::string strError;
        EXPECT_EQ(parseXmlBounded(t.strText, doc, strError), t.bParsed) << t.szName << ": " << strError;
        if (!t.bParsed) {
            EXPECT_NE(strError, "") << t.szName;
        }
    }
}
