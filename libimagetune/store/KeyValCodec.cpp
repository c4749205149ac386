// The pair text "(34,50)(2337,-1)" of KeyVal lists. The text comes from the web UI: the parser is bounded by
// the text and by the caller's capacity, runs in linear time and never reads or writes outside either.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "SensorKeyVal.h"

namespace {

// The decimal text of the field read as a signed 32-bit number, as "%d" writes it, ending at p_pEnd.
char* writeSigned(char* p_pEnd, u32 p_nField) {
    const bool bNegative = (p_nField & 0x80000000u) != 0;
    u32 nMagnitude = bNegative ? 0u - p_nField : p_nField;  // 2^31 for the most negative value
    do {
        *--p_pEnd = static_cast<char>('0' + nMagnitude % 10);
        nMagnitude /= 10;
    } while (nMagnitude != 0);
    if (bNegative) *--p_pEnd = '-';
    return p_pEnd;
}

}  // namespace

// By hand rather than by snprintf: a whole scheme's text is formatted per read of all parameters.
void keyval_st2str(std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    if (p_pKeyVal == nullptr) return;
    char szChunk[1024];
    const size_t nPairMax = 25;  // "(-2147483648,-2147483648)"
    size_t nUsed = 0;
    for (u32 i = 0; i < p_nKeyValNum; ++i) {
        if (nUsed + nPairMax > sizeof(szChunk)) {
            p_strKeyVal.append(szChunk, nUsed);
            nUsed = 0;
        }
        char szPair[nPairMax];
        char* pEnd = szPair + sizeof(szPair);
        char* p = pEnd;
        *--p = ')';
        p = writeSigned(p, p_pKeyVal[i].value);
        *--p = ',';
        p = writeSigned(p, p_pKeyVal[i].key);
        *--p = '(';
        std::memcpy(szChunk + nUsed, p, static_cast<size_t>(pEnd - p));
        nUsed += static_cast<size_t>(pEnd - p);
    }
    p_strKeyVal.append(szChunk, nUsed);
}

namespace {

// Reads one "(%d,%d)" part the way the C library's sscanf does: a NUL ends the text, "%d" skips leading white
// space and takes an optional sign and at least one decimal digit. Numbers outside 32 bits get one defined
// value on every target: the number saturates to the signed 64-bit range (as strtoll does) and its low 32 bits
// are kept, which is what a 64-bit C library's "%d" gives in practice. So "4294967295" reads as -1 (all bits
// set) and "99999999999999999999" as -1 too.
class PairReader {
public:
    PairReader(const char* p_pBegin, const char* p_pEnd) : m_pCur(p_pBegin), m_pEnd(p_pEnd) {}

    bool literal(char p_cWanted) {
        if (peek() != p_cWanted) return false;
        ++m_pCur;
        return true;
    }

    bool number(u32& p_nOut) {
        while (isBlank(peek())) ++m_pCur;
        bool bNegative = false;
        if (peek() == '+' || peek() == '-') {
            bNegative = peek() == '-';
            ++m_pCur;
        }
        if (!isDigit(peek())) return false;
        // Magnitude capped just above what the signed 64-bit range can take.
        const uint64_t nCap = static_cast<uint64_t>(INT64_MAX) + 1;
        uint64_t nMagnitude = 0;
        const uint64_t nNoOverflow = (nCap - 9) / 10;  // up to here a tenfold and a digit cannot pass the cap
        while (isDigit(peek())) {
            uint64_t nDigit = static_cast<uint64_t>(peek() - '0');
            if (nMagnitude <= nNoOverflow) {
                nMagnitude = nMagnitude * 10 + nDigit;
            } else {
                nMagnitude = nMagnitude > (nCap - nDigit) / 10 ? nCap : nMagnitude * 10 + nDigit;
            }
            ++m_pCur;
        }
        uint64_t nBits;
        if (bNegative)
            nBits = nMagnitude >= nCap ? static_cast<uint64_t>(INT64_MIN) : 0 - nMagnitude;
        else
            nBits = nMagnitude >= nCap ? static_cast<uint64_t>(INT64_MAX) : nMagnitude;
        p_nOut = static_cast<u32>(nBits);
        return true;
    }

    bool at(char p_cWanted) const { return peek() == p_cWanted; }
    const char* position() const { return m_pCur; }

private:
    char peek() const { return m_pCur < m_pEnd ? *m_pCur : '\0'; }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    const char* m_pCur;
    const char* m_pEnd;
};

// Which numbers one part gives; a number that is not read leaves the carried one.
struct PartNumbers {
    bool bKey;
    bool bValue;
    u32 nKey;
    u32 nValue;
};

PartNumbers readPart(const char* p_pBegin, const char* p_pEnd) {
    PartNumbers st = {false, false, 0, 0};
    PairReader reader(p_pBegin, p_pEnd);
    st.bKey = reader.literal('(') && reader.number(st.nKey);
    st.bValue = st.bKey && reader.literal(',') && reader.number(st.nValue);
    return st;
}

}  // namespace

void keyval_str2st(const std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity) {
    if (p_pnKeyValNum == nullptr) return;
    *p_pnKeyValNum = 0;
    if (p_pKeyVal == nullptr) return;

    const std::string& s = p_strKeyVal;
    const size_t nLen = s.size();
    const char* pText = s.data();
    u32 nKey = 0, nValue = 0;
    size_t nPos = 0;
    // A ")" before the "(" leaves that "(" ahead of the position: it is looked for once, not once per ")".
    size_t nOpen = std::string::npos;
    // A ")" further before the "(" makes the part the rest of the text from that "(": read once per "(".
    size_t nTailAt = std::string::npos;
    PartNumbers stTail = {false, false, 0, 0};

    while (nPos < nLen && *p_pnKeyValNum < p_nCapacity) {
        if (nOpen == std::string::npos || nOpen < nPos) nOpen = pText[nPos] == '(' ? nPos : s.find('(', nPos);
        if (nOpen == std::string::npos || nOpen == nLen - 1) break;
        if (nOpen == nPos) {
            // Pairs that follow each other, read straight from the "(": nothing "(%d,%d" takes is a ")", so
            // a reading that stops at a ")" stopped at the first one, and read the part the cut would give.
            PairReader reader(pText + nOpen, pText + nLen);
            u32 nReadKey = 0, nReadValue = 0;
            if (reader.literal('(') && reader.number(nReadKey) && reader.literal(',') && reader.number(nReadValue) &&
                reader.at(')')) {
                nKey = nReadKey;
                nValue = nReadValue;
                p_pKeyVal[*p_pnKeyValNum].key = nKey;
                p_pKeyVal[*p_pnKeyValNum].value = nValue;
                ++*p_pnKeyValNum;
                nPos = static_cast<size_t>(reader.position() - pText) + 1;
                continue;
            }
        }
        size_t nClose = s.find(')', nPos);
        if (nClose == std::string::npos) break;
        nPos = nClose + 1;

        PartNumbers st = {false, false, 0, 0};  // a ")" directly before the "(": an empty part
        if (nClose > nOpen) {
            st = readPart(pText + nOpen, pText + nClose + 1);
        } else if (nClose + 1 < nOpen) {
            if (nTailAt != nOpen) {
                stTail = readPart(pText + nOpen, pText + nLen);
                nTailAt = nOpen;
            }
            st = stTail;
        }
        if (st.bKey) nKey = st.nKey;
        if (st.bValue) nValue = st.nValue;
        p_pKeyVal[*p_pnKeyValNum].key = nKey;
        p_pKeyVal[*p_pnKeyValNum].value = nValue;
        ++*p_pnKeyValNum;
    }
}
