// The controller's exclusion (ControllerLock.h) around init, uinit and the factory reset, which run one inside
// the other: the reset runs uinit and init, and init may run uinit. The outermost takes both locks; the inner
// ones see that this thread holds them already and leave them be.
#ifndef IMAGETUNE_CONTROLLER_LIFECYCLELOCK_H
#define IMAGETUNE_CONTROLLER_LIFECYCLELOCK_H

#include <mutex>

#include "QxMutex.h"

class ISensorController;

class LifecycleLock {
public:
    LifecycleLock(const ISensorController* p_pOwner, QxMutex& p_objMutex, std::mutex& p_objPassMutex,
                  const char* p_szFile, int p_nLine);
    ~LifecycleLock();
    LifecycleLock(const LifecycleLock&) = delete;
    LifecycleLock& operator=(const LifecycleLock&) = delete;

private:
    QxMutex* m_pTaken;         // null when an outer scope on this thread holds the locks
    std::mutex* m_pPassTaken;  // likewise
    const ISensorController* m_pPreviousOwner;
};

#endif
