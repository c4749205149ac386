// A recursive-descent reader of the grammar in SimGrammar.h, one character at a time, so that every
// message can say which character broke the rule.
#include "SimGrammar.h"

#include <ctype.h>

#include <algorithm>

const char* const SIM_GRAMMAR_HELP =
    "  pairs     (KEY,VALUE)(KEY,VALUE)...  or  KEY=VALUE,KEY=VALUE...\n"
    "  keys      (KEY,KEY,...)  or  KEY,KEY,...\n"
    "  KEY       a number from 0 to 2147483647, or a name: the key's name in the UI style (brightness) or\n"
    "            its constant (KEY_BRIGHTNESS)\n"
    "  VALUE     a whole number from -2147483648 to 2147483647, or the name of one of the key's choices as\n"
    "            keys lists them (mirror=horizontal)\n"
    "  No blanks anywhere.\n";

namespace {

class Reader {
public:
    Reader(const std::string& p_strText, std::string& p_strError) : m_strText(p_strText), m_strError(p_strError) {}

    bool atEnd() const { return m_nPos >= m_strText.size(); }
    char peek() const { return atEnd() ? '\0' : m_strText[m_nPos]; }
    bool accept(char p_c) {
        if (peek() != p_c || atEnd()) return false;
        ++m_nPos;
        return true;
    }
    // Records the fault at the current character; always false.
    bool fail(const std::string& p_strWhat) {
        m_strError =
            (atEnd() ? std::string("at the end: ") : "character " + std::to_string(m_nPos + 1) + ": ") + p_strWhat;
        return false;
    }
    bool failFound(const std::string& p_strExpected) {
        if (atEnd()) return fail("expected " + p_strExpected);
        if (isspace(static_cast<unsigned char>(peek()))) return fail("a blank where " + p_strExpected + " belongs");
        return fail(std::string("'") + peek() + "' where " + p_strExpected + " belongs");
    }

    bool key(SimKeyToken& p_stKey) {
        size_t nStart = m_nPos;
        if (isalpha(static_cast<unsigned char>(peek()))) {
            while (isalnum(static_cast<unsigned char>(peek())) || peek() == '_') ++m_nPos;
            p_stKey.strText = m_strText.substr(nStart, m_nPos - nStart);
            p_stKey.bName = true;
            return true;
        }
        long long nVal = 0;
        if (!digits(nVal, "a key (a number or a name)")) return false;
        if (nVal > 2147483647LL) {
            m_nPos = nStart;
            return fail("key " + m_strText.substr(nStart, digitsEnd(nStart) - nStart) + " is above 2147483647");
        }
        p_stKey.strText = m_strText.substr(nStart, m_nPos - nStart);
        p_stKey.bName = false;
        p_stKey.nKey = static_cast<uint32_t>(nVal);
        return true;
    }

    // A number, or a choice's name for the command to look up among the key's choices.
    bool value(int32_t& p_nValue, std::string& p_strChoice) {
        size_t nStart = m_nPos;
        if (isalpha(static_cast<unsigned char>(peek()))) {
            while (isalnum(static_cast<unsigned char>(peek())) || peek() == '_') ++m_nPos;
            p_strChoice = m_strText.substr(nStart, m_nPos - nStart);
            return true;
        }
        bool bNegative = accept('-');
        long long nVal = 0;
        if (!digits(nVal, "a value (a whole number)")) return false;
        if (bNegative) nVal = -nVal;
        if (nVal > 2147483647LL || nVal < -2147483648LL) {
            m_nPos = nStart;
            return fail("value " + m_strText.substr(nStart, digitsEnd(nStart + (bNegative ? 1 : 0)) - nStart) +
                        " does not fit in 32 bits");
        }
        p_nValue = static_cast<int32_t>(nVal);
        return true;
    }

    size_t pos() const { return m_nPos; }

private:
    bool digits(long long& p_nVal, const std::string& p_strExpected) {
        if (!isdigit(static_cast<unsigned char>(peek()))) return failFound(p_strExpected);
        p_nVal = 0;
        while (isdigit(static_cast<unsigned char>(peek()))) {
            if (p_nVal < 10000000000LL) p_nVal = p_nVal * 10 + (peek() - '0');  // past 32 bits either way
            ++m_nPos;
        }
        return true;
    }
    size_t digitsEnd(size_t p_nFrom) const {
        while (p_nFrom < m_strText.size() && isdigit(static_cast<unsigned char>(m_strText[p_nFrom]))) ++p_nFrom;
        return p_nFrom;
    }

    const std::string& m_strText;
    std::string& m_strError;
    size_t m_nPos = 0;
};

}  // namespace

