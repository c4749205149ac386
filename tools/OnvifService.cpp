#include "OnvifService.h"

#include <ctype.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <set>
#include <vector>

#include "OnvifImaging.h"

using onvifsoap::child;
using onvifsoap::Fault;
using onvifsoap::localName;
using onvifsoap::number;
using onvifsoap::receiverFault;
using onvifsoap::senderFault;
using onvifsoap::textOf;
using onvifsoap::Writer;

namespace {

const char* const DEVICE_PATH = "/onvif/device_service";
const char* const MEDIA_PATH = "/onvif/media_service";
const char* const IMAGING_PATH = "/onvif/imaging_service";
const char* const SOURCE_PREFIX = "VideoSource_";
const char* const PROFILE_PREFIX = "Profile_";
// The placeholders of what the simulated camera does not have: a stream.
const int SOURCE_WIDTH = 1920;
const int SOURCE_HEIGHT = 1080;
const int SOURCE_FPS = 25;
// WS-UsernameToken is the one security the device offers.
const char* const DEVICE_CAPABILITIES =
    "<tds:Capabilities><tds:Network/><tds:Security UsernameToken=\"true\"/><tds:System/></tds:Capabilities>";

struct Service {
    const char* szPath;
    const char* szNamespace;
    int nMajor;
    int nMinor;
};
const Service SERVICES[] = {
    {DEVICE_PATH, onvifsoap::NS_DEVICE, 2, 0},
    {MEDIA_PATH, onvifsoap::NS_MEDIA, 2, 0},
    {IMAGING_PATH, onvifsoap::NS_IMAGING, 2, 0},
};

Fault notSupported(const std::string& p_strAction) {
    return receiverFault("ter:ActionNotSupported", nullptr, p_strAction + " is not supported by this service");
}

Fault invalidSettings(const std::string& p_strWhy) {
    return senderFault("ter:InvalidArgVal", "ter:SettingsInvalid", p_strWhy);
}

std::vector<std::string> splitPath(const char* p_szPath) {
    std::vector<std::string> vecParts;
    std::string strPath = p_szPath;
    size_t nAt = 0;
    while (true) {
        size_t nSlash = strPath.find('/', nAt);
        vecParts.push_back(strPath.substr(nAt, nSlash == std::string::npos ? std::string::npos : nSlash - nAt));
        if (nSlash == std::string::npos) return vecParts;
        nAt = nSlash + 1;
    }
}

// Writes leaves at "/"-separated paths below the writer's current element, in the order given: the elements on
// the way are opened and closed as the paths share them, all as tt: elements.
class PathWriter {
public:
    explicit PathWriter(Writer& p_objXml) : m_objXml(p_objXml), m_nBase(p_objXml.depth()) {}
    ~PathWriter() { m_objXml.closeTo(m_nBase); }
    // Opens the containers of p_szPath and returns the leaf's element name.
    std::string at(const char* p_szPath) {
        std::vector<std::string> vecParts = splitPath(p_szPath);
        std::string strLeaf = "tt:" + vecParts.back();
        vecParts.pop_back();
        size_t nSame = 0;
        while (nSame < vecParts.size() && nSame < m_vecOpen.size() && vecParts[nSame] == m_vecOpen[nSame]) ++nSame;
        m_objXml.closeTo(m_nBase + nSame);
        m_vecOpen.resize(nSame);
        for (size_t i = nSame; i < vecParts.size(); ++i) {
            m_objXml.open("tt:" + vecParts[i]);
            m_vecOpen.push_back(vecParts[i]);
        }
        return strLeaf;
    }

private:
    Writer& m_objXml;
    size_t m_nBase;
    std::vector<std::string> m_vecOpen;
};

bool readNumber(const std::string& p_strText, double& p_dValue) {
    if (p_strText.empty()) return false;
    char* pEnd = nullptr;
    p_dValue = strtod(p_strText.c_str(), &pEnd);
    return *pEnd == '\0' && isfinite(p_dValue);
}

bool readBoolean(const std::string& p_strText, bool& p_bValue) {
    if (p_strText == "true" || p_strText == "1") {
        p_bValue = true;
    } else if (p_strText == "false" || p_strText == "0") {
        p_bValue = false;
    } else {
        return false;
    }
    return true;
}

// The mapping's fields by their path in ImagingSettings20, and the paths of the elements that hold them.
struct FieldPaths {
    std::map<std::string, size_t> mapFields;
    std::set<std::string> setContainers;
    FieldPaths() {
        size_t nFields = 0;
        const OnvifImagingField* pFields = onvifImagingFields(nFields);
        for (size_t i = 0; i < nFields; ++i) {
            std::string strPath = pFields[i].szPath;
            mapFields[strPath] = i;
            for (size_t nSlash = strPath.find('/'); nSlash != std::string::npos; nSlash = strPath.find('/', nSlash + 1))
                setContainers.insert(strPath.substr(0, nSlash));
        }
    }
};

const FieldPaths& fieldPaths() {
    static const FieldPaths s_stPaths;
    return s_stPaths;
}

// Reads the fields of an ImagingSettings element by local name, in any order. An element that is no field of
// the mapping, or a field given twice, is a fault: nothing of the request is applied.
void readSettings(const TiXmlElement* p_pParent, const std::string& p_strPath, OnvifImagingSettings& p_vecSettings) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    for (const TiXmlElement* p = p_pParent->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
        std::string strPath = p_strPath.empty() ? localName(p) : p_strPath + "/" + localName(p);
        auto it = fieldPaths().mapFields.find(strPath);
        if (it != fieldPaths().mapFields.end()) {
            OnvifFieldValue& stValue = p_vecSettings[it->second];
            if (stValue.bPresent) throw invalidSettings(strPath + " is given twice");
            stValue.bPresent = true;
            if (pFields[it->second].eKind == ONVIF_FIELD_MODE) {
                stValue.strWord = textOf(p);
            } else if (!readNumber(textOf(p), stValue.dNumber)) {
                throw invalidSettings(strPath + " \"" + textOf(p) + "\" is not a number");
            }
        } else if (fieldPaths().setContainers.count(strPath) != 0) {
            readSettings(p, strPath, p_vecSettings);
        } else {
            throw invalidSettings(strPath + " is not offered by this camera");
        }
    }
}

