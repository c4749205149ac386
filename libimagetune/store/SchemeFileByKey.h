// Reading a scheme file by key into a channel's layout, so that a file is never trusted for its keys: a file of
// the layout reads exactly as its records lie, a file of an older layout gives every value it shares with the
// layout, and random bytes, zeros or a file of another family give nothing foreign.
//
// The layout is the array the caller passes, holding the layout's keys in order and the values a key keeps
// when the file lacks it (the factory values). The keys of the array never change. A record of the file gives
// its value to the first slot of its key not yet given one, so a key the layout holds twice takes the file's
// values in the same order. A record whose key the layout lacks, or holds fewer times, is dropped.
#ifndef IMAGETUNE_STORE_SCHEMEFILEBYKEY_H
#define IMAGETUNE_STORE_SCHEMEFILEBYKEY_H

#include <string>

#include "SensorKeyVal.h"

// Scheme files larger than this are not read: a scheme of every key a style may hold is some 1.4 KB.
#define SNS_SCHEME_FILE_MAX (64 * 1024)

struct SchemeFileRead {
    int nStatus;       // SNS_SUCCESS when the file gave values; -1 when it counts as unreadable
    u32 nRecords;      // whole records in the file
    u32 nTaken;        // records that gave their value to a slot of the layout
    u32 nDropped;      // records dropped
    bool bSameLayout;  // the file holds exactly the layout's keys in the layout's order
};

// Applies the records of a scheme file's bytes to the layout. A text that is not a whole number of records, or
// that gives no slot a value, counts as unreadable and leaves the array as it was. Reports nothing.
SchemeFileRead keyValFromBytesByKey(const std::string& p_strBytes, KeyVal* p_pKeyVal, u32 p_nKeyValNum);

// The same for the scheme file at a device path, read without blocking or following a link, reporting what
// makes it unreadable and the records it dropped. On -1 the array is as it was (the caller's factory values).
SchemeFileRead keyValFromFileByKey(const char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);

enum SchemeFileLayout {
    SCHEME_FILE_ABSENT,        // nothing at the path
    SCHEME_FILE_SAME_LAYOUT,   // a scheme file of exactly these keys in this order
    SCHEME_FILE_OTHER_LAYOUT,  // anything else: another layout, bytes that are no scheme, a folder, a FIFO, a link
};
// What the path holds, compared with the layout's keys. Reports nothing.
SchemeFileLayout schemeFileLayout(const char* file_name, const KeyVal* p_pKeyVal, u32 p_nKeyValNum);

#endif
