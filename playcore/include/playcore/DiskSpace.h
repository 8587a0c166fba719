// Free-space queries of the file tools.
#pragma once

#include "playcore/RecordingDescriptor.h"

#include <cstdint>
#include <string>

namespace playcore {

// Bytes available to the calling user on the volume that holds `path`. A
// path that does not exist yet (an output file about to be written) is
// measured at its nearest existing folder; 0 when nothing can be measured.
uint64_t FreeSpaceOf(const std::string& path);

// Whether mainSize + rearSize is less than the free space on the volume of
// mainPath (rearPath when mainPath is empty).
bool HasRoomForRecording(const RecordingDescriptor& descriptor);

} // namespace playcore
