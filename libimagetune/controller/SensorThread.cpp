// The background thread of a channel: once a second it serves a field-of-view request and, in an automatic
// scheme mode, switches to the scheme that the day/night state or the time schedule selects.
//
// Exclusion. A scheme switch rewrites the scheme arrays, m_nCurScheme and the IA state exactly like an
// application write, so the pass makes its decision and its switch under the controller's exclusion, which the
// application's operations hold (m_objMutex with the library's pass lock m_objPassMutex, ControllerLock.h). But
// the thread is stopped (and joined) by uinit, which resetParameters calls while holding that exclusion, so a
// pass must never wait for it. A pass that finds the pass lock taken posts its decision instead: the holder
// runs it just before it releases the lock, and meanwhile the thread keeps trying the lock for a bounded time,
// so the decision is made whether the holder is a caller that polls without pause or the lock falls free. The
// thread stops waiting at once when a stop is requested (uinit, reset): their holders never run a posted
// decision. It never touches m_objMutex. init's synchronous pass runs under init's own exclusion
// (PASS_LOCK_HELD), whether init was called directly or by resetParameters. The field-of-view request needs
// no lock and is served before the try, so contention never delays it.
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ControllerLock.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "QuorixTime.h"
#include "RegularFile.h"
#include "ia_ctrl.h"

namespace {

const char* const SYNC_FOV_FILE = "/mnt/mtd/hd1/program/config/sync_fov.ini";
const int KEY_SYNC_FOV = 8104;    // KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV
const u32 CMD_ZOOM_VALUE = 1568;  // the zoom position, as setZoomValue sends it
const u32 CMD_DN_STATE = 153;     // the sensor's day/night state, as getDNState reads it
const int NO_REQUEST = -1;
// The file holds a few lines per channel; one larger than this is not read.
const size_t SYNC_FOV_FILE_MAX = 4 * 1024 * 1024;

// m_nPassPost: no decision posted; posted by the thread; taken by whoever runs it under the pass lock.
const int PASS_POST_NONE = 0;
const int PASS_POST_WAITING = 1;
const int PASS_POST_TAKEN = 2;
// How long the thread waits for a posted decision to be run before it leaves it to the next pass (or to the
// next holder, who still runs it), and how often it tries the lock itself meanwhile.
const std::chrono::milliseconds PASS_POST_WAIT_MAX(1000);
const std::chrono::microseconds PASS_POST_RETRY(500);

// The number that starts at p_szText, read as atoi reads it (leading blanks, a sign, digits; no digits give 0).
// False when it does not fit in an int: atoi's result would be undefined there.
bool readInt(const char* p_szText, int& p_nVal) {
    errno = 0;
    char* pEnd = nullptr;
    long long nVal = strtoll(p_szText, &pEnd, 10);
    if (errno == ERANGE || nVal > INT_MAX || nVal < INT_MIN) return false;
    p_nVal = static_cast<int>(nVal);
    return true;
}

// The value of "<tag>=<number>," in the line: the tag anywhere, an "=" somewhere after it and a "," after that.
void readFovEntry(const std::string& p_strLine, const char* p_szTag, int& p_nVal) {
    size_t nTag = p_strLine.find(p_szTag);
    if (nTag == std::string::npos) return;
    size_t nEq = p_strLine.find('=', nTag + strlen(p_szTag));
    if (nEq == std::string::npos || p_strLine.find(',', nEq + 1) == std::string::npos) return;
    readInt(p_strLine.c_str() + nEq + 1, p_nVal);
}

}  // namespace

int ISensorController::sensorThread() {
    return sensorPass(PASS_TRY_LOCK);
}

int ISensorController::sensorPass(SensorPassLock p_eLock) {
    const bool bReset = (m_nStatus.load() & STATUS_RESET) != 0;
    if (!bReset) QuorixTime::wait(QuorixTime(1, 0));
    serveFovRequest();
    if (p_eLock == PASS_TRY_LOCK) {
        std::unique_lock<std::mutex> objPass(m_objPassMutex, std::try_to_lock);
        if (objPass.owns_lock()) {
            decideScheme();
        } else if (bReset) {
            // Unpaced during a reset, whose holder is stopping the thread: give it the processor.
            std::this_thread::yield();
        } else {
            postPass();
        }
    } else if (p_eLock == PASS_WAIT_LOCK) {
        CONTROLLER_LOCK_SCOPE();
        decideScheme();
    } else {
        decideScheme();
    }
    return 0;
}

void ISensorController::postPass() {
    auto stopRequested = [this] { return (m_nStatus.load() & (STATUS_UINIT | STATUS_RESET)) != 0; };
    int nNone = PASS_POST_NONE;
    // A decision still posted from an earlier pass is this pass's too.
    m_nPassPost.compare_exchange_strong(nNone, PASS_POST_WAITING);
    const std::chrono::steady_clock::time_point tEnd = std::chrono::steady_clock::now() + PASS_POST_WAIT_MAX;
    while (m_nPassPost.load() != PASS_POST_NONE && !stopRequested() && std::chrono::steady_clock::now() < tEnd) {
        std::unique_lock<std::mutex> objPass(m_objPassMutex, std::try_to_lock);
        if (objPass.owns_lock()) {
            int nWaiting = PASS_POST_WAITING;
            if (m_nPassPost.compare_exchange_strong(nWaiting, PASS_POST_TAKEN)) {
                decideScheme();
                m_nPassPost.store(PASS_POST_NONE);
            }
            return;
        }
        std::this_thread::sleep_for(PASS_POST_RETRY);
    }
}

