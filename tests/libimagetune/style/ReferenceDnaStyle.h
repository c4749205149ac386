// The dynamic-parameter style and factory data as the library first built them: one pre-order walk of the
// document per command, per style-value marker and per removal key. Kept as the reference that the indexed
// build must match byte for byte; the diagnostics are left out.
#ifndef IMAGETUNE_TESTS_STYLE_REFERENCEDNASTYLE_H
#define IMAGETUNE_TESTS_STYLE_REFERENCEDNASTYLE_H

#include <string>
#include <vector>

#include "SensorKeyVal.h"

namespace refstyle {

// The dynamic style text of channel p_nChannel built from szStyle with the IA library's current dynamic
// parameters and the process-wide display flags, as getDnaStyle builds it.
std::string dnaStyle(int p_nChannel, const char* szStyle, bool p_bShowWDR, bool p_bShowLDC);
// The factory pairs that getFctData collects into an array of p_nCapacity records.
std::vector<KeyVal> factoryData(int p_nChannel, const char* szStyle, bool p_bShowWDR, bool p_bShowLDC, u32 p_nCapacity);

}  // namespace refstyle

#endif
