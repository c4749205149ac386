// A reference-counted owning pointer whose counts live in the platform's RefCountManager.
// Misuse prints a report line and throws QxRuntimeError.
#ifndef IMAGETUNE_SUPPORT_SAFEPOINTER_H
#define IMAGETUNE_SUPPORT_SAFEPOINTER_H

#include <cstdio>
#include <string>
#include <typeinfo>

#include "ImagetuneApi.h"
#include "QxRuntimeError.h"
#include "RefCount.h"

class IMAGETUNE_API BaseSafePointer {
public:
    virtual ~BaseSafePointer() {}
};

template <typename T>
class IMAGETUNE_API SafePointer : public BaseSafePointer {
public:
    explicit SafePointer(T* p_pointer) : m_pointer(p_pointer), m_pRefCount(nullptr) {
        if (m_pointer == nullptr) ThrowNullPointerException("Construct from NULL original pointer");
        m_pRefCount = RefCountManager::getInstance()->retrieveRefCount(static_cast<void*>(m_pointer), typeName());
    }

    SafePointer(const SafePointer& p_other) : m_pointer(p_other.m_pointer), m_pRefCount(p_other.m_pRefCount) {
        if (m_pointer == nullptr) ThrowNullPointerException("Construct from NULL <T>pointer");
        inc_reference();
    }

    SafePointer& operator=(const SafePointer&) = delete;

    ~SafePointer() override {
        if (m_pointer == nullptr) return;
        m_pRefCount->lock();
        // The count no longer belongs to this pointer: thrown from a destructor, this ends the process.
        if (m_pRefCount->getPointer() != static_cast<void*>(m_pointer)) {
            failFatally("not valid pointer in dec_reference");
        }
        if (m_pRefCount->dec_reference() == 0) {
            delete m_pointer;
            m_pointer = nullptr;
            // Still under the count's lock: the manager recycles it, and the count stays valid memory.
            RefCountManager::getInstance()->returnbackRefCount(m_pRefCount, typeName());
        }
        m_pRefCount->unLock();
    }

    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    T& operator*() const { return *m_pointer; }

    void inc_reference() const {
        if (m_pRefCount == nullptr) ThrowNullPointerException("Already destructed 1");
        if (m_pRefCount->lock() != 0) ThrowNullPointerException("Already destructed 2");
        if (m_pRefCount->getPointer() != static_cast<void*>(m_pointer)) {
            m_pRefCount->unLock();
            throw QxRuntimeError(std::string("not valid pointer in inc_reference "));
        }
        if (m_pRefCount->inc_reference() != 0) {
            m_pRefCount->unLock();
            return;
        }
        m_pRefCount->unLock();
        ThrowNullPointerException("Already destructed 3");
    }

    [[noreturn]] void ThrowNullPointerException(const char* p_szText) const { throwReport(p_szText); }
    [[noreturn]] void ThrowNullPointerException(const char* p_szText) { throwReport(p_szText); }

    static const char* typeName() { return typeid(T).name(); }

    // The report of ThrowNullPointerException for callers that hold no safe pointer yet.
    [[noreturn]] static void throwReport(const char* p_szText) {
        std::string strMsg = std::string("SafePointer Report:") + typeName() + " " + p_szText;
        std::printf("%s\n", strMsg.c_str());
        std::fflush(stdout);
        throw QxRuntimeError(strMsg);
    }

private:
    // The destructor's throw lives here so that it still ends in std::terminate without a -Wterminate error.
    [[noreturn]] static void failFatally(const char* p_szText) { throw QxRuntimeError(std::string(p_szText)); }

    T* m_pointer;
    ref_count* m_pRefCount;
};

#endif
