// Parsing style text from memory: refused documents come back empty, and no document can take the parser
// deeper than the nesting limit.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "XmlText.h"

namespace {

std::string nested(int p_nDepth, const std::string& p_strOpen = "<a>", const std::string& p_strClose = "</a>") {
    std::string s;
    for (int i = 0; i < p_nDepth; ++i) s += p_strOpen;
    for (int i = 0; i < p_nDepth; ++i) s += p_strClose;
    return s;
}

// The deepest element level of what TinyXML built, partial trees included.
int domDepth(const TiXmlNode* p_pNode) {
    int nMax = 0;
    std::vector<std::pair<const TiXmlNode*, int>> vecTodo = {{p_pNode, 0}};
    while (!vecTodo.empty()) {
        auto [pNode, nDepth] = vecTodo.back();
        vecTodo.pop_back();
        if (nDepth > nMax) nMax = nDepth;
        for (const TiXmlNode* c = pNode->FirstChild(); c != nullptr; c = c->NextSibling())
            if (c->ToElement() != nullptr) vecTodo.push_back({c, nDepth + 1});
    }
    return nMax;
}

TEST(XmlLoadMem, ParsesAndPrintsTheSameDocument) {
    TiXmlDocument doc;
    ASSERT_TRUE(xmlLoadMem(doc, "<Style><tab key=\"a\"><p id=\"1\" value=\"2\"/></tab></Style>", TIXML_ENCODING_UTF8));
    const std::string strText = xmlGetString(doc);
    EXPECT_NE(std::string::npos, strText.find("<p id=\"1\" value=\"2\" />"));
    TiXmlDocument again;
    ASSERT_TRUE(xmlLoadMem(again, strText.c_str(), TIXML_ENCODING_UTF8));
    EXPECT_EQ(strText, xmlGetString(again));
}

struct BadText {
    const char* szName;
    std::string strText;
};

TEST(XmlLoadMem, RefusedTextLeavesAnEmptyDocument) {
    const std::vector<BadText> vecCases = {
        {"empty", ""},
        {"blank", "  \n "},
        {"not xml", "this is no style"},
        {"truncated", "<Style><tab key=\"a\"><p id=\"1\" value=\"2\""},
        {"unclosed", "<Style><tab key=\"a\">"},
        {"deep", nested(100000)},
        {"just too deep", nested(SNS_XML_MAX_DEPTH + 1)},
        // A comment's "</a>" closes nothing: still too deep.
        {"deep behind comments", nested(SNS_XML_MAX_DEPTH + 1, "<a><!-- </a> -->")},
        {"deep behind quoted values", nested(SNS_XML_MAX_DEPTH + 1, "<a v=\"</a>\">")},
        // TinyXML takes a lead byte's whole length: a character cut by the end would be read past it.
        {"cut character at the end", "<a>\xE4"},
        {"cut four-byte character", "<a>x</a>\xF0\x9F"},
    };
    for (const BadText& c : vecCases) {
        TiXmlDocument doc;
        EXPECT_FALSE(xmlLoadMem(doc, c.strText.c_str(), TIXML_ENCODING_UTF8)) << c.szName;
        EXPECT_EQ(nullptr, doc.FirstChild()) << c.szName;
    }
    TiXmlDocument doc;
    EXPECT_FALSE(xmlLoadMem(doc, nullptr, TIXML_ENCODING_UTF8));
}

TEST(XmlLoadMem, AcceptsNestingUpToTheLimit) {
    TiXmlDocument doc;
    ASSERT_TRUE(xmlLoadMem(doc, nested(SNS_XML_MAX_DEPTH).c_str(), TIXML_ENCODING_UTF8));
    EXPECT_EQ(SNS_XML_MAX_DEPTH, domDepth(&doc));
    // Wide documents are no deeper for it; empty elements and comments do not count.
    std::string strWide = "<?xml version=\"1.0\"?><!-- <a><a><a> --><Style>";
    for (int i = 0; i < 20000; ++i) strWide += "<p id=\"1\" value=\"&#x41;\"><item index=\"1\"/></p>";
    strWide += "</Style>";
    EXPECT_TRUE(xmlLoadMem(doc, strWide.c_str(), TIXML_ENCODING_UTF8));
}

// Random texts that mostly nest properly, spiced with pieces that hide closing tags from a naive count
// (comments, quoted values, entities, UTF-8 lead bytes, declarations, CDATA, unknown tags) and now and then
// a wrong one. Whenever TinyXML itself would build deeper than the limit, the text must be refused.
TEST(XmlLoadMem, NeverLetsTheParserBelowTheLimit) {
    const std::vector<std::string> vecNames = {"a", "b", "_a", "a.b"};
    const std::vector<std::string> vecAttrs = {"",     " x='1'",          "\ty=\"2\" ",     " z='/>'",
                                               " v=x", " v=\"</a></a>\"", " w='&#x</a>x;'", " q=\"\xE4</\""};
    const std::vector<std::string> vecNeutral = {
        "<!-- </a></a> -->",
        "text",
        " ",
        "&#x</a></a>x;",
        "&#</a>#;",
        "&#x41;",
        "&amp;",
        "\xE4</a",
        "\xC3</",
        "<?xml version=\"></a></a>\"?>",
        "<![CDATA[</a></a>]]>",
        "<!DOCTYPE </a>>",
        "< a>",
        "<1a>",
        "\xEF\xBB\xBF",
        "<a/>",
        "<b q='</b>'/>",
    };
    const std::vector<std::string> vecWrong = {
        "<?xml foo='></a>' ?>", "<a\xEF\xBB\xBFq='1'>", "</a>", "</b>", "<a", "&#x<a>;", "<!-- <a>", "'", "\"", "</"};
    std::mt19937 rng(20240607);
    auto pick = [&rng](const std::vector<std::string>& v) -> const std::string& { return v[rng() % v.size()]; };
    int nDeepCases = 0;
    for (int nRun = 0; nRun < 1000; ++nRun) {
        std::string strText = "<r>";
        std::vector<std::string> vecOpen = {"r"};
        const int nPieces = 100 + static_cast<int>(rng() % 500);
        for (int i = 0; i < nPieces; ++i) {
            const unsigned nRoll = rng() % 100;
            if (nRoll < 45) {
                vecOpen.push_back(pick(vecNames));
                strText += "<" + vecOpen.back() + pick(vecAttrs) + ">";
            } else if (nRoll < 65 && vecOpen.size() > 1) {
                strText += "</" + vecOpen.back() + (rng() % 2 ? ">" : " >");
                vecOpen.pop_back();
            } else if (nRoll < 99) {
                strText += pick(vecNeutral);
            } else {
                strText += pick(vecWrong);
            }
        }
        for (; !vecOpen.empty(); vecOpen.pop_back()) strText += "</" + vecOpen.back() + ">";

        TiXmlDocument raw;
        raw.Parse(strText.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const int nRealDepth = domDepth(&raw);
        TiXmlDocument guarded;
        const bool bAccepted = xmlLoadMem(guarded, strText.c_str(), TIXML_ENCODING_UTF8);
        if (nRealDepth > SNS_XML_MAX_DEPTH) {
            ++nDeepCases;
            EXPECT_FALSE(bAccepted) << "depth " << nRealDepth << " accepted: " << strText;
        }
        if (bAccepted) {
            EXPECT_EQ(xmlGetString(raw), xmlGetString(guarded));
        } else if (!raw.Error() && nRealDepth <= SNS_XML_MAX_DEPTH) {
            ADD_FAILURE() << "refused a good document of depth " << nRealDepth << ": " << strText;
        }
    }
    EXPECT_GT(nDeepCases, 30);  // the generator does reach past the limit
}

}  // namespace
