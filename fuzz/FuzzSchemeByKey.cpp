// Scheme files read by key into a layout, on arbitrary layouts and file contents. The first input byte gives
// the layout's length (0 to 63 keys), the next 4 bytes per key its keys (a key may repeat), the rest is the
// file. The read must agree with a plain reference (each record, in file order, gives its value to the first
// slot of its key not yet given one; a file of no whole records or without a key of the layout changes
// nothing), never change a key, read the file from flash as from memory, and read back its own layout whole.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "SchemeFileByKey.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const u32 kMaxLayout = 64;

struct Reference {
    int nStatus;
    u32 nTaken;
    u32 nDropped;
    bool bSameLayout;
    std::vector<KeyVal> vecAfter;
};

Reference readByHand(const std::string& p_strFile, const std::vector<KeyVal>& p_vecLayout) {
    Reference stRef = {-1, 0, 0, false, p_vecLayout};
    if (p_strFile.size() % sizeof(KeyVal) != 0) return stRef;
    std::vector<KeyVal> vecFile(p_strFile.size() / sizeof(KeyVal));
    if (!vecFile.empty()) std::memcpy(vecFile.data(), p_strFile.data(), p_strFile.size());
    std::vector<bool> vecGiven(p_vecLayout.size(), false);
    std::vector<KeyVal> vecAfter = p_vecLayout;
    for (const KeyVal& stRecord : vecFile) {
        bool bTaken = false;
        for (size_t i = 0; i < vecAfter.size() && !bTaken; ++i) {
            if (vecGiven[i] || vecAfter[i].key != stRecord.key) continue;
            vecAfter[i].value = stRecord.value;
            vecGiven[i] = bTaken = true;
        }
        ++(bTaken ? stRef.nTaken : stRef.nDropped);
    }
    stRef.bSameLayout = vecFile.size() == p_vecLayout.size();
    for (size_t i = 0; stRef.bSameLayout && i < vecFile.size(); ++i)
        stRef.bSameLayout = vecFile[i].key == p_vecLayout[i].key;
    if (stRef.nTaken == 0) return stRef;
    stRef.nStatus = SNS_SUCCESS;
    stRef.vecAfter = vecAfter;
    return stRef;
}

bool sameRecords(const std::vector<KeyVal>& a, const std::vector<KeyVal>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(KeyVal)) == 0);
}

void checkAgainstReference(const std::string& p_strFile, const std::vector<KeyVal>& p_vecLayout, const char* p_szHow,
                           const SchemeFileRead& p_stRead, const std::vector<KeyVal>& p_vecAfter) {
    const Reference stRef = readByHand(p_strFile, p_vecLayout);
    const std::string strHow = p_szHow;
    FUZZ_CHECK(p_stRead.nStatus == stRef.nStatus, strHow + " status " + std::to_string(p_stRead.nStatus));
    FUZZ_CHECK(sameRecords(p_vecAfter, stRef.vecAfter), strHow + " values");
    if (stRef.nStatus != SNS_SUCCESS) return;
    FUZZ_CHECK(p_stRead.nTaken == stRef.nTaken && p_stRead.nDropped == stRef.nDropped,
               strHow + " taken " + std::to_string(p_stRead.nTaken) + " dropped " + std::to_string(p_stRead.nDropped));
    FUZZ_CHECK(p_stRead.bSameLayout == stRef.bSameLayout, strHow + " same layout");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize == 0) return 0;
    const u32 nLayout = p_pData[0] % kMaxLayout;
    if (p_nSize < 1 + 4 * static_cast<size_t>(nLayout)) return 0;
    std::vector<KeyVal> vecLayout(nLayout);
    for (u32 i = 0; i < nLayout; ++i) {
        std::memcpy(&vecLayout[i].key, p_pData + 1 + 4 * i, sizeof(u32));
        vecLayout[i].value = 0xF0000000u | i;  // the factory values: none a file can be confused with by chance
    }
    const size_t nFileStart = 1 + 4 * static_cast<size_t>(nLayout);
    const std::string strFile(reinterpret_cast<const char*>(p_pData + nFileStart), p_nSize - nFileStart);

    // Exactly the layout's records, so that ASan sees a write past them.
    std::vector<KeyVal> vecFromBytes = vecLayout;
    const SchemeFileRead stBytes = keyValFromBytesByKey(strFile, vecFromBytes.data(), nLayout);
    checkAgainstReference(strFile, vecLayout, "in memory", stBytes, vecFromBytes);
    for (u32 i = 0; i < nLayout; ++i) FUZZ_CHECK(vecFromBytes[i].key == vecLayout[i].key, "a key changed");

    fuzzsupport::writeFile(kSchemeFile, strFile);
    std::vector<KeyVal> vecFromFile = vecLayout;
    const SchemeFileRead stFile = keyValFromFileByKey(kSchemeFile, vecFromFile.data(), nLayout);
    const bool bReadable = strFile.size() <= SNS_SCHEME_FILE_MAX;
    if (bReadable) {
        checkAgainstReference(strFile, vecLayout, "from flash", stFile, vecFromFile);
    } else {
        FUZZ_CHECK(stFile.nStatus == -1 && sameRecords(vecFromFile, vecLayout), "a file too large was read");
    }
    const SchemeFileLayout eLayout = schemeFileLayout(kSchemeFile, vecLayout.data(), nLayout);
    FUZZ_CHECK((eLayout == SCHEME_FILE_SAME_LAYOUT) ==
                   (bReadable && strFile.size() % sizeof(KeyVal) == 0 && stBytes.bSameLayout),
               "layout " + std::to_string(eLayout));

    // What was read, written back in the layout, reads back whole.
    const std::string strOwn(reinterpret_cast<const char*>(vecFromBytes.data()), nLayout * sizeof(KeyVal));
    std::vector<KeyVal> vecBack = vecLayout;
    const SchemeFileRead stBack = keyValFromBytesByKey(strOwn, vecBack.data(), nLayout);
    FUZZ_CHECK(
        nLayout == 0 || (stBack.nStatus == SNS_SUCCESS && stBack.bSameLayout && sameRecords(vecBack, vecFromBytes)),
        "own layout did not read back");
    return 0;
}
