// The three tag scans and the decoders of the movie probe.
#include "playcore/TagScan.h"

#include "BoxHeader.h"
#include "playcore/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace playcore {

namespace {

using detail::BoxHeader;
using detail::HeaderRead;
using detail::ReadBoxHeader;

uint32_t TagCode(std::string_view tag) {
    uint8_t b[4] = {0, 0, 0, 0};
    std::memcpy(b, tag.data(), std::min<std::size_t>(tag.size(), 4));
    return ReadBE32(b);
}

ScanResult Result(ScanStatus status, std::string error = {}) {
    ScanResult r;
    r.status = status;
    r.error = std::move(error);
    return r;
}

// Maps `window` bytes from `boxStart` and builds the view `skip` bytes in,
// ending at the end of the box or of the file, whichever comes first.
bool MapBoxView(const MappedFile& file, uint64_t boxStart, uint64_t boxSize, uint64_t window,
                uint64_t skip, MappedWindow* mapped, ScanView* view, std::string* error) {
    *mapped = file.Map(boxStart, window);
    if (!mapped->ok()) {
        *error = mapped->error();
        return false;
    }
    uint64_t boxRoom = std::min<uint64_t>(boxSize, file.size() - boxStart);
    uint64_t avail = std::min<uint64_t>(mapped->size(), boxRoom);
    view->data = mapped->data() + std::min<uint64_t>(skip, avail);
    view->size = static_cast<std::size_t>(avail > skip ? avail - skip : 0);
    view->offset = boxStart + std::min<uint64_t>(skip, avail);
    view->boxSize = boxSize;
    return true;
}

} // namespace

ScanResult BoxWalk(MappedFile& file, TagDescriptor& tag, TagDescriptor* preceding,
                   uint64_t windowSize, uint64_t decoderOffset) {
    std::lock_guard<std::mutex> guard(file.lock());
    const uint32_t wanted = TagCode(tag.tag);
    const uint32_t before = preceding != nullptr ? TagCode(preceding->tag) : 0;
    bool metPreceding = preceding == nullptr;
    uint64_t offset = tag.baseOffset;
    const uint64_t end = file.size();
    while (offset < end) {
        BoxHeader h;
        std::string error;
        HeaderRead read = ReadBoxHeader(file, offset, end, true, &h, &error);
        if (read == HeaderRead::MapFailed) {
            return Result(ScanStatus::Failed, error);
        }
        if (file.TakeCancel()) {
            return Result(ScanStatus::Cancelled);
        }
        if (read == HeaderRead::NotABox) {
            break; // a size below 8 ends the walk as the end of the file would
        }
        if (!metPreceding) {
            if (h.type == before) {
                metPreceding = true;
                if (preceding->decoder) {
                    MappedWindow w;
                    ScanView view;
                    if (!MapBoxView(file, offset, h.size, h.headerSize, 0, &w, &view, &error)) {
                        return Result(ScanStatus::Failed, error);
                    }
                    preceding->decoder(view);
                }
            }
        }
        if (metPreceding && h.type == wanted) {
            MappedWindow w;
            ScanView view;
            if (!MapBoxView(file, offset, h.size, windowSize, decoderOffset, &w, &view, &error)) {
                return Result(ScanStatus::Failed, error);
            }
            if (!tag.decoder || tag.decoder(view) != -1) {
                return Result(ScanStatus::Hit);
            }
            return Result(ScanStatus::Failed);
        }
        if (read == HeaderRead::Truncated) {
            break; // the last box runs past the end of the file
        }
        offset += h.size;
    }
    return Result(ScanStatus::NoHit);
}

