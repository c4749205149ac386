#include "FileReplace.h"

#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "Diagnostics.h"
#include "QxFile.h"

namespace {

const char TEMPORARY_MARK[] = ".tmp.";

// Unique per process and per call, so that two threads replacing the same file never share a temporary file.
std::string temporaryNameFor(const std::string& p_strPath) {
    static std::atomic<unsigned> s_nCounter{0};
    return p_strPath + TEMPORARY_MARK + std::to_string(static_cast<long>(::getpid())) + "." +
           std::to_string(s_nCounter.fetch_add(1, std::memory_order_relaxed));
}

std::string folderOf(const std::string& p_strPath) {
    size_t nSlash = p_strPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    if (nSlash == 0) return "/";
    return p_strPath.substr(0, nSlash);
}

}  // namespace

FileReplaceResult writeFileReplacing(const char* p_szPath, const char* p_pData, INT64 p_nLen) {
    FileReplaceResult stResult = {false, 0, false};
    if (p_szPath == nullptr || *p_szPath == '\0' || p_nLen < 0 || p_nLen > static_cast<INT64>(UINT_MAX) ||
        (p_pData == nullptr && p_nLen > 0))
        return stResult;

    const std::string strTarget = p_szPath;
    const std::string strTmp = temporaryNameFor(strTarget);
    // A stale entry of that name (say a link left there) must not be followed by the open.
    QxFile::removePath(strTmp.c_str());

    QxFile file;
    if (!file.open(strTmp.c_str(), QxFile::modeWrite | QxFile::modeTruncate)) return stResult;
    stResult.bOpened = true;

    stResult.nWritten = p_nLen > 0 ? file.write(p_pData, static_cast<unsigned>(p_nLen)) : 0;
    if (stResult.nWritten != p_nLen) {
        file.close();
        QxFile::removePath(strTmp.c_str());
        return stResult;
    }

    bool bSynced = file.flush(true);
    file.close();
    if (!SNS_ASSERT_TEXT(bSynced, "file.flush(true)", "file_name(%s)\n", strTmp.c_str())) {
        QxFile::removePath(strTmp.c_str());
        return stResult;
    }

    if (QxFile::renamePath(strTmp.c_str(), strTarget.c_str()) != 0) {
        int nErrno = errno;
        SNS_ASSERT_TEXT(false, "0 == QxFile::renamePath(strTmp.c_str(), strTarget.c_str())",
                        "file_name(%s) errno(%d)\n", strTarget.c_str(), nErrno);
        QxFile::removePath(strTmp.c_str());
        return stResult;
    }
    stResult.bReplaced = true;

    // The new content is in place either way; a failed folder sync only means the rename may not outlive a
    // power cut, which would bring back the complete old file.
    const std::string strFolder = folderOf(strTarget);
    SNS_ASSERT_TEXT(QxFile::syncDir(strFolder.c_str()) == 0, "0 == QxFile::syncDir(strFolder.c_str())", "folder(%s)\n",
                    strFolder.c_str());
    return stResult;
}

int replaceFileWhole(const char* p_szPath, const char* p_pData, INT64 p_nLen) {
    const char* szName = p_szPath != nullptr ? p_szPath : "(null)";
    if (!SNS_ASSERT_MSG(p_szPath != nullptr && p_nLen >= 0 && p_nLen <= static_cast<INT64>(UINT_MAX) &&
                            (p_pData != nullptr || p_nLen == 0),
                        "file_name(%s) len(%lld)\n", szName, static_cast<long long>(p_nLen)))
        return -1;
    FileReplaceResult stResult = writeFileReplacing(p_szPath, p_pData, p_nLen);
    if (!SNS_ASSERT_TEXT(stResult.bOpened, "file.open(file_name, QxFile::modeWrite | QxFile::modeTruncate)",
                         "file_name(%s)\n", szName))
        return -1;
    if (!SNS_ASSERT_TEXT(stResult.nWritten == p_nLen, "len == (nSize=file.write(data, len))",
                         "file_name(%s) len(%lld) nSize(%lld)\n", szName, static_cast<long long>(p_nLen),
                         static_cast<long long>(stResult.nWritten)))
        return -1;
    return stResult.bReplaced ? 0 : -1;
}

int removeLeftoverTemporaries(const char* p_szFolder) {
    if (p_szFolder == nullptr) return 0;
    DIR* pDir = opendir(qx_device_path(p_szFolder).c_str());
    if (pDir == nullptr) return 0;
    const std::string strOwnMark = TEMPORARY_MARK + std::to_string(static_cast<long>(::getpid())) + ".";
    std::vector<std::string> vecLeftovers;
    while (struct dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        const size_t nMark = strName.rfind(TEMPORARY_MARK);
        if (nMark == std::string::npos || nMark == 0) continue;
        if (strName.compare(nMark, strOwnMark.size(), strOwnMark) == 0) continue;
        vecLeftovers.push_back(std::string(p_szFolder) + "/" + strName);
    }
    closedir(pDir);
    int nRemoved = 0;
    for (const std::string& strPath : vecLeftovers) {
        if (QxFile::removePath(strPath.c_str()) == 0) ++nRemoved;
    }
    return nRemoved;
}
