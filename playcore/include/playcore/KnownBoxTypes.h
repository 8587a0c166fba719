// The fixed list of box types the reader recognises. It tells a container
// from a leaf (a payload that starts with a known type is a list of boxes)
// and stops the parse at data that is not a box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace playcore {

inline constexpr std::size_t kKnownBoxTypeCount = 172;

// The list in its fixed order, four characters each ("xml " appears twice,
// as it always has; membership is unaffected).
extern const std::array<std::array<char, 4>, kKnownBoxTypeCount> kKnownBoxTypes;

// True when the four bytes at `type` are one of the known types (all four
// characters must match). The lookup table is constant and built at compile
// time, so there is nothing to set up or free and it is safe from any thread.
bool IsKnownBoxType(const uint8_t* type);
bool IsKnownBoxType(uint32_t fourcc);

} // namespace playcore
