// Replacing a stored file whole: the data goes to a temporary file in the same folder, which is flushed, synced
// and renamed over the target, and the folder is synced. A power cut at any point leaves the old content or the
// new, never a torn file; a symbolic link at the target is replaced by the new file, its own target untouched.
// Paths are device paths (QxFile applies the device root).
#ifndef IMAGETUNE_STORE_FILEREPLACE_H
#define IMAGETUNE_STORE_FILEREPLACE_H

#include "SensorKeyVal.h"

struct FileReplaceResult {
    bool bOpened;    // the temporary file could be created
    INT64 nWritten;  // bytes the write took; 0 when nothing was opened
    bool bReplaced;  // the target now holds exactly the new content
};

// Reports only what goes wrong after a complete write (flush, sync, rename): the open and the short write are
// left to the caller, whose reports name its own statement. Whenever bReplaced is false the target is as before
// and no temporary file is left behind.
FileReplaceResult writeFileReplacing(const char* p_szPath, const char* p_pData, INT64 p_nLen);

// The same, reporting every failure itself. 0 when the file was replaced, else -1.
int replaceFileWhole(const char* p_szPath, const char* p_pData, INT64 p_nLen);

// Removes what a write cut short by a power loss left in p_szFolder: temporary files of another process (a
// previous boot). Temporaries of this process belong to writes in flight and stay. The number removed.
int removeLeftoverTemporaries(const char* p_szFolder);

#endif
