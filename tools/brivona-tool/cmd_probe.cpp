// brivona-tool probe: prints what the viewer reads from recording files: the
// completeness check, the movie probe, the movie facts of the box tree, the
// box tree itself, the sensor track as loaded and, with --frame-map, the
// frame map built from it.
#include "Json.h"

#include "playcore/MovieProbe.h"
#include "playcore/Mp4Movie.h"
#include "playcore/SensorTrack.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace playcore;

const char* help_probe() {
    return "probe [--json] [--frame-map] [--frames F] FILE...  what the viewer reads from files";
}

namespace {

const char kUsage[] = "usage: brivona-tool probe [--json] [--frame-map] [--frames F] FILE...\n"
                      "  --json       a JSON array, one object per file\n"
                      "  --frame-map  also build the frame map (F frames: --frames, else\n"
                      "               trunc(duration_s * 1000 / frame_period_ms))\n"
                      "  --frames F   frame count for the frame map\n"
                      "Files that cannot be read are reported on stderr (exit status 1); the\n"
                      "others are still printed.\n";

struct Options {
    bool json = false;
    bool frameMap = false;
    int64_t frames = -1;
    std::vector<std::string> files;
};

struct BoxRow {
    std::string type;
    uint64_t offset, size;
    uint32_t depth;
    bool leaf;
};

void CollectBoxes(const sTAGNODE& node, std::vector<BoxRow>* out) {
    for (const sTAGNODE& c : node.children) {
        out->push_back({std::string(c.typeName()), c.initialPayloadOffset - c.headerSize,
                        c.initialPayloadLength + c.headerSize, c.depth, c.leaf != 0});
        CollectBoxes(c, out);
    }
}

// Everything read from one file.
struct FileFacts {
    std::string path;
    uint64_t size = 0;
    bool complete = false;
    MovieProbeResult probe;
    int64_t frameCount = -1;
    int64_t frameCountSearch = -1;
    double frameRate = -1.0;
    std::optional<VideoSize> videoSize;
    std::optional<CalendarTime> startTime;
    std::vector<BoxRow> boxes;
};

bool ReadFacts(const std::string& path, FileFacts* f, std::string* error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = "not a regular file";
        return false;
    }
    f->path = path;
    f->size = static_cast<uint64_t>(st.st_size);
    f->complete = IsCompleteRecording(path);
    f->probe = ProbeMovie(path);
    f->frameCountSearch = FrameCountByByteSearch(path);
    std::unique_ptr<sMP4MOVIE> movie = OpenMovieStructure(path);
    if (movie) {
        f->frameCount = GetFrameCount(*movie);
        f->frameRate = GetFrameRate(*movie);
        f->videoSize = GetVideoSize(*movie);
        CalendarTime t;
        if (GetStartDateTime(*movie, &t)) {
            f->startTime = t;
        }
        CollectBoxes(movie->root, &f->boxes);
    }
    return true;
}

int64_t MapFrames(const Options& o, const FileFacts& f) {
    if (o.frames >= 0) {
        return o.frames;
    }
    if (!(f.probe.framePeriodMs > 0.0f)) {
        return 0;
    }
    const double frames = std::trunc(static_cast<double>(f.probe.durationSec) * 1000.0 /
                                     static_cast<double>(f.probe.framePeriodMs));
    return frames > 0.0 && frames < static_cast<double>(INT32_MAX) ? static_cast<int64_t>(frames)
                                                                   : 0;
}

void TimeArray(JsonWriter& w, const CalendarTime& t) {
    w.BeginArray();
    for (int v :
         {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds}) {
        w.Int(v);
    }
    w.EndArray();
}

