// mergeStyle for initSysConf, which must know whether the style-diversity document took part in the merge: a
// style merged without it is of another layout than the one the saved schemes were written in.
#ifndef IMAGETUNE_STYLE_STYLEMERGEINPUTS_H
#define IMAGETUNE_STYLE_STYLEMERGEINPUTS_H

#include "sensor.h"

// mergeStyle; *p_pbDiversityApplied tells whether the style-diversity text parsed with a root element, so that
// its edits were applied. False after any failure that mergeStyle reports on the way. Of the same name, since
// its reports name the function they come from.
int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity,
               bool* p_pbDiversityApplied);

#endif
