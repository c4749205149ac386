// Reading the files the library is given (scheme and version files, style documents, the machine information
// and module configuration, the merged style in /tmp, the field-of-view file, the debug settings) when any
// local program may have put something else there: a FIFO, a device or a folder. Every read opens the device
// path once, without blocking, checks on the open descriptor that it is a regular file, and only then reads
// it, so that nothing can be swapped in between the check and the read. A symbolic link is followed as an
// ordinary open follows it (firmware images link documents to their model's file, or to another partition);
// only where the library reads back what it writes itself in a world-writable folder is a link at the last
// component refused. The platform's file class cannot open that way; this is plain POSIX on the device-root
// path.
//
// Nothing here reports: the debug settings are read through it before every report. Callers report refusals
// with SNS_REPORT_REFUSED_FILE.
#ifndef IMAGETUNE_SUPPORT_REGULARFILE_H
#define IMAGETUNE_SUPPORT_REGULARFILE_H

#include <cstddef>
#include <string>
#include <vector>

#include "Diagnostics.h"

enum RegularFileStatus {
    REGULAR_FILE_OK,
    REGULAR_FILE_MISSING,      // nothing at the path
    REGULAR_FILE_NOT_REGULAR,  // a folder, FIFO, device or socket (or a link, where links are refused): not read
    REGULAR_FILE_TOO_LARGE,    // more bytes than the caller takes
    REGULAR_FILE_UNREADABLE,   // it could not be opened or read (permissions, a path component that is a file)
};

struct RegularFileResult {
    RegularFileStatus eStatus;
    long long nSize;    // the file's size when it is a regular file, else 0
    const char* szWhy;  // what was found, for a report: "a regular file", "a FIFO", "a symbolic link", ...
};

// Whether a symbolic link at the path's last component is read through. Links in the folders above it are
// always followed, as the system follows them.
enum RegularFileLinks {
    REGULAR_FILE_FOLLOW_LINK,  // the file a link names is read, when it is a regular file
    REGULAR_FILE_REFUSE_LINK,  // a link is refused (REGULAR_FILE_NOT_REGULAR, "a symbolic link")
};

// The file at a device path, checked and not read.
RegularFileResult probeRegularFile(const char* p_szDevicePath,
                                   RegularFileLinks p_eLinks = REGULAR_FILE_FOLLOW_LINK);

enum RegularFileLength {
    REGULAR_FILE_WHOLE,   // a file longer than the caller takes is refused: REGULAR_FILE_TOO_LARGE
    REGULAR_FILE_PREFIX,  // the first bytes of a longer file are enough
};

// The regular file at a device path into p_strData: at most p_nMax bytes, of a file no longer than that
// (REGULAR_FILE_WHOLE) or from the start of a file of any length (REGULAR_FILE_PREFIX). p_strData is empty
// unless the result is REGULAR_FILE_OK.
RegularFileResult readRegularFile(const char* p_szDevicePath, size_t p_nMax, std::string& p_strData,
                                  RegularFileLength p_eLength = REGULAR_FILE_WHOLE,
                                  RegularFileLinks p_eLinks = REGULAR_FILE_FOLLOW_LINK);

// The same for a path already mapped to the host (qx_device_path), links read through.
RegularFileResult readRegularHostFile(const char* p_szHostPath, size_t p_nMax, std::string& p_strData,
                                      RegularFileLength p_eLength);

// A file's text cut into lines as a text reader sees them: "\n" or "\r\n" ends a line and is not kept; a last
// line without a line end still counts; an empty text has no line.
void splitRegularFileLines(const std::string& p_strText, std::vector<std::string>& p_vecLines);

// Whether the read refused what it found (a FIFO, a folder, a device, a refused link, a file too large).
inline bool regularFileRefused(const RegularFileResult& p_stResult) {
    return p_stResult.eStatus == REGULAR_FILE_NOT_REGULAR || p_stResult.eStatus == REGULAR_FILE_TOO_LARGE;
}

// The assertion report of a refused read, at the caller's statement; false.
#define SNS_REPORT_REFUSED_FILE(name, result)                                                                          \
    SNS_ASSERT_TEXT(false, "REGULAR_FILE_OK == readRegularFile(file_name)", "file_name(%s) is %s: not read\n", (name), \
                    (result).szWhy)

#endif