bool parsePairText(const std::string& p_strText, std::vector<SimPairToken>& p_vecPairs, std::string& p_strError) {
    p_vecPairs.clear();
    Reader in(p_strText, p_strError);
    if (in.atEnd()) return in.fail("expected pairs such as (34,60) or brightness=60");
    if (in.peek() == '(') {
        while (!in.atEnd()) {
            SimPairToken stPair;
            std::string strPair = "pair " + std::to_string(p_vecPairs.size() + 1);
            if (!in.accept('(')) return in.failFound("'(' starting " + strPair);
            if (!in.key(stPair.stKey)) return false;
            if (in.peek() == ')') return in.fail(strPair + " has a key but no value; a pair is (KEY,VALUE)");
            if (!in.accept(',')) return in.failFound("',' between the key and the value of " + strPair);
            if (!in.value(stPair.nValue, stPair.strChoice)) return false;
            if (in.peek() == ',') return in.fail(strPair + " has more than a key and a value; a pair is (KEY,VALUE)");
            if (!in.accept(')')) return in.failFound("')' ending " + strPair);
            p_vecPairs.push_back(stPair);
        }
        return true;
    }
    do {
        SimPairToken stPair;
        std::string strItem = "assignment " + std::to_string(p_vecPairs.size() + 1);
        if (!in.key(stPair.stKey)) return false;
        if (!in.accept('=')) return in.failFound("'=' after the key of " + strItem + " (KEY=VALUE)");
        if (!in.value(stPair.nValue, stPair.strChoice)) return false;
        p_vecPairs.push_back(stPair);
    } while (in.accept(','));
    if (!in.atEnd()) return in.failFound("',' before the next KEY=VALUE");
    return true;
}

bool parseKeyListText(const std::string& p_strText, std::vector<SimKeyToken>& p_vecKeys, std::string& p_strError) {
    p_vecKeys.clear();
    Reader in(p_strText, p_strError);
    if (in.atEnd()) return in.fail("expected keys such as (34,2337) or brightness,saturation");
    bool bParen = in.accept('(');
    do {
        SimKeyToken stKey;
        if (!in.key(stKey)) return false;
        p_vecKeys.push_back(stKey);
    } while (in.accept(','));
    if (bParen && !in.accept(')')) return in.failFound("',' or the closing ')'");
    if (!in.atEnd()) {
        return in.fail(bParen ? "text after the closing ')'; a key list is one (KEY,KEY,...)"
                              : "'" + std::string(1, in.peek()) + "' where ',' or the end belongs");
    }
    return true;
}

bool parseKeyText(const std::string& p_strText, SimKeyToken& p_stKey, std::string& p_strError) {
    Reader in(p_strText, p_strError);
    if (!in.key(p_stKey)) return false;
    if (!in.atEnd()) return in.failFound("the end of the key");
    return true;
}

namespace {

size_t editDistance(const std::string& p_strA, const std::string& p_strB) {
    std::vector<size_t> vecRow(p_strB.size() + 1);
    for (size_t j = 0; j <= p_strB.size(); ++j) vecRow[j] = j;
    for (size_t i = 1; i <= p_strA.size(); ++i) {
        size_t nDiagonal = vecRow[0];
        vecRow[0] = i;
        for (size_t j = 1; j <= p_strB.size(); ++j) {
            size_t nAbove = vecRow[j];
            bool bSame = tolower(static_cast<unsigned char>(p_strA[i - 1])) ==
                         tolower(static_cast<unsigned char>(p_strB[j - 1]));
            vecRow[j] = std::min({vecRow[j] + 1, vecRow[j - 1] + 1, nDiagonal + (bSame ? 0 : 1)});
            nDiagonal = nAbove;
        }
    }
    return vecRow[p_strB.size()];
}

// Two neighbouring letters swapped count as one slip, as a plain edit distance does not see it.
size_t slipDistance(const std::string& p_strA, const std::string& p_strB) {
    size_t nBest = editDistance(p_strA, p_strB);
    for (size_t i = 0; i + 1 < p_strA.size(); ++i) {
        std::string strSwapped = p_strA;
        std::swap(strSwapped[i], strSwapped[i + 1]);
        nBest = std::min(nBest, 1 + editDistance(strSwapped, p_strB));
    }
    return nBest;
}

}  // namespace

std::string didYouMean(const std::string& p_strWord, const std::vector<std::string>& p_vecCandidates) {
    // A slip is a letter or two: about one in three letters, and never half the word.
    size_t nLimit = std::max<size_t>(1, (p_strWord.size() + 1) / 3);
    const std::string* pBest = nullptr;
    size_t nBest = nLimit + 1;
    for (const std::string& strCandidate : p_vecCandidates) {
        size_t nDistance = slipDistance(p_strWord, strCandidate);
        if (nDistance < nBest && nDistance * 2 < strCandidate.size()) {
            nBest = nDistance;
            pBest = &strCandidate;
        }
    }
    return pBest == nullptr ? std::string() : " (did you mean " + *pBest + "?)";
}
