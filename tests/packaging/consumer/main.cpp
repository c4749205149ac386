// Uses the installed headers and libraries the way a camera application would, with the workstation's
// stand-ins in place of the camera's libraries.
#include <imagetune/ISensorController.h>
#include <imagetune/ImagetuneVersion.h>
#include <imagetune/SensorKeyVal.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "IaSimControl.h"
#include "ia_ctrl.h"

int main() {
    KeyVal records[2] = {{34, 50}, {2337, 128}};
    std::string text;
    keyval_st2str(text, records, 2);
    iasim::setValue(0, 34, 77);
    int value = 0;
    int rc = ia_ioctrl_v2(0, 34, IA_CMD_OPT_GET, &value);
    ISensorController controller;
    std::printf("%s %d %d %d\n", text.c_str(), rc, value, controller.getSensorStatus() ? 1 : 0);
    if (text != "(34,50)(2337,128)" || rc != 0 || value != 77) return 1;
    // The loaded library is the one these headers describe.
    int major = -1, minor = -1, patch = -1;
    const char* loaded = imagetuneVersion(&major, &minor, &patch);
    std::printf("libimagetune %s\n", loaded);
    if (std::strcmp(loaded, IMAGETUNE_VERSION_STRING) != 0 || major != IMAGETUNE_VERSION_MAJOR ||
        minor != IMAGETUNE_VERSION_MINOR || patch != IMAGETUNE_VERSION_PATCH)
        return 1;
    std::printf("consumer ok\n");
    return 0;
}
