// The dynamic-parameter style: the merged style with the IA library's sensor-dependent defaults and choices,
// without the elements of the features this channel does not show.
#include <climits>
#include <cstdio>
#include <cstring>

#include "Diagnostics.h"
#include "DnaEdit.h"
#include "SensorStyle.h"
#include "StyleNumber.h"
#include "StyleShowFlags.h"
#include "XmlText.h"

namespace {

// Commands whose style value may pick the default among the IA items (100: no preference).
const int kStyleMarkerCmds[] = {
    49,    // KEY_MAX_SHUTTER, also the customised list
    50,    // KEY_FIX_SHUTTER
    51,    // KEY_MIN_SHUTTER
    55,    // KEY_MIN_SHUTTER_NIGHT
    56,    // KEY_MAX_SHUTTER_NIGHT
    1537,  // KEY_AUTO_FOCUS_NEAR_LIMIT
};
const int kMarkerNoPreference = 100;
const int kCustomListCmd = 49;
const int kCustomListBase = 200;  // style value 200 + d: the style's own choices, default d

// Elements removed once the commands are applied, in this order.
struct StyleRemoval {
    int nKey;
    bool (*pfnApplies)(const StyleShowFlags&);
};
const StyleRemoval kStyleRemovals[] = {
    {10, [](const StyleShowFlags&) { return true; }},                       // KEY_EMPTY1
    {2368, [](const StyleShowFlags& f) { return !f.bShowWDR; }},            // KEY_WDR_MODE
    {2369, [](const StyleShowFlags& f) { return !f.bShowWDR; }},            // KEY_WDR_STRG
    {2048, [](const StyleShowFlags& f) { return !f.bShowLDC; }},            // KEY_LDC_SWITCH
    {2064, [](const StyleShowFlags& f) { return !f.bShowLDC; }},            // KEY_LDC_STRG
    {11, [](const StyleShowFlags& f) { return f.bShowBeaway; }},            // KEY_EMPTY2
    {2386, [](const StyleShowFlags& f) { return !f.bShowFisheyeRotate; }},  // KEY_FISHEYE_ROTATE
};

bool isStyleMarkerCmd(int p_nCmd) {
    for (int nCmd : kStyleMarkerCmds)
        if (nCmd == p_nCmd) return true;
    return false;
}

// The "value" of the last matching element that has one; p_nValue stays without one.
void styleValueOf(const StyleIndex& p_objIndex, int p_nId, int& p_nValue) {
    p_objIndex.forEachMatch(p_nId, [&](StyleIndex::Pos nPos) {
        const char* szValue = p_objIndex.element(nPos)->Attribute("value");
        if (szValue != nullptr) p_nValue = styleAtoi(szValue);
        return true;
    });
}

// A marker command's style value may choose the default, or (command 49) bring the style's own choices.
void applyStyleMarker(const StyleIndex& p_objIndex, int i, int cmd, ia_dynamic_params_attr_st& dnaParamList) {
    int nVal = 0;
    styleValueOf(p_objIndex, cmd, nVal);
    if (nVal == kMarkerNoPreference) return;
    std::printf("dnaCmdList.cmd_list[%d] = dnaParamList.items_cnt(%d)\n", i, dnaParamList.items_cnt);
    for (int j = 0; j < dnaParamList.items_cnt; ++j) {
        std::printf(" dnaParamList.item[%d] = %d nVal = %d \n", j, dnaParamList.item[j], nVal);
        if (dnaParamList.item[j] == nVal) {
            dnaParamList.def_val = nVal;
            break;
        }
    }
    if (nVal >= kCustomListBase && cmd == kCustomListCmd) {
        dnaCustomizeList(p_objIndex, kCustomListCmd, dnaParamList);
        dnaParamList.def_val = nVal - kCustomListBase;
    }
    std::fflush(stdout);
}

void applyDynamicCmd(int nIaChannel, StyleIndex& p_objIndex, int i, int cmd) {
    SNS_DBG("dnaCmdList.cmd_list[%d] = cmd(%d)\n", i, cmd);
    // Cleared per command, so that a failed query applies an empty list and default 0, never the last one's.
    ia_dynamic_params_attr_st dnaParamList;
    std::memset(&dnaParamList, 0, sizeof(dnaParamList));
    SNS_ASSERT_TEXT(SNS_SUCCESS == ia_ioctrl_v2(nIaChannel, cmd, IA_CMD_OPT_GET_PARAM_RNAGE, &dnaParamList),
                    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                    "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))",
                    nullptr);
    SNS_ASSERT_MSG(dnaParamList.items_cnt <= IA_DYNAMIC_ITEMS_MAX, "cmd(%d) dnaParamList.items_cnt(%d)\n", cmd,
                   dnaParamList.items_cnt);
    dnaParamList.items_cnt = ia_items_count(&dnaParamList);

    if (isStyleMarkerCmd(cmd)) applyStyleMarker(p_objIndex, i, cmd, dnaParamList);
    SNS_ASSERT_TEXT(SNS_SUCCESS == dnaApplyRange(p_objIndex, cmd, dnaParamList),
                    "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], &dnaParamList)",
                    nullptr);
}

// The commands in list order, then the removals. One walk indexes every element; the commands, markers and
// removals find theirs through the index.
void applyDynamicStyle(TiXmlDocument& objStyleXmlDoc, int nIaChannel, const ia_dynamic_params_cmds_st& dnaCmdList,
                       const StyleShowFlags& p_stFlags) {
    StyleIndex objIndex(objStyleXmlDoc.RootElement());
    SNS_DBG("dnaCmdList.cmd_cnt(%d)\n", dnaCmdList.cmd_cnt);
    SNS_ASSERT_MSG(dnaCmdList.cmd_cnt <= IA_DYNAMIC_CMDS_MAX, "dnaCmdList.cmd_cnt(%d)\n", dnaCmdList.cmd_cnt);
    const int nCmdCnt = ia_cmds_count(&dnaCmdList);
    for (int i = 0; i < nCmdCnt; ++i) applyDynamicCmd(nIaChannel, objIndex, i, dnaCmdList.cmd_list[i]);

    for (const StyleRemoval& stRemoval : kStyleRemovals) {
        if (!stRemoval.pfnApplies(p_stFlags)) continue;
        // Only the last element of the key goes, and never a root element.
        StyleIndex::Pos nPos = 0;
        if (objIndex.lastMatch(stRemoval.nKey, nPos)) objIndex.remove(nPos);
    }
}

}  // namespace

