// The platform thread: runs its body again and again on a thread of its own between start() and stop().
// Construction does not start it. Each start() runs, on a new thread named after the object (its first 15
// characters), the "before" callable once, then the body pass after pass until a stop is requested, then the
// "after" callable once. start(), stop() and the destructor may be called from any threads at once.
// The body's own thread may call stop() (it then only requests the stop and returns true: the current pass
// finishes, "after" runs and the thread ends) and start() (which changes nothing); it must not delete the
// object (that aborts with a report).
#ifndef IMAGETUNE_PLATFORM_GTHREAD_H
#define IMAGETUNE_PLATFORM_GTHREAD_H

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "Function.h"

class GThread {
public:
    // p_fnBefore runs once on the new thread before the first pass, p_fnAfter once after the last.
    GThread(const function<int>& p_fnBody, const std::string& p_strName, const function<int>& p_fnBefore,
            const function<int>& p_fnAfter);
    virtual ~GThread();
    GThread(const GThread&) = delete;
    GThread& operator=(const GThread&) = delete;

    // True on success; starting a started thread succeeds and changes nothing. After stop() it starts anew.
    // False only when no thread could be created.
    bool start();
    // Returns once the body has finished its pass and the thread has ended. True on success, also when not started.
    bool stop();
    // True from start() until the thread has ended.
    bool isRunning() const { return m_bRunning.load(); }
    const std::string& getName() const { return m_strName; }

    static int emptyFun();

private:
    void run();

    function<int> m_fnBody;
    function<int> m_fnBefore;
    function<int> m_fnAfter;
    std::string m_strName;
    std::mutex m_mutex;            // serialises start() and stop()
    std::thread m_thread;          // written by start()/stop() under m_mutex
    std::atomic<bool> m_bStop;     // written by stop(), read by the thread
    std::atomic<bool> m_bRunning;  // written by start()/stop(), read by anyone
};

#endif
