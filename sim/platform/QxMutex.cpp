// QxMutex over a pthread mutex; error-checking where QX_MUTEX_ERRORCHECK is set (every build but Release).
#include "QxMutex.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "SimControl.h"

namespace {

const char* orUnknown(const char* p_sz) {
    return p_sz != nullptr ? p_sz : "?";
}

[[noreturn]] void die(const char* p_szWhat, int p_nErr, const char* p_szFile, int p_nLine) {
    std::fprintf(stderr, "QxMutex: %s failed at %s:%d: %s\n", p_szWhat, orUnknown(p_szFile), p_nLine,
                 std::strerror(p_nErr));
    std::fflush(stderr);
    std::abort();
}

}  // namespace

QxMutex::QxMutex() : m_szHolderFile(nullptr), m_nHolderLine(0) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
#ifdef QX_MUTEX_ERRORCHECK
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ERRORCHECK);
#endif
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

QxMutex::~QxMutex() {
    pthread_mutex_destroy(&m_mutex);
}

void QxMutex::Lock(const char* p_szFile, int p_nLine) {
    int nErr = pthread_mutex_lock(&m_mutex);
    if (nErr == EDEADLK) {
        // Only the holder gets here, so reading where it locked is safe.
        std::fprintf(stderr, "QxMutex: self-deadlock: %s:%d locks a mutex this thread took at %s:%d\n",
                     orUnknown(p_szFile), p_nLine, orUnknown(m_szHolderFile), m_nHolderLine);
        die("Lock", nErr, p_szFile, p_nLine);
    }
    if (nErr != 0) die("Lock", nErr, p_szFile, p_nLine);
    m_szHolderFile = p_szFile;
    m_nHolderLine = p_nLine;
}

void QxMutex::Unlock(const char* p_szFile, int p_nLine) {
    int nErr = pthread_mutex_unlock(&m_mutex);
    if (nErr != 0) die("Unlock (not held by this thread?)", nErr, p_szFile, p_nLine);
}

namespace qxsim {
bool mutexErrorCheck() {
#ifdef QX_MUTEX_ERRORCHECK
    return true;
#else
    return false;
#endif
}
}  // namespace qxsim
