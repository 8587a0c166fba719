// brivona-tool synth: writes generated camera recordings (one file or a whole
// card) for tests, fuzzing seeds and the demo card.
#include "synth/Synth.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

const char* help_synth() {
    return "synth (--out FILE | --card DIR) [options]  write generated recordings (--help)";
}

namespace {

const char kUsage[] =
    "usage: brivona-tool synth --out FILE [--camera main|rear] [--size WxH] [common options]\n"
    "       brivona-tool synth --card DIR [--folders K] [--pairs N] [--main-size WxH]\n"
    "                          [--rear-size WxH] [--triggers M,G,A,P,S] [common options]\n"
    "common options:\n"
    "  --fps F             frame rate (default 29.1: stts delta 34364 us)\n"
    "  --duration S        seconds per recording (default 2)\n"
    "  --no-audio          no AAC track\n"
    "  --seed N            noise of the sensor records (default 1)\n"
    "  --start YYYYMMDDHHMMSS  wall-clock start (default 20240517093000)\n"
    "  --preset NAME       x264 preset (default ultrafast)\n"
    "  --crf N             x264 constant rate factor (default 23)\n"
    "  --grain N           luma noise of +-N levels per frame (camera-like bit rate)\n"
    "one file only:\n"
    "  --no-gps0           no sensor box\n"
    "  --incomplete        sensor box cut short, no CSOEND trailer (power cut)\n"
    "  --bframes           B-frames\n"
    "  --faststart         moov before mdat\n"
    "  --gps0-before-mdat  sensor box in front of mdat (not at the end)\n"
    "  --event T:AXIS:G[:FLAG]  sensor event at T s on axis X|Y|Z|- with peak G;\n"
    "                      FLAG is 5 or 7 (flag code), 0xNN (flag byte) or a status letter\n"
    "  --invalid-every N   every N-th fix invalid ('V')\n"
    "  --invalid-first N   the first N fixes invalid\n"
    "  --negative          southern/western position (zero sign bytes)\n"
    "  --correction S      seconds correction field (+S)\n"
    "  --records N         record count instead of one per 100 ms\n"
    "card only:\n"
    "  --no-incomplete     every file complete\n"
    "  --rear-missing-every N  every N-th recording without rear file (default 4, 0 = none)\n"
    "Prints the path of every file written.\n";

bool ParseSize(const char* s, int* w, int* h) {
    char* end = nullptr;
    const long a = std::strtol(s, &end, 10);
    if (end == s || (*end != 'x' && *end != 'X')) {
        return false;
    }
    const char* t = end + 1;
    const long b = std::strtol(t, &end, 10);
    if (end == t || *end != '\0' || a <= 0 || b <= 0 || a > 100000 || b > 100000) {
        return false;
    }
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

bool ParseInt(const char* s, long lo, long hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 0);
    if (end == s || *end != '\0' || v < lo || v > hi) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

bool ParseDouble(const char* s, double* out) {
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || *end != '\0') {
        return false;
    }
    *out = v;
    return true;
}

bool ParseStart(const char* s, synth::DateTime* t) {
    if (std::strlen(s) != 14 || std::strspn(s, "0123456789") != 14) {
        return false;
    }
    auto num = [s](int at, int len) { return std::atoi(std::string(s + at, len).c_str()); };
    t->year = num(0, 4);
    t->month = num(4, 2);
    t->day = num(6, 2);
    t->hour = num(8, 2);
    t->minute = num(10, 2);
    t->second = num(12, 2);
    return t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31 && t->hour < 24 &&
           t->minute < 60 && t->second < 60;
}

// T:AXIS:G[:FLAG]
bool ParseEvent(const char* s, synth::SensorEvent* e) {
    std::vector<std::string> parts;
    std::string cur;
    for (const char* p = s;; ++p) {
        if (*p == ':' || *p == '\0') {
            parts.push_back(cur);
            cur.clear();
            if (*p == '\0') {
                break;
            }
        } else {
            cur += *p;
        }
    }
    if (parts.size() < 3 || parts.size() > 4 || !ParseDouble(parts[0].c_str(), &e->timeSec) ||
        e->timeSec < 0) {
        return false;
    }
    if (parts[1] == "X" || parts[1] == "Y" || parts[1] == "Z") {
        e->axis = parts[1][0];
    } else if (parts[1] != "-" && !parts[1].empty()) {
        return false;
    }
    if (!ParseDouble(parts[2].c_str(), &e->peakG)) {
        return false;
    }
    if (parts.size() == 4) {
        const std::string& f = parts[3];
        if (f == "5" || f == "7") {
            e->flagCode = f[0] - '0';
        } else if (f.size() > 2 && f[0] == '0' && (f[1] == 'x' || f[1] == 'X')) {
            if (!ParseInt(f.c_str(), 0, 255, &e->flagByte)) {
                return false;
            }
        } else if (f.size() == 1) {
            e->status = static_cast<unsigned char>(f[0]);
        } else {
            return false;
        }
    }
    return true;
}

int Bad(const char* what, const char* value) {
    std::fprintf(stderr, "synth: bad %s '%s'\n%s", what, value, kUsage);
    return 2;
}

} // namespace

