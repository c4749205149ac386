#include "SimServerSite.h"

#include <arpa/inet.h>
#include <ctype.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <stdio.h>

#include <algorithm>

#include "SimApi.h"
#include "SimFiles.h"

namespace {

const size_t MAX_PAGE_FILE_BYTES = 1u << 20;

const struct {
    const char* szPath;
    const char* szFile;
    const char* szType;
} PAGE_FILES[] = {
    {"/", "index.html", "text/html; charset=utf-8"},
    {"/index.html", "index.html", "text/html; charset=utf-8"},
    {"/app.js", "app.js", "text/javascript; charset=utf-8"},
    {"/style.css", "style.css", "text/css; charset=utf-8"},
    {"/favicon.svg", "favicon.svg", "image/svg+xml"},
};

std::string lowered(std::string p_str) {
    for (char& c : p_str) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return p_str;
}

std::string trimmed(const std::string& p_str) {
    size_t nFirst = p_str.find_first_not_of(" \t");
    if (nFirst == std::string::npos) return "";
    return p_str.substr(nFirst, p_str.find_last_not_of(" \t") - nFirst + 1);
}

const std::string* fieldOf(const SimHttpFields& p_vecFields, const char* p_szName, bool p_bAnyCase) {
    for (const auto& field : p_vecFields) {
        if (p_bAnyCase ? lowered(field.first) == lowered(p_szName) : field.first == p_szName) return &field.second;
    }
    return nullptr;
}

// A comparison whose time does not tell how much of the token was right.
bool sameSecret(const std::string& p_strA, const std::string& p_strB) {
    if (p_strA.size() != p_strB.size()) return false;
    unsigned char nDiff = 0;
    for (size_t i = 0; i < p_strA.size(); ++i) nDiff |= static_cast<unsigned char>(p_strA[i] ^ p_strB[i]);
    return nDiff == 0;
}

std::string hostOf(const std::string& p_strAddress) {
    return p_strAddress.find(':') != std::string::npos ? "[" + p_strAddress + "]" : p_strAddress;
}

// The machine's interface addresses, as a Host header writes them.
std::vector<std::string> interfaceHosts() {
    std::vector<std::string> vecHosts;
    ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) != 0) return vecHosts;
    for (const ifaddrs* p = pList; p != nullptr; p = p->ifa_next) {
        if (p->ifa_addr == nullptr) continue;
        char szText[INET6_ADDRSTRLEN] = "";
        if (p->ifa_addr->sa_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr, szText, sizeof(szText));
        } else if (p->ifa_addr->sa_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(p->ifa_addr)->sin6_addr, szText, sizeof(szText));
        }
        if (szText[0] != '\0') vecHosts.push_back(hostOf(szText));
    }
    freeifaddrs(pList);
    return vecHosts;
}

bool wildcardAddress(const std::string& p_strAddress) {
    in6_addr stAddr6{};
    in_addr stAddr4{};
    if (inet_pton(AF_INET, p_strAddress.c_str(), &stAddr4) == 1) return stAddr4.s_addr == htonl(INADDR_ANY);
    return inet_pton(AF_INET6, p_strAddress.c_str(), &stAddr6) == 1 && IN6_IS_ADDR_UNSPECIFIED(&stAddr6);
}

}  // namespace

const std::string* SimHttpRequest::header(const char* p_szName) const {
    return fieldOf(vecHeaders, p_szName, true);
}

const std::string* SimHttpRequest::arg(const char* p_szName) const {
    return fieldOf(vecArgs, p_szName, false);
}

SimHttpReply jsonReply(int p_nStatus, const SimJson& p_objBody) {
    SimHttpReply stReply;
    stReply.nStatus = p_nStatus;
    stReply.strType = "application/json";
    stReply.strBody = p_objBody.dump(-1, ' ', false, SimJson::error_handler_t::replace) + "\n";
    return stReply;
}

bool loopbackAddress(const std::string& p_strAddress) {
    in6_addr stAddr6{};
    in_addr stAddr4{};
    if (inet_pton(AF_INET, p_strAddress.c_str(), &stAddr4) == 1) return (ntohl(stAddr4.s_addr) >> 24) == 127;
    return inet_pton(AF_INET6, p_strAddress.c_str(), &stAddr6) == 1 && IN6_IS_ADDR_LOOPBACK(&stAddr6);
}

