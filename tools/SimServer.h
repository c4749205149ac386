// "imagetune-sim serve": the simulated camera behind a small web server. It serves the page (static HTML, CSS
// and JavaScript installed with the tool) and the JSON API under /api/ (SimApi.h) that the page uses.
#ifndef IMAGETUNE_TOOLS_SIMSERVER_H
#define IMAGETUNE_TOOLS_SIMSERVER_H

#include <signal.h>

#include <string>
#include <vector>

#include "SimCamera.h"
#include "SimOutput.h"

struct SimServeOptions {
    std::string strBind = "127.0.0.1";
    int nPort = 8080;                        // 0: any free port (the banner names it)
    bool bRequireToken = false;              // always so on an address other than loopback
    std::vector<std::string> vecAllowHosts;  // more names that the Host header may give
    bool bRequireAuth = false;               // ONVIF asks for WS-Security on loopback too
    std::string strOnvifCredentials;         // the file of the ONVIF user ("" : the environment's)
};

// The bounds on clients: a request must be whole within SERVE_REQUEST_SECONDS of its connection's start or of the
// previous answer on it (and no connection stays silent longer); more connections at once are refused.
const unsigned SERVE_REQUEST_SECONDS = 10;
const unsigned SERVE_MAX_CONNECTIONS = 256;

extern const char* const SIM_SERVE_HELP;

// The words after "serve": [--port N] [--bind ADDR] [--allow-host NAME]... [--require-token] [--require-auth]
// [--onvif-credentials FILE]. A -h or --help gives p_bHelp.
bool parseServeWords(const std::vector<std::string>& p_vecWords, SimServeOptions& p_stOptions, bool& p_bHelp,
                     std::string& p_strError);

// The folder of the page's files: share/imagetune/web next to the installed program, the web folder the
// build copies next to it, or the source tree's; "" when none holds index.html.
std::string findWebDir();

// SIGINT, SIGTERM and SIGHUP.
sigset_t serverSignals();
// Blocks the signals that end the server in every thread to come; the server waits for them itself. Call it
// before the camera starts its threads.
void blockServerSignals();

// Serves the started camera until SIGINT or SIGTERM. False with p_strError when the page cannot be read, the
// address cannot be bound, or the tool was built without the web server (SimServerMissing.cpp).
bool serveCamera(SimCamera& p_objCamera, SimOutput& p_objOut, bool p_bVerbose, const SimServeOptions& p_stOptions,
                 const std::string& p_strWebDir, std::string& p_strError);

#endif
