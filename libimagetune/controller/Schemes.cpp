// Parameter schemes: switching between them, finding the one whose time window holds the current time, and
// the application's choice of scheme and parameter mode.
#include <string.h>

#include "ControllerLock.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "QuorixTime.h"
#include "QxDeviceTime.h"
#include "SchemeHeader.h"

namespace {

const u32 KEY_DN_MODE = 144;

// The window keys and the header position each one names.
struct WindowKey {
    int nKey;
    u32 nPos;
};
const WindowKey WINDOW_KEYS[] = {
    {8001, POS_START_HOUR},  // KEY_SCHEME_START_HOUR
    {8002, POS_START_MIN},   // KEY_SCHEME_START_MIN
    {8003, POS_END_HOUR},    // KEY_SCHEME_END_HOUR
    {8004, POS_END_MIN},     // KEY_SCHEME_END_MIN
};

}  // namespace

int ISensorController::switch_to(int nScheme, bool bForce) {
    // Only indices 0 to nSchemeSum (the factory slot) have storage.
    if (!SNS_ASSERT_MSG(
            m_ppUserKeyVal != nullptr && nScheme >= 0 && static_cast<u32>(nScheme) <= m_stSysConf.nSchemeSum,
            "nScheme(%d)\n", nScheme))
        return -1;
    m_nStatus.fetch_or(STATUS_SWITCH);
    m_nLastScheme.store(m_nCurScheme.load());
    m_nCurScheme.store(nScheme);
    if (bForce) {
        setParameters(m_ppUserKeyVal[nScheme], m_nKeyValSum, false);
    } else {
        // While STATUS_SWITCH is set the unchanged-value test compares with m_nLastScheme: only the
        // differences reach the IA library.
        SNS_ASSERT_MSG(SNS_SUCCESS == setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true),
                       "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), static_cast<int>(m_nKeyValSum));
    }
    m_nStatus.fetch_and(static_cast<uint8_t>(~STATUS_SWITCH));
    return 0;
}

int ISensorController::LPR_switch_to(int nScheme) {
    if (!SNS_ASSERT_MSG(m_ppUserKeyVal != nullptr && m_pLprKeyVal != nullptr && m_nKeyValSum <= KEY_CMD_CAPACITY &&
                            nScheme >= 0 && static_cast<u32>(nScheme) <= m_stSysConf.nSchemeSum,
                        "nScheme(%d)\n", nScheme))
        return -1;
    m_nStatus.fetch_or(STATUS_SWITCH);
    m_nLastScheme.store(m_nCurScheme.load());
    m_nCurScheme.store(nScheme);
    memcpy(m_pLprKeyVal, m_ppUserKeyVal[nScheme], sizeof(KeyVal) * m_nKeyValSum);
    // Outside the windows the scheme follows the day/night state itself: the sensor's own day/night
    // switching stays off, in the applied copy only.
    for (u32 i = 0; i < m_nKeyValSum; ++i) {
        if (m_pLprKeyVal[i].key == KEY_DN_MODE) {
            m_pLprKeyVal[i].value = 0;
            break;
        }
    }
    setParameters(m_pLprKeyVal, m_nKeyValSum, false);
    m_nStatus.fetch_and(static_cast<uint8_t>(~STATUS_SWITCH));
    return 0;
}

int ISensorController::judgeCurScheme(int& nScheme, int& nSchedule) {
    QxLocalTime stTime = QxDeviceTime::getCurrentTime();
    const uint64_t nNow = schemeClock(stTime.hour, stTime.minute);
    nSchedule = 0;
    if (m_ppUserKeyVal != nullptr && m_nKeyValSum >= SCHEME_HEADER_LEN) {
        for (u32 i = 0; i < m_stSysConf.nSchemeSum; ++i) {
            const KeyVal* a = m_ppUserKeyVal[i];
            uint64_t nStart = schemeClock(a[POS_START_HOUR].value, a[POS_START_MIN].value);
            uint64_t nEnd = schemeClock(a[POS_END_HOUR].value, a[POS_END_MIN].value);
            if (nStart <= nNow && nNow < nEnd) {
                nScheme = static_cast<int>(i);
                nSchedule = 1;
                return 0;
            }
        }
    }
    nScheme = 0;
    return 0;
}

int ISensorController::getParamSchemeTime(int nKey) {
    CONTROLLER_LOCK_SCOPE();
    const int nCur = m_nCurScheme.load();
    if (m_ppUserKeyVal == nullptr || nCur < 0 || static_cast<u32>(nCur) > m_stSysConf.nSchemeSum ||
        m_nKeyValSum < SCHEME_HEADER_LEN)
        return -1;
    for (const WindowKey& stKey : WINDOW_KEYS) {
        if (stKey.nKey == nKey) return static_cast<int>(m_ppUserKeyVal[nCur][stKey.nPos].value);
    }
    return -1;
}

void ISensorController::waitWhileBusy() {
    while ((m_nStatus.load() & STATUS_BUSY_MASK) != 0) QuorixTime::wait(QuorixTime(0, 500000));
}

bool ISensorController::setParamScheme(int p_nScheme) {
    CONTROLLER_LOCK_SCOPE();
    if (!SNS_ASSERT_MSG(p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum, "p_nScheme(%d)\n", p_nScheme))
        return false;
    waitWhileBusy();
    // Before init (or after uinit) there is no scheme to switch to.
    return switch_to(p_nScheme, false) == SNS_SUCCESS;
}

bool ISensorController::getParamScheme(int& nScheme) {
    CONTROLLER_LOCK_SCOPE();
    nScheme = m_nCurScheme.load();
    return true;
}

bool ISensorController::setParamMode(int p_nMode) {
    CONTROLLER_LOCK_SCOPE();
    // Any other value is kept all the same: the thread treats every nonzero mode as automatic.
    SNS_ASSERT_MSG(0 == p_nMode || 1 == p_nMode, "p_nMode(%d)\n", p_nMode);
    waitWhileBusy();
    m_nParamMode.store(p_nMode);
    return true;
}

bool ISensorController::getParamMode(int& nMode) {
    CONTROLLER_LOCK_SCOPE();
    nMode = m_nParamMode.load();
    return true;
}
