#include "Diagnostics.h"

// __assert_fail is declared only without NDEBUG; the report needs it in every build type.
#ifdef NDEBUG
#undef NDEBUG
#include <assert.h>
#define NDEBUG 1
#else
#include <assert.h>
#endif

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "QxLogger.h"
#include "RegularFile.h"

// Plain globals (their names and types are exported as they are); every access inside the library is a
// relaxed atomic one, since any thread may refresh them at any time.
int g_nDebugLevel = 1;
bool g_bEnAssert = false;

namespace {

const char kSignPath[] = "/tmp/Debug.sign";
const char* const kErrorLogPath = "/mnt/mtd/log/SensorError.log";
const unsigned kErrorLogSize = 10240;
const unsigned kErrorLogFiles = 3;
const char* const kAssertTag = "[sensor assert]";
const int kAssertColour = 31;
// The two lines of the settings are at the start of the file.
const size_t kSignReadMax = 4096;
// Formatted texts are cut here, but for the message of a tagged line without the error log; the library's
// messages are a few hundred bytes at most.
const size_t kTextMax = 1024;

struct FormRow {
    const char* szTag;
    int nThreshold;  // prints when the level is greater
    int nColour;
    bool bErrorLog;
};

// Indexed by SnsReportForm.
const FormRow kForms[] = {
    {"[sensor assert]", -1, 0, true},  // SNS_FORM_ERRMSG: level >= 0
    {"[sensor warn]", 3, 0, true},     // SNS_FORM_WARN
    {"[sensor err]", 5, 0, false},     // SNS_FORM_ERR
    {"[sensor dbg]", 5, 0, false},     // SNS_FORM_DBG
    {"[sensor dbg]", 5, 37, false},    // SNS_FORM_DBG_TRACE: the file-open trace
    {"[sensor info]", 6, 35, false},   // SNS_FORM_INFO
};

void storeSettings(int p_nLevel, bool p_bAssert) {
    __atomic_store_n(&g_nDebugLevel, p_nLevel, __ATOMIC_RELAXED);
    __atomic_store_n(&g_bEnAssert, p_bAssert, __ATOMIC_RELAXED);
}

// atoi's reading (blanks, a sign, leading digits, 0 without any), saturated instead of overflowing.
int decimalValue(const std::string& p_strLine) {
    long nVal = std::strtol(p_strLine.c_str(), nullptr, 10);
    if (nVal > INT_MAX) return INT_MAX;
    if (nVal < INT_MIN) return INT_MIN;
    return static_cast<int>(nVal);
}

const char* baseName(const char* p_szFile) {
    if (p_szFile == nullptr) return "";
    const char* szSlash = std::strrchr(p_szFile, '/');
    return szSlash != nullptr ? szSlash + 1 : p_szFile;
}

// The length of the whole text, which may exceed what the buffer kept.
int formatText(char* p_szBuf, size_t p_nSize, const char* p_szFmt, va_list p_args) {
    p_szBuf[0] = '\0';
    return p_szFmt != nullptr ? std::vsnprintf(p_szBuf, p_nSize, p_szFmt, p_args) : 0;
}

void formatWhere(char* p_szBuf, size_t p_nSize, const char* p_szFile, const char* p_szFunc, int p_nLine) {
    std::snprintf(p_szBuf, p_nSize, "file:%s fun:%s line:%d\n", baseName(p_szFile), p_szFunc ? p_szFunc : "", p_nLine);
}

void writeColoured(int p_nColour, const std::string& p_strBody) {
    // One printf per statement keeps a statement whole when several threads print.
    std::printf("\033[%dm\033[%dm%s\033[0m", 0, p_nColour, p_strBody.c_str());
    std::fflush(stdout);
}

// A fresh logger per block: nothing stays open between reports; a log that cannot be written is ignored, and
// so is one that is not a file: a FIFO there would stop the report in its open. A write never follows a link
// at the file's own name.
void writeErrorLog(const char* p_szTag, const char* p_szFirst, const char* p_szSecond) {
    if (probeRegularFile(kErrorLogPath, REGULAR_FILE_REFUSE_LINK).eStatus == REGULAR_FILE_NOT_REGULAR) return;
    QxLogger objLogger;
    if (!objLogger.init(kErrorLogPath, kErrorLogSize, kErrorLogFiles)) return;
    objLogger.writeLog(p_szTag, p_szFirst);
    if (p_szSecond != nullptr) objLogger.writeLog(p_szTag, p_szSecond);
}

std::string headerLine(const char* p_szTag, const char* p_szFile, const char* p_szFunc, int p_nLine) {
    char szHeader[kTextMax];
    std::snprintf(szHeader, sizeof(szHeader), "%s file:%s fun:%s line:%d\n", p_szTag, baseName(p_szFile),
                  p_szFunc ? p_szFunc : "", p_nLine);
    return szHeader;
}

}  // namespace

