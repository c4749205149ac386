// initSysConf for the controller, which must know whether the channel's style, and with it the layout of its
// schemes, was built from whole inputs: a layout built without them must not replace the saved schemes.
#ifndef IMAGETUNE_STYLE_SYSCONFIGINPUTS_H
#define IMAGETUNE_STYLE_SYSCONFIGINPUTS_H

#include <string>

#include "ModuleConfigure.h"
#include "sensor.h"

// initSysConf; *p_pbInputsWhole tells whether the machine information was read with an accepted device type,
// both style documents were read whole, and the style document parsed. False after any failure that initSysConf
// reports on the way, and for a null record.
int initSysConfInputs(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf,
                      bool* p_pbInputsWhole);

enum SysConfUIFileKind { SYSCONF_UI_COMMON_FILE, SYSCONF_UI_LANGUAGE_FILE };
// The common-file or language-file path of the UI-file entry with that id, else of the first entry; an
// empty string while the table is empty or the entry has no path.
std::string sysConfUIFile(const SysConfig* p_stSysConf, int nId, SysConfUIFileKind p_eKind);

#endif
