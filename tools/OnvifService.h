// The ONVIF endpoint of "imagetune-sim serve", under /onvif/ with rules of its own: SOAP 1.2 POSTs
// (application/soap+xml) to the device service (/onvif/device_service), the media service ver10
// (/onvif/media_service) and the imaging service ver20 (/onvif/imaging_service). One video source and one profile
// per channel. The imaging fields go through the mapping library (OnvifImaging.h).
//
// Every bad request is a SOAP fault with the standard subcodes, answered before anything changes. With
// authentication on, every request but GetSystemDateAndTime needs a WS-UsernameToken digest (OnvifAuth.h).
// A request on a channel holds that channel's lock, the one the JSON API's requests of that channel hold.
#ifndef IMAGETUNE_TOOLS_ONVIFSERVICE_H
#define IMAGETUNE_TOOLS_ONVIFSERVICE_H

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "OnvifAuth.h"
#include "OnvifSoap.h"
#include "SimCamera.h"
#include "SimServerSite.h"

class OnvifService {
public:
    typedef std::function<std::mutex&(int p_nChannel)> ChannelLock;

    // p_pAuth: null when requests need no authentication. Keeps references to the camera and p_pAuth.
    OnvifService(SimCamera& p_objCamera, ChannelLock p_fnChannelLock, OnvifAuth* p_pAuth);

    SimHttpReply handle(const SimHttpRequest& p_stRequest);

private:
    struct Call;
    std::string device(Call& p_call);
    std::string media(Call& p_call);
    std::string imaging(Call& p_call);

    std::string imagingSettings(int p_nChannel);
    std::string setImagingSettings(Call& p_call, int p_nChannel);
    std::string imagingOptions(int p_nChannel);
    std::string moveOptions(int p_nChannel);
    std::string move(Call& p_call, int p_nChannel);
    std::string capabilities(const std::string& p_strBase, const std::string& p_strCategory);
    std::string services(const std::string& p_strBase, bool p_bCapabilities);
    std::string imagingCapabilities();
    bool stabilisationOffered();
    // The channel a VideoSourceToken names; throws the NoSource fault otherwise.
    int channelOf(Call& p_call);

    SimCamera& m_objCamera;
    ChannelLock m_fnChannelLock;
    OnvifAuth* m_pAuth;
};

// Mounts the endpoint under /onvif/: the Host and Origin rules of the page (no other site's page may drive the
// camera), no token and no JSON rule (SOAP has its own content type and WS-Security), envelopes up to
// onvifsoap::MAX_ENVELOPE_BYTES.
void mountOnvifRoutes(SimServerSite& p_objSite, OnvifService& p_objService);

#endif
