// The field-of-view file read by sync_fov. The first input byte chooses the channel (1 to 16) and whether it
// has a lens; the rest is the file. The zoom sent to the IA library must be the one the file's lines give for
// the channel ("zoom<N>", an "=" after it and a "," after that, the number after the "="; later lines
// overwrite until both zoom and focus are positive), and nothing is sent when there is none or no lens.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "ControllerTestAccess.h"
#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IaSimControl.h"

namespace {

const char* const kFovFile = "/mnt/mtd/hd1/program/config/sync_fov.ini";
const int kZoomCmd = 1568;
const u32 kUntouched = 0x5EED;

std::vector<std::string> linesOf(const std::string& p_strFile) {
    std::vector<std::string> vec;
    size_t nStart = 0;
    while (nStart < p_strFile.size()) {
        size_t nEnd = p_strFile.find('\n', nStart);
        std::string strLine = p_strFile.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        vec.push_back(strLine);
        if (nEnd == std::string::npos) break;
        nStart = nEnd + 1;
    }
    return vec;
}

// A number that does not fit an int leaves the value as it was.
void referenceEntry(const std::string& p_strLine, const std::string& p_strTag, int& p_nVal) {
    size_t nTag = p_strLine.find(p_strTag);
    if (nTag == std::string::npos) return;
    size_t nEq = p_strLine.find('=', nTag + p_strTag.size());
    if (nEq == std::string::npos || p_strLine.find(',', nEq + 1) == std::string::npos) return;
    errno = 0;
    long long nVal = std::strtoll(p_strLine.c_str() + nEq + 1, nullptr, 10);
    if (errno != ERANGE && nVal >= INT_MIN && nVal <= INT_MAX) p_nVal = static_cast<int>(nVal);
}

int referenceZoom(const std::string& p_strFile, int p_nChannel) {
    int nZoom = -1, nFocus = -1;
    for (const std::string& strLine : linesOf(p_strFile)) {
        referenceEntry(strLine, "zoom" + std::to_string(p_nChannel), nZoom);
        referenceEntry(strLine, "focus" + std::to_string(p_nChannel), nFocus);
        if (nZoom > 0 && nFocus > 0) break;
    }
    return nZoom;
}

ISensorController* g_apControllers[16];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::setUp();
    iasim::reset();
    iasim::setLogging(false);
    for (int i = 0; i < 16; ++i) {
        g_apControllers[i] = new ISensorController();
        g_apControllers[i]->setChannelID(i + 1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize == 0) return 0;
    const int nChannel = (p_pData[0] & 0x0F) + 1;
    const bool bLens = (p_pData[0] & 0x10) == 0;
    const std::string strFile(reinterpret_cast<const char*>(p_pData + 1), p_nSize - 1);
    if (p_pData[0] & 0x20) {
        fuzzsupport::removeFile(kFovFile);  // a missing file: nothing to apply
    } else {
        fuzzsupport::writeFile(kFovFile, strFile);
    }

    ISensorController& c = *g_apControllers[nChannel - 1];
    ISensorControllerTestAccess::setHasLens(c, bLens);
    const int nIaChannel = nChannel - 1;
    if (nIaChannel < iasim::kChannelCount) iasim::setValue(nIaChannel, kZoomCmd, kUntouched);
    FUZZ_CHECK(ISensorControllerTestAccess::syncFov(c), "sync_fov returned false");
    if (nIaChannel >= iasim::kChannelCount) return 0;  // the IA library has no such channel

    const int nZoom = (p_pData[0] & 0x20) ? -1 : referenceZoom(strFile, nChannel);
    const u32 nWanted = nZoom > 0 && bLens ? static_cast<u32>(nZoom) : kUntouched;
    FUZZ_CHECK(iasim::value(nIaChannel, kZoomCmd) == nWanted, "channel " + std::to_string(nChannel) + " zoom " +
                                                                  std::to_string(iasim::value(nIaChannel, kZoomCmd)) +
                                                                  " wanted " + std::to_string(nWanted));
    return 0;
}