Fault imagingFault(OnvifImagingResult p_eResult, const std::string& p_strError) {
    switch (p_eResult) {
        case ONVIF_IMAGING_INVALID_ARG:
            return invalidSettings(p_strError);
        case ONVIF_IMAGING_NO_LENS:
            return receiverFault("ter:ActionNotSupported", "ter:NoImagingForSource",
                                 "the channel's lens has no focus motor");
        default:
            return receiverFault("ter:Action", nullptr, p_strError);
    }
}

std::string floatRange(const std::string& p_strName, double p_dMin, double p_dMax) {
    Writer objXml;
    objXml.open(p_strName).leaf("tt:Min", number(p_dMin)).leaf("tt:Max", number(p_dMax));
    return objXml.text();
}

std::string xmlTime(const char* p_szName, const struct tm& p_stTm) {
    Writer objXml;
    objXml.open(p_szName)
        .open("tt:Time")
        .leaf("tt:Hour", std::to_string(p_stTm.tm_hour))
        .leaf("tt:Minute", std::to_string(p_stTm.tm_min))
        .leaf("tt:Second", std::to_string(p_stTm.tm_sec))
        .close()
        .open("tt:Date")
        .leaf("tt:Year", std::to_string(p_stTm.tm_year + 1900))
        .leaf("tt:Month", std::to_string(p_stTm.tm_mon + 1))
        .leaf("tt:Day", std::to_string(p_stTm.tm_mday));
    return objXml.text();
}

}  // namespace

struct OnvifService::Call {
    const onvifsoap::Envelope& stEnvelope;
    std::string strAction;
    std::string strBase;  // "http://host:port", as the client reached the server
};

OnvifService::OnvifService(SimCamera& p_objCamera, ChannelLock p_fnChannelLock, OnvifAuth* p_pAuth)
    : m_objCamera(p_objCamera), m_fnChannelLock(std::move(p_fnChannelLock)), m_pAuth(p_pAuth) {}

