// The date and time of one sensor record (79 bytes), as the "gps0" box of a
// recording stores it.
#pragma once

#include "playcore/CalendarTime.h"

#include <cstddef>
#include <cstdint>

namespace playcore {

inline constexpr std::size_t kSensorRecordSize = 79;
inline constexpr std::size_t kRecordDateOffset = 31;       // 12 digits yymmddhhmmss
inline constexpr std::size_t kRecordCorrectionOffset = 44; // 3 chars, signed seconds or '*'

// Decodes the record's date and time (year 2000 + yy) plus its seconds
// correction into the calendar time stored for it: the wall-clock time as
// written plus the correction, out-of-range fields normalised (so "day 32"
// becomes the next month). The time zone plays no part. `record` must hold at
// least kSensorRecordSize bytes.
CalendarTime DecodeSensorRecordTime(const uint8_t* record);

// True when the record's twelve date and time digits are all '0' or zero
// bytes (the camera writes that before its first fix).
bool SensorRecordTimeIsZero(const uint8_t* record);

} // namespace playcore
