// Uses the installed headers and libraries the way a camera application would.
#include <imagetune/ISensorController.h>
#include <imagetune/SensorKeyVal.h>
#include <imagetune/ia_ctrl.h>

#include <cstdio>
#include <string>

int main() {
    KeyVal records[2] = {{34, 50}, {2337, 128}};
    std::string text;
    keyval_st2str(text, records, 2);
    int value = 0;
    int rc = ia_ioctrl_v2(0, 34, IA_CMD_OPT_GET, &value);
    ISensorController controller;
    std::printf("%s %d %d\n", text.c_str(), rc, controller.getSensorStatus() ? 1 : 0);
    if (text != "(34,50)(2337,128)" || rc != 0) return 1;
    std::printf("consumer ok\n");
    return 0;
}
