// The ONVIF endpoint in raw SOAP, through the site's rules but without a socket: faults with their subcodes, the
// imaging fields read by local name and applied all or nothing, and the WS-UsernameToken digest's edge cases
// against a clock of the test's own.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "OnvifAuth.h"
#include "OnvifService.h"
#include "SimDevice.h"
#include "SimServerSite.h"
#include "TestSupport.h"

namespace {

const char* const ENVELOPE_OPEN = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">";
const char* const IMG = "xmlns=\"http://www.onvif.org/ver20/imaging/wsdl\"";
const char* const DEV = "xmlns=\"http://www.onvif.org/ver10/device/wsdl\"";
const time_t NOW = 1767322800;  // 2026-01-02T03:00:00Z

std::string soap(const std::string& p_strBody, const std::string& p_strHeader = "") {
    return std::string(ENVELOPE_OPEN) + (p_strHeader.empty() ? "" : "<s:Header>" + p_strHeader + "</s:Header>") +
           "<s:Body>" + p_strBody + "</s:Body></s:Envelope>";
}

std::string source(const std::string& p_strAction, const std::string& p_strMore = "", int p_nChannel = 1) {
    return "<" + p_strAction + " " + IMG + "><VideoSourceToken>VideoSource_" + std::to_string(p_nChannel) +
           "</VideoSourceToken>" + p_strMore + "</" + p_strAction + ">";
}

std::string setting(const std::string& p_strFields) {
    return source("SetImagingSettings", "<ImagingSettings xmlns:tt=\"http://www.onvif.org/ver10/schema\">" +
                                            p_strFields + "</ImagingSettings>");
}

std::string token(const std::string& p_strUser, const std::string& p_strPassword, const std::string& p_strNonce,
                  const std::string& p_strCreated,
                  const char* p_szType =
                      "http://docs.oasis-open.org/wss/2004/01/"
                      "oasis-200401-wss-username-token-profile-1.0#PasswordDigest") {
    return "<wsse:Security "
           "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\">"
           "<wsse:UsernameToken><wsse:Username>" +
           p_strUser + "</wsse:Username><wsse:Password Type=\"" + p_szType + "\">" +
           onvifPasswordDigest(p_strNonce, p_strCreated, p_strPassword) + "</wsse:Password><wsse:Nonce>" +
           base64Encode(p_strNonce) + "</wsse:Nonce><wsu:Created>" + p_strCreated +
           "</wsu:Created></wsse:UsernameToken></wsse:Security>";
}

// The first element with that local name, depth first; null when none.
const TiXmlElement* element(const TiXmlElement* p_pElement, const char* p_szLocal) {
    if (p_pElement == nullptr || strcmp(onvifsoap::localName(p_pElement), p_szLocal) == 0) return p_pElement;
    for (const TiXmlElement* p = p_pElement->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
        const TiXmlElement* pFound = element(p, p_szLocal);
        if (pFound != nullptr) return pFound;
    }
    return nullptr;
}

// Its text followed by a blank, "" when there is no such element.
std::string find(const TiXmlElement* p_pElement, const char* p_szLocal) {
    const TiXmlElement* pFound = element(p_pElement, p_szLocal);
    return pFound != nullptr ? onvifsoap::textOf(pFound) + " " : "";
}

// Every text of elements with that local name, each followed by a blank.
std::string all(const TiXmlElement* p_pElement, const char* p_szLocal) {
    std::string strAll;
    for (const TiXmlElement* p = p_pElement->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
        strAll += strcmp(onvifsoap::localName(p), p_szLocal) == 0 ? onvifsoap::textOf(p) + " " : all(p, p_szLocal);
    }
    return strAll;
}

struct Answer {
    int nStatus = 0;
    std::string strBody;
    std::shared_ptr<TiXmlDocument> pDoc;
    const TiXmlElement* root() const { return pDoc->RootElement(); }
    // "env:Sender ter:InvalidArgVal ter:NoSource ", or "" for an answer that is no fault.
    std::string fault() const { return all(root(), "Value"); }
};

class OnvifSoapTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimDeviceOptions stDevice;
        stDevice.strRoot = m_objRoot.path();
        stDevice.nChannels = 2;
        bool bSeeded = false;
        std::string strRoot, strError;
        ASSERT_TRUE(prepareDeviceRoot(stDevice, findFixturesDir(), bSeeded, strRoot, strError)) << strError;
        m_objOut.setQuiet(true);
        m_pCamera.reset(new SimCamera(2, false, m_objOut));
        ASSERT_TRUE(m_pCamera->start(moduleDetail(stDevice), strError)) << strError;
        build(false);
    }
    void TearDown() override {
        m_pSite.reset();
        m_pService.reset();
        if (m_pCamera) m_pCamera->stop();
    }
    void build(bool p_bAuth) {
        m_pAuth.reset(new OnvifAuth({"admin", "s3cret"}, [this] { return m_tNow; }));
        m_pService.reset(new OnvifService(
            *m_pCamera, [this](int p_nChannel) -> std::mutex& { return m_aLocks[p_nChannel - 1]; },
            p_bAuth ? m_pAuth.get() : nullptr));
        m_pSite.reset(new SimServerSite(siteAccess("127.0.0.1", 8080, {}, "")));
        mountOnvifRoutes(*m_pSite, *m_pService);
    }

    Answer send(const std::string& p_strPath, const std::string& p_strBody,
                const std::string& p_strType = "application/soap+xml; charset=utf-8", const char* p_szMethod = "POST") {
        SimHttpRequest stRequest;
        stRequest.strMethod = p_szMethod;
        stRequest.strPath = p_strPath;
        stRequest.vecHeaders = {{"Host", "127.0.0.1:8080"}, {"Content-Type", p_strType}};
        stRequest.strBody = p_strBody;
        SimHttpReply stReply = m_pSite->handle(stRequest);
        Answer stAnswer;
        stAnswer.nStatus = stReply.nStatus;
        stAnswer.strBody = stReply.strBody;
        stAnswer.pDoc = std::make_shared<TiXmlDocument>();
        stAnswer.pDoc->Parse(stReply.strBody.c_str());
        EXPECT_FALSE(stAnswer.pDoc->Error()) << stReply.strBody;
        EXPECT_NE(nullptr, stAnswer.pDoc->RootElement()) << stReply.strBody;
        if (stAnswer.pDoc->RootElement() == nullptr) stAnswer.pDoc->Parse("<none/>");
        return stAnswer;
    }
    Answer imaging(const std::string& p_strBody, const std::string& p_strHeader = "") {
        return send("/onvif/imaging_service", soap(p_strBody, p_strHeader));
    }
    int key(int p_nKey, int p_nChannel = 1) {
        int n = -1;
        EXPECT_TRUE(m_pCamera->channel(p_nChannel).getParameter(p_nKey, n));
        return n;
    }

    testsupport::TempDeviceRoot m_objRoot;
    SimOutput m_objOut{stderr, stderr};
    std::unique_ptr<SimCamera> m_pCamera;
    std::mutex m_aLocks[2];
    time_t m_tNow = NOW;
    std::unique_ptr<OnvifAuth> m_pAuth;
    std::unique_ptr<OnvifService> m_pService;
    std::unique_ptr<SimServerSite> m_pSite;
};

