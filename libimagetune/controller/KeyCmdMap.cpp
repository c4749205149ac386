// The key-command map: which IA command and which handler apply each parameter key.
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "Diagnostics.h"
#include "ISensorController.h"
#include "KeyIndex.h"

#define H(fn) &ISensorController::fn, "&ISensorController::" #fn
// Keys that setParameters settles itself (scheme header, placeholders, light-type twins): never dispatched.
#define NOH nullptr, "NULL"

// clang-format off
const ISensorController::KeyCmdRow ISensorController::s_astKeyCmdRows[] = {
    {"KEY__DDE_MANUAL_STRG", 8240, 8240, H(doIaCmd)},  // 0
    {"KEY_BRIGHTNESS", 34, 34, H(doIaCmd)},  // 1
    {"KEY_SATURATION", 2337, 2337, H(doIaCmd)},  // 2
    {"KEY_CONTRAST", 2353, 2353, H(doIaCmd)},  // 3
    {"KEY_SHARPNESS", 2321, 2321, H(doIaCmd)},  // 4
    {"KEY_METER_AREA", 96, 96, H(doIaCmd)},  // 5
    {"KEY_EXPOSE_MODE", 16, 16, H(doIaCmd)},  // 6
    {"KEY_MAX_SHUTTER", 49, 49, H(doIaCmd)},  // 7
    {"KEY_FIX_SHUTTER", 50, 50, H(doIaCmd)},  // 8
    {"KEY_MIN_SHUTTER", 51, 51, H(doIaCmd)},  // 9
    {"KEY_TRAFFIC_LEVEL", 52, 52, H(doIaCmd)},  // 10
    {"KEY_MIN_SHUTTER_NIGHT", 55, 55, H(doIaCmd)},  // 11
    {"KEY_MAX_SHUTTER_NIGHT", 56, 56, H(doIaCmd)},  // 12
    {"KEY_MAX_GAIN_NIGHT", 57, 57, H(doIaCmd)},  // 13
    {"KEY_MAX_GAIN", 65, 65, H(doIaCmd)},  // 14
    {"KEY_FIX_GAIN", 66, 66, H(doIaCmd)},  // 15
    {"KEY_IRIS_SWITCH", 80, 80, H(doIaCmd)},  // 16
    {"KEY_IRIS_SPEED", 81, 81, H(doIaCmd)},  // 17
    {"KEY_IRIS_POSITION", 82, 82, H(doIaCmd)},  // 18
    {"KEY_IRIS_SIZE", 83, 85, H(doIaCmd)},  // 19
    {"KEY_IRIS_UP", 17, 83, H(doIaCmd_User)},  // 20: IA command of the iris steps
    {"KEY_IRIS_DOWN", 18, 84, H(doIaCmd_User)},  // 21
    {"KEY_WB_MODE", 768, 768, H(doIaCmd)},  // 22
    {"KEY_R_GAIN", 770, 770, H(doIaCmd)},  // 23
    {"KEY_B_GAIN", 771, 771, H(doIaCmd)},  // 24
    {"KEY_DN_MODE", 144, 144, H(doIaCmd)},  // 25
    {"KEY_DELAY", 147, 147, H(doIaCmd)},  // 26
    {"KEY_IR_SWITCH", 160, 160, H(doIaCmd)},  // 27
    {"KEY_IR_MODE", 161, 161, H(doIaCmd)},  // 28
    {"KEY_IR_AUTO_STRG_NEAR", 162, 162, H(doIaCmd)},  // 29
    {"KEY_IR_MANUAL_STRG_NEAR", 163, 163, H(doIaCmd)},  // 30
    {"KEY_IR_AUTO_STRG_MEDIUM", 164, 164, H(doIaCmd)},  // 31
    {"KEY_IR_MANUAL_STRG_MEDIUM", 165, 165, H(doIaCmd)},  // 32
    {"KEY_IR_AUTO_STRG_FAR", 166, 166, H(doIaCmd)},  // 33
    {"KEY_IR_MANUAL_STRG_FAR", 167, 167, H(doIaCmd)},  // 34
    {"KEY_IR_ANTI_OVEREXP", 155, 155, H(doIaCmd)},  // 35
    {"KEY_WHITE_SWITCH", 170, 168, H(doIaCmd)},  // 36: white-light keys 170-174 are IA 168-172
    {"KEY_WHITE_MODE", 171, 169, H(doIaCmd)},  // 37
    {"KEY_WHITE_MANUAL_STRG", 172, 170, H(doIaCmd)},  // 38
    {"KEY_WHITE_MANUAL_STRG_MEDIUM", 173, 171, H(doIaCmd)},  // 39
    {"KEY_WHITE_MANUAL_STRG_FAR", 174, 172, H(doIaCmd)},  // 40
    {"KEY_2D_NR_SWITCH", 2304, 2304, H(doIaCmd)},  // 41
    {"KEY_2D_NR_MODE", 2305, 2305, H(doIaCmd)},  // 42
    {"KEY_2D_NR_STRG_A", 2306, 2306, H(doIaCmd)},  // 43
    {"KEY_2D_NR_STRG_M", 2307, 2307, H(doIaCmd)},  // 44
    {"KEY_3D_NR_SWITCH", 2308, 2308, H(doIaCmd)},  // 45
    {"KEY_3D_NR_MODE", 2309, 2309, H(doIaCmd)},  // 46
    {"KEY_3D_NR_STRG_A", 2312, 2312, H(doIaCmd)},  // 47
    {"KEY_3D_NR_STRG_M", 2313, 2313, H(doIaCmd)},  // 48
    {"KEY_WDR_MODE", 2368, 2368, H(doHwdr)},  // 49
    {"KEY_WDR_STRG", 2369, 2369, H(doIaCmd)},  // 50
    {"KEY_HLC_SWITCH", 112, 112, H(doIaCmd)},  // 51
    {"KEY_HLC_STRG", 113, 113, H(doIaCmd)},  // 52
    {"KEY_BLC_SWITCH", 128, 128, H(doIaCmd)},  // 53
    {"KEY_BLC_MODE", 129, 129, H(doIaCmd)},  // 54
    {"KEY_BLC_STRG", 130, 130, H(doIaCmd)},  // 55
    {"KEY_ANTI_SHAKE_SWITCH", 2416, 2416, H(doDIS)},  // 56
    {"KEY_ANTI_SHAKE_STRG", 2417, 2417, H(doIaCmd)},  // 57
    {"KEY_DEFLG_SWITCH", 2400, 2400, H(doIaCmd)},  // 58
    {"KEY_DEFLG_STRG", 2401, 2401, H(doIaCmd)},  // 59
    {"KEY_IN_OUT_SIDE", 176, 176, H(doIaCmd)},  // 60
    {"KEY_TEST_PARAM1", 190, 190, H(test_debugParam)},  // 61
    {"KEY_TEST_PARAM2", 191, 191, H(test_debugParam)},  // 62
    {"KEY_TEST_PARAM3", 192, 192, H(test_debugParam)},  // 63
    {"KEY_TEST_PARAM4", 193, 193, H(test_debugParam)},  // 64
    {"KEY_MIRROR", 2384, 2384, H(doMirror)},  // 65
    {"KEY_BEAWAY", 2385, 2385, H(doBeaway)},  // 66
    {"KEY_FISHEYE_ROTATE", 2386, 2386, H(doFisheyeRotate)},  // 67
    {"KEY_DTN_THR", 145, 145, H(doDNThr)},  // 68
    {"KEY_NTD_THR", 146, 146, H(doDNThr)},  // 69
    {"KEY_DN_SENSITIVITY", 154, 154, H(doDNThr)},  // 70
    {"KEY_DTN_H", 149, 149, H(doDNTime)},  // 71
    {"KEY_DTN_M", 150, 150, H(doDNTime)},  // 72
    {"KEY_NTD_H", 151, 151, H(doDNTime)},  // 73
    {"KEY_NTD_M", 152, 152, H(doDNTime)},  // 74
    {"KEY_AUTO_FOCUS_MODE", 1536, 1536, H(doIaCmd)},  // 75
    {"KEY_AUTO_FOCUS_NEAR_LIMIT", 1537, 1537, H(doIaCmd)},  // 76
    {"KEY_AUTO_FOCUS_SENSITIVITY", 1538, 1538, H(doIaCmd)},  // 77
    {"KEY_AUTO_FOCUS_ONCE", 1539, 1539, H(doIaCmd_User)},  // 78
    {"KEY_LENS_RESET", 1616, 1616, H(doIaCmd_User)},  // 79
    {"KEY_ZOOM_OUT", 1570, 1570, H(doIaCmd_User)},  // 80
    {"KEY_ZOOM_IN", 1569, 1569, H(doIaCmd_User)},  // 81
    {"KEY_FOCUS_NEAR", 1553, 1553, H(doIaCmd_User)},  // 82
    {"KEY_FOCUS_FAR", 1554, 1554, H(doIaCmd_User)},  // 83
    {"KEY_DIGITAL_ZOOM", 1584, 1584, H(doIaCmd)},  // 84
    {"KEY_MZOOM_SPEED", 1571, 1571, H(doIaCmd)},  // 85
    {"KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV", 8104, 8104, H(doIoCrtl)},  // 86
    {"KEY_MIXSTREAM_DISTANCE", 8100, 8100, H(doIaCmd_PanoTuning)},  // 87
    {"KEY_MIXSTREAM_DISTANCE_Y_OFFSET", 8101, 8101, H(doIaCmd_PanoTuning)},  // 88
    {"KEY_MIXSTREAM_DISTANCE_WIDTH_OFFSET", 8102, 8102, H(doIaCmd_PanoTuning)},  // 89
    {"KEY_MIXSTREAM_DISTANCE_HEIGHT_OFFSET", 8103, 8103, H(doIaCmd_PanoTuning)},  // 90
    {"KEY_MIXSTREAM_TYPE", 8105, 8105, H(doIaCmd_PanoTuning)},  // 91
    {"KEY_SCHEME_MODE", 8000, 0, NOH},  // 92: 92-96 scheme header, stored only
    {"KEY_SCHEME_START_HOUR", 8001, 0, NOH},  // 93
    {"KEY_SCHEME_START_MIN", 8002, 0, NOH},  // 94
    {"KEY_SCHEME_END_HOUR", 8003, 0, NOH},  // 95
    {"KEY_SCHEME_END_MIN", 8004, 0, NOH},  // 96
    {"KEY_EMPTY1", 10, 0, NOH},  // 97
    {"KEY_EMPTY2", 11, 0, NOH},  // 98
    {"KEY_EMPTY3", 13, 0, NOH},  // 99
    {"KEY_MF_POSITION", 1552, 1552, H(doIaCmd)},  // 100
    {"KEY_MZ_POSITION", 1568, 1568, H(doIaCmd)},  // 101
    {"KEY_CAP_OFF_ADJ_DIRECTION", 2432, 2432, H(doImageAdjust)},  // 102
    {"KEY_CAP_OFF_ADJ_STEP", 2433, 2433, H(doIaCmd)},  // 103
    {"KEY_CAP_OFF_ADJ_H_MIN", 2434, 2434, H(doIaCmd)},  // 104
    {"KEY_CAP_OFF_ADJ_H_MAX", 2435, 2435, H(doIaCmd)},  // 105
    {"KEY_CAP_OFF_ADJ_H_CUR", 2436, 2436, H(doImageAdjust)},  // 106
    {"KEY_CAP_OFF_ADJ_V_MIN", 2437, 2437, H(doIaCmd)},  // 107
    {"KEY_CAP_OFF_ADJ_V_MAX", 2438, 2438, H(doIaCmd)},  // 108
    {"KEY_CAP_OFF_ADJ_V_CUR", 2439, 2439, H(doImageAdjust)},  // 109
    {"KEY_SENSOR_FPS", 2497, 2464, H(doIaCmd_User)},  // 110: the sensor frame rate is IA 2464
    {"KEY_FREEZE", 2512, 2512, H(doIaCmd)},  // 111
    {"KEY_GAMMA", 2528, 2528, H(doIaCmd)},  // 112
    {"KEY_DN_AF_MODE", 2560, 2560, H(doIaCmd)},  // 113
    {"KEY_NONE_COLOR_MODE", 8201, 8201, H(doIaCmd)},  // 114
    {"KEY_DVE_MODE", 8202, 8202, H(doIaCmd)},  // 115
    {"KEY_AUTO_TIME", 8203, 8203, H(doIaCmd)},  // 116
    {"KEY_AUTO_TEMPR", 8209, 8209, H(doIaCmd)},  // 117
    {"KEY_CONTROL_FFC_MODE", 8204, 8204, H(doIaCmd)},  // 118
    {"KEY_IMAGES_ADJUST", 8205, 8205, H(doIaCmd)},  // 119
    {"KEY_IMAGES_REGULATE", 8206, 8206, H(doIaCmd)},  // 120
    {"KEY_FOCUS_SPEED_LEVEL", 8207, 8207, H(doIaCmd)},  // 121
    {"KEY_DVE_TYPE", 8208, 8208, H(doIaCmd)},  // 122
    {"KEY_SHUTTER_ADJUST", 8211, 8211, H(doIaCmdShutter)},  // 123
    {"KEY_BACKGROUND_ADJUST", 8212, 8212, H(doIaCmd_User)},  // 124
    {"KEY_TEMPERATURE_STRIP_SWITCH", 8217, 8217, H(doIaCmd)},  // 125
    {"IA_CMD_UI_SHUTTER_RESET", 8231, 8231, H(doIaCmd_User)},  // 126
    {"KEY_PANO_STITCH_DIST", 9000, 9000, H(doIaCmd_PanoTuning)},  // 127
    {"KEY_PANO_SAVE", 9001, 9001, H(doIaCmd_PanoTuning)},  // 128
    {"KEY_PANO_RESET", 9002, 9002, H(doIaCmd_PanoTuning)},  // 129
    {"KEY_PANO_PREVIEW", 9003, 9003, H(doIaCmd_PanoTuning)},  // 130
    {"KEY_PANO_ADJUST_EN", 9004, 9004, H(doIaCmd_PanoTuning)},  // 131
    {"KEY_PANO_ID", 9005, 9005, H(doIaCmd_PanoTuning)},  // 132
    {"KEY_PANO_ADJUST_EN_1", 9101, 9101, H(doIaCmd_PanoTuning)},  // 133
    {"KEY_PANO_YAW_1", 9102, 9102, H(doIaCmd_PanoTuning)},  // 134
    {"KEY_PANO_PITCH_1", 9103, 9103, H(doIaCmd_PanoTuning)},  // 135
    {"KEY_PANO_ROLL_1", 9104, 9104, H(doIaCmd_PanoTuning)},  // 136
    {"KEY_PANO_OFFSETX_1", 9105, 9105, H(doIaCmd_PanoTuning)},  // 137
    {"KEY_PANO_OFFSETY_1", 9106, 9106, H(doIaCmd_PanoTuning)},  // 138
    {"KEY_PANO_ADJUST_EN_2", 9201, 9201, H(doIaCmd_PanoTuning)},  // 139
    {"KEY_PANO_YAW_2", 9202, 9202, H(doIaCmd_PanoTuning)},  // 140
    {"KEY_PANO_PITCH_2", 9203, 9203, H(doIaCmd_PanoTuning)},  // 141
    {"KEY_PANO_ROLL_2", 9204, 9204, H(doIaCmd_PanoTuning)},  // 142
    {"KEY_PANO_OFFSETX_2", 9205, 9205, H(doIaCmd_PanoTuning)},  // 143
    {"KEY_PANO_OFFSETY_2", 9206, 9206, H(doIaCmd_PanoTuning)},  // 144
    {"KEY_PANO_ADJUST_EN_3", 9301, 9301, H(doIaCmd_PanoTuning)},  // 145
    {"KEY_PANO_YAW_3", 9302, 9302, H(doIaCmd_PanoTuning)},  // 146
    {"KEY_PANO_PITCH_3", 9303, 9303, H(doIaCmd_PanoTuning)},  // 147
    {"KEY_PANO_ROLL_3", 9304, 9304, H(doIaCmd_PanoTuning)},  // 148
    {"KEY_PANO_OFFSETX_3", 9305, 9305, H(doIaCmd_PanoTuning)},  // 149
    {"KEY_PANO_OFFSETY_3", 9306, 9306, H(doIaCmd_PanoTuning)},  // 150
    {"KEY_PANO_ADJUST_EN_4", 9401, 9401, H(doIaCmd_PanoTuning)},  // 151
    {"KEY_PANO_YAW_4", 9402, 9402, H(doIaCmd_PanoTuning)},  // 152
    {"KEY_PANO_PITCH_4", 9403, 9403, H(doIaCmd_PanoTuning)},  // 153
    {"KEY_PANO_ROLL_4", 9404, 9404, H(doIaCmd_PanoTuning)},  // 154
    {"KEY_PANO_OFFSETX_4", 9405, 9405, H(doIaCmd_PanoTuning)},  // 155
    {"KEY_PANO_OFFSETY_4", 9406, 9406, H(doIaCmd_PanoTuning)},  // 156
    {"KEY_IR_MODE_INTELL", 168, 0, NOH},  // 157: 157-160 intelligent-light twins, sent as their standard key
    {"KEY_WHITE_MODE_INTELL", 175, 0, NOH},  // 158
    {"KEY_IR_MANUAL_STRG_NEAR_INTELL", 200, 0, NOH},  // 159
    {"KEY_WHITE_MANUAL_STRG_INTELL", 203, 0, NOH},  // 160
    {"KEY_LIGHT_TYPE", 224, 224, H(doIaCmd)},  // 161
    {"KEY_LDC_SWITCH", 2048, 2048, H(doIaCmd)},  // 162
    {"KEY_LDC_STRG", 2064, 2064, H(doIaCmd)},  // 163
    {"KEY_WB_RG", 772, 772, H(doIaCmd)},  // 164
    {"KEY_WB_BG", 773, 773, H(doIaCmd)},  // 165
};
// clang-format on

