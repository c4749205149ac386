// The process-wide display flags that shape every channel's UI style.
#include "sensor.h"

std::atomic<bool> g_bShoWBeawayFalg(true);
std::atomic<bool> g_bShoWFisheyeRotateFlag(true);

void setshowBeawayFalg(bool p_bShow) {
    g_bShoWBeawayFalg.store(p_bShow);
}

bool getshowBeawayFalg() {
    return g_bShoWBeawayFalg.load();
}

void setshowFisheyeRotateFlag(bool p_bShow) {
    g_bShoWFisheyeRotateFlag.store(p_bShow);
}