TEST_F(OnvifSoapTest, BadRequestsGetFaultsWithTheStandardSubcodes) {
    std::string strDeep = std::string(ENVELOPE_OPEN) + "<s:Body>";
    for (int i = 0; i < 40; ++i) strDeep += "<a>";
    const struct {
        const char* szWhy;
        std::string strPath;
        std::string strBody;
        std::string strType;
        int nStatus;
        std::string strFault;
    } CASES[] = {
        {"not XML", "/onvif/device_service", "<s:Envelope", "", 400, "env:Sender ter:WellFormed "},
        {"too deep", "/onvif/device_service", strDeep, "", 400, "env:Sender ter:WellFormed "},
        {"not an envelope", "/onvif/device_service", "<Envelope/>", "", 400, "env:Sender ter:WellFormed "},
        {"SOAP 1.1", "/onvif/device_service",
         "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body/></e:Envelope>", "", 400,
         "env:VersionMismatch "},
        {"two requests", "/onvif/device_service",
         soap("<GetDeviceInformation " + std::string(DEV) + "/><GetDeviceInformation " + DEV + "/>"), "", 400,
         "env:Sender ter:InvalidArgs "},
        {"no request", "/onvif/device_service", soap(""), "", 400, "env:Sender ter:InvalidArgs "},
        {"an unknown action", "/onvif/device_service", soap("<Reboot " + std::string(DEV) + "/>"), "", 500,
         "env:Receiver ter:ActionNotSupported "},
        {"a device action at the imaging service", "/onvif/imaging_service",
         soap("<GetDeviceInformation " + std::string(DEV) + "/>"), "", 500, "env:Receiver ter:ActionNotSupported "},
        {"no such category", "/onvif/device_service",
         soap("<GetCapabilities " + std::string(DEV) + "><Category>PTZ</Category></GetCapabilities>"), "", 500,
         "env:Receiver ter:ActionNotSupported ter:NoSuchService "},
        {"no such source", "/onvif/imaging_service", soap(source("GetImagingSettings", "", 3)), "", 400,
         "env:Sender ter:InvalidArgVal ter:NoSource "},
        {"a source token of another shape", "/onvif/imaging_service",
         soap("<GetOptions " + std::string(IMG) + "><VideoSourceToken>VideoSource_01</VideoSourceToken></GetOptions>"),
         "", 400, "env:Sender ter:InvalidArgVal ter:NoSource "},
        {"a value out of range", "/onvif/imaging_service", soap(setting("<tt:Brightness>101</tt:Brightness>")), "", 400,
         "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"a field not offered", "/onvif/imaging_service",
         soap(setting("<tt:Exposure><tt:MinGain>1</tt:MinGain></tt:Exposure>")), "", 400,
         "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"a field twice", "/onvif/imaging_service",
         soap(setting("<tt:Brightness>1</tt:Brightness><tt:Brightness>2</tt:Brightness>")), "", 400,
         "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"not a number", "/onvif/imaging_service", soap(setting("<tt:Contrast>1e999</tt:Contrast>")), "", 400,
         "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"a continuous focus move", "/onvif/imaging_service",
         soap(source("Move", "<Focus><tt:Continuous xmlns:tt=\"x\"><tt:Speed>1</tt:Speed></tt:Continuous></Focus>")),
         "", 400, "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"a focus beyond the lens", "/onvif/imaging_service",
         soap(source("Move", "<Focus><Absolute><Position>99999</Position></Absolute></Focus>")), "", 400,
         "env:Sender ter:InvalidArgVal ter:SettingsInvalid "},
        {"JSON", "/onvif/device_service", soap("<GetDeviceInformation " + std::string(DEV) + "/>"), "application/json",
         415, "env:Sender "},
        {"SOAP 1.1's content type", "/onvif/device_service", soap("<GetDeviceInformation " + std::string(DEV) + "/>"),
         "text/xml", 415, "env:Sender "},
        {"no such service", "/onvif/ptz_service", soap("<GetNodes/>"), "", 404, "env:Sender ter:InvalidArgVal "},
    };
    for (const auto& k : CASES) {
        int nBrightness = key(34);
        Answer stAnswer = send(k.strPath, k.strBody, k.strType.empty() ? "application/soap+xml" : k.strType);
        EXPECT_EQ(k.nStatus, stAnswer.nStatus) << k.szWhy << ": " << stAnswer.strBody;
        EXPECT_EQ(k.strFault, stAnswer.fault()) << k.szWhy << ": " << stAnswer.strBody;
        EXPECT_FALSE(find(stAnswer.root(), "Text").empty()) << k.szWhy << ": a fault says why";
        EXPECT_EQ(nBrightness, key(34)) << k.szWhy;
    }
    EXPECT_EQ(405, send("/onvif/device_service", "", "", "GET").nStatus);
}

