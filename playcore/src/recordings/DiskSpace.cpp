#include "playcore/DiskSpace.h"

#include <filesystem>
#include <system_error>

namespace playcore {

uint64_t FreeSpaceOf(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        return 0;
    }
    std::error_code ec;
    fs::path probe = fs::absolute(fs::path(path), ec);
    if (ec) {
        return 0;
    }
    while (!fs::exists(probe, ec)) {
        if (!probe.has_parent_path() || probe.parent_path() == probe) {
            return 0;
        }
        probe = probe.parent_path();
    }
    const fs::space_info info = fs::space(probe, ec);
    if (ec || info.available == static_cast<std::uintmax_t>(-1)) {
        return 0;
    }
    return static_cast<uint64_t>(info.available);
}

bool HasRoomForRecording(const RecordingDescriptor& descriptor) {
    const std::string& path =
        descriptor.mainPath.empty() ? descriptor.rearPath : descriptor.mainPath;
    // Saturating sum: a folder entry's all-bits sizes must not wrap round to
    // a small number.
    uint64_t need = descriptor.mainSize + descriptor.rearSize;
    if (need < descriptor.mainSize) {
        need = ~uint64_t{0};
    }
    return need < FreeSpaceOf(path);
}

} // namespace playcore
