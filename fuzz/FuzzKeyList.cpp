// The key-list text "(34,2337)" of getParameters and the check command "(a,b,c)" of SensorCheck, on a
// controller holding a small scheme and on one that was never initialised. getParameters must answer exactly
// the listed keys in order, from the cache, the infrared rule or the IA library; SensorCheck must refuse what
// is not three fields and leave the text alone unless it reads a result back.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ControllerTestAccess.h"
#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IaSimControl.h"
#include "ia_ctrl.h"

namespace {

const std::vector<KeyVal> kScheme = {{8000, 0}, {8001, 0},  {8002, 0}, {8003, 24}, {8004, 0},
                                     {34, 50},  {2337, 60}, {161, 2},  {49, 25},   {34, 99}};
const int kUncachedIrKeys[] = {160, 161, 163, 165, 167};

ISensorController* g_pInstalled = nullptr;
ISensorController* g_pBlank = nullptr;

// The key list as the format defines it: "(" at 0, the first ")" last, at least three characters, fields
// between them separated by ",".
bool referenceFields(const std::string& s, std::vector<std::string>& p_vec) {
    p_vec.clear();
    if (s.size() < 3 || s[0] != '(' || s.find(')') != s.size() - 1) return false;
    std::string strInner = s.substr(1, s.size() - 2);
    size_t nStart = 0;
    for (;;) {
        size_t nComma = strInner.find(',', nStart);
        p_vec.push_back(strInner.substr(nStart, nComma == std::string::npos ? std::string::npos : nComma - nStart));
        if (nComma == std::string::npos) break;
        nStart = nComma + 1;
    }
    return true;
}

// What getParameter answers for a key of the installed controller.
int expectedValue(int p_nKey) {
    for (const KeyVal& kv : kScheme) {
        if (kv.key == static_cast<u32>(p_nKey)) return static_cast<int>(kv.value);
    }
    for (int nIr : kUncachedIrKeys) {
        if (nIr == p_nKey) return -1;
    }
    // The first 32 bits of what the IA library answers, whatever record the command has.
    union {
        u32 nValue;
        unsigned char aBytes[4096];
    } uAnswer;
    std::memset(&uAnswer, 0, sizeof(uAnswer));
    ia_ioctrl_v2(0, static_cast<ia_cmd_e>(p_nKey), IA_CMD_OPT_GET, &uAnswer);
    return static_cast<int>(uAnswer.nValue);
}

void checkGetParameters(const std::string& p_strText) {
    std::vector<std::string> vecFields;
    const bool bList = referenceFields(p_strText, vecFields);
    std::string strOut = "untouched";
    const bool bOk = g_pInstalled->getParameters(p_strText, strOut);
    FUZZ_CHECK(bOk == bList, p_strText.substr(0, 200));
    if (!bList) {
        FUZZ_CHECK(strOut == "untouched", "a refused list changed the answer");
        return;
    }
    std::string strWanted;
    for (const std::string& strField : vecFields) {
        const int nKey = std::atoi(strField.c_str());
        strWanted += "(" + std::to_string(nKey) + "," + std::to_string(expectedValue(nKey)) + ")";
    }
    FUZZ_CHECK(strOut == strWanted, "got " + strOut.substr(0, 200) + "\nwanted " + strWanted.substr(0, 200));

    // Before init there is no cache: every key is asked of the IA library (or is an infrared key).
    std::string strBlank;
    FUZZ_CHECK(g_pBlank->getParameters(p_strText, strBlank), "blank controller refused a list");
}

void checkSensorCheck(const std::string& p_strText) {
    std::vector<std::string> vecFields;
    const bool bCommand = referenceFields(p_strText, vecFields) && vecFields.size() >= 3;
    for (ISensorController* c : {g_pInstalled, g_pBlank}) {
        std::string strText = p_strText;
        const int nRet = c->SensorCheck(strText);
        if (!bCommand) {
            FUZZ_CHECK(nRet == 0 && strText == p_strText, "a refused command acted");
            continue;
        }
        FUZZ_CHECK(nRet == 0, "the IA library refused a check command");
        if (std::atoi(vecFields[1].c_str()) != 2) {
            FUZZ_CHECK(strText == p_strText, "a set command changed its text");
        } else {
            char* pEnd = nullptr;
            long nResult = std::strtol(strText.c_str(), &pEnd, 10);
            FUZZ_CHECK(!strText.empty() && *pEnd == '\0' && nResult >= INT_MIN && nResult <= INT_MAX,
                       "read-back text " + strText);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::setUp();
    iasim::reset();
    iasim::setLogging(false);
    g_pInstalled = new ISensorController();
    g_pInstalled->setChannelID(1);
    ISensorControllerTestAccess::install(*g_pInstalled, 4, kScheme);
    g_pBlank = new ISensorController();
    g_pBlank->setChannelID(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strText(reinterpret_cast<const char*>(p_pData), p_nSize);
    checkGetParameters(strText);
    checkSensorCheck(strText);
    return 0;
}
