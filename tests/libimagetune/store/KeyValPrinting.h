// Comparing and printing KeyVal records in test expectations.
#ifndef IMAGETUNE_TESTS_STORE_KEYVALPRINTING_H
#define IMAGETUNE_TESTS_STORE_KEYVALPRINTING_H

#include <ostream>

#include "SensorKeyVal.h"

inline bool operator==(const KeyVal& a, const KeyVal& b) {
    return a.key == b.key && a.value == b.value;
}
inline bool operator!=(const KeyVal& a, const KeyVal& b) {
    return !(a == b);
}
inline std::ostream& operator<<(std::ostream& os, const KeyVal& kv) {
    return os << "{" << kv.key << "," << kv.value << "}";
}

#endif
