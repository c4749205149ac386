#include "StringHandler.h"

void StringHandler::split(const std::string& p_strText, std::vector<std::string>& p_vecPieces,
                          const std::string& p_strSeparator) {
    p_vecPieces.clear();
    if (p_strText.empty()) return;
    if (p_strSeparator.empty()) {
        p_vecPieces.push_back(p_strText);
        return;
    }
    size_t nStart = 0;
    for (;;) {
        size_t nSep = p_strText.find(p_strSeparator, nStart);
        if (nSep == std::string::npos) {
            p_vecPieces.push_back(p_strText.substr(nStart));
            return;
        }
        p_vecPieces.push_back(p_strText.substr(nStart, nSep - nStart));
        nStart = nSep + p_strSeparator.size();
    }
}
