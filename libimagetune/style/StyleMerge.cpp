// Merging the style-diversity edits into the device family's style document.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "Diagnostics.h"
#include "FileReplace.h"
#include "SensorFile.h"
#include "SensorStyle.h"
#include "StringHandler.h"
#include "StyleMergeInputs.h"
#include "XmlText.h"

namespace {

// Values agree over their first five characters: model names that share a five-character beginning count
// as one.
const size_t kConditionCompareLen = 5;

bool conditionValueListed(const char* p_szList, const char* p_szDetailValue) {
    std::vector<std::string> vecValues;
    StringHandler::split(p_szList, vecValues, ",");
    for (const std::string& strValue : vecValues)
        if (std::strncmp(strValue.c_str(), p_szDetailValue, kConditionCompareLen) == 0) return true;
    return std::strncmp(p_szList, p_szDetailValue, kConditionCompareLen) == 0;
}

// The first condition of the selector that holds for the detail text, or null.
const TiXmlAttribute* holdingCondition(const TiXmlElement* p_pSelector, const char* p_szDetail) {
    for (const TiXmlAttribute* modi_attr = p_pSelector->FirstAttribute(); modi_attr != nullptr;
         modi_attr = modi_attr->Next()) {
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
        char nVal[SNS_DETAIL_VALUE_LEN] = {0};
        if (getDetailFieldToStr(p_szDetail, modi_attr->Name(), nVal) == 0 &&
            conditionValueListed(modi_attr->Value(), nVal))
            return modi_attr;
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s) nVal(%s)\n", modi_attr->Name(), modi_attr->Value(),
                nVal);
    }
    return nullptr;
}

// The tabs (child elements of the root) in document order, with the first tab of every "key" at hand, so
// that each edit finds its tab without scanning the tabs before it: a chain of edits each naming the tab
// the one before inserted stays linear in the number of edits. Document order is kept as labels that grow
// along the tabs; an insertion takes a label between its neighbours, and where there is no room left the
// labels of a window of tabs around it are spread out, the window doubling until it has room.
class TabIndex {
public:
    explicit TabIndex(TiXmlElement* p_pRoot) : m_pRoot(p_pRoot) {
        for (TiXmlElement* pTab = p_pRoot != nullptr ? p_pRoot->FirstChildElement() : nullptr; pTab != nullptr;
             pTab = pTab->NextSiblingElement())
            m_listTabs.push_back(Tab{pTab, (m_listTabs.size() + 1) * kLabelStep, pTab->Attribute("key")});
        for (TabIter it = m_listTabs.begin(); it != m_listTabs.end(); ++it) index(it);
    }

    bool empty() const { return m_listTabs.empty(); }

    // One edit on the first tab whose "key" is tab_key.
    void edit(const char* op, const char* tab_key, const TiXmlElement* new_tab) {
        auto itKey = m_mapKeys.find(tab_key);
        if (itKey == m_mapKeys.end() || itKey->second.empty()) return;
        const TabIter itTab = itKey->second.front();
        if (std::strcmp(op, "Modify") == 0) {
            if (new_tab == nullptr) return;
            insertAfter(itTab, *new_tab);
            erase(itTab);
        } else if (std::strcmp(op, "AddAfter") == 0) {
            if (new_tab == nullptr) return;
            insertAfter(itTab, *new_tab);
        } else if (std::strcmp(op, "Delete") == 0) {
            erase(itTab);
        }
    }

private:
    struct Tab {
        TiXmlElement* pElem;
        uint64_t nLabel;
        const char* szKey;  // null for a tab without "key"
    };
    typedef std::list<Tab>::iterator TabIter;
    // The tabs of one key in document order; most keys have one.
    typedef std::vector<TabIter> KeyTabs;
    static bool before(const TabIter& a, const TabIter& b) { return a->nLabel < b->nLabel; }
    static constexpr uint64_t kLabelStep = uint64_t(1) << 32;

