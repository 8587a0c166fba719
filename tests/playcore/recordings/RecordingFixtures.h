// Small stand-ins for recording files: they pass (or fail on purpose) the
// complete recording check - "ftyp" at bytes 4..7, at least 260 bytes, and
// "CSOEND" in the last 85 bytes - without any video inside. Scans look at
// names and at those bytes only, so these are enough to build card trees.
#pragma once

#include "TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace recfix {

enum class Shape { Complete, NoTrailer, Short, NoFtyp };

inline std::string FakeRecordingBytes(Shape shape) {
    std::string bytes("\0\0\0\x18"
                      "ftypisom",
                      12);
    if (shape == Shape::NoFtyp) {
        bytes.replace(4, 4, "free");
    }
    const std::size_t body = shape == Shape::Short ? 200 : 400;
    bytes.append(body, '\0');
    if (shape != Shape::NoTrailer) {
        bytes += "CSOEND";
    }
    return bytes;
}

// Writes the file (creating its folders) and returns its path.
inline std::string WriteFake(const std::filesystem::path& path, Shape shape = Shape::Complete) {
    std::filesystem::create_directories(path.parent_path());
    testsupport::WriteFileBytes(path, FakeRecordingBytes(shape));
    return path.string();
}

// A pair NNN_HHMMSST_M.MP4 + _R.MP4 in `folder`.
inline void WritePair(const std::filesystem::path& folder, const std::string& stem,
                      Shape shape = Shape::Complete) {
    WriteFake(folder / (stem + "_M.MP4"), shape);
    WriteFake(folder / (stem + "_R.MP4"), shape);
}

} // namespace recfix
