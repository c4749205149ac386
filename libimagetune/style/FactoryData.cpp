// The channel's factory values: the (id, value) pairs of the dynamic-parameter style, in document order.
#include <string>

#include "Diagnostics.h"
#include "SensorStyle.h"
#include "StyleShowFlags.h"
#include "XmlText.h"

int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, bool p_bShowWDRFalg,
               bool p_bShowLDCFlag, u32 p_nKeyValCapacity) {
    const StyleShowFlags stFlags = {p_bShowWDRFalg, p_bShowLDCFlag, g_bShoWBeawayFalg.load(),
                                    g_bShoWFisheyeRotateFlag.load()};
    return getFctData(p_channelID, p_szStyle, p_pKeyVal, p_pnKeyValNum, stFlags, p_nKeyValCapacity);
}

int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, const StyleShowFlags& p_stFlags,
               u32 p_nKeyValCapacity) {
    if (!SNS_ASSERT(NULL != p_pKeyVal && NULL != p_pnKeyValNum)) return -1;

    std::string strDnaStyle;
    SNS_ASSERT_TEXT(SNS_SUCCESS == getDnaStyle(p_channelID, p_szStyle, strDnaStyle, p_stFlags),
                    "SNS_SUCCESS == getDnaStyle(p_channelID,p_szStyle, strDnaStyle,p_bShowWDRFalg,p_bShowLDCFlag)",
                    nullptr);
    TiXmlDocument objDnaStyleDoc;
    SNS_ASSERT_TEXT(xmlLoadMem(objDnaStyleDoc, strDnaStyle.c_str(), TIXML_ENCODING_UTF8),
                    "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)", nullptr);

    *p_pnKeyValNum = 0;
    TiXmlElement* pRootNode = objDnaStyleDoc.RootElement();
    // A style with more pairs than the array holds keeps the first ones, and says so.
    SNS_ASSERT_TEXT(SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum, p_nKeyValCapacity),
                    "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)", "p_pnKeyValNum(%u)\n",
                    *p_pnKeyValNum);
    return SNS_SUCCESS;
}
