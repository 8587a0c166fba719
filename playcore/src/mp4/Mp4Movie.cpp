// The box tree parse, the type lists and the movie facts read from them.
#include "playcore/Mp4Movie.h"

#include "BoxHeader.h"
#include "playcore/ByteOrder.h"
#include "playcore/KnownBoxTypes.h"
#include "playcore/SensorRecordTime.h"
#include "playcore/TagScan.h"

#include <cstring>
#include <new>

namespace playcore {

namespace {

using detail::BoxHeader;
using detail::HeaderRead;
using detail::ReadBoxHeader;

constexpr uint64_t kGpsCountPayloadOffset = 32;   // record count N (16-bit)
constexpr uint64_t kGpsRecordsPayloadOffset = 34; // first record
constexpr uint64_t kGpsFixedPayload = 40;         // "CSODAT", header, N, "CSOEND"

class TreeParser {
public:
    explicit TreeParser(sMP4MOVIE& movie) : movie_(movie), reader_(movie.file, kBoxHeaderWindow) {}

    bool ParseLevel(sTAGNODE& parent, bool topLevel) {
        uint64_t offset = parent.payloadOffset;
        const uint64_t end = parent.payloadOffset + parent.payloadLength;
        bool endedEarly = false;
        while (offset < end) {
            BoxHeader h;
            HeaderRead read = ReadBoxHeader(reader_, offset, end, topLevel, &h, &error_);
            if (read == HeaderRead::MapFailed) {
                return false;
            }
            // A box that does not fit its parent (or the file), a size below
            // its header, or a type outside the known list: no box here, the
            // level ends and keeps what it has.
            // A "gps0" too short for its own fixed parts (48 bytes) is no
            // sensor box either: the join would read its records past it.
            if (read != HeaderRead::Box || !IsKnownBoxType(h.type) ||
                (h.type == FourCC("gps0") && h.size - h.headerSize < kGpsFixedPayload)) {
                endedEarly = true;
                break;
            }
            sTAGNODE child;
            child.depth = topLevel ? 0 : parent.depth + 1;
            std::memcpy(child.type, h.typeChars, 4);
            child.type[4] = '\0';
            child.sourcePath = &movie_.path;
            child.headerSize = h.headerSize;
            child.payloadOffset = offset + h.headerSize;
            child.payloadLength = h.size - h.headerSize;
            child.initialPayloadOffset = child.payloadOffset;
            child.initialPayloadLength = child.payloadLength;
            if (!ParseBox(child)) {
                return false;
            }
            parent.children.push_back(std::move(child));
            offset += h.size;
        }
        if (endedEarly && parent.children.empty() && !topLevel) {
            // Nothing readable inside after all: keep the box as data, so it
            // is written back exactly as it was.
            return CopyPayload(parent);
        }
        if (endedEarly && parent.children.empty()) {
            parent.leaf = 1; // the root of a file with no known box
        }
        return true;
    }

    const std::string& error() const { return error_; }

private:
    bool ParseBox(sTAGNODE& node) {
        if (node.isType("mdat")) {
            // Media data is never copied nor looked into.
            node.leaf = 1;
            return true;
        }
        if (node.isType("gps0")) {
            node.leaf = 1;
            return ReadSensorCount(node);
        }
        if (node.depth + 1 < kMaxBoxDepth && node.payloadLength >= 8) {
            uint8_t first[8];
            int64_t got = reader_.Read(node.payloadOffset, first, 8, &error_);
            if (got < 0) {
                return false;
            }
            if (got == 8 && IsKnownBoxType(first + 4)) {
                node.leaf = 0;
                return ParseLevel(node, false);
            }
        }
        return CopyPayload(node);
    }

    bool CopyPayload(sTAGNODE& node) {
        node.leaf = 1;
        node.children.clear();
        node.payload.clear();
        node.copiedLength = 0;
        if (node.payloadLength == 0) {
            return true;
        }
        try {
            node.payload.resize(static_cast<std::size_t>(node.payloadLength));
        } catch (const std::bad_alloc&) {
            error_ = std::strerror(ENOMEM);
            return false;
        } catch (const std::length_error&) {
            error_ = std::strerror(ENOMEM);
            return false;
        }
        int64_t got =
            reader_.Read(node.payloadOffset, node.payload.data(), node.payloadLength, &error_);
        if (got < 0 || static_cast<uint64_t>(got) != node.payloadLength) {
            if (got >= 0) {
                error_ = std::strerror(EIO);
            }
            return false;
        }
        node.copiedLength = node.payloadLength;
        return true;
    }

    // The record count of a sensor box (at least kGpsFixedPayload bytes of
    // payload, checked by the caller), limited to the records its payload
    // actually holds, so that nothing later reads records past the box.
    bool ReadSensorCount(sTAGNODE& node) {
        uint8_t n[2];
        if (reader_.Read(node.payloadOffset + kGpsCountPayloadOffset, n, 2, &error_) != 2) {
            if (error_.empty()) {
                error_ = std::strerror(EIO);
            }
            return false;
        }
        uint64_t count = ReadBE16(n);
        const uint64_t room = (node.payloadLength - kGpsFixedPayload) / kSensorRecordSize;
        if (count > room) {
            count = room;
        }
        node.sensorRecordCount = count;
        node.sensorRecordBytes = kSensorRecordSize * count;
        node.sensorPayloadLength = kGpsFixedPayload + kSensorRecordSize * count;
        node.sensorJoinedCount = 0;
        return true;
    }

