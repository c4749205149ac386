#include "OnvifAuth.h"

#include <nettle/base64.h>
#include <nettle/sha1.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "OnvifSoap.h"
#include "SimFiles.h"

namespace {

const char* const PASSWORD_DIGEST_TYPE =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordDigest";
const size_t MAX_CREDENTIALS_BYTES = 4096;

// A comparison whose time does not tell how much of the digest was right.
bool sameSecret(const std::string& p_strA, const std::string& p_strB) {
    unsigned char nDiff = p_strA.size() == p_strB.size() ? 0 : 1;
    for (size_t i = 0; i < p_strA.size() && i < p_strB.size(); ++i)
        nDiff |= static_cast<unsigned char>(p_strA[i] ^ p_strB[i]);
    return nDiff == 0;
}

bool digits(const std::string& p_strText, size_t p_nAt, size_t p_nCount, int& p_nValue) {
    if (p_nAt + p_nCount > p_strText.size()) return false;
    p_nValue = 0;
    for (size_t i = p_nAt; i < p_nAt + p_nCount; ++i) {
        if (p_strText[i] < '0' || p_strText[i] > '9') return false;
        p_nValue = p_nValue * 10 + (p_strText[i] - '0');
    }
    return true;
}

}  // namespace

bool loadOnvifCredentials(const std::string& p_strFile, OnvifCredentials& p_stCredentials, std::string& p_strError) {
    if (!p_strFile.empty()) {
        std::string strText;
        SimReadResult eRead = readGuardedFile(p_strFile, MAX_CREDENTIALS_BYTES, strText, p_strError);
        if (eRead == SIM_READ_MISSING) p_strError = "the ONVIF credentials file " + p_strFile + " is missing";
        if (eRead != SIM_READ_OK) return false;
        std::string strLine = strText.substr(0, strText.find_first_of("\r\n"));
        size_t nColon = strLine.find(':');
        if (nColon == std::string::npos || nColon == 0 || nColon + 1 == strLine.size()) {
            p_strError = "the ONVIF credentials file " + p_strFile + " must hold one line \"user:password\"";
            return false;
        }
        p_stCredentials.strUser = strLine.substr(0, nColon);
        p_stCredentials.strPassword = strLine.substr(nColon + 1);
        return true;
    }
    const char* szUser = getenv("IMAGETUNE_ONVIF_USER");
    const char* szPassword = getenv("IMAGETUNE_ONVIF_PASSWORD");
    if (szUser == nullptr || *szUser == '\0' || szPassword == nullptr || *szPassword == '\0') {
        p_strError =
            "ONVIF needs a user and password here: give --onvif-credentials FILE (one line \"user:password\") or "
            "set IMAGETUNE_ONVIF_USER and IMAGETUNE_ONVIF_PASSWORD";
        return false;
    }
    p_stCredentials.strUser = szUser;
    p_stCredentials.strPassword = szPassword;
    return true;
}

std::string base64Encode(const std::string& p_strBytes) {
    std::vector<char> vecOut(BASE64_ENCODE_RAW_LENGTH(p_strBytes.size()) + 1);
    base64_encode_raw(vecOut.data(), p_strBytes.size(), reinterpret_cast<const uint8_t*>(p_strBytes.data()));
    return std::string(vecOut.data(), BASE64_ENCODE_RAW_LENGTH(p_strBytes.size()));
}

bool base64Decode(const std::string& p_strText, std::string& p_strBytes) {
    base64_decode_ctx stCtx;
    base64_decode_init(&stCtx);
    std::vector<uint8_t> vecOut(BASE64_DECODE_LENGTH(p_strText.size()) + 1);
    size_t nOut = vecOut.size();
    if (!base64_decode_update(&stCtx, &nOut, vecOut.data(), p_strText.size(), p_strText.data()) ||
        !base64_decode_final(&stCtx)) {
        return false;
    }
    p_strBytes.assign(reinterpret_cast<const char*>(vecOut.data()), nOut);
    return true;
}

std::string onvifPasswordDigest(const std::string& p_strNonce, const std::string& p_strCreated,
                                const std::string& p_strPassword) {
    sha1_ctx stCtx;
    sha1_init(&stCtx);
    for (const std::string* p : {&p_strNonce, &p_strCreated, &p_strPassword}) {
        sha1_update(&stCtx, p->size(), reinterpret_cast<const uint8_t*>(p->data()));
    }
    uint8_t aDigest[SHA1_DIGEST_SIZE];
    sha1_digest(&stCtx, sizeof(aDigest), aDigest);
    return base64Encode(std::string(reinterpret_cast<const char*>(aDigest), sizeof(aDigest)));
}

