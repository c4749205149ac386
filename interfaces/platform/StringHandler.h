// Small text helpers of the platform.
#ifndef IMAGETUNE_PLATFORM_STRINGHANDLER_H
#define IMAGETUNE_PLATFORM_STRINGHANDLER_H

#include <sstream>
#include <string>
#include <vector>

class StringHandler {
public:
    // Fills p_vecPieces (emptied first) with the pieces between separators, in order; an empty text gives no pieces.
    // Empty pieces are kept, so positions stay meaningful: "a,,b" gives "a", "", "b"; ",a," gives "", "a", "". The
    // separator may be longer than one character; an empty separator gives the whole text as one piece.
    static void split(const std::string& p_strText, std::vector<std::string>& p_vecPieces,
                      const std::string& p_strSeparator);

    // Reads a value with a string stream's extraction; false when nothing could be read.
    template <typename T>
    static bool str2type(const std::string& p_strText, T& p_value) {
        std::istringstream in(p_strText);
        in >> p_value;
        return !in.fail();
    }
};

#endif
