// Shared reference counts for the safe pointer, handed out and taken back by one process-wide manager.
// A count's pointer and value change only under its lock(); read getPointer() and getCount() holding it.
// Counts are never freed: one handed back is kept for reuse, so a stale ref_count* stays valid memory.
#ifndef IMAGETUNE_PLATFORM_REFCOUNT_H
#define IMAGETUNE_PLATFORM_REFCOUNT_H

#include <mutex>
#include <string>
#include <vector>

class ref_count {
public:
    ref_count();
    // 0 on success.
    int lock();
    int unLock();
    void* getPointer() const { return m_pPointer; }
    // The count after the change. inc_reference returns 0, and changes nothing, once the count is 0.
    int inc_reference();
    int dec_reference();
    int getCount() const { return m_nCount; }

private:
    friend class RefCountManager;
    std::mutex m_mutex;
    void* m_pPointer;
    int m_nCount;
    std::string m_strTypeName;
};

class RefCountManager {
public:
    static RefCountManager* getInstance();
    // The count of p_pPointer with the new owner counted: a fresh count of 1, or the live count raised by one.
    // Null for a null pointer. A live count that has just reached 0 is not revived: its pointer was deleted
    // and the address is being reused, so the caller gets a fresh count once the old one is handed back.
    ref_count* retrieveRefCount(void* p_pPointer, const char* p_szTypeName);
    // Takes back a count that reached 0; it is kept for reuse and stays valid. The caller holds the count's
    // lock (as SafePointer's destructor does). A count that is not live (handed back twice) is ignored.
    void returnbackRefCount(ref_count* p_pCount, const char* p_szTypeName);
    // Counts that are held by a live pointer. A stand-in convenience for tests, inline so that it is no
    // operation of the platform library.
    size_t liveCount() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_vecLive.size();
    }

private:
    RefCountManager() = default;
    mutable std::mutex m_mutex;
    std::vector<ref_count*> m_vecLive;
    std::vector<ref_count*> m_vecFree;
};

#endif
