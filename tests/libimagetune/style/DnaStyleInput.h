// The input of the dynamic-style fuzz target, shared with the tests that replay its seeds: an IA profile in
// lines, then a line "%%", then the merged style text.
//   cmds <n>                                 cmd_cnt as the IA library reports it (default: the real count)
//   flags <wdr> <ldc> <beaway> <fisheye>      the display flags (default 1 1 1 1)
//   <cmd> <def> <item>,<item>,... [count=<n>] [type=<t>]   one command with dynamic parameters
// Without a "%%" line the whole input is the style and the profile is the simulator's default one.
#ifndef IMAGETUNE_TESTS_STYLE_DNASTYLEINPUT_H
#define IMAGETUNE_TESTS_STYLE_DNASTYLEINPUT_H

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "IaSimControl.h"

namespace dnainput {

struct Flags {
    bool bWdr = true;
    bool bLdc = true;
    bool bBeaway = true;
    bool bFisheye = true;
};

struct Input {
    bool bOwnProfile = false;  // false: the simulator's default profile
    iasim::Profile stProfile;
    Flags stFlags;
    std::string strStyle;  // up to the first NUL: the style is a C string
};

inline int32_t number(const std::string& p_str) {
    return static_cast<int32_t>(std::strtoll(p_str.c_str(), nullptr, 0));
}

inline iasim::Profile parseProfile(const std::string& p_strHeader, Flags& p_stFlags) {
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

inline Input parse(const std::string& p_strInput) {
    Input stInput;
    const size_t nMark = p_strInput.find("%%\n");
    if (nMark != std::string::npos) {
        stInput.bOwnProfile = true;
        stInput.stProfile = parseProfile(p_strInput.substr(0, nMark), stInput.stFlags);
    }
    const std::string strStyle = nMark != std::string::npos ? p_strInput.substr(nMark + 3) : p_strInput;
    stInput.strStyle = strStyle.c_str();
    return stInput;
}

}  // namespace dnainput

#endif