bool parseUtcTime(const std::string& p_strText, time_t& p_tTime) {
    int nYear, nMonth, nDay, nHour, nMinute, nSecond;
    if (!digits(p_strText, 0, 4, nYear) || p_strText.size() < 20 || p_strText[4] != '-' ||
        !digits(p_strText, 5, 2, nMonth) || p_strText[7] != '-' || !digits(p_strText, 8, 2, nDay) ||
        p_strText[10] != 'T' || !digits(p_strText, 11, 2, nHour) || p_strText[13] != ':' ||
        !digits(p_strText, 14, 2, nMinute) || p_strText[16] != ':' || !digits(p_strText, 17, 2, nSecond)) {
        return false;
    }
    size_t nAt = 19;
    if (p_strText[nAt] == '.') {
        size_t nDigits = 0;
        while (++nAt < p_strText.size() && p_strText[nAt] >= '0' && p_strText[nAt] <= '9') ++nDigits;
        if (nDigits == 0 || nDigits > 9) return false;
    }
    if (nAt + 1 != p_strText.size() || p_strText[nAt] != 'Z') return false;
    if (nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour > 23 || nMinute > 59 || nSecond > 60) return false;
    struct tm stTm {};
    stTm.tm_year = nYear - 1900;
    stTm.tm_mon = nMonth - 1;
    stTm.tm_mday = nDay;
    stTm.tm_hour = nHour;
    stTm.tm_min = nMinute;
    stTm.tm_sec = nSecond;
    p_tTime = timegm(&stTm);
    return p_tTime != static_cast<time_t>(-1);
}

OnvifAuth::OnvifAuth(const OnvifCredentials& p_stCredentials, std::function<time_t()> p_fnNow)
    : m_stCredentials(p_stCredentials), m_fnNow(p_fnNow ? p_fnNow : [] { return time(nullptr); }) {}

bool OnvifAuth::check(const TiXmlElement* p_pHeader, std::string& p_strWhy) {
    using onvifsoap::child;
    using onvifsoap::textOf;
    if (m_stCredentials.strUser.empty()) {
        p_strWhy = "no ONVIF user is configured on this server (serve --onvif-credentials FILE)";
        return false;
    }
    const TiXmlElement* pToken = child(child(p_pHeader, "Security"), "UsernameToken");
    if (pToken == nullptr) {
        p_strWhy = "this request needs a WS-Security UsernameToken";
        return false;
    }
    const TiXmlElement* pPassword = child(pToken, "Password");
    const char* szType = pPassword != nullptr ? pPassword->Attribute("Type") : nullptr;
    if (pPassword == nullptr || szType == nullptr || strcmp(szType, PASSWORD_DIGEST_TYPE) != 0) {
        p_strWhy = "the UsernameToken must carry a password digest";
        return false;
    }
    std::string strNonce;
    std::string strCreated = textOf(child(pToken, "Created"));
    time_t tCreated = 0;
    if (!base64Decode(textOf(child(pToken, "Nonce")), strNonce) || strNonce.empty() || strNonce.size() > 256) {
        p_strWhy = "the UsernameToken's Nonce is missing or not Base64";
        return false;
    }
    if (!parseUtcTime(strCreated, tCreated)) {
        p_strWhy = "the UsernameToken's Created is missing or not a UTC time";
        return false;
    }
    time_t tNow = m_fnNow();
    if (tCreated < tNow - WINDOW_SECONDS || tCreated > tNow + WINDOW_SECONDS) {
        p_strWhy = "the UsernameToken's Created is more than " + std::to_string(WINDOW_SECONDS) +
                   " seconds from the camera's clock (GetSystemDateAndTime tells it)";
        return false;
    }
    bool bUser = sameSecret(textOf(child(pToken, "Username")), m_stCredentials.strUser);
    bool bDigest =
        sameSecret(textOf(pPassword), onvifPasswordDigest(strNonce, strCreated, m_stCredentials.strPassword));
    if (!bUser || !bDigest) {
        p_strWhy = "the user or the password is wrong";
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto itKept = m_mapNonces.lower_bound(tNow - WINDOW_SECONDS);
    for (auto it = m_mapNonces.begin(); it != itKept; ++it) m_setNonces.erase(it->second);
    m_mapNonces.erase(m_mapNonces.begin(), itKept);
    if (m_setNonces.count(strNonce) != 0) {
        p_strWhy = "the UsernameToken's Nonce was used before";
        return false;
    }
    if (m_mapNonces.size() >= MAX_NONCES) {
        p_strWhy = "too many requests within the nonce window";
        return false;
    }
    m_setNonces.insert(strNonce);
    m_mapNonces.emplace(tCreated, strNonce);
    return true;
}
