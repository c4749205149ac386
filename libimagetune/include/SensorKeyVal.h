/**
 * @file SensorKeyVal.h
 * @brief The library's basic types, and the text form of key/value lists: "(34,50)(2337,128)".
 */
#ifndef IMAGETUNE_SENSORKEYVAL_H
#define IMAGETUNE_SENSORKEYVAL_H

#include <stdint.h>

#include <string>

#include "ImagetuneApi.h"

typedef uint32_t u32;   ///< the unsigned 32-bit integer of the library's signatures
typedef int64_t INT64;  ///< the signed 64-bit integer of the library's signatures

/// The success status of every operation that returns an int status.
#define SNS_SUCCESS 0

/// One parameter: 8 bytes, native byte order. Arrays of KeyVal are what schemes store, carry and apply.
struct KeyVal {
    u32 key;    ///< the parameter key
    u32 value;  ///< its value
};
static_assert(sizeof(KeyVal) == 8, "KeyVal is two 32-bit words");

/**
 * @brief Asks the IA library to correct in place the values of the keys that have dynamic parameters.
 * @param p_nChannel_id the IA channel (0-based).
 * @param p_pKeyval the records.
 * @param p_nKeyValSum how many.
 * @return SNS_SUCCESS; -1 for a null array. A command count above the list's 16 entries is cut to 16.
 * @free_fn
 */
IMAGETUNE_API int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValSum);
/**
 * @brief Appends "(key,value)" for each record to p_strKeyVal, which is not cleared first.
 * @param p_strKeyVal the text.
 * @param p_pKeyVal the records.
 * @param p_nKeyValNum how many.
 * @free_fn
 */
IMAGETUNE_API void keyval_st2str(std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
/**
 * @brief Parses pair text into at most p_nCapacity records.
 *
 * Never writes past p_nCapacity records, whatever the text holds; linear in the text's length. Numbers are read
 * as sscanf's "%d" reads them; one beyond 32 bits is saturated to the signed 64-bit range and its low 32 bits
 * are kept, on every target ("4294967295" is -1, "99999999999999999999" is -1, "-99999999999999999999" is 0).
 *
 * @param p_strKeyVal the text.
 * @param p_pKeyVal receives the records.
 * @param p_pnKeyValNum receives how many were written.
 * @param p_nCapacity the array's length.
 * @free_fn
 */
IMAGETUNE_API void keyval_str2st(const std::string& p_strKeyVal, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                                 u32 p_nCapacity);

#endif
