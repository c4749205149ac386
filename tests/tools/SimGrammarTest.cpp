// The tool's grammar for pair texts and key lists: what it reads, and the fault it names for what it refuses.
#include <gtest/gtest.h>

#include "SimGrammar.h"

namespace {

std::string pairsText(const std::vector<SimPairToken>& p_vecPairs) {
    std::string strOut;
    for (const SimPairToken& p : p_vecPairs) {
        strOut += "[" + std::string(p.stKey.bName ? "name " : "") + p.stKey.strText + "=" +
                  (p.strChoice.empty() ? std::to_string(p.nValue) : "choice " + p.strChoice) + "]";
    }
    return strOut;
}

std::string keysText(const std::vector<SimKeyToken>& p_vecKeys) {
    std::string strOut;
    for (const SimKeyToken& k : p_vecKeys) strOut += "[" + std::string(k.bName ? "name " : "") + k.strText + "]";
    return strOut;
}

}  // namespace

TEST(SimGrammarTest, PairTexts) {
    const struct {
        const char* szText;
        const char* szRead;   // what was read, or null
        const char* szError;  // the start of the message, when refused
    } aCases[] = {
        {"(34,60)", "[34=60]", nullptr},
        {"(34,60)(2337,-45)", "[34=60][2337=-45]", nullptr},
        {"(brightness,60)", "[name brightness=60]", nullptr},
        {"brightness=60", "[name brightness=60]", nullptr},
        {"KEY_BRIGHTNESS=60,2337=45", "[name KEY_BRIGHTNESS=60][2337=45]", nullptr},
        {"(34,2147483647)(1,-2147483648)", "[34=2147483647][1=-2147483648]", nullptr},
        {"mirror=horizontal,34=60", "[name mirror=choice horizontal][34=60]", nullptr},
        {"(2384,Both_2)", "[2384=choice Both_2]", nullptr},
        {"mirror=-horizontal", nullptr, "character 9: 'h' where a value (a whole number) belongs"},
        {"", nullptr, "at the end: expected pairs"},
        {"( 34 , 60 )", nullptr, "character 2: a blank where a key (a number or a name) belongs"},
        {"(34,60) ", nullptr, "character 8: a blank where '(' starting pair 2 belongs"},
        {"(34,60)(2337)", nullptr, "character 13: pair 2 has a key but no value"},
        {"(34,60,7)", nullptr, "character 7: pair 1 has more than a key and a value"},
        {"(34;60)", nullptr, "character 4: ';' where ',' between the key and the value of pair 1 belongs"},
        {"(34,+60)", nullptr, "character 5: '+' where a value (a whole number) belongs"},
        {"(34,2147483648)", nullptr, "character 5: value 2147483648 does not fit in 32 bits"},
        {"(4294967296,1)", nullptr, "character 2: key 4294967296 is above 2147483647"},
        {"(34,60)x", nullptr, "character 8: 'x' where '(' starting pair 2 belongs"},
        {"brightness=60,", nullptr, "at the end: expected a key"},
        {"brightness=60;saturation=1", nullptr, "character 14: ';' where ',' before the next KEY=VALUE belongs"},
        {"brightness", nullptr, "at the end: expected '=' after the key of assignment 1"},
        {"_x=1", nullptr, "character 1: '_' where a key"},
    };
    for (const auto& t : aCases) {
        std::vector<SimPairToken> vecPairs;
        std::string strError;
        bool bOk = parsePairText(t.szText, vecPairs, strError);
        if (t.szRead != nullptr) {
            EXPECT_TRUE(bOk) << t.szText << ": " << strError;
            EXPECT_EQ(pairsText(vecPairs), t.szRead) << t.szText;
        } else {
            EXPECT_FALSE(bOk) << t.szText;
            EXPECT_EQ(strError.find(t.szError), 0u) << t.szText << ": " << strError;
        }
    }
}

TEST(SimGrammarTest, KeyLists) {
    const struct {
        const char* szText;
        const char* szRead;
        const char* szError;
    } aCases[] = {
        {"(34,2337)", "[34][2337]", nullptr},
        {"34,2337", "[34][2337]", nullptr},
        {"brightness", "[name brightness]", nullptr},
        {"(brightness,2337,KEY_CONTRAST)", "[name brightness][2337][name KEY_CONTRAST]", nullptr},
        {"", nullptr, "at the end: expected keys"},
        {"()", nullptr, "character 2: ')' where a key"},
        {"(34)(2337)", nullptr, "character 5: text after the closing ')'"},
        {"(34,2337", nullptr, "at the end: expected ',' or the closing ')'"},
        {"34)", nullptr, "character 3: ')' where ',' or the end belongs"},
        {"(34, 2337)", nullptr, "character 5: a blank where a key"},
        {"34,,2337", nullptr, "character 4: ',' where a key"},
    };
    for (const auto& t : aCases) {
        std::vector<SimKeyToken> vecKeys;
        std::string strError;
        bool bOk = parseKeyListText(t.szText, vecKeys, strError);
        if (t.szRead != nullptr) {
            EXPECT_TRUE(bOk) << t.szText << ": " << strError;
            EXPECT_EQ(keysText(vecKeys), t.szRead) << t.szText;
        } else {
            EXPECT_FALSE(bOk) << t.szText;
            EXPECT_EQ(strError.find(t.szError), 0u) << t.szText << ": " << strError;
        }
    }
    SimKeyToken stKey;
    std::string strError;
    EXPECT_TRUE(parseKeyText("49", stKey, strError));
    EXPECT_EQ(stKey.nKey, 49u);
    EXPECT_FALSE(parseKeyText("49,50", stKey, strError));
    EXPECT_EQ(strError, "character 3: ',' where the end of the key belongs");
}

TEST(SimGrammarTest, DidYouMeanOffersOnlyANearName) {
    const std::vector<std::string> vecNames = {"flush", "scheme", "schedule", "brightness", "KEY_SATURATION", "set"};
    const struct {
        const char* szWord;
        const char* szSaid;
    } aCases[] = {
        {"falsh", " (did you mean flush?)"},           // two letters swapped and one wrong
        {"sheme", " (did you mean scheme?)"},          // a letter missing
        {"brigthness", " (did you mean brightness?)"},  // neighbours swapped
        {"key_saturaton", " (did you mean KEY_SATURATION?)"},
        {"schedul", " (did you mean schedule?)"},
        {"sat", " (did you mean set?)"},
        {"fls", ""},  // two edits in three letters
        {"zzzz", ""},
        {"", ""},
    };
    for (const auto& t : aCases) EXPECT_EQ(didYouMean(t.szWord, vecNames), t.szSaid) << t.szWord;
}
