// The safe pointer's shared counts.
//
// Lock order: a count's own lock comes before the manager's (SafePointer's destructor holds the count while it
// hands it back), so the manager never takes a count's lock while holding its own. A count's pointer is
// written only under the manager's lock (on hand-out, and on hand-back while the caller holds the count).
#include "RefCount.h"

#include <algorithm>
#include <thread>

ref_count::ref_count() : m_pPointer(nullptr), m_nCount(0) {}

int ref_count::lock() {
    m_mutex.lock();
    return 0;
}

int ref_count::unLock() {
    m_mutex.unlock();
    return 0;
}

int ref_count::inc_reference() {
    if (m_nCount <= 0) return 0;
    return ++m_nCount;
}

int ref_count::dec_reference() {
    if (m_nCount > 0) --m_nCount;
    return m_nCount;
}

RefCountManager* RefCountManager::getInstance() {
    static RefCountManager* s_pInstance = new RefCountManager;  // never destroyed: counts outlive statics
    return s_pInstance;
}

ref_count* RefCountManager::retrieveRefCount(void* p_pPointer, const char* p_szTypeName) {
    if (p_pPointer == nullptr) return nullptr;
    for (;;) {
        ref_count* pLive = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (ref_count* pCount : m_vecLive) {
                if (pCount->m_pPointer == p_pPointer) {
                    pLive = pCount;
                    break;
                }
            }
            if (pLive == nullptr) {
                ref_count* pFresh = nullptr;
                if (!m_vecFree.empty()) {
                    pFresh = m_vecFree.back();
                    m_vecFree.pop_back();
                } else {
                    pFresh = new ref_count;
                }
                // No count lock here (that would invert the order). The last writer of these fields was the
                // hand-back, under m_mutex too, and the new owner reaches the count only through this call.
                pFresh->m_pPointer = p_pPointer;
                pFresh->m_nCount = 1;
                pFresh->m_strTypeName = p_szTypeName != nullptr ? p_szTypeName : "";
                m_vecLive.push_back(pFresh);
                return pFresh;
            }
        }
        pLive->lock();
        if (pLive->m_pPointer == p_pPointer && pLive->inc_reference() != 0) {
            pLive->unLock();
            return pLive;
        }
        pLive->unLock();
        std::this_thread::yield();  // it reached 0 and is being handed back: look again
    }
}

void RefCountManager::returnbackRefCount(ref_count* p_pCount, const char* /*p_szTypeName*/) {
    if (p_pCount == nullptr) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find(m_vecLive.begin(), m_vecLive.end(), p_pCount);
    if (it == m_vecLive.end()) return;
    *it = m_vecLive.back();
    m_vecLive.pop_back();
    // The caller holds the count's lock, so these writes are ordered with every reader's.
    p_pCount->m_pPointer = nullptr;
    p_pCount->m_nCount = 0;
    m_vecFree.push_back(p_pCount);
}
