#include "SensorFile.h"

#include <climits>
#include <cstring>
#include <string>

#include "Diagnostics.h"
#include "FileReplace.h"
#include "RegularFile.h"
#include "VersionFile.h"

namespace {

const char* printableName(const char* p_szName) {
    return p_szName != nullptr ? p_szName : "(null)";
}

}  // namespace

// A file that cannot be opened has length 0, so that a caller sizing a buffer as length + 1 gets a valid one.
// Only a regular file has a length: a FIFO or a device is refused without being opened for reading.
INT64 getFileLen(const char* file_name) {
    const RegularFileResult stFile = probeRegularFile(file_name);
    if (regularFileRefused(stFile)) SNS_REPORT_REFUSED_FILE(printableName(file_name), stFile);
    if (!SNS_ASSERT_TEXT(stFile.eStatus == REGULAR_FILE_OK, "file.open(file_name)", "file_name(%s)",
                         printableName(file_name)))
        return 0;
    return stFile.nSize;
}

int loadFromFile(const char* file_name, char* buf, INT64 len) {
    SNS_DBG_TRACE("open file:%s\n", printableName(file_name));
    if (len < 0 || len > INT_MAX || (buf == nullptr && len > 0)) return -1;
    std::string strData;
    const RegularFileResult stFile = readRegularFile(file_name, static_cast<size_t>(len), strData, REGULAR_FILE_PREFIX);
    // Quiet on a missing or short file; what is not a file is refused aloud.
    if (regularFileRefused(stFile)) SNS_REPORT_REFUSED_FILE(printableName(file_name), stFile);
    if (stFile.eStatus != REGULAR_FILE_OK) return -1;
    if (!strData.empty()) std::memcpy(buf, strData.data(), strData.size());
    return static_cast<INT64>(strData.size()) == len ? static_cast<int>(len) : -1;
}

// The result equals file_len only when the file now holds the data; a short write returns its count, and any
// other failure (open, sync, rename, bad arguments) -1. The old file stays whole in every failing case.
int saveToFile(char* file_name, char* data, INT64 file_len) {
    const char* szName = printableName(file_name);
    if (!SNS_ASSERT_MSG(
            file_name != nullptr && file_len >= 0 && file_len <= INT_MAX && (data != nullptr || file_len == 0),
            "file_name(%s) file_len(%lld)\n", szName, static_cast<long long>(file_len)))
        return -1;

    FileReplaceResult stResult = writeFileReplacing(file_name, data, file_len);
    SNS_ASSERT_TEXT(stResult.bOpened, "file.open(file_name, QxFile::modeWrite | QxFile::modeTruncate)",
                    "file_name(%s)\n", szName);
    INT64 nSize = stResult.nWritten;
    SNS_ASSERT_TEXT(file_len == nSize, "file_len == (nSize=file.write(data, file_len))", "file_len(%d)\n",
                    static_cast<int>(file_len));
    if (!stResult.bOpened) return -1;
    if (nSize != file_len) return static_cast<int>(nSize);
    return stResult.bReplaced ? static_cast<int>(nSize) : -1;
}

// Only whole records are taken from a short file: a torn last record would pair a stored key with a stale value.
int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    const char* szName = printableName(file_name);
    const INT64 nWant = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValNum;
    if (!SNS_ASSERT_MSG(p_pKeyVal != nullptr || p_nKeyValNum == 0, "file_name(%s) p_nKeyValNum(%u)\n", szName,
                        p_nKeyValNum) ||
        !SNS_ASSERT_MSG(nWant <= INT_MAX, "file_name(%s) p_nKeyValNum(%u)\n", szName, p_nKeyValNum))
        return -1;

    std::string strBytes;
    const RegularFileResult stFile =
        readRegularFile(file_name, static_cast<size_t>(nWant), strBytes, REGULAR_FILE_PREFIX);
    if (regularFileRefused(stFile)) SNS_REPORT_REFUSED_FILE(szName, stFile);
    const bool bOpened =
        SNS_ASSERT_TEXT(stFile.eStatus == REGULAR_FILE_OK, "file.open(file_name)", "file_name(%s)\n", szName);
    const size_t nWhole = strBytes.size() / sizeof(KeyVal);
    if (nWhole > 0) std::memcpy(p_pKeyVal, strBytes.data(), nWhole * sizeof(KeyVal));

    const INT64 nSize = static_cast<INT64>(strBytes.size());
    if (!SNS_ASSERT_TEXT(nSize == nWant, "nSize == sizeof(KeyVal)*p_nKeyValNum",
                         "file_name(%s) nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", szName,
                         static_cast<int>(nSize), static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValNum)))
        return -1;
    return bOpened ? SNS_SUCCESS : -1;
}

int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum) {
    const char* szName = printableName(file_name);
    const INT64 nWant = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValSum;
    if (!SNS_ASSERT_MSG(file_name != nullptr && (p_pKeyVal != nullptr || p_nKeyValSum == 0) && nWant <= INT_MAX,
                        "file_name(%s) p_nKeyValSum(%u)\n", szName, p_nKeyValSum))
        return -1;

    FileReplaceResult stResult = writeFileReplacing(file_name, reinterpret_cast<const char*>(p_pKeyVal), nWant);
    SNS_ASSERT_TEXT(stResult.bOpened, "file.open(file_name, QxFile::modeWrite | QxFile::modeTruncate)",
                    "file_name(%s)\n", szName);
    INT64 nSize = stResult.nWritten;
    SNS_ASSERT_TEXT(nSize == nWant, "nSize == sizeof(KeyVal)*p_nKeyValSum",
                    "nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", static_cast<int>(nSize),
                    static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValSum));
    return stResult.bReplaced ? SNS_SUCCESS : -1;
}

// The caller's value changes only when all 4 bytes were read.
int getVersion(u32* p_nVersion) {
    if (!SNS_ASSERT(NULL != p_nVersion)) return -1;
    u32 nVersion = 0;
    if (loadFromFile(SNS_VERSION_FILE, reinterpret_cast<char*>(&nVersion), sizeof(nVersion)) !=
        static_cast<int>(sizeof(nVersion)))
        return -1;
    *p_nVersion = nVersion;
    return 0;
}

bool storedVersionIs(u32 p_nVersion) {
    std::string strBytes;
    u32 nVersion = 0;
    if (readRegularFile(SNS_VERSION_FILE, sizeof(nVersion), strBytes, REGULAR_FILE_PREFIX).eStatus != REGULAR_FILE_OK ||
        strBytes.size() != sizeof(nVersion))
        return false;
    std::memcpy(&nVersion, strBytes.data(), sizeof(nVersion));
    return nVersion == p_nVersion;
}

// Success needs all 4 bytes in place: a short write is a failure, not a positive count.
int setVersion(u32 nVersion) {
    char szName[] = SNS_VERSION_FILE;
    int nResult = saveToFile(szName, reinterpret_cast<char*>(&nVersion), sizeof(nVersion));
    return nResult == static_cast<int>(sizeof(nVersion)) ? 0 : -1;
}
