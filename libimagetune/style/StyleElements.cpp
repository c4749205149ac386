// Finding, reading, editing and collecting the parameter elements of a style document.
#include <cstring>

#include "SensorStyle.h"
#include "StyleWalk.h"

namespace {

const int kHlcSwitchId = 112;  // KEY_HLC_SWITCH
const int kBlcSwitchId = 128;  // KEY_BLC_SWITCH

}  // namespace

int getDnaValbyCmdId(TiXmlElement* elem, int id, int& value) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, id)) return STYLE_WALK_DESCEND;
        const char* szValue = pElem->Attribute("value");
        if (szValue != nullptr) value = styleAtoi(szValue);
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return 0;
}

int getNodebyCmdId(TiXmlElement* elem, int id, TiXmlElement*& node) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, id)) return STYLE_WALK_DESCEND;
        node = pElem;
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return 0;
}

int DeleteNode(TiXmlElement* root, TiXmlElement* node) {
    if (root == nullptr || node == nullptr) return -1;
    TiXmlNode* pParent = node->Parent();
    // A root element's parent is the document, which is no element: the root stays.
    TiXmlElement* pParentElem = pParent != nullptr ? pParent->ToElement() : nullptr;
    if (pParentElem != nullptr) pParentElem->RemoveChild(node);
    return 0;
}

int ModifyNodebyCmdId(TiXmlElement* elem, int id) {
    const char* szEnableList = id == kHlcSwitchId ? "128" : id == kBlcSwitchId ? "112" : nullptr;
    if (szEnableList == nullptr) return 0;
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, id)) return STYLE_WALK_DESCEND;
        pElem->SetAttribute("enable_list", szEnableList);
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return 0;
}

int style2KeyVal(TiXmlElement* elem, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nKeyValCapacity) {
    if (p_pnKeyValNum == nullptr || (p_pKeyVal == nullptr && p_nKeyValCapacity > 0)) return -1;
    bool bLeftOut = false;
    styleWalk(elem, [&](TiXmlElement* pElem) {
        const char* szId = pElem->Attribute("id");
        const char* szValue = pElem->Attribute("value");
        if (szId == nullptr || szValue == nullptr) return STYLE_WALK_DESCEND;
        if (*p_pnKeyValNum >= p_nKeyValCapacity) {
            bLeftOut = true;
            return STYLE_WALK_STOP;
        }
        p_pKeyVal[*p_pnKeyValNum].key = static_cast<u32>(styleAtoi(szId));
        p_pKeyVal[*p_pnKeyValNum].value = static_cast<u32>(styleAtoi(szValue));
        ++*p_pnKeyValNum;
        return STYLE_WALK_DESCEND;
    });
    return bLeftOut ? -1 : 0;
}
