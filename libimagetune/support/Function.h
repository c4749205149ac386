// The callable that the platform's thread class runs: a plain function or a member bound to one object,
// shared between copies through a SafePointer.
#ifndef IMAGETUNE_SUPPORT_FUNCTION_H
#define IMAGETUNE_SUPPORT_FUNCTION_H

#include "SafePointer.h"

template <typename R>
class function_obj_base {
public:
    virtual ~function_obj_base() {}
    virtual R operator()() = 0;
};

template <typename R, typename F>
class function_obj : public function_obj_base<R> {
public:
    explicit function_obj(F p_fn) : m_fn(p_fn) {}
    R operator()() override { return m_fn(); }

private:
    F m_fn;
};

// A member operation R (C::*)() bound to one object.
template <typename R, typename C>
class bind_funcobj0 {
public:
    typedef R (C::*Member)();
    bind_funcobj0(Member p_pfn, C* p_pObj) : m_pfn(p_pfn), m_pObj(p_pObj) {}
    R operator()() { return (m_pObj->*m_pfn)(); }

private:
    Member m_pfn;
    C* m_pObj;
};

template <typename R>
class function {
public:
    explicit function(R (*p_pfn)()) : m_ptr(new function_obj<R, R (*)()>(p_pfn)) {}
    // Takes ownership of an object allocated with new.
    explicit function(function_obj_base<R>* p_pObj) : m_ptr(p_pObj) {}
    function(const function& p_other) = default;
    function& operator=(const function&) = delete;
    virtual ~function() {}

    R operator()() const { return (*m_ptr.get())(); }

private:
    SafePointer<function_obj_base<R>> m_ptr;
};

#endif
