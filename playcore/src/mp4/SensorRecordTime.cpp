// Date and time of a sensor record.
#include "playcore/SensorRecordTime.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace playcore {

namespace {

// A text field converted like atoi: copied into a zero-terminated buffer of
// its own length first, so the conversion stops at the field's end.
long FieldToInt(const uint8_t* text, std::size_t length) {
    char buffer[8] = {};
    std::memcpy(buffer, text, length < sizeof(buffer) - 1 ? length : sizeof(buffer) - 1);
    return std::strtol(buffer, nullptr, 10);
}

} // namespace

CalendarTime DecodeSensorRecordTime(const uint8_t* record) {
    const uint8_t* d = record + kRecordDateOffset;
    std::tm tm{};
    tm.tm_year = static_cast<int>(2000 + FieldToInt(d, 2) - 1900);
    tm.tm_mon = static_cast<int>(FieldToInt(d + 2, 2) - 1);
    tm.tm_mday = static_cast<int>(FieldToInt(d + 4, 2));
    tm.tm_hour = static_cast<int>(FieldToInt(d + 6, 2));
    tm.tm_min = static_cast<int>(FieldToInt(d + 8, 2));
    tm.tm_sec = static_cast<int>(FieldToInt(d + 10, 2));
    tm.tm_isdst = 0;
    // The fields are the camera's wall-clock time; converting them as UTC and
    // back keeps them as written (normalised) whatever the viewer's time zone.
    std::time_t seconds = timegm(&tm);
    if (seconds == static_cast<std::time_t>(-1)) {
        seconds = 0;
    } else if (record[kRecordCorrectionOffset] != '*') {
        seconds += FieldToInt(record + kRecordCorrectionOffset, 3);
    }
    std::tm out{};
    gmtime_r(&seconds, &out);
    CalendarTime t;
    t.year = static_cast<uint16_t>(out.tm_year + 1900);
    t.month = static_cast<uint16_t>(out.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(out.tm_wday);
    t.day = static_cast<uint16_t>(out.tm_mday);
    t.hour = static_cast<uint16_t>(out.tm_hour);
    t.minute = static_cast<uint16_t>(out.tm_min);
    t.second = static_cast<uint16_t>(out.tm_sec);
    t.milliseconds = 0;
    return t;
}

bool SensorRecordTimeIsZero(const uint8_t* record) {
    for (std::size_t i = 0; i < 12; ++i) {
        const uint8_t c = record[kRecordDateOffset + i];
        if (c != '0' && c != 0) {
            return false;
        }
    }
    return true;
}

} // namespace playcore
