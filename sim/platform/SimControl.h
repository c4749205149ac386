// Test control of the simulated platform clock.
#ifndef IMAGETUNE_SIM_SIMCONTROL_H
#define IMAGETUNE_SIM_SIMCONTROL_H

namespace qxsim {

// From now on QxDeviceTime::getCurrentTime reports this local time (the date stays today's).
void setLocalTime(int hour, int minute);
// QxDeviceTime::getCurrentTime follows the real clock again.
void useRealTime();
// A QuorixTime::wait of d lasts d * scale; 0 returns at once. The default scale is 1.
void setWaitScale(double scale);
double getWaitScale();

}  // namespace qxsim

#endif
