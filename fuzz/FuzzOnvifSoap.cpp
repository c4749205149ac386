// The ONVIF endpoint of "imagetune-sim serve": envelopes, actions and their arguments through the site's rules to
// the device, media and imaging services of a started simulated camera.
// Input: one byte (bits 0-1: the service path, bit 2: WS-Security asked for), then the envelope.
// Invariants: every answer is a 200 or a 4xx/5xx SOAP document that parses; a fault changes no key of the
// imaging fields; without a valid digest nothing but the clock is answered.
#include <tinyxml.h>

#include <memory>
#include <mutex>
#include <string>

#include "FuzzCamera.h"
#include "FuzzSupport.h"
#include "IaSimControl.h"
#include "OnvifImaging.h"
#include "OnvifService.h"

namespace {

const char* const PATHS[] = {"/onvif/device_service", "/onvif/media_service", "/onvif/imaging_service",
                             "/onvif/ptz_service"};

struct Server {
    SimOutput objOut{stderr, stderr};
    std::unique_ptr<SimCamera> pCamera;
    std::mutex aLocks[2];
    std::unique_ptr<OnvifAuth> pAuth;
    std::unique_ptr<OnvifService> apServices[2];
    std::unique_ptr<SimServerSite> apSites[2];
};

Server& server() {
    static Server* s_pServer = [] {
        fuzzsupport::setUp();
        Server* pServer = new Server;
        pServer->pCamera = startFuzzCamera(2, pServer->objOut);
        // Nothing here reads the IA call log: a log that grows with every input would look like a leak.
        iasim::setLogging(false);
        // A fixed clock, so that a seed's digest stays valid.
        pServer->pAuth.reset(new OnvifAuth({"admin", "s3cret"}, [] { return static_cast<time_t>(1767322800); }));
        for (int i = 0; i < 2; ++i) {
            pServer->apServices[i].reset(new OnvifService(
                *pServer->pCamera, [pServer](int p_nChannel) -> std::mutex& { return pServer->aLocks[p_nChannel - 1]; },
                i ? pServer->pAuth.get() : nullptr));
            pServer->apSites[i].reset(new SimServerSite(siteAccess("127.0.0.1", 8080, {}, "")));
            mountOnvifRoutes(*pServer->apSites[i], *pServer->apServices[i]);
        }
        return pServer;
    }();
    return *s_pServer;
}

// The keys behind the imaging fields of both channels, as pair text.
std::string imagingKeys(SimCamera& p_objCamera) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    std::string strValues;
    for (int c = 1; c <= 2; ++c) {
        for (size_t i = 0; i < nFields; ++i) {
            int nValue = 0;
            p_objCamera.channel(c).getParameter(pFields[i].nKey, nValue);
            strValues += std::to_string(nValue) + ",";
        }
        int nFocus = 0;
        p_objCamera.channel(c).getFocusValue(nFocus);
        strValues += std::to_string(nFocus) + ";";
    }
    return strValues;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) return 0;
    Server& objServer = server();
    const bool bAuth = (p_pData[0] & 4) != 0;
    SimHttpRequest stRequest;
    stRequest.strMethod = "POST";
    stRequest.strPath = PATHS[p_pData[0] & 3];
    stRequest.vecHeaders = {{"Host", "127.0.0.1:8080"}, {"Content-Type", "application/soap+xml; charset=utf-8"}};
    stRequest.strBody.assign(reinterpret_cast<const char*>(p_pData) + 1, p_nSize - 1);

    std::string strBefore = imagingKeys(*objServer.pCamera);
    SimHttpReply stReply = objServer.apSites[bAuth ? 1 : 0]->handle(stRequest);
    int nStatus = stReply.nStatus;
    FUZZ_CHECK(nStatus == 200 || (nStatus >= 400 && nStatus <= 599), std::to_string(nStatus));
    if (stReply.strType.compare(0, 20, "application/soap+xml") == 0) {
        TiXmlDocument objDoc;
        objDoc.Parse(stReply.strBody.c_str());
        FUZZ_CHECK(!objDoc.Error() && objDoc.RootElement() != nullptr, stReply.strBody);
        bool bFault = stReply.strBody.find("<env:Fault>") != std::string::npos;
        FUZZ_CHECK(bFault == (nStatus != 200), stReply.strBody);
        if (bFault) FUZZ_CHECK(imagingKeys(*objServer.pCamera) == strBefore, stReply.strBody);
        if (bAuth && nStatus == 200) {
            FUZZ_CHECK(stReply.strBody.find("GetSystemDateAndTimeResponse") != std::string::npos ||
                           stRequest.strBody.find("Security") != std::string::npos,
                       stReply.strBody);
        }
    }
    return 0;
}
