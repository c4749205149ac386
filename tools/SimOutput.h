// Where the tool's words go: data (what a command answers) on standard output, as text or as one JSON
// document per line; everything else (banners, what a command did, the library's reports) on standard error.
#ifndef IMAGETUNE_TOOLS_SIMOUTPUT_H
#define IMAGETUNE_TOOLS_SIMOUTPUT_H

#include <stdarg.h>
#include <stdio.h>

#include <nlohmann/json.hpp>
#include <string>

// Members keep the order they were added in, which is the order a person reads them in.
typedef nlohmann::ordered_json SimJson;

class SimOutput {
public:
    SimOutput(FILE* p_pData, FILE* p_pNotes) : m_pData(p_pData), m_pNotes(p_pNotes) {}

    void setQuiet(bool p_bQuiet) { m_bQuiet = p_bQuiet; }
    void setJson(bool p_bJson) { m_bJson = p_bJson; }
    bool json() const { return m_bJson; }

    // A line of text data; in JSON mode the commands send documents instead.
    void data(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    // The text as it is (the style document).
    void dataRaw(const std::string& p_strText);
    // One JSON document on one line. Within a command (beginCommand) the document starts with the command's
    // name and "ok": true.
    void document(const SimJson& p_objDoc);
    // The command whose documents follow; documented() tells whether it has written one yet.
    void beginCommand(const std::string& p_strName) {
        m_strCommand = p_strName;
        m_bDocumented = false;
    }
    void endCommand() { m_strCommand.clear(); }
    bool documented() const { return m_bDocumented; }
    // Banners and what a command did: left out with --quiet.
    void note(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    // The library's reports and the tool's warnings: always shown.
    void warn(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    // The same, for a caller that takes its own arguments.
    void vnote(const char* p_szFormat, va_list p_args) __attribute__((format(printf, 2, 0)));
    void vwarn(const char* p_szFormat, va_list p_args) __attribute__((format(printf, 2, 0)));
    void flush();

private:
    void toNotes(const char* p_szFormat, va_list p_args);

    FILE* m_pData;
    FILE* m_pNotes;
    bool m_bQuiet = false;
    bool m_bJson = false;
    std::string m_strCommand;
    bool m_bDocumented = false;
};

#endif
