// The camera's "gps0" box: header block, one 79-byte text record per 100 ms
// of movie and the "CSOEND" trailer. All numbers in the records are ASCII
// text at fixed offsets; the reader in the core decodes exactly these fields.
#include "SynthInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace synth {

namespace {

constexpr int kRecordSize = 79;
constexpr double kDegToRad = std::numbers::pi / 180.0;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

void Put(std::string& s, size_t at, const char* text, size_t len) {
    std::memcpy(&s[at], text, len);
}

// Writes `value` formatted into exactly `len` characters at `at`.
template <typename... A>
void PutF(std::string& s, size_t at, size_t len, const char* fmt, A... args) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, args...);
    std::memcpy(&s[at], buf, len);
}

// ddmm.mmmm (degreeDigits = 2) or dddmm.mmmm (3) of |degrees|.
void PutCoordinate(std::string& s, size_t at, double degrees, int degreeDigits) {
    const int64_t total = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
    const int64_t deg = total / 600000;
    const int64_t min = (total % 600000) / 10000;
    const int64_t frac = total % 10000;
    if (degreeDigits == 2) {
        PutF(s, at, 9, "%02lld%02lld.%04lld", static_cast<long long>(deg % 100),
             static_cast<long long>(min), static_cast<long long>(frac));
    } else {
        PutF(s, at, 10, "%03lld%02lld.%04lld", static_cast<long long>(deg % 1000),
             static_cast<long long>(min), static_cast<long long>(frac));
    }
}

void PutMilliG(std::string& s, size_t at, double g) {
    const long v = std::clamp(std::lround(g * 1000.0), -9999L, 9999L);
    PutF(s, at, 5, "%+05ld", v);
}

struct DriveState {
    double lat, lon, speedKmh, headingDeg;
};

// The vehicle's speed (km/h) and heading (degrees) at drive time t seconds:
// smooth, deterministic curves, the same for every file of a drive.
double SpeedAt(const SensorOptions& s, double t) {
    if (s.cruiseKmh <= 0.0) {
        return 0.0;
    }
    const double f = 0.75 + 0.35 * std::sin(2.0 * std::numbers::pi * t / 41.0) +
                     0.10 * std::sin(2.0 * std::numbers::pi * t / 13.0);
    return s.cruiseKmh * std::max(0.0, f);
}

double HeadingAt(const SensorOptions& s, double t) {
    if (s.cruiseKmh <= 0.0) {
        return s.headingDeg;
    }
    return s.headingDeg + 30.0 * std::sin(2.0 * std::numbers::pi * t / 97.0);
}

void Advance(const SensorOptions& s, DriveState& d, double t, double dt) {
    d.speedKmh = SpeedAt(s, t);
    d.headingDeg = HeadingAt(s, t);
    const double metres = d.speedKmh / 3.6 * dt;
    const double h = d.headingDeg * kDegToRad;
    d.lat += metres * std::cos(h) / 111320.0;
    d.lon += metres * std::sin(h) / (111320.0 * std::max(0.01, std::cos(d.lat * kDegToRad)));
}

} // namespace

void detail::DrivePositionAt(const SensorOptions& s, double t, double* lat, double* lon) {
    DriveState d{s.startLatitude, s.startLongitude, SpeedAt(s, 0.0), HeadingAt(s, 0.0)};
    const int steps = static_cast<int>(std::lround(std::max(0.0, t) * 10.0));
    // The same steps as the records take: record m moves at the speed of time m.
    for (int m = 1; m <= steps; ++m) {
        Advance(s, d, m * 0.1, 0.1);
    }
    *lat = d.lat;
    *lon = d.lon;
}

DateTime AddSeconds(const DateTime& t, int64_t seconds) {
    int64_t total = DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 +
                    t.second + seconds;
    int64_t days = total / 86400;
    int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    DateTime r;
    CivilFromDays(days, r.year, r.month, r.day);
    r.hour = static_cast<int>(rest / 3600);
    r.minute = static_cast<int>(rest / 60 % 60);
    r.second = static_cast<int>(rest % 60);
    return r;
}

int64_t FrameDeltaUs(double fps) {
    if (!(fps > 0.0)) {
        fps = 29.1;
    }
    return std::max<int64_t>(1, std::llround(1e6 / fps));
}

int FrameCount(const RecordingOptions& o) {
    const double frames =
        std::max(0.0, o.durationSec) * 1e6 / static_cast<double>(FrameDeltaUs(o.fps));
    return std::max(1, static_cast<int>(std::lround(frames)));
}

int RecordCount(const RecordingOptions& o) {
    if (o.sensor.recordCount >= 0) {
        return std::min(o.sensor.recordCount, 65535);
    }
    return std::clamp(static_cast<int>(std::lround(std::max(0.0, o.durationSec) * 10.0)), 0, 65535);
}

