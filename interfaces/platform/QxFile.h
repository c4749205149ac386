// Whole-file access of the camera platform, as its contract offers it: nothing here beyond the contract's
// operations (a process that loads the library may offer exactly these).
//
// Modes (bits may be combined):
//   modeRead                 read an existing file from its start
//   modeWrite                write an existing file from its start, keeping what lies beyond the bytes written
//   modeWrite|modeCreate     the same, creating the file when it is missing
//   modeWrite|modeTruncate   (66) create the file, or empty an existing one, and write it
//   modeAppend               write at the end of the file, creating it when it is missing (implies modeWrite)
//   modeRead with a write mode: both on one stream
// modeCreate and modeTruncate act only together with a write mode.
// Opening a folder fails, whatever the mode. Files are created with permissions 0666 less the umask.
#ifndef IMAGETUNE_PLATFORM_QXFILE_H
#define IMAGETUNE_PLATFORM_QXFILE_H

#include <cstdio>
#include <string>
#include <vector>

class QxFile {
public:
    enum {
        modeRead = 0x01,
        modeWrite = 0x02,
        modeAppend = 0x04,
        modeCreate = 0x08,
        modeTruncate = 0x40,
    };

    QxFile();
    ~QxFile();
    QxFile(const QxFile&) = delete;
    QxFile& operator=(const QxFile&) = delete;

    // Nonzero on success. The stand-in takes the path under the device root. An open file is closed first. A
    // mode without modeRead, modeWrite or modeAppend fails.
    int open(const char* p_szPath, unsigned char p_nMode);
    void close();

    // Byte counts; 0 when the file is not open or not open for that direction. write does not change the buffer.
    unsigned read(char* p_pBuf, unsigned p_nLen);
    unsigned write(char* p_pBuf, unsigned p_nLen);

    // The size of the open file, bytes still buffered for writing included; 0 when not open.
    long long getLength() const;
    // The open stream, or null.
    FILE* getFileHandle();

    // The next line without its "\n" or "\r\n"; "" at the end of the file (or for a null stream). Lines of
    // any length are read whole.
    static std::string ReadOneLine(FILE* p_pFile);
    // Every line of the open file from its start, in order (an empty line in the middle is an empty string;
    // a last line without line end still counts). The read position is left where it was.
    std::vector<std::string> ReadLines() const;

private:
    FILE* m_pFile;
    unsigned char m_nMode;  // the mode of the open file, 0 when closed
};

#endif
