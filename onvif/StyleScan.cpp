#include "StyleScan.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace onvifstyle {

namespace {

typedef std::map<std::string, std::string> Attributes;

bool readNumber(const std::string& p_strText, long& p_nValue) {
    if (p_strText.empty()) return false;
    char* pEnd = nullptr;
    errno = 0;
    long n = strtol(p_strText.c_str(), &pEnd, 10);
    if (errno != 0 || *pEnd != '\0') return false;
    p_nValue = n;
    return true;
}

std::string decoded(const std::string& p_strRaw) {
    static const struct {
        const char* szEntity;
        char c;
    } ENTITIES[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string strOut;
    for (size_t i = 0; i < p_strRaw.size(); ++i) {
        bool bEntity = false;
        for (const auto& e : ENTITIES) {
            size_t nLen = strlen(e.szEntity);
            if (p_strRaw.compare(i, nLen, e.szEntity) == 0) {
                strOut += e.c;
                i += nLen - 1;
                bEntity = true;
                break;
            }
        }
        if (!bEntity) strOut += p_strRaw[i];
    }
    return strOut;
}

// One tag from p (just past '<'): its name, attributes and whether it closes itself. Returns the position past
// '>', or npos when the tag is not whole.
size_t readTag(const std::string& p_strText, size_t p, std::string& p_strName, Attributes& p_mapAttrs, bool& p_bEmpty) {
    const size_t nSize = p_strText.size();
    size_t nStart = p;
    while (p < nSize && !isspace(static_cast<unsigned char>(p_strText[p])) && p_strText[p] != '>' &&
           p_strText[p] != '/')
        ++p;
    p_strName = p_strText.substr(nStart, p - nStart);
    p_mapAttrs.clear();
    p_bEmpty = false;
    while (p < nSize) {
        char c = p_strText[p];
        if (isspace(static_cast<unsigned char>(c))) {
            ++p;
        } else if (c == '>') {
            return p + 1;
        } else if (c == '/') {
            if (p + 1 >= nSize || p_strText[p + 1] != '>') return std::string::npos;
            p_bEmpty = true;
            return p + 2;
        } else {
            size_t nName = p;
            while (p < nSize && p_strText[p] != '=' && p_strText[p] != '>' &&
                   !isspace(static_cast<unsigned char>(p_strText[p])))
                ++p;
            std::string strAttr = p_strText.substr(nName, p - nName);
            while (p < nSize && isspace(static_cast<unsigned char>(p_strText[p]))) ++p;
            if (p >= nSize || p_strText[p] != '=') return std::string::npos;
            ++p;
            while (p < nSize && isspace(static_cast<unsigned char>(p_strText[p]))) ++p;
            if (p >= nSize || (p_strText[p] != '"' && p_strText[p] != '\'')) return std::string::npos;
            size_t nClose = p_strText.find(p_strText[p], p + 1);
            if (nClose == std::string::npos) return std::string::npos;
            p_mapAttrs[strAttr] = decoded(p_strText.substr(p + 1, nClose - p - 1));
            p = nClose + 1;
        }
    }
    return std::string::npos;
}

}  // namespace

std::map<int, Control> scan(const std::string& p_strStyle) {
    std::map<int, Control> mapControls;
    int nDepth = 0;
    int nControlDepth = -1;  // the depth of the open control, -1 when none is open
    Control* pOpen = nullptr;
    size_t p = 0;
    while ((p = p_strStyle.find('<', p)) != std::string::npos) {
        if (p_strStyle.compare(p, 4, "<!--") == 0) {
            p = p_strStyle.find("-->", p + 4);
            if (p == std::string::npos) break;
            p += 3;
            continue;
        }
        if (p_strStyle.compare(p, 2, "<?") == 0 || p_strStyle.compare(p, 2, "<!") == 0) {
            p = p_strStyle.find('>', p);
            if (p == std::string::npos) break;
            ++p;
            continue;
        }
        if (p_strStyle.compare(p, 2, "</") == 0) {
            if (--nDepth < nControlDepth || nDepth == nControlDepth) {
                pOpen = nullptr;
                nControlDepth = -1;
            }
            p = p_strStyle.find('>', p);
            if (p == std::string::npos) break;
            ++p;
            continue;
        }
        std::string strName;
        Attributes mapAttrs;
        bool bEmpty = false;
        p = readTag(p_strStyle, p + 1, strName, mapAttrs, bEmpty);
        if (p == std::string::npos) break;
        long nId = 0;
        auto itId = mapAttrs.find("id");
        if (pOpen == nullptr && itId != mapAttrs.end() && readNumber(itId->second, nId) && nId >= 0 &&
            nId <= 0x7fffffff) {
            Control stControl;
            stControl.strType = mapAttrs["type"];
            long nMin = 0, nMax = 0;
            stControl.bHasRange = readNumber(mapAttrs["min"], nMin) && readNumber(mapAttrs["max"], nMax);
            stControl.nMin = nMin;
            stControl.nMax = nMax;
            Control& stStored = mapControls[static_cast<int>(nId)] = stControl;
            if (!bEmpty) {
                pOpen = &stStored;
                nControlDepth = nDepth;
            }
        } else if (pOpen != nullptr) {
            long nIndex = 0;
            auto itIndex = mapAttrs.find("index");
            if (itIndex != mapAttrs.end() && readNumber(itIndex->second, nIndex)) {
                pOpen->vecChoices.emplace_back(nIndex, mapAttrs["name"]);
            }
        }
        if (!bEmpty) ++nDepth;
    }
    return mapControls;
}

}  // namespace onvifstyle
