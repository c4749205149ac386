// The controller's exclusion as the application's operations take it: m_objMutex through QxMutexManager, then
// the library's own pass lock, which the sensor thread only tries (it must never wait for a holder, who may be
// stopping it). Both are released together at the end of the scope.
#ifndef IMAGETUNE_CONTROLLER_CONTROLLERLOCK_H
#define IMAGETUNE_CONTROLLER_CONTROLLERLOCK_H

#include <mutex>

#include "QxMutexManager.h"

class ControllerLock {
public:
    ControllerLock(QxMutex& p_objMutex, std::mutex& p_objPassMutex, const char* p_szFile, int p_nLine)
        : m_objGuard(&p_objMutex, p_szFile, p_nLine), m_objPass(p_objPassMutex) {}
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

private:
    QxMutexManager m_objGuard;
    std::lock_guard<std::mutex> m_objPass;
};

// For the member operations of ISensorController that hold the controller's exclusion for their whole body.
#define CONTROLLER_LOCK_SCOPE() ControllerLock objControllerLock_(m_objMutex, m_objPassMutex, __FILE__, __LINE__)

#endif
