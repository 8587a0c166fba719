// Big-endian integer access for box fields. Every integer stored in a movie
// box is big-endian; these helpers read and write them without alignment
// assumptions. Callers check the bounds first.
#pragma once

#include <cstdint>

namespace playcore {

inline uint16_t ReadBE16(const uint8_t* p) {
    return static_cast<uint16_t>((static_cast<uint32_t>(p[0]) << 8) | p[1]);
}

inline uint32_t ReadBE32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline uint64_t ReadBE64(const uint8_t* p) {
    return (static_cast<uint64_t>(ReadBE32(p)) << 32) | ReadBE32(p + 4);
}

inline void WriteBE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

inline void WriteBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline void WriteBE64(uint8_t* p, uint64_t v) {
    WriteBE32(p, static_cast<uint32_t>(v >> 32));
    WriteBE32(p + 4, static_cast<uint32_t>(v));
}

// The four type characters of a box as one number, first character highest,
// so that a type compares as a plain integer.
constexpr uint32_t FourCC(const char (&t)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(t[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(t[3]));
}

} // namespace playcore
