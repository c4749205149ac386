#include "DeviceStyleFiles.h"

#include <algorithm>
#include <iterator>

#include "DeviceType.h"
#include "TableLookup.h"

namespace {

const int kAcceptedDeviceTypes[] = {
    DeviceType::IPCAMERA,
    DeviceType::FACE_DETECT,
    DeviceType::VEHICLE_DETECT,
    DeviceType::AIMULTI_OBJECT_DETECT,
    DeviceType::IPDOME,
    DeviceType::LPR,
    DeviceType::IPP,
    DeviceType::HUMAN_TEMPERATURE,
    DeviceType::THERMAL_DEVICE,
    DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE,
    DeviceType::FISHEYE,
    DeviceType::DOMECORE,
    DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE,
    DeviceType::BINOCULAR_DEVICE,
    DeviceType::THERMAL_IPDOME,
    DeviceType::DOMECORE_THERMAL_DEVICE,
};

// Take the box-style documents; every other type, accepted or not, takes the dome ones.
const int kBoxStyleDeviceTypes[] = {1, 8, 9, 11, 13, 14, 15, 16, 17, 18, 22};

// On channel 2 these take the thermal documents instead.
const int kThermalDeviceTypes[] = {13, 14, 17, 19, 23};

const int kFisheyeDeviceTypes[] = {9};

const int kThermalChannel = 2;

const StyleFilePair kBoxStyleFiles = {
    "/hd1/moduleConfig/sensorConfig/style/Style.xml",
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml",
};
const StyleFilePair kDomeStyleFiles = {
    "/hd1/moduleConfig/sensorConfig/style/Style_dome.xml",
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_dome.xml",
};
const StyleFilePair kThermalStyleFiles = {
    "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml",
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_Thermal.xml",
};

}  // namespace

bool isAcceptedDeviceType(int p_nDeviceType) {
    return tableContains(kAcceptedDeviceTypes, p_nDeviceType);
}

bool isFisheyeDeviceType(int p_nDeviceType) {
    return tableContains(kFisheyeDeviceTypes, p_nDeviceType);
}

StyleFilePair styleFilesFor(int p_nChannelID, int p_nDeviceType) {
    if (p_nChannelID == kThermalChannel && tableContains(kThermalDeviceTypes, p_nDeviceType)) return kThermalStyleFiles;
    return tableContains(kBoxStyleDeviceTypes, p_nDeviceType) ? kBoxStyleFiles : kDomeStyleFiles;
}
