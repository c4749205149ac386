// A size-rotated text log.
#ifndef IMAGETUNE_PLATFORM_QXLOGGER_H
#define IMAGETUNE_PLATFORM_QXLOGGER_H

#include <string>

class QxLogger {
public:
    QxLogger();
    ~QxLogger();

    // Rotates "path" to "path.1" ... "path.<count-1>" when an entry would make it larger than p_nSize bytes
    // (the oldest is dropped; with a count of 0 or 1 the file is just emptied). A size of 0 never rotates.
    // The path is a device path; its folder is not created. False for a null or empty path.
    bool init(const char* p_szPath, unsigned p_nSize, unsigned p_nFileCount);
    // Appends one entry "<tag> <text>" (a line end is added when the text has none; a null or empty tag gives
    // just the text). False when not written: before init, or when the file cannot be opened or written.
    // Safe from any thread; entries of concurrent writers do not interleave.
    bool writeLog(const char* p_szTag, const char* p_szText);

private:
    std::string m_strPath;
    unsigned m_nSize;
    unsigned m_nFileCount;
};

#endif
