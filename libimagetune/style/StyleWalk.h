// The element walk shared by the style searches: an element, its following siblings and all their
// descendants, in document order. Iterative, so that no document shape can exhaust the stack.
#ifndef IMAGETUNE_STYLE_STYLEWALK_H
#define IMAGETUNE_STYLE_STYLEWALK_H

#include <tinyxml.h>

#include "StyleNumber.h"

enum StyleWalkStep {
    STYLE_WALK_DESCEND,        // go on into the element's children
    STYLE_WALK_SKIP_CHILDREN,  // go on with the element's next sibling
    STYLE_WALK_STOP,           // end the walk
};

// p_fnVisit(TiXmlElement*) returns a StyleWalkStep; it may change the element's children when it skips them.
// False when a visit stopped the walk.
template <typename Visit>
bool styleWalk(TiXmlElement* p_pStart, Visit p_fnVisit) {
    TiXmlElement* pNode = p_pStart;
    int nDepth = 0;
    while (pNode != nullptr) {
        const StyleWalkStep eStep = p_fnVisit(pNode);
        if (eStep == STYLE_WALK_STOP) return false;
        TiXmlElement* pChild = eStep == STYLE_WALK_DESCEND ? pNode->FirstChildElement() : nullptr;
        if (pChild != nullptr) {
            pNode = pChild;
            ++nDepth;
            continue;
        }
        while (pNode != nullptr) {
            TiXmlElement* pNext = pNode->NextSiblingElement();
            if (pNext != nullptr) {
                pNode = pNext;
                break;
            }
            // Below the start every parent is an element: the walk only ever went down through elements.
            pNode = nDepth > 0 ? pNode->Parent()->ToElement() : nullptr;
            --nDepth;
        }
    }
    return true;
}

// True when the element has "id" and it reads as p_nId.
inline bool styleHasId(const TiXmlElement* p_pElem, int p_nId) {
    const char* szId = p_pElem->Attribute("id");
    return szId != nullptr && styleAtoi(szId) == p_nId;
}

#endif