SimHttpReply OnvifService::handle(const SimHttpRequest& p_stRequest) {
    SimHttpReply stReply;
    stReply.strType = "application/soap+xml; charset=utf-8";
    onvifsoap::Envelope stEnvelope;
    Fault stFault;
    try {
        const Service* pService = nullptr;
        for (const Service& s : SERVICES) {
            if (p_stRequest.strPath == s.szPath) pService = &s;
        }
        if (pService == nullptr) {
            stFault = senderFault("ter:InvalidArgVal", nullptr, "no ONVIF service at " + p_stRequest.strPath);
            stFault.nHttp = 404;
            throw stFault;
        }
        if (p_stRequest.strMethod != "POST") {
            stFault = senderFault(nullptr, nullptr, "ONVIF requests are SOAP POSTs");
            stFault.nHttp = 405;
            throw stFault;
        }
        const std::string* pType = p_stRequest.header("Content-Type");
        std::string strType = pType != nullptr ? pType->substr(0, pType->find(';')) : "";
        for (char& c : strType) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        strType.erase(0, strType.find_first_not_of(" \t"));
        strType.erase(strType.find_last_not_of(" \t") + 1);
        if (strType != "application/soap+xml") {
            stFault = senderFault(nullptr, nullptr, "a SOAP 1.2 request is Content-Type: application/soap+xml");
            stFault.nHttp = 415;
            throw stFault;
        }
        if (!onvifsoap::parseEnvelope(p_stRequest.strBody, stEnvelope, stFault)) throw stFault;
        Call call{stEnvelope, localName(stEnvelope.pAction), ""};
        if (!stEnvelope.strActionNs.empty() && stEnvelope.strActionNs != pService->szNamespace) {
            throw notSupported(call.strAction + " of " + stEnvelope.strActionNs);
        }
        bool bOpen = pService->szPath == std::string(DEVICE_PATH) && call.strAction == "GetSystemDateAndTime";
        std::string strWhy;
        if (m_pAuth != nullptr && !bOpen && !m_pAuth->check(stEnvelope.pHeader, strWhy)) {
            throw senderFault("ter:NotAuthorized", nullptr, "sender not authorized: " + strWhy);
        }
        // The site's rules admitted only the server's own addresses as Host.
        const std::string* pHost = p_stRequest.header("Host");
        call.strBase = "http://" + (pHost != nullptr ? *pHost : std::string("127.0.0.1"));
        std::string strBody;
        if (pService->szPath == std::string(DEVICE_PATH)) {
            strBody = device(call);
        } else if (pService->szPath == std::string(MEDIA_PATH)) {
            strBody = media(call);
        } else {
            strBody = imaging(call);
        }
        stReply.strBody = onvifsoap::envelope(strBody);
        return stReply;
    } catch (const Fault& stThrown) {
        stReply.nStatus = stThrown.nHttp;
        stReply.strBody = onvifsoap::faultEnvelope(stThrown);
        return stReply;
    }
}

// ---- Device service ----------------------------------------------------------------------------------------

