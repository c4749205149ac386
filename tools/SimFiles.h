// Every file the tool reads goes through here. A device root, /tmp and a script may hold what another program
// or a bad firmware image left there: a folder, a FIFO, a device, a huge or deeply nested
// document. Such a file is refused with a message that names it, instead of hanging, exhausting memory or
// overflowing the stack.
#ifndef IMAGETUNE_TOOLS_SIMFILES_H
#define IMAGETUNE_TOOLS_SIMFILES_H

#include <stddef.h>

#include <istream>
#include <string>
#include <vector>

#include "SensorKeyVal.h"

class TiXmlDocument;

// Bounds of what the tool reads.
const size_t SIM_MAX_DOCUMENT_BYTES = 4u << 20;  // a style or module configuration document
const size_t SIM_MAX_SCHEME_BYTES = 1u << 20;    // a scheme file (a few hundred records)
const size_t SIM_MAX_SCRIPT_BYTES = 16u << 20;   // a command script
const int SIM_MAX_XML_DEPTH = 64;                // element nesting; the documents nest four levels

enum SimReadResult { SIM_READ_OK, SIM_READ_MISSING, SIM_READ_REFUSED };

// Whether a symbolic link at the file's own name is read through (documents, scripts and schemes, as a firmware
// image links them) or refused (what the library writes itself in the world-writable /tmp).
enum SimLinks { SIM_FOLLOW_LINK, SIM_REFUSE_LINK };

// Reads the whole file at p_strPath: only a regular file (through a link unless links are refused), at most
// p_nMaxBytes. SIM_READ_MISSING when nothing is there; SIM_READ_REFUSED with p_strError naming the fault
// otherwise.
SimReadResult readGuardedFile(const std::string& p_strPath, size_t p_nMaxBytes, std::string& p_strText,
                              std::string& p_strError, SimLinks p_eLinks = SIM_FOLLOW_LINK);
// The whole stream, at most p_nMaxBytes (standard input may be endless).
bool readBoundedStream(std::istream& p_in, size_t p_nMaxBytes, std::string& p_strText, std::string& p_strError);
// Whether the elements of XML text nest at most SIM_MAX_XML_DEPTH deep (counted without parsing, as TinyXML's
// recursive parser would nest them); p_strError says so otherwise.
bool xmlDepthWithin(const std::string& p_strText, std::string& p_strError);
// Parses XML text whose elements nest at most SIM_MAX_XML_DEPTH deep; false with p_strError otherwise.
bool parseXmlBounded(const std::string& p_strText, TiXmlDocument& p_doc, std::string& p_strError);
// The records of a scheme file at a host path, as the library stores them: whole 8-byte key/value records.
// SIM_READ_REFUSED with p_strError for an empty file or a torn record.
SimReadResult readSchemeRecords(const std::string& p_strPath, std::vector<KeyVal>& p_vecPairs, std::string& p_strError);
// A file of the device root read and parsed as above.
bool loadXmlFile(const std::string& p_strPath, TiXmlDocument& p_doc, std::string& p_strError,
                 SimLinks p_eLinks = SIM_FOLLOW_LINK);

#endif
