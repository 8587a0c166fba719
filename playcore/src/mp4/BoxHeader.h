// Reading one box header from a mapped file, shared by the scans and the tree
// parse. Internal to the mp4 module.
#pragma once

#include "playcore/MappedFile.h"

#include <cstdint>
#include <string>

namespace playcore::detail {

// Reads small pieces of a file through one window that is kept mapped while
// the reads stay inside it: the tree parse reads every header and small
// payload of a region from a single 64 KiB - 1 window instead of mapping each.
// A read larger than the window gets a mapping of its own.
class WindowReader {
public:
    WindowReader(const MappedFile& file, uint64_t window) : file_(file), window_(window) {}
    // Copies up to `length` bytes at `offset` (clipped to the end of the
    // file); returns the number copied, or -1 with `error` set when a window
    // cannot be mapped.
    int64_t Read(uint64_t offset, void* out, uint64_t length, std::string* error);
    const MappedFile& file() const { return file_; }

private:
    const MappedFile& file_;
    uint64_t window_;
    MappedWindow mapped_;
};

struct BoxHeader {
    uint64_t size = 0;       // whole box, header included
    uint32_t type = 0;       // four characters, first one highest
    uint32_t headerSize = 8; // 8, or 16 with a 64-bit size
    uint8_t typeChars[4] = {};
};

enum class HeaderRead {
    Box,       // a well-formed header whose box fits before `end`
    Truncated, // a well-formed header whose box runs past `end` (a recording
               // cut short); `header.size` is the declared size
    NotABox,   // fewer than 8 bytes left, or a size below the header's own
    MapFailed, // the window could not be mapped; `error` holds the reason
};

// Reads the header of the box at `offset`, which must lie in a region ending
// at `end` (the parent's payload end, at most the file size). A size of 0
// means "to the end of the region" only when `sizeZeroToEnd` is set (top
// level); otherwise it is not a box. A 64-bit size is read when the 32-bit
// size is 1.
HeaderRead ReadBoxHeader(WindowReader& reader, uint64_t offset, uint64_t end, bool sizeZeroToEnd,
                         BoxHeader* header, std::string* error);
// The same through 8-byte windows of its own (the scans' header window).
HeaderRead ReadBoxHeader(const MappedFile& file, uint64_t offset, uint64_t end, bool sizeZeroToEnd,
                         BoxHeader* header, std::string* error);

} // namespace playcore::detail
