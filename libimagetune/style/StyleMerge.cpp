// Merging the style-diversity edits into the device family's style document.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Diagnostics.h"
#include "FileReplace.h"
#include "SensorStyle.h"
#include "StringHandler.h"
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

void applySelector(TiXmlDocument& doc_style, const TiXmlElement* node_first, const char* p_szDetail) {
    const TiXmlAttribute* modi_attr = holdingCondition(node_first, p_szDetail);
    if (modi_attr == nullptr) return;
    SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
    const TiXmlElement* node_second = node_first->FirstChildElement();
    if (!SNS_ASSERT_TEXT(node_second != nullptr, "NULL != (node_second = node_first->FirstChildElement())", nullptr))
        return;
    for (; node_second != nullptr; node_second = node_second->NextSiblingElement()) {
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
        updateStyleTab(&doc_style, node_second->Value(), node_second->Attribute("tab_key"),
                       node_second->FirstChildElement());
        SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
    }
}

// A malloc'd copy of the text; null only when memory is exhausted.
char* heapText(const std::string& p_strText) {
    char* szText = static_cast<char*>(std::malloc(p_strText.size() + 1));
    if (szText != nullptr) std::memcpy(szText, p_strText.c_str(), p_strText.size() + 1);
    return szText;
}

}  // namespace

int updateStyleTab(TiXmlDocument* doc_style, const char* op, const char* tab_key, const TiXmlElement* new_tab) {
    TiXmlElement* pRoot = doc_style != nullptr ? doc_style->RootElement() : nullptr;
    TiXmlElement* tab_node = pRoot != nullptr ? pRoot->FirstChildElement() : nullptr;
    if (!SNS_ASSERT_TEXT(tab_node != nullptr, "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())",
                         nullptr))
        return 0;
    if (op == nullptr || tab_key == nullptr) return 0;
    for (; tab_node != nullptr; tab_node = tab_node->NextSiblingElement()) {
        const char* szKey = tab_node->Attribute("key");
        if (szKey != nullptr && std::strcmp(szKey, tab_key) == 0) break;
    }
    if (tab_node == nullptr) return 0;

    if (std::strcmp(op, "Modify") == 0) {
        if (new_tab == nullptr) return 0;
        pRoot->InsertAfterChild(tab_node, *new_tab);
        pRoot->RemoveChild(tab_node);
    } else if (std::strcmp(op, "AddAfter") == 0) {
        if (new_tab == nullptr) return 0;
        pRoot->InsertAfterChild(tab_node, *new_tab);
    } else if (std::strcmp(op, "Delete") == 0) {
        pRoot->RemoveChild(tab_node);
    }
    return 0;
}

int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity) {
    if (!SNS_ASSERT(NULL != ui_style)) return -1;

    TiXmlDocument doc_style;
    SNS_ASSERT_TEXT(xmlLoadMem(doc_style, *ui_style != nullptr ? *ui_style : "", TIXML_ENCODING_UTF8),
                    "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", nullptr);
    TiXmlDocument doc_style_div;
    SNS_ASSERT_TEXT(xmlLoadMem(doc_style_div, ui_styleDiversity, TIXML_ENCODING_UTF8),
                    "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", nullptr);

    // Without a module description no condition can hold.
    const char* szDetail = p_pModuleConfig != nullptr ? p_pModuleConfig->szDetail : "";
    const TiXmlElement* node_first = doc_style_div.RootElement();
    if (SNS_ASSERT_TEXT(node_first != nullptr, "NULL != (node_first = doc_style_div.RootElement())", nullptr)) {
        for (; node_first != nullptr; node_first = node_first->NextSiblingElement())
            applySelector(doc_style, node_first, szDetail);
    }

    // The merged text goes to the file and to *ui_style from one string, so the two always agree.
    const std::string strMerged = xmlGetString(doc_style);
    char filename[64];
    std::snprintf(filename, sizeof(filename), SNS_MERGE_STYLE_FILE, p_nChannelID);
    SNS_ASSERT_TEXT(replaceFileWhole(filename, strMerged.data(), static_cast<INT64>(strMerged.size())) == 0,
                    "SNS_SUCCESS == replaceFileWhole(filename, strMerged.data(), strMerged.size())", "filename(%s)\n",
                    filename);
    SNS_INFO("%s\n", strMerged.c_str());

    char* szMerged = heapText(strMerged);
    if (!SNS_ASSERT_TEXT(szMerged != nullptr, "NULL != (szMerged = malloc(file_len + 1))", "file_len(%u)\n",
                         static_cast<unsigned>(strMerged.size())))
        return SNS_SUCCESS;  // the unmerged style stays in place
    std::free(*ui_style);
    *ui_style = szMerged;
    return SNS_SUCCESS;
}
