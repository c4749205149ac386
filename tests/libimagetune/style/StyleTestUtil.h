// Helpers of the style tests: fixtures, element ids and tab keys of a document, and report detection.
#ifndef IMAGETUNE_TESTS_STYLE_STYLETESTUTIL_H
#define IMAGETUNE_TESTS_STYLE_STYLETESTUTIL_H

#include <tinyxml.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace styletest {

inline std::string fixture(const std::string& p_strRelPath) {
    return testsupport::readHostFile(std::string(IMAGETUNE_FIXTURES_DIR) + "/" + p_strRelPath);
}

// The "id" of every element that has one, in document order.
inline std::vector<int> idsOf(const std::string& p_strXml) {
    std::vector<int> vecIds;
    TiXmlDocument doc;
    doc.Parse(p_strXml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    std::vector<const TiXmlElement*> vecStack;
    for (const TiXmlElement* e = doc.RootElement(); e != nullptr; e = e->NextSiblingElement()) vecStack.push_back(e);
    // Depth-first in document order: children are pushed in reverse.
    std::vector<const TiXmlElement*> vecOrder;
    std::vector<const TiXmlElement*> vecTodo(vecStack.rbegin(), vecStack.rend());
    while (!vecTodo.empty()) {
        const TiXmlElement* e = vecTodo.back();
        vecTodo.pop_back();
        if (e->Attribute("id") != nullptr) vecIds.push_back(std::atoi(e->Attribute("id")));
        std::vector<const TiXmlElement*> vecChildren;
        for (const TiXmlElement* c = e->FirstChildElement(); c != nullptr; c = c->NextSiblingElement())
            vecChildren.push_back(c);
        vecTodo.insert(vecTodo.end(), vecChildren.rbegin(), vecChildren.rend());
    }
    return vecIds;
}

// The "key" of each child element of the root, in order ("-" for a child without one).
inline std::vector<std::string> tabKeysOf(const std::string& p_strXml) {
    std::vector<std::string> vecKeys;
    TiXmlDocument doc;
    doc.Parse(p_strXml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.RootElement() == nullptr) return vecKeys;
    for (const TiXmlElement* e = doc.RootElement()->FirstChildElement(); e != nullptr; e = e->NextSiblingElement())
        vecKeys.push_back(e->Attribute("key") != nullptr ? e->Attribute("key") : "-");
    return vecKeys;
}

// The first element with that id, searched through the whole document.
inline const TiXmlElement* findId(const TiXmlElement* p_pElem, int p_nId) {
    for (const TiXmlElement* e = p_pElem; e != nullptr; e = e->NextSiblingElement()) {
        if (e->Attribute("id") != nullptr && std::atoi(e->Attribute("id")) == p_nId) return e;
        if (const TiXmlElement* pFound = findId(e->FirstChildElement(), p_nId)) return pFound;
    }
    return nullptr;
}

// An attribute of the first element with that id; "<none>" without such an element or attribute.
inline std::string attrOfId(const std::string& p_strXml, int p_nId, const char* p_szAttr) {
    TiXmlDocument doc;
    doc.Parse(p_strXml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* e = findId(doc.RootElement(), p_nId);
    return e != nullptr && e->Attribute(p_szAttr) != nullptr ? e->Attribute(p_szAttr) : "<none>";
}

// The "index" of each choice of the first element with that id.
inline std::vector<int> choicesOfId(const std::string& p_strXml, int p_nId) {
    std::vector<int> vecIndex;
    TiXmlDocument doc;
    doc.Parse(p_strXml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* e = findId(doc.RootElement(), p_nId);
    for (const TiXmlElement* c = e != nullptr ? e->FirstChildElement() : nullptr; c != nullptr;
         c = c->NextSiblingElement())
        vecIndex.push_back(c->Attribute("index") != nullptr ? std::atoi(c->Attribute("index")) : -1);
    return vecIndex;
}

// True when the captured output holds an assertion report naming that condition.
inline bool reported(const std::string& p_strOut, const std::string& p_strCond) {
    return p_strOut.find(p_strCond + "   ~~~Assertion failed.") != std::string::npos;
}

inline size_t countReports(const std::string& p_strOut) {
    size_t n = 0;
    for (size_t i = p_strOut.find("~~~Assertion failed."); i != std::string::npos;
         i = p_strOut.find("~~~Assertion failed.", i + 1))
        ++n;
    return n;
}

}  // namespace styletest

#endif
