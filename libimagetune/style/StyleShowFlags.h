// The dynamic-parameter style and the factory data built with display flags given by the caller rather than
// read from the process-wide flags: the layout of a channel's scheme files must not follow what another
// channel, or this channel's previous run, showed.
#ifndef IMAGETUNE_STYLE_STYLESHOWFLAGS_H
#define IMAGETUNE_STYLE_STYLESHOWFLAGS_H

#include <string>

#include "SensorKeyVal.h"

// Which feature elements the dynamic-parameter style keeps.
struct StyleShowFlags {
    bool bShowWDR;            // KEY_WDR_MODE, KEY_WDR_STRG
    bool bShowLDC;            // KEY_LDC_SWITCH, KEY_LDC_STRG
    bool bShowBeaway;         // true drops KEY_EMPTY2
    bool bShowFisheyeRotate;  // KEY_FISHEYE_ROTATE
};

// Every flag shown, as on a first start after power-on: the layout of the factory data and the scheme files.
const StyleShowFlags STYLE_SHOW_ALL = {true, true, true, true};

// getDnaStyle and getFctData with all four flags given.
int getDnaStyle(int p_channelID, const char* szStyle, std::string& strStyle, const StyleShowFlags& p_stFlags);
int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, const StyleShowFlags& p_stFlags,
               u32 p_nKeyValCapacity);

#endif
