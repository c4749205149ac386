// Whole-file reads and writes: style texts, scheme files of raw KeyVal records, and the version file.
// Every write replaces its file whole (a temporary file in the same folder, flushed, synced and renamed over
// the target), so that a power cut leaves the old content or the new, never a torn file.
#ifndef IMAGETUNE_SENSORFILE_H
#define IMAGETUNE_SENSORFILE_H

#include "SensorKeyVal.h"

#define SNS_VERSION_FILE "/mnt/mtd/code/config_file/snsversion.cfg"

INT64 getFileLen(const char* file_name);
int loadFromFile(const char* file_name, char* buf, INT64 len);
int saveToFile(char* file_name, char* data, INT64 file_len);
int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
int getVersion(u32* p_nVersion);
int setVersion(u32 nVersion);

// The style operations on the same files.
#include "SensorStyle.h"

#endif
