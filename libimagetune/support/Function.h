/**
 * @file Function.h
 * @brief The callable that the platform's thread class runs: a plain function or a member bound to one
 * object, shared between copies through a SafePointer.
 */
#ifndef IMAGETUNE_SUPPORT_FUNCTION_H
#define IMAGETUNE_SUPPORT_FUNCTION_H

#include "ImagetuneApi.h"
#include "SafePointer.h"

/// What a function calls.
template <typename R>
class IMAGETUNE_API function_obj_base {
public:
    /**
     * @brief Destroys the callable.
     * @lock_none
     * @threads_any
     * @before_none
     */
    virtual ~function_obj_base() {}
    /**
     * @brief Calls it.
     * @return what the call returns.
     * @lock_none
     * @par Threads
     * The thread that runs the function (the sensor thread for the controller's body).
     * @before_none
     */
    virtual R operator()() = 0;
};

/// A callable of type F, kept by value.
template <typename R, typename F>
class IMAGETUNE_API function_obj : public function_obj_base<R> {
public:
    /**
     * @brief Keeps a copy of the callable.
     * @param p_fn the callable.
     * @lock_none
     * @threads_any
     * @before_none
     */
    explicit function_obj(F p_fn) : m_fn(p_fn) {}
    /**
     * @brief Calls it.
     * @return what the call returns.
     * @lock_none
     * @par Threads
     * The thread that runs the function.
     * @before_none
     */
    R operator()() override { return m_fn(); }

private:
    F m_fn;
};

/// A member operation R (C::*)() bound to one object.
template <typename R, typename C>
class IMAGETUNE_API bind_funcobj0 {
public:
    typedef R (C::*Member)();  ///< the member operation's type
    /**
     * @brief Binds the member to the object.
     * @param p_pfn the member.
     * @param p_pObj the object; it must outlive every call.
     * @lock_none
     * @threads_any
     * @before_none
     */
    bind_funcobj0(Member p_pfn, C* p_pObj) : m_pfn(p_pfn), m_pObj(p_pObj) {}
    /**
     * @brief Calls the member on the object.
     * @return what the member returns.
     * @lock_none
     * @par Threads
     * The thread that runs the function.
     * @before_none
     */
    R operator()() { return (m_pObj->*m_pfn)(); }

private:
    Member m_pfn;
    C* m_pObj;
};

/// The callable of the platform's thread class; copies share one target.
template <typename R>
class IMAGETUNE_API function {
public:
    /**
     * @brief Calls a plain function.
     * @param p_pfn the function; a null one would crash at the first call, so it is refused like a null target.
     * @throws QxRuntimeError for a null function, after the report line.
     * @par Lock
     * Takes the platform's count manager's lock.
     * @threads_any
     * @before_none
     */
    explicit function(R (*p_pfn)()) : m_ptr(adopt(p_pfn ? new function_obj<R, R (*)()>(p_pfn) : nullptr)) {}
    /**
     * @brief Takes ownership of a callable allocated with new.
     * @param p_pObj the callable.
     * @throws QxRuntimeError for a null callable, after the report line.
     * @par Lock
     * Takes the platform's count manager's lock.
     * @threads_any
     * @before_none
     */
    explicit function(function_obj_base<R>* p_pObj) : m_ptr(adopt(p_pObj)) {}
    /**
     * @brief Shares the other function's target.
     * @param p_other the function copied.
     * @par Lock
     * Takes the target's count's lock.
     * @threads_any
     * @before_none
     */
    function(const function& p_other) = default;
    function& operator=(const function&) = delete;
    /**
     * @brief Releases this share of the target.
     * @par Lock
     * Takes the target's count's lock.
     * @threads_any
     * @before_none
     */
    virtual ~function() {}

    /**
     * @brief Calls the target.
     * @return what it returns.
     * @lock_none
     * @par Threads
     * The thread that runs the function (the sensor thread for the controller's body).
     * @before_none
     */
    R operator()() const { return (*m_ptr.get())(); }

private:
    typedef SafePointer<function_obj_base<R>> Pointer;
    static Pointer adopt(function_obj_base<R>* p_pObj) {
        if (p_pObj == nullptr) Pointer::throwReport("Construct from NULL <T>pointer");
        return Pointer(p_pObj);
    }

    Pointer m_ptr;
};

#endif
