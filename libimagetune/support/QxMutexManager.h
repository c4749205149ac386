/**
 * @file QxMutexManager.h
 * @brief Scope guard over a QxMutex: locks on construction, unlocks on destruction.
 */
#ifndef IMAGETUNE_SUPPORT_QXMUTEXMANAGER_H
#define IMAGETUNE_SUPPORT_QXMUTEXMANAGER_H

#include "QxMutex.h"

/// Holds a QxMutex for the guard's scope.
class QxMutexManager {
public:
    /**
     * @brief Locks the mutex.
     * @param p_pMutex the mutex; it must outlive the guard.
     * @param p_szFile the caller's file, for the platform's lock trace.
     * @param p_nLine the caller's line.
     * @par Lock
     * Takes p_pMutex, waiting as long as it is held.
     * @par Threads
     * Any thread that does not hold p_pMutex already.
     * @before_none
     */
    QxMutexManager(QxMutex* p_pMutex, const char* p_szFile, int p_nLine) : m_pMutex(p_pMutex) {
        m_pMutex->Lock(p_szFile, p_nLine);
    }
    /**
     * @brief Unlocks the mutex.
     * @par Lock
     * Releases the mutex the constructor took.
     * @par Threads
     * The thread that made the guard.
     * @before_none
     */
    ~QxMutexManager() { m_pMutex->Unlock(__FILE__, __LINE__); }
    QxMutexManager(const QxMutexManager&) = delete;
    QxMutexManager& operator=(const QxMutexManager&) = delete;

private:
    QxMutex* m_pMutex;
};

/// A guard named objMutexGuard_ over mutex for the rest of the scope.
#define QX_LOCK_SCOPE(mutex) QxMutexManager objMutexGuard_(&(mutex), __FILE__, __LINE__)

#endif
