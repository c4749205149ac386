// Whole-file access of the camera platform.
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

    // Nonzero on success. The path is taken under the device root (see DeviceRoot.h).
    int open(const char* p_szPath, unsigned char p_nMode);
    void close();
    bool isOpen() const;

    // Byte counts; 0 when the file is not open.
    unsigned read(char* p_pBuf, unsigned p_nLen);
    unsigned write(char* p_pBuf, unsigned p_nLen);
    // Pushes buffered data to the kernel and, with p_bSync, to the storage. False on failure.
    bool flush(bool p_bSync = false);

    long long getLength() const;
    FILE* getFileHandle();

    // The next line without its line end; "" at the end of the file.
    static std::string ReadOneLine(FILE* p_pFile);
    // Every line of the open file from its start, in order.
    std::vector<std::string> ReadLines() const;

    // Path operations under the device root, for replacing a file whole. 0 on success, -1 with errno set.
    static int renamePath(const char* p_szFrom, const char* p_szTo);
    static int removePath(const char* p_szPath);
    // Makes the folder's entries (a rename into it) durable.
    static int syncDir(const char* p_szDir);

private:
    FILE* m_pFile;
};

#endif