std::string OnvifService::device(Call& p_call) {
    Writer objXml;
    const std::string& a = p_call.strAction;
    if (a == "GetSystemDateAndTime") {
        time_t tNow = time(nullptr);
        struct tm stTm {};
        gmtime_r(&tNow, &stTm);
        objXml.open("tds:GetSystemDateAndTimeResponse")
            .open("tds:SystemDateAndTime")
            .leaf("tt:DateTimeType", "Manual")
            .leaf("tt:DaylightSavings", "false")
            .open("tt:TimeZone")
            .leaf("tt:TZ", "UTC0")
            .close()
            .raw(xmlTime("tt:UTCDateTime", stTm));
        return objXml.text();
    }
    if (a == "GetCapabilities") {
        std::string strCategory = "All";
        for (const TiXmlElement* p = p_call.stEnvelope.pAction->FirstChildElement(); p != nullptr;
             p = p->NextSiblingElement()) {
            if (strcmp(localName(p), "Category") == 0 && textOf(p) != "All") strCategory = textOf(p);
        }
        return capabilities(p_call.strBase, strCategory);
    }
    if (a == "GetServices") {
        bool bCapabilities = false;
        if (!readBoolean(textOf(child(p_call.stEnvelope.pAction, "IncludeCapability")), bCapabilities)) {
            throw senderFault("ter:InvalidArgVal", nullptr, "GetServices needs IncludeCapability true or false");
        }
        return services(p_call.strBase, bCapabilities);
    }
    if (a == "GetServiceCapabilities") {
        return std::string("<tds:GetServiceCapabilitiesResponse>") + DEVICE_CAPABILITIES +
               "</tds:GetServiceCapabilitiesResponse>";
    }
    if (a == "GetDeviceInformation") {
        objXml.open("tds:GetDeviceInformationResponse")
            .leaf("tds:Manufacturer", "imagetune")
            .leaf("tds:Model", "imagetune-sim")
            .leaf("tds:FirmwareVersion", "1")
            .leaf("tds:SerialNumber", "SIM-" + std::to_string(m_objCamera.channels()))
            .leaf("tds:HardwareId", "simulated");
        return objXml.text();
    }
    throw notSupported(a);
}

std::string OnvifService::capabilities(const std::string& p_strBase, const std::string& p_strCategory) {
    bool bAll = p_strCategory == "All";
    if (!bAll && p_strCategory != "Device" && p_strCategory != "Media" && p_strCategory != "Imaging") {
        throw receiverFault("ter:ActionNotSupported", "ter:NoSuchService",
                            "this camera has no " + p_strCategory + " service");
    }
    Writer objXml;
    objXml.open("tds:GetCapabilitiesResponse").open("tds:Capabilities");
    if (bAll || p_strCategory == "Device") objXml.open("tt:Device").leaf("tt:XAddr", p_strBase + DEVICE_PATH).close();
    if (bAll || p_strCategory == "Imaging")
        objXml.open("tt:Imaging").leaf("tt:XAddr", p_strBase + IMAGING_PATH).close();
    if (bAll || p_strCategory == "Media") {
        objXml.open("tt:Media")
            .leaf("tt:XAddr", p_strBase + MEDIA_PATH)
            .open("tt:StreamingCapabilities")
            .leaf("tt:RTPMulticast", "false")
            .leaf("tt:RTP_TCP", "false")
            .leaf("tt:RTP_RTSP_TCP", "false")
            .close()
            .close();
    }
    return objXml.text();
}

std::string OnvifService::services(const std::string& p_strBase, bool p_bCapabilities) {
    Writer objXml;
    objXml.open("tds:GetServicesResponse");
    for (const Service& s : SERVICES) {
        objXml.open("tds:Service").leaf("tds:Namespace", s.szNamespace).leaf("tds:XAddr", p_strBase + s.szPath);
        if (p_bCapabilities) {
            objXml.open("tds:Capabilities");
            if (s.szPath == std::string(DEVICE_PATH)) {
                objXml.raw(DEVICE_CAPABILITIES);
            } else if (s.szPath == std::string(MEDIA_PATH)) {
                objXml.open("trt:Capabilities")
                    .open("trt:ProfileCapabilities",
                          "MaximumNumberOfProfiles=\"" + std::to_string(m_objCamera.channels()) + "\"");
                objXml.close().close();
            } else {
                objXml.raw(imagingCapabilities());
            }
            objXml.close();
        }
        objXml.open("tds:Version")
            .leaf("tt:Major", std::to_string(s.nMajor))
            .leaf("tt:Minor", std::to_string(s.nMinor));
        objXml.close().close();
    }
    return objXml.text();
}

std::string OnvifService::imagingCapabilities() {
    return std::string("<timg:Capabilities ImageStabilization=\"") + (stabilisationOffered() ? "true" : "false") +
           "\" Presets=\"false\"/>";
}

