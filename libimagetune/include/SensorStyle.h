// Style operations: merging the style-diversity edits into a style document, reading detail fields, and the
// dynamic-parameter style and factory data.
#ifndef IMAGETUNE_SENSORSTYLE_H
#define IMAGETUNE_SENSORSTYLE_H

#include "ImagetuneApi.h"

#include <string>

#include "SensorKeyVal.h"
#include "ia_ctrl.h"
#include "sensor.h"

class TiXmlDocument;
class TiXmlElement;

// The value buffer of a detail field: at most SNS_DETAIL_VALUE_LEN - 1 characters of a value are kept.
#define SNS_DETAIL_VALUE_LEN 10

// The per-channel merged style, rewritten by every mergeStyle.
#define SNS_MERGE_STYLE_FILE "/tmp/merge_style_ch%d.xml"

// ---- Detail fields: "(name=value)" found by plain substring search for name.

// Copies at most SNS_DETAIL_VALUE_LEN - 1 characters of the value into value (which must hold
// SNS_DETAIL_VALUE_LEN bytes) and terminates it. 0 when found, -1 otherwise (value untouched).
IMAGETUNE_API int getDetailFieldToStr(const char* detail, const char* name, char* value);
// The same search; the value, read as atoi reads it, goes to *value. 0 when found, -1 otherwise (untouched).
IMAGETUNE_API int getDetailFieldTou32(const char* detail, const char* name, unsigned int* value);

// ---- Style merge.

// Applies the style-diversity edits whose conditions hold for the module's detail text to the style text in
// *ui_style, writes the result whole to SNS_MERGE_STYLE_FILE and replaces *ui_style (a malloc'd block, or
// null for an empty style) with a malloc'd block holding the same text (null, reported, when memory for it is
// exhausted: the style text is released once it is parsed). SNS_SUCCESS, or -1 when ui_style is null.
IMAGETUNE_API int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity);
// One edit: op "Modify" replaces the first tab whose "key" equals tab_key with a copy of new_tab, "AddAfter"
// inserts a copy after it, "Delete" removes it; anything else, or no such tab, changes nothing. Returns 0.
IMAGETUNE_API int updateStyleTab(TiXmlDocument* doc_style, const char* op, const char* tab_key, const TiXmlElement* new_tab);

// ---- Dynamic-parameter style and factory data.
//
// The element searches below walk elem, its following siblings and all their descendants in document order.
// An element matches when its "id" reads (as atoi) as the wanted number; a matching element is handled and
// its children are not searched.

// The dynamic-parameter style of channel p_channelID (1-based) built from the merged style text szStyle and
// the IA library's current dynamic parameters, as XML text in strStyle. SNS_SUCCESS whenever the process
// goes on.
IMAGETUNE_API int getDnaStyle(int p_channelID, const char* szStyle, std::string& strStyle, bool p_bShowWDRFalg, bool p_bShowLDCFlag);
// Builds the same style and collects the (id, value) pairs of its elements, in document order, into
// p_pKeyVal, which holds p_nKeyValCapacity records; *p_pnKeyValNum receives their number. A style with more
// pairs is cut at the capacity and reported. SNS_SUCCESS whenever the process goes on; -1 for null arrays.
IMAGETUNE_API int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, bool p_bShowWDRFalg,
               bool p_bShowLDCFlag, u32 p_nKeyValCapacity);
// Applies one command's range record to the matching elements: "value" becomes def_val and the choices whose
// "index" is not among the record's items are deleted. 0, or -1 when a choice lacks "index".
IMAGETUNE_API int doDnaStyle(TiXmlElement* elem, int cmd, const ia_dynamic_params_attr_st* attr);
// Replaces the record's item list by the "index" values of the matching element's choices (at most
// IA_DYNAMIC_ITEMS_MAX), with min_val and max_val the first and last of them. Returns 0.
IMAGETUNE_API int doCustomizeStyle(TiXmlElement* elem, int cmd, ia_dynamic_params_attr_st* attr);
// The "value" of the last element with that id; value is untouched when none matches or it has no "value".
IMAGETUNE_API int getDnaValbyCmdId(TiXmlElement* elem, int id, int& value);
// The last element with that id; node is untouched when none matches. Returns 0.
IMAGETUNE_API int getNodebyCmdId(TiXmlElement* elem, int id, TiXmlElement*& node);
// Removes node from its parent element and deletes it; a root element (parent is the document) stays.
// -1 when either argument is null, else 0.
IMAGETUNE_API int DeleteNode(TiXmlElement* root, TiXmlElement* node);
// Sets "enable_list" of the element with id 112 to "128" and of the one with id 128 to "112". Returns 0.
IMAGETUNE_API int ModifyNodebyCmdId(TiXmlElement* elem, int id);
// Appends the (id, value) pairs of every element that has both, counting on from *p_pnKeyValNum, and never
// writes at or past p_nKeyValCapacity. 0, or -1 when pairs were left out for want of room.
IMAGETUNE_API int style2KeyVal(TiXmlElement* elem, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nKeyValCapacity);

#endif
