// The pair text of KeyVal lists: writing, reading malformed and hostile text, and the capacity bound.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "KeyValPrinting.h"
#include "SensorKeyVal.h"

namespace {

const u32 kGuardWord = 0xA5A5A5A5u;

// Parses into a buffer with a guard record behind the capacity, and checks that the guard is untouched.
std::vector<KeyVal> parse(const std::string& p_strText, u32 p_nCapacity) {
    std::vector<KeyVal> buf(p_nCapacity + 1, KeyVal{kGuardWord, kGuardWord});
    u32 nNum = kGuardWord;
    keyval_str2st(p_strText, buf.data(), &nNum, p_nCapacity);
    EXPECT_LE(nNum, p_nCapacity);
    EXPECT_EQ(buf[p_nCapacity].key, kGuardWord);
    EXPECT_EQ(buf[p_nCapacity].value, kGuardWord);
    buf.resize(nNum < p_nCapacity ? nNum : p_nCapacity);
    return buf;
}

std::vector<KeyVal> parse(const std::string& p_strText) {
    return parse(p_strText, 64);
}

std::string text(const char* p_sz, size_t p_nLen) {
    return std::string(p_sz, p_nLen);
}

TEST(KeyValSt2Str, AppendsSignedPairsWithoutClearing) {
    struct Row {
        std::vector<KeyVal> records;
        const char* szExpected;
    };
    static const Row kRows[] = {
        {{}, "prefix:"},
        {{{34, 50}, {2337, 0xFFFFFFFFu}}, "prefix:(34,50)(2337,-1)"},
        {{{0x80000000u, 0x7FFFFFFFu}}, "prefix:(-2147483648,2147483647)"},
        {{{0, 0}, {8000, 2}}, "prefix:(0,0)(8000,2)"},
    };
    for (const Row& row : kRows) {
        std::string str = "prefix:";
        std::vector<KeyVal> records = row.records;
        keyval_st2str(str, records.data(), static_cast<u32>(records.size()));
        EXPECT_EQ(str, row.szExpected);
    }
}

TEST(KeyValCodec, RoundTripKeepsEveryBitPattern) {
    std::vector<KeyVal> records = {{0, 0},           {1, 0xFFFFFFFFu},   {0x7FFFFFFFu, 0x80000000u},
                                   {34, 50},         {2337, 128},        {0xDEADBEEFu, 0x00010002u},
                                   {0x80000001u, 7}, {8000, 0xFFFFFFFEu}};
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) records.push_back(KeyVal{static_cast<u32>(rng()), static_cast<u32>(rng())});

    std::string str;
    keyval_st2str(str, records.data(), static_cast<u32>(records.size()));
    EXPECT_EQ(parse(str, static_cast<u32>(records.size())), records);
}

// Each row: the text and the records the reading rules give for it.
struct ParseRow {
    std::string strText;
    std::vector<KeyVal> expected;
};

TEST(KeyValStr2St, ReadsMalformedTextByTheCodecRules) {
    const ParseRow kRows[] = {
        {"", {}},
        {"(1,2)(3,4)", {{1, 2}, {3, 4}}},
        {"x(1,2)y(3,4)z", {{1, 2}, {3, 4}}},  // text between pairs is skipped
        {"(1,2)(5", {{1, 2}}},                // an unfinished last pair is ignored
        {"(1,2)(", {{1, 2}}},
        {"(1,2)(a,b)", {{1, 2}, {1, 2}}},  // an unreadable pair repeats the numbers before it
        {"(7)", {{7, 0}}},
        {"(7)(8,9)(10)", {{7, 0}, {8, 9}, {10, 9}}},
        {"(8,9)(0x10,5)", {{8, 9}, {0, 9}}},  // "0" is read, then "x" is no comma
        {"(,5)", {{0, 0}}},
        {"(1,)", {{1, 0}}},
        {"(-,5)", {{0, 0}}},
        {"((1,2)", {{0, 0}}},
        {"( 1,\t\n2)", {{1, 2}}},  // blanks after "(" and after "," are allowed
        {"(1 ,2)", {{1, 0}}},      // but not before the comma
        {"(+5,-1)", {{5, 0xFFFFFFFFu}}},
        {")))", {}},
        {")(1,2)", {{0, 0}, {1, 2}}},  // ")" right before "(": an empty part
        {"(1,2))(3,4)", {{1, 2}, {1, 2}, {3, 4}}},
        {"))(5,6)", {{5, 6}, {5, 6}, {5, 6}}},  // ")" further before: the rest from "(" is read
        {"))(5", {{5, 0}, {5, 0}}},
        {text("(1,2\0,3)(4,5)", 13), {{1, 2}, {4, 5}}},  // a NUL ends the part as it would a C string
        {text("(\0 1,2)(3,4)", 12), {{0, 0}, {3, 4}}},
        {text("(1,\0)", 5), {{1, 0}}},
    };
    for (const ParseRow& row : kRows) {
        SCOPED_TRACE("text: " + row.strText);
        EXPECT_EQ(parse(row.strText), row.expected);
    }
}

