// The ONVIF Imaging fields and the keys they live on: the one table of the mapping (the README shows it).
#include "OnvifImaging.h"

namespace {

// Keys (the key-command table's numbers).
const int KEY_BRIGHTNESS = 34;
const int KEY_EXPOSE_MODE = 16;
const int KEY_MAX_SHUTTER = 49;
const int KEY_FIX_SHUTTER = 50;
const int KEY_MIN_SHUTTER = 51;
const int KEY_BLC_SWITCH = 128;
const int KEY_BLC_STRG = 130;
const int KEY_DN_MODE = 144;
const int KEY_WB_MODE = 768;
const int KEY_R_GAIN = 770;
const int KEY_B_GAIN = 771;
const int KEY_AUTO_FOCUS_MODE = 1536;
const int KEY_2D_NR_STRG_M = 2307;
const int KEY_SHARPNESS = 2321;
const int KEY_SATURATION = 2337;
const int KEY_CONTRAST = 2353;
const int KEY_WDR_MODE = 2368;
const int KEY_WDR_STRG = 2369;
const int KEY_DEFLG_SWITCH = 2400;
const int KEY_DEFLG_STRG = 2401;
const int KEY_ANTI_SHAKE_SWITCH = 2416;
const int KEY_ANTI_SHAKE_STRG = 2417;

#define NONE_ALSO \
    { -1, -1, -1 }

const OnvifModeWord SWITCH_WORDS[] = {{"OFF", 0, NONE_ALSO}, {"ON", 1, NONE_ALSO}};
// The WDR key's automatic choice is on as far as ONVIF 2.0 can say.
const OnvifModeWord WDR_WORDS[] = {{"OFF", 0, NONE_ALSO}, {"ON", 1, {2, -1, -1}}};
// Shutter and gain priority are automatic exposure with one limit fixed: ONVIF has only AUTO and MANUAL.
const OnvifModeWord EXPOSURE_WORDS[] = {{"AUTO", 0, {1, 2, -1}}, {"MANUAL", 3, NONE_ALSO}};
// ON = the filter in: colour, day; OFF = filter out: night; AUTO = the sensor decides (or the schedule does).
const OnvifModeWord IRCUT_WORDS[] = {{"ON", 1, NONE_ALSO}, {"OFF", 2, NONE_ALSO}, {"AUTO", 0, {3, -1, -1}}};
// Indoor, outdoor and locked are fixed gains: manual to ONVIF.
const OnvifModeWord WB_WORDS[] = {{"AUTO", 0, NONE_ALSO}, {"MANUAL", 3, {1, 2, 4}}};
// Semi-automatic focus focuses once after a zoom: automatic to ONVIF.
const OnvifModeWord FOCUS_WORDS[] = {{"AUTO", 0, {1, -1, -1}}, {"MANUAL", 2, NONE_ALSO}};

#define WORDS(a) a, sizeof(a) / sizeof(a[0])

const OnvifImagingField FIELDS[] = {
    {"BacklightCompensation/Mode", "BacklightCompensation/Mode", KEY_BLC_SWITCH, ONVIF_FIELD_MODE, WORDS(SWITCH_WORDS)},
    {"BacklightCompensation/Level", "BacklightCompensation/Level", KEY_BLC_STRG, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"Brightness", "Brightness", KEY_BRIGHTNESS, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"ColorSaturation", "ColorSaturation", KEY_SATURATION, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"Contrast", "Contrast", KEY_CONTRAST, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"Exposure/Mode", "Exposure/Mode", KEY_EXPOSE_MODE, ONVIF_FIELD_MODE, WORDS(EXPOSURE_WORDS)},
    // The shortest time automatic exposure may take is the fastest shutter, and the longest the slowest.
    {"Exposure/MinExposureTime", "Exposure/MinExposureTime", KEY_MIN_SHUTTER, ONVIF_FIELD_EXPOSURE_TIME, nullptr, 0},
    {"Exposure/MaxExposureTime", "Exposure/MaxExposureTime", KEY_MAX_SHUTTER, ONVIF_FIELD_EXPOSURE_TIME, nullptr, 0},
    {"Exposure/ExposureTime", "Exposure/ExposureTime", KEY_FIX_SHUTTER, ONVIF_FIELD_EXPOSURE_TIME, nullptr, 0},
    {"Focus/AutoFocusMode", "Focus/AutoFocusModes", KEY_AUTO_FOCUS_MODE, ONVIF_FIELD_MODE, WORDS(FOCUS_WORDS)},
    {"IrCutFilter", "IrCutFilterModes", KEY_DN_MODE, ONVIF_FIELD_MODE, WORDS(IRCUT_WORDS)},
    {"Sharpness", "Sharpness", KEY_SHARPNESS, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"WideDynamicRange/Mode", "WideDynamicRange/Mode", KEY_WDR_MODE, ONVIF_FIELD_MODE, WORDS(WDR_WORDS)},
    {"WideDynamicRange/Level", "WideDynamicRange/Level", KEY_WDR_STRG, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"WhiteBalance/Mode", "WhiteBalance/Mode", KEY_WB_MODE, ONVIF_FIELD_MODE, WORDS(WB_WORDS)},
    {"WhiteBalance/CrGain", "WhiteBalance/YrGain", KEY_R_GAIN, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"WhiteBalance/CbGain", "WhiteBalance/YbGain", KEY_B_GAIN, ONVIF_FIELD_LEVEL, nullptr, 0},
    {"Extension/ImageStabilization/Mode", "Extension/ImageStabilization/Mode", KEY_ANTI_SHAKE_SWITCH, ONVIF_FIELD_MODE,
     WORDS(SWITCH_WORDS)},
    {"Extension/ImageStabilization/Level", "Extension/ImageStabilization/Level", KEY_ANTI_SHAKE_STRG, ONVIF_FIELD_LEVEL,
     nullptr, 0},
    {"Extension/Extension/Extension/Defogging/Mode", "Extension/Extension/Extension/DefoggingOptions/Mode",
     KEY_DEFLG_SWITCH, ONVIF_FIELD_MODE, WORDS(SWITCH_WORDS)},
    {"Extension/Extension/Extension/Defogging/Level", "Extension/Extension/Extension/DefoggingOptions/Level",
     KEY_DEFLG_STRG, ONVIF_FIELD_LEVEL, nullptr, 0},
    // ONVIF has one noise reduction level; the 2D filter's manual strength is the one a user sets.
    {"Extension/Extension/Extension/NoiseReduction/Level", "Extension/Extension/Extension/NoiseReductionOptions/Level",
     KEY_2D_NR_STRG_M, ONVIF_FIELD_LEVEL, nullptr, 0},
};

}  // namespace

const OnvifImagingField* onvifImagingFields(size_t& p_nFields) {
    p_nFields = sizeof(FIELDS) / sizeof(FIELDS[0]);
    return FIELDS;
}
