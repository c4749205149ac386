// The nesting guard before TinyXML parses a text: TinyXML parses, copies, prints and deletes recursively, so a
// text nested deeper than the stack allows would end the process. Header-only and hidden, like the device root:
// the library and the tools that parse documents beside it (imagetune-sim) check with the same scanner, and the
// library exports nothing for it.
#ifndef IMAGETUNE_SUPPORT_XMLDEPTHGUARD_H
#define IMAGETUNE_SUPPORT_XMLDEPTHGUARD_H

#include <cctype>
#include <cstring>

namespace xmlguard {

#pragma GCC visibility push(hidden)

// The nesting check walks the text the way TinyXML's parser tokenises it (UTF-8 characters, entities,
// quoted attribute values, comments, CDATA, declarations and unknown tags), so that its depth is never
// below the depth the parser will reach. Where the parser would stop with an error the walk stops too:
// nothing after that point gets parsed.
class DepthScan {
public:
    explicit DepthScan(const char* p_szText) : m_p(p_szText), m_nDepth(0), m_bTooDeep(false) {}

    // True when the parser stays within p_nMax levels.
    bool within(int p_nMax) {
        while (m_p != nullptr && *m_p != '\0' && !m_bTooDeep) step(p_nMax);
        return !m_bTooDeep;
    }

private:
    static int utf8Len(unsigned char c) {
        if (c >= 0xC2 && c <= 0xDF) return 2;
        if (c >= 0xE0 && c <= 0xEF) return 3;
        if (c >= 0xF0 && c <= 0xF4) return 4;
        return 1;
    }
    static bool isWs(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
    static bool nameStart(char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 127 || std::isalpha(u) || c == '_';
    }
    static bool nameChar(char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 127 || std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':';
    }
    static bool startsWith(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }
    static bool startsWithNoCase(const char* p, const char* s) {
        for (; *s != '\0'; ++p, ++s)
            if (*p == '\0' || std::tolower(static_cast<unsigned char>(*p)) != *s) return false;
        return true;
    }
    static const char* skipWs(const char* p) {
        const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
        while (*u != 0) {
            if (u[0] == 0xEF && ((u[1] == 0xBB && u[2] == 0xBF) || (u[1] == 0xBF && (u[2] == 0xBE || u[2] == 0xBF)))) {
                u += 3;
            } else if (isWs(static_cast<char>(*u))) {
                ++u;
            } else {
                break;
            }
        }
        return reinterpret_cast<const char*>(u);
    }
    static const char* readName(const char* p) {
        if (!nameStart(*p)) return nullptr;
        while (nameChar(*p)) ++p;
        return p;
    }
    static const char* skipPast(const char* p, const char* s) {
        const char* q = std::strstr(p, s);
        return q == nullptr ? nullptr : q + std::strlen(s);
    }
    // One character of text or of a quoted value; numeric entities may run far, up to their ';'.
    static const char* nextChar(const char* p) {
        int nLen = utf8Len(static_cast<unsigned char>(*p));
        if (nLen > 1) return p + nLen;  // xmlLoadMem refuses a character cut by the terminator
        if (*p != '&' || p[1] != '#' || p[2] == '\0') return p + 1;
        const bool bHex = p[2] == 'x';
        if (bHex && p[3] == '\0') return nullptr;
        const char* q = std::strchr(p + 2, ';');
        if (q == nullptr) return nullptr;
        for (const char* r = q - 1; *r != (bHex ? 'x' : '#'); --r) {
            unsigned char u = static_cast<unsigned char>(*r);
            if (bHex ? !std::isxdigit(u) : !std::isdigit(u)) return nullptr;
        }
        return q + 1;
    }
    // name = value, the value quoted or bare.
    static const char* attribute(const char* p) {
        p = readName(skipWs(p));
        if (p == nullptr) return nullptr;
        p = skipWs(p);
        if (*p != '=') return nullptr;
        p = skipWs(p + 1);
        if (*p == '\0') return nullptr;
        if (*p == '"' || *p == '\'') {
            const char cQuote = *p++;
            while (p != nullptr && *p != '\0' && *p != cQuote) p = nextChar(p);
            return (p == nullptr || *p == '\0') ? nullptr : p + 1;
        }
        while (*p != '\0' && !isWs(*p) && *p != '/' && *p != '>') {
            if (*p == '"' || *p == '\'') return nullptr;
            ++p;
        }
        return p;
    }
    static const char* declaration(const char* p) {
        p += 5;
        while (p != nullptr && *p != '\0') {
            if (*p == '>') return p + 1;
            p = skipWs(p);
            if (startsWithNoCase(p, "version") || startsWithNoCase(p, "encoding") ||
                startsWithNoCase(p, "standalone")) {
                p = attribute(p);
            } else {
                while (*p != '\0' && *p != '>' && !isWs(*p)) ++p;
            }
        }
        return nullptr;
    }
    // After the name of an opening tag: its attributes, then "/>" or ">".
    const char* elementTag(const char* p) {
        while (p != nullptr) {
            p = skipWs(p);
            if (*p == '\0') return nullptr;
            if (*p == '/') {
                if (p[1] != '>') return nullptr;
                --m_nDepth;
                return p + 2;
            }
            if (*p == '>') return p + 1;
            p = attribute(p);
        }
        return nullptr;
    }

    void step(int p_nMax) {
        if (*m_p != '<') {
            while (m_p != nullptr && *m_p != '\0' && *m_p != '<') m_p = nextChar(m_p);
            return;
        }
        if (startsWith(m_p, "</")) {
            if (m_nDepth > 0) --m_nDepth;
            m_p = std::strchr(m_p, '>');
            if (m_p != nullptr) ++m_p;
        } else if (startsWithNoCase(m_p, "<?xml")) {
            m_p = declaration(m_p);
        } else if (startsWith(m_p, "<!--")) {
            m_p = skipPast(m_p + 4, "-->");
        } else if (startsWith(m_p, "<![CDATA[")) {
            m_p = skipPast(m_p + 9, "]]>");
        } else if (nameStart(m_p[1])) {
            if (++m_nDepth > p_nMax) {
                m_bTooDeep = true;
                return;
            }
            m_p = elementTag(readName(m_p + 1));
        } else {
            m_p = std::strchr(m_p, '>');
            if (m_p != nullptr) ++m_p;
        }
        if (m_p != nullptr) m_p = skipWs(m_p);
    }

    const char* m_p;
    int m_nDepth;
    bool m_bTooDeep;
};

// TinyXML steps over a UTF-8 lead byte's whole length without looking, so a character cut short by the
// terminator would make it read past the text.
inline bool lastCharacterWhole(const char* p_szText) {
    size_t nLen = std::strlen(p_szText);
    for (size_t i = nLen > 3 ? nLen - 3 : 0; i < nLen; ++i) {
        unsigned char c = static_cast<unsigned char>(p_szText[i]);
        size_t nCharLen = (c >= 0xC2 && c <= 0xDF)   ? 2
                          : (c >= 0xE0 && c <= 0xEF) ? 3
                          : (c >= 0xF0 && c <= 0xF4) ? 4
                                                     : 1;
        if (i + nCharLen > nLen) return false;
    }
    return true;
}


// Whether TinyXML may parse the text: no deeper than p_nMaxDepth levels, and no character cut short at its
// end. False for null text.
inline bool parseable(const char* p_szText, int p_nMaxDepth) {
    return p_szText != nullptr && lastCharacterWhole(p_szText) && DepthScan(p_szText).within(p_nMaxDepth);
}

#pragma GCC visibility pop

}  // namespace xmlguard

#endif
