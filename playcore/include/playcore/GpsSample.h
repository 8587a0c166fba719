// The GPS part of one sensor record (one record per 100 ms of the movie).
#pragma once

#include "playcore/CalendarTime.h"

#include <cstdint>

namespace playcore {

struct GpsSample {
    int32_t index = 0; // the record's position in its file, 0-based
    // index × 100 (milliseconds since the start of the file) as loaded; the
    // video frame index once the track's frame map has been built.
    int32_t frame = 0;
    int32_t valid = 0; // 1 when the fix is valid (status byte 'A')
    // Index into the same track's acceleration list, -1 for none; set by the
    // frame map.
    int32_t linkedAccel = -1;
    int32_t reserved = 0;   // always zero
    double lat = 0.0;       // signed degrees, north positive
    double lng = 0.0;       // signed degrees, east positive
    double speed = 0.0;     // km/h
    double direction = 0.0; // no record field feeds it: always 0
    CalendarTime time;      // wall-clock time as written plus the correction
};

} // namespace playcore
