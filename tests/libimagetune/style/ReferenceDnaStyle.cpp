#include "ReferenceDnaStyle.h"

#include <climits>
#include <cstring>

#include "SensorStyle.h"
#include "StyleWalk.h"
#include "XmlText.h"
#include "ia_ctrl.h"
#include "sensor.h"

namespace refstyle {
namespace {

bool isItem(const ia_dynamic_params_attr_st& p_stAttr, int p_nValue) {
    const int nCnt = ia_items_count(&p_stAttr);
    for (int i = 0; i < nCnt; ++i)
        if (p_stAttr.item[i] == p_nValue) return true;
    return false;
}

int walkRange(TiXmlElement* elem, int cmd, const ia_dynamic_params_attr_st* attr) {
    const bool bWhole = styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, cmd)) return STYLE_WALK_DESCEND;
        pElem->SetAttribute("value", attr->def_val);
        TiXmlElement* pNext = nullptr;
        for (TiXmlElement* pChoice = pElem->FirstChildElement(); pChoice != nullptr; pChoice = pNext) {
            pNext = pChoice->NextSiblingElement();
            const char* szIndex = pChoice->Attribute("index");
            if (szIndex == nullptr) return STYLE_WALK_STOP;
            if (!isItem(*attr, styleAtoi(szIndex))) pElem->RemoveChild(pChoice);
        }
        return STYLE_WALK_SKIP_CHILDREN;
    });
    return bWhole ? 0 : -1;
}

void walkCustomize(TiXmlElement* elem, int cmd, ia_dynamic_params_attr_st* attr) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, cmd)) return STYLE_WALK_DESCEND;
        int n = 0;
        for (TiXmlElement* pChoice = pElem->FirstChildElement(); pChoice != nullptr;
             pChoice = pChoice->NextSiblingElement()) {
            const char* szIndex = pChoice->Attribute("index");
            if (szIndex != nullptr && n < IA_DYNAMIC_ITEMS_MAX) attr->item[n++] = styleAtoi(szIndex);
        }
        attr->items_cnt = n;
        attr->max_val = n > 0 ? attr->item[n - 1] : 0;
        attr->min_val = attr->item[0];
        return STYLE_WALK_SKIP_CHILDREN;
    });
}

void walkValue(TiXmlElement* elem, int id, int& value) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, id)) return STYLE_WALK_DESCEND;
        const char* szValue = pElem->Attribute("value");
        if (szValue != nullptr) value = styleAtoi(szValue);
        return STYLE_WALK_SKIP_CHILDREN;
    });
}

void walkNode(TiXmlElement* elem, int id, TiXmlElement*& node) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        if (!styleHasId(pElem, id)) return STYLE_WALK_DESCEND;
        node = pElem;
        return STYLE_WALK_SKIP_CHILDREN;
    });
}

void removeNode(TiXmlElement* node) {
    TiXmlNode* pParent = node->Parent();
    TiXmlElement* pParentElem = pParent != nullptr ? pParent->ToElement() : nullptr;
    if (pParentElem != nullptr) pParentElem->RemoveChild(node);
}

void walkPairs(TiXmlElement* elem, std::vector<KeyVal>& p_vecPairs, u32 p_nCapacity) {
    styleWalk(elem, [&](TiXmlElement* pElem) {
        const char* szId = pElem->Attribute("id");
        const char* szValue = pElem->Attribute("value");
        if (szId == nullptr || szValue == nullptr) return STYLE_WALK_DESCEND;
        if (p_vecPairs.size() >= p_nCapacity) return STYLE_WALK_STOP;
        p_vecPairs.push_back({static_cast<u32>(styleAtoi(szId)), static_cast<u32>(styleAtoi(szValue))});
        return STYLE_WALK_DESCEND;
    });
}

void applyStyleMarker(TiXmlElement* pRoot, int cmd, ia_dynamic_params_attr_st& dnaParamList) {
    int nVal = 0;
    walkValue(pRoot, cmd, nVal);
    if (nVal == 100) return;
    for (int j = 0; j < dnaParamList.items_cnt; ++j) {
        if (dnaParamList.item[j] == nVal) {
            dnaParamList.def_val = nVal;
            break;
        }
    }
    if (nVal >= 200 && cmd == 49) {
        walkCustomize(pRoot, 49, &dnaParamList);
        dnaParamList.def_val = nVal - 200;
    }
}

}  // namespace

std::string dnaStyle(int p_nChannel, const char* szStyle, bool p_bShowWDR, bool p_bShowLDC) {
    const int nIaChannel = p_nChannel > INT_MIN ? p_nChannel - 1 : INT_MIN;
    ia_dynamic_params_cmds_st dnaCmdList;
    std::memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    ia_ioctrl_v2(nIaChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &dnaCmdList);

    TiXmlDocument objStyleXmlDoc;
    xmlLoadMem(objStyleXmlDoc, szStyle, TIXML_ENCODING_UTF8);
    TiXmlElement* pRoot = objStyleXmlDoc.RootElement();
    const int nCmdCnt = ia_cmds_count(&dnaCmdList);
    for (int i = 0; i < nCmdCnt; ++i) {
        const int cmd = dnaCmdList.cmd_list[i];
        ia_dynamic_params_attr_st dnaParamList;
        std::memset(&dnaParamList, 0, sizeof(dnaParamList));
        ia_ioctrl_v2(nIaChannel, cmd, IA_CMD_OPT_GET_PARAM_RNAGE, &dnaParamList);
        dnaParamList.items_cnt = ia_items_count(&dnaParamList);
        for (int nMarker : {49, 50, 51, 55, 56, 1537})
            if (cmd == nMarker) applyStyleMarker(pRoot, cmd, dnaParamList);
        walkRange(pRoot, cmd, &dnaParamList);
    }

    const struct {
        int nKey;
        bool bRemove;
    } kRemovals[] = {
        {10, true},
        {2368, !p_bShowWDR},
        {2369, !p_bShowWDR},
        {2048, !p_bShowLDC},
        {2064, !p_bShowLDC},
        {11, g_bShoWBeawayFalg.load()},
        {2386, !g_bShoWFisheyeRotateFlag.load()},
    };
    for (const auto& stRemoval : kRemovals) {
        if (!stRemoval.bRemove) continue;
        TiXmlElement* pNode = nullptr;
        walkNode(pRoot, stRemoval.nKey, pNode);
        if (pNode != nullptr) removeNode(pNode);
    }
    return xmlGetString(objStyleXmlDoc);
}

std::vector<KeyVal> factoryData(int p_nChannel, const char* szStyle, bool p_bShowWDR, bool p_bShowLDC,
                                u32 p_nCapacity) {
    const std::string strDnaStyle = dnaStyle(p_nChannel, szStyle, p_bShowWDR, p_bShowLDC);
    TiXmlDocument objDnaStyleDoc;
    xmlLoadMem(objDnaStyleDoc, strDnaStyle.c_str(), TIXML_ENCODING_UTF8);
    std::vector<KeyVal> vecPairs;
    walkPairs(objDnaStyleDoc.RootElement(), vecPairs, p_nCapacity);
    return vecPairs;
}

}  // namespace refstyle
