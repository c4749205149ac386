// Scope guard over a QxMutex: locks on construction, unlocks on destruction.
#ifndef IMAGETUNE_SUPPORT_QXMUTEXMANAGER_H
#define IMAGETUNE_SUPPORT_QXMUTEXMANAGER_H

#include "QxMutex.h"

class QxMutexManager {
public:
    QxMutexManager(QxMutex* p_pMutex, const char* p_szFile, int p_nLine) : m_pMutex(p_pMutex) {
        m_pMutex->Lock(p_szFile, p_nLine);
    }
    ~QxMutexManager() { m_pMutex->Unlock(__FILE__, __LINE__); }
    QxMutexManager(const QxMutexManager&) = delete;
    QxMutexManager& operator=(const QxMutexManager&) = delete;

private:
    QxMutex* m_pMutex;
};

#define QX_LOCK_SCOPE(mutex) QxMutexManager objMutexGuard_(&(mutex), __FILE__, __LINE__)

#endif
