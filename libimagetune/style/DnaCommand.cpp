// One IA command's range record applied to the style elements of that command.
#include "Diagnostics.h"
#include "SensorStyle.h"
#include "StyleWalk.h"

namespace {

bool isItem(const ia_dynamic_params_attr_st& p_stAttr, int p_nValue) {
    const int nCnt = ia_items_count(&p_stAttr);
    for (int i = 0; i < nCnt; ++i)
        if (p_stAttr.item[i] == p_nValue) return true;
    return false;
}

}  // namespace

int doDnaStyle(TiXmlElement* elem, int cmd, const ia_dynamic_params_attr_st* attr) {
    if (attr == nullptr) return -1;
    const bool bWhole = styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, cmd)) return STYLE_WALK_DESCEND;
        SNS_DBG("_________________cmd(%d) default(%d)__________________\n", cmd, attr->def_val);
        pElem->SetAttribute("value", attr->def_val);
        TiXmlElement* pNext = nullptr;
        for (TiXmlElement* pChoice = pElem->FirstChildElement(); pChoice != nullptr; pChoice = pNext) {
            pNext = pChoice->NextSiblingElement();
            const char* szIndex = pChoice->Attribute("index");
            if (szIndex == nullptr) return STYLE_WALK_STOP;
            if (!isItem(*attr, styleAtoi(szIndex))) {
                SNS_DBG("_________________delete comboitem(%s)__________________\n", szIndex);
                pElem->RemoveChild(pChoice);
            }
        }
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return bWhole ? 0 : -1;
}

int doCustomizeStyle(TiXmlElement* elem, int cmd, ia_dynamic_params_attr_st* attr) {
    if (attr == nullptr) return 0;
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, cmd)) return STYLE_WALK_DESCEND;
        int n = 0;
        int nChoices = 0;
        for (TiXmlElement* pChoice = pElem->FirstChildElement(); pChoice != nullptr;
             pChoice = pChoice->NextSiblingElement()) {
            const char* szIndex = pChoice->Attribute("index");
            if (szIndex == nullptr) continue;
            ++nChoices;
            if (n < IA_DYNAMIC_ITEMS_MAX) attr->item[n++] = styleAtoi(szIndex);
        }
        SNS_ASSERT_MSG(nChoices <= IA_DYNAMIC_ITEMS_MAX, "cmd(%d) choices(%d), the first %d kept\n", cmd, nChoices,
                       IA_DYNAMIC_ITEMS_MAX);
        attr->items_cnt = n;
        attr->max_val = n > 0 ? attr->item[n - 1] : 0;
        attr->min_val = attr->item[0];
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return 0;
}
