// The edits of the dynamic-parameter style, made through an index of the document: shared by the whole
// build (one index for every command) and by the exported one-command operations.
#ifndef IMAGETUNE_STYLE_DNAEDIT_H
#define IMAGETUNE_STYLE_DNAEDIT_H

#include "StyleIndex.h"
#include "ia_ctrl.h"

// Every matching element of cmd: "value" becomes def_val and the choices whose "index" the record does not
// list are deleted. -1 when a choice lacks "index": the walk ends there, earlier edits stay.
int dnaApplyRange(StyleIndex& p_objIndex, int cmd, const ia_dynamic_params_attr_st& p_stAttr);
// The record's item list taken from the choices of the matching elements of cmd (the last one decides).
void dnaCustomizeList(const StyleIndex& p_objIndex, int cmd, ia_dynamic_params_attr_st& p_stAttr);

#endif