// Numbers beyond 32 bits: saturated to the signed 64-bit range, then the low 32 bits are kept.
TEST(KeyValStr2St, NumbersBeyond32BitsHaveOneDefinedValue) {
    const ParseRow kRows[] = {
        {"(-2147483648,2147483647)", {{0x80000000u, 0x7FFFFFFFu}}},
        {"(4294967295,4294967296)", {{0xFFFFFFFFu, 0}}},
        {"(12345678901,-12345678901)", {{3755744309u, 539222987u}}},
        {"(9223372036854775807,-9223372036854775808)", {{0xFFFFFFFFu, 0}}},
        {"(9223372036854775808,-9223372036854775809)", {{0xFFFFFFFFu, 0}}},
        {"(99999999999999999999999999,-99999999999999999999999999)", {{0xFFFFFFFFu, 0}}},
        {"(0000000000000000000000000042,-0000000000000000000000000001)", {{42, 0xFFFFFFFFu}}},
    };
    for (const ParseRow& row : kRows) {
        SCOPED_TRACE("text: " + row.strText);
        EXPECT_EQ(parse(row.strText), row.expected);
    }
}

TEST(KeyValStr2St, StopsAtCapacity) {
    EXPECT_EQ(parse("(1,1)(2,2)(3,3)", 2), (std::vector<KeyVal>{{1, 1}, {2, 2}}));
    EXPECT_TRUE(parse("(1,1)", 0).empty());
    // Ten thousand ")" before one "(": every ")" stands for a record, far more than the room given.
    EXPECT_EQ(parse(std::string(10000, ')') + "(1,2", 16), std::vector<KeyVal>(16, KeyVal{1, 2}));
}

TEST(KeyValStr2St, NullArgumentsWriteNothing) {
    u32 nNum = 5;
    keyval_str2st("(1,2)", nullptr, &nNum, 4);
    EXPECT_EQ(nNum, 0u);
    KeyVal kv = {kGuardWord, kGuardWord};
    keyval_str2st("(1,2)", &kv, nullptr, 1);
    EXPECT_EQ(kv.key, kGuardWord);
}

TEST(KeyValStr2St, HugeHostileTextsAreReadInOnePass) {
    const size_t n = 100000;
    EXPECT_TRUE(parse(std::string(n, '(')).empty());
    EXPECT_TRUE(parse(std::string(n, ')')).empty());
    EXPECT_TRUE(parse(std::string(n, '\0')).empty());
    EXPECT_EQ(parse(std::string(n, '(') + ")"), (std::vector<KeyVal>{{0, 0}}));
    EXPECT_EQ(parse("(" + std::string(n, '7') + ",7)"), (std::vector<KeyVal>{{0xFFFFFFFFu, 7}}));

    std::vector<KeyVal> many = parse(std::string(n, ')') + "(3," + std::string(n, '9'), n + 1);
    ASSERT_EQ(many.size(), n);
    EXPECT_EQ(many.front(), (KeyVal{3, 0xFFFFFFFFu}));
    EXPECT_EQ(many.back(), (KeyVal{3, 0xFFFFFFFFu}));

    std::string strPairs;
    for (size_t i = 0; i < n / 2; ++i) strPairs += "()";
    EXPECT_EQ(parse(strPairs, n).size(), n / 2);
}

// The reading rules written out directly with the C library's sscanf, for texts whose numbers fit in 32 bits.
std::vector<KeyVal> referenceParse(const std::string& s) {
    std::vector<KeyVal> out;
    int nKey = 0, nValue = 0;
    size_t nPos = 0;
    while (nPos < s.size()) {
        size_t nOpen = s.find('(', nPos);
        if (nOpen == std::string::npos || nOpen == s.size() - 1) break;
        size_t nClose = s.find(')', nPos);
        if (nClose == std::string::npos) break;
        nPos = nClose + 1;
        std::string strPart = s.substr(nOpen, static_cast<u32>(nClose - nOpen + 1));
        std::sscanf(strPart.c_str(), "(%d,%d)", &nKey, &nValue);
        out.push_back(KeyVal{static_cast<u32>(nKey), static_cast<u32>(nValue)});
    }
    return out;
}

TEST(KeyValStr2St, AgreesWithSscanfOnRandomTexts) {
    static const char kAlphabet[] = "((())),,,--+  \t0123456789x";
    std::mt19937 rng(2024);
    for (int nCase = 0; nCase < 3000; ++nCase) {
        std::string s;
        size_t nLen = rng() % 48;
        int nDigitRun = 0;
        while (s.size() < nLen) {
            char c = (rng() % 40 == 0) ? '\0' : kAlphabet[rng() % (sizeof(kAlphabet) - 1)];
            bool bDigit = c >= '0' && c <= '9';
            if (bDigit && nDigitRun == 9) continue;  // keep every number within 32 bits
            nDigitRun = bDigit ? nDigitRun + 1 : 0;
            s += c;
        }
        SCOPED_TRACE("text: " + s);
        ASSERT_EQ(parse(s, static_cast<u32>(s.size() + 1)), referenceParse(s));
    }
}

}  // namespace
