// Named operations with logic of their own: focus and iris steps, the zoom ratio, the iris value, the two
// lights that exclude each other, the light type, the mirror, and the shutter steps over the sensor's range.
#include "ISensorController.h"
#include "StringHandler.h"
#include "ia_ctrl.h"

namespace {

// Zoom motor position of each magnification, 1x to 16x.
const u32 ZOOM_RATIO_POSITIONS[] = {
    16384, 24576, 27264, 28672, 29056, 29440, 29728, 30016, 30208, 30400, 30560, 30720, 30912, 31104, 31232, 31424,
};
const u32 ZOOM_RATIO_STEPS = sizeof(ZOOM_RATIO_POSITIONS) / sizeof(ZOOM_RATIO_POSITIONS[0]);
const u32 ZOOM_RATIO_UNIT = 1000;  // a ratio is given in thousandths

const u32 CMD_EXPOSE_MODE = 16;  // KEY_EXPOSE_MODE
const int EXPOSE_MODE_IRIS = 3;  // manual iris: the iris commands need it
const u32 CMD_IRIS_VALUE = 82;   // KEY_IRIS_POSITION
const u32 CMD_IRIS_UP = 83;      // the IA command of KEY_IRIS_UP
const u32 CMD_IRIS_DOWN = 84;    // the IA command of KEY_IRIS_DOWN
const int IRIS_MIN = 256;        // values up to 255 become this
const int IRIS_MAX = 25600;      // values above it become IRIS_FULLY_OPEN
const int IRIS_FULLY_OPEN = 0x100000;

const u32 CMD_AUTO_FOCUS_MODE = 1536;  // KEY_AUTO_FOCUS_MODE
const u32 CMD_FOCUS_FAR = 1554;
const u32 CMD_FOCUS_NEAR = 1553;
const u32 CMD_ZOOM_VALUE = 1568;

const int KEY_IR_SWITCH = 160;
const int KEY_WHITE_SWITCH = 170;
const int KEY_LIGHT_TYPE = 224;
const u32 LIGHT_TYPE_MAX = 3;
const int KEY_MIRROR = 2384;

const int KEY_MAX_SHUTTER = 49;
const int SHUTTER_TABLE_MAX = 30;  // the UI offers at most this many shutter steps

// The sensor's shutter values as getSensorParamRange lists them: decimal values separated by single blanks.
struct ShutterTable {
    int anValue[SHUTTER_TABLE_MAX];
    int nCount;

    explicit ShutterTable(std::string p_strRange) : anValue(), nCount(0) {
        while (nCount < SHUTTER_TABLE_MAX) {
            size_t nBlank = p_strRange.find(' ');
            int nVal = 0;
            if (nBlank == std::string::npos) {
                if (!p_strRange.empty()) {
                    StringHandler::str2type<int>(p_strRange, nVal);
                    anValue[nCount++] = nVal;
                }
                break;
            }
            StringHandler::str2type<int>(p_strRange.substr(0, nBlank), nVal);
            anValue[nCount++] = nVal;
            p_strRange.erase(0, nBlank + 1);
        }
    }

    int find(int p_nVal) const {
        for (int i = 0; i < nCount; ++i) {
            if (anValue[i] == p_nVal) return i;
        }
        return -1;
    }
};

}  // namespace

bool ISensorController::focusFar() {
    if (!m_bHasLens) return true;
    int nOn = 1;
    doIaCmd(CMD_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, &nOn);
    int nStep = 1;
    return doIaCmd(CMD_FOCUS_FAR, IA_CMD_OPT_SET, &nStep) == 0;
}

bool ISensorController::focusNear() {
    if (!m_bHasLens) return true;
    int nOn = 1;
    doIaCmd(CMD_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, &nOn);
    int nStep = 1;
    return doIaCmd(CMD_FOCUS_NEAR, IA_CMD_OPT_SET, &nStep) == 0;
}

