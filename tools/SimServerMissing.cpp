// serve in a build without libmicrohttpd for its target (a cross build without libmicrohttpd-dev:ARCH).
#include "SimServer.h"

bool serveCamera(SimCamera&, SimOutput&, bool, const SimServeOptions&, const std::string&, std::string& p_strError) {
    p_strError = "serve: this imagetune-sim was built without the web server (libmicrohttpd-dev was not found)";
    return false;
}
