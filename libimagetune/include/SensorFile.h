/**
 * @file SensorFile.h
 * @brief Whole-file reads and writes: style texts, scheme files of raw KeyVal records, and the version file.
 *
 * Every write replaces its file whole (a temporary file in the same folder, flushed, synced and renamed over
 * the target, then the folder synced), so that a power cut leaves the old content or the new, never a torn
 * file; a symbolic link at the file's own name is replaced by a regular file. Paths are device paths: with
 * IMAGETUNE_ROOT set, they are taken below it.
 */
#ifndef IMAGETUNE_SENSORFILE_H
#define IMAGETUNE_SENSORFILE_H

#include "ImagetuneApi.h"
#include "SensorKeyVal.h"

/// The configuration format version file: 4 bytes, a native unsigned 32-bit integer.
#define SNS_VERSION_FILE "/mnt/mtd/code/config_file/snsversion.cfg"

/**
 * @brief The length of a file.
 * @param file_name the file.
 * @return its length in bytes; 0 (with a report) when it cannot be opened.
 * @free_fn
 */
IMAGETUNE_API INT64 getFileLen(const char* file_name);
/**
 * @brief Reads the first len bytes of a file.
 * @param file_name the file.
 * @param buf receives them; it holds len bytes.
 * @param len how many.
 * @return len when they were read; -1 otherwise, quietly for a missing or shorter file.
 * @free_fn
 */
IMAGETUNE_API int loadFromFile(const char* file_name, char* buf, INT64 len);
/**
 * @brief Replaces a file whole with file_len bytes.
 * @param file_name the file.
 * @param data the bytes.
 * @param file_len how many.
 * @return file_len when the file now holds the data; the count of a short write; -1 for any other failure
 * (the old file stays).
 * @free_fn
 */
IMAGETUNE_API int saveToFile(char* file_name, char* data, INT64 file_len);
/**
 * @brief Reads a scheme file's records into an array, in file order.
 * @param file_name the file.
 * @param p_pKeyVal receives the records.
 * @param p_nKeyValNum the array's length.
 * @return SNS_SUCCESS when the whole array was read; -1 otherwise, with the whole records read in place and
 * the rest unchanged.
 * @free_fn
 */
IMAGETUNE_API int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
/**
 * @brief Replaces a scheme file whole with an array of records.
 * @param file_name the file.
 * @param p_pKeyVal the records.
 * @param p_nKeyValSum how many.
 * @return SNS_SUCCESS when the file holds exactly the array; -1 otherwise, and the file is as before.
 * @free_fn
 */
IMAGETUNE_API int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
/**
 * @brief Reads the stored configuration version (SNS_VERSION_FILE).
 * @param p_nVersion receives it.
 * @return 0 when the file gave its 4 bytes; -1 otherwise, *p_nVersion untouched.
 * @free_fn
 */
IMAGETUNE_API int getVersion(u32* p_nVersion);
/**
 * @brief Replaces the version file whole.
 * @param nVersion the version.
 * @return 0 when the 4 bytes are stored; -1 otherwise, and the old version file stays.
 * @free_fn
 */
IMAGETUNE_API int setVersion(u32 nVersion);

// The style operations on the same files.
#include "SensorStyle.h"

#endif