ScanResult PathWalk(MappedFile& file, const TagDecoder& decoder) {
    static constexpr uint32_t kPath[] = {FourCC("moov"), FourCC("trak"), FourCC("mdia"),
                                         FourCC("minf"), FourCC("stbl"), FourCC("stts")};
    constexpr std::size_t kLast = sizeof(kPath) / sizeof(kPath[0]) - 1;
    std::lock_guard<std::mutex> guard(file.lock());
    std::size_t element = 0;
    uint64_t offset = 0;
    uint64_t end = file.size();
    while (offset < end) {
        if (file.TakeCancel()) {
            return Result(ScanStatus::Cancelled);
        }
        BoxHeader h;
        std::string error;
        HeaderRead read = ReadBoxHeader(file, offset, end, false, &h, &error);
        if (read == HeaderRead::MapFailed) {
            return Result(ScanStatus::Failed, error);
        }
        if (read != HeaderRead::Box) {
            // A size of 0 or below 8, or a box past its parent or the file.
            return Result(ScanStatus::Failed);
        }
        if (h.type == kPath[element]) {
            if (element == kLast) {
                MappedWindow w;
                ScanView view;
                uint64_t window = std::max<uint64_t>(kDecoderWindow, h.size);
                if (!MapBoxView(file, offset, h.size, window, h.headerSize, &w, &view, &error)) {
                    return Result(ScanStatus::Failed, error);
                }
                if (!decoder || decoder(view) != -1) {
                    return Result(ScanStatus::Hit);
                }
                return Result(ScanStatus::Failed);
            }
            ++element;
            end = offset + h.size;
            offset += h.headerSize;
            continue;
        }
        offset += h.size;
    }
    return Result(ScanStatus::NoHit);
}

namespace {

// The matching automaton of one tag: a byte equal to the next tag byte
// advances; any other byte restarts, at 1 when it is the tag's first byte.
bool Feed(TagDescriptor& t, uint8_t b) {
    const std::size_t n = t.tag.size();
    if (n == 0) {
        return false;
    }
    if (t.matchPosition < n && b == static_cast<uint8_t>(t.tag[t.matchPosition])) {
        ++t.matchPosition;
    } else {
        t.matchPosition = b == static_cast<uint8_t>(t.tag[0]) ? 1 : 0;
    }
    if (t.matchPosition == n) {
        t.matchPosition = 0;
        return true;
    }
    return false;
}

// Calls the tag's decoder on the 1 MiB after a match ending at `matchEnd`
// (the offset just past the match). When the search window already holds
// those bytes the view points into it; otherwise a window of its own is
// mapped. Returns false when that window cannot be mapped; `result` receives
// the decoder's value (0 without a decoder).
bool CallAfterMatch(const MappedFile& file, TagDescriptor& t, uint64_t matchEnd,
                    const MappedWindow& search, int* result, std::string* error) {
    *result = 0;
    if (!t.decoder) {
        return true;
    }
    static const uint8_t kNothing = 0;
    ScanView view;
    view.offset = matchEnd;
    view.data = &kNothing;
    const uint64_t want =
        matchEnd < file.size() ? std::min<uint64_t>(kDecoderWindow, file.size() - matchEnd) : 0;
    MappedWindow own;
    if (want > 0) {
        const uint64_t searchEnd = search.offset() + search.size();
        if (matchEnd >= search.offset() && matchEnd + want <= searchEnd) {
            view.data = search.data() + (matchEnd - search.offset());
        } else {
            own = file.Map(matchEnd, want);
            if (!own.ok()) {
                *error = own.error();
                return false;
            }
            view.data = own.data();
        }
        view.size = static_cast<std::size_t>(want);
    }
    *result = t.decoder(view);
    return true;
}

} // namespace

