// getDnaStyle and getFctData with the IA simulator's dynamic parameters taken from the input, hostile counts
// included. The input is a profile in lines, then a line "%%", then the merged style text:
//   cmds <n>                                 cmd_cnt as the IA library reports it (default: the real count)
//   flags <wdr> <ldc> <beaway> <fisheye>      the display flags (default 1 1 1 1)
//   <cmd> <def> <item>,<item>,... [count=<n>] [type=<t>]   one command with dynamic parameters
// Without a "%%" line the whole input is the style and the profile is the simulator's default one.
// Whatever the input, both operations succeed, the factory data stays inside the caller's array (a smaller
// array gets the first pairs of a larger one), and the factory data are the pairs of the style text.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IaSimControl.h"
#include "SensorStyle.h"
#include "XmlText.h"

namespace {

struct Flags {
    bool bWdr = true;
    bool bLdc = true;
    bool bBeaway = true;
    bool bFisheye = true;
};

int32_t number(const std::string& p_str) {
    return static_cast<int32_t>(std::strtoll(p_str.c_str(), nullptr, 0));
}

iasim::Profile parseProfile(const std::string& p_strHeader, Flags& p_stFlags) {
    iasim::Profile stProfile = iasim::defaultProfile();
    stProfile.vecDynamic.clear();
    std::istringstream in(p_strHeader);
    std::string strLine;
    while (std::getline(in, strLine)) {
        std::istringstream words(strLine);
        std::string strFirst;
        if (!(words >> strFirst)) continue;
        if (strFirst == "cmds") {
            std::string strCount;
            if (words >> strCount) stProfile.optReportedCmdCnt = number(strCount);
            continue;
        }
        if (strFirst == "flags") {
            std::string a, b, c, d;
            words >> a >> b >> c >> d;
            p_stFlags.bWdr = number(a) != 0;
            p_stFlags.bLdc = number(b) != 0;
            p_stFlags.bBeaway = number(c) != 0;
            p_stFlags.bFisheye = number(d) != 0;
            continue;
        }
        iasim::DynamicParam stParam = iasim::listParam(number(strFirst), 0, {});
        std::string strWord;
        if (words >> strWord) stParam.nDefVal = number(strWord);
        while (words >> strWord) {
            if (strWord.compare(0, 6, "count=") == 0) {
                stParam.optReportedItemsCnt = number(strWord.substr(6));
            } else if (strWord.compare(0, 5, "type=") == 0) {
                stParam.nAttrType = number(strWord.substr(5));
            } else {
                std::istringstream items(strWord);
                std::string strItem;
                while (std::getline(items, strItem, ',')) {
                    if (stParam.vecItems.size() < 200) stParam.vecItems.push_back(number(strItem));
                }
            }
        }
        if (!stParam.vecItems.empty()) {
            stParam.nMinVal = stParam.vecItems.front();
            stParam.nMaxVal = stParam.vecItems.back();
        }
        if (stProfile.vecDynamic.size() < 40) stProfile.vecDynamic.push_back(stParam);
    }
    return stProfile;
}

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
    const std::string strInput(reinterpret_cast<const char*>(p_pData), p_nSize);
    const size_t nMark = strInput.find("%%\n");
    Flags stFlags;
    iasim::reset();
    iasim::setLogging(false);
    if (nMark != std::string::npos) iasim::setProfile(parseProfile(strInput.substr(0, nMark), stFlags));
    std::string strStyleText = nMark != std::string::npos ? strInput.substr(nMark + 3) : strInput;
    strStyleText = strStyleText.c_str();  // the style is a C string
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