SimSiteAccess siteAccess(const std::string& p_strBind, int p_nPort, const std::vector<std::string>& p_vecAllowHosts,
                         const std::string& p_strToken) {
    std::vector<std::string> vecNames = p_vecAllowHosts;
    if (wildcardAddress(p_strBind)) {
        std::vector<std::string> vecInterfaces = interfaceHosts();
        vecNames.insert(vecNames.end(), vecInterfaces.begin(), vecInterfaces.end());
    } else {
        vecNames.push_back(hostOf(p_strBind));
    }
    if (wildcardAddress(p_strBind) || loopbackAddress(p_strBind)) {
        vecNames.insert(vecNames.end(), {"localhost", "127.0.0.1", "[::1]"});
    }
    SimSiteAccess stAccess;
    stAccess.nPort = p_nPort;
    stAccess.strToken = p_strToken;
    for (const std::string& strName : vecNames) {
        stAccess.vecHosts.push_back(lowered(strName) + ":" + std::to_string(p_nPort));
        if (p_nPort == 80) stAccess.vecHosts.push_back(lowered(strName));
    }
    return stAccess;
}

std::string newToken() {
    unsigned char aBytes[16];
    FILE* pFile = fopen("/dev/urandom", "rbe");
    if (pFile == nullptr) return "";
    size_t nRead = fread(aBytes, 1, sizeof(aBytes), pFile);
    fclose(pFile);
    if (nRead != sizeof(aBytes)) return "";
    std::string strToken;
    char szHex[3];
    for (unsigned char nByte : aBytes) {
        snprintf(szHex, sizeof(szHex), "%02x", nByte);
        strToken += szHex;
    }
    return strToken;
}

// ---- The site ---------------------------------------------------------------------------------------------

// Each server has a cookie of its own: browsers share a host's cookies between its ports.
SimServerSite::SimServerSite(const SimSiteAccess& p_stAccess)
    : m_stAccess(p_stAccess), m_strCookie("imagetune_token_" + std::to_string(p_stAccess.nPort)) {}

void SimServerSite::mount(const std::string& p_strPrefix, const SimSiteRules& p_stRules, Handler p_fnHandler) {
    m_vecMounts.push_back({p_strPrefix, p_stRules, std::move(p_fnHandler)});
}

const SimServerSite::Mount* SimServerSite::find(const std::string& p_strPath) const {
    const Mount* pBest = nullptr;
    for (const Mount& m : m_vecMounts) {
        const std::string& strPrefix = m.strPrefix;
        bool bUnder =
            p_strPath.compare(0, strPrefix.size(), strPrefix) == 0 ||
            (strPrefix.size() > 1 && strPrefix.back() == '/' && p_strPath == strPrefix.substr(0, strPrefix.size() - 1));
        if (bUnder && (pBest == nullptr || strPrefix.size() > pBest->strPrefix.size())) pBest = &m;
    }
    return pBest;
}

size_t SimServerSite::maxBody(const std::string& p_strPath) const {
    const Mount* pMount = find(p_strPath);
    return pMount != nullptr ? pMount->stRules.nMaxBody : 0;
}

bool SimServerSite::tokenGiven(const SimHttpRequest& p_stRequest) const {
    const std::string* pAuth = p_stRequest.header("Authorization");
    if (pAuth != nullptr && pAuth->compare(0, 7, "Bearer ") == 0 &&
        sameSecret(trimmed(pAuth->substr(7)), m_stAccess.strToken)) {
        return true;
    }
    for (const auto& header : p_stRequest.vecHeaders) {
        if (lowered(header.first) != "cookie") continue;
        size_t nAt = 0;
        while (nAt <= header.second.size()) {
            size_t nEnd = header.second.find(';', nAt);
            if (nEnd == std::string::npos) nEnd = header.second.size();
            std::string strCookie = trimmed(header.second.substr(nAt, nEnd - nAt));
            size_t nEquals = strCookie.find('=');
            if (nEquals != std::string::npos && strCookie.substr(0, nEquals) == m_strCookie &&
                sameSecret(strCookie.substr(nEquals + 1), m_stAccess.strToken)) {
                return true;
            }
            nAt = nEnd + 1;
        }
    }
    return false;
}

