// Provisional body of the background thread, so that the controller links; the sensor thread replaces it.
#include "ISensorController.h"

int ISensorController::sensorThread() {
    return 0;
}
