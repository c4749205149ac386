// What "imagetune-sim serve" answers, apart from the HTTP transport (SimServer.cpp): requests in, answers out.
// The site is made of mounts, each a path prefix with its handler and the rules a request must pass before the
// handler sees it: the page and the JSON API each have theirs, and another group (a SOAP endpoint, say) can be
// mounted with rules of its own.
//
// The rules, checked in this order, each refusal a JSON 4xx that changes nothing:
//   Host      names an address the server listens on, with its port (400)
//   Origin    absent, or the origin the Host names (403): another site's page cannot drive the camera
//   token     when the server has one: the cookie the page received, or "Authorization: Bearer <token>" (403)
//   POST      Content-Type: application/json (415), which no cross-site form or "simple" request can send
//   body      at most the mount's bound (413), checked on the declared length and again as the body arrives
#ifndef IMAGETUNE_TOOLS_SIMSERVERSITE_H
#define IMAGETUNE_TOOLS_SIMSERVERSITE_H

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "SimOutput.h"

typedef std::vector<std::pair<std::string, std::string>> SimHttpFields;

struct SimHttpRequest {
    std::string strMethod;
    std::string strPath;    // without the query
    SimHttpFields vecArgs;  // the query's arguments
    SimHttpFields vecHeaders;
    std::string strBody;

    // The first header of that name (any case); nullptr when there is none.
    const std::string* header(const char* p_szName) const;
    const std::string* arg(const char* p_szName) const;
};

struct SimHttpReply {
    int nStatus = 200;
    std::string strType;
    std::string strBody;
    SimHttpFields vecHeaders;
};

SimHttpReply jsonReply(int p_nStatus, const SimJson& p_objBody);

struct SimSiteRules {
    bool bSameOrigin = true;  // Host and Origin
    bool bToken = true;       // the token, when the server has one
    bool bJsonPosts = true;
    size_t nMaxBody = 65536;
};

// Who may call the server: the Host values it answers to and the token it asks for.
struct SimSiteAccess {
    int nPort = 0;
    std::vector<std::string> vecHosts;  // lower case, each with ":port" (port 80 also without)
    std::string strToken;               // "" when none is asked for
};

// The Host values of a server bound to p_strBind: localhost, 127.0.0.1 and [::1] on loopback; every address of
// the machine's interfaces on a wildcard; the address itself otherwise; and the names of --allow-host.
SimSiteAccess siteAccess(const std::string& p_strBind, int p_nPort, const std::vector<std::string>& p_vecAllowHosts,
                         const std::string& p_strToken);
// True for 127.0.0.0/8 and ::1, where nothing but this machine reaches the server.
bool loopbackAddress(const std::string& p_strAddress);
// 32 hex digits from the system's random source; "" when it cannot be read.
std::string newToken();

class SimServerSite {
public:
    typedef std::function<SimHttpReply(const SimHttpRequest&)> Handler;

    explicit SimServerSite(const SimSiteAccess& p_stAccess);

    // Requests whose path is p_strPrefix or below it ("/api/" takes "/api" too); the longest prefix wins.
    void mount(const std::string& p_strPrefix, const SimSiteRules& p_stRules, Handler p_fnHandler);

    // The checks made once the headers are in, before any of the body is read. p_nDeclared: the
    // Content-Length, or -1 when the body's length is not declared. False with the refusal in p_stReply.
    bool admit(const SimHttpRequest& p_stRequest, long long p_nDeclared, SimHttpReply& p_stReply) const;
    // The most body bytes the request's mount takes.
    size_t maxBody(const std::string& p_strPath) const;
    // The answer to a whole request: the checks of admit, then the handler.
    SimHttpReply handle(const SimHttpRequest& p_stRequest) const;

    const std::string& cookieName() const { return m_strCookie; }

private:
    struct Mount {
        std::string strPrefix;
        SimSiteRules stRules;
        Handler fnHandler;
    };
    const Mount* find(const std::string& p_strPath) const;
    bool tokenGiven(const SimHttpRequest& p_stRequest) const;

    SimSiteAccess m_stAccess;
    std::string m_strCookie;
    std::vector<Mount> m_vecMounts;
};

class SimApi;

// The page's files by path: their text and media type.
typedef std::map<std::string, std::pair<std::string, std::string>> SimPageFiles;
// Reads the page's files from the folder (findWebDir); false with p_strError.
bool readPageFiles(const std::string& p_strWebDir, SimPageFiles& p_mapPage, std::string& p_strError);
// Mounts what serve answers: the page under "/" and the JSON API under "/api/", each with its rules. The site
// keeps references to both.
void mountServeRoutes(SimServerSite& p_objSite, SimApi& p_objApi, const SimPageFiles& p_mapPage);

#endif
