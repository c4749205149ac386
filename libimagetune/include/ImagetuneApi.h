// The mark of what libimagetune.so exports. The library is built with hidden visibility, so that its own
// helpers cannot clash with an application's names; only what carries this mark is in its export table.
#ifndef IMAGETUNE_IMAGETUNEAPI_H
#define IMAGETUNE_IMAGETUNEAPI_H

#if defined(__GNUC__)
#define IMAGETUNE_API __attribute__((visibility("default")))
// The private members of an exported class: no caller can reach them, so they stay out of the table too.
#define IMAGETUNE_LOCAL __attribute__((visibility("hidden")))
#else
#define IMAGETUNE_API
#define IMAGETUNE_LOCAL
#endif

#endif