TEST_F(OnvifSoapTest, FieldsAreReadByLocalNameInAnyOrderAndAppliedAllOrNothing) {
    ASSERT_EQ(0, m_pCamera->channel(1).setParameters("(16,1)(34,40)", true));
    // Refused whole: the contrast is out of range, so the brightness before it stays.
    Answer stAnswer = imaging(setting("<tt:Brightness>70</tt:Brightness><tt:Contrast>101</tt:Contrast>"));
    EXPECT_EQ("env:Sender ter:InvalidArgVal ter:SettingsInvalid ", stAnswer.fault());
    EXPECT_NE(std::string::npos, stAnswer.strBody.find("Contrast")) << stAnswer.strBody;
    EXPECT_EQ(40, key(34));

    // Any prefix or none, fields out of the schema's order; an Exposure without Mode keeps the mode (1: shutter
    // priority, which ONVIF reads as AUTO).
    stAnswer = imaging(setting("<IrCutFilter xmlns=\"http://www.onvif.org/ver10/schema\">OFF</IrCutFilter>"
                               "<x:Exposure xmlns:x=\"http://www.onvif.org/ver10/schema\"><x:MaxExposureTime> 10000 "
                               "</x:MaxExposureTime></x:Exposure><tt:Brightness>70.2</tt:Brightness>"),
                       "");
    ASSERT_EQ("", stAnswer.fault()) << stAnswer.strBody;
    EXPECT_EQ(70, key(34));
    EXPECT_EQ(2, key(144));
    EXPECT_EQ(100, key(49));
    EXPECT_EQ(1, key(16));
    EXPECT_EQ(50, key(34, 2)) << "the other channel is untouched";

    stAnswer = imaging(source("GetImagingSettings"));
    EXPECT_EQ("70 ", find(stAnswer.root(), "Brightness"));
    EXPECT_EQ("OFF ", find(stAnswer.root(), "IrCutFilter"));
    EXPECT_EQ("AUTO ", find(element(stAnswer.root(), "Exposure"), "Mode"));
}

