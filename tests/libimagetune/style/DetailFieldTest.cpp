// Detail fields "(name=value)": plain substring search for the name, the value up to the next ")", kept in a
// 10-byte buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "SensorStyle.h"

namespace {

struct FieldCase {
    const char* szName;
    const char* szDetail;
    const char* szField;
    int nResult;
    const char* szValue;  // expected value text when found
};

const FieldCase kFieldCases[] = {
    {"plain", "(lensId=3)(max_scheme=2)", "max_scheme", 0, "2"},
    {"first of two", "(lensId=3)(lensId=5)", "lensId", 0, "3"},
    {"empty value", "(model=)", "model", 0, ""},
    {"name missing", "(lensId=3)", "max_scheme", -1, nullptr},
    {"no equals sign after the name", "(max_scheme)", "max_scheme", -1, nullptr},
    {"no closing parenthesis after the equals sign", "(lensId=3)(max_scheme=2", "max_scheme", -1, nullptr},
    // ")" before the "=" does not close the field.
    {"parenthesis only before the equals sign", "(max_scheme)=2", "max_scheme", -1, nullptr},
    // Plain substring search: a short name found at the end of a longer one takes that field's value.
    {"name inside another name", "(isInfrared=17)(Infrared=5)", "Infrared", 0, "17"},
    // ... and a name inside a value runs on to the next field's "=".
    {"name inside a value", "(note=lensId)(zoom=7)(lensId=3)", "lensId", 0, "7"},
    {"nine characters fit", "(model=ABCDEFGHI)", "model", 0, "ABCDEFGHI"},
    {"ten characters keep nine", "(model=ABCDEFGHIJ)", "model", 0, "ABCDEFGHI"},
    {"long value keeps nine", "(model=ABCDEFGHIJKLMNOPQRSTUVWXYZ)(x=1)", "model", 0, "ABCDEFGHI"},
};

class DetailFieldStr : public ::testing::TestWithParam<FieldCase> {};

TEST_P(DetailFieldStr, FindsTheValueOrLeavesTheBufferAlone) {
    const FieldCase& c = GetParam();
    // The buffer is 10 bytes; the guard bytes behind it must never be written.
    char szBuf[SNS_DETAIL_VALUE_LEN + 6];
    std::memset(szBuf, 0, SNS_DETAIL_VALUE_LEN);
    std::memset(szBuf + SNS_DETAIL_VALUE_LEN, 'G', 6);
    if (c.nResult != 0) std::memset(szBuf, 'U', SNS_DETAIL_VALUE_LEN);

    EXPECT_EQ(c.nResult, getDetailFieldToStr(c.szDetail, c.szField, szBuf));
    if (c.nResult == 0) {
        EXPECT_STREQ(c.szValue, szBuf);
    } else {
        for (int i = 0; i < SNS_DETAIL_VALUE_LEN; ++i) EXPECT_EQ('U', szBuf[i]) << "byte " << i;
    }
    for (int i = SNS_DETAIL_VALUE_LEN; i < SNS_DETAIL_VALUE_LEN + 6; ++i) EXPECT_EQ('G', szBuf[i]) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, DetailFieldStr, ::testing::ValuesIn(kFieldCases),
                         [](const ::testing::TestParamInfo<FieldCase>& info) {
                             std::string s = info.param.szName;
                             for (char& ch : s)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return s;
                         });

struct NumberCase {
    const char* szDetail;
    int nResult;
    unsigned nValue;
};

const NumberCase kNumberCases[] = {
    {"(max_scheme=2)", 0, 2},
    {"(max_scheme=abc)", 0, 0},  // not a number: 0, as atoi reads it
    {"(max_scheme= 7x)", 0, 7},  // leading blanks and trailing text, as atoi
    {"(max_scheme=-1)", 0, 4294967295u},
    {"(max_scheme=99999999999)", 0, 999999999},  // nine characters take part
    {"(lensId=3)", -1, 12345},
    {"(max_scheme=2", -1, 12345},
};

TEST(DetailFieldTou32, ReadsTheValueAsAtoiDoes) {
    for (const NumberCase& c : kNumberCases) {
        unsigned nValue = 12345;
        EXPECT_EQ(c.nResult, getDetailFieldTou32(c.szDetail, "max_scheme", &nValue)) << c.szDetail;
        EXPECT_EQ(c.nValue, nValue) << c.szDetail;
    }
}

TEST(DetailField, NullArgumentsFindNothing) {
    char szBuf[SNS_DETAIL_VALUE_LEN] = {0};
    unsigned nValue = 0;
    EXPECT_EQ(-1, getDetailFieldToStr(nullptr, "a", szBuf));
    EXPECT_EQ(-1, getDetailFieldToStr("(a=1)", nullptr, szBuf));
    EXPECT_EQ(-1, getDetailFieldToStr("(a=1)", "a", nullptr));
    EXPECT_EQ(-1, getDetailFieldTou32(nullptr, "a", &nValue));
    EXPECT_EQ(-1, getDetailFieldTou32("(a=1)", "a", nullptr));
}

}  // namespace
