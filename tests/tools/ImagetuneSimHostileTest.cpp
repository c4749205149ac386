// What a bad firmware image, another local program or an unlucky script can put where the tool reads: it ends
// with status 2 and the fault named, never with a crash, a hang, unbounded memory or a success it did not have.
#include <sys/stat.h>
#include <unistd.h>

#include "SensorKeyVal.h"
#include "SimRunner.h"

namespace {

std::string nestedXml(const char* p_szRoot, int p_nDepth) {
    std::string strText = std::string("<?xml version=\"1.0\"?>\n<") + p_szRoot + ">";
    for (int i = 0; i < p_nDepth; ++i) strText += "<a>";
    for (int i = 0; i < p_nDepth; ++i) strText += "</a>";
    return strText + "</" + p_szRoot + ">\n";
}

}  // namespace

TEST_F(SimToolTest, HostileFilesEndTheToolWithStatusTwoAndTheFaultNamed) {
    ASSERT_EQ(run("--root dev --quiet flush").nStatus, 0);
    const std::string strRoot = m_strDir + "/dev";
    testsupport::makeDirs(m_strDir + "/folder");
    ASSERT_EQ(mkfifo((m_strDir + "/fifo").c_str(), 0600), 0);
    testsupport::writeHostFile(m_strDir + "/empty.cfg", "");
    ASSERT_EQ(symlink((strRoot + "/mnt/mtd/code/config_file/sensor1_0.cfg").c_str(), (m_strDir + "/link.cfg").c_str()),
              0);
    ASSERT_EQ(symlink((m_strDir + "/fifo").c_str(), (m_strDir + "/link-to-fifo.cfg").c_str()), 0);
    const struct {
        const char* szArgs;
        const char* szMessage;
    } aCases[] = {
        {"show-scheme folder", "folder is a folder, not a file"},      // aborted
        {"show-scheme fifo", "fifo is a FIFO, not a file"},            // hung
        {"show-scheme /dev/zero", "/dev/zero is a character device"},  // grew without bound
        {"show-scheme /dev/null", "/dev/null is a character device"},  // said 0 parameters
        {"show-scheme empty.cfg", "empty.cfg is no scheme file: it is empty"},
        {"show-scheme link-to-fifo.cfg", "link-to-fifo.cfg is a FIFO, not a file"},
        {"diff-scheme sensor1_0.cfg fifo", "fifo is a FIFO"},
        {"--script folder", "cannot read the script folder is a folder"},  // ran nothing, status 0
        {"--script fifo", "cannot read the script fifo is a FIFO"},
        {"--script missing.txt", "cannot read the script missing.txt: there is no such file"},
        {"get '((((,,,,)))'", "get ((((,,,,))): character 2"},
    };
    for (const auto& t : aCases) {
        SimResult r = run(std::string("--root dev --quiet ") + t.szArgs);
        EXPECT_EQ(r.nStatus, 2) << t.szArgs << ": " << r.strErr;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
    }
}

TEST_F(SimToolTest, AHostileDeviceRootIsRefusedBeforeTheCameraStarts) {
    const struct {
        const char* szPath;  // in the root
        const char* szKind;  // "fifo", "folder" or a nesting depth for an XML document
        const char* szMessage;
    } aCases[] = {
        // Parsed by the platform's recursive parser: the stack overflowed.
        {"/hd1/moduleConfig/moduleConfig.xml", "100000",
         "moduleConfig.xml cannot be used: its elements nest deeper than 64"},
        // A processing instruction ends at its first '>' for the parser, not at a "?>" further on.
        {"/hd1/moduleConfig/moduleConfig.xml", "instruction",
         "moduleConfig.xml cannot be used: its elements nest deeper than 64"},
        {"/hd1/moduleConfig/moduleConfig.xml", "fifo", "moduleConfig.xml is a FIFO"},
        {"/mnt/mtd/code/factory_setting/machineinfo.ini", "fifo", "machineinfo.ini is a FIFO"},
        {"/mnt/mtd/code/factory_setting/machineinfo.ini", "folder", "machineinfo.ini is a folder"},
        // The library refuses a deep style itself; the tool says the channel has no parameters.
        {"/hd1/moduleConfig/sensorConfig/style/Style.xml", "100000", "channel 1 has no parameters"},
    };
    for (const auto& t : aCases) {
        testsupport::removeTree(m_strDir + "/dev");
        ASSERT_EQ(run("--root dev --quiet flush").nStatus, 0);
        std::string strPath = m_strDir + "/dev" + t.szPath;
        unlink(strPath.c_str());
        if (std::string(t.szKind) == "fifo") {
            ASSERT_EQ(mkfifo(strPath.c_str(), 0600), 0);
        } else if (std::string(t.szKind) == "folder") {
            testsupport::makeDirs(strPath);
        } else if (std::string(t.szKind) == "instruction") {
            std::string strText = "<?x>";
            for (int i = 0; i < 200000; ++i) strText += "<a>";
            testsupport::writeHostFile(strPath, strText + "?>");
        } else {
            testsupport::writeHostFile(strPath, nestedXml("moduleConfig", atoi(t.szKind)));
        }
        SimResult r = run("--root dev --quiet get 34");
        EXPECT_EQ(r.nStatus, 2) << t.szPath << " " << t.szKind << ": " << r.strErr;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szPath << " " << t.szKind << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "");
    }
}

TEST_F(SimToolTest, ScriptLinesOfOnlyBlanksAreBlankLines) {
    // Form feeds and vertical tabs are blanks to the command reader, as spaces and tabs are.
    SimResult r = run("--root dev --quiet", "\f\nget 34\n\v\n \f\v\t\r\n");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("(34,50)"), std::string::npos) << r.strOut;
    EXPECT_EQ(run("--root dev --quiet", std::string("get 34\n") + std::string(17u << 20, '#')).nStatus, 2)
        << "standard input beyond the script bound";
}

TEST_F(SimToolTest, OnAReadOnlyFlashFlushAndResetEndWithStatusOne) {
    ASSERT_EQ(run("--root dev --quiet set brightness=60 flush").nStatus, 0);
    if (runShell("unshare -m true").nStatus != 0) GTEST_SKIP() << "no mount namespace for a read-only flash here";
    const std::string strFlash = m_strDir + "/dev/mnt/mtd/code/config_file";
    const std::string strScheme = testsupport::readHostFile(strFlash + "/sensor1_0.cfg");
    const struct {
        const char* szArgs;
        const char* szMessage;
    } aCases[] = {
        {"set brightness=61 flush", "flush: scheme 0 (day) was not saved: status -1: the file could not be written"},
        {"reset", "reset of channel 1: the scheme files were not written anew"},
    };
    for (const auto& t : aCases) {
        SimResult r =
            runShell("unshare -m sh -c 'mount --bind " + strFlash + " " + strFlash + " && mount -o remount,bind,ro " +
                     strFlash + " " + strFlash + " && exec TOOL --root dev --quiet " + t.szArgs + "'");
        EXPECT_EQ(r.nStatus, 1) << t.szArgs << ": " << r.strErr;
        EXPECT_NE(r.strErr.find(t.szMessage), std::string::npos) << t.szArgs << ": " << r.strErr;
        EXPECT_EQ(testsupport::readHostFile(strFlash + "/sensor1_0.cfg"), strScheme) << t.szArgs;
    }
}
