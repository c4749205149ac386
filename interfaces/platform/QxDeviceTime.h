// The device's local time.
#ifndef IMAGETUNE_PLATFORM_QXDEVICETIME_H
#define IMAGETUNE_PLATFORM_QXDEVICETIME_H

#include <cstdint>

// 16 bytes; the library reads the hour at byte offset 8 and the minute at offset 10.
struct QxLocalTime {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};
static_assert(sizeof(QxLocalTime) == 16, "the local-time record is 16 bytes");

class QxDeviceTime {
public:
    static QxLocalTime getCurrentTime();
};

#endif
