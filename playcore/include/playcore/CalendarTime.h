// A calendar date and time as the sensor records and the recording list carry
// it: eight 16-bit fields, the weekday counted from Sunday = 0.
#pragma once

#include <cstdint>

namespace playcore {

struct CalendarTime {
    uint16_t year = 0;
    uint16_t month = 0;     // 1..12
    uint16_t dayOfWeek = 0; // 0 = Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

} // namespace playcore