int getDnaStyle(int p_channelID, const char* szStyle, std::string& strStyle, bool p_bShowWDRFalg, bool p_bShowLDCFlag) {
    const StyleShowFlags stFlags = {p_bShowWDRFalg, p_bShowLDCFlag, g_bShoWBeawayFalg.load(),
                                    g_bShoWFisheyeRotateFlag.load()};
    return getDnaStyle(p_channelID, szStyle, strStyle, stFlags);
}

int getDnaStyle(int p_channelID, const char* szStyle, std::string& strStyle, const StyleShowFlags& stFlags) {
    const int nIaChannel = p_channelID > INT_MIN ? p_channelID - 1 : INT_MIN;

    ia_dynamic_params_cmds_st dnaCmdList;
    std::memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    SNS_ASSERT_TEXT(
        SNS_SUCCESS == ia_ioctrl_v2(nIaChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &dnaCmdList),
        "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
        "(void*)(&dnaCmdList))",
        nullptr);

    // The document lives until the style is printed: the text is made after it is gone.
    TiXmlPrinter objPrinter;
    {
        TiXmlDocument objStyleXmlDoc;
        SNS_ASSERT_TEXT(xmlLoadMem(objStyleXmlDoc, szStyle, TIXML_ENCODING_UTF8),
                        "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)", nullptr);
        applyDynamicStyle(objStyleXmlDoc, nIaChannel, dnaCmdList, stFlags);
        objStyleXmlDoc.Accept(&objPrinter);
    }
    strStyle = objPrinter.Str();
    return SNS_SUCCESS;
}