int cmd_synth(int argc, char** argv) {
    // The encoders' statistics are noise here; errors still show.
    av_log_set_level(AV_LOG_ERROR);
    std::string out, card, camera = "main";
    synth::RecordingOptions ro;
    synth::CardOptions co;
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& v) {
            if (i + 1 >= argc) {
                return false;
            }
            v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--no-audio") {
            ro.audio = co.audio = false;
        } else if (a == "--no-gps0") {
            ro.gps0 = false;
        } else if (a == "--incomplete") {
            ro.trailer = false;
        } else if (a == "--no-incomplete") {
            co.incompleteLast = false;
        } else if (a == "--bframes") {
            ro.bframes = true;
        } else if (a == "--faststart") {
            ro.fastStart = true;
        } else if (a == "--gps0-before-mdat") {
            ro.gps0BeforeMdat = true;
        } else if (a == "--negative") {
            ro.sensor.startLatitude = -34.603722;
            ro.sensor.startLongitude = -58.381592;
        } else if (!value(v)) {
            std::fprintf(stderr, "synth: unknown option or missing value: %s\n%s", a.c_str(),
                         kUsage);
            return 2;
        } else if (a == "--out") {
            out = v;
        } else if (a == "--card") {
            card = v;
        } else if (a == "--camera") {
            camera = v;
            if (camera != "main" && camera != "rear") {
                return Bad("camera", v);
            }
        } else if (a == "--size") {
            if (!ParseSize(v, &ro.width, &ro.height)) {
                return Bad("size", v);
            }
            sizeGiven = true;
        } else if (a == "--main-size") {
            if (!ParseSize(v, &co.mainWidth, &co.mainHeight)) {
                return Bad("size", v);
            }
        } else if (a == "--rear-size") {
            if (!ParseSize(v, &co.rearWidth, &co.rearHeight)) {
                return Bad("size", v);
            }
        } else if (a == "--fps") {
            if (!ParseDouble(v, &ro.fps)) {
                return Bad("frame rate", v);
            }
            co.fps = ro.fps;
        } else if (a == "--duration") {
            if (!ParseDouble(v, &ro.durationSec)) {
                return Bad("duration", v);
            }
            co.durationSec = ro.durationSec;
        } else if (a == "--seed") {
            int s = 0;
            if (!ParseInt(v, 0, 0x7FFFFFFF, &s)) {
                return Bad("seed", v);
            }
            ro.seed = co.seed = static_cast<uint32_t>(s);
        } else if (a == "--start") {
            if (!ParseStart(v, &ro.start)) {
                return Bad("start time", v);
            }
            co.start = ro.start;
        } else if (a == "--crf") {
            if (!ParseInt(v, 0, 51, &ro.crf)) {
                return Bad("crf", v);
            }
        } else if (a == "--grain") {
            if (!ParseInt(v, 0, 100, &ro.grain)) {
                return Bad("grain", v);
            }
        } else if (a == "--preset") {
            ro.preset = co.preset = v;
        } else if (a == "--folders") {
            if (!ParseInt(v, 1, 999, &co.folders)) {
                return Bad("folder count", v);
            }
        } else if (a == "--pairs") {
            if (!ParseInt(v, 1, 999, &co.pairs)) {
                return Bad("pair count", v);
            }
        } else if (a == "--triggers") {
            co.triggers.clear();
            for (const char* p = v; *p != '\0'; ++p) {
                if (*p != ',') {
                    co.triggers += *p;
                }
            }
        } else if (a == "--rear-missing-every") {
            if (!ParseInt(v, 0, 999, &co.rearMissingEvery)) {
                return Bad("count", v);
            }
        } else if (a == "--event") {
            synth::SensorEvent e;
            if (!ParseEvent(v, &e)) {
                return Bad("event", v);
            }
            ro.sensor.events.push_back(e);
        } else if (a == "--invalid-every") {
            if (!ParseInt(v, 0, 65535, &ro.sensor.invalidEvery)) {
                return Bad("count", v);
            }
        } else if (a == "--invalid-first") {
            if (!ParseInt(v, 0, 65535, &ro.sensor.invalidFirst)) {
                return Bad("count", v);
            }
        } else if (a == "--correction") {
            if (!ParseInt(v, -99, 99, &ro.sensor.correctionSec)) {
                return Bad("correction", v);
            }
            ro.sensor.writeCorrection = true;
        } else if (a == "--records") {
            if (!ParseInt(v, 0, 65535, &ro.sensor.recordCount)) {
                return Bad("record count", v);
            }
        } else {
            std::fprintf(stderr, "synth: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (out.empty() == card.empty()) {
        std::fprintf(stderr, "synth: give exactly one of --out FILE and --card DIR\n%s", kUsage);
        return 2;
    }
    std::string error;
    if (!out.empty()) {
        ro.camera = camera == "rear" ? synth::Camera::Rear : synth::Camera::Main;
        if (!sizeGiven && ro.camera == synth::Camera::Rear) {
            ro.width = 256;
            ro.height = 144;
        }
        if (!synth::WriteRecording(out, ro, &error)) {
            std::fprintf(stderr, "synth: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s\n", out.c_str());
        return 0;
    }
    std::vector<std::string> files;
    const bool ok = synth::WriteCard(card, co, &files, &error);
    for (const std::string& f : files) {
        std::printf("%s\n", f.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "synth: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
