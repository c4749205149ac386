// The version file as a save checks it: a quiet read, since a save makes no statement of its own about it.
#ifndef IMAGETUNE_STORE_VERSIONFILE_H
#define IMAGETUNE_STORE_VERSIONFILE_H

#include "SensorKeyVal.h"

// Whether the version file holds exactly p_nVersion (its first 4 bytes, as getVersion reads them).
bool storedVersionIs(u32 p_nVersion);

#endif
