// Replacing a stored file whole: the data goes to a temporary file in the same folder, which is flushed, synced
// and renamed over the target, and the folder is synced. A power cut at any point leaves the old content or the
// new, never a torn file; a symbolic link at the target is replaced by the new file, its own target untouched.
// Paths are device paths. The file itself is written through QxFile; what the platform contract does not offer
// (fsync, rename, unlink, the folder sync) is done here over POSIX on the device-root path.
#ifndef IMAGETUNE_STORE_FILEREPLACE_H
#define IMAGETUNE_STORE_FILEREPLACE_H

#include "SensorKeyVal.h"

struct FileReplaceResult {
    bool bOpened;    // the temporary file could be created
    INT64 nWritten;  // bytes the write took; 0 when nothing was opened
    bool bReplaced;  // the target holds exactly the new content, and a power cut can no longer undo it
};

// Reports only what goes wrong after a complete write (flush, sync, rename, folder sync): the open and the short
// write are left to the caller, whose reports name its own statement. No temporary file is left behind. When
// bReplaced is false the target is as before, except after a failed folder sync: the new content is then in
// place, but a power cut may still bring back the old.
FileReplaceResult writeFileReplacing(const char* p_szPath, const char* p_pData, INT64 p_nLen);

// The same, reporting every failure itself. 0 when the file was replaced, else -1.
int replaceFileWhole(const char* p_szPath, const char* p_pData, INT64 p_nLen);

// Removes the directory entry at a device path without following a symbolic link there. 0 on success, else -1
// with errno set.
int removeDeviceEntry(const char* p_szPath);

// Removes what a replace cut short by a power loss left in p_szFolder: temporary files of the files this library
// stores there ("sensor<c>_<s>.cfg", "sensor-thermal<s>.cfg", "snsversion.cfg"), recognised by the exact name
// the replace gives them ("<name>.tmp.<process>.<count>"), and only once their writer is gone: the process
// they name does not run, or is this one and the replace is no longer in flight, or the file is older than
// this boot. Other programs' files, whatever their names, stay. The number removed.
int removeLeftoverTemporaries(const char* p_szFolder);

#endif
