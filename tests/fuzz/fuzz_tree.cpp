// Fuzzes the box tree parse and the movie accessors: any input must parse (or
// be refused) without reading outside the file, and the tree must stay inside
// its parent boxes.
#include "playcore/Mp4Movie.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

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
    int fd = memfd_create("fuzz_tree", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) {
            close(fd);
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
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
    close(fd);
    return 0;
}
