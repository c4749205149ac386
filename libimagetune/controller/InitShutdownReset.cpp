// The factory reset of a channel: apply the factory values, forget the stored schemes, start again.
#include <vector>

#include "Diagnostics.h"
#include "ISensorController.h"
#include "InitShutdownFiles.h"
#include "LifecycleLock.h"
#include "PlatformFiles.h"

namespace {

// Above this debug level the module description is read afresh, so that a changed module file is tried out.
const int DEBUG_LEVEL_REREAD_MODULE = 5;

}  // namespace

bool ISensorController::resetParameters() {
    // Held across the uinit and init inside, which see that and do not lock again.
    LifecycleLock objLock(this, m_objMutex, m_objPassMutex, __FILE__, __LINE__);
    // Nothing to reset before init or after uinit: there are no schemes and no module to start again with.
    if (!SNS_ASSERT(nullptr != m_ppUserKeyVal)) return true;
    m_nStatus.fetch_or(STATUS_RESET);

    const u32 nSchemeSum = m_stSysConf.nSchemeSum;
    SNS_ASSERT_TEXT(SNS_SUCCESS == switch_to(static_cast<int>(nSchemeSum), false),
                    "SNS_SUCCESS == switch_to(m_stSysConf.nSchemeSum)", "m_stSysConf.nSchemeSum(%d)\n",
                    static_cast<int>(nSchemeSum));
    // A start without its style or machine information has a layout of another family, or none: the files a
    // new start would write replace the user's schemes stored under the real one. The factory values take
    // effect in memory only, and the reset says it could not be made durable.
    if (!m_bLayoutFromStyle) {
        factorySchemesInMemory();
        m_nCurScheme.store(0);
        m_nStatus.fetch_and(static_cast<uint8_t>(~STATUS_RESET));
        return SNS_ASSERT_MSG(m_bLayoutFromStyle,
                              "the scheme layout is not built from a whole style: the factory values are applied, "
                              "the stored schemes are kept\n");
    }
    removeStaleSchemeFiles(m_bThermal, m_nCameraID);

    // The module as the previous init saw it; uinit may release what holds it.
    ModuleConfigure objModuleConfigure;
    objModuleConfigure.setModuleId(m_stSysConf.moduleConfig.nModuleId);
    objModuleConfigure.setDetail(m_stSysConf.moduleConfig.szDetail);
    objModuleConfigure.setParameters(m_stSysConf.moduleConfig.szParameters);

    const int nParamMode = m_nParamMode.load();
    uinit();

    if (sns_level_above(DEBUG_LEVEL_REREAD_MODULE)) {
        MachineInfo objMachineInfo;
        parseMachineInfoFile(objMachineInfo);
        std::vector<ModuleConfigure> vecModules;
        parseModuleConfigFile(objMachineInfo.getHardwareModel(), objMachineInfo.getHardwareCode(), vecModules);
        // No module listed for this hardware: keep the one in force rather than start without any.
        if (!vecModules.empty()) {
            objModuleConfigure.setModuleId(vecModules[0].getModuleId());
            objModuleConfigure.setDetail(vecModules[0].getDetail());
            objModuleConfigure.setParameters(vecModules[0].getParameters());
        }
    }

    SNS_ASSERT_MSG(init(objModuleConfigure), "\n");
    m_nCurScheme.store(0);
    m_nParamMode.store(nParamMode);
    m_nStatus.fetch_and(static_cast<uint8_t>(~STATUS_RESET));
    return true;
}
