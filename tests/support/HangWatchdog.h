// A watchdog for calls that must never block: while armed, a call that has not returned within the limit ends
// the process with a message naming it. The limit is far above what any call takes, under any sanitizer: it
// tells a hang, it does not time anything.
#ifndef IMAGETUNE_TESTS_HANGWATCHDOG_H
#define IMAGETUNE_TESTS_HANGWATCHDOG_H

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class HangWatchdog {
public:
    explicit HangWatchdog(std::chrono::seconds p_nLimit = std::chrono::seconds(60))
        : m_nLimit(p_nLimit), m_bArmed(false), m_bStop(false), m_objThread([this] { watch(); }) {}
    ~HangWatchdog() {
        {
            std::lock_guard<std::mutex> objLock(m_objMutex);
            m_bStop = true;
        }
        m_objWake.notify_all();
        m_objThread.join();
    }
    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

    void arm(const std::string& p_strWhat) {
        std::lock_guard<std::mutex> objLock(m_objMutex);
        m_strWhat = p_strWhat;
        m_tDeadline = std::chrono::steady_clock::now() + m_nLimit;
        m_bArmed = true;
        m_objWake.notify_all();
    }
    void disarm() {
        std::lock_guard<std::mutex> objLock(m_objMutex);
        m_bArmed = false;
        m_objWake.notify_all();
    }

private:
    void watch() {
        std::unique_lock<std::mutex> objLock(m_objMutex);
        while (!m_bStop) {
            if (!m_bArmed) {
                m_objWake.wait(objLock);
                continue;
            }
            if (m_objWake.wait_until(objLock, m_tDeadline) == std::cv_status::timeout && m_bArmed &&
                std::chrono::steady_clock::now() >= m_tDeadline) {
                std::fprintf(stderr, "hung: %s has not returned after %lld s\n", m_strWhat.c_str(),
                             static_cast<long long>(m_nLimit.count()));
                std::abort();
            }
        }
    }

    const std::chrono::seconds m_nLimit;
    std::mutex m_objMutex;
    std::condition_variable m_objWake;
    std::string m_strWhat;
    std::chrono::steady_clock::time_point m_tDeadline;
    bool m_bArmed;
    bool m_bStop;
    std::thread m_objThread;
};

#endif
