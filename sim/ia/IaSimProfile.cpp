#include <cstring>

#include "IaSimState.h"
#include "ia_ctrl.h"

namespace iasim {

namespace {

template <typename T>
std::vector<unsigned char> bytesOf(const T& p_stRecord) {
    std::vector<unsigned char> vecBytes(sizeof(T));
    std::memcpy(vecBytes.data(), &p_stRecord, sizeof(T));
    return vecBytes;
}

}  // namespace

DynamicParam listParam(int32_t p_nCmd, int32_t p_nDefVal, const std::vector<int32_t>& p_vecItems) {
    DynamicParam stParam;
    stParam.nCmd = p_nCmd;
    stParam.nAttrType = 0;
    stParam.nDefVal = p_nDefVal;
    stParam.nMinVal = p_vecItems.empty() ? 0 : p_vecItems.front();
    stParam.nMaxVal = p_vecItems.empty() ? 0 : p_vecItems.back();
    stParam.vecItems = p_vecItems;
    return stParam;
}

Profile defaultProfile() {
    Profile stProfile;
    // Shutter limits are 1/x s; the iris position is 0 (closed) to 255; the focus near limit is in cm.
    stProfile.vecDynamic = {
        listParam(49, 25, {25, 30, 50, 60, 100, 120, 150, 180, 250, 500, 1000, 2000, 4000, 10000}),  // max shutter
        listParam(50, 50, {25, 30, 50, 60, 100, 120, 150, 180, 250, 500, 1000, 2000, 4000, 10000}),  // fix shutter
        listParam(51, 100000, {1000, 2000, 4000, 8000, 10000, 20000, 50000, 100000}),                // min shutter
        listParam(55, 1000, {250, 500, 1000, 2000, 4000, 10000}),      // min shutter at night
        listParam(56, 12, {1, 2, 3, 6, 12, 25, 30}),                   // max shutter at night
        listParam(82, 128, {0, 32, 64, 96, 128, 160, 192, 224, 255}),  // iris position
        listParam(1537, 100, {10, 30, 50, 100, 150, 300, 500, 1000}),  // auto focus near limit
        listParam(2368, 0, {0, 1, 2}),                                 // WDR mode: off, on, auto
    };
    stProfile.vecValues = {
        {16, 0},        // exposure mode: auto
        {34, 50},       // brightness
        {65, 60},       // max gain
        {80, 1},        // auto iris on
        {81, 3},        // iris speed
        {113, 50},      // HLC strength
        {130, 50},      // BLC strength
        {144, 0},       // day/night mode: auto
        {147, 5},       // day/night delay, s
        {153, 0},       // day/night state: day
        {770, 128},     // red gain
        {771, 128},     // blue gain
        {1552, 2048},   // focus motor position
        {1568, 16384},  // zoom motor position: 1x
        {1603, 2048},   // focus
        {1607, 38},     // sensor temperature, degrees C
        {2321, 50},     // sharpness
        {2337, 50},     // saturation
        {2353, 50},     // contrast
        {2369, 50},     // WDR strength
        {2401, 50},     // defog strength
        {2464, 25},     // sensor frame rate
        {2528, 50},     // gamma
    };
    const dn_thr_st stThr = {20, 60, 5};
    const dn_time_st stTime = {18, 0, 6, 0};
    const ia_ae_info_st stAe = {20000, 16, 300};
    stProfile.vecRecords = {
        {145, bytesOf(stThr)},  {146, bytesOf(stThr)},  {154, bytesOf(stThr)},  {149, bytesOf(stTime)},
        {150, bytesOf(stTime)}, {151, bytesOf(stTime)}, {152, bytesOf(stTime)}, {IA_CMD_AE_INFO, bytesOf(stAe)},
    };
    stProfile.strVersion = "IASIM V1.0.0 build 1";
    return stProfile;
}

}  // namespace iasim