// Read without blocking: a FIFO planted in /tmp would otherwise stop every report. A link is read through (a
// developer may link the settings to a file that survives a reboot).
void updateDebugLevel() {
    std::string strText;
    // Mapped without the heap: this runs before every statement.
    char szHost[512];
    const RegularFileResult stFile =
        qx_device_path_of_constant(kSignPath, szHost, sizeof(szHost))
            ? readRegularHostFile(szHost, kSignReadMax, strText, REGULAR_FILE_PREFIX)
            : readRegularFile(kSignPath, kSignReadMax, strText, REGULAR_FILE_PREFIX);
    if (stFile.eStatus == REGULAR_FILE_MISSING) {
        storeSettings(1, false);
        return;
    }
    if (stFile.eStatus != REGULAR_FILE_OK) return;  // present but not a readable file: keep the settings
    std::vector<std::string> vecLines;
    splitRegularFileLines(strText, vecLines);
    const std::string strLevel = vecLines.size() > 0 ? vecLines[0] : std::string();
    const std::string strAssert = vecLines.size() > 1 ? vecLines[1] : std::string();
    int nLevel = strLevel.empty() ? 1 : decimalValue(strLevel);
    bool bAssert = !strAssert.empty() && decimalValue(strAssert) != 0;
    storeSettings(nLevel, bAssert);
}

int sns_debug_level() {
    return __atomic_load_n(&g_nDebugLevel, __ATOMIC_RELAXED);
}

bool sns_assert_enabled() {
    return __atomic_load_n(&g_bEnAssert, __ATOMIC_RELAXED);
}

bool sns_level_above(int p_nThreshold) {
    updateDebugLevel();
    return sns_debug_level() > p_nThreshold;
}

bool sns_assert_report(const char* p_szFile, const char* p_szFunc, const char* p_szSignature, int p_nLine,
                       const char* p_szCond, const char* p_szFmt, ...) {
    char szMsg[kTextMax];
    va_list args;
    va_start(args, p_szFmt);
    formatText(szMsg, sizeof(szMsg), p_szFmt, args);
    va_end(args);

    if (sns_level_above(-1)) {
        char szCond[kTextMax];
        std::snprintf(szCond, sizeof(szCond), "%s   ~~~Assertion failed.\n", p_szCond ? p_szCond : "");
        writeColoured(kAssertColour, headerLine(kAssertTag, p_szFile, p_szFunc, p_nLine) + szCond);
        char szWhere[kTextMax];
        formatWhere(szWhere, sizeof(szWhere), p_szFile, p_szFunc, p_nLine);
        writeErrorLog(kAssertTag, szWhere, szCond);
    }
    if (sns_level_above(-1)) {
        writeColoured(kAssertColour, szMsg);
        writeErrorLog(kAssertTag, szMsg, nullptr);
    }
    if (sns_assert_enabled()) {
        std::fflush(stdout);
        __assert_fail("bRet", baseName(p_szFile), static_cast<unsigned>(p_nLine), p_szSignature ? p_szSignature : "");
    }
    return false;
}

void sns_tagged_line(SnsReportForm p_eForm, const char* p_szFile, const char* p_szFunc, int p_nLine,
                     const char* p_szFmt, ...) {
    if (p_eForm < SNS_FORM_ERRMSG || p_eForm > SNS_FORM_INFO) return;
    const FormRow& stForm = kForms[p_eForm];
    if (!sns_level_above(stForm.nThreshold)) return;

    char szMsg[kTextMax];
    va_list args;
    va_start(args, p_szFmt);
    const int nLen = formatText(szMsg, sizeof(szMsg), p_szFmt, args);
    va_end(args);
    // A longer message of a form without the error log (the merged style at level 7) is printed whole; the
    // forms that log print what their log entry keeps.
    std::string strMsg(szMsg);
    if (nLen >= static_cast<int>(kTextMax) && !stForm.bErrorLog) {
        strMsg.resize(static_cast<size_t>(nLen) + 1);
        va_start(args, p_szFmt);
        std::vsnprintf(&strMsg[0], strMsg.size(), p_szFmt, args);
        va_end(args);
        strMsg.resize(static_cast<size_t>(nLen));
    }

    writeColoured(stForm.nColour, headerLine(stForm.szTag, p_szFile, p_szFunc, p_nLine) + strMsg);
    if (stForm.bErrorLog) {
        char szWhere[kTextMax];
        formatWhere(szWhere, sizeof(szWhere), p_szFile, p_szFunc, p_nLine);
        writeErrorLog(stForm.szTag, szWhere, szMsg);
    }
}

void sns_plain_line(int p_nColour, const char* p_szFmt, ...) {
    if (!sns_level_above(5)) return;
    char szMsg[kTextMax];
    va_list args;
    va_start(args, p_szFmt);
    formatText(szMsg, sizeof(szMsg), p_szFmt, args);
    va_end(args);
    writeColoured(p_nColour, szMsg);
}