void ISensorController::runPostedPass() {
    int nWaiting = PASS_POST_WAITING;
    if (!m_nPassPost.compare_exchange_strong(nWaiting, PASS_POST_TAKEN)) return;
    decideScheme();
    m_nPassPost.store(PASS_POST_NONE);
}

void ISensorController::serveFovRequest() {
    int nChannel = m_nChanneldDosomething.load();
    if (nChannel == NO_REQUEST || nChannel != m_nCameraID) return;
    // The channel first, then the key: a request posted in between is taken with this one (the file is read
    // after both), so none is lost and none served twice.
    if (!m_nChanneldDosomething.compare_exchange_strong(nChannel, NO_REQUEST)) return;
    if (m_nPassKeycmd.exchange(NO_REQUEST) == KEY_SYNC_FOV) sync_fov();
}

void ISensorController::decideScheme() {
    if (m_nParamMode.load() == 0) return;
    if (m_ppUserKeyVal == nullptr) return;  // not initialised, or shut down: no scheme to choose from
    auto busy = [this] { return (m_nStatus.load() & STATUS_BUSY_MASK) != 0; };
    // A failed read counts as day.
    auto dayNightScheme = [this] {
        u32 nState = 0;
        if (doIaCmd(CMD_DN_STATE, IA_CMD_OPT_GET, &nState) != 0) nState = 0;
        return nState != 0 ? 1 : 0;
    };

    if (m_bDNSchemeMode.load()) {
        int nScheme = dayNightScheme();
        if (m_nCurScheme.load() == nScheme || busy()) return;
        SNS_ASSERT_MSG(SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        return;
    }
    if (!m_bTimeSchemeMode.load()) return;

    int nScheme = 0;
    int nSchedule = 0;
    SNS_ASSERT_MSG(SNS_SUCCESS == judgeCurScheme(nScheme, nSchedule), "nScheme(%d)\n", nScheme);

    if (!m_bLprMode) {
        if (m_nCurScheme.load() != nScheme && !busy()) {
            SNS_ASSERT_MSG(SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        }
        return;
    }

    const u32 nInWindow = 1;
    const u32 nOutside = 0;
    if (static_cast<u32>(nSchedule) == nInWindow) {
        if (m_nLastSchedule == nInWindow && m_nCurScheme.load() == nScheme) return;
        if (busy()) return;
        if (m_nLastSchedule == nInWindow) {
            // Still inside the windows, another window's scheme: only the differences.
            SNS_ASSERT_MSG(SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        } else {
            // Entering the windows, or the first decision: the outside scheme was applied with a forced
            // day/night mode, so every key is applied again.
            SNS_ASSERT_MSG(SNS_SUCCESS == switch_to(nScheme, true), "nScheme(%d)\n", nScheme);
        }
        m_nLastSchedule = nInWindow;
        return;
    }

    nScheme = dayNightScheme();
    if (m_nLastSchedule == nOutside && m_nCurScheme.load() == nScheme) return;
    if (busy()) return;
    SNS_ASSERT_MSG(SNS_SUCCESS == LPR_switch_to(nScheme), "nScheme(%d)\n", nScheme);
    m_nLastSchedule = nOutside;
}

bool ISensorController::sync_fov() {
    // Read in init's pass too, under the controller's lock: a FIFO or a device there must not stop it. A file
    // that cannot be read gives no lines.
    std::string strText;
    const RegularFileResult stFile = readRegularFile(SYNC_FOV_FILE, SYNC_FOV_FILE_MAX, strText);
    if (stFile.eStatus != REGULAR_FILE_OK && stFile.eStatus != REGULAR_FILE_MISSING)
        SNS_REPORT_REFUSED_FILE(SYNC_FOV_FILE, stFile);
    std::vector<std::string> vecLines;
    splitRegularFileLines(strText, vecLines);

    char szZoomTag[32];
    char szFocusTag[32];
    snprintf(szZoomTag, sizeof(szZoomTag), "zoom%d", m_nCameraID);
    snprintf(szFocusTag, sizeof(szFocusTag), "focus%d", m_nCameraID);
    int nZoom = -1;
    int nFocus = -1;
    for (const std::string& strLine : vecLines) {
        readFovEntry(strLine, szZoomTag, nZoom);
        readFovEntry(strLine, szFocusTag, nFocus);
        printf("zoom= %d,focus= %d \n", nZoom, nFocus);
        if (nZoom > 0 && nFocus > 0) break;
    }
    fflush(stdout);
    // Only the zoom is applied; the focus value just ends the search.
    if (nZoom > 0 && m_bHasLens) doIaCmd(CMD_ZOOM_VALUE, IA_CMD_OPT_SET, &nZoom);
    return true;
}
