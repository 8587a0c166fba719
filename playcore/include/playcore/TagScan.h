// Tag scans: fast searches over a mapped file that stop at the first box (or
// byte pattern) of interest and hand a bounded view of it to a decoder. The
// movie probe and the sensor loader are built on them.
//
// Every scan takes the file's lock() for its whole run, checks the file's
// cancel request as it goes, and maps one window at a time (8 bytes for a
// box header, 1 MiB or 32 MiB for the data handed to decoders).
#pragma once

#include "playcore/MappedFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace playcore {

inline constexpr uint64_t kHeaderWindow = 8;
inline constexpr uint64_t kBoxHeaderWindow = 65535;
inline constexpr uint64_t kDecoderWindow = 1024 * 1024;
inline constexpr uint64_t kSearchWindow = 32 * 1024 * 1024;

// Title of the message box that shows a scan's mapping failure.
inline constexpr const char* kScanErrorTitle = "Error Message";

// What a decoder sees: `size` readable bytes from `data`, which lies at file
// offset `offset`. For the box walk the view ends at the end of the box (or of
// the file, for a box declared past it) and `boxSize` is the box's declared
// size in bytes, header included; for the byte search `boxSize` is 0.
struct ScanView {
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    uint64_t offset = 0;
    uint64_t boxSize = 0;
};

// A decoder returns -1 for failure, anything else for success. Outputs are
// whatever the callable captures. It must not read outside the view.
using TagDecoder = std::function<int(const ScanView&)>;

struct TagDescriptor {
    uint32_t matchPosition = 0; // bytes of the tag matched so far (byte search)
    std::string_view tag;       // a box type such as "gps0", or a byte pattern
    TagDecoder decoder;         // may be empty: a match alone is then a hit
    uint64_t baseOffset = 0;    // added to the scan's offsets (where it starts)

    TagDescriptor() = default;
    TagDescriptor(std::string_view t, TagDecoder d = {}) : tag(t), decoder(std::move(d)) {}
    uint32_t tagLength() const { return static_cast<uint32_t>(tag.size()); }
};

enum class ScanStatus {
    Hit,       // the decoder accepted what it was given
    NoHit,     // the walk reached its end without a hit (not a failure)
    Failed,    // a decoder returned -1, a window could not be mapped, or the
               // structure ended the walk as malformed
    Cancelled, // the file's cancel request was seen (and cleared)
};

struct ScanResult {
    ScanStatus status = ScanStatus::NoHit;
    // The system's text when a window could not be mapped (shown to the user
    // in a box titled kScanErrorTitle); empty for every other outcome.
    std::string error;

    bool hit() const { return status == ScanStatus::Hit; }
    bool ok() const { return status == ScanStatus::Hit || status == ScanStatus::NoHit; }
};

// Walks the top-level boxes from tag.baseOffset. When `preceding` is given,
// boxes are only compared with its tag until one matches; its decoder is then
// called with the box header (8 or 16 bytes, boxSize set) and from that box on
// (itself included) boxes are compared with `tag`. A box of type `tag` is
// mapped with `windowSize` bytes from its start and its decoder called
// `decoderOffset` bytes into it: a result other than -1 is a hit, -1 fails the
// walk. A box whose size is below 8 (or a 64-bit size that is) ends the walk
// as if the file ended there.
ScanResult BoxWalk(MappedFile& file, TagDescriptor& tag, TagDescriptor* preceding,
                   uint64_t windowSize, uint64_t decoderOffset);

// Follows "moov"/"trak"/"mdia"/"minf"/"stbl"/"stts" from the start of the
// file, always into the first box of each type, and calls the decoder on the
// payload of that "stts" (the view covers the payload, at least 1 MiB of the
// file when the box is larger). Hit when the decoder accepts it; NoHit when
// the path is not there; Failed for a size of 0 or below 8 on the way, a box
// past the end of the file or of its parent, or a decoder returning -1.
ScanResult PathWalk(MappedFile& file, const TagDecoder& decoder);

// Searches the file byte by byte in 32 MiB windows, jumping over every "mdat"
// box by its size. With `second` given, `first` is searched until it matches
// (its decoder, if any, is called on the 1 MiB after the match, its result
// ignored) and then `second`; without it only `first`. When the main tag
// matches, its decoder is called on the 1 MiB after the match: a result other
// than -1 (or no decoder) is a hit; -1 lets the search go on. Reaching the end
// of the file is NoHit.
ScanResult ByteSearch(MappedFile& file, TagDescriptor& first, TagDescriptor* second = nullptr);

// The decoders the probe uses, usable with the scans above.
//
// Frame period from an "stts" payload: the sum of the sample_delta fields of
// its n entries (32-bit wrap-around) / n / 1000, integer divisions, as
// milliseconds. -1 (and `periodMs` untouched) for no entries, a table larger
// than the view, or a zero result.
int DecodeFramePeriod(const ScanView& sttsPayload, float* periodMs);
// Duration in seconds from the bytes after the "mvhd" type (version 0 or 1
// layout): duration / time scale. -1 when the time scale is 0 or the bytes are
// short.
int DecodeMovieDuration(const ScanView& mvhdPayload, float* seconds);

} // namespace playcore
