#include "SchemeFileByKey.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "Diagnostics.h"
#include "RegularFile.h"

namespace {

const char* printableName(const char* p_szName) {
    return p_szName != nullptr ? p_szName : "(null)";
}

KeyVal recordAt(const std::string& p_strBytes, size_t p_nIndex) {
    KeyVal stRecord;
    std::memcpy(&stRecord, p_strBytes.data() + p_nIndex * sizeof(KeyVal), sizeof(KeyVal));
    return stRecord;
}

// The layout's slots ordered by key, then by position: the slots of one key lie together, in layout order.
struct Slot {
    u32 nKey;
    u32 nPos;
    bool operator<(const Slot& o) const { return nKey != o.nKey ? nKey < o.nKey : nPos < o.nPos; }
};

}  // namespace

SchemeFileRead keyValFromBytesByKey(const std::string& p_strBytes, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    SchemeFileRead stRead = {-1, 0, 0, 0, false};
    if (p_strBytes.size() % sizeof(KeyVal) != 0 || p_strBytes.size() / sizeof(KeyVal) > UINT_MAX ||
        (p_pKeyVal == nullptr && p_nKeyValNum > 0))
        return stRead;
    stRead.nRecords = static_cast<u32>(p_strBytes.size() / sizeof(KeyVal));

    stRead.bSameLayout = stRead.nRecords == p_nKeyValNum;
    for (u32 i = 0; stRead.bSameLayout && i < p_nKeyValNum; ++i)
        stRead.bSameLayout = recordAt(p_strBytes, i).key == p_pKeyVal[i].key;
    if (stRead.bSameLayout) {
        for (u32 i = 0; i < p_nKeyValNum; ++i) p_pKeyVal[i].value = recordAt(p_strBytes, i).value;
        stRead.nTaken = stRead.nRecords;
        stRead.nStatus = stRead.nRecords > 0 ? SNS_SUCCESS : -1;
        return stRead;
    }

    std::vector<Slot> vecSlots(p_nKeyValNum);
    for (u32 i = 0; i < p_nKeyValNum; ++i) vecSlots[i] = Slot{p_pKeyVal[i].key, i};
    std::sort(vecSlots.begin(), vecSlots.end());
    // The next slot of each key still to be given a value, as an index into vecSlots.
    std::vector<u32> vecNext(p_nKeyValNum);
    for (u32 i = 0; i < p_nKeyValNum; ++i) vecNext[i] = i;
    // Values are applied only once the file proved readable: an unreadable one changes nothing.
    std::vector<std::pair<u32, u32>> vecTaken;  // (position, value)
    for (u32 r = 0; r < stRead.nRecords; ++r) {
        const KeyVal stRecord = recordAt(p_strBytes, r);
        auto it = std::lower_bound(vecSlots.begin(), vecSlots.end(), Slot{stRecord.key, 0});
        if (it == vecSlots.end() || it->nKey != stRecord.key) {
            ++stRead.nDropped;
            continue;
        }
        // vecNext of a key's first slot holds that key's cursor.
        u32& nCursor = vecNext[static_cast<u32>(it - vecSlots.begin())];
        if (nCursor >= p_nKeyValNum || vecSlots[nCursor].nKey != stRecord.key) {
            ++stRead.nDropped;
            continue;
        }
        vecTaken.emplace_back(vecSlots[nCursor].nPos, stRecord.value);
        ++nCursor;
    }
    stRead.nTaken = static_cast<u32>(vecTaken.size());
    if (stRead.nTaken == 0) return stRead;
    for (const auto& stTaken : vecTaken) p_pKeyVal[stTaken.first].value = stTaken.second;
    stRead.nStatus = SNS_SUCCESS;
    return stRead;
}

SchemeFileRead keyValFromFileByKey(const char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    const char* szName = printableName(file_name);
    SchemeFileRead stRead = {-1, 0, 0, 0, false};
    std::string strBytes;
    const RegularFileResult stFile = readRegularFile(file_name, SNS_SCHEME_FILE_MAX, strBytes);
    if (regularFileRefused(stFile)) SNS_REPORT_REFUSED_FILE(szName, stFile);
    if (!SNS_ASSERT_TEXT(stFile.eStatus == REGULAR_FILE_OK, "file.open(file_name)", "file_name(%s)\n", szName))
        return stRead;

    if (!SNS_ASSERT_TEXT(strBytes.size() % sizeof(KeyVal) == 0, "0 == nSize % sizeof(KeyVal)",
                         "file_name(%s) nSize(%u) sizeof(KeyVal) = %d: not whole records\n", szName,
                         static_cast<unsigned>(strBytes.size()), static_cast<int>(sizeof(KeyVal))))
        return stRead;
    stRead = keyValFromBytesByKey(strBytes, p_pKeyVal, p_nKeyValNum);
    SNS_ASSERT_TEXT(stRead.nTaken > 0, "0 < nTaken", "file_name(%s) nRecords(%u): no key of the %u in the layout\n",
                    szName, stRead.nRecords, p_nKeyValNum);
    if (stRead.nTaken > 0) {
        SNS_ASSERT_TEXT(stRead.nDropped == 0, "0 == nDropped",
                        "file_name(%s) nDropped(%u) of nRecords(%u): keys the layout does not hold\n", szName,
                        stRead.nDropped, stRead.nRecords);
        if (stRead.nTaken < p_nKeyValNum)
            SNS_WARN("file_name(%s) holds %u of the %u keys: the others keep their factory values\n", szName,
                     stRead.nTaken, p_nKeyValNum);
    }
    return stRead;
}

SchemeFileLayout schemeFileLayout(const char* file_name, const KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    std::string strBytes;
    const RegularFileResult stFile = readRegularFile(file_name, SNS_SCHEME_FILE_MAX, strBytes);
    // A link, dangling or not, is something at the path: REGULAR_FILE_NOT_REGULAR.
    if (stFile.eStatus == REGULAR_FILE_MISSING) return SCHEME_FILE_ABSENT;
    if (stFile.eStatus != REGULAR_FILE_OK || strBytes.size() != sizeof(KeyVal) * static_cast<size_t>(p_nKeyValNum) ||
        (p_pKeyVal == nullptr && p_nKeyValNum > 0))
        return SCHEME_FILE_OTHER_LAYOUT;
    for (u32 i = 0; i < p_nKeyValNum; ++i) {
        if (recordAt(strBytes, i).key != p_pKeyVal[i].key) return SCHEME_FILE_OTHER_LAYOUT;
    }
    return SCHEME_FILE_SAME_LAYOUT;
}
