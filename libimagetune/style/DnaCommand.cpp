// One IA command's range record applied to the style elements of that command.
#include "Diagnostics.h"
#include "DnaEdit.h"
#include "SensorStyle.h"
#include "StyleNumber.h"

namespace {

bool isItem(const ia_dynamic_params_attr_st& p_stAttr, int p_nValue) {
    const int nCnt = ia_items_count(&p_stAttr);
    for (int i = 0; i < nCnt; ++i)
        if (p_stAttr.item[i] == p_nValue) return true;
    return false;
}

}  // namespace

int dnaApplyRange(StyleIndex& p_objIndex, int cmd, const ia_dynamic_params_attr_st& p_stAttr) {
    const bool bWhole = p_objIndex.forEachMatch(cmd, [&](StyleIndex::Pos nPos) {
        TiXmlElement* pElem = p_objIndex.element(nPos);
        SNS_DBG("_________________cmd(%d) default(%d)__________________\n", cmd, p_stAttr.def_val);
        pElem->SetAttribute("value", p_stAttr.def_val);
        bool bIndexed = true;
        p_objIndex.forEachChild(nPos, [&](StyleIndex::Pos nChoice) {
            if (!bIndexed) return;
            const char* szIndex = p_objIndex.element(nChoice)->Attribute("index");
            if (szIndex == nullptr) {
                bIndexed = false;
                return;
            }
            if (!isItem(p_stAttr, styleAtoi(szIndex))) {
                SNS_DBG("_________________delete comboitem(%s)__________________\n", szIndex);
                p_objIndex.remove(nChoice);
            }
        });
        return bIndexed;
    });
    return bWhole ? 0 : -1;
}

void dnaCustomizeList(const StyleIndex& p_objIndex, int cmd, ia_dynamic_params_attr_st& p_stAttr) {
    p_objIndex.forEachMatch(cmd, [&](StyleIndex::Pos nPos) {
        int n = 0;
        int nChoices = 0;
        for (const TiXmlElement* pChoice = p_objIndex.element(nPos)->FirstChildElement(); pChoice != nullptr;
             pChoice = pChoice->NextSiblingElement()) {
            const char* szIndex = pChoice->Attribute("index");
            if (szIndex == nullptr) continue;
            ++nChoices;
            if (n < IA_DYNAMIC_ITEMS_MAX) p_stAttr.item[n++] = styleAtoi(szIndex);
        }
        SNS_ASSERT_MSG(nChoices <= IA_DYNAMIC_ITEMS_MAX, "cmd(%d) choices(%d), the first %d kept\n", cmd, nChoices,
                       IA_DYNAMIC_ITEMS_MAX);
        p_stAttr.items_cnt = n;
        p_stAttr.max_val = n > 0 ? p_stAttr.item[n - 1] : 0;
        p_stAttr.min_val = p_stAttr.item[0];
        return true;
    });
}

int doDnaStyle(TiXmlElement* elem, int cmd, const ia_dynamic_params_attr_st* attr) {
    if (attr == nullptr) return -1;
    StyleIndex objIndex(elem);
    return dnaApplyRange(objIndex, cmd, *attr);
}

int doCustomizeStyle(TiXmlElement* elem, int cmd, ia_dynamic_params_attr_st* attr) {
    if (attr == nullptr) return 0;
    dnaCustomizeList(StyleIndex(elem), cmd, *attr);
    return 0;
}
