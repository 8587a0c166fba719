// The header block of a recording's "gps0" sensor box: three reference
// values of the acceleration sensor and the texts the file manager shows as
// the recording's version.
#pragma once

#include <array>

namespace playcore {

struct SensorHeader {
    // Reference values in G; all three are -1 when the orientation byte is
    // neither 'N' nor 'P'.
    float ref[3] = {0.0f, 0.0f, 0.0f};
    // 'N' or 'P' for a valid block, else the byte read.
    char orientation = 0;
    std::array<char, 4> chars4{}; // kept verbatim
    std::array<char, 2> chars2{}; // kept verbatim

    // Whether the orientation byte made the block valid.
    bool valid() const { return orientation == 'N' || orientation == 'P'; }
};

} // namespace playcore
