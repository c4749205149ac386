// Diagnostics: tagged, coloured lines on standard output gated by the debug level; the error log; and the
// assertion report, which names a failed condition and lets the caller go on unless assertions are on.
// The debug settings are re-read from "/tmp/Debug.sign" before every statement.
//
// Every form is a macro carrying the statement's file, function and line:
//   SNS_ASSERT(cond)                       report "<cond text>   ~~~Assertion failed." when cond is false
//   SNS_ASSERT_MSG(cond, fmt, ...)         the same with a message block
//   SNS_ASSERT_TEXT(cond, text[, fmt, ...]) the same, naming the condition by a given text
//   (each evaluates to cond as a bool, so a caller may write: if (!SNS_ASSERT(x)) return false;)
//   SNS_ERRMSG(fmt, ...)                   error message: level >= 0, tag "[sensor assert]", error log
//   SNS_WARN(fmt, ...)                     "[sensor warn]": level > 3, error log
//   SNS_ERR(fmt, ...)                      "[sensor err]":  level > 5
//   SNS_DBG(fmt, ...)                      "[sensor dbg]":  level > 5
//   SNS_DBG_TRACE(fmt, ...)                "[sensor dbg]":  level > 5, colour 0,37 (file-open trace)
//   SNS_INFO(fmt, ...)                     "[sensor info]": level > 6, colour 0,35
//   SNS_PLAIN(fmt, ...)                    message only:    level > 5
//   SNS_PLAIN_COLOR(colour, fmt, ...)      message only:    level > 5, colour pair 0,colour
#ifndef IMAGETUNE_SUPPORT_DIAGNOSTICS_H
#define IMAGETUNE_SUPPORT_DIAGNOSTICS_H


#include <cstdarg>

// g_nDebugLevel, g_bEnAssert and updateDebugLevel, the part that applications see. Inside the library, read the
// settings through sns_debug_level() and sns_assert_enabled() (relaxed atomic loads), not directly, so that
// concurrent refreshes stay race-free.
#include "SensorDebug.h"

enum SnsReportForm {
    SNS_FORM_ERRMSG,     // "[sensor assert]", level >= 0, error log
    SNS_FORM_WARN,       // "[sensor warn]", level > 3, error log
    SNS_FORM_ERR,        // "[sensor err]", level > 5
    SNS_FORM_DBG,        // "[sensor dbg]", level > 5
    SNS_FORM_DBG_TRACE,  // "[sensor dbg]", level > 5, colour 37
    SNS_FORM_INFO,       // "[sensor info]", level > 6, colour 35
};

// The report operations behind the macros. p_szFile may be a path: only its last component is printed.
bool sns_assert_report(const char* p_szFile, const char* p_szFunc, const char* p_szSignature, int p_nLine,
                       const char* p_szCond, const char* p_szFmt, ...) __attribute__((format(printf, 6, 7)));
// The report without a message block (an empty entry in the error log).
inline bool sns_assert_report(const char* p_szFile, const char* p_szFunc, const char* p_szSignature, int p_nLine,
                              const char* p_szCond) {
    return sns_assert_report(p_szFile, p_szFunc, p_szSignature, p_nLine, p_szCond, nullptr);
}
void sns_tagged_line(SnsReportForm p_eForm, const char* p_szFile, const char* p_szFunc, int p_nLine,
                     const char* p_szFmt, ...) __attribute__((format(printf, 5, 6)));
void sns_plain_line(int p_nColour, const char* p_szFmt, ...) __attribute__((format(printf, 2, 3)));

// Always false: the value of a failed check.
#define SNS_REPORT_FAILED_(text, ...) \
    sns_assert_report(__FILE__, __FUNCTION__, __PRETTY_FUNCTION__, __LINE__, text, __VA_ARGS__)

#define SNS_ASSERT(cond) ((cond) ? true : SNS_REPORT_FAILED_(#cond, nullptr))
#define SNS_ASSERT_MSG(cond, ...) ((cond) ? true : SNS_REPORT_FAILED_(#cond, __VA_ARGS__))
// The message is optional here: SNS_ASSERT_TEXT(cond, text) reports without one.
#define SNS_ASSERT_TEXT(cond, text, ...) \
    ((cond) ? true : sns_assert_report(__FILE__, __FUNCTION__, __PRETTY_FUNCTION__, __LINE__, text, ##__VA_ARGS__))

#define SNS_ERRMSG(...) sns_tagged_line(SNS_FORM_ERRMSG, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_WARN(...) sns_tagged_line(SNS_FORM_WARN, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_ERR(...) sns_tagged_line(SNS_FORM_ERR, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_DBG(...) sns_tagged_line(SNS_FORM_DBG, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_DBG_TRACE(...) sns_tagged_line(SNS_FORM_DBG_TRACE, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_INFO(...) sns_tagged_line(SNS_FORM_INFO, __FILE__, __FUNCTION__, __LINE__, __VA_ARGS__)
#define SNS_PLAIN(...) sns_plain_line(0, __VA_ARGS__)
#define SNS_PLAIN_COLOR(colour, ...) sns_plain_line(colour, __VA_ARGS__)

// True when a statement at "level > p_nThreshold" would print now (re-reads the settings first).
bool sns_level_above(int p_nThreshold);
// The settings as last refreshed, without re-reading the file.
int sns_debug_level();
bool sns_assert_enabled();

#endif
