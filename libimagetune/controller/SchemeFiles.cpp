// Schemes and their files: saving the current scheme, re-applying stored values, and undoing the changes
// made since the last save.
#include <string.h>

#include "ControllerLock.h"
#include "Diagnostics.h"
#include "ISensorController.h"
#include "InitShutdownFiles.h"
#include "SchemeFileByKey.h"
#include "SensorFile.h"
#include "VersionFile.h"

namespace {

const int KEY_AUTO_FOCUS_MODE = 1536;
const int KEY_EXPOSE_MODE = 16;

}  // namespace

int ISensorController::flush() {
    CONTROLLER_LOCK_SCOPE();
    const u32 nCur = static_cast<u32>(m_nCurScheme.load());
    // A channel without any user scheme (a "max_scheme" of 0 or no number) can save nothing: saying so.
    if (!SNS_ASSERT_MSG(m_ppUserKeyVal == nullptr || m_stSysConf.nSchemeSum > 0,
                        "the channel has no user scheme to save, nSchemeSum(%u)\n", m_stSysConf.nSchemeSum))
        return -1;
    // The factory scheme has no file, and before the first switch there is nothing to save.
    if (m_ppUserKeyVal == nullptr || nCur >= m_stSysConf.nSchemeSum) return 0;
    int nRet = paramCheck();
    if (nRet != 0) return nRet;
    // A scheme saved beside a missing or other version would be removed as stale at the next start: the
    // version file must be in place first. Checked quietly: an ordinary save prints nothing of its own.
    if (!storedVersionIs(m_nVersion)) {
        if (!SNS_ASSERT_MSG(SNS_SUCCESS == setVersion(m_nVersion), "m_nVersion(%u)\n", m_nVersion)) return -1;
    }
    std::string strName = schemeFileName(m_bThermal, m_nCameraID, static_cast<int>(nCur));
    if (!mayReplaceSchemeFile(strName.c_str())) return -1;
    return keyValToFile(&strName[0], m_ppUserKeyVal[nCur], m_nKeyValSum);
}

bool ISensorController::mayReplaceSchemeFile(const char* p_szFile) {
    if (m_bLayoutFromStyle) return true;
    // A start without its style or machine information has a layout of another family, or none: the user's
    // schemes stored under the real one are kept for the next start that has it.
    return SNS_ASSERT_MSG(
        m_nKeyValSum > 0 && schemeFileLayout(p_szFile, m_pFctKeyVal, m_nKeyValSum) != SCHEME_FILE_OTHER_LAYOUT,
        "file_name(%s): the layout of %u keys is not built from a whole style, and the stored "
        "scheme is of another layout: not replaced\n",
        p_szFile, static_cast<unsigned>(m_nKeyValSum));
}

int ISensorController::restore(int nKey) {
    CONTROLLER_LOCK_SCOPE();
    const int nCur = m_nCurScheme.load();
    int nPos = -1;
    if (m_ppUserKeyVal != nullptr && nCur >= 0 && static_cast<u32>(nCur) <= m_stSysConf.nSchemeSum) {
        for (u32 i = 0; i < m_nKeyValSum; ++i) {
            if (m_ppUserKeyVal[nCur][i].key == static_cast<u32>(nKey)) {
                nPos = static_cast<int>(i);
                break;
            }
        }
    }
    if (!SNS_ASSERT_MSG(-1 != nPos, "restore key(%d) failed! make sure it is sensor ui key \n", nKey)) return -1;
    return setParameters(&m_ppUserKeyVal[nCur][nPos], 1, false);
}

bool ISensorController::restoreAeMode() {
    if (m_bHasLens && restore(KEY_AUTO_FOCUS_MODE) != 0) return false;
    if (m_bThermal) return true;
    return restore(KEY_EXPOSE_MODE) == 0;
}

bool ISensorController::resetToLastParameters() {
    // The lock first: the scheme count and the arrays are init's, and uinit may be releasing them.
    CONTROLLER_LOCK_SCOPE();
    const u32 nCur = static_cast<u32>(m_nCurScheme.load());
    if (m_ppUserKeyVal == nullptr || m_pstKeyValTmp == nullptr || nCur >= m_stSysConf.nSchemeSum) return true;
    std::string strName = schemeFileName(m_bThermal, m_nCameraID, static_cast<int>(nCur));
    char* szTmp = &strName[0];
    m_nStatus.fetch_or(STATUS_RESTORE);
    bool bDone = false;
    // Read by key, a key the file lacks as init loaded it, with its factory value. A file that counts as
    // unreadable holds no saved scheme: applying what came of it would corrupt the values in force.
    memcpy(m_pstKeyValTmp, m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
    if (SNS_ASSERT_TEXT(SNS_SUCCESS == keyValFromFileByKey(szTmp, m_pstKeyValTmp, m_nKeyValSum).nStatus,
                        "SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum)",
                        "szTmp(%s), m_nKeyValSum(%d)\n", szTmp, static_cast<int>(m_nKeyValSum))) {
        bDone = setParameters(m_pstKeyValTmp, m_nKeyValSum, true) == SNS_SUCCESS;
    }
    m_nStatus.fetch_and(static_cast<uint8_t>(~STATUS_RESTORE));
    return bDone;
}
