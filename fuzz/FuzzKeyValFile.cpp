// keyValFromFile, getVersion, loadFromFile and getFileLen on arbitrary file contents. The first input byte
// chooses how many records are asked for (0 to 255); the rest is the file. A scheme file must give its whole
// records in place and leave the rest of the array as it was, succeeding only when it held them all; the
// version only changes when the file holds 4 bytes or more; a shorter file fails to load.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "SensorFile.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const u32 kUntouched = 0xA5A5A5A5u;

void checkSchemeRead(const std::string& p_strFile, u32 p_nWanted) {
    // Exactly the records asked for, so that ASan sees a read past them.
    std::vector<KeyVal> vecArray(p_nWanted, KeyVal{kUntouched, kUntouched});
    char szName[64];
    std::strcpy(szName, kSchemeFile);
    const int nRet = keyValFromFile(szName, vecArray.data(), p_nWanted);

    const size_t nWhole = std::min<size_t>(p_strFile.size() / sizeof(KeyVal), p_nWanted);
    FUZZ_CHECK((nRet == SNS_SUCCESS) == (nWhole == p_nWanted), "result " + std::to_string(nRet));
    for (size_t i = 0; i < p_nWanted; ++i) {
        KeyVal stWanted = {kUntouched, kUntouched};
        if (i < nWhole) std::memcpy(&stWanted, p_strFile.data() + i * sizeof(KeyVal), sizeof(KeyVal));
        FUZZ_CHECK(vecArray[i].key == stWanted.key && vecArray[i].value == stWanted.value,
                   "record " + std::to_string(i) + " of " + std::to_string(p_nWanted));
    }
}

void checkVersionRead(const std::string& p_strFile) {
    fuzzsupport::writeFile(SNS_VERSION_FILE, p_strFile);
    u32 nVersion = kUntouched;
    const int nRet = getVersion(&nVersion);
    if (p_strFile.size() < sizeof(u32)) {
        FUZZ_CHECK(nRet == -1 && nVersion == kUntouched, "a short version file was taken");
    } else {
        u32 nWanted = 0;
        std::memcpy(&nWanted, p_strFile.data(), sizeof(nWanted));
        FUZZ_CHECK(nRet == 0 && nVersion == nWanted, "version " + std::to_string(nVersion));
    }
}

void checkWholeFileRead(const std::string& p_strFile) {
    const INT64 nLen = getFileLen(kSchemeFile);
    FUZZ_CHECK(nLen == static_cast<INT64>(p_strFile.size()), "length " + std::to_string(nLen));
    // One byte more than the file holds fails; the file's own length gives the file.
    std::vector<char> vecBuf(p_strFile.size() + 1, '\x5A');
    FUZZ_CHECK(loadFromFile(kSchemeFile, vecBuf.data(), nLen + 1) == -1, "read past the end succeeded");
    FUZZ_CHECK(loadFromFile(kSchemeFile, vecBuf.data(), nLen) == static_cast<int>(nLen), "whole file");
    FUZZ_CHECK(
        std::memcmp(vecBuf.data(), p_strFile.data(), p_strFile.size()) == 0 && vecBuf[p_strFile.size()] == '\x5A',
        "loaded bytes differ");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize == 0) return 0;
    const u32 nWanted = p_pData[0];
    const std::string strFile(reinterpret_cast<const char*>(p_pData + 1), p_nSize - 1);
    fuzzsupport::writeFile(kSchemeFile, strFile);
    checkSchemeRead(strFile, nWanted);
    checkWholeFileRead(strFile);
    checkVersionRead(strFile);
    return 0;
}
