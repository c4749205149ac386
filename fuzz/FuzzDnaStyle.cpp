// getDnaStyle and getFctData with the IA simulator's dynamic parameters taken from the input, hostile counts
// included. The input (DnaStyleInput.h) is a profile in lines, then a line "%%", then the merged style text.
// Whatever the input, both operations succeed, the factory data stays inside the caller's array (a smaller
// array gets the first pairs of a larger one), and the factory data are the pairs of the style text.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DnaStyleInput.h"
#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IaSimControl.h"
#include "SensorStyle.h"
#include "XmlText.h"

namespace {

using dnainput::Flags;

std::vector<KeyVal> factoryData(char* p_szStyle, const Flags& f, u32 p_nCapacity) {
    // Exactly the capacity, so that ASan sees a write past it.
    KeyVal* pBlock = static_cast<KeyVal*>(std::malloc(sizeof(KeyVal) * (p_nCapacity ? p_nCapacity : 1)));
    u32 nNum = 0xFFFFFFFFu;
    int nRet = getFctData(1, p_szStyle, pBlock, &nNum, f.bWdr, f.bLdc, p_nCapacity);
    FUZZ_CHECK(nRet == SNS_SUCCESS, "getFctData " + std::to_string(nRet));
    FUZZ_CHECK(nNum <= p_nCapacity, "count " + std::to_string(nNum));
    std::vector<KeyVal> vec(pBlock, pBlock + nNum);
    std::free(pBlock);
    return vec;
}

bool samePairs(const std::vector<KeyVal>& a, const std::vector<KeyVal>& b, size_t n) {
    return a.size() >= n && b.size() >= n && (n == 0 || std::memcmp(a.data(), b.data(), n * sizeof(KeyVal)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::setUp();
    iasim::reset();
    iasim::setLogging(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const dnainput::Input stInput = dnainput::parse(std::string(reinterpret_cast<const char*>(p_pData), p_nSize));
    const Flags& stFlags = stInput.stFlags;
    const std::string& strStyleText = stInput.strStyle;
    iasim::reset();
    iasim::setLogging(false);
    if (stInput.bOwnProfile) iasim::setProfile(stInput.stProfile);
    setshowBeawayFalg(stFlags.bBeaway);
    setshowFisheyeRotateFlag(stFlags.bFisheye);

    std::string strDna;
    FUZZ_CHECK(getDnaStyle(1, strStyleText.c_str(), strDna, stFlags.bWdr, stFlags.bLdc) == SNS_SUCCESS, "getDnaStyle");

    std::vector<char> vecStyle(strStyleText.begin(), strStyleText.end());
    vecStyle.push_back('\0');
    const std::vector<KeyVal> vecFull = factoryData(vecStyle.data(), stFlags, ISensorController::KEY_CMD_CAPACITY);
    const std::vector<KeyVal> vecSmall = factoryData(vecStyle.data(), stFlags, 7);
    FUZZ_CHECK(vecSmall.size() == std::min<size_t>(7, vecFull.size()) && samePairs(vecSmall, vecFull, vecSmall.size()),
               "a smaller array did not get the first pairs");

    // The factory data are the (id, value) pairs of the dynamic-parameter style text.
    TiXmlDocument doc;
    const bool bParsed = xmlLoadMem(doc, strDna.c_str(), TIXML_ENCODING_UTF8);
    FUZZ_CHECK(bParsed || strDna.empty() || vecFull.empty(), "dynamic style does not parse:\n" + strDna.substr(0, 300));
    std::vector<KeyVal> vecFromText(ISensorController::KEY_CMD_CAPACITY);
    u32 nFromText = 0;
    if (bParsed) style2KeyVal(doc.RootElement(), vecFromText.data(), &nFromText, ISensorController::KEY_CMD_CAPACITY);
    vecFromText.resize(nFromText);
    FUZZ_CHECK(vecFromText.size() == vecFull.size() && samePairs(vecFromText, vecFull, vecFull.size()),
               "factory data differ from the style's pairs");

    // The element helpers on the input style itself, with an id from the profile.
    TiXmlDocument objInput;
    if (xmlLoadMem(objInput, strStyleText.c_str(), TIXML_ENCODING_UTF8)) {
        int nValue = -12345;
        getDnaValbyCmdId(objInput.RootElement(), 49, nValue);
        TiXmlElement* pNode = nullptr;
        getNodebyCmdId(objInput.RootElement(), 49, pNode);
        FUZZ_CHECK(pNode != nullptr || nValue == -12345, "a value without an element");
        ia_dynamic_params_attr_st stAttr;
        std::memset(&stAttr, 0, sizeof(stAttr));
        doCustomizeStyle(objInput.RootElement(), 49, &stAttr);
        FUZZ_CHECK(stAttr.items_cnt >= 0 && stAttr.items_cnt <= IA_DYNAMIC_ITEMS_MAX,
                   "customised list count " + std::to_string(stAttr.items_cnt));
        ModifyNodebyCmdId(objInput.RootElement(), 112);
        DeleteNode(objInput.RootElement(), pNode);
    }
    return 0;
}
