// mergeStyle on a style text, a style-diversity text and a module detail text taken from the input, which
// holds them in that order separated by NUL bytes (a missing part is empty). Whatever they hold, the merge
// must end with a valid heap block whose text is exactly what the merged-style file holds. (That text need
// not parse again: TinyXML accepts some broken documents that it then prints in a form it refuses.) The
// detail-field readers run on the same texts.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "SensorStyle.h"
#include "SimControl.h"

namespace {

std::vector<std::string> splitAtNul(const uint8_t* p_pData, size_t p_nSize, size_t p_nParts) {
    std::vector<std::string> vecParts(p_nParts);
    size_t nPart = 0;
    for (size_t i = 0; i < p_nSize; ++i) {
        if (p_pData[i] == 0 && nPart + 1 < p_nParts) {
            ++nPart;
            continue;
        }
        vecParts[nPart] += static_cast<char>(p_pData[i]);
    }
    return vecParts;
}

char* heapCopy(const std::string& p_str) {
    char* p = static_cast<char*>(std::malloc(p_str.size() + 1));
    std::memcpy(p, p_str.c_str(), p_str.size() + 1);
    return p;
}

// The field search as the detail format defines it: the name anywhere, the first "=" after the name, the
// first ")" after that; the value is what lies between, of which the 10-byte buffer keeps nine characters.
bool referenceField(const std::string& p_strDetail, const std::string& p_strName, std::string& p_strValue) {
    if (p_strName.empty()) return false;  // checked separately: an empty name is found at 0
    size_t nName = p_strDetail.find(p_strName);
    if (nName == std::string::npos) return false;
    size_t nEq = p_strDetail.find('=', nName + p_strName.size());
    if (nEq == std::string::npos) return false;
    size_t nClose = p_strDetail.find(')', nEq);
    if (nClose == std::string::npos) return false;
    p_strValue = p_strDetail.substr(nEq + 1, nClose - nEq - 1).substr(0, SNS_DETAIL_VALUE_LEN - 1);
    return true;
}

void checkDetailFields(const std::string& p_strDetail, const std::string& p_strName) {
    std::string strWanted;
    const bool bFound = referenceField(p_strDetail, p_strName, strWanted);
    char szValue[SNS_DETAIL_VALUE_LEN + 4];
    std::memset(szValue, 0, sizeof(szValue));
    std::memset(szValue + SNS_DETAIL_VALUE_LEN, 0x5A, 4);  // beyond the buffer: must stay as it is
    const int nRet = getDetailFieldToStr(p_strDetail.c_str(), p_strName.c_str(), szValue);
    if (p_strName.empty()) return;
    FUZZ_CHECK((nRet == 0) == bFound, "detail field found " + std::to_string(nRet));
    FUZZ_CHECK(std::memcmp(szValue + SNS_DETAIL_VALUE_LEN, "\x5A\x5A\x5A\x5A", 4) == 0, "value buffer overrun");
    if (bFound) FUZZ_CHECK(strWanted == szValue, std::string("value ") + szValue + " wanted " + strWanted);
    unsigned nValue = 0xABCDEF;
    const int nRet32 = getDetailFieldTou32(p_strDetail.c_str(), p_strName.c_str(), &nValue);
    FUZZ_CHECK(nRet32 == nRet, "the two field readers disagree");
    if (!bFound) FUZZ_CHECK(nValue == 0xABCDEF, "a missing field changed the value");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Level 7: the debug and info lines that print attribute names, values and the merged text are formatted.
    fuzzsupport::setUp(7);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::vector<std::string> vecParts = splitAtNul(p_pData, p_nSize, 3);
    const std::string& strStyle = vecParts[0];
    const std::string& strDiversity = vecParts[1];

    ModuleConfig stModule;
    std::memset(&stModule, 0, sizeof(stModule));
    std::strncpy(stModule.szDetail, vecParts[2].c_str(), sizeof(stModule.szDetail) - 1);

    char* szStyle = heapCopy(strStyle);
    std::vector<char> vecDiversity(strDiversity.begin(), strDiversity.end());
    vecDiversity.push_back('\0');
    const int nRet = mergeStyle(1, &stModule, &szStyle, vecDiversity.data());
    FUZZ_CHECK(nRet == SNS_SUCCESS, "mergeStyle " + std::to_string(nRet));
    FUZZ_CHECK(szStyle != nullptr, "no merged block");

    std::string strFile;
    FUZZ_CHECK(fuzzsupport::readFile("/tmp/merge_style_ch1.xml", strFile), "no merged-style file");
    FUZZ_CHECK(strFile == szStyle, "file and merged text differ");
    std::free(szStyle);
    // The simulated platform logs the file steps of the merge until reset: an input that leaves memory in use
    // makes libFuzzer scan the heap for leaks after it, which cost most of the time of each input.
    qxsim::resetFaults();

    // The detail readers on the detail text, with the diversity text's first line as the name.
    checkDetailFields(stModule.szDetail, strDiversity.substr(0, strDiversity.find('\n')).c_str());
    return 0;
}
