// The serve command's options, where the page's files are, and the signals that stop the server: what the
// tool needs whether or not it was built with the web server.
#include <arpa/inet.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>

#include "SimDevice.h"
#include "SimServer.h"

const char* const SIM_SERVE_HELP =
    "usage: imagetune-sim [options] serve [--port N] [--bind ADDR] [--allow-host NAME]... [--require-token]\n"
    "                                     [--require-auth] [--onvif-credentials FILE]\n"
    "Starts the camera's channels and serves their web page, JSON API and ONVIF endpoint (/onvif/device_service)\n"
    "until Ctrl-C (SIGINT or SIGTERM).\n"
    "  --port N            the TCP port, 0 to 65535 (default 8080; 0 takes any free port and names it)\n"
    "  --bind ADDR         the numeric IPv4 or IPv6 address to listen on (default 127.0.0.1, this machine only).\n"
    "                      Any other address hands the camera to every client that reaches it: reads and\n"
    "                      writes then need the secret token that serve prints in the page's address, and\n"
    "                      plain HTTP carries that token in clear, so use it on a network you trust\n"
    "  --allow-host NAME   a host name the page may be opened by (the Host header; by default only the\n"
    "                      listening address, localhost on loopback, the machine's addresses on 0.0.0.0 or ::)\n"
    "  --require-token     ask for the token on 127.0.0.1 too\n"
    "  --require-auth      ask ONVIF clients for their WS-Security password digest on 127.0.0.1 too (always so\n"
    "                      on other addresses)\n"
    "  --onvif-credentials FILE  the ONVIF user, one line \"user:password\"; without it the user comes from\n"
    "                      IMAGETUNE_ONVIF_USER and IMAGETUNE_ONVIF_PASSWORD (never from the command line)\n"
    "Only the page's own origin may call the API, and every POST must be Content-Type: application/json.\n"
    "A request must be whole within 10 seconds; at most 256 connections are served at once.\n"
    "Open the address serve prints in a browser; README.md lists the API's routes.\n";

namespace {

const int SERVER_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

bool numericAddress(const std::string& p_strAddress) {
    unsigned char aBuf[sizeof(struct in6_addr)];
    return inet_pton(AF_INET, p_strAddress.c_str(), aBuf) == 1 || inet_pton(AF_INET6, p_strAddress.c_str(), aBuf) == 1;
}

}  // namespace

sigset_t serverSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : SERVER_SIGNALS) sigaddset(&set, nSignal);
    return set;
}

bool parseServeWords(const std::vector<std::string>& p_vecWords, SimServeOptions& p_stOptions, bool& p_bHelp,
                     std::string& p_strError) {
    p_bHelp = false;
    for (size_t i = 0; i < p_vecWords.size(); ++i) {
        const std::string& strWord = p_vecWords[i];
        if (strWord == "-h" || strWord == "--help") {
            p_bHelp = true;
            return true;
        }
        if (strWord == "--require-token" || strWord == "--require-auth") {
            (strWord == "--require-token" ? p_stOptions.bRequireToken : p_stOptions.bRequireAuth) = true;
            continue;
        }
        if (strWord != "--port" && strWord != "--bind" && strWord != "--allow-host" &&
            strWord != "--onvif-credentials") {
            p_strError = "serve takes --port N, --bind ADDR, --allow-host NAME, --require-token, --require-auth and "
                         "--onvif-credentials FILE, not " +
                         strWord + " (see serve --help)";
            return false;
        }
        if (i + 1 >= p_vecWords.size()) {
            p_strError = "serve " + strWord + " needs a value";
            return false;
        }
        const std::string& strValue = p_vecWords[++i];
        if (strWord == "--port") {
            bool bDigits = !strValue.empty() && strValue.size() <= 5 &&
                           strValue.find_first_not_of("0123456789") == std::string::npos;
            if (!bDigits || atoi(strValue.c_str()) > 65535) {
                p_strError = "serve --port " + strValue + ": expected a port from 0 to 65535";
                return false;
            }
            p_stOptions.nPort = atoi(strValue.c_str());
        } else if (strWord == "--onvif-credentials") {
            p_stOptions.strOnvifCredentials = strValue;
        } else if (strWord == "--allow-host") {
            // A name as a Host header gives it: letters, digits, dots, dashes, or a bracketed IPv6 address.
            if (strValue.empty() || strValue.size() > 253 ||
                strValue.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-[]:") !=
                    std::string::npos) {
                p_strError = "serve --allow-host " + strValue + ": expected a host name or address";
                return false;
            }
            p_stOptions.vecAllowHosts.push_back(strValue);
        } else {
            if (!numericAddress(strValue)) {
                p_strError = "serve --bind " + strValue + ": expected a numeric IPv4 or IPv6 address";
                return false;
            }
            p_stOptions.strBind = strValue;
        }
    }
    return true;
}

std::string findWebDir() {
#ifdef IMAGETUNE_SIM_SOURCE_WEB
    const char* szSource = IMAGETUNE_SIM_SOURCE_WEB;
#else
    const char* szSource = "";
#endif
    return findDataDir("web", szSource, {"index.html", "app.js", "style.css"});
}

void blockServerSignals() {
    sigset_t set = serverSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A client that goes away while its answer is written must not end the server.
    signal(SIGPIPE, SIG_IGN);
}
