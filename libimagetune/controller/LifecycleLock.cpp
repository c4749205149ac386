#include "LifecycleLock.h"

namespace {

// The controller whose locks the calling thread holds through a LifecycleLock, if any. Initial-exec TLS
// keeps the library from needing the dynamic loader's __tls_get_addr (and so ld.so itself).
__attribute__((tls_model("initial-exec"))) thread_local const ISensorController* t_pHeldOwner = nullptr;

}  // namespace

LifecycleLock::LifecycleLock(const ISensorController* p_pOwner, QxMutex& p_objMutex, std::mutex& p_objPassMutex,
                             const char* p_szFile, int p_nLine)
    : m_pTaken(nullptr), m_pPassTaken(nullptr), m_pPreviousOwner(t_pHeldOwner) {
    if (t_pHeldOwner == p_pOwner) return;
    p_objMutex.Lock(p_szFile, p_nLine);
    m_pTaken = &p_objMutex;
    p_objPassMutex.lock();
    m_pPassTaken = &p_objPassMutex;
    t_pHeldOwner = p_pOwner;
}

LifecycleLock::~LifecycleLock() {
    t_pHeldOwner = m_pPreviousOwner;
    if (m_pPassTaken != nullptr) m_pPassTaken->unlock();
    if (m_pTaken != nullptr) m_pTaken->Unlock(__FILE__, __LINE__);
}