    void index(const TabIter& it) {
        if (it->szKey == nullptr) return;
        KeyTabs& vecTabs = m_mapKeys[it->szKey];
        vecTabs.insert(std::upper_bound(vecTabs.begin(), vecTabs.end(), it, before), it);
    }
    // Spreads the labels of the smallest window of tabs around p_itTab whose room lets every gap in it hold as
    // many labels as the window has tabs; the whole list always has room.
    void makeRoomAfter(TabIter p_itTab) {
        for (size_t k = 1;; k *= 2) {
            TabIter itLo = p_itTab;
            size_t n = 1;
            for (size_t i = 0; i < k && itLo != m_listTabs.begin(); ++i, ++n) --itLo;
            TabIter itHi = std::next(p_itTab);
            for (size_t i = 0; i < k && itHi != m_listTabs.end(); ++i, ++n) ++itHi;
            const bool bWhole = itLo == m_listTabs.begin() && itHi == m_listTabs.end();
            const uint64_t nLow = itLo == m_listTabs.begin() ? 0 : std::prev(itLo)->nLabel;
            const uint64_t nHigh = itHi == m_listTabs.end() ? UINT64_MAX : itHi->nLabel;
            const uint64_t nGap = (nHigh - nLow) / (n + 1);
            if (nGap < n && !bWhole) continue;
            // Labels strictly between the window's neighbours, in the same order: each key's tabs stay sorted.
            uint64_t nLabel = nLow;
            for (TabIter it = itLo; it != itHi; ++it) it->nLabel = nLabel += nGap;
            return;
        }
    }
    uint64_t labelAfter(TabIter p_itTab) const {
        const TabIter itNext = std::next(p_itTab);
        return itNext == m_listTabs.end() ? UINT64_MAX : itNext->nLabel;
    }
    void insertAfter(TabIter p_itTab, const TiXmlElement& p_objNew) {
        TiXmlNode* pNode = m_pRoot->InsertAfterChild(p_itTab->pElem, p_objNew);
        TiXmlElement* pNew = pNode != nullptr ? pNode->ToElement() : nullptr;
        if (pNew == nullptr) return;
        if (labelAfter(p_itTab) - p_itTab->nLabel < 2) makeRoomAfter(p_itTab);
        const uint64_t nLabel = p_itTab->nLabel + std::min(kLabelStep, (labelAfter(p_itTab) - p_itTab->nLabel) / 2);
        index(m_listTabs.insert(std::next(p_itTab), Tab{pNew, nLabel, pNew->Attribute("key")}));
    }
    void erase(TabIter p_itTab) {
        if (p_itTab->szKey != nullptr) {
            KeyTabs& vecTabs = m_mapKeys[p_itTab->szKey];
            vecTabs.erase(std::lower_bound(vecTabs.begin(), vecTabs.end(), p_itTab, before));
        }
        m_pRoot->RemoveChild(p_itTab->pElem);
        m_listTabs.erase(p_itTab);
    }

    TiXmlElement* m_pRoot;
    std::list<Tab> m_listTabs;
    std::unordered_map<std::string, KeyTabs> m_mapKeys;
};

// One edit through the index. Named as the exported operation, whose report it makes.
void updateStyleTab(TabIndex& p_objTabs, const char* op, const char* tab_key, const TiXmlElement* new_tab) {
    if (!SNS_ASSERT_TEXT(!p_objTabs.empty(), "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())",
                         nullptr))
        return;
    if (op != nullptr && tab_key != nullptr) p_objTabs.edit(op, tab_key, new_tab);
}

void applySelector(TabIndex& p_objTabs, const TiXmlElement* node_first, const char* p_szDetail) {
    const TiXmlAttribute* modi_attr = holdingCondition(node_first, p_szDetail);
    if (modi_attr == nullptr) return;
    SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
    const TiXmlElement* node_second = node_first->FirstChildElement();
    if (!SNS_ASSERT_TEXT(node_second != nullptr, "NULL != (node_second = node_first->FirstChildElement())", nullptr))
        return;
    for (; node_second != nullptr; node_second = node_second->NextSiblingElement()) {
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
        updateStyleTab(p_objTabs, node_second->Value(), node_second->Attribute("tab_key"),
                       node_second->FirstChildElement());
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
    }
}

