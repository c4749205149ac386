// Whole-file reads and writes: style texts, scheme files of raw KeyVal records, and the version file.
// Every write replaces its file whole (a temporary file in the same folder, flushed, synced and renamed over
// the target), so that a power cut leaves the old content or the new, never a torn file.
#ifndef IMAGETUNE_SENSORFILE_H
#define IMAGETUNE_SENSORFILE_H

#include "ImagetuneApi.h"

#include "SensorKeyVal.h"

#define SNS_VERSION_FILE "/mnt/mtd/code/config_file/snsversion.cfg"

// The file's length; 0 (with a report) when it cannot be opened.
IMAGETUNE_API INT64 getFileLen(const char* file_name);
// len when the first len bytes were read, else -1; quiet on a missing or shorter file.
IMAGETUNE_API int loadFromFile(const char* file_name, char* buf, INT64 len);
// file_len when the file now holds the data; the count of a short write; -1 for any other failure.
IMAGETUNE_API int saveToFile(char* file_name, char* data, INT64 file_len);
// SNS_SUCCESS when the whole array was read; else -1, with the whole records read in place, the rest unchanged.
IMAGETUNE_API int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
// SNS_SUCCESS when the file holds exactly the array; else -1 and the file is as before.
IMAGETUNE_API int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
// 0 and the stored version when the file gave its 4 bytes; else -1, *p_nVersion untouched.
IMAGETUNE_API int getVersion(u32* p_nVersion);
// 0 when the 4 bytes are stored, else -1 and the old version file stays.
IMAGETUNE_API int setVersion(u32 nVersion);

// The style operations on the same files.
#include "SensorStyle.h"

#endif
