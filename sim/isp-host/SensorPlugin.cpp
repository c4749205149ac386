// Loading a sensor plug-in the way the ISP host does: by path, then the exported record by name.
#include <dlfcn.h>

#include "IspHost.h"

namespace isphost {

SensorPlugin::~SensorPlugin() {
    close();
}

bool SensorPlugin::open(const std::string& p_strPath) {
    close();
    m_pHandle = dlopen(p_strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_pHandle) {
        const char* szWhy = dlerror();
        m_strError = szWhy ? szWhy : "dlopen failed";
        return false;
    }
    m_pRecord = static_cast<sensor_module_st*>(dlsym(m_pHandle, "gst_sensor"));
    if (!m_pRecord) {
        m_strError = "no gst_sensor in " + p_strPath;
        close();
        return false;
    }
    m_pVersionString = static_cast<const char*>(dlsym(m_pHandle, "sstar_mi_so_version_string"));
    m_strError.clear();
    return true;
}

void SensorPlugin::close() {
    m_pRecord = nullptr;
    m_pVersionString = nullptr;
    if (m_pHandle) dlclose(m_pHandle);
    m_pHandle = nullptr;
}

// Each operation guards against a record without the entry, as the host must not jump through zero.
int SensorPlugin::initAe(int p_nArg) {
    return m_pRecord && m_pRecord->pfn_init_ae ? m_pRecord->pfn_init_ae(p_nArg) : -1;
}

int SensorPlugin::setFpsByPower(int p_nPad) {
    return m_pRecord && m_pRecord->pfn_set_fps_by_power ? m_pRecord->pfn_set_fps_by_power(p_nPad) : -1;
}

int SensorPlugin::reserved1(int p_nArg) {
    return m_pRecord && m_pRecord->pfn_reserved1 ? m_pRecord->pfn_reserved1(p_nArg) : -1;
}

int SensorPlugin::reserved2() {
    return m_pRecord && m_pRecord->pfn_reserved2 ? m_pRecord->pfn_reserved2() : -1;
}

int SensorPlugin::getInfo(char* p_szPlatform, char* p_szSensor, char* p_szIdent, char* p_szBuild) {
    if (!m_pRecord || !m_pRecord->pfn_get_info) return -1;
    return m_pRecord->pfn_get_info(p_szPlatform, p_szSensor, p_szIdent, p_szBuild);
}

int SensorPlugin::checkVersion(const char* p_szPlatform, const char* p_szVersion) {
    if (!m_pRecord || !m_pRecord->pfn_check_version) return -1;
    return m_pRecord->pfn_check_version(p_szPlatform, p_szVersion);
}

int SensorPlugin::setMode(int p_nParam0, int p_nParam1, unsigned p_nFps, int p_nMode) {
    if (!m_pRecord || !m_pRecord->pfn_set_mode) return -1;
    return m_pRecord->pfn_set_mode(p_nParam0, p_nParam1, p_nFps, p_nMode);
}

int SensorPlugin::splitGain(unsigned p_nTotal, unsigned* p_pSensor, unsigned* p_pDigital, unsigned* p_pIsp) {
    if (!m_pRecord || !m_pRecord->pfn_split_gain) return -1;
    return m_pRecord->pfn_split_gain(p_nTotal, p_pSensor, p_pDigital, p_pIsp);
}

}  // namespace isphost
