// The library's basic types, and the text form of key/value lists: "(34,50)(2337,128)".
#ifndef IMAGETUNE_SENSORKEYVAL_H
#define IMAGETUNE_SENSORKEYVAL_H

#include "ImagetuneApi.h"

#include <stdint.h>

#include <string>

typedef uint32_t u32;
typedef int64_t INT64;

#define SNS_SUCCESS 0

// One parameter: 8 bytes, native byte order. Arrays of KeyVal are what schemes store, carry and apply.
struct KeyVal {
    u32 key;
    u32 value;
};
static_assert(sizeof(KeyVal) == 8, "KeyVal is two 32-bit words");

// Asks the IA library (channel already 0-based) to correct in place the values of the keys that have dynamic
// parameters. SNS_SUCCESS, or -1 for a null array. A command count above the list's 16 entries is cut to 16.
IMAGETUNE_API int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValSum);
// Appends "(key,value)" for each of the p_nKeyValNum records to p_strKeyVal (not cleared first).
IMAGETUNE_API void keyval_st2str(std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
// Parses pair text into at most p_nCapacity records; *p_pnKeyValNum is the number written. Never writes past
// p_nCapacity records, whatever the text holds; linear in the text's length. Numbers are read as sscanf's "%d"
// reads them; one beyond 32 bits is saturated to the signed 64-bit range and its low 32 bits are kept, on every
// target ("4294967295" is -1, "99999999999999999999" is -1, "-99999999999999999999" is 0).
IMAGETUNE_API void keyval_str2st(const std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity);

#endif
