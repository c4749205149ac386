// The two document operations the style layer needs beyond TinyXML's documented ones: parse a document from
// text in memory, and the whole document as text.
#ifndef IMAGETUNE_STYLE_XMLTEXT_H
#define IMAGETUNE_STYLE_XMLTEXT_H

#include <tinyxml.h>

#include <string>

// Deepest element nesting accepted. TinyXML parses, copies, prints and deletes recursively, so a deeper
// document could exhaust the stack; style documents nest four levels.
#define SNS_XML_MAX_DEPTH 64

// Parses text into doc. False for null text, a document nested deeper than SNS_XML_MAX_DEPTH or a parse
// error; doc is then empty.
bool xmlLoadMem(TiXmlDocument& doc, const char* text, TiXmlEncoding encoding);
// The whole document as TinyXML prints it.
std::string xmlGetString(const TiXmlDocument& doc);

#endif
