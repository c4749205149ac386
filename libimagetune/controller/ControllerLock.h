// The controller's exclusion as the application's operations take it: m_objMutex through QxMutexManager, then
// the library's own pass lock, which the sensor thread only tries (it must never wait for a holder, who may be
// stopping it). A pass that found the lock taken posts its scheme decision; the holder runs it before it
// releases both locks, so callers that poll without pause cannot starve the thread's switches.
#ifndef IMAGETUNE_CONTROLLER_CONTROLLERLOCK_H
#define IMAGETUNE_CONTROLLER_CONTROLLERLOCK_H

#include <mutex>

#include "ISensorController.h"
#include "QxMutexManager.h"

class ControllerLock {
public:
    ControllerLock(ISensorController& p_objOwner, const char* p_szFile, int p_nLine)
        : m_objOwner(p_objOwner),
          m_objGuard(&p_objOwner.m_objMutex, p_szFile, p_nLine),
          m_objPass(p_objOwner.m_objPassMutex) {}
    // Runs before the members release the locks.
    ~ControllerLock() { m_objOwner.runPostedPass(); }
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

private:
    ISensorController& m_objOwner;
    QxMutexManager m_objGuard;
    std::lock_guard<std::mutex> m_objPass;
};

// For the member operations of ISensorController that hold the controller's exclusion for their whole body.
#define CONTROLLER_LOCK_SCOPE() ControllerLock objControllerLock_(*this, __FILE__, __LINE__)

#endif
