// GThread over std::thread.
#include "GThread.h"

#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace {
// The GThread whose thread this is, so that the body's own stop() never joins itself.
thread_local const GThread* t_pCurrent = nullptr;
}  // namespace

GThread::GThread(const function<int>& p_fnBody, const std::string& p_strName, const function<int>& p_fnBefore,
                 const function<int>& p_fnAfter)
    : m_fnBody(p_fnBody),
      m_fnBefore(p_fnBefore),
      m_fnAfter(p_fnAfter),
      m_strName(p_strName),
      m_bStop(false),
      m_bRunning(false) {}

GThread::~GThread() {
    if (t_pCurrent == this) {
        std::fprintf(stderr, "GThread %s: deleted by its own body\n", m_strName.c_str());
        std::abort();
    }
    stop();
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
    try {
        m_thread = std::thread(&GThread::run, this);
    } catch (const std::system_error&) {
        m_bRunning.store(false);
        return false;
    }
    return true;
}

bool GThread::stop() {
    if (t_pCurrent == this) {
        m_bStop.store(true);
        return true;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable()) return true;
    m_bStop.store(true);
    m_thread.join();
    m_bRunning.store(false);
    return true;
}

void GThread::run() {
    t_pCurrent = this;
    pthread_setname_np(pthread_self(), m_strName.substr(0, 15).c_str());
    m_fnBefore();
    while (!m_bStop.load()) m_fnBody();
    m_fnAfter();
    m_bRunning.store(false);
    t_pCurrent = nullptr;
}