TEST_F(OnvifSoapTest, ForcePersistenceSavesTheScheme) {
    ISensorController& c = m_pCamera->channel(1);
    Answer stAnswer = imaging(source("SetImagingSettings",
                                     "<ImagingSettings><Brightness>61</Brightness></ImagingSettings>"
                                     "<ForcePersistence>true</ForcePersistence>"));
    ASSERT_EQ("", stAnswer.fault()) << stAnswer.strBody;
    ASSERT_TRUE(c.resetToLastParameters());
    EXPECT_EQ(61, key(34));
    stAnswer = imaging(source("SetImagingSettings",
                              "<ImagingSettings><Brightness>62</Brightness></ImagingSettings>"
                              "<ForcePersistence>maybe</ForcePersistence>"));
    EXPECT_EQ("env:Sender ter:InvalidArgVal ", stAnswer.fault());
    EXPECT_EQ(61, key(34));
}

TEST_F(OnvifSoapTest, TheDeviceDescribesOneSourceAndProfilePerChannel) {
    Answer stAnswer = send("/onvif/device_service", soap("<GetServices " + std::string(DEV) +
                                                         "><IncludeCapability>true</IncludeCapability>"
                                                         "</GetServices>"));
    std::string strNamespaces = all(stAnswer.root(), "Namespace");
    EXPECT_EQ(
        "http://www.onvif.org/ver10/device/wsdl http://www.onvif.org/ver10/media/wsdl "
        "http://www.onvif.org/ver20/imaging/wsdl ",
        strNamespaces)
        << "no Media2";
    EXPECT_EQ("http://127.0.0.1:8080/onvif/imaging_service ",
              all(stAnswer.root(), "XAddr").substr(all(stAnswer.root(), "XAddr").rfind("http")));

    stAnswer = send("/onvif/media_service", soap("<GetProfiles xmlns=\"http://www.onvif.org/ver10/media/wsdl\"/>"));
    EXPECT_EQ("VideoSource_1 VideoSource_2 ", all(stAnswer.root(), "SourceToken"));
    EXPECT_EQ("H264 H264 ", all(stAnswer.root(), "Encoding"));
    stAnswer = send("/onvif/media_service", soap("<GetVideoSources xmlns=\"http://www.onvif.org/ver10/media/wsdl\"/>"));
    EXPECT_EQ("25 25 ", all(stAnswer.root(), "Framerate"));

    stAnswer = send("/onvif/device_service", soap("<GetSystemDateAndTime " + std::string(DEV) + "/>"));
    EXPECT_FALSE(find(stAnswer.root(), "Year").empty()) << stAnswer.strBody;
}

