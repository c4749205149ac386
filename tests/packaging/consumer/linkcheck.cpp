// A camera application linked on a workstation without the vendor's SDK: the contract-only platform stand-in
// resolves what libimagetune.so calls, so the link shows that nothing beyond the contract is needed.
#include <imagetune/ImagetuneVersion.h>

#include "ModuleConfigure.h"

int cameraStart(const ModuleConfigure& p_objModule);

int main() {
    ModuleConfigure objModule;
    return imagetuneVersion(nullptr, nullptr, nullptr) != nullptr ? cameraStart(objModule) : 1;
}
