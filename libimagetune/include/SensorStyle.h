/**
 * @file SensorStyle.h
 * @brief Style operations: merging the style-diversity edits into a style document, reading detail fields,
 * and the dynamic-parameter style and factory data.
 *
 * The element searches below walk an element, its following siblings and all their descendants in document
 * order. An element matches when its "id" reads (as atoi) as the wanted number; a matching element is handled
 * and its children are not searched.
 */
#ifndef IMAGETUNE_SENSORSTYLE_H
#define IMAGETUNE_SENSORSTYLE_H

#include <string>

#include "ImagetuneApi.h"
#include "SensorKeyVal.h"
#include "ia_ctrl.h"
#include "sensor.h"

class TiXmlDocument;
class TiXmlElement;

/// The value buffer of a detail field: at most SNS_DETAIL_VALUE_LEN - 1 characters of a value are kept.
#define SNS_DETAIL_VALUE_LEN 10

/// The per-channel merged style, rewritten by every mergeStyle.
#define SNS_MERGE_STYLE_FILE "/tmp/merge_style_ch%d.xml"

/**
 * @brief Finds the detail field "(name=value)" by plain substring search for name and copies its value.
 * @param detail the detail text.
 * @param name the field's name.
 * @param value receives at most SNS_DETAIL_VALUE_LEN - 1 characters, terminated; it holds
 * SNS_DETAIL_VALUE_LEN bytes.
 * @return 0 when found; -1 otherwise (value untouched).
 * @free_fn
 */
IMAGETUNE_API int getDetailFieldToStr(const char* detail, const char* name, char* value);
/**
 * @brief The same search; the value is read as atoi reads it.
 * @param detail the detail text.
 * @param name the field's name.
 * @param value receives the number.
 * @return 0 when found; -1 otherwise (value untouched).
 * @free_fn
 */
IMAGETUNE_API int getDetailFieldTou32(const char* detail, const char* name, unsigned int* value);

/**
 * @brief Applies the style-diversity edits whose conditions hold for the module's detail text to the style
 * text in *ui_style, writes the result whole to SNS_MERGE_STYLE_FILE and replaces *ui_style with a malloc'd
 * block holding the same text.
 * @param p_nChannelID the channel (1-based), for the merged file's name.
 * @param p_pModuleConfig the module, whose detail text decides the edits.
 * @param ui_style a malloc'd style text, or null for an empty style; receives the merged text (null, reported,
 * when memory for it is exhausted: the style text is released once it is parsed).
 * @param ui_styleDiversity the style-diversity text.
 * @return SNS_SUCCESS; -1 when ui_style is null.
 * @free_fn
 */
IMAGETUNE_API int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity);
/**
 * @brief Applies one edit to a style document.
 *
 * op "Modify" replaces the first tab whose "key" equals tab_key with a copy of new_tab, "AddAfter" inserts a
 * copy after it, "Delete" removes it; anything else, or no such tab, changes nothing.
 *
 * @param doc_style the document.
 * @param op the edit.
 * @param tab_key the tab's key.
 * @param new_tab the new tab, for Modify and AddAfter.
 * @return 0.
 * @free_fn
 */
IMAGETUNE_API int updateStyleTab(TiXmlDocument* doc_style, const char* op, const char* tab_key, const TiXmlElement* new_tab);

/**
 * @brief The dynamic-parameter style of a channel, built from the merged style text and the IA library's
 * current dynamic parameters. Prints the IA library's command list ("dnaCmdList...") on standard output,
 * whatever the debug level.
 * @param p_channelID the channel (1-based).
 * @param szStyle the merged style text.
 * @param strStyle receives the XML text.
 * @param p_bShowWDRFalg show the WDR controls.
 * @param p_bShowLDCFlag show the lens distortion controls.
 * @return SNS_SUCCESS whenever the process goes on.
 * @free_fn
 */
IMAGETUNE_API int getDnaStyle(int p_channelID, const char* szStyle, std::string& strStyle, bool p_bShowWDRFalg,
                              bool p_bShowLDCFlag);
/**
 * @brief Builds the same style and collects the (id, value) pairs of its elements, in document order.
 * @param p_channelID the channel (1-based).
 * @param p_szStyle the merged style text.
 * @param p_pKeyVal receives the pairs.
 * @param p_pnKeyValNum receives how many; a style with more than p_nKeyValCapacity is cut there and reported.
 * @param p_bShowWDRFalg show the WDR controls.
 * @param p_bShowLDCFlag show the lens distortion controls.
 * @param p_nKeyValCapacity the array's length.
 * @return SNS_SUCCESS whenever the process goes on; -1 for null arrays.
 * @free_fn
 */
IMAGETUNE_API int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                             bool p_bShowWDRFalg, bool p_bShowLDCFlag, u32 p_nKeyValCapacity);
/**
 * @brief Applies one command's range record to the matching elements: "value" becomes def_val and the choices
 * whose "index" is not among the record's items are deleted.
 * @param elem where the search starts.
 * @param cmd the command (the elements' id).
 * @param attr the range record.
 * @return 0; -1 when a choice lacks "index".
 * @free_fn
 */
IMAGETUNE_API int doDnaStyle(TiXmlElement* elem, int cmd, const ia_dynamic_params_attr_st* attr);
/**
 * @brief Replaces the record's item list by the "index" values of the matching element's choices (at most
 * IA_DYNAMIC_ITEMS_MAX), with min_val and max_val the first and last of them.
 * @param elem where the search starts.
 * @param cmd the command (the element's id).
 * @param attr the range record.
 * @return 0.
 * @free_fn
 */
IMAGETUNE_API int doCustomizeStyle(TiXmlElement* elem, int cmd, ia_dynamic_params_attr_st* attr);
/**
 * @brief The "value" of the last element with that id.
 * @param elem where the search starts.
 * @param id the id.
 * @param value receives it; untouched when none matches or it has no "value".
 * @return 0.
 * @free_fn
 */
IMAGETUNE_API int getDnaValbyCmdId(TiXmlElement* elem, int id, int& value);
/**
 * @brief The last element with that id.
 * @param elem where the search starts.
 * @param id the id.
 * @param node receives it; untouched when none matches.
 * @return 0.
 * @free_fn
 */
IMAGETUNE_API int getNodebyCmdId(TiXmlElement* elem, int id, TiXmlElement*& node);
/**
 * @brief Removes node from its parent element and deletes it; a root element (whose parent is the document)
 * stays.
 * @param root the document's root element.
 * @param node the element.
 * @return 0; -1 when either argument is null.
 * @free_fn
 */
IMAGETUNE_API int DeleteNode(TiXmlElement* root, TiXmlElement* node);
/**
 * @brief Links the highlight and backlight switches: sets "enable_list" of the elements with id 112 to "128",
 * or of those with id 128 to "112".
 * @param elem where the search starts.
 * @param id 112 or 128; another id changes nothing.
 * @return 0.
 * @free_fn
 */
IMAGETUNE_API int ModifyNodebyCmdId(TiXmlElement* elem, int id);
/**
 * @brief Appends the (id, value) pairs of every element that has both, counting on from *p_pnKeyValNum.
 * @param elem where the walk starts.
 * @param p_pKeyVal receives the pairs; never written at or past p_nKeyValCapacity.
 * @param p_pnKeyValNum the count so far; receives the new count.
 * @param p_nKeyValCapacity the array's length.
 * @return 0; -1 when pairs were left out for want of room.
 * @free_fn
 */
IMAGETUNE_API int style2KeyVal(TiXmlElement* elem, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nKeyValCapacity);

#endif
