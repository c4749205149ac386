// The platform mutex. Debug builds use an error-checking mutex: locking it twice on one thread fails loudly.
#ifndef IMAGETUNE_PLATFORM_QXMUTEX_H
#define IMAGETUNE_PLATFORM_QXMUTEX_H

#include <pthread.h>

class QxMutex {
public:
    QxMutex();
    ~QxMutex();
    QxMutex(const QxMutex&) = delete;
    QxMutex& operator=(const QxMutex&) = delete;

    // The arguments only name the caller's source file and line, for the failure report.
    void Lock(const char* p_szFile, int p_nLine);
    void Unlock(const char* p_szFile, int p_nLine);
    // True when the lock was free and is now held by the caller.
    bool TryLock(const char* p_szFile, int p_nLine);

private:
    pthread_mutex_t m_mutex;
};

#endif
