#include "playcore/SensorDecoder.h"

#include "playcore/ByteOrder.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace playcore {

namespace {

// The "C" numeric locale for strtod_l, created once and never changed, so the
// camera's decimal point reads the same whatever locale the viewer runs in.
locale_t CNumericLocale() {
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return locale;
}

// Longest text field of a record (the longitude, ten characters).
constexpr std::size_t kMaxField = 16;

// Copies a field into `buffer` with a terminating zero.
void CopyField(const uint8_t* text, std::size_t length, char (&buffer)[kMaxField + 1]) {
    const std::size_t n = std::min(length, kMaxField);
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

} // namespace

double SensorTextToDouble(const uint8_t* text, std::size_t length) {
    char buffer[kMaxField + 1];
    CopyField(text, length, buffer);
    const locale_t c = CNumericLocale();
    const double value = c != nullptr ? strtod_l(buffer, nullptr, c) : std::strtod(buffer, nullptr);
    // strtod also accepts "inf" and "nan" (and overflows to infinity); a
    // record never means either, and they would poison the graph's scale and
    // the map's coordinates.
    return std::isfinite(value) ? value : 0.0;
}

int SensorTextToInt(const uint8_t* text, std::size_t length) {
    char buffer[kMaxField + 1];
    CopyField(text, length, buffer);
    const long value = std::strtol(buffer, nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

float SensorTextToG(const uint8_t* text, std::size_t length) {
    const double value = SensorTextToDouble(text, length);
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) {
        return 0.0f;
    }
    return static_cast<float>(value) / 1000.0f;
}

double DegreeMinutesToDegrees(double value, bool positive) {
    const double degrees = std::trunc(value / 100.0);
    const double minutes = std::fmod(value, 100.0);
    return (minutes / 60.0 + degrees) * (positive ? 1.0 : -1.0);
}

SensorHeader DecodeSensorHeaderBlock(const uint8_t* block) {
    SensorHeader h;
    std::memcpy(h.chars4.data(), block, 4);
    std::memcpy(h.chars2.data(), block + 4, 2);
    h.orientation = static_cast<char>(block[18]);
    if (h.valid()) {
        for (int i = 0; i < 3; ++i) {
            h.ref[i] = SensorTextToG(block + 6 + 4 * i, 4);
        }
    } else {
        h.ref[0] = h.ref[1] = h.ref[2] = -1.0f;
    }
    return h;
}

std::optional<SensorHeader> DecodeSensorHeader(std::span<const uint8_t> box) {
    box = SensorBoxBytes(box);
    std::size_t at = kSensorHeaderOffset;
    if (box.size() < at + kSensorHeaderSize) {
        return std::nullopt;
    }
    SensorHeader header = DecodeSensorHeaderBlock(box.data() + at);
    // A further block follows a "@CS" + upper-case letter marker 30 bytes
    // into the current one; each complete one replaces the previous values.
    while (box.size() >= at + 34 + kSensorHeaderSize) {
        const uint8_t* marker = box.data() + at + 30;
        if (!(marker[0] == '@' && marker[1] == 'C' && marker[2] == 'S' && marker[3] >= 'A' &&
              marker[3] <= 'Z')) {
            break;
        }
        at += 34;
        header = DecodeSensorHeaderBlock(box.data() + at);
    }
    return header;
}

GpsSample DecodeGpsRecord(const uint8_t* record, int32_t index) {
    GpsSample g;
    g.index = index;
    g.frame = index * 100;
    g.valid = record[5] == 'A' ? 1 : 0;
    g.lat = DegreeMinutesToDegrees(SensorTextToDouble(record + 6, 9), record[15] != 0);
    g.lng = DegreeMinutesToDegrees(SensorTextToDouble(record + 16, 10), record[26] != 0);
    g.speed = SensorTextToDouble(record + 27, 4);
    g.time = DecodeSensorDateTime(record);
    return g;
}

AccelSample DecodeAccelRecord(const uint8_t* record, int32_t index,
                              std::optional<uint8_t> flagByte) {
    AccelSample a;
    a.index = index;
    a.frame = index * 100;
    a.flagCode = record[72] == 'D' ? 5 : (record[74] == 'D' ? 7 : -1);
    switch (record[73]) {
    case 'X':
        a.axisCode = 2;
        break;
    case 'Y':
        a.axisCode = 3;
        break;
    case 'Z':
        a.axisCode = 1;
        break;
    default:
        a.axisCode = 0;
        break;
    }
    // The record's second value is stored first.
    a.v[0] = SensorTextToG(record + 62, 5);
    a.v[1] = SensorTextToG(record + 57, 5);
    a.v[2] = SensorTextToG(record + 67, 5);
    a.status = record[78];
    if (flagByte) {
        a.flagHigh = *flagByte >> 4;
        a.flagLow = *flagByte & 0x0F;
    }
    return a;
}

std::span<const uint8_t> SensorBoxBytes(std::span<const uint8_t> box) {
    if (box.size() >= 4) {
        const uint32_t size = ReadBE32(box.data());
        if (size >= 8 && size < box.size()) {
            return box.first(size);
        }
    }
    return box;
}

uint32_t SensorRecordCount(std::span<const uint8_t> box) {
    box = SensorBoxBytes(box);
    if (box.size() < kSensorRecordsOffset) {
        return 0;
    }
    return ReadBE16(box.data() + kSensorCountOffset);
}

uint32_t SensorRecordsPresent(std::span<const uint8_t> box) {
    box = SensorBoxBytes(box);
    const uint32_t claimed = SensorRecordCount(box);
    if (box.size() < kSensorRecordsOffset) {
        return 0;
    }
    const std::size_t fit = (box.size() - kSensorRecordsOffset) / kSensorRecordSize;
    return static_cast<uint32_t>(std::min<std::size_t>(claimed, fit));
}

uint32_t DecodeSensorRecords(std::span<const uint8_t> box, std::vector<GpsSample>* gps,
                             std::vector<AccelSample>* accel) {
    box = SensorBoxBytes(box);
    const uint32_t present = SensorRecordsPresent(box);
    if (gps != nullptr) {
        gps->reserve(gps->size() + present);
    }
    if (accel != nullptr) {
        accel->reserve(accel->size() + present);
    }
    for (uint32_t k = 0; k < present; ++k) {
        const std::size_t at = kSensorRecordsOffset + kSensorRecordSize * k;
        const uint8_t* record = box.data() + at;
        const auto index = static_cast<int32_t>(k);
        if (gps != nullptr) {
            gps->push_back(DecodeGpsRecord(record, index));
        }
        if (accel != nullptr) {
            std::optional<uint8_t> flag;
            if (at + kSensorRecordSize < box.size()) {
                flag = record[kSensorRecordSize];
            }
            accel->push_back(DecodeAccelRecord(record, index, flag));
        }
    }
    return present;
}

} // namespace playcore
