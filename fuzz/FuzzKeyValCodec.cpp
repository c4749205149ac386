// The pair text "(34,50)(2337,-1)" as it arrives from the web UI. The parser must agree with a plain reading
// of the format by the C library's sscanf, stay inside the caller's capacity, and round-trip: parse, format,
// parse gives the same records. The input read as raw records must format as printf's "(%d,%d)" does and
// survive format and parse.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "SensorKeyVal.h"

namespace {

// The format read step by step with sscanf: each "(" with the first ")" from the position on, the part
// between them (or, for a ")" before the "(", an empty part or the rest of the text) read as "(%d,%d)".
// Quadratic in the worst case, which is fine for fuzzing lengths.
std::vector<KeyVal> referenceParse(const std::string& s, size_t p_nCapacity) {
    std::vector<KeyVal> vecOut;
    u32 nKey = 0, nValue = 0;
    size_t nPos = 0;
    while (nPos < s.size() && vecOut.size() < p_nCapacity) {
        size_t nOpen = s.find('(', nPos);
        if (nOpen == std::string::npos || nOpen == s.size() - 1) break;
        size_t nClose = s.find(')', nPos);
        if (nClose == std::string::npos) break;
        nPos = nClose + 1;
        u32 nLen = static_cast<u32>(nClose) - static_cast<u32>(nOpen) + 1u;
        std::string strPart = s.substr(nOpen, nLen);
        int a = 0, b = 0;
        int n = std::sscanf(strPart.c_str(), "(%d,%d)", &a, &b);
        if (n >= 1) nKey = static_cast<u32>(a);
        if (n >= 2) nValue = static_cast<u32>(b);
        vecOut.push_back(KeyVal{nKey, nValue});
    }
    return vecOut;
}

// Parses into a block of exactly p_nCapacity records, so that ASan sees any write past it.
std::vector<KeyVal> parse(const std::string& p_strText, u32 p_nCapacity) {
    KeyVal* pBlock = static_cast<KeyVal*>(std::malloc(sizeof(KeyVal) * (p_nCapacity ? p_nCapacity : 1)));
    u32 nNum = 0xFFFFFFFFu;
    keyval_str2st(p_strText, pBlock, &nNum, p_nCapacity);
    FUZZ_CHECK(nNum <= p_nCapacity, "count " + std::to_string(nNum) + " capacity " + std::to_string(p_nCapacity));
    std::vector<KeyVal> vecOut(pBlock, pBlock + nNum);
    std::free(pBlock);
    return vecOut;
}

std::string format(std::vector<KeyVal> p_vec) {
    std::string strText;
    keyval_st2str(strText, p_vec.data(), static_cast<u32>(p_vec.size()));
    return strText;
}

bool same(const std::vector<KeyVal>& a, const std::vector<KeyVal>& b) {
    if (a.size() != b.size()) return false;
    return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(KeyVal)) == 0;
}

std::string describe(const std::vector<KeyVal>& p_vec) {
    return std::to_string(p_vec.size()) + " records: " + format(p_vec).substr(0, 400);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strText(reinterpret_cast<const char*>(p_pData), p_nSize);
    // One record per pair at most, and never more pairs than "(" characters.
    u32 nOpens = 0;
    for (char c : strText) nOpens += c == '(';

    const std::vector<KeyVal> vecParsed = parse(strText, nOpens);
    const std::vector<KeyVal> vecReference = referenceParse(strText, nOpens);
    FUZZ_CHECK(same(vecParsed, vecReference), "parsed " + describe(vecParsed) + "\nsscanf " + describe(vecReference));

    // A smaller capacity gives the first records of the full parse.
    const u32 nHalf = nOpens / 2;
    const std::vector<KeyVal> vecCut = parse(strText, nHalf);
    FUZZ_CHECK(vecCut.size() == std::min<size_t>(nHalf, vecParsed.size()) &&
                   same(vecCut, std::vector<KeyVal>(vecParsed.begin(), vecParsed.begin() + vecCut.size())),
               "cut " + describe(vecCut));

    // Round trip of the parsed records: the text they format to parses back to them and formats the same.
    const std::string strFormatted = format(vecParsed);
    const std::vector<KeyVal> vecAgain = parse(strFormatted, static_cast<u32>(vecParsed.size()));
    FUZZ_CHECK(same(vecAgain, vecParsed), "again " + describe(vecAgain));
    FUZZ_CHECK(format(vecAgain) == strFormatted, strFormatted.substr(0, 400));

    // The input's bytes as raw records: any 32-bit values survive format and parse.
    std::vector<KeyVal> vecRaw(p_nSize / sizeof(KeyVal));
    if (!vecRaw.empty()) std::memcpy(vecRaw.data(), p_pData, vecRaw.size() * sizeof(KeyVal));
    const std::string strRaw = format(vecRaw);
    std::string strPrinted;
    for (const KeyVal& kv : vecRaw) {
        char szPair[32];
        std::snprintf(szPair, sizeof(szPair), "(%d,%d)", static_cast<int>(kv.key), static_cast<int>(kv.value));
        strPrinted += szPair;
    }
    FUZZ_CHECK(strRaw == strPrinted, "formatted " + strRaw.substr(0, 200) + "\nprintf " + strPrinted.substr(0, 200));
    FUZZ_CHECK(same(parse(strRaw, static_cast<u32>(vecRaw.size())), vecRaw), strRaw.substr(0, 400));

    // Formatting appends: what the string held stays in front.
    std::string strAppended = strText;
    keyval_st2str(strAppended, vecRaw.data(), static_cast<u32>(vecRaw.size()));
    FUZZ_CHECK(strAppended == strText + strRaw, "append");
    return 0;
}
