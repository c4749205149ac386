// What the application's video pipeline offers the sensor controller. The application implements it.
#ifndef IMAGETUNE_PLATFORM_VIDEOSTREAMMODULE_H
#define IMAGETUNE_PLATFORM_VIDEOSTREAMMODULE_H

#include <vector>

#include "AVStreamParam.h"
#include "LimitedFramesWDRModeParam.h"

class VideoStreamModule {
public:
    virtual ~VideoStreamModule() {}
    // Key nKey of channel nChannel now has nValue. 0 = success.
    virtual int notifySensorParam(int nChannel, int nKey, int nValue) const = 0;
    // Non-zero while the pipeline is reconfiguring.
    virtual int isBusy() const = 0;
    virtual int getFisheyeRotate(int nChannel, int* pnValue) const = 0;
    virtual int getAVStreamParams(std::vector<AVStreamParam>& p_vecParams) const = 0;
    virtual int getLimitedFramesWDRModeParam(int nChannel, LimitedFramesWDRModeParam& p_objParam) const = 0;
};

#endif