TEST_F(OnvifSoapTest, FocusMovesReachTheLens) {
    Answer stAnswer = imaging(source("GetMoveOptions"));
    EXPECT_EQ("0 -4095 ", all(stAnswer.root(), "Min"));
    EXPECT_EQ("4095 4095 ", all(stAnswer.root(), "Max"));
    ASSERT_EQ("", imaging(source("Move", "<Focus><Absolute><Position>1000</Position></Absolute></Focus>")).fault());
    ASSERT_EQ("", imaging(source("Move", "<Focus><Relative><Distance>-10</Distance></Relative></Focus>")).fault());
    ASSERT_EQ("", imaging(source("Stop")).fault());
    stAnswer = imaging(source("GetStatus"));
    EXPECT_EQ("990 ", find(stAnswer.root(), "Position"));
    EXPECT_EQ("IDLE ", find(stAnswer.root(), "MoveStatus"));
}

TEST_F(OnvifSoapTest, TheDigestIsCheckedWithItsEdgeCases) {
    build(true);
    const std::string strNonce = "0123456789abcdef";
    const std::string strNow = "2026-01-02T03:00:00Z";
    const std::string strSource = source("GetImagingSettings");
    const std::string strFault = "env:Sender ter:NotAuthorized ";
    // A digest computed elsewhere (Python's hashlib) for these inputs.
    EXPECT_EQ("8gBWPoUqrWQQlpDO5tjGeI5QgIU=",
              onvifPasswordDigest(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f", 16),
                                  "2026-01-02T03:04:05Z", "s3cret"));

    const struct {
        const char* szWhy;
        std::string strHeader;
        bool bAccepted;
    } CASES[] = {
        {"no header", "", false},
        {"the right digest", token("admin", "s3cret", strNonce, strNow), true},
        {"its nonce again", token("admin", "s3cret", strNonce, strNow), false},
        {"the nonce again, created later", token("admin", "s3cret", strNonce, "2026-01-02T03:00:01Z"), false},
        {"a fraction of a second", token("admin", "s3cret", "n2", "2026-01-02T03:00:00.125Z"), true},
        {"just within the window before", token("admin", "s3cret", "n3", "2026-01-02T02:55:00Z"), true},
        {"just within the window after", token("admin", "s3cret", "n4", "2026-01-02T03:05:00Z"), true},
        {"a second too old", token("admin", "s3cret", "n5", "2026-01-02T02:54:59Z"), false},
        {"a second too new", token("admin", "s3cret", "n6", "2026-01-02T03:05:01Z"), false},
        {"a time zone offset", token("admin", "s3cret", "n7", "2026-01-02T03:00:00+00:00"), false},
        {"not a time", token("admin", "s3cret", "n8", "yesterday"), false},
        {"a wrong password", token("admin", "s3cret!", "n9", strNow), false},
        {"a wrong user", token("root", "s3cret", "n10", strNow), false},
        {"a plain-text password", token("admin", "s3cret", "n11", strNow, "#PasswordText"), false},
        {"an empty nonce", token("admin", "s3cret", "", strNow), false},
        {"a nonce that is not Base64",
         "<Security><UsernameToken><Username>admin</Username><Password "
         "Type=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-"
         "profile-1.0#PasswordDigest\">x</Password><Nonce>*</Nonce><Created>" +
             strNow + "</Created></UsernameToken></Security>",
         false},
    };
    for (const auto& k : CASES) {
        Answer stAnswer = imaging(strSource, k.strHeader);
        EXPECT_EQ(k.bAccepted ? "" : strFault, stAnswer.fault()) << k.szWhy << ": " << stAnswer.strBody;
        EXPECT_EQ(k.bAccepted ? 200 : 400, stAnswer.nStatus) << k.szWhy;
    }
    // The clock needs no credentials; a nonce is free again once its Created has left the window.
    EXPECT_EQ("", send("/onvif/device_service", soap("<GetSystemDateAndTime " + std::string(DEV) + "/>")).fault());
    m_tNow = NOW + OnvifAuth::WINDOW_SECONDS + 1;
    EXPECT_EQ("", imaging(strSource, token("admin", "s3cret", strNonce, "2026-01-02T03:05:01Z")).fault());
}

