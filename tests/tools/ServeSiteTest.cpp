// The server's parts that need no socket: the Host values a listening address answers to, and the IA call log
// that the API keeps while page loads pile calls into it.
#include <gtest/gtest.h>

#include <algorithm>

#include "IaSimControl.h"
#include "SimApi.h"
#include "SimDevice.h"
#include "SimServer.h"
#include "SimServerSite.h"
#include "TestSupport.h"

namespace {

bool has(const std::vector<std::string>& p_vec, const std::string& p_str) {
    return std::find(p_vec.begin(), p_vec.end(), p_str) != p_vec.end();
}

}  // namespace

TEST(ServeSite, TheHostsAServerAnswersToFollowItsAddress) {
    const struct {
        const char* szBind;
        std::vector<std::string> vecAllow;
        std::vector<std::string> vecIn;
        std::vector<std::string> vecOut;
    } aCases[] = {
        {"127.0.0.1", {}, {"localhost:8080", "127.0.0.1:8080", "[::1]:8080"}, {"127.0.0.1", "localhost:8081", ""}},
        {"::1", {}, {"[::1]:8080", "localhost:8080"}, {"::1:8080", "camera.test:8080"}},
        {"192.0.2.7", {"Camera.Test"}, {"192.0.2.7:8080", "camera.test:8080"}, {"localhost:8080", "127.0.0.1:8080"}},
        // A wildcard answers to the machine's addresses, loopback's among them.
        {"0.0.0.0", {}, {"127.0.0.1:8080", "localhost:8080"}, {"0.0.0.0:8080", "evil.example:8080"}},
    };
    for (const auto& t : aCases) {
        SimSiteAccess stAccess = siteAccess(t.szBind, 8080, t.vecAllow, "");
        for (const std::string& strHost : t.vecIn)
            EXPECT_TRUE(has(stAccess.vecHosts, strHost)) << t.szBind << " " << strHost;
        for (const std::string& strHost : t.vecOut)
            EXPECT_FALSE(has(stAccess.vecHosts, strHost)) << t.szBind << " " << strHost;
    }
    // Port 80 is the one a browser leaves out.
    EXPECT_TRUE(has(siteAccess("127.0.0.1", 80, {}, "").vecHosts, "localhost"));
}

TEST(ServeSite, LoopbackIsTheOnlyAddressWithoutAToken) {
    for (const char* sz : {"127.0.0.1", "127.1.2.3", "::1"}) EXPECT_TRUE(loopbackAddress(sz)) << sz;
    for (const char* sz : {"0.0.0.0", "::", "192.0.2.7", "::ffff:127.0.0.1", "128.0.0.1"})
        EXPECT_FALSE(loopbackAddress(sz)) << sz;
    std::string strToken = newToken();
    EXPECT_EQ(strToken.size(), 32u);
    EXPECT_EQ(strToken.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(strToken, newToken());
}

TEST(ServeSite, TheServeWords) {
    const struct {
        std::vector<std::string> vecWords;
        const char* szError;  // "" when the words are taken
    } aCases[] = {
        {{"--require-token", "--allow-host", "camera.test", "--allow-host", "[fe80::1]"}, ""},
        {{"--bind", "::", "--port", "0"}, ""},
        {{"--allow-host"}, "serve --allow-host needs a value"},
        {{"--allow-host", "camera.test/x"}, "--allow-host camera.test/x: expected a host name or address"},
        {{"--allow-host", ""}, "expected a host name or address"},
        {{"--require-auth", "--onvif-credentials", "users.txt"}, ""},
        {{"--onvif-credentials"}, "serve --onvif-credentials needs a value"},
        {{"--token", "x"},
         "serve takes --port N, --bind ADDR, --allow-host NAME, --require-token, --require-auth and "
         "--onvif-credentials FILE, not --token"},
    };
    for (const auto& t : aCases) {
        SimServeOptions stOptions;
        bool bHelp = false;
        std::string strError;
        EXPECT_EQ(parseServeWords(t.vecWords, stOptions, bHelp, strError), *t.szError == '\0') << t.vecWords[0];
        EXPECT_NE(strError.find(t.szError), std::string::npos) << strError;
    }
    SimServeOptions stOptions;
    bool bHelp = false;
    std::string strError;
    ASSERT_TRUE(parseServeWords(aCases[0].vecWords, stOptions, bHelp, strError));
    EXPECT_TRUE(stOptions.bRequireToken);
    EXPECT_EQ(stOptions.vecAllowHosts, (std::vector<std::string>{"camera.test", "[fe80::1]"}));
    EXPECT_FALSE(stOptions.bRequireAuth);
    ASSERT_TRUE(parseServeWords(aCases[5].vecWords, stOptions, bHelp, strError));
    EXPECT_TRUE(stOptions.bRequireAuth);
    EXPECT_EQ(stOptions.strOnvifCredentials, "users.txt");
}

class ServeIaLog : public ::testing::Test {
protected:
    void SetUp() override {
        SimDeviceOptions stDevice;
        stDevice.strRoot = m_objRoot.path();
        bool bSeeded = false;
        std::string strRoot, strError;
        ASSERT_TRUE(prepareDeviceRoot(stDevice, findFixturesDir(), bSeeded, strRoot, strError)) << strError;
        m_pCamera.reset(new SimCamera(1, false, m_objOut));
        ASSERT_TRUE(m_pCamera->start(moduleDetail(stDevice), strError)) << strError;
    }
    void TearDown() override {
        if (m_pCamera) m_pCamera->stop();
    }

    testsupport::TempDeviceRoot m_objRoot;  // empty: seeded as serve seeds a new root
    SimOutput m_objOut{stderr, stderr};
    std::unique_ptr<SimCamera> m_pCamera;
};

TEST_F(ServeIaLog, PageLoadsLeaveABoundedLogThatCountsWhatItDropped) {
    SimApi objApi(*m_pCamera);
    objApi.handle("GET", "/api/channels/1/ia-log", "");
    ASSERT_EQ(objApi.handle("GET", "/api/channels/1/ui", "").nStatus, 200);
    const size_t nPerLoad = objApi.handle("GET", "/api/channels/1/ia-log", "").objBody["calls"].size();
    ASSERT_GT(nPerLoad, 0u);

    const size_t nKept = 10000;  // README: ia-log keeps at most this many
    const size_t nLoads = nKept / nPerLoad + 5;
    for (size_t i = 0; i < nLoads; ++i) {
        ASSERT_EQ(objApi.handle("GET", "/api/channels/1/ui", "").nStatus, 200);
        // Nothing piles up in the process's log between requests.
        ASSERT_EQ(iasim::callCount(), 0u) << "after load " << i;
    }
    SimApiResponse stLog = objApi.handle("GET", "/api/channels/1/ia-log", "");
    EXPECT_EQ(stLog.objBody["calls"].size(), nKept);
    EXPECT_EQ(stLog.objBody["dropped"].get<size_t>(), nLoads * nPerLoad - nKept);
    // Read once, gone.
    stLog = objApi.handle("GET", "/api/channels/1/ia-log", "");
    EXPECT_TRUE(stLog.objBody["calls"].empty());
    EXPECT_EQ(stLog.objBody["dropped"], 0);
}
