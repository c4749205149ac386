// Runs imagetune-sim as a person or a script does: in a scratch folder, through the shell, with its standard
// output and standard error kept apart (or together, in the order they were written).
#ifndef IMAGETUNE_TESTS_TOOLS_SIMRUNNER_H
#define IMAGETUNE_TESTS_TOOLS_SIMRUNNER_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

struct SimResult {
    int nStatus;
    std::string strOut;
    std::string strErr;
};

class SimToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/imagetune-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strDir = szTemplate;
    }
    void TearDown() override { testsupport::removeTree(m_strDir); }

    // The arguments are already quoted for the shell.
    SimResult run(const std::string& p_strArgs, const std::string& p_strStdin = "") {
        return runWith(p_strArgs, p_strStdin, ">stdout 2>stderr");
    }
    // A shell command of the test's own in the scratch folder; TOOL in it stands for the tool.
    SimResult runShell(std::string p_strCommand) {
        size_t nAt = p_strCommand.find("TOOL");
        if (nAt != std::string::npos) p_strCommand.replace(nAt, 4, IMAGETUNE_SIM_PATH);
        return runWith(p_strCommand, "", ">stdout 2>stderr", false);
    }
    // Both streams into strOut, in the order they were written.
    SimResult runMerged(const std::string& p_strArgs, const std::string& p_strStdin = "") {
        return runWith(p_strArgs, p_strStdin, ">stdout 2>&1");
    }

    // Each text must appear, in this order.
    static void expectInOrder(const std::string& p_strOut, const std::vector<std::string>& p_vecTexts) {
        size_t nAt = 0;
        for (const std::string& strText : p_vecTexts) {
            size_t nFound = p_strOut.find(strText, nAt);
            ASSERT_NE(nFound, std::string::npos) << "missing after offset " << nAt << ": " << strText << "\n"
                                                 << p_strOut;
            nAt = nFound + strText.size();
        }
    }

    // The documents of --json output, one per line.
    static std::vector<nlohmann::json> jsonLines(const std::string& p_strOut) {
        std::vector<nlohmann::json> vecDocs;
        std::istringstream in(p_strOut);
        std::string strLine;
        while (std::getline(in, strLine)) vecDocs.push_back(nlohmann::json::parse(strLine));
        return vecDocs;
    }

    std::string m_strDir;

private:
    SimResult runWith(const std::string& p_strArgs, const std::string& p_strStdin, const char* p_szRedirect,
                      bool p_bTool = true) {
        testsupport::writeHostFile(m_strDir + "/stdin", p_strStdin);
        testsupport::writeHostFile(m_strDir + "/stderr", "");
        std::string strCommand = "cd " + m_strDir + " && " + (p_bTool ? std::string(IMAGETUNE_SIM_PATH) + " " : "") +
                                 p_strArgs + " <stdin " + p_szRedirect;
        int nRaw = system(strCommand.c_str());
        SimResult stResult;
        stResult.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        stResult.strOut = testsupport::readHostFile(m_strDir + "/stdout");
        stResult.strErr = testsupport::readHostFile(m_strDir + "/stderr");
        return stResult;
    }
};

#endif