ScanResult ByteSearch(MappedFile& file, TagDescriptor& first, TagDescriptor* second) {
    std::lock_guard<std::mutex> guard(file.lock());
    const uint32_t kMdat = FourCC("mdat");
    const uint64_t size = file.size();
    first.matchPosition = 0;
    if (second != nullptr) {
        second->matchPosition = 0;
    }
    bool firstMet = second == nullptr;
    TagDescriptor& main = second != nullptr ? *second : first;
    uint64_t history = 0; // the last eight bytes seen, newest lowest
    uint32_t seen = 0;    // how many of them are real (up to 8)
    uint64_t pos = first.baseOffset;
    while (pos < size) {
        if (file.TakeCancel()) {
            return Result(ScanStatus::Cancelled);
        }
        MappedWindow w = file.Map(pos, kSearchWindow);
        if (!w.ok()) {
            return Result(ScanStatus::Failed, w.error());
        }
        const uint8_t* data = w.data();
        const std::size_t n = w.size();
        uint64_t next = pos + n; // where the following window starts
        for (std::size_t i = 0; i < n; ++i) {
            const uint8_t b = data[i];
            const uint64_t at = pos + i;
            history = (history << 8) | b;
            seen = seen < 8 ? seen + 1 : 8;
            if (!firstMet) {
                if (Feed(first, b)) {
                    int value = 0;
                    std::string error;
                    if (!CallAfterMatch(file, first, at + 1, w, &value, &error)) {
                        return Result(ScanStatus::Failed, error);
                    }
                    firstMet = true;
                    main.matchPosition = 0;
                }
            } else if (Feed(main, b)) {
                int value = 0;
                std::string error;
                if (!CallAfterMatch(file, main, at + 1, w, &value, &error)) {
                    return Result(ScanStatus::Failed, error);
                }
                if (value != -1) {
                    return Result(ScanStatus::Hit);
                }
            }
            // Sample data is never searched: at an "mdat" type, jump to the
            // type field of the next box by the size just before it.
            if (seen == 8 && static_cast<uint32_t>(history) == kMdat) {
                const uint64_t typeAt = at - 3;
                uint64_t boxSize = history >> 32;
                if (boxSize == 1) {
                    uint8_t large[8];
                    std::string error;
                    int64_t got = file.Read(typeAt + 4, large, 8, &error);
                    if (got < 0) {
                        return Result(ScanStatus::Failed, error);
                    }
                    boxSize = got == 8 ? ReadBE64(large) : 0;
                    if (boxSize < 16) {
                        continue;
                    }
                } else if (boxSize == 0) {
                    return Result(ScanStatus::NoHit); // "mdat" runs to the end
                } else if (boxSize < 8) {
                    continue;
                }
                if (boxSize >= size - typeAt) {
                    return Result(ScanStatus::NoHit);
                }
                const uint64_t target = typeAt + boxSize;
                history = 0;
                seen = 0;
                first.matchPosition = 0;
                main.matchPosition = 0;
                if (target < pos + n) {
                    i = static_cast<std::size_t>(target - pos) - 1; // the loop adds 1
                    continue;
                }
                next = target;
                break;
            }
        }
        pos = next;
    }
    return Result(ScanStatus::NoHit);
}

int DecodeFramePeriod(const ScanView& stts, float* periodMs) {
    if (stts.data == nullptr || stts.size < 8) {
        return -1;
    }
    const uint64_t count = ReadBE32(stts.data + 4);
    if (count == 0 || count > (stts.size - 8) / 8) {
        return -1;
    }
    uint32_t sum = 0; // wrap-around, as the camera's tools compute it
    for (uint64_t k = 0; k < count; ++k) {
        sum += ReadBE32(stts.data + 12 + 8 * k);
    }
    const uint32_t period = static_cast<uint32_t>(sum / count) / 1000;
    if (period == 0) {
        return -1;
    }
    *periodMs = static_cast<float>(period);
    return 0;
}

int DecodeMovieDuration(const ScanView& mvhd, float* seconds) {
    if (mvhd.data == nullptr || mvhd.size < 20) {
        return -1;
    }
    uint64_t scale = 0;
    uint64_t duration = 0;
    if (mvhd.data[0] == 1) {
        if (mvhd.size < 32) {
            return -1;
        }
        scale = ReadBE32(mvhd.data + 20);
        duration = ReadBE64(mvhd.data + 24);
    } else {
        scale = ReadBE32(mvhd.data + 12);
        duration = ReadBE32(mvhd.data + 16);
    }
    if (scale == 0) {
        return -1;
    }
    *seconds = static_cast<float>(static_cast<double>(duration) / static_cast<double>(scale));
    return 0;
}

} // namespace playcore
