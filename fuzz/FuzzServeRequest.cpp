// The requests of "imagetune-sim serve" as its transport hands them over: a method, a path with its query, the
// headers and the body, through the site's rules to the page and the JSON API of a started simulated camera.
// Input: one byte choosing the server (even: loopback without a token, odd: one that asks for TOKEN), then
// "METHOD PATH[?QUERY]\n", header lines "Name: value\n" up to an empty line, and the body.
// Invariants: every answer is a 2xx, the token's 303 or a 4xx/5xx; a JSON answer parses; a request that the
// checks made before its body refuse is refused alike once whole.
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzCamera.h"
#include "FuzzSupport.h"
#include "SimApi.h"
#include "SimServerSite.h"

namespace {

const char* const TOKEN = "0123456789abcdef0123456789abcdef";

struct Server {
    SimOutput objOut{stderr, stderr};
    std::unique_ptr<SimCamera> pCamera;
    std::unique_ptr<SimApi> pApi;
    SimPageFiles mapPage;
    std::unique_ptr<SimServerSite> apSites[2];
};

Server& server() {
    static Server* s_pServer = [] {
        fuzzsupport::setUp();
        Server* pServer = new Server;
        pServer->pCamera = startFuzzCamera(1, pServer->objOut);
        pServer->pApi.reset(new SimApi(*pServer->pCamera));
        pServer->mapPage = {{"/", {"<html></html>", "text/html"}}, {"/app.js", {"", "text/javascript"}}};
        for (int i = 0; i < 2; ++i) {
            pServer->apSites[i].reset(
                new SimServerSite(siteAccess("127.0.0.1", 8080, {"camera.test"}, i ? TOKEN : "")));
            mountServeRoutes(*pServer->apSites[i], *pServer->pApi, pServer->mapPage);
        }
        return pServer;
    }();
    return *s_pServer;
}

std::string lineAt(const std::string& p_strText, size_t& p_nAt) {
    size_t nEnd = p_strText.find('\n', p_nAt);
    if (nEnd == std::string::npos) nEnd = p_strText.size();
    std::string strLine = p_strText.substr(p_nAt, nEnd - p_nAt);
    p_nAt = nEnd + 1;
    return strLine;
}

SimHttpFields argsOf(const std::string& p_strQuery) {
    SimHttpFields vecArgs;
    size_t nAt = 0;
    while (nAt < p_strQuery.size()) {
        size_t nEnd = p_strQuery.find('&', nAt);
        if (nEnd == std::string::npos) nEnd = p_strQuery.size();
        std::string strArg = p_strQuery.substr(nAt, nEnd - nAt);
        size_t nEquals = strArg.find('=');
        vecArgs.emplace_back(strArg.substr(0, nEquals), nEquals == std::string::npos ? "" : strArg.substr(nEquals + 1));
        nAt = nEnd + 1;
    }
    return vecArgs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) return 0;
    Server& objServer = server();
    const SimServerSite& objSite = *objServer.apSites[p_pData[0] & 1];
    const std::string strText(reinterpret_cast<const char*>(p_pData) + 1, p_nSize - 1);

    SimHttpRequest stRequest;
    size_t nAt = 0;
    std::string strLine = lineAt(strText, nAt);
    size_t nSpace = strLine.find(' ');
    stRequest.strMethod = strLine.substr(0, nSpace);
    std::string strTarget = nSpace == std::string::npos ? "/" : strLine.substr(nSpace + 1);
    size_t nQuery = strTarget.find('?');
    stRequest.strPath = strTarget.substr(0, nQuery);
    if (nQuery != std::string::npos) stRequest.vecArgs = argsOf(strTarget.substr(nQuery + 1));
    while (nAt < strText.size() && !(strLine = lineAt(strText, nAt)).empty()) {
        size_t nColon = strLine.find(':');
        if (nColon == std::string::npos) continue;
        size_t nValue = strLine.find_first_not_of(' ', nColon + 1);
        stRequest.vecHeaders.emplace_back(strLine.substr(0, nColon),
                                          nValue == std::string::npos ? "" : strLine.substr(nValue));
    }

    // The transport's first look: the headers, and the length they declare.
    const std::string* pLength = stRequest.header("Content-Length");
    long long nDeclared = pLength != nullptr ? std::strtoll(pLength->c_str(), nullptr, 10) : -1;
    SimHttpReply stEarly;
    bool bAdmitted = objSite.admit(stRequest, nDeclared, stEarly);

    if (nAt < strText.size()) stRequest.strBody = strText.substr(nAt);
    SimHttpReply stReply = objSite.handle(stRequest);
    int nStatus = stReply.nStatus;
    FUZZ_CHECK(nStatus == 200 || nStatus == 303 || (nStatus >= 400 && nStatus <= 599), std::to_string(nStatus));
    if (stReply.strType == "application/json") {
        FUZZ_CHECK(!SimJson::parse(stReply.strBody, nullptr, false).is_discarded(), stReply.strBody);
    }
    // Refused by the Host, Origin, token or Content-Type: the same refusal once the body is in.
    if (!bAdmitted && stEarly.nStatus != 413) FUZZ_CHECK(stReply.nStatus == stEarly.nStatus, stEarly.strBody);
    return 0;
}
