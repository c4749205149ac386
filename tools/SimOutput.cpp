#include "SimOutput.h"

#include <stdarg.h>

void SimOutput::data(const char* p_szFormat, ...) {
    va_list args;
    va_start(args, p_szFormat);
    vfprintf(m_pData, p_szFormat, args);
    va_end(args);
    fputc('\n', m_pData);
}

void SimOutput::dataRaw(const std::string& p_strText) {
    fwrite(p_strText.data(), 1, p_strText.size(), m_pData);
}

void SimOutput::document(const SimJson& p_objDoc) {
    SimJson objDoc = p_objDoc;
    if (!m_strCommand.empty() && p_objDoc.is_object() && !p_objDoc.contains("command")) {
        objDoc = SimJson{{"command", m_strCommand}, {"ok", true}};
        objDoc.update(p_objDoc);
    }
    m_bDocumented = true;
    std::string strLine = objDoc.dump(-1, ' ', false, SimJson::error_handler_t::replace);
    fprintf(m_pData, "%s\n", strLine.c_str());
}

void SimOutput::note(const char* p_szFormat, ...) {
    va_list args;
    va_start(args, p_szFormat);
    vnote(p_szFormat, args);
    va_end(args);
}

void SimOutput::warn(const char* p_szFormat, ...) {
    va_list args;
    va_start(args, p_szFormat);
    toNotes(p_szFormat, args);
    va_end(args);
}

void SimOutput::vnote(const char* p_szFormat, va_list p_args) {
    if (!m_bQuiet) toNotes(p_szFormat, p_args);
}

void SimOutput::vwarn(const char* p_szFormat, va_list p_args) {
    toNotes(p_szFormat, p_args);
}

void SimOutput::toNotes(const char* p_szFormat, va_list p_args) {
    // The data written so far goes first, so that both streams read in order on one terminal or file.
    fflush(m_pData);
    vfprintf(m_pNotes, p_szFormat, p_args);
    fputc('\n', m_pNotes);
    fflush(m_pNotes);
}

void SimOutput::flush() {
    fflush(m_pData);
    fflush(m_pNotes);
}
