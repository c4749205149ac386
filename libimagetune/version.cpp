// The library's own version text, for `strings` on a camera image.
extern "C" const char imagetune_version[] = "libimagetune 1.0.0";
