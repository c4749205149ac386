// The host's side of the plug-in contract, with a call log for the tests.
#include <cstring>
#include <mutex>

#include "IspHost.h"

extern "C" {
isp_ae_params_st gst_ae_params;
isp_po_params_st gst_po_params;
}

namespace {

struct HostState {
    std::mutex objMutex;
    int nMainsHz = 50;
    unsigned nSensorFps = 25;
    int nSetFpsResult = 0;
    std::vector<isphost::HostCall> vecCalls;
};

// Plug-ins may call in from any host thread; every member is guarded by objMutex.
HostState& state() {
    static HostState s_state;
    return s_state;
}

}  // namespace

extern "C" int machine_power_hz_get(int pad) {
    HostState& st = state();
    std::lock_guard<std::mutex> guard(st.objMutex);
    st.vecCalls.push_back({isphost::HostCallKind::PowerHz, pad, 0});
    return st.nMainsHz;
}

extern "C" int MI_SNR_GetFps(int pad, unsigned* fps) {
    HostState& st = state();
    std::lock_guard<std::mutex> guard(st.objMutex);
    st.vecCalls.push_back({isphost::HostCallKind::GetFps, pad, 0});
    if (!fps) return -1;
    *fps = st.nSensorFps;
    return 0;
}

extern "C" int MI_SNR_SetFps(int pad, unsigned fps) {
    HostState& st = state();
    std::lock_guard<std::mutex> guard(st.objMutex);
    st.vecCalls.push_back({isphost::HostCallKind::SetFps, pad, fps});
    if (st.nSetFpsResult == 0) st.nSensorFps = fps;
    return st.nSetFpsResult;
}

namespace isphost {

void reset() {
    HostState& st = state();
    std::lock_guard<std::mutex> guard(st.objMutex);
    st.nMainsHz = 50;
    st.nSensorFps = 25;
    st.nSetFpsResult = 0;
    st.vecCalls.clear();
    std::memset(&gst_ae_params, 0, sizeof gst_ae_params);
    std::memset(&gst_po_params, 0, sizeof gst_po_params);
}

void setMainsHz(int p_nHz) {
    std::lock_guard<std::mutex> guard(state().objMutex);
    state().nMainsHz = p_nHz;
}

void setSensorFps(unsigned p_nFps) {
    std::lock_guard<std::mutex> guard(state().objMutex);
    state().nSensorFps = p_nFps;
}

void setSetFpsResult(int p_nResult) {
    std::lock_guard<std::mutex> guard(state().objMutex);
    state().nSetFpsResult = p_nResult;
}

unsigned sensorFps() {
    std::lock_guard<std::mutex> guard(state().objMutex);
    return state().nSensorFps;
}

std::vector<HostCall> calls() {
    std::lock_guard<std::mutex> guard(state().objMutex);
    return state().vecCalls;
}

}  // namespace isphost
