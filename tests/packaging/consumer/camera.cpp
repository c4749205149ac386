// A camera application's view of the package: the product and contract headers, and nothing of the stand-ins.
#include <imagetune/ISensorController.h>

#include "ia_ctrl.h"

#if __has_include("SimControl.h") || __has_include("IaSimControl.h")
#error "the stand-ins' control headers are on a camera build's include path"
#endif

int cameraStart(const ModuleConfigure& p_objModule) {
    ISensorController objSensor;
    objSensor.setChannelID(1);
    return objSensor.init(p_objModule) ? 0 : IA_CMD_OPT_SET;
}
