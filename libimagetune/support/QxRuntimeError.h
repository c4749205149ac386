// The library's one exception type, thrown only by SafePointer on misuse and caught nowhere.
#ifndef IMAGETUNE_SUPPORT_QXRUNTIMEERROR_H
#define IMAGETUNE_SUPPORT_QXRUNTIMEERROR_H

#include <exception>
#include <string>

#include "ImagetuneApi.h"

class IMAGETUNE_API QxRuntimeError : public std::exception {
public:
    explicit QxRuntimeError(const std::string& p_strMsg) : m_strMsg(p_strMsg) {}
    explicit QxRuntimeError(const char* const& p_szMsg) {
        if (p_szMsg != nullptr) m_strMsg.append(p_szMsg);
    }
    ~QxRuntimeError() override {}
    const char* what() const noexcept override { return m_strMsg.c_str(); }

private:
    std::string m_strMsg;
};

#endif
