// Which device types the configuration accepts, and which style documents each one takes.
#ifndef IMAGETUNE_STYLE_DEVICESTYLEFILES_H
#define IMAGETUNE_STYLE_DEVICESTYLEFILES_H

// True when the device type is one the configuration knows.
bool isAcceptedDeviceType(int p_nDeviceType);
// True for the machines whose video module reports a fisheye rotation.
bool isFisheyeDeviceType(int p_nDeviceType);

struct StyleFilePair {
    const char* szStyle;           // the device family's style document
    const char* szStyleDiversity;  // its per-model edits
};

// The style documents of channel p_nChannelID (1-based) on a device of that type.
StyleFilePair styleFilesFor(int p_nChannelID, int p_nDeviceType);

#endif