std::string MakeGps0Box(const RecordingOptions& o) {
    const SensorOptions& s = o.sensor;
    const int n = RecordCount(o);
    const uint64_t size = Gps0BoxSize(static_cast<uint32_t>(n));
    std::string box(size, '\0');
    // Box header.
    for (int i = 0; i < 4; ++i) {
        box[static_cast<size_t>(i)] = static_cast<char>((size >> (24 - 8 * i)) & 0xFF);
    }
    Put(box, 4, "gps0", 4);
    Put(box, 8, "CSODAT", 6);
    // Header block at 14: six verbatim characters, three reference values,
    // orientation letter, seven uninterpreted bytes.
    std::string fw = s.firmware;
    fw.resize(6, '0');
    Put(box, 14, fw.data(), 6);
    for (int i = 0; i < 3; ++i) {
        PutF(box, 20 + 4 * static_cast<size_t>(i), 4, "%04d",
             std::clamp(s.referenceMilliG[i], 0, 9999));
    }
    box[32] = s.orientation;
    Put(box, 33, "0000000", 7);
    box[40] = static_cast<char>((n >> 8) & 0xFF);
    box[41] = static_cast<char>(n & 0xFF);

    detail::Random rnd(0x5EED0000ull ^ (uint64_t{o.seed} * 0x100000001B3ull));
    // Carry the drive forward to this file's start.
    const int skip = static_cast<int>(std::lround(std::max(0.0, s.driveOffsetSec) * 10.0));
    DriveState drive{0.0, 0.0, 0.0, 0.0};
    detail::DrivePositionAt(s, skip * 0.1, &drive.lat, &drive.lon);
    double prevSpeed = SpeedAt(s, skip * 0.1);
    double prevHeading = HeadingAt(s, skip * 0.1);

    for (int k = 0; k < n; ++k) {
        const size_t at = 42 + static_cast<size_t>(k) * kRecordSize;
        std::string rec(kRecordSize, '0');
        const double t = (skip + k) * 0.1;
        Advance(s, drive, t, k == 0 ? 0.0 : 0.1);

        bool valid = k >= s.invalidFirst;
        if (s.invalidEvery > 0 && k % s.invalidEvery == s.invalidEvery - 1) {
            valid = false;
        }
        Put(rec, 0, "$GPS,", 5);
        rec[5] = valid ? 'A' : 'V';
        if (valid) {
            PutCoordinate(rec, 6, drive.lat, 2);
            PutCoordinate(rec, 16, drive.lon, 3);
            PutF(rec, 27, 4, "%04ld", std::clamp(std::lround(drive.speedKmh), 0L, 9999L));
        } else {
            Put(rec, 6, "0000.0000", 9);
            Put(rec, 16, "00000.0000", 10);
            Put(rec, 27, "0000", 4);
        }
        rec[15] = drive.lat < 0 ? '\0' : s.latitudeSign;
        rec[26] = drive.lon < 0 ? '\0' : s.longitudeSign;
        const int corr = s.writeCorrection ? std::clamp(s.correctionSec, -99, 99) : 0;
        const DateTime when = AddSeconds(o.start, k / 10 - corr);
        PutF(rec, 31, 12, "%02d%02d%02d%02d%02d%02d", ((when.year % 100) + 100) % 100, when.month,
             when.day, when.hour, when.minute, when.second);
        rec[43] = ',';
        if (s.writeCorrection) {
            PutF(rec, 44, 3, "%+03d", corr);
        } else {
            Put(rec, 44, "***", 3);
        }
        PutF(rec, 47, 10, ",%05.1f,000",
             std::fmod(std::fmod(drive.headingDeg, 360.0) + 360.0, 360.0));

        // Acceleration: lateral from turning, longitudinal from speed change,
        // vertical gravity, plus a little road noise.
        const double dv = (drive.speedKmh - prevSpeed) / 3.6 / 0.1;
        const double turn = (drive.headingDeg - prevHeading) * kDegToRad / 0.1;
        prevSpeed = drive.speedKmh;
        prevHeading = drive.headingDeg;
        const double moving = s.cruiseKmh > 0.0 ? 1.0 : 0.2;
        double g[3] = {drive.speedKmh / 3.6 * turn / 9.81 + 0.02 * moving * rnd.Symmetric(),
                       dv / 9.81 + 0.02 * moving * rnd.Symmetric(),
                       1.0 + 0.03 * moving * rnd.Symmetric()};
        int status = s.status;
        for (const SensorEvent& e : s.events) {
            const int k0 = static_cast<int>(std::lround(e.timeSec * 10.0));
            const int len = std::max(1, static_cast<int>(std::lround(e.durationSec * 10.0)));
            if (k < k0 || k >= k0 + len) {
                continue;
            }
            const int axis = e.axis == 'X' ? 0 : e.axis == 'Y' ? 1 : e.axis == 'Z' ? 2 : -1;
            if (axis >= 0) {
                rec[73] = e.axis;
                g[axis] += e.peakG * std::sin(std::numbers::pi * (k - k0 + 0.5) / len);
            }
            if (e.flagCode == 5) {
                rec[72] = 'D';
            } else if (e.flagCode == 7) {
                rec[74] = 'D';
            }
            if (e.status >= 0) {
                status = e.status;
            }
        }
        PutMilliG(rec, 57, g[0]);
        PutMilliG(rec, 62, g[1]);
        PutMilliG(rec, 67, g[2]);
        rec[78] = static_cast<char>(status & 0xFF);
        std::memcpy(&box[at], rec.data(), kRecordSize);
    }
    // Flag bytes: the byte after record k (byte 0 of record k + 1) carries its
    // nibbles; the last record's is the trailer's 'C' and cannot be set.
    for (const SensorEvent& e : s.events) {
        if (e.flagByte < 0) {
            continue;
        }
        const int k0 = static_cast<int>(std::lround(e.timeSec * 10.0));
        const int len = std::max(1, static_cast<int>(std::lround(e.durationSec * 10.0)));
        for (int k = std::max(0, k0); k < k0 + len && k + 1 < n; ++k) {
            box[42 + static_cast<size_t>(k + 1) * kRecordSize] =
                static_cast<char>(e.flagByte & 0xFF);
        }
    }
    Put(box, 42 + static_cast<size_t>(n) * kRecordSize, "CSOEND", 6);
    return box;
}

} // namespace synth