bool SimServerSite::admit(const SimHttpRequest& p_stRequest, long long p_nDeclared, SimHttpReply& p_stReply) const {
    const Mount* pMount = find(p_stRequest.strPath);
    if (pMount == nullptr) {
        p_stReply = jsonReply(404, {{"error", "no such page: " + p_stRequest.strPath}});
        return false;
    }
    const SimSiteRules& stRules = pMount->stRules;
    if (stRules.bSameOrigin) {
        const std::string* pHost = p_stRequest.header("Host");
        std::string strHost = pHost != nullptr ? lowered(trimmed(*pHost)) : "";
        if (std::find(m_stAccess.vecHosts.begin(), m_stAccess.vecHosts.end(), strHost) == m_stAccess.vecHosts.end()) {
            p_stReply = jsonReply(400, {{"error", "the Host header \"" + strHost +
                                                      "\" names no address of this server with its port (serve "
                                                      "--allow-host adds a name)"}});
            return false;
        }
        const std::string* pOrigin = p_stRequest.header("Origin");
        if (pOrigin != nullptr && lowered(trimmed(*pOrigin)) != "http://" + strHost) {
            p_stReply = jsonReply(403, {{"error", "requests from the origin \"" + *pOrigin +
                                                      "\" are refused: only the server's own page may call it"}});
            return false;
        }
    }
    if (stRules.bToken && !m_stAccess.strToken.empty() && !tokenGiven(p_stRequest)) {
        p_stReply = jsonReply(403, {{"error",
                                     "this server asks for the token it printed at start: open the address "
                                     "it printed, or send \"Authorization: Bearer <token>\""}});
        return false;
    }
    if (stRules.bJsonPosts && p_stRequest.strMethod == "POST") {
        const std::string* pType = p_stRequest.header("Content-Type");
        std::string strType = pType != nullptr ? lowered(trimmed(pType->substr(0, pType->find(';')))) : "";
        if (strType != "application/json") {
            p_stReply = jsonReply(415, {{"error", "a POST must send Content-Type: application/json, not \"" +
                                                      (pType != nullptr ? *pType : "") + "\""}});
            return false;
        }
    }
    if (p_nDeclared > static_cast<long long>(stRules.nMaxBody) || p_stRequest.strBody.size() > stRules.nMaxBody) {
        p_stReply =
            jsonReply(413, {{"error", "the body is larger than " + std::to_string(stRules.nMaxBody) + " bytes"}});
        return false;
    }
    return true;
}

SimHttpReply SimServerSite::handle(const SimHttpRequest& p_stRequest) const {
    SimHttpReply stReply;
    if (!admit(p_stRequest, -1, stReply)) return stReply;
    const std::string* pToken = p_stRequest.arg("token");
    if (pToken != nullptr && !m_stAccess.strToken.empty() && p_stRequest.strMethod == "GET") {
        if (!sameSecret(*pToken, m_stAccess.strToken)) return jsonReply(403, {{"error", "the token is wrong"}});
        // Out of the address bar (and the history) into a cookie that no script and no other site sees.
        stReply = jsonReply(303, {{"location", p_stRequest.strPath}});
        stReply.vecHeaders = {
            {"Location", p_stRequest.strPath},
            {"Set-Cookie", m_strCookie + "=" + m_stAccess.strToken + "; Path=/; HttpOnly; SameSite=Strict"}};
        return stReply;
    }
    return find(p_stRequest.strPath)->fnHandler(p_stRequest);
}

// ---- What serve mounts ------------------------------------------------------------------------------------

bool readPageFiles(const std::string& p_strWebDir, SimPageFiles& p_mapPage, std::string& p_strError) {
    for (const auto& stFile : PAGE_FILES) {
        std::string strText;
        std::string strPath = p_strWebDir + "/" + stFile.szFile;
        SimReadResult eRead = readGuardedFile(strPath, MAX_PAGE_FILE_BYTES, strText, p_strError);
        if (eRead == SIM_READ_MISSING) p_strError = "cannot serve: " + strPath + " is missing";
        if (eRead != SIM_READ_OK) return false;
        p_mapPage[stFile.szPath] = {strText, stFile.szType};
    }
    return true;
}

void mountServeRoutes(SimServerSite& p_objSite, SimApi& p_objApi, const SimPageFiles& p_mapPage) {
    SimSiteRules stPageRules;
    stPageRules.bToken = false;  // the page is no secret; what it shows comes from the API
    stPageRules.bJsonPosts = false;
    stPageRules.nMaxBody = 0;
    p_objSite.mount("/", stPageRules, [&p_mapPage](const SimHttpRequest& p_stRequest) {
        auto it = p_mapPage.find(p_stRequest.strPath);
        if (it == p_mapPage.end()) return jsonReply(404, {{"error", "no such page: " + p_stRequest.strPath}});
        if (p_stRequest.strMethod != "GET" && p_stRequest.strMethod != "HEAD") {
            return jsonReply(405, {{"error", p_stRequest.strMethod + " is not allowed on " + p_stRequest.strPath}});
        }
        SimHttpReply stReply;
        stReply.strType = it->second.second;
        stReply.strBody = it->second.first;
        return stReply;
    });
    SimSiteRules stApiRules;
    stApiRules.nMaxBody = SimApi::MAX_BODY_BYTES;
    p_objSite.mount("/api/", stApiRules, [&p_objApi](const SimHttpRequest& p_stRequest) {
        SimApiResponse stResponse = p_objApi.handle(p_stRequest.strMethod, p_stRequest.strPath, p_stRequest.strBody);
        return jsonReply(stResponse.nStatus, stResponse.objBody);
    });
}
