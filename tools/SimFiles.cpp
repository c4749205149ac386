#include "SimFiles.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>

#include "XmlDepthGuard.h"

namespace {

std::string kindOf(mode_t p_nMode) {
    if (S_ISDIR(p_nMode)) return "a folder";
    if (S_ISFIFO(p_nMode)) return "a FIFO";
    if (S_ISCHR(p_nMode)) return "a character device";
    if (S_ISBLK(p_nMode)) return "a block device";
    if (S_ISSOCK(p_nMode)) return "a socket";
    return "not a regular file";
}

class Fd {
public:
    explicit Fd(int p_nFd) : m_nFd(p_nFd) {}
    ~Fd() {
        if (m_nFd >= 0) close(m_nFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_nFd; }

private:
    int m_nFd;
};

}  // namespace

SimReadResult readGuardedFile(const std::string& p_strPath, size_t p_nMaxBytes, std::string& p_strText,
                              std::string& p_strError, SimLinks p_eLinks) {
    // Without blocking: a FIFO opened for reading would wait for a writer.
    int nFd = open(p_strPath.c_str(),
                   O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (p_eLinks == SIM_REFUSE_LINK ? O_NOFOLLOW : 0));
    if (nFd < 0) {
        int nErr = errno;
        if (nErr == ENOENT || nErr == ENOTDIR) return SIM_READ_MISSING;
        p_strError = p_strPath + (nErr == ELOOP ? std::string(" is a symbolic link, which is not followed")
                                                : std::string(" cannot be read: ") + strerror(nErr));
        return SIM_READ_REFUSED;
    }
    Fd fd(nFd);
    struct stat st;
    if (fstat(fd.get(), &st) != 0) {
        p_strError = p_strPath + " cannot be read: " + strerror(errno);
        return SIM_READ_REFUSED;
    }
    if (!S_ISREG(st.st_mode)) {
        p_strError = p_strPath + " is " + kindOf(st.st_mode) + ", not a file";
        return SIM_READ_REFUSED;
    }
    std::string strLimit = std::to_string(p_nMaxBytes);
    if (static_cast<unsigned long long>(st.st_size) > p_nMaxBytes) {
        p_strError = p_strPath + " is larger than " + strLimit + " bytes";
        return SIM_READ_REFUSED;
    }
    // The file may grow while it is read: read one byte past the limit at most.
    p_strText.clear();
    char szBuf[65536];
    for (;;) {
        ssize_t n = read(fd.get(), szBuf, sizeof(szBuf));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            p_strError = p_strPath + " cannot be read: " + strerror(errno);
            return SIM_READ_REFUSED;
        }
        if (n == 0) break;
        p_strText.append(szBuf, static_cast<size_t>(n));
        if (p_strText.size() > p_nMaxBytes) {
            p_strError = p_strPath + " is larger than " + strLimit + " bytes";
            return SIM_READ_REFUSED;
        }
    }
    return SIM_READ_OK;
}

bool readBoundedStream(std::istream& p_in, size_t p_nMaxBytes, std::string& p_strText, std::string& p_strError) {
    p_strText.clear();
    char szBuf[65536];
    while (p_in.read(szBuf, sizeof(szBuf)) || p_in.gcount() > 0) {
        p_strText.append(szBuf, static_cast<size_t>(p_in.gcount()));
        if (p_strText.size() > p_nMaxBytes) {
            p_strError = "more than " + std::to_string(p_nMaxBytes) + " bytes of commands";
            return false;
        }
    }
    return true;
}

// With the library's own scanner, which reads the text as TinyXML's parser will: no processing instruction,
// comment, CDATA section or declaration hides nesting from it.
bool xmlDepthWithin(const std::string& p_strText, std::string& p_strError) {
    if (!xmlguard::lastCharacterWhole(p_strText.c_str())) {
        p_strError = "its last character is cut short";
        return false;
    }
    if (xmlguard::DepthScan(p_strText.c_str()).within(SIM_MAX_XML_DEPTH)) return true;
    p_strError = "its elements nest deeper than " + std::to_string(SIM_MAX_XML_DEPTH) + " levels";
    return false;
}

bool parseXmlBounded(const std::string& p_strText, TiXmlDocument& p_doc, std::string& p_strError) {
    p_doc.Clear();
    if (!xmlDepthWithin(p_strText, p_strError)) return false;
    p_doc.Parse(p_strText.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (p_doc.Error()) {
        p_strError =
            std::string("it is not XML: ") + p_doc.ErrorDesc() + " at line " + std::to_string(p_doc.ErrorRow());
        p_doc.Clear();
        return false;
    }
    return true;
}

bool loadXmlFile(const std::string& p_strPath, TiXmlDocument& p_doc, std::string& p_strError, SimLinks p_eLinks) {
    std::string strText;
    SimReadResult eRead = readGuardedFile(p_strPath, SIM_MAX_DOCUMENT_BYTES, strText, p_strError, p_eLinks);
    if (eRead == SIM_READ_MISSING) p_strError = p_strPath + " is missing";
    if (eRead != SIM_READ_OK) return false;
    if (!parseXmlBounded(strText, p_doc, p_strError)) {
        p_strError = p_strPath + ": " + p_strError;
        return false;
    }
    return true;
}

SimReadResult readSchemeRecords(const std::string& p_strPath, std::vector<KeyVal>& p_vecPairs,
                                std::string& p_strError) {
    std::string strBytes;
    SimReadResult eRead = readGuardedFile(p_strPath, SIM_MAX_SCHEME_BYTES, strBytes, p_strError);
    if (eRead != SIM_READ_OK) return eRead;
    if (strBytes.empty()) {
        p_strError = p_strPath + " is no scheme file: it is empty";
        return SIM_READ_REFUSED;
    }
    if (strBytes.size() % sizeof(KeyVal) != 0) {
        p_strError = p_strPath + " is no scheme file: " + std::to_string(strBytes.size()) +
                     " bytes is not a whole number of 8-byte records";
        return SIM_READ_REFUSED;
    }
    p_vecPairs.resize(strBytes.size() / sizeof(KeyVal));
    for (size_t i = 0; i < p_vecPairs.size(); ++i)
        memcpy(&p_vecPairs[i], strBytes.data() + i * sizeof(KeyVal), sizeof(KeyVal));
    return SIM_READ_OK;
}
