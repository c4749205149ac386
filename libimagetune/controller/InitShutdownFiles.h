// The scheme files of a channel as start-up and the factory reset see them: their names and their removal.
#ifndef IMAGETUNE_CONTROLLER_INITSHUTDOWNFILES_H
#define IMAGETUNE_CONTROLLER_INITSHUTDOWNFILES_H

#include <string>

// The folder of the scheme files and the version file.
#define SCHEME_FOLDER "/mnt/mtd/code/config_file"

// "/mnt/mtd/code/config_file/sensor<channel>_<scheme>.cfg", or "sensor-thermal<scheme>.cfg" on a thermal channel.
std::string schemeFileName(bool p_bThermal, int p_nCameraID, int p_nScheme);

// Removes the channel's stored schemes from every folder "/mnt/mtd/code/config*" under the device root: on a
// thermal channel every "sensor-thermal*.cfg", otherwise "sensor<channel>_0.cfg" to "sensor<channel>_3.cfg".
// A "config*" entry that is a link to a folder is a folder; nothing below it is descended into. A scheme file
// that is a link is unlinked, never followed; a folder, FIFO or device of that name stays. Returns the number
// of entries removed.
int removeStaleSchemeFiles(bool p_bThermal, int p_nCameraID);

#endif
