// The platform mutex, not recursive. Debug builds use an error-checking mutex: a thread that locks it twice, or
// unlocks it without holding it, gets a report on stderr (with where it took the lock) and the process aborts,
// instead of hanging. A lock or unlock that fails in any build aborts the same way.
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

private:
    pthread_mutex_t m_mutex;
    // Where the holder took the lock: written and read only by the thread that holds it.
    const char* m_szHolderFile;
    int m_nHolderLine;
};

#endif
