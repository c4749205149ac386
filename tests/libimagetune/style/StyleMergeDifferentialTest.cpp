// The indexed tab edits of the style merge against the tab scan they replaced: each edit searched the tabs
// from the first one. Generated chains of edits (repeated keys, edits naming tabs that earlier edits
// inserted, replaced or deleted, new tabs without or with a key already present, unknown operations) give
// the same merged text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "SensorStyle.h"
#include "TestSupport.h"
#include "XmlText.h"

namespace {

// The edit as it was: the first tab whose "key" equals tab_key, found by scanning the root's children.
void referenceEdit(TiXmlDocument& doc, const char* op, const char* tab_key, const TiXmlElement* new_tab) {
    TiXmlElement* pRoot = doc.RootElement();
    TiXmlElement* tab_node = pRoot != nullptr ? pRoot->FirstChildElement() : nullptr;
    if (tab_node == nullptr || op == nullptr || tab_key == nullptr) return;
    for (; tab_node != nullptr; tab_node = tab_node->NextSiblingElement()) {
        const char* szKey = tab_node->Attribute("key");
        if (szKey != nullptr && std::strcmp(szKey, tab_key) == 0) break;
    }
    if (tab_node == nullptr) return;
    if (std::strcmp(op, "Modify") == 0 && new_tab != nullptr) {
        pRoot->InsertAfterChild(tab_node, *new_tab);
        pRoot->RemoveChild(tab_node);
    } else if (std::strcmp(op, "AddAfter") == 0 && new_tab != nullptr) {
        pRoot->InsertAfterChild(tab_node, *new_tab);
    } else if (std::strcmp(op, "Delete") == 0) {
        pRoot->RemoveChild(tab_node);
    }
}

class EditGenerator {
public:
    explicit EditGenerator(unsigned p_nSeed) : m_rng(p_nSeed) {}

    std::string style() {
        std::string strXml = "<Style>";
        const int nTabs = pick(6);
        for (int i = 0; i < nTabs; ++i) strXml += tab("s" + std::to_string(i));
        return strXml + "</Style>";
    }

    // One selector that holds for the detail "(m=1)", with its edits.
    std::string diversity() {
        std::string strXml = "<Sel m=\"1\">";
        const int nEdits = 1 + pick(40);
        for (int i = 0; i < nEdits; ++i) {
            const char* const kOps[] = {"AddAfter", "AddAfter", "AddAfter", "Modify", "Delete", "Other"};
            const std::string strOp = kOps[pick(6)];
            strXml += "<" + strOp;
            if (pick(10) != 0) strXml += " tab_key=\"" + key() + "\"";
            strXml += ">";
            if (pick(8) != 0) strXml += tab("n" + std::to_string(i));
            strXml += "</" + strOp + ">";
        }
        return strXml + "</Sel>";
    }

private:
    int pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    std::string key() { return std::string(1, static_cast<char>('a' + pick(5))); }
    std::string tab(const std::string& p_strName) {
        std::string strKey = pick(6) != 0 ? " key=\"" + key() + "\"" : "";
        return "<tab" + strKey + " name=\"" + p_strName + "\"><p id=\"1\" value=\"1\"/></tab>";
    }

    std::mt19937 m_rng;
};

class StyleMergeDifferential : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeDirs(m_objRoot.host("/tmp")); }

    // The merge of one selector's edits that holds for the detail "(m=1)", beside the reference's.
    void expectSameMerge(const std::string& p_strWhat, const std::string& p_strStyle, std::string p_strDiversity) {
        TiXmlDocument objReference;
        TiXmlDocument objEdits;
        ASSERT_TRUE(xmlLoadMem(objReference, p_strStyle.c_str(), TIXML_ENCODING_UTF8));
        ASSERT_TRUE(xmlLoadMem(objEdits, p_strDiversity.c_str(), TIXML_ENCODING_UTF8));
        for (const TiXmlElement* pEdit = objEdits.RootElement()->FirstChildElement(); pEdit != nullptr;
             pEdit = pEdit->NextSiblingElement())
            referenceEdit(objReference, pEdit->Value(), pEdit->Attribute("tab_key"), pEdit->FirstChildElement());

        ModuleConfig stModule;
        std::memset(&stModule, 0, sizeof(stModule));
        std::strcpy(stModule.szDetail, "(m=1)");
        char* szStyle = strdup(p_strStyle.c_str());
        m_objCapture.start();
        mergeStyle(1, &stModule, &szStyle, &p_strDiversity[0]);
        m_objCapture.stop();
        const std::string strMerged = szStyle;
        std::free(szStyle);
        EXPECT_EQ(xmlGetString(objReference), strMerged) << p_strWhat << "\n" << p_strStyle << "\n" << p_strDiversity;
    }

    testsupport::TempDeviceRoot m_objRoot;
    testsupport::StdoutCapture m_objCapture;
};

TEST_F(StyleMergeDifferential, GeneratedEditChains) {
    for (unsigned nSeed = 1; nSeed <= 400 && !HasFailure(); ++nSeed) {
        EditGenerator objGen(nSeed);
        const std::string strStyle = objGen.style();
        expectSameMerge("seed " + std::to_string(nSeed), strStyle, objGen.diversity());
    }
}

// Tabs inserted again and again at one place use up the room between two labels there.
TEST_F(StyleMergeDifferential, ManyInsertionsAtOnePlace) {
    std::string strDiversity = "<Sel m=\"1\">";
    for (int i = 0; i < 200; ++i) {
        strDiversity += "<AddAfter tab_key=\"a\"><tab key=\"" + std::string(i % 3 == 0 ? "b" : "c") + "\" n=\"" +
                        std::to_string(i) + "\"/></AddAfter>";
        if (i % 50 == 49) strDiversity += "<Delete tab_key=\"b\"/><Modify tab_key=\"c\"><tab key=\"b\"/></Modify>";
    }
    expectSameMerge("insertions after one tab", "<Style><tab key=\"a\"/><tab key=\"c\"/><tab key=\"b\"/></Style>",
                    strDiversity + "</Sel>");
}

}  // namespace
