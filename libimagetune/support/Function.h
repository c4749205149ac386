// The callable that the platform's thread class runs: a plain function or a member bound to one object,
// shared between copies through a SafePointer.
#ifndef IMAGETUNE_SUPPORT_FUNCTION_H
#define IMAGETUNE_SUPPORT_FUNCTION_H

#include "ImagetuneApi.h"
#include "SafePointer.h"

template <typename R>
class IMAGETUNE_API function_obj_base {
public:
    virtual ~function_obj_base() {}
    virtual R operator()() = 0;
};

template <typename R, typename F>
class IMAGETUNE_API function_obj : public function_obj_base<R> {
public:
    explicit function_obj(F p_fn) : m_fn(p_fn) {}
    R operator()() override { return m_fn(); }

private:
    F m_fn;
};

// A member operation R (C::*)() bound to one object.
template <typename R, typename C>
class IMAGETUNE_API bind_funcobj0 {
public:
    typedef R (C::*Member)();
    bind_funcobj0(Member p_pfn, C* p_pObj) : m_pfn(p_pfn), m_pObj(p_pObj) {}
    R operator()() { return (m_pObj->*m_pfn)(); }

private:
    Member m_pfn;
    C* m_pObj;
};

template <typename R>
class IMAGETUNE_API function {
public:
    // A null function would crash at the first call: it is refused like a null target.
    explicit function(R (*p_pfn)()) : m_ptr(adopt(p_pfn ? new function_obj<R, R (*)()>(p_pfn) : nullptr)) {}
    // Takes ownership of an object allocated with new; a null object prints the report and throws.
    explicit function(function_obj_base<R>* p_pObj) : m_ptr(adopt(p_pObj)) {}
    function(const function& p_other) = default;
    function& operator=(const function&) = delete;
    virtual ~function() {}

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
