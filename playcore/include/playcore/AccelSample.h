// The acceleration part of one sensor record.
#pragma once

#include <array>
#include <cstdint>

namespace playcore {

struct AccelSample {
    int32_t index = 0; // the record's position in its file, 0-based
    // 5 when record byte 72 is 'D', else 7 when byte 74 is 'D', else -1. The
    // graph's axis detectors later set it to -1 for samples they consume.
    int32_t flagCode = -1;
    int32_t reserved = 0; // always zero (the graph's event rules read it)
    int32_t axisCode = 0; // 2 'X', 3 'Y', 1 'Z', 0 anything else
    // index × 100 as loaded; the video frame index once the frame map is built.
    int32_t frame = 0;
    int32_t status = 0; // record byte 78, 0..255
    // Index into the same track's GPS list, -1 for none; set by the frame map.
    int32_t linkedGps = -1;
    // The three values in G, in stored order: the record's second value
    // first, then the first, then the third. After the frame map is built
    // they hold the differences to the previous sample (see SensorTrack).
    std::array<double, 3> v{0.0, 0.0, 0.0};
    int32_t flagHigh = 0; // high nibble of the byte after the record
    int32_t flagLow = 0;  // low nibble of the byte after the record
};

} // namespace playcore
