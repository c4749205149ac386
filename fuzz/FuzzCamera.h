// A started simulated camera in the fuzz root, seeded as "imagetune-sim serve" seeds a new one: what the targets
// of serve's endpoints share.
#ifndef IMAGETUNE_FUZZ_FUZZCAMERA_H
#define IMAGETUNE_FUZZ_FUZZCAMERA_H

#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "SimCamera.h"
#include "SimDevice.h"

inline std::unique_ptr<SimCamera> startFuzzCamera(int p_nChannels, SimOutput& p_objOut) {
    SimDeviceOptions stDevice;
    stDevice.strRoot = fuzzsupport::hostPath("/camera");
    stDevice.nChannels = p_nChannels;
    bool bSeeded = false;
    std::string strRoot, strError;
    p_objOut.setQuiet(true);
    std::unique_ptr<SimCamera> pCamera(new SimCamera(p_nChannels, false, p_objOut));
    if (!prepareDeviceRoot(stDevice, findFixturesDir(), bSeeded, strRoot, strError) ||
        !pCamera->start(moduleDetail(stDevice), strError)) {
        fuzzsupport::fail("the camera does not start", strError);
    }
    return pCamera;
}

#endif
