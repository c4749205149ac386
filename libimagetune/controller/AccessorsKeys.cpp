// Named operations that read or write one parameter key through the cache: getParameter and
// setParameter(key, value, true) do the locking, the IA command and the scheme update.
#include "ISensorController.h"

namespace {

const int KEY_DN_MODE = 144;
const int KEY_WDR_MODE = 2368;
const int KEY_WDR_STRG = 2369;
const int KEY_HLC_SWITCH = 112;
const int KEY_HLC_STRG = 113;
const int KEY_BLC_SWITCH = 128;
const int KEY_BLC_STRG = 130;
const int KEY_DEFLG_SWITCH = 2400;
const int KEY_DEFLG_STRG = 2401;
const int KEY_2D_NR_SWITCH = 2304;
const int KEY_2D_NR_MODE = 2305;
const int KEY_2D_NR_STRG_A = 2306;
const int KEY_2D_NR_STRG_M = 2307;
const int KEY_3D_NR_SWITCH = 2308;
const int KEY_3D_NR_MODE = 2309;
const int KEY_3D_NR_STRG_A = 2312;
const int KEY_3D_NR_STRG_M = 2313;
const int KEY_BEAWAY = 2385;
const int KEY_MIRROR = 2384;
const int KEY_WHITE_MODE = 171;

}  // namespace

// True even when the key cannot be read: the caller treats the mode as optional.
bool ISensorController::getDNMode(int& p_nVal) {
    getParameter(KEY_DN_MODE, p_nVal);
    return true;
}

bool ISensorController::setDNMode(int p_nVal) {
    return setParameter(KEY_DN_MODE, p_nVal, true) == 0;
}

bool ISensorController::getWDRSwitch(int& p_nVal) {
    return getParameter(KEY_WDR_MODE, p_nVal);
}

bool ISensorController::setWDRSwitch(int& p_nVal) {
    return setParameter(KEY_WDR_MODE, p_nVal, true) == 0;
}

bool ISensorController::getWDRStrength(int& p_nVal) {
    return getParameter(KEY_WDR_STRG, p_nVal);
}

bool ISensorController::setWDRStrength(int& p_nVal) {
    return setParameter(KEY_WDR_STRG, p_nVal, true) == 0;
}

bool ISensorController::getHLCSwitch(int& p_nVal) {
    return getParameter(KEY_HLC_SWITCH, p_nVal);
}

bool ISensorController::setHLCSwitch(int& p_nVal) {
    return setParameter(KEY_HLC_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::getHLCStrength(int& p_nVal) {
    return getParameter(KEY_HLC_STRG, p_nVal);
}

bool ISensorController::setHLCStrength(int& p_nVal) {
    return setParameter(KEY_HLC_STRG, p_nVal, true) == 0;
}

bool ISensorController::getBLCSwitch(int& p_nVal) {
    return getParameter(KEY_BLC_SWITCH, p_nVal);
}

bool ISensorController::setBLCSwitch(int& p_nVal) {
    return setParameter(KEY_BLC_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::getBLCStrength(int& p_nVal) {
    return getParameter(KEY_BLC_STRG, p_nVal);
}

bool ISensorController::setBLCStrength(int& p_nVal) {
    return setParameter(KEY_BLC_STRG, p_nVal, true) == 0;
}

bool ISensorController::getDefogSwitch(int& p_nVal) {
    return getParameter(KEY_DEFLG_SWITCH, p_nVal);
}

bool ISensorController::setDefogSwitch(int& p_nVal) {
    return setParameter(KEY_DEFLG_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::getDefogStrength(int& p_nVal) {
    return getParameter(KEY_DEFLG_STRG, p_nVal);
}

bool ISensorController::setDefogStrength(int& p_nVal) {
    return setParameter(KEY_DEFLG_STRG, p_nVal, true) == 0;
}

bool ISensorController::get2DSwitch(int& p_nVal) {
    return getParameter(KEY_2D_NR_SWITCH, p_nVal);
}

bool ISensorController::set2DSwitch(int& p_nVal) {
    return setParameter(KEY_2D_NR_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::get2DMode(int& p_nVal) {
    return getParameter(KEY_2D_NR_MODE, p_nVal);
}

bool ISensorController::set2DMode(int& p_nVal) {
    return setParameter(KEY_2D_NR_MODE, p_nVal, true) == 0;
}

bool ISensorController::get2DAutoMaxStrength(int& p_nVal) {
    return getParameter(KEY_2D_NR_STRG_A, p_nVal);
}

bool ISensorController::set2DAutoMaxStrength(int& p_nVal) {
    return setParameter(KEY_2D_NR_STRG_A, p_nVal, true) == 0;
}

bool ISensorController::get2DManualMaxStrength(int& p_nVal) {
    return getParameter(KEY_2D_NR_STRG_M, p_nVal);
}

bool ISensorController::set2DManualMaxStrength(int& p_nVal) {
    return setParameter(KEY_2D_NR_STRG_M, p_nVal, true) == 0;
}

bool ISensorController::get3DSwitch(int& p_nVal) {
    return getParameter(KEY_3D_NR_SWITCH, p_nVal);
}

bool ISensorController::set3DSwitch(int& p_nVal) {
    return setParameter(KEY_3D_NR_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::get3DMode(int& p_nVal) {
    return getParameter(KEY_3D_NR_MODE, p_nVal);
}

bool ISensorController::set3DMode(int& p_nVal) {
    return setParameter(KEY_3D_NR_MODE, p_nVal, true) == 0;
}

bool ISensorController::get3DAutoMaxStrength(int& p_nVal) {
    return getParameter(KEY_3D_NR_STRG_A, p_nVal);
}

bool ISensorController::set3DAutoMaxStrength(int& p_nVal) {
    return setParameter(KEY_3D_NR_STRG_A, p_nVal, true) == 0;
}

bool ISensorController::get3DManualMaxStrength(int& p_nVal) {
    return getParameter(KEY_3D_NR_STRG_M, p_nVal);
}

bool ISensorController::set3DManualMaxStrength(int& p_nVal) {
    return setParameter(KEY_3D_NR_STRG_M, p_nVal, true) == 0;
}

bool ISensorController::getBeaway(int& p_nVal) {
    return getParameter(KEY_BEAWAY, p_nVal);
}

bool ISensorController::setBeaway(int& p_nVal) {
    return setParameter(KEY_BEAWAY, p_nVal, true) == 0;
}

bool ISensorController::getMirrorValue(int& p_nVal) {
    return getParameter(KEY_MIRROR, p_nVal);
}

bool ISensorController::setWhiteMode(int p_nVal) {
    return setParameter(KEY_WHITE_MODE, p_nVal, true) == 0;
}
