// The command line's session: the camera's start and stop, and the dispatch of commands to the command groups
// (SimParamCommands.cpp, SimSchemeCommands.cpp, SimWorldCommands.cpp, SimFileCommands.cpp).
#include "SimSession.h"

#include "IaSimControl.h"

const SimSession::HandlerRow SimSession::HANDLERS[] = {
    {"set", &SimSession::cmdSet},
    {"get", &SimSession::cmdGet},
    {"all", &SimSession::cmdAll},
    {"range", &SimSession::cmdRange},
    {"keys", &SimSession::cmdKeys},
    {"scheme", &SimSession::cmdScheme},
    {"mode", &SimSession::cmdMode},
    {"flush", &SimSession::cmdFlush},
    {"restore", &SimSession::cmdRestore},
    {"reset", &SimSession::cmdReset},
    {"state", &SimSession::cmdState},
    {"schedule", &SimSession::cmdSchedule},
    {"style", &SimSession::cmdStyle},
    {"dn", &SimSession::cmdDayNight},
    {"clock", &SimSession::cmdClock},
    {"run", &SimSession::cmdRun},
    {"ia-log", &SimSession::cmdIaLog},
    {"show-scheme", &SimSession::cmdShowScheme},
    {"diff-scheme", &SimSession::cmdDiffScheme},
    {"channel", &SimSession::cmdChannel},
};

SimSession::SimSession(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut)
    : m_objOut(p_objOut), m_objCamera(p_nChannels, p_bVerbose, p_objOut), m_nChannel(1), m_nIaLogFrom(0) {}

SimSession::~SimSession() {
    stop();
}

bool SimSession::start(const std::string& p_strDetail, std::string& p_strError) {
    if (!m_objCamera.start(p_strDetail, p_strError)) return false;
    m_nChannel = 1;
    m_nIaLogFrom = iasim::calls().size();
    return true;
}

void SimSession::stop() {
    m_objCamera.stop();
}

void SimSession::printPairs(const std::vector<KeyVal>& p_vecPairs, const char* p_szIndent) {
    for (const KeyVal& kv : p_vecPairs) {
        m_objOut.data("%s%5u %-28s = %d", p_szIndent, kv.key, keyName(kv.key).c_str(), static_cast<int>(kv.value));
    }
}

SimRunResult SimSession::run(const SimCommand& p_stCommand, std::string& p_strError) {
    std::string strLine = p_stCommand.strName;
    for (const std::string& s : p_stCommand.vecArgs) strLine += " " + s;
    for (const std::string& s : p_stCommand.vecFlags) strLine += " " + s;
    m_objOut.note("> %s", strLine.c_str());
    m_bRefused = false;
    m_objDetail = SimJson::object();
    m_objOut.beginCommand(p_stCommand.strName);
    bool bOk = false;
    bool bFound = false;
    for (const HandlerRow& row : HANDLERS) {
        if (p_stCommand.strName != row.szName) continue;
        bFound = true;
        bOk = (this->*row.pfnRun)(p_stCommand, p_strError);
        break;
    }
    if (!bFound) refuse(p_strError, "unknown command " + p_stCommand.strName);
    if (m_objOut.json() && (!bOk || !m_objOut.documented())) {
        SimJson objDoc = {{"command", p_stCommand.strName}, {"ok", bOk}, {"channel", m_nChannel}};
        objDoc.update(m_objDetail);
        if (!bOk) objDoc["error"] = p_strError;
        m_objOut.document(objDoc);
    }
    m_objOut.endCommand();
    m_objOut.flush();
    if (bOk) return SIM_RUN_DONE;
    return m_bRefused ? SIM_RUN_REFUSED : SIM_RUN_FAILED;
}
