// What the command line needs beyond the public operations: to keep the background thread stopped and run
// its passes itself on the simulated clock, so that a session prints the same every time.
#ifndef IMAGETUNE_TOOLS_SIMSEAM_H
#define IMAGETUNE_TOOLS_SIMSEAM_H

#include "ISensorController.h"

class ISensorControllerTestAccess {
public:
    static void stopThread(ISensorController& c) {
        if (c.m_pSensorThread != nullptr) c.m_pSensorThread->stop();
    }
    // One pass of the thread body on the calling thread, which holds no controller lock.
    static void runPass(ISensorController& c) { c.sensorPass(ISensorController::PASS_WAIT_LOCK); }
    static u32 schemeSum(const ISensorController& c) { return c.m_stSysConf.nSchemeSum; }
    static bool thermal(const ISensorController& c) { return c.m_bThermal; }
    static int cameraID(const ISensorController& c) { return c.m_nCameraID; }
    static bool timeSchemeMode(const ISensorController& c) { return c.m_bTimeSchemeMode; }
    static bool dnSchemeMode(const ISensorController& c) { return c.m_bDNSchemeMode; }
};

#endif