// Applies the edits of the style-diversity text whose conditions hold for the module's detail text. Named as
// the exported operation, whose reports it makes. False when the text did not parse or has no root element.
bool mergeStyle(TiXmlDocument& doc_style, const ModuleConfig* p_pModuleConfig, const char* ui_styleDiversity) {
    TiXmlDocument doc_style_div;
    const bool bParsed = SNS_ASSERT_TEXT(xmlLoadMem(doc_style_div, ui_styleDiversity, TIXML_ENCODING_UTF8),
                                         "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", nullptr);
    // Without a module description no condition can hold.
    const char* szDetail = p_pModuleConfig != nullptr ? p_pModuleConfig->szDetail : "";
    const TiXmlElement* node_first = doc_style_div.RootElement();
    if (!SNS_ASSERT_TEXT(node_first != nullptr, "NULL != (node_first = doc_style_div.RootElement())", nullptr))
        return false;
    TabIndex objTabs(doc_style.RootElement());
    for (; node_first != nullptr; node_first = node_first->NextSiblingElement())
        applySelector(objTabs, node_first, szDetail);
    return bParsed;
}

}  // namespace

int updateStyleTab(TiXmlDocument* doc_style, const char* op, const char* tab_key, const TiXmlElement* new_tab) {
    TabIndex objTabs(doc_style != nullptr ? doc_style->RootElement() : nullptr);
    updateStyleTab(objTabs, op, tab_key, new_tab);
    return 0;
}

int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity) {
    bool bDiversityApplied = false;
    return mergeStyle(p_nChannelID, p_pModuleConfig, ui_style, ui_styleDiversity, &bDiversityApplied);
}

int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity,
               bool* p_pbDiversityApplied) {
    *p_pbDiversityApplied = false;
    if (!SNS_ASSERT(NULL != ui_style)) return -1;

    // The heap of a start peaks while both documents are alive: the style text goes once it is parsed, the
    // style-diversity document once its edits are made, and the style document once it is printed.
    TiXmlPrinter objPrinter;
    {
        TiXmlDocument doc_style;
        SNS_ASSERT_TEXT(xmlLoadMem(doc_style, *ui_style != nullptr ? *ui_style : "", TIXML_ENCODING_UTF8),
                        "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", nullptr);
        std::free(*ui_style);
        *ui_style = nullptr;
        *p_pbDiversityApplied = mergeStyle(doc_style, p_pModuleConfig, ui_styleDiversity);
        doc_style.Accept(&objPrinter);
    }

    // The merged text goes to the file and to *ui_style from one print, so the two always agree.
    char filename[64];
    std::snprintf(filename, sizeof(filename), SNS_MERGE_STYLE_FILE, p_nChannelID);
    SNS_ASSERT_TEXT(replaceFileWhole(filename, objPrinter.CStr(), static_cast<INT64>(objPrinter.Size())) == 0,
                    "SNS_SUCCESS == replaceFileWhole(filename, strMerged.data(), strMerged.size())", "filename(%s)\n",
                    filename);
    SNS_INFO("%s\n", objPrinter.CStr());

    const size_t nLen = objPrinter.Size();
    char* szMerged = static_cast<char*>(std::calloc(nLen + 1, 1));
    // Without memory for it the channel runs with no style, as with an empty one.
    if (!SNS_ASSERT_TEXT(szMerged != nullptr, "NULL != (szMerged = malloc(file_len + 1))", "file_len(%u)\n",
                         static_cast<unsigned>(nLen)))
        return SNS_SUCCESS;
    // The merged style is read back from its file, as it always is; an empty document leaves it empty. What the
    // channel keeps is the text printed here, so that another program's write to /tmp in between cannot become
    // the channel's style: the file and the style agree unless that happened, which is reported.
    const int nRead = loadFromFile(filename, szMerged, static_cast<INT64>(nLen));
    SNS_ASSERT_TEXT(nRead > 0, "loadFromFile(filename, *ui_style, file_len) > 0", nullptr);
    SNS_ASSERT_MSG(nRead <= 0 || std::memcmp(szMerged, objPrinter.CStr(), nLen) == 0,
                   "filename(%s) changed after it was written: the merged text is kept\n", filename);
    std::memcpy(szMerged, objPrinter.CStr(), nLen + 1);
    *ui_style = szMerged;
    return SNS_SUCCESS;
}