bool ISensorController::irisUp() {
    int nMode = EXPOSE_MODE_IRIS;
    if (doIaCmd(CMD_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != 0) return false;
    int nStep = 1;
    return doIaCmd(CMD_IRIS_UP, IA_CMD_OPT_SET, &nStep) == 0;
}

bool ISensorController::irisDown() {
    int nMode = EXPOSE_MODE_IRIS;
    if (doIaCmd(CMD_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != 0) return false;
    int nStep = 1;
    return doIaCmd(CMD_IRIS_DOWN, IA_CMD_OPT_SET, &nStep) == 0;
}

bool ISensorController::setIrisValue(int nVal) {
    if (nVal < IRIS_MIN) {
        nVal = IRIS_MIN;
    } else if (nVal > IRIS_MAX) {
        nVal = IRIS_FULLY_OPEN;
    }
    int nMode = EXPOSE_MODE_IRIS;
    if (doIaCmd(CMD_EXPOSE_MODE, IA_CMD_OPT_SET, &nMode) != 0) return false;
    return doIaCmd(CMD_IRIS_VALUE, IA_CMD_OPT_SET, &nVal) == 0;
}

bool ISensorController::getZoomValue(int& p_nPos, int& p_nRatio) {
    if (!m_bHasLens) {
        p_nPos = 0;
        return true;
    }
    if (doIaCmd(CMD_ZOOM_VALUE, IA_CMD_OPT_GET, &p_nPos) != 0) return false;
    const u32 nPos = static_cast<u32>(p_nPos);
    const u32* T = ZOOM_RATIO_POSITIONS;
    if (nPos <= T[0]) {
        p_nRatio = static_cast<int>(ZOOM_RATIO_UNIT);
        return true;
    }
    // Linear between (k+1)x and (k+2)x; beyond the last step the ratio is left as it was.
    for (u32 k = 0; k + 1 < ZOOM_RATIO_STEPS; ++k) {
        if (T[k] < nPos && nPos <= T[k + 1]) {
            p_nRatio =
                static_cast<int>(ZOOM_RATIO_UNIT * (k + 2) - (T[k + 1] - nPos) * ZOOM_RATIO_UNIT / (T[k + 1] - T[k]));
            break;
        }
    }
    return true;
}

bool ISensorController::setIRSwitch(int p_nVal) {
    if (p_nVal == 1) {
        int nWhite = 0;
        if (!getWhiteSwitch(nWhite)) return false;
        if (nWhite == 1 && !setWhiteSwitch(0)) return false;
    }
    return setParameter(KEY_IR_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::setWhiteSwitch(int p_nVal) {
    if (p_nVal == 1) {
        int nIr = 0;
        if (!getIRSwitch(nIr)) return false;
        if (nIr == 1 && !setIRSwitch(0)) return false;
    }
    return setParameter(KEY_WHITE_SWITCH, p_nVal, true) == 0;
}

bool ISensorController::setLightType(int p_nVal) {
    if (static_cast<u32>(p_nVal) > LIGHT_TYPE_MAX) return false;
    return setParameter(KEY_LIGHT_TYPE, p_nVal, true) == 0;
}

bool ISensorController::setMirrorMode(int p_nVal) {
    if (setParameter(KEY_MIRROR, p_nVal, true) != 0) return false;
    // The mirror is a property of the installation: it must survive a restart at once, and a save that failed
    // is no success.
    return flush() == SNS_SUCCESS;
}

bool ISensorController::getShutterValue(int& nIndex) {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nDefault, strRange);
    ShutterTable objTable(strRange);
    int nCurrent = 0;
    if (doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nCurrent) != 0) return false;
    int nPos = objTable.find(nCurrent);
    if (nPos < 0) return false;
    nIndex = nPos;
    return true;
}

bool ISensorController::setShutterValue(int nIndex) {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nDefault, strRange);
    ShutterTable objTable(strRange);
    if (objTable.nCount == 0 || nIndex < 0 || nIndex >= objTable.nCount) return false;
    return setParameter(KEY_MAX_SHUTTER, objTable.anValue[nIndex], true) == 0;
}

bool ISensorController::shutterUp() {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nDefault, strRange);
    ShutterTable objTable(strRange);
    int nCurrent = 0;
    if (doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nCurrent) != 0) return false;
    int nPos = objTable.find(nCurrent);
    if (nPos < 0) return false;
    int nNew = nPos < objTable.nCount - 1 ? objTable.anValue[nPos + 1] : nCurrent;
    return setParameter(KEY_MAX_SHUTTER, nNew, true) == 0;
}

bool ISensorController::shutterDown() {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nDefault, strRange);
    ShutterTable objTable(strRange);
    int nCurrent = 0;
    if (doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nCurrent) != 0) return false;
    int nPos = objTable.find(nCurrent);
    if (nPos < 0) return false;
    int nNew = nPos > 0 ? objTable.anValue[nPos - 1] : nCurrent;
    return setParameter(KEY_MAX_SHUTTER, nNew, true) == 0;
}