bool OnvifService::stabilisationOffered() {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    for (int c = 1; c <= m_objCamera.channels(); ++c) {
        std::lock_guard<std::mutex> lock(m_fnChannelLock(c));
        OnvifImagingOptions vecOptions = OnvifImaging(m_objCamera.channel(c)).options();
        for (size_t i = 0; i < nFields; ++i) {
            if (vecOptions[i].bOffered && strncmp(pFields[i].szPath, "Extension/ImageStabilization/", 29) == 0)
                return true;
        }
    }
    return false;
}

// ---- Media service -----------------------------------------------------------------------------------------

std::string OnvifService::media(Call& p_call) {
    Writer objXml;
    const std::string& a = p_call.strAction;
    const std::string strWidth = std::to_string(SOURCE_WIDTH), strHeight = std::to_string(SOURCE_HEIGHT);
    if (a == "GetProfiles") {
        objXml.open("trt:GetProfilesResponse");
        for (int c = 1; c <= m_objCamera.channels(); ++c) {
            std::string strN = std::to_string(c);
            objXml.open("trt:Profiles", "token=\"" + std::string(PROFILE_PREFIX) + strN + "\" fixed=\"true\"")
                .leaf("tt:Name", "Channel " + strN)
                .open("tt:VideoSourceConfiguration", "token=\"VideoSourceConfig_" + strN + "\"")
                .leaf("tt:Name", "Channel " + strN)
                .leaf("tt:UseCount", "1")
                .leaf("tt:SourceToken", SOURCE_PREFIX + strN);
            objXml.open("tt:Bounds", "x=\"0\" y=\"0\" width=\"" + strWidth + "\" height=\"" + strHeight + "\"").close();
            objXml.close();
            // No stream: a placeholder encoder, as clients look for one beside every source.
            objXml.open("tt:VideoEncoderConfiguration", "token=\"VideoEncoderConfig_" + strN + "\"")
                .leaf("tt:Name", "Placeholder " + strN)
                .leaf("tt:UseCount", "1")
                .leaf("tt:Encoding", "H264")
                .open("tt:Resolution")
                .leaf("tt:Width", strWidth)
                .leaf("tt:Height", strHeight)
                .close()
                .leaf("tt:Quality", "5")
                .open("tt:RateControl")
                .leaf("tt:FrameRateLimit", std::to_string(SOURCE_FPS))
                .leaf("tt:EncodingInterval", "1")
                .leaf("tt:BitrateLimit", "4096")
                .close()
                .open("tt:Multicast")
                .open("tt:Address")
                .leaf("tt:Type", "IPv4")
                .leaf("tt:IPv4Address", "0.0.0.0")
                .close()
                .leaf("tt:Port", "0")
                .leaf("tt:TTL", "0")
                .leaf("tt:AutoStart", "false")
                .close()
                .leaf("tt:SessionTimeout", "PT60S")
                .close()
                .close();
        }
        return objXml.text();
    }
    if (a == "GetVideoSources") {
        objXml.open("trt:GetVideoSourcesResponse");
        for (int c = 1; c <= m_objCamera.channels(); ++c) {
            objXml.open("trt:VideoSources", "token=\"" + std::string(SOURCE_PREFIX) + std::to_string(c) + "\"")
                .leaf("tt:Framerate", std::to_string(SOURCE_FPS))
                .open("tt:Resolution")
                .leaf("tt:Width", strWidth)
                .leaf("tt:Height", strHeight)
                .close()
                .close();
        }
        return objXml.text();
    }
    throw notSupported(a);
}

// ---- Imaging service ---------------------------------------------------------------------------------------

int OnvifService::channelOf(Call& p_call) {
    std::string strToken = textOf(child(p_call.stEnvelope.pAction, "VideoSourceToken"));
    size_t nPrefix = strlen(SOURCE_PREFIX);
    if (strToken.compare(0, nPrefix, SOURCE_PREFIX) == 0 && strToken.size() > nPrefix &&
        strToken.size() <= nPrefix + 2 && strToken.find_first_not_of("0123456789", nPrefix) == std::string::npos &&
        strToken[nPrefix] != '0') {
        int nChannel = atoi(strToken.c_str() + nPrefix);
        if (nChannel >= 1 && nChannel <= m_objCamera.channels()) return nChannel;
    }
    throw senderFault("ter:InvalidArgVal", "ter:NoSource", "no video source \"" + strToken + "\"");
}

