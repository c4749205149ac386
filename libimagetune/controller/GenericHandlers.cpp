// The generic handlers: the common path to the IA library and the commands that stand aside while busy.
#include "ISensorController.h"
#include "ia_ctrl.h"

namespace {

// Auto focus, focus, zoom, lens reset, digital zoom and the motor positions: blocked by the zoom/focus lock.
const u32 LENS_CMD_FIRST = 1536;
const u32 LENS_CMD_LAST = 1616;
const u32 CMD_AUTO_FOCUS_ONCE = 1539;
const u32 KEY_SYNC_FOV = 8104;   // KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV
const int SYNC_FOV_CHANNEL = 1;  // the visible channel serves every field-of-view request

}  // namespace

int ISensorController::doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (m_bLockZoomFocus.load() && p_nKey >= LENS_CMD_FIRST && p_nKey <= LENS_CMD_LAST) {
        return 0;
    }
    return ia_ioctrl_v2(iaChannel(), static_cast<ia_cmd_e>(p_nKey), static_cast<int>(p_nDir), p_pVal);
}

int ISensorController::doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    // Dropped, and reported as done, while init, a reset, a restore or a switch runs; uinit lets one through.
    if (!m_bShutterPass.load() && (m_nStatus.load() & STATUS_BUSY_OR_INIT_MASK) != 0) return 0;
    m_bShutterPass.store(false);
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if ((m_nStatus.load() & STATUS_BUSY_OR_INIT_MASK) != 0) return 0;
    if (p_nKey == CMD_AUTO_FOCUS_ONCE) {
        if (!m_bHasLens) return 0;
        // A visible channel focuses only on a non-zero trigger; a thermal channel on any.
        if (!m_bThermal && (p_pVal == nullptr || *static_cast<u32*>(p_pVal) == 0)) return 0;
    }
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIoCrtl(u32 p_nKey, u32 /*p_nDir*/, void* /*p_pVal*/) {
    if (p_nKey == KEY_SYNC_FOV) {
        // The key first: a thread that sees its channel named must also see the key.
        m_nPassKeycmd.store(static_cast<int>(KEY_SYNC_FOV));
        m_nChanneldDosomething.store(SYNC_FOV_CHANNEL);
    }
    return 0;
}
