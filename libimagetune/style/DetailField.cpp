// Fields of the module detail text, "(name=value)", found by plain substring search for the name.
#include <cstring>

#include "SensorStyle.h"
#include "StyleNumber.h"

namespace {

// The value of the first field whose name occurs in detail: from the first "=" after the name to the first
// ")" after that "=". False when any of the three is missing.
bool findDetailField(const char* detail, const char* name, const char*& p_szBegin, size_t& p_nLen) {
    if (detail == nullptr || name == nullptr) return false;
    const char* szName = std::strstr(detail, name);
    if (szName == nullptr) return false;
    const char* szEq = std::strchr(szName + std::strlen(name), '=');
    if (szEq == nullptr) return false;
    const char* szEnd = std::strchr(szEq + 1, ')');
    if (szEnd == nullptr) return false;
    p_szBegin = szEq + 1;
    p_nLen = static_cast<size_t>(szEnd - p_szBegin);
    return true;
}

}  // namespace

int getDetailFieldToStr(const char* detail, const char* name, char* value) {
    const char* szBegin = nullptr;
    size_t nLen = 0;
    if (value == nullptr || !findDetailField(detail, name, szBegin, nLen)) return -1;
    // Only the first five characters take part in any comparison; the rest need not fit.
    if (nLen > SNS_DETAIL_VALUE_LEN - 1) nLen = SNS_DETAIL_VALUE_LEN - 1;
    std::memcpy(value, szBegin, nLen);
    value[nLen] = '\0';
    return 0;
}

int getDetailFieldTou32(const char* detail, const char* name, unsigned int* value) {
    char szValue[SNS_DETAIL_VALUE_LEN] = {0};
    if (value == nullptr || getDetailFieldToStr(detail, name, szValue) != 0) return -1;
    *value = static_cast<unsigned int>(styleAtoi(szValue));
    return 0;
}
