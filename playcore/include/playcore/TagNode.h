// One box of a parsed movie. Nodes are held by value in their parent's child
// list, in file order; the root (type empty) stands for the whole file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace playcore {

struct sTAGNODE {
    uint32_t depth = 0; // 0 for the top-level boxes (and the root)
    // The payload (the bytes after the box header) copied into memory, for
    // leaves other than "mdat" and "gps0"; empty otherwise.
    std::vector<uint8_t> payload;
    std::vector<sTAGNODE> children;          // in file order
    uint32_t leaf = 0;                       // 1 for a box that holds data, not boxes
    char type[5] = {};                       // four characters and a zero; "" for the root
    const std::string* sourcePath = nullptr; // path of the file the box comes from

    uint32_t headerSize = 8;           // 8, or 16 for a box with a 64-bit size
    uint64_t payloadLength = 0;        // may be changed by the join engine
    uint64_t payloadOffset = 0;        // file offset of the payload; may be changed
    uint64_t copiedLength = 0;         // bytes in `payload`
    uint64_t initialPayloadLength = 0; // as read
    uint64_t initialPayloadOffset = 0; // as read, in the source file

    // Sensor bookkeeping, for "gps0" only: N records of 79 bytes.
    uint64_t sensorRecordBytes = 0;   // 79 × N
    uint64_t sensorPayloadLength = 0; // 40 + 79 × N
    uint64_t sensorRecordCount = 0;   // N
    uint64_t sensorJoinedCount = 0;   // 0 until the join engine adds records

    // Nodes of other files whose data is appended to this box when the tree
    // is written (the join engine fills it, in order); empty after reading.
    // The pointed-to nodes belong to movies that must outlive the write.
    std::vector<sTAGNODE*> segments;
    // Bytes written (as zeros) before each segment's data; empty or shorter
    // than `segments` means none. The join engine pads the media data so that
    // each part keeps its file's position within a page, which lets the
    // kernel copy it without shifting every byte.
    std::vector<uint64_t> segmentPadding;

    std::string_view typeName() const { return std::string_view(type); }
    bool isType(const char (&t)[5]) const { return std::string_view(type) == t; }
};

} // namespace playcore
