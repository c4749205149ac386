// GThread over std::thread, with the stepping mode of SimControl.h: while stepping is on, a started thread
// waits for stepThreads before each pass instead of running its body by itself.
#include "GThread.h"

#include <pthread.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <vector>

#include "SimControl.h"

namespace {
// The GThread whose thread this is, so that the body's own stop() never joins itself.
thread_local const GThread* t_pCurrent = nullptr;

// What stepping knows of one GThread. Shared with stepThreads, which may still wait on it while the GThread
// is destroyed.
struct StepState {
    const GThread* pThread;
    std::string strName;
    bool bStarted = false;          // from start() until its thread ends
    unsigned long long nAsked = 0;  // passes stepThreads asked for
    unsigned long long nDone = 0;   // passes run since
};

// Every live GThread in construction order, and the stepping switch; all under one mutex, with one condition
// variable for every change (a step asked, a pass done, a stop, stepping switched).
struct Stepping {
    std::mutex mutex;
    std::condition_variable cv;
    bool bOn = false;
    std::vector<std::shared_ptr<StepState>> vecThreads;

    std::shared_ptr<StepState> find(const GThread* p_pThread) {
        for (const auto& p : vecThreads) {
            if (p->pThread == p_pThread) return p;
        }
        return nullptr;
    }
};

Stepping& stepping() {
    static Stepping* s_pStepping = new Stepping;  // never destroyed: threads may still run at exit
    return *s_pStepping;
}

}  // namespace

namespace qxsim {

void setThreadStepping(bool on) {
    Stepping& s = stepping();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.bOn = on;
    }
    s.cv.notify_all();
}

bool threadStepping() {
    Stepping& s = stepping();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.bOn;
}

int stepThreads(const std::string& p_strName) {
    Stepping& s = stepping();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!s.bOn) return 0;
    std::vector<std::shared_ptr<StepState>> vecThreads;
    for (const auto& p : s.vecThreads) {
        if (p->bStarted && (p_strName.empty() || p->strName == p_strName)) vecThreads.push_back(p);
    }
    int nPasses = 0;
    // One after another, so that what the passes do comes in the same order every time.
    for (const auto& p : vecThreads) {
        if (!p->bStarted) continue;
        unsigned long long nTarget = ++p->nAsked;
        s.cv.notify_all();
        s.cv.wait(lock, [&] { return p->nDone >= nTarget || !p->bStarted; });
        if (p->nDone >= nTarget) ++nPasses;
    }
    return nPasses;
}

}  // namespace qxsim

GThread::GThread(const function<int>& p_fnBody, const std::string& p_strName, const function<int>& p_fnBefore,
                 const function<int>& p_fnAfter)
    : m_fnBody(p_fnBody),
      m_fnBefore(p_fnBefore),
      m_fnAfter(p_fnAfter),
      m_strName(p_strName),
      m_bStop(false),
      m_bRunning(false) {
    auto pState = std::make_shared<StepState>();
    pState->pThread = this;
    pState->strName = p_strName;
    Stepping& s = stepping();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.vecThreads.push_back(pState);
}

GThread::~GThread() {
    if (t_pCurrent == this) {
        std::fprintf(stderr, "GThread %s: deleted by its own body\n", m_strName.c_str());
        std::abort();
    }
    stop();
    Stepping& s = stepping();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.vecThreads.begin(); it != s.vecThreads.end(); ++it) {
        if ((*it)->pThread == this) {
            s.vecThreads.erase(it);
            break;
        }
    }
}

int GThread::emptyFun() {
    return 0;
}

bool GThread::start() {
    if (t_pCurrent == this) return true;  // running by definition; a stop it requested stays requested
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_thread.joinable()) {
        if (!m_bStop.load()) return true;
        m_thread.join();  // the body stopped itself: let that run end before the next begins
    }
    m_bStop.store(false);
    m_bRunning.store(true);
    Stepping& s = stepping();
    std::shared_ptr<StepState> pState;
    {
        // Started from here on, so that a stepThreads right after start() waits for this thread's pass.
        std::lock_guard<std::mutex> stepLock(s.mutex);
        pState = s.find(this);
        pState->bStarted = true;
        pState->nDone = pState->nAsked;
    }
    try {
        m_thread = std::thread(&GThread::run, this);
    } catch (const std::system_error&) {
        m_bRunning.store(false);
        {
            std::lock_guard<std::mutex> stepLock(s.mutex);
            pState->bStarted = false;
        }
        s.cv.notify_all();
        return false;
    }
    return true;
}

bool GThread::stop() {
    Stepping& s = stepping();
    if (t_pCurrent == this) {
        m_bStop.store(true);
        return true;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable()) return true;
    {
        // Under the stepping mutex, so that a thread waiting for its step cannot miss the request.
        std::lock_guard<std::mutex> stepLock(s.mutex);
        m_bStop.store(true);
    }
    s.cv.notify_all();
    m_thread.join();
    m_bRunning.store(false);
    return true;
}

void GThread::run() {
    t_pCurrent = this;
    pthread_setname_np(pthread_self(), m_strName.substr(0, 15).c_str());
    Stepping& s = stepping();
    std::shared_ptr<StepState> pState;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        pState = s.find(this);
    }
    m_fnBefore();
    for (;;) {
        bool bStepped = false;
        {
            // While stepping, a pass runs only when one was asked for.
            std::unique_lock<std::mutex> lock(s.mutex);
            s.cv.wait(lock, [&] { return m_bStop.load() || !s.bOn || pState->nAsked > pState->nDone; });
            if (m_bStop.load()) break;
            bStepped = pState->nAsked > pState->nDone;
        }
        m_fnBody();
        if (bStepped) {
            {
                std::lock_guard<std::mutex> lock(s.mutex);
                ++pState->nDone;
            }
            s.cv.notify_all();
        }
    }
    m_fnAfter();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        pState->bStarted = false;
    }
    s.cv.notify_all();
    m_bRunning.store(false);
    t_pCurrent = nullptr;
}
