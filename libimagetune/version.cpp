#include "ImagetuneVersion.h"

// The text also names the library for `strings` on a camera image.
static const char s_szVersionText[] = "libimagetune " IMAGETUNE_VERSION_STRING;

const char* imagetuneVersion(int* p_pnMajor, int* p_pnMinor, int* p_pnPatch) {
    if (p_pnMajor != nullptr) *p_pnMajor = IMAGETUNE_VERSION_MAJOR;
    if (p_pnMinor != nullptr) *p_pnMinor = IMAGETUNE_VERSION_MINOR;
    if (p_pnPatch != nullptr) *p_pnPatch = IMAGETUNE_VERSION_PATCH;
    return s_szVersionText + sizeof("libimagetune ") - 1;
}
