// Quick checks of a recording file by tag scans, without parsing its tree.
#pragma once

#include <cstdint>
#include <string>

namespace playcore {

// True when the file has at least 260 bytes, bytes 4 to 7 read "ftyp" and its
// last 85 bytes, with every zero byte read as a space, contain "CSOEND" (the
// trailer the camera writes last, so a recording cut short by a power loss
// fails). Reads only those bytes.
bool IsCompleteRecording(const std::string& path);

struct MovieProbeResult {
    bool opened = false;        // the file could be opened and starts with "ftyp"
    bool accepted = false;      // playable: long enough, with a known frame period
    float durationSec = 0.0f;   // from "mvhd"; 0 when not found
    float framePeriodMs = 0.0f; // milliseconds per video frame; 0 when unknown
    std::string error;          // system text of a mapping failure, else empty
};

// Probes a movie before playback: duration from the "mvhd" after "moov", frame
// period from the first track's "stts" (its deltas in microseconds). Accepted
// when the duration is above 1.5 s or the period is exactly 15 ms, and a frame
// period is known (from the "stts" walk, or else from the first video track's
// own time scale).
MovieProbeResult ProbeMovie(const std::string& path);

// Sample count of the first "stsz" found by the byte search (outside "mdat");
// -1 when there is none or the file cannot be read.
int64_t FrameCountByByteSearch(const std::string& path);

} // namespace playcore
