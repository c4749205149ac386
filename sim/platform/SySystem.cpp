// sy_system: /bin/sh -c with a time limit, its absolute paths moved under the device root.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "DeviceRoot.h"
#include "sy_system.h"

extern char** environ;

namespace {

// A root is put into the command as it is, so it may hold nothing the shell would read as syntax.
bool shellSafe(const std::string& p_strRoot) {
    for (char c : p_strRoot) {
        bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::strchr("/._+-@%:,=", c) != nullptr;
        if (!bPlain) return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Puts p_strRoot before every absolute path in argument or redirection position.
std::string rootCommand(const std::string& p_strCmd, const std::string& p_strRoot) {
    enum Quote { NONE, SINGLE, DOUBLE } eQuote = NONE;
    bool bCommandPos = true;  // the next word names a command
    bool bRedirect = false;   // the next word is a redirection target
    bool bInWord = false;
    bool bWordIsCommand = false;
    std::string strOut;
    auto endWord = [&] {
        if (bInWord && bWordIsCommand) bCommandPos = false;
        bInWord = false;
    };
    // Mapped already, or a device node such as /dev/null: leave it.
    auto keepAsIs = [&](size_t p_nAt) {
        bool bRooted = p_strCmd.compare(p_nAt, p_strRoot.size(), p_strRoot) == 0 &&
                       (p_nAt + p_strRoot.size() == p_strCmd.size() || p_strCmd[p_nAt + p_strRoot.size()] == '/');
        return bRooted || p_strCmd.compare(p_nAt, 5, "/dev/") == 0;
    };
    for (size_t i = 0; i < p_strCmd.size(); ++i) {
        char c = p_strCmd[i];
        if (eQuote == SINGLE) {
            strOut += c;
            if (c == '\'') eQuote = NONE;
            continue;
        }
        if (eQuote == DOUBLE) {
            strOut += c;
            if (c == '\\' && i + 1 < p_strCmd.size()) {
                strOut += p_strCmd[++i];
            } else if (c == '"') {
                eQuote = NONE;
            }
            continue;
        }
        if (isBlank(c)) {
            endWord();
            strOut += c;
            continue;
        }
        if (c == '<' || c == '>') {
            endWord();
            bRedirect = true;
            strOut += c;
            continue;
        }
        if (c == '&' && i > 0 && (p_strCmd[i - 1] == '>' || p_strCmd[i - 1] == '<')) {
            strOut += c;  // ">&2": still the redirection
            continue;
        }
        if (std::strchr(";|&()`\n", c) != nullptr) {
            endWord();
            bCommandPos = true;
            bRedirect = false;
            strOut += c;
            continue;
        }
        if (!bInWord) {
            bInWord = true;
            bWordIsCommand = bCommandPos && !bRedirect;
            bRedirect = false;
            if (!bWordIsCommand) {
                bool bQuoted = (c == '\'' || c == '"') && i + 1 < p_strCmd.size() && p_strCmd[i + 1] == '/';
                size_t nPath = bQuoted ? i + 1 : i;
                if ((c == '/' || bQuoted) && !keepAsIs(nPath)) {
                    if (bQuoted) {
                        strOut += c;
                        eQuote = c == '\'' ? SINGLE : DOUBLE;
                        strOut += p_strRoot;
                        continue;
                    }
                    strOut += p_strRoot;
                }
            }
        }
        if (c == '\'') eQuote = SINGLE;
        if (c == '"') eQuote = DOUBLE;
        strOut += c;
        if (c == '\\' && i + 1 < p_strCmd.size()) strOut += p_strCmd[++i];
    }
    return strOut;
}

// The root as a prefix: "" when no root is set.
std::string deviceRootPrefix() {
    std::string strMapped = qx_device_path("/");
    return strMapped == "/" ? std::string() : strMapped.substr(0, strMapped.size() - 1);
}

int waitWithLimit(pid_t p_pid, int p_nTimeoutSec) {
    int nStatus = 0;
    if (p_nTimeoutSec <= 0) {
        while (::waitpid(p_pid, &nStatus, 0) < 0) {
            if (errno != EINTR) return -1;
        }
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }
    auto tDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(p_nTimeoutSec);
    long nPauseUs = 1000;
    for (;;) {
        pid_t nDone = ::waitpid(p_pid, &nStatus, WNOHANG);
        if (nDone == p_pid) return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        if (nDone < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() >= tDeadline) {
            ::kill(-p_pid, SIGKILL);
            ::waitpid(p_pid, &nStatus, 0);
            return -1;
        }
        struct timespec ts = {0, nPauseUs * 1000};
        ::nanosleep(&ts, nullptr);
        if (nPauseUs < 20000) nPauseUs *= 2;
    }
}

}  // namespace

int sy_system(const char* p_szCommand, int p_nTimeoutSec) {
    if (p_szCommand == nullptr) return -1;
    std::string strCmd = p_szCommand;
    std::string strRoot = deviceRootPrefix();
    if (!strRoot.empty()) {
        if (!shellSafe(strRoot)) return -1;
        strCmd = rootCommand(strCmd, strRoot);
    }

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);  // its own group, so a timeout kills it all
    posix_spawnattr_setpgroup(&attr, 0);
    char szSh[] = "sh";
    char szDashC[] = "-c";
    char* argv[] = {szSh, szDashC, &strCmd[0], nullptr};
    pid_t pid = 0;
    int nErr = ::posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    if (nErr != 0) return -1;
    return waitWithLimit(pid, p_nTimeoutSec);
}
