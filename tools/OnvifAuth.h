// WS-UsernameToken with a password digest for the ONVIF endpoint: Base64(SHA-1(nonce + Created + password)),
// SHA-1 and Base64 from Debian's nettle. Created must lie within WINDOW_SECONDS of the server's real clock, and a
// nonce is not taken twice while its Created is within that window.
#ifndef IMAGETUNE_TOOLS_ONVIFAUTH_H
#define IMAGETUNE_TOOLS_ONVIFAUTH_H

#include <time.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

class TiXmlElement;

struct OnvifCredentials {
    std::string strUser;
    std::string strPassword;
};

// The user and password: from p_strFile when it is given (one line "user:password"), else from the environment
// (IMAGETUNE_ONVIF_USER and IMAGETUNE_ONVIF_PASSWORD). False with p_strError when neither gives both.
bool loadOnvifCredentials(const std::string& p_strFile, OnvifCredentials& p_stCredentials, std::string& p_strError);

// Base64 of SHA-1(p_strNonce + p_strCreated + p_strPassword), p_strNonce as raw bytes.
std::string onvifPasswordDigest(const std::string& p_strNonce, const std::string& p_strCreated,
                                const std::string& p_strPassword);
// Base64 and its reverse; false when p_strText is not whole Base64.
std::string base64Encode(const std::string& p_strBytes);
bool base64Decode(const std::string& p_strText, std::string& p_strBytes);

class OnvifAuth {
public:
    static const long WINDOW_SECONDS = 300;
    static const size_t MAX_NONCES = 100000;  // nonces of accepted requests within the window

    // p_fnNow: the real clock (time()), replaceable for tests.
    explicit OnvifAuth(const OnvifCredentials& p_stCredentials, std::function<time_t()> p_fnNow = nullptr);

    // Checks the Security header of a request (p_pHeader: the envelope's Header, or null). False with the reason.
    // Thread-safe.
    bool check(const TiXmlElement* p_pHeader, std::string& p_strWhy);

private:
    OnvifCredentials m_stCredentials;
    std::function<time_t()> m_fnNow;
    std::mutex m_mutex;                              // the nonces below: the server's workers check at once
    std::multimap<time_t, std::string> m_mapNonces;  // by Created, to let them go once out of the window
    std::set<std::string> m_setNonces;
};

// "2026-12-10T15:20:30Z" or with a fraction of a second, UTC only; false for anything else.
bool parseUtcTime(const std::string& p_strText, time_t& p_tTime);

#endif
