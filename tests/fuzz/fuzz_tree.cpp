// Fuzzes the box tree parse and the movie accessors: any input must parse (or
// be refused) without reading outside the file, and the tree must stay inside
// its parent boxes.
#include "MemoryFile.h"
#include "playcore/Mp4Movie.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(const playcore::sTAGNODE& node, uint64_t fileSize) {
    if (node.payloadOffset + node.payloadLength > fileSize ||
        node.copiedLength != node.payload.size()) {
        std::abort();
    }
    uint64_t end = node.payloadOffset;
    for (const auto& c : node.children) {
        if (c.payloadOffset - c.headerSize < end ||
            c.payloadOffset + c.payloadLength > node.payloadOffset + node.payloadLength ||
            c.depth > playcore::kMaxBoxDepth) {
            std::abort();
        }
        end = c.payloadOffset + c.payloadLength;
        Check(c, fileSize);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile input("fuzz_tree", data, size);
    if (!input.ok()) {
        return 0;
    }
    const std::string& path = input.path();
    std::string error;
    auto movie = playcore::OpenMovieStructure(path, &error);
    if (movie) {
        Check(movie->root, size);
        (void)playcore::GetVideoSize(*movie);
        (void)playcore::GetFrameCount(*movie);
        (void)playcore::GetFrameRate(*movie);
        playcore::CalendarTime t{};
        (void)playcore::GetStartDateTime(*movie, &t);
        for (const auto* gps : movie->lists.gps0) {
            if (gps->sensorPayloadLength > gps->payloadLength) {
                std::abort();
            }
        }
    }
    auto convert = playcore::OpenConvertMovieStructure(path);
    return 0;
}