#undef H
#undef NOH

const u32 ISensorController::s_nKeyCmdRows = sizeof(s_astKeyCmdRows) / sizeof(s_astKeyCmdRows[0]);

void ISensorController::buildKeyCmdMap() {
    static_assert(sizeof(s_astKeyCmdRows) / sizeof(s_astKeyCmdRows[0]) == KEY_CMD_ROWS, "one row per key");
    free(m_pKeyCmdMap);
    free(m_pstKeyValTmp);
    // m_nKeyCmdSum is the capacity here (170 at the first init); never fewer rows than the table has.
    u32 nRows = std::max(m_nKeyCmdSum, s_nKeyCmdRows);
    m_pKeyCmdMap = static_cast<keycmd*>(calloc(nRows, sizeof(keycmd)));
    for (u32 i = 0; i < s_nKeyCmdRows; ++i) {
        const KeyCmdRow& stRow = s_astKeyCmdRows[i];
        keycmd& stMap = m_pKeyCmdMap[i];
        stMap.nKey = stRow.nKey;
        stMap.nCmd = stRow.nCmd;
        stMap.pfnHandler = stRow.pfnHandler;
        // Names of 32 characters or more fill the field without a terminator.
        memcpy(stMap.szKeyName, stRow.szKeyName, std::min(strlen(stRow.szKeyName), sizeof(stMap.szKeyName)));
        snprintf(stMap.szFuncName, sizeof(stMap.szFuncName), "%s", stRow.szFuncName);
    }
    m_nKeyCmdSum = s_nKeyCmdRows;
    // Room for one parsed parameter text; at least one pair so that the pointer is never null.
    m_pstKeyValTmp = static_cast<KeyVal*>(calloc(std::max<u32>(m_nKeyValSum, 1), sizeof(KeyVal)));
}

