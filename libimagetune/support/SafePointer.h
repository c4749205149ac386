/**
 * @file SafePointer.h
 * @brief A reference-counted owning pointer whose counts live in the platform's RefCountManager.
 *
 * Misuse prints a report line and throws QxRuntimeError.
 */
#ifndef IMAGETUNE_SUPPORT_SAFEPOINTER_H
#define IMAGETUNE_SUPPORT_SAFEPOINTER_H

#include <cstdio>
#include <string>
#include <typeinfo>

#include "ImagetuneApi.h"
#include "QxRuntimeError.h"
#include "RefCount.h"

/// The polymorphic base of every SafePointer.
class IMAGETUNE_API BaseSafePointer {
public:
    /**
     * @brief Destroys the pointer.
     * @lock_none
     * @threads_any
     * @before_none
     */
    virtual ~BaseSafePointer() {}
};

/// Shares one object among copies; the last copy deletes it.
template <typename T>
class IMAGETUNE_API SafePointer : public BaseSafePointer {
public:
    /**
     * @brief Takes ownership of an object allocated with new and gives it a count of 1.
     * @param p_pointer the object.
     * @throws QxRuntimeError for a null object, after a report line.
     * @par Lock
     * Takes the platform's count manager's lock.
     * @threads_any
     * @before_none
     */
    explicit SafePointer(T* p_pointer) : m_pointer(p_pointer), m_pRefCount(nullptr) {
        if (m_pointer == nullptr) ThrowNullPointerException("Construct from NULL original pointer");
        m_pRefCount = RefCountManager::getInstance()->retrieveRefCount(static_cast<void*>(m_pointer), typeName());
    }

    /**
     * @brief Another owner of the same object: the count goes up by one.
     * @param p_other the pointer copied.
     * @throws QxRuntimeError when p_other holds nothing or its count is gone.
     * @par Lock
     * Takes the object's count's lock.
     * @threads_any
     * @before_none
     */
    SafePointer(const SafePointer& p_other) : m_pointer(p_other.m_pointer), m_pRefCount(p_other.m_pRefCount) {
        if (m_pointer == nullptr) ThrowNullPointerException("Construct from NULL <T>pointer");
        inc_reference();
    }

    SafePointer& operator=(const SafePointer&) = delete;

    /**
     * @brief The count goes down by one; the last owner deletes the object and returns its count.
     * @par Lock
     * Takes the object's count's lock.
     * @threads_any
     * @par Before init and after uinit
     * Needs no controller. A count that no longer belongs to the object ends the process.
     */
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

    /**
     * @brief The object.
     * @return its address.
     * @lock_none
     * @threads_any
     * @before_none
     */
    T* get() const { return m_pointer; }
    /**
     * @brief The object's members.
     * @return its address.
     * @lock_none
     * @threads_any
     * @before_none
     */
    T* operator->() const { return m_pointer; }
    /**
     * @brief The object.
     * @return a reference to it.
     * @lock_none
     * @threads_any
     * @before_none
     */
    T& operator*() const { return *m_pointer; }

    /**
     * @brief Counts one more owner.
     * @throws QxRuntimeError when the count is gone or belongs to another object.
     * @par Lock
     * Takes the object's count's lock.
     * @threads_any
     * @before_none
     */
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

    /**
     * @brief Prints "SafePointer Report:<type> <text>" and throws it as a QxRuntimeError.
     * @param p_szText what went wrong.
     * @throws QxRuntimeError always.
     * @lock_none
     * @threads_any
     * @before_none
     */
    [[noreturn]] void ThrowNullPointerException(const char* p_szText) const { throwReport(p_szText); }
    /**
     * @brief The same, on a pointer that is not const.
     * @param p_szText what went wrong.
     * @throws QxRuntimeError always.
     * @lock_none
     * @threads_any
     * @before_none
     */
    [[noreturn]] void ThrowNullPointerException(const char* p_szText) { throwReport(p_szText); }

    /**
     * @brief The name of T under which the count manager files the counts.
     * @return the type's name (std::type_info::name).
     * @lock_none
     * @threads_any
     * @before_none
     */
    static const char* typeName() { return typeid(T).name(); }

    /**
     * @brief The report of ThrowNullPointerException, for callers that hold no safe pointer yet.
     * @param p_szText what went wrong.
     * @throws QxRuntimeError always.
     * @lock_none
     * @threads_any
     * @before_none
     */
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
