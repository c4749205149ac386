// A stand-in for the camera's ISP host: it defines what a sensor plug-in imports (the AE and PO parameter
// blocks, the mains-frequency query, the SoC's sensor frame-rate calls), records those calls, and loads a
// plug-in with dlopen to call its operations.
#ifndef IMAGETUNE_SIM_ISPHOST_ISPHOST_H
#define IMAGETUNE_SIM_ISPHOST_ISPHOST_H

#include <string>
#include <vector>

#include "sensor_isp_host.h"
#include "sensor_module.h"

namespace isphost {

enum class HostCallKind { GetFps, PowerHz, SetFps };

// One call a plug-in made into the host; nFps is the rate set (SetFps) or 0.
struct HostCall {
    HostCallKind eKind;
    int nPad;
    unsigned nFps;
    bool operator==(const HostCall& p_other) const {
        return eKind == p_other.eKind && nPad == p_other.nPad && nFps == p_other.nFps;
    }
};

// Clears the call log and the parameter blocks; mains 50 Hz, sensor at 25 fps, MI_SNR_SetFps returns 0.
void reset();
void setMainsHz(int p_nHz);
void setSensorFps(unsigned p_nFps);   // what MI_SNR_GetFps reports
void setSetFpsResult(int p_nResult);  // what MI_SNR_SetFps returns
unsigned sensorFps();                 // the last rate MI_SNR_SetFps accepted
std::vector<HostCall> calls();

// One loaded plug-in. Operations return -1 while none is loaded.
class SensorPlugin {
public:
    SensorPlugin() = default;
    ~SensorPlugin();
    SensorPlugin(const SensorPlugin&) = delete;
    SensorPlugin& operator=(const SensorPlugin&) = delete;

    // dlopen with every symbol bound now, so a missing host symbol fails here. Closes a previous one.
    bool open(const std::string& p_strPath);
    void close();
    bool isOpen() const { return m_pRecord != nullptr; }
    const std::string& error() const { return m_strError; }

    void* handle() const { return m_pHandle; }
    sensor_module_st* record() const { return m_pRecord; }
    sensor_ae_attr_st* ae() const { return m_pRecord ? m_pRecord->ae_attr : nullptr; }
    const char* versionString() const { return m_pVersionString; }

    int initAe(int p_nArg = 0);
    int setFpsByPower(int p_nPad);
    int reserved1(int p_nArg);
    int reserved2();
    int getInfo(char* p_szPlatform, char* p_szSensor, char* p_szIdent, char* p_szBuild);
    int checkVersion(const char* p_szPlatform, const char* p_szVersion);
    int setMode(int p_nParam0, int p_nParam1, unsigned p_nFps, int p_nMode);
    int splitGain(unsigned p_nTotal, unsigned* p_pSensor, unsigned* p_pDigital, unsigned* p_pIsp);

private:
    void* m_pHandle = nullptr;
    sensor_module_st* m_pRecord = nullptr;
    const char* m_pVersionString = nullptr;
    std::string m_strError;
};

}  // namespace isphost

#endif