int ISensorController::findRowOfKey(keycmd const* p_pKeyCmdMap, u32 p_nKey) const {
    // The map buildKeyCmdMap made holds the table's rows in the table's order: an index of the table, built
    // once, finds a row in a few steps instead of a scan of every row before it, for every key of a switch.
    if (p_pKeyCmdMap == m_pKeyCmdMap && m_nKeyCmdSum == s_nKeyCmdRows) {
        static const KeyIndex s_objIndex = [] {
            static_assert(KEY_CMD_ROWS <= KeyIndex::MAX_KEYS, "the index holds every row");
            KeyIndex objIndex;
            for (u32 i = 0; i < s_nKeyCmdRows; ++i) objIndex.add(s_astKeyCmdRows[i].nKey, i);
            return objIndex;
        }();
        return s_objIndex.find(p_nKey);
    }
    for (u32 i = 0; i < m_nKeyCmdSum; ++i) {
        if (p_pKeyCmdMap[i].nKey == p_nKey) return static_cast<int>(i);
    }
    return -1;
}

int ISensorController::findFromKeyCmdMap(keycmd const* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd) {
    const int nRow = p_pKeyCmdMap != nullptr ? findRowOfKey(p_pKeyCmdMap, p_nKey) : -1;
    if (nRow >= 0) {
        const keycmd& stRow = p_pKeyCmdMap[nRow];
        p_stKeyCmd.nKey = stRow.nKey;
        p_stKeyCmd.nCmd = stRow.nCmd;
        p_stKeyCmd.pfnHandler = stRow.pfnHandler;
        memcpy(p_stKeyCmd.szKeyName, stRow.szKeyName, sizeof(p_stKeyCmd.szKeyName));
        size_t nLen = strnlen(stRow.szFuncName, sizeof(stRow.szFuncName) - 1);
        memcpy(p_stKeyCmd.szFuncName, stRow.szFuncName, nLen);
        p_stKeyCmd.szFuncName[nLen] = '\0';
        return nRow;
    }
    SNS_PLAIN("cand not find key-cmd while key=%d\n", static_cast<int>(p_nKey));
    return -1;
}
