// Completeness check, playback probe and frame count by byte search.
#include "playcore/MovieProbe.h"

#include "playcore/ByteOrder.h"
#include "playcore/Mp4Movie.h"
#include "playcore/TagScan.h"

#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

namespace {

constexpr std::size_t kHeadBytes = 260;
constexpr std::size_t kTailBytes = 85;

bool ReadFully(int fd, uint8_t* out, std::size_t length, off_t offset) {
    std::size_t done = 0;
    while (done < length) {
        ssize_t got = pread(fd, out + done, length - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool StartsWithFtyp(const MappedFile& file) {
    uint8_t head[8];
    return file.Read(0, head, 8) == 8 && std::memcmp(head + 4, "ftyp", 4) == 0;
}

// The frame period of the first video track from its own time scale: what a
// media framework would report as the stream's frame rate. Used when the
// first track's "stts" cannot give one.
float VideoTrackFramePeriod(const std::string& path) {
    std::unique_ptr<sMP4MOVIE> movie = OpenMovieStructure(path);
    if (!movie) {
        return 0.0f;
    }
    std::vector<sTAGNODE*> traks;
    CollectNodes(movie->root, "trak", &traks);
    for (sTAGNODE* trak : traks) {
        std::vector<sTAGNODE*> hdlr, mdhd, stts;
        CollectNodes(*trak, "hdlr", &hdlr);
        CollectNodes(*trak, "mdhd", &mdhd);
        CollectNodes(*trak, "stts", &stts);
        if (hdlr.empty() || mdhd.empty() || stts.empty() || hdlr[0]->payload.size() < 12 ||
            std::memcmp(hdlr[0]->payload.data() + 8, "vide", 4) != 0) {
            continue;
        }
        const std::vector<uint8_t>& m = mdhd[0]->payload;
        uint64_t scale = 0;
        if (m.size() >= 24 && m[0] == 1) {
            scale = ReadBE32(m.data() + 20);
        } else if (m.size() >= 16) {
            scale = ReadBE32(m.data() + 12);
        }
        const std::vector<uint8_t>& t = stts[0]->payload;
        if (scale == 0 || t.size() < 8) {
            continue;
        }
        const uint64_t n = ReadBE32(t.data() + 4);
        if (n == 0 || n > (t.size() - 8) / 8) {
            continue;
        }
        double samples = 0;
        double ticks = 0;
        for (uint64_t k = 0; k < n; ++k) {
            const double count = ReadBE32(t.data() + 8 + 8 * k);
            samples += count;
            ticks += count * ReadBE32(t.data() + 12 + 8 * k);
        }
        if (samples <= 0 || ticks <= 0) {
            continue;
        }
        const double rate = static_cast<double>(scale) * samples / ticks;
        return static_cast<float>(1000.0 / rate);
    }
    return 0.0f;
}

} // namespace

bool IsCompleteRecording(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool complete = false;
    struct stat st {};
    uint8_t head[kHeadBytes];
    uint8_t tail[kTailBytes];
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<uint64_t>(st.st_size) >= kHeadBytes && ReadFully(fd, head, kHeadBytes, 0) &&
        std::memcmp(head + 4, "ftyp", 4) == 0 &&
        ReadFully(fd, tail, kTailBytes, st.st_size - static_cast<off_t>(kTailBytes))) {
        // The trailer may be followed (or preceded) by padding zeros: read
        // them as spaces so the text search goes through them.
        for (uint8_t& b : tail) {
            if (b == 0) {
                b = ' ';
            }
        }
        std::string_view text(reinterpret_cast<const char*>(tail), kTailBytes);
        complete = text.find("CSOEND") != std::string_view::npos;
    }
    ::close(fd);
    return complete;
}

MovieProbeResult ProbeMovie(const std::string& path) {
    MovieProbeResult result;
    MappedFile file;
    if (!file.Open(path) || file.size() == 0 || !StartsWithFtyp(file)) {
        return result;
    }
    result.opened = true;

    float duration = 0.0f;
    TagDescriptor moov("moov");
    TagDescriptor mvhd("mvhd",
                       [&](const ScanView& v) { return DecodeMovieDuration(v, &duration); });
    ScanResult d = ByteSearch(file, moov, &mvhd);

    float period = 0.0f;
    ScanResult p = PathWalk(file, [&](const ScanView& v) { return DecodeFramePeriod(v, &period); });
    if (!d.error.empty() || !p.error.empty()) {
        result.error = !d.error.empty() ? d.error : p.error;
        return result;
    }
    result.durationSec = d.hit() ? duration : 0.0f;
    const bool havePeriod = p.hit();
    result.accepted = result.durationSec > 1.5f || (havePeriod && period == 15.0f);
    if (!result.accepted) {
        result.framePeriodMs = havePeriod ? period : 0.0f;
        return result;
    }
    file.Close();
    // The walk is deterministic: its period stands for the second scan. When
    // it found none, ask the first video track's own time scale.
    result.framePeriodMs = havePeriod ? period : VideoTrackFramePeriod(path);
    if (!(result.framePeriodMs > 0.0f)) {
        // No frame period: frame positions cannot be computed, so the movie
        // cannot be played as one.
        result.framePeriodMs = 0.0f;
        result.accepted = false;
    }
    return result;
}

int64_t FrameCountByByteSearch(const std::string& path) {
    MappedFile file;
    if (!file.Open(path)) {
        return -1;
    }
    int64_t count = -1;
    TagDescriptor stsz("stsz", [&](const ScanView& v) {
        if (v.size < 12) {
            return -1;
        }
        count = ReadBE32(v.data + 8);
        return 0;
    });
    ByteSearch(file, stsz);
    return count;
}

} // namespace playcore
