// "imagetune-sim serve" on a fresh device root and a free port, and a plain HTTP client over a socket, so that a
// test can send exactly the bytes it means: malformed requests and requests cut off halfway included.
#ifndef IMAGETUNE_TESTS_TOOLS_SERVERUNNER_H
#define IMAGETUNE_TESTS_TOOLS_SERVERUNNER_H

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "TestSupport.h"

extern char** environ;

struct HttpAnswer {
    int nStatus = 0;
    std::string strHead;
    nlohmann::json objBody;  // discarded when the body is not JSON
    std::string strBody;
};

class ServeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/imagetune-serve-test-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strDir = szTemplate;
    }
    void TearDown() override {
        if (m_nPid > 0) {
            EXPECT_EQ(stopServer(), 0) << "serve ends with status 0 on SIGTERM\n" << serverLog();
        }
        testsupport::removeTree(m_strDir);
    }

    // Starts serve with the options and the words after "serve"; the root is <dir>/root.
    void startServer(const std::string& p_strOptions = "", const std::string& p_strServeWords = "") {
        std::string strCommand = std::string("exec ") + IMAGETUNE_SIM_PATH + " --root " + m_strDir + "/root " +
                                 p_strOptions + " serve --port 0 " + p_strServeWords + " </dev/null >/dev/null 2>" +
                                 m_strDir + "/serve.log";
        const char* aszArgs[] = {"/bin/sh", "-c", strCommand.c_str(), nullptr};
        ASSERT_EQ(posix_spawn(&m_nPid, "/bin/sh", nullptr, nullptr, const_cast<char**>(aszArgs), environ), 0);
        const std::string strBanner = " on http://127.0.0.1:";
        for (int i = 0; i < 600 && m_nPort == 0; ++i) {
            std::string strLog = serverLog();
            size_t nAt = strLog.find(strBanner);
            if (nAt != std::string::npos && strLog.find(" (Ctrl-C", nAt) != std::string::npos) {
                m_nPort = std::atoi(strLog.c_str() + nAt + strBanner.size());
                size_t nToken = strLog.find("/?token=", nAt);
                if (nToken != std::string::npos) m_strToken = strLog.substr(nToken + 8, 32);
                break;
            }
            int nStatus = 0;
            ASSERT_EQ(waitpid(m_nPid, &nStatus, WNOHANG), 0) << "serve ended early:\n" << strLog;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_NE(m_nPort, 0) << "serve did not start:\n" << serverLog();
    }

    // The exit status of serve after SIGTERM, or -1.
    int stopServer() {
        if (m_nPid <= 0) return -1;
        kill(m_nPid, SIGTERM);
        int nStatus = 0;
        waitpid(m_nPid, &nStatus, 0);
        m_nPid = 0;
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }

    // The Host header of a client that opened the address serve printed.
    std::string host() const { return "127.0.0.1:" + std::to_string(m_nPort); }

    std::string serverLog() const { return testsupport::readHostFile(m_strDir + "/serve.log"); }

    int connectToServer() const {
        int nFd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in stAddr{};
        stAddr.sin_family = AF_INET;
        stAddr.sin_port = htons(static_cast<uint16_t>(m_nPort));
        stAddr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval stTimeout{60, 0};
        setsockopt(nFd, SOL_SOCKET, SO_RCVTIMEO, &stTimeout, sizeof(stTimeout));
        EXPECT_EQ(connect(nFd, reinterpret_cast<sockaddr*>(&stAddr), sizeof(stAddr)), 0);
        return nFd;
    }

    static void sendAll(int p_nFd, const std::string& p_strBytes) {
        size_t nSent = 0;
        while (nSent < p_strBytes.size()) {
            ssize_t n = send(p_nFd, p_strBytes.data() + nSent, p_strBytes.size() - nSent, MSG_NOSIGNAL);
            if (n <= 0) return;
            nSent += static_cast<size_t>(n);
        }
    }

    // The request's bytes as they are; the answer read until the server closes the connection.
    HttpAnswer raw(const std::string& p_strRequest) const {
        int nFd = connectToServer();
        sendAll(nFd, p_strRequest);
        std::string strAll;
        char szBuf[65536];
        ssize_t n;
        while ((n = recv(nFd, szBuf, sizeof(szBuf), 0)) > 0) strAll.append(szBuf, static_cast<size_t>(n));
        close(nFd);
        HttpAnswer stAnswer;
        size_t nHeadEnd = strAll.find("\r\n\r\n");
        stAnswer.strHead = strAll.substr(0, nHeadEnd);
        if (strAll.compare(0, 9, "HTTP/1.1 ") == 0) stAnswer.nStatus = std::atoi(strAll.c_str() + 9);
        stAnswer.strBody = nHeadEnd == std::string::npos ? "" : strAll.substr(nHeadEnd + 4);
        stAnswer.objBody = nlohmann::json::parse(stAnswer.strBody, nullptr, false);
        return stAnswer;
    }

    // p_strHeaders: more header lines, each ending in CRLF.
    HttpAnswer request(const std::string& p_strMethod, const std::string& p_strPath, const std::string& p_strBody = "",
                       const std::string& p_strHeaders = "") const {
        return raw(p_strMethod + " " + p_strPath + " HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n" +
                   "Content-Type: application/json\r\n" + p_strHeaders +
                   "Content-Length: " + std::to_string(p_strBody.size()) + "\r\n\r\n" + p_strBody);
    }
    nlohmann::json get(const std::string& p_strPath) const {
        HttpAnswer stAnswer = request("GET", p_strPath);
        EXPECT_EQ(stAnswer.nStatus, 200) << p_strPath << ": " << stAnswer.strBody;
        return stAnswer.objBody;
    }
    nlohmann::json post(const std::string& p_strPath, const nlohmann::json& p_objBody) const {
        HttpAnswer stAnswer = request("POST", p_strPath, p_objBody.dump());
        EXPECT_EQ(stAnswer.nStatus, 200) << p_strPath << " " << p_objBody.dump() << ": " << stAnswer.strBody;
        return stAnswer.objBody;
    }

    // The value the channel holds for a key, as the API reads it back from the library.
    int valueOf(int p_nKey, int p_nChannel = 1) const {
        const nlohmann::json objValues = get("/api/channels/" + std::to_string(p_nChannel) + "/values");
        for (const nlohmann::json& p : objValues["values"]) {
            if (p["key"] == p_nKey) return p["value"].get<int>();
        }
        ADD_FAILURE() << "key " << p_nKey << " not among the values";
        return -1;
    }

    std::string m_strDir;
    pid_t m_nPid = 0;
    int m_nPort = 0;
    std::string m_strToken;  // "" when serve asks for none
};

#endif