    sMP4MOVIE& movie_;
    detail::WindowReader reader_;
    std::string error_;
};

void CollectInto(sTAGNODE& node, std::string_view type, std::vector<sTAGNODE*>* out) {
    if (node.typeName() == type) {
        out->push_back(&node);
    }
    for (sTAGNODE& child : node.children) {
        CollectInto(child, type, out);
    }
}

void FillLists(sMP4MOVIE& movie) {
    sTYPELISTS& l = movie.lists;
    struct Entry {
        const char* type;
        std::vector<sTAGNODE*>* list;
    };
    const Entry entries[] = {{"mdat", &l.mdat}, {"gps0", &l.gps0}, {"stsc", &l.stsc},
                             {"stsz", &l.stsz}, {"stco", &l.stco}, {"stss", &l.stss},
                             {"stts", &l.stts}, {"mdhd", &l.mdhd}, {"mvhd", &l.mvhd},
                             {"tkhd", &l.tkhd}, {"elst", &l.elst}, {"stsd", &l.stsd}};
    for (const Entry& e : entries) {
        e.list->clear();
        CollectInto(movie.root, e.type, e.list);
    }
}

bool OpenInto(sMP4MOVIE& movie, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        movie.file.Close();
        return false;
    };
    movie.path = path;
    std::string why;
    if (!movie.file.Open(path, &why)) {
        return fail(why);
    }
    movie.fileSize = movie.file.size();
    movie.fileSizeCopy = movie.fileSize;
    movie.pageSize = movie.file.pageSize();
    if (movie.fileSize == 0) {
        return fail("empty file");
    }
    uint8_t head[8];
    int64_t got = movie.file.Read(0, head, 8, &why);
    if (got < 0) {
        return fail(why);
    }
    if (got < 8 || std::memcmp(head + 4, "ftyp", 4) != 0) {
        return fail("not an MP4 file (no \"ftyp\" box at its start)");
    }
    movie.root = sTAGNODE{};
    movie.root.sourcePath = &movie.path;
    movie.root.headerSize = 0;
    movie.root.payloadOffset = 0;
    movie.root.payloadLength = movie.fileSize;
    movie.root.initialPayloadOffset = 0;
    movie.root.initialPayloadLength = movie.fileSize;
    TreeParser parser(movie);
    if (!parser.ParseLevel(movie.root, true)) {
        movie.root = sTAGNODE{};
        return fail(parser.error());
    }
    FillLists(movie);
    return true;
}

} // namespace

std::unique_ptr<sMP4MOVIE> OpenMovieStructure(const std::string& path, std::string* error) {
    auto movie = std::make_unique<sMP4MOVIE>();
    if (!OpenInto(*movie, path, error)) {
        return nullptr;
    }
    return movie;
}

std::unique_ptr<sMP4CONVERTMOVIE> OpenConvertMovieStructure(const std::string& path,
                                                            std::string* error) {
    auto movie = std::make_unique<sMP4CONVERTMOVIE>();
    if (!OpenInto(*movie, path, error)) {
        return nullptr;
    }
    CollectInto(movie->root, "moov", &movie->moov);
    return movie;
}

void ReleaseMovieStructure(std::unique_ptr<sMP4MOVIE>& movie) {
    movie.reset();
}

void CollectNodes(sTAGNODE& from, const char (&type)[5], std::vector<sTAGNODE*>* out) {
    CollectInto(from, std::string_view(type), out);
}

std::optional<VideoSize> GetVideoSize(const sMP4MOVIE& movie) {
    if (movie.lists.stsd.empty()) {
        return std::nullopt;
    }
    const sTAGNODE& stsd = *movie.lists.stsd.front();
    if (stsd.payload.size() < 44) {
        return std::nullopt;
    }
    return VideoSize{ReadBE16(stsd.payload.data() + 40), ReadBE16(stsd.payload.data() + 42)};
}

int64_t GetFrameCount(const sMP4MOVIE& movie) {
    if (movie.lists.stsz.empty() || movie.lists.stsz.front()->payload.size() < 12) {
        return -1;
    }
    return ReadBE32(movie.lists.stsz.front()->payload.data() + 8);
}

double GetFrameRate(const sMP4MOVIE& movie) {
    if (movie.lists.stts.empty()) {
        return -1.0;
    }
    const std::vector<uint8_t>& p = movie.lists.stts.front()->payload;
    if (p.size() < 8) {
        return -1.0;
    }
    const uint64_t n = ReadBE32(p.data() + 4);
    if (n == 0 || n > (p.size() - 8) / 8) {
        return -1.0;
    }
    uint64_t samples = 0;
    uint64_t ticks = 0;
    for (uint64_t k = 0; k < n; ++k) {
        const uint64_t count = ReadBE32(p.data() + 8 + 8 * k);
        const uint64_t delta = ReadBE32(p.data() + 12 + 8 * k);
        // A table whose sums overflow 64 bits is not a real movie's.
        if (__builtin_add_overflow(samples, count, &samples) ||
            __builtin_add_overflow(ticks, count * delta, &ticks)) {
            return -1.0;
        }
    }
    if (samples == 0) {
        return -1.0;
    }
    const uint64_t mean = ticks / samples;
    if (mean == 0) {
        return -1.0;
    }
    return 1000000.0 / static_cast<double>(mean);
}

bool GetStartDateTime(const sMP4MOVIE& movie, CalendarTime* out) {
    if (movie.lists.gps0.empty()) {
        return false;
    }
    const sTAGNODE& gps = *movie.lists.gps0.front();
    if (gps.sensorRecordCount == 0) {
        return false;
    }
    uint8_t record[kSensorRecordSize];
    int64_t got = movie.file.Read(gps.initialPayloadOffset + kGpsRecordsPayloadOffset, record,
                                  kSensorRecordSize);
    if (got != static_cast<int64_t>(kSensorRecordSize) || SensorRecordTimeIsZero(record)) {
        return false;
    }
    *out = DecodeSensorRecordTime(record);
    return true;
}

} // namespace playcore