std::string OnvifService::imaging(Call& p_call) {
    const std::string& a = p_call.strAction;
    if (a == "GetServiceCapabilities") {
        return "<timg:GetServiceCapabilitiesResponse>" + imagingCapabilities() +
               "</timg:GetServiceCapabilitiesResponse>";
    }
    static const char* const PER_SOURCE[] = {
        "GetImagingSettings", "SetImagingSettings", "GetOptions", "GetMoveOptions", "Move", "Stop", "GetStatus"};
    bool bKnown = false;
    for (const char* sz : PER_SOURCE) bKnown = bKnown || a == sz;
    if (!bKnown) throw notSupported(a);
    int nChannel = channelOf(p_call);
    // Serialised with the channel's other requests, the JSON API's included.
    std::lock_guard<std::mutex> lock(m_fnChannelLock(nChannel));
    if (a == "GetImagingSettings") return imagingSettings(nChannel);
    if (a == "SetImagingSettings") return setImagingSettings(p_call, nChannel);
    if (a == "GetOptions") return imagingOptions(nChannel);
    if (a == "GetMoveOptions") return moveOptions(nChannel);
    if (a == "Move") return move(p_call, nChannel);
    OnvifImaging objImaging(m_objCamera.channel(nChannel));
    if (a == "Stop") {
        OnvifImagingResult eResult = objImaging.focusStop();
        if (eResult != ONVIF_IMAGING_OK) throw imagingFault(eResult, "");
        return "<timg:StopResponse/>";
    }
    OnvifFocusStatus stStatus;
    OnvifImagingResult eResult = objImaging.focusStatus(stStatus);
    if (eResult != ONVIF_IMAGING_OK) throw imagingFault(eResult, "the lens position cannot be read");
    Writer objXml;
    objXml.open("timg:GetStatusResponse")
        .open("timg:Status")
        .open("tt:FocusStatus20")
        .leaf("tt:Position", number(stStatus.dPosition))
        .leaf("tt:MoveStatus", stStatus.szMoveStatus);
    return objXml.text();
}

std::string OnvifService::imagingSettings(int p_nChannel) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    OnvifImagingSettings vecSettings;
    OnvifImaging(m_objCamera.channel(p_nChannel)).settings(vecSettings);
    Writer objXml;
    objXml.open("timg:GetImagingSettingsResponse").open("timg:ImagingSettings");
    {
        PathWriter objPaths(objXml);
        for (size_t i = 0; i < nFields; ++i) {
            if (!vecSettings[i].bPresent) continue;
            std::string strLeaf = objPaths.at(pFields[i].szPath);
            objXml.leaf(strLeaf,
                        pFields[i].eKind == ONVIF_FIELD_MODE ? vecSettings[i].strWord : number(vecSettings[i].dNumber));
        }
    }
    return objXml.text();
}

std::string OnvifService::setImagingSettings(Call& p_call, int p_nChannel) {
    const TiXmlElement* pSettings = child(p_call.stEnvelope.pAction, "ImagingSettings");
    if (pSettings == nullptr)
        throw senderFault("ter:InvalidArgVal", nullptr, "SetImagingSettings needs ImagingSettings");
    bool bPersist = false;
    const TiXmlElement* pPersist = child(p_call.stEnvelope.pAction, "ForcePersistence");
    if (pPersist != nullptr && !readBoolean(textOf(pPersist), bPersist)) {
        throw senderFault("ter:InvalidArgVal", nullptr, "ForcePersistence is true or false");
    }
    size_t nFields = 0;
    onvifImagingFields(nFields);
    OnvifImagingSettings vecSettings(nFields);
    readSettings(pSettings, "", vecSettings);
    std::string strError;
    OnvifImagingResult eResult =
        OnvifImaging(m_objCamera.channel(p_nChannel)).setSettings(vecSettings, bPersist, strError);
    if (eResult != ONVIF_IMAGING_OK) throw imagingFault(eResult, strError);
    return "<timg:SetImagingSettingsResponse/>";
}

