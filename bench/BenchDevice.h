// A simulated box camera for the benchmarks: the repository's box fixture (style, style diversity, machine
// and module descriptions) under a private device root on a RAM disk where there is one, the IA simulator
// with its call log off, and a video module that is never busy.
#ifndef IMAGETUNE_BENCH_BENCHDEVICE_H
#define IMAGETUNE_BENCH_BENCHDEVICE_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "ModuleConfigure.h"
#include "VideoStreamModule.h"

namespace benchdevice {

class IdleVideoModule : public VideoStreamModule {
public:
    int notifySensorParam(int, int, int) const override { return 0; }
    int isBusy() const override { return 0; }
    int getFisheyeRotate(int, int* p_pnValue) const override {
        if (p_pnValue != nullptr) *p_pnValue = 0;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>&) const override { return 0; }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) const override { return 0; }
};

// Creates the root and seeds it once per process (later calls do nothing); standard output is silenced,
// since the library prints a line per write. Waits of the sensor thread return at once.
void setUp();
std::string hostPath(const std::string& p_strDevicePath);
std::string readDeviceFile(const std::string& p_strDevicePath);
// The box fixture's texts as the device holds them.
std::string styleText();
std::string diversityText();

// Removes the scheme and version files: the next init starts on a blank flash.
void blankFlash();
// The module record of the box camera's sensor.
ModuleConfigure boxModule();

// A controller of channel 1, initialised on the device as it is; its thread then paces its passes a second
// apart. stopController shuts it down (uinit) without waiting for the pass under way.
std::unique_ptr<ISensorController> startController(const IdleVideoModule& p_objVideo);
void stopController(ISensorController& c);

// What one forced switch to scheme 0 of a started controller must do: the IA calls it makes, as the
// simulator logged them, and the number of keys it dispatches through a handler (each names its key in one
// statement, and so costs one existence check of the debug settings file).
struct IaCallRecord {
    int nCmd;
    int nOpt;
    std::vector<unsigned char> vecData;
};
struct ForcedSwitchWork {
    std::vector<IaCallRecord> vecCalls;
    unsigned nStatements;
};
ForcedSwitchWork recordForcedSwitch(ISensorController& c);
// The least a forced switch can cost: the same calls, the statements' existence checks, and the line end
// that ends the write. With p_nStatements, that many existence checks instead of the switch's own.
void replayForcedSwitch(const ForcedSwitchWork& p_stWork);
void replayForcedSwitch(const ForcedSwitchWork& p_stWork, unsigned p_nStatements);

// The statements one init of channel 1 on the device as it is makes: counted at debug level 7, where each
// prints one coloured block. Each costs one existence check of the debug settings file, at any level. The
// ordinary-path test holds these to the statements the described start makes.
unsigned countInitStatements();

// The same durable whole-file write the library makes (temporary file, write, fsync, rename, fsync of the
// folder), in plain POSIX calls: the floor of a stored file.
void writeFileDurably(const std::string& p_strHostPath, const std::string& p_strData);

}  // namespace benchdevice

#endif