void WriteJson(JsonWriter& w, const Options& o, const FileFacts& f, SensorTrack& track) {
    w.BeginObject();
    w.Key("path").String(f.path);
    w.Key("size").UInt(f.size);
    w.Key("complete").Bool(f.complete);
    w.Key("accepted").Bool(f.probe.accepted);
    w.Key("duration_s").Number(f.probe.durationSec);
    w.Key("frame_period_ms").Number(f.probe.framePeriodMs);
    w.Key("frame_count").Int(f.frameCount);
    w.Key("frame_count_search").Int(f.frameCountSearch);
    w.Key("frame_rate").Number(f.frameRate);
    w.Key("video_size");
    if (f.videoSize) {
        w.BeginArray().Int(f.videoSize->width).Int(f.videoSize->height).EndArray();
    } else {
        w.Null();
    }
    w.Key("start_time");
    if (f.startTime) {
        TimeArray(w, *f.startTime);
    } else {
        w.Null();
    }
    w.Key("boxes").BeginArray();
    for (const BoxRow& b : f.boxes) {
        w.BeginObject();
        w.Key("type").String(b.type);
        w.Key("offset").UInt(b.offset);
        w.Key("size").UInt(b.size);
        w.Key("depth").Int(b.depth);
        w.Key("leaf").Bool(b.leaf);
        w.EndObject();
    }
    w.EndArray();

    w.Key("sensor").BeginObject();
    w.Key("loaded").Bool(track.loaded());
    w.Key("header");
    if (track.hasHeader()) {
        const SensorHeader& h = track.header();
        w.BeginObject();
        w.Key("ref").BeginArray().Number(h.ref[0]).Number(h.ref[1]).Number(h.ref[2]).EndArray();
        w.Key("orientation").String(std::string(1, h.orientation));
        w.Key("chars4").String(std::string(h.chars4.data(), h.chars4.size()));
        w.Key("chars2").String(std::string(h.chars2.data(), h.chars2.size()));
        w.Key("valid").Bool(h.valid());
        w.EndObject();
    } else {
        w.Null();
    }
    w.Key("record_count").UInt(track.recordCount());
    w.Key("record_index").Int(track.recordIndex());
    w.Key("mdat_size").UInt(track.mdatSize());
    w.Key("gps").BeginArray();
    for (const GpsSample& g : track.gps()) {
        w.BeginObject();
        w.Key("index").Int(g.index);
        w.Key("frame").Int(g.frame);
        w.Key("valid").Int(g.valid);
        w.Key("lat").Number(g.lat);
        w.Key("lng").Number(g.lng);
        w.Key("speed").Number(g.speed);
        w.Key("time");
        TimeArray(w, g.time);
        w.EndObject();
    }
    w.EndArray();
    w.Key("accel").BeginArray();
    for (const AccelSample& a : track.accel()) {
        w.BeginObject();
        w.Key("index").Int(a.index);
        w.Key("frame").Int(a.frame);
        w.Key("flagCode").Int(a.flagCode);
        w.Key("axisCode").Int(a.axisCode);
        w.Key("status").Int(a.status);
        w.Key("v").BeginArray().Number(a.v[0]).Number(a.v[1]).Number(a.v[2]).EndArray();
        w.Key("hi").Int(a.flagHigh);
        w.Key("lo").Int(a.flagLow);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject(); // sensor

    if (o.frameMap) {
        const int64_t frames = MapFrames(o, f);
        const bool built = frames > 0 && frames <= kMaxFrameMapFrames &&
                           track.BuildFrameMap(static_cast<int32_t>(frames), f.probe.framePeriodMs);
        w.Key("frame_map").BeginObject();
        w.Key("frames").Int(frames);
        w.Key("built").Bool(built);
        w.Key("map").BeginArray();
        for (int32_t i : track.frameMap()) {
            w.Int(i);
        }
        w.EndArray();
        w.Key("accel_frames").BeginArray();
        for (const AccelSample& a : track.accel()) {
            w.Int(a.frame);
        }
        w.EndArray();
        w.Key("gps_frames").BeginArray();
        for (const GpsSample& g : track.gps()) {
            w.Int(g.frame);
        }
        w.EndArray();
        w.Key("accel_linked_gps").BeginArray();
        for (const AccelSample& a : track.accel()) {
            w.Int(a.linkedGps);
        }
        w.EndArray();
        w.Key("gps_linked_accel").BeginArray();
        for (const GpsSample& g : track.gps()) {
            w.Int(g.linkedAccel);
        }
        w.EndArray();
        w.Key("differenced").BeginArray();
        for (const AccelSample& a : track.accel()) {
            w.BeginArray().Number(a.v[0]).Number(a.v[1]).Number(a.v[2]).EndArray();
        }
        w.EndArray();
        w.Key("peak_abs_g").Number(track.peakAbsG());
        w.EndObject();
    }
    w.EndObject();
}

std::string TimeText(const CalendarTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return buf;
}

// Paths are printed as they are, except for control characters.
std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

void WriteText(const Options& o, const FileFacts& f, SensorTrack& track) {
    std::printf("%s\n", Printable(f.path).c_str());
    std::printf("  size %llu bytes, complete %s, accepted %s\n",
                static_cast<unsigned long long>(f.size), f.complete ? "yes" : "no",
                f.probe.accepted ? "yes" : "no");
    std::printf("  duration %.3f s, frame period %g ms, frames %lld (byte search %lld), "
                "frame rate %.3f\n",
                static_cast<double>(f.probe.durationSec),
                static_cast<double>(f.probe.framePeriodMs), static_cast<long long>(f.frameCount),
                static_cast<long long>(f.frameCountSearch), f.frameRate);
    if (f.videoSize) {
        std::printf("  video %ux%u\n", unsigned{f.videoSize->width}, unsigned{f.videoSize->height});
    }
    std::printf("  start %s\n", f.startTime ? TimeText(*f.startTime).c_str() : "none");
    std::printf("  boxes:\n");
    for (const BoxRow& b : f.boxes) {
        std::printf("    %*s%-4s  offset %llu  size %llu%s\n", static_cast<int>(2 * b.depth), "",
                    Printable(b.type).c_str(), static_cast<unsigned long long>(b.offset),
                    static_cast<unsigned long long>(b.size), b.leaf ? "" : "  (container)");
    }
    if (track.hasHeader()) {
        const SensorHeader& h = track.header();
        std::printf(
            "  sensor header: orientation '%s', reference %.3f %.3f %.3f G, text \"%s%s\"\n",
            Printable(std::string(1, h.orientation)).c_str(), static_cast<double>(h.ref[0]),
            static_cast<double>(h.ref[1]), static_cast<double>(h.ref[2]),
            Printable(std::string(h.chars4.data(), 4)).c_str(),
            Printable(std::string(h.chars2.data(), 2)).c_str());
    } else {
        std::printf("  sensor header: none\n");
    }
    std::printf("  sensor records: %zu decoded of %u stored (record index %d), mdat %llu bytes\n",
                track.gps().size(), track.recordCount(), track.recordIndex(),
                static_cast<unsigned long long>(track.mdatSize()));
    const std::size_t n = track.gps().size();
    if (n > 0) {
        std::printf("    %5s %6s %1s %12s %12s %6s %19s | %8s %8s %8s %4s %4s %6s %2s %2s\n", "k",
                    "ms", "A", "lat", "lng", "km/h", "time", "v0", "v1", "v2", "flag", "axis",
                    "status", "hi", "lo");
    }
    for (std::size_t k = 0; k < n; ++k) {
        const GpsSample& g = track.gps()[k];
        const AccelSample& a = track.accel()[k];
        std::printf("    %5d %6d %1d %12.7f %12.7f %6.1f %19s | %8.3f %8.3f %8.3f %4d %4d %6d %2d "
                    "%2d\n",
                    g.index, g.frame, g.valid, g.lat, g.lng, g.speed, TimeText(g.time).c_str(),
                    a.v[0], a.v[1], a.v[2], a.flagCode, a.axisCode, a.status, a.flagHigh,
                    a.flagLow);
    }
    if (o.frameMap) {
        const int64_t frames = MapFrames(o, f);
        const bool built = frames > 0 && frames <= kMaxFrameMapFrames &&
                           track.BuildFrameMap(static_cast<int32_t>(frames), f.probe.framePeriodMs);
        std::printf("  frame map: %lld frames, %s, peak |G| %.4f\n", static_cast<long long>(frames),
                    built ? "built" : "not built", track.peakAbsG());
        if (built) {
            for (int32_t i = 0; i < static_cast<int32_t>(frames); ++i) {
                const AccelSample* a = track.SampleForFrame(i);
                const GpsSample* g = a != nullptr ? track.LinkedGps(*a) : nullptr;
                std::printf("    frame %6d  accel %5d  gps %5d\n", i, a != nullptr ? a->index : -1,
                            g != nullptr ? g->index : -1);
            }
        }
    }
}

bool ParseOptions(int argc, char** argv, Options* o, int* exitCode) {
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (filesOnly || a.empty() || a[0] != '-' || a == "-") {
            o->files.push_back(a);
        } else if (a == "--") {
            filesOnly = true;
        } else if (a == "--json") {
            o->json = true;
        } else if (a == "--frame-map") {
            o->frameMap = true;
        } else if (a == "--frames" && i + 1 < argc) {
            const char* s = argv[++i];
            char* end = nullptr;
            errno = 0;
            const long long v = std::strtoll(s, &end, 10);
            if (end == s || *end != '\0' || errno != 0 || v < 0 || v > INT32_MAX) {
                std::fprintf(stderr, "brivona-tool probe: bad frame count '%s'\n", s);
                *exitCode = 2;
                return false;
            }
            o->frames = v;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            *exitCode = 0;
            return false;
        } else {
            std::fprintf(stderr, "brivona-tool probe: unknown option '%s'\n%s", a.c_str(), kUsage);
            *exitCode = 2;
            return false;
        }
    }
    if (o->files.empty()) {
        std::fputs(kUsage, stderr);
        *exitCode = 2;
        return false;
    }
    return true;
}

} // namespace

int cmd_probe(int argc, char** argv) {
    Options o;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, &o, &exitCode)) {
        return exitCode;
    }
    // The JSON array holds one compact object per line.
    bool firstObject = true;
    if (o.json) {
        std::fputs("[", stdout);
    }
    int status = 0;
    for (const std::string& path : o.files) {
        FileFacts f;
        std::string error;
        if (!ReadFacts(path, &f, &error)) {
            std::fprintf(stderr, "brivona-tool probe: %s: %s\n", Printable(path).c_str(),
                         error.c_str());
            status = 1;
            continue;
        }
        SensorTrack track;
        if (!track.Load(path, &error)) {
            std::fprintf(stderr, "brivona-tool probe: %s: sensor track: %s\n",
                         Printable(path).c_str(), error.empty() ? "cannot be read" : error.c_str());
            status = 1;
        }
        if (o.json) {
            JsonWriter w;
            WriteJson(w, o, f, track);
            std::fputs(firstObject ? "\n" : ",\n", stdout);
            std::fwrite(w.str().data(), 1, w.str().size(), stdout);
            firstObject = false;
        } else {
            WriteText(o, f, track);
        }
    }
    if (o.json) {
        std::fputs("\n]\n", stdout);
    }
    return status;
}