std::string OnvifService::imagingOptions(int p_nChannel) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    OnvifImagingOptions vecOptions = OnvifImaging(m_objCamera.channel(p_nChannel)).options();
    Writer objXml;
    objXml.open("timg:GetOptionsResponse").open("timg:ImagingOptions");
    {
        PathWriter objPaths(objXml);
        for (size_t i = 0; i < nFields; ++i) {
            const OnvifFieldOptions& o = vecOptions[i];
            if (!o.bOffered) continue;
            std::string strLeaf = objPaths.at(pFields[i].szOptionsPath);
            std::string strPath = pFields[i].szOptionsPath;
            if (pFields[i].eKind == ONVIF_FIELD_MODE) {
                for (const std::string& strWord : o.vecWords) objXml.leaf(strLeaf, strWord);
            } else if (strPath.find("Options/Level") != std::string::npos) {
                // Defogging and noise reduction options only say whether a level can be set.
                objXml.leaf(strLeaf, "true");
            } else {
                objXml.open(strLeaf).leaf("tt:Min", number(o.dMin)).leaf("tt:Max", number(o.dMax)).close();
            }
        }
    }
    return objXml.text();
}

std::string OnvifService::moveOptions(int p_nChannel) {
    OnvifFocusOptions stOptions = OnvifImaging(m_objCamera.channel(p_nChannel)).focusOptions();
    if (!stOptions.bMovable) throw imagingFault(ONVIF_IMAGING_NO_LENS, "");
    double dSpan = stOptions.dMax - stOptions.dMin;
    return "<timg:GetMoveOptionsResponse><timg:MoveOptions><tt:Absolute>" +
           floatRange("tt:Position", stOptions.dMin, stOptions.dMax) + "</tt:Absolute><tt:Relative>" +
           floatRange("tt:Distance", -dSpan, dSpan) + "</tt:Relative></timg:MoveOptions></timg:GetMoveOptionsResponse>";
}

std::string OnvifService::move(Call& p_call, int p_nChannel) {
    const TiXmlElement* pFocus = child(p_call.stEnvelope.pAction, "Focus");
    const TiXmlElement* pAbsolute = child(pFocus, "Absolute");
    const TiXmlElement* pRelative = child(pFocus, "Relative");
    const TiXmlElement* pContinuous = child(pFocus, "Continuous");
    OnvifImaging objImaging(m_objCamera.channel(p_nChannel));
    if (!objImaging.focusOptions().bMovable) throw imagingFault(ONVIF_IMAGING_NO_LENS, "");
    if ((pAbsolute != nullptr) + (pRelative != nullptr) + (pContinuous != nullptr) != 1) {
        throw invalidSettings("Move needs a Focus with one of Absolute and Relative");
    }
    if (pContinuous != nullptr) throw invalidSettings("continuous focus moves are not offered (see GetMoveOptions)");
    const char* szValue = pAbsolute != nullptr ? "Position" : "Distance";
    double dValue = 0;
    if (!readNumber(textOf(child(pAbsolute != nullptr ? pAbsolute : pRelative, szValue)), dValue)) {
        throw invalidSettings(std::string("the focus move needs a number as its ") + szValue);
    }
    std::string strError;
    OnvifImagingResult eResult =
        pAbsolute != nullptr ? objImaging.focusAbsolute(dValue, strError) : objImaging.focusRelative(dValue, strError);
    if (eResult != ONVIF_IMAGING_OK) throw imagingFault(eResult, strError);
    return "<timg:MoveResponse/>";
}

void mountOnvifRoutes(SimServerSite& p_objSite, OnvifService& p_objService) {
    SimSiteRules stRules;
    stRules.bToken = false;
    stRules.bJsonPosts = false;
    stRules.nMaxBody = onvifsoap::MAX_ENVELOPE_BYTES;
    p_objSite.mount("/onvif/", stRules,
                    [&p_objService](const SimHttpRequest& p_stRequest) { return p_objService.handle(p_stRequest); });
}
