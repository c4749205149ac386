// A size-rotated text log.
#ifndef IMAGETUNE_PLATFORM_QXLOGGER_H
#define IMAGETUNE_PLATFORM_QXLOGGER_H

#include <string>

class QxLogger {
public:
    QxLogger();
    ~QxLogger();

    // Rotates "path" to "path.1" ... "path.<count-1>" when an entry would make it larger than p_nSize bytes.
    bool init(const char* p_szPath, unsigned p_nSize, unsigned p_nFileCount);
    // Appends one entry "<tag> <text>" (a line end is added when the text has none). False when not written.
    bool writeLog(const char* p_szTag, const char* p_szText);

private:
    std::string m_strPath;
    unsigned m_nSize;
    unsigned m_nFileCount;
};

#endif
