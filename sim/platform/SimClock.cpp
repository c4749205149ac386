// The simulated clock: a local time tests can freeze, and waits stretched or shrunk by a scale.
#include <time.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "QuorixTime.h"
#include "QxDeviceTime.h"
#include "SimControl.h"

namespace {

const int kMinutesPerDay = 24 * 60;
const double kLongestSlice = 3600.0;  // real seconds one cv wait may take: keeps durations far from overflow

// Minute of the day that getCurrentTime reports, or -1 for the real clock.
std::atomic<int> g_nFixedMinute(-1);

double scaleFromEnvironment() {
    const char* szScale = std::getenv("IMAGETUNE_WAIT_SCALE");
    if (szScale == nullptr || *szScale == '\0') return 1.0;
    char* pEnd = nullptr;
    double dScale = std::strtod(szScale, &pEnd);
    if (pEnd == szScale || *pEnd != '\0' || !std::isfinite(dScale)) return 1.0;
    return dScale < 0 ? 0.0 : dScale;
}

// A change of the scale wakes every wait, which then rescales what remains of it.
struct WaitState {
    std::mutex mutex;
    std::condition_variable cv;
    std::atomic<double> dScale;
    unsigned long long nGeneration = 0;  // under mutex; bumped by every setWaitScale
    WaitState() : dScale(scaleFromEnvironment()) {}
};

WaitState& waitState() {
    static WaitState* s_pState = new WaitState;  // never destroyed: threads may still wait at exit
    return *s_pState;
}

}  // namespace

namespace qxsim {

void setLocalTime(int hour, int minute) {
    long long nMinute = (static_cast<long long>(hour) * 60 + minute) % kMinutesPerDay;
    if (nMinute < 0) nMinute += kMinutesPerDay;
    g_nFixedMinute.store(static_cast<int>(nMinute));
}

void useRealTime() {
    g_nFixedMinute.store(-1);
}

void setWaitScale(double scale) {
    if (!std::isfinite(scale)) return;
    WaitState& w = waitState();
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        w.dScale.store(scale < 0 ? 0.0 : scale);
        ++w.nGeneration;
    }
    w.cv.notify_all();
}

double getWaitScale() {
    return waitState().dScale.load();
}

}  // namespace qxsim

QuorixTime::QuorixTime(long p_nSec, long p_nUsec) : m_nSec(p_nSec), m_nUsec(p_nUsec) {}

void QuorixTime::wait(const QuorixTime& p_objTime) {
    const double dTotal = static_cast<double>(p_objTime.getSec()) + static_cast<double>(p_objTime.getUsec()) / 1e6;
    if (!(dTotal > 0)) return;
    WaitState& w = waitState();
    double dDone = 0;  // unscaled seconds waited so far
    std::unique_lock<std::mutex> lock(w.mutex);
    while (dDone < dTotal) {
        double dScale = w.dScale.load();
        if (dScale <= 0) return;
        double dSlice = (dTotal - dDone) * dScale;
        bool bCapped = dSlice > kLongestSlice;
        if (bCapped) dSlice = kLongestSlice;
        unsigned long long nGeneration = w.nGeneration;
        auto tStart = std::chrono::steady_clock::now();
        bool bRescaled =
            w.cv.wait_for(lock, std::chrono::duration<double>(dSlice), [&] { return w.nGeneration != nGeneration; });
        double dElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
        if (!bRescaled && !bCapped) return;  // the whole remainder has passed
        dDone += dElapsed / dScale;
    }
}

QxLocalTime QxDeviceTime::getCurrentTime() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tmLocal;
    localtime_r(&ts.tv_sec, &tmLocal);
    QxLocalTime stTime;
    stTime.year = static_cast<uint16_t>(tmLocal.tm_year + 1900);
    stTime.month = static_cast<uint16_t>(tmLocal.tm_mon + 1);
    stTime.dayOfWeek = static_cast<uint16_t>(tmLocal.tm_wday);
    stTime.day = static_cast<uint16_t>(tmLocal.tm_mday);
    stTime.hour = static_cast<uint16_t>(tmLocal.tm_hour);
    stTime.minute = static_cast<uint16_t>(tmLocal.tm_min);
    stTime.second = static_cast<uint16_t>(tmLocal.tm_sec);
    stTime.milliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
    int nFixed = g_nFixedMinute.load();
    if (nFixed >= 0) {
        stTime.hour = static_cast<uint16_t>(nFixed / 60);
        stTime.minute = static_cast<uint16_t>(nFixed % 60);
        stTime.second = 0;
        stTime.milliseconds = 0;
    }
    return stTime;
}
