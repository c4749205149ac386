// The platform's device-type identifiers.
#ifndef IMAGETUNE_PLATFORM_DEVICETYPE_H
#define IMAGETUNE_PLATFORM_DEVICETYPE_H

class DeviceType {
public:
    enum {
        IPCAMERA = 1,
        IPDOME = 4,
        LPR = 8,
        FISHEYE = 9,
        IPP = 11,
        THERMAL_DEVICE = 13,
        THERMAL_DOUBLE_SENSOR_DEVICE = 14,
        FACE_DETECT = 15,
        VEHICLE_DETECT = 16,
        HUMAN_TEMPERATURE = 17,
        AIMULTI_OBJECT_DETECT = 18,
        THERMAL_DOUBLE_SENSOR_DOME_DEVICE = 19,
        DOMECORE = 20,
        BINOCULAR_DEVICE = 22,
        THERMAL_IPDOME = 23,
        DOMECORE_THERMAL_DEVICE = 104,
    };

    DeviceType() : m_nId(0) {}
    explicit DeviceType(int p_nId) : m_nId(p_nId) {}
    int getDeviceTypeId() const { return m_nId; }
    void setDeviceTypeId(int p_nId) { m_nId = p_nId; }

private:
    int m_nId;
};

#endif
