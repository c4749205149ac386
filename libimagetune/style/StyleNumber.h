// Decimal attribute and field values, read as atoi reads them but without its overflow.
#ifndef IMAGETUNE_STYLE_STYLENUMBER_H
#define IMAGETUNE_STYLE_STYLENUMBER_H

#include <climits>
#include <cstdlib>

// Leading blanks, a sign and digits; 0 when there are none. Out-of-range values stop at INT_MIN / INT_MAX.
inline int styleAtoi(const char* p_szText) {
    if (p_szText == nullptr) return 0;
    long nValue = std::strtol(p_szText, nullptr, 10);
    if (nValue > INT_MAX) return INT_MAX;
    if (nValue < INT_MIN) return INT_MIN;
    return static_cast<int>(nValue);
}

#endif