TEST_F(OnvifSoapTest, WithoutAConfiguredUserEveryRequestButTheClockIsRefused) {
    m_pAuth.reset(new OnvifAuth({"", ""}, [this] { return m_tNow; }));
    m_pService.reset(new OnvifService(
        *m_pCamera, [this](int p_nChannel) -> std::mutex& { return m_aLocks[p_nChannel - 1]; }, m_pAuth.get()));
    m_pSite.reset(new SimServerSite(siteAccess("127.0.0.1", 8080, {}, "")));
    mountOnvifRoutes(*m_pSite, *m_pService);
    EXPECT_EQ("env:Sender ter:NotAuthorized ",
              imaging(source("GetOptions"), token("", "", "n", "2026-01-02T03:00:00Z")).fault());
    EXPECT_EQ("", send("/onvif/device_service", soap("<GetSystemDateAndTime " + std::string(DEV) + "/>")).fault());
}

}  // namespace

namespace {

TEST(OnvifCredentials, FromAFileOrTheEnvironment) {
    testsupport::TempDeviceRoot objDir;
    const struct {
        const char* szContent;  // null: no file
        const char* szUser;     // null: refused
        const char* szPassword;
    } CASES[] = {
        {"admin:pa:ss\n", "admin", "pa:ss"}, {"admin:s3cret\r\nmore\n", "admin", "s3cret"},
        {":s3cret\n", nullptr, nullptr},     {"admin:\n", nullptr, nullptr},
        {"admin\n", nullptr, nullptr},       {nullptr, nullptr, nullptr},
    };
    for (const auto& k : CASES) {
        std::string strFile = objDir.host("/onvif-user");
        if (k.szContent != nullptr) testsupport::writeHostFile(strFile, k.szContent);
        OnvifCredentials stUser;
        std::string strError;
        EXPECT_EQ(k.szUser != nullptr, loadOnvifCredentials(strFile, stUser, strError))
            << (k.szContent ? k.szContent : "no file");
        if (k.szUser != nullptr) {
            EXPECT_EQ(k.szUser, stUser.strUser);
            EXPECT_EQ(k.szPassword, stUser.strPassword);
        } else {
            EXPECT_FALSE(strError.empty());
        }
        objDir.remove("/onvif-user");
    }
    OnvifCredentials stUser;
    std::string strError;
    ::unsetenv("IMAGETUNE_ONVIF_USER");
    ::setenv("IMAGETUNE_ONVIF_PASSWORD", "pw", 1);
    EXPECT_FALSE(loadOnvifCredentials("", stUser, strError));
    ::setenv("IMAGETUNE_ONVIF_USER", "op", 1);
    ASSERT_TRUE(loadOnvifCredentials("", stUser, strError)) << strError;
    EXPECT_EQ("op", stUser.strUser);
    EXPECT_EQ("pw", stUser.strPassword);
    ::unsetenv("IMAGETUNE_ONVIF_USER");
    ::unsetenv("IMAGETUNE_ONVIF_PASSWORD");
}

}  // namespace
