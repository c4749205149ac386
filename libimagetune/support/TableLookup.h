// Membership in the constant key and type tables that the library keeps as data.
#ifndef IMAGETUNE_SUPPORT_TABLELOOKUP_H
#define IMAGETUNE_SUPPORT_TABLELOOKUP_H

#include <algorithm>
#include <cstddef>
#include <iterator>

template <typename T, size_t N, typename V>
bool tableContains(const T (&p_arTable)[N], V p_value) {
    return std::find(std::begin(p_arTable), std::end(p_arTable), static_cast<T>(p_value)) != std::end(p_arTable);
}

#endif
