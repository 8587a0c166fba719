// Test helpers for generated recordings: a top-level box walk, a few sample
// table fields read straight from the bytes, and real decoding of every video
// frame with libavformat + libavcodec into 32-bit pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synthtest {

struct Box {
    std::string type;
    uint64_t offset = 0;
    uint64_t size = 0; // as written in the header (may exceed the file for a cut box)
};

// Top-level boxes in file order; stops at a size below 8 or at the file end.
std::vector<Box> TopLevelBoxes(const std::string& bytes);
// Child boxes of the box whose payload is bytes[begin, end).
std::vector<Box> ChildBoxes(const std::string& bytes, uint64_t begin, uint64_t end);
uint32_t Be32(const std::string& bytes, uint64_t at);

struct TrackFacts {
    std::string handler; // "vide", "soun"
    uint32_t timescale = 0;
    std::vector<std::pair<uint32_t, uint32_t>> stts; // (count, delta)
};
// The tracks of the file's moov, in order.
std::vector<TrackFacts> Tracks(const std::string& bytes);

struct DecodedVideo {
    std::string error;           // empty when every packet and frame decoded
    int frames = 0;              // frames decoded, in presentation order
    std::vector<int> codes;      // ReadFrameIndex of each frame at the requested size
    std::vector<uint32_t> first; // frame 0 as RGB32 at the requested size
    int audioPackets = 0;
};
// Decodes the video track (and counts audio packets), scaling each frame to
// outW x outH RGB32 with the BT.709 limited-range matrix (0 = native size).
DecodedVideo DecodeAll(const std::string& path, int outW = 0, int outH = 0);

} // namespace synthtest
