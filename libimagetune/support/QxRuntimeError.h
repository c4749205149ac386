/**
 * @file QxRuntimeError.h
 * @brief The library's one exception type, thrown only by SafePointer on misuse and caught nowhere.
 */
#ifndef IMAGETUNE_SUPPORT_QXRUNTIMEERROR_H
#define IMAGETUNE_SUPPORT_QXRUNTIMEERROR_H

#include <exception>
#include <string>

#include "ImagetuneApi.h"

/// Thrown by SafePointer on misuse; exported with its type information, so that callers can catch it.
class IMAGETUNE_API QxRuntimeError : public std::exception {
public:
    /**
     * @brief An error with that message.
     * @param p_strMsg the message.
     * @lock_none
     * @threads_any
     * @before_none
     */
    explicit QxRuntimeError(const std::string& p_strMsg) : m_strMsg(p_strMsg) {}
    /**
     * @brief An error with that message; a null message is an empty one.
     * @param p_szMsg the message, or null.
     * @lock_none
     * @threads_any
     * @before_none
     */
    explicit QxRuntimeError(const char* const& p_szMsg) {
        if (p_szMsg != nullptr) m_strMsg.append(p_szMsg);
    }
    /**
     * @brief Releases the message.
     * @lock_none
     * @threads_any
     * @before_none
     */
    ~QxRuntimeError() override {}
    /**
     * @brief The message.
     * @return the message text, valid as long as the error.
     * @lock_none
     * @threads_any
     * @before_none
     */
    const char* what() const noexcept override { return m_strMsg.c_str(); }

private:
    std::string m_strMsg;
};

#endif
