// The "gps0" box text, checked field by field against the camera's record
// layout (header block, 79-byte records, ASCII numbers at fixed offsets).
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

struct Box {
    std::string bytes;
    explicit Box(const synth::RecordingOptions& o) : bytes(synth::MakeGps0Box(o)) {}
    uint32_t Count() const {
        return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[40])) << 8) |
               static_cast<unsigned char>(bytes[41]);
    }
    std::string Field(int record, int offset, int length) const {
        return bytes.substr(42 + 79 * static_cast<size_t>(record) + static_cast<size_t>(offset),
                            static_cast<size_t>(length));
    }
    char Byte(int record, int offset) const { return Field(record, offset, 1)[0]; }
    // ddmm.mmmm / dddmm.mmmm as the reader converts it, with the sign byte rule.
    double Degrees(int record, int offset, int length, int signOffset) const {
        const double v = std::strtod(Field(record, offset, length).c_str(), nullptr);
        const double deg = std::trunc(v / 100.0);
        const double minutes = std::fmod(v, 100.0);
        return (minutes / 60.0 + deg) * (Byte(record, signOffset) != 0 ? 1.0 : -1.0);
    }
    double Latitude(int k) const { return Degrees(k, 6, 9, 15); }
    double Longitude(int k) const { return Degrees(k, 16, 10, 26); }
    double G(int k, int axis) const {
        return std::strtod(Field(k, 57 + 5 * axis, 5).c_str(), nullptr) / 1000.0;
    }
};

synth::RecordingOptions TwoSeconds() {
    synth::RecordingOptions o;
    o.durationSec = 2.0;
    o.start = {2024, 12, 31, 23, 59, 58};
    return o;
}

TEST(SensorBox, HeaderAndOrdinaryRecords) {
    const Box b(TwoSeconds());
    ASSERT_EQ(b.bytes.size(), synth::Gps0BoxSize(20));
    EXPECT_EQ(b.bytes.substr(0, 4), std::string("\0\0\x06\x5c", 4)); // 1628, big-endian
    EXPECT_EQ(b.bytes.substr(4, 10), "gps0CSODAT");
    EXPECT_EQ(b.bytes.substr(14, 6), "F10205");
    EXPECT_EQ(b.bytes.substr(20, 12), "030002500400");
    EXPECT_EQ(b.bytes[32], 'N');
    EXPECT_EQ(b.Count(), 20u);
    EXPECT_EQ(b.bytes.substr(b.bytes.size() - 6), "CSOEND");
    EXPECT_EQ(b.bytes.substr(44, 4), "PS,A"); // no "@CS" continuation marker

    for (int k = 0; k < 20; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(b.Byte(k, 0), '$');
        EXPECT_EQ(b.Byte(k, 5), 'A');
        EXPECT_EQ(b.Byte(k, 15), 'N');
        EXPECT_EQ(b.Byte(k, 26), 'E');
        EXPECT_EQ(b.Field(k, 6, 9)[4], '.');
        EXPECT_EQ(b.Field(k, 16, 10)[5], '.');
        EXPECT_NEAR(b.Latitude(k), 35.681236, 0.001);
        EXPECT_NEAR(b.Longitude(k), 139.767125, 0.001);
        const int speed = std::atoi(b.Field(k, 27, 4).c_str());
        EXPECT_GT(speed, 10);
        EXPECT_LT(speed, 80);
        // Whole seconds: ten records per second, across the new year.
        EXPECT_EQ(b.Field(k, 31, 12), k < 10 ? "241231235958" : "241231235959");
        EXPECT_EQ(b.Field(k, 44, 3), "***");
        EXPECT_NEAR(b.G(k, 2), 1.0, 0.1);
        EXPECT_EQ(b.Field(k, 72, 3), "000");
        EXPECT_EQ(b.Byte(k, 78), 'M');
        for (int axis = 0; axis < 3; ++axis) {
            const std::string g = b.Field(k, 57 + 5 * axis, 5);
            EXPECT_TRUE(g[0] == '+' || g[0] == '-') << g;
        }
    }
    // The vehicle moves: over 1.9 s at the recorded speed it covers that many metres.
    const double dLat = (b.Latitude(19) - b.Latitude(0)) * 111320.0;
    const double dLon =
        (b.Longitude(19) - b.Longitude(0)) * 111320.0 * std::cos(35.68 * M_PI / 180);
    const double metres = std::hypot(dLat, dLon);
    const double expected = std::atoi(b.Field(10, 27, 4).c_str()) / 3.6 * 1.9;
    EXPECT_NEAR(metres, expected, expected * 0.3);
}

TEST(SensorBox, InvalidFixesSignBytesAndCorrection) {
    synth::RecordingOptions o = TwoSeconds();
    o.sensor.invalidEvery = 4;
    o.sensor.invalidFirst = 2;
    o.sensor.latitudeSign = 'S'; // any non-zero byte reads as north
    o.sensor.writeCorrection = true;
    o.sensor.correctionSec = 18;
    const Box b(o);
    for (int k = 0; k < 20; ++k) {
        const bool valid = k >= 2 && k % 4 != 3;
        EXPECT_EQ(b.Byte(k, 5), valid ? 'A' : 'V') << k;
        if (!valid) {
            EXPECT_EQ(b.Field(k, 6, 9), "0000.0000");
        }
        EXPECT_EQ(b.Byte(k, 15), 'S');
        EXPECT_EQ(b.Field(k, 44, 3), "+18");
    }
    // Text + correction gives the wall-clock time back.
    EXPECT_EQ(b.Field(0, 31, 12), "241231235940");

    synth::RecordingOptions south = TwoSeconds();
    south.sensor.startLatitude = -33.8688;
    south.sensor.startLongitude = -70.6693;
    const Box s(south);
    EXPECT_EQ(s.Byte(0, 15), '\0');
    EXPECT_EQ(s.Byte(0, 26), '\0');
    EXPECT_NEAR(s.Latitude(0), -33.8688, 0.001);
    EXPECT_NEAR(s.Longitude(0), -70.6693, 0.001);
}

TEST(SensorBox, EventsFlagsAndStatus) {
    synth::RecordingOptions o = TwoSeconds();
    o.sensor.cruiseKmh = 0.0; // parked: quiet baseline
    synth::SensorEvent axis;
    axis.timeSec = 0.5;
    axis.durationSec = 0.3;
    axis.axis = 'Y';
    axis.peakG = 1.5;
    synth::SensorEvent manual;
    manual.timeSec = 1.0;
    manual.durationSec = 0.1;
    manual.flagCode = 5;
    synth::SensorEvent parking;
    parking.timeSec = 1.2;
    parking.durationSec = 0.1;
    parking.flagCode = 7;
    parking.status = 'R';
    synth::SensorEvent orbis;
    orbis.timeSec = 1.5;
    orbis.durationSec = 0.2;
    orbis.flagByte = 0xA9;
    synth::SensorEvent atEnd;
    atEnd.timeSec = 1.9;
    atEnd.flagByte = 0x88;
    o.sensor.events = {axis, manual, parking, orbis, atEnd};
    const Box b(o);
    for (int k = 0; k < 20; ++k) {
        SCOPED_TRACE(k);
        const bool inAxis = k >= 5 && k < 8;
        EXPECT_EQ(b.Byte(k, 73), inAxis ? 'Y' : '0');
        if (inAxis) {
            EXPECT_GT(b.G(k, 1), 0.4);
        } else {
            EXPECT_LT(std::fabs(b.G(k, 1)), 0.05);
        }
        EXPECT_EQ(b.Byte(k, 72), k == 10 ? 'D' : '0');
        EXPECT_EQ(b.Byte(k, 74), k == 12 ? 'D' : '0');
        EXPECT_EQ(b.Byte(k, 78), k == 12 ? 'R' : 'M');
        // The flag byte of record k is byte 0 of record k + 1.
        const unsigned char flag = static_cast<unsigned char>(b.Byte(k, 0));
        EXPECT_EQ(flag, (k == 16 || k == 17) ? 0xA9 : '$');
    }
    // The last record's flag byte is the trailer's 'C' and stays so.
    EXPECT_EQ(b.bytes[42 + 79 * 20], 'C');
}

TEST(SensorBox, RecordCountsAndHeaderVariants) {
    synth::RecordingOptions o = TwoSeconds();
    o.sensor.recordCount = 0;
    o.sensor.orientation = 'P';
    o.sensor.firmware = "X10203";
    const Box empty(o);
    EXPECT_EQ(empty.bytes.size(), 48u);
    EXPECT_EQ(empty.Count(), 0u);
    EXPECT_EQ(empty.bytes.substr(42), "CSOEND");
    EXPECT_EQ(empty.bytes[32], 'P');
    EXPECT_EQ(empty.bytes.substr(14, 6), "X10203");

    o.sensor.recordCount = -1;
    o.durationSec = 15.0;
    EXPECT_EQ(Box(o).Count(), 150u);
    o.durationSec = 2.5;
    EXPECT_EQ(Box(o).Count(), 25u);
}

TEST(SensorBox, DriveContinuesAcrossFiles) {
    // A file that starts 2 s into the drive begins where a 4 s file is at 2 s.
    synth::RecordingOptions whole = TwoSeconds();
    whole.durationSec = 4.0;
    synth::RecordingOptions second = TwoSeconds();
    second.sensor.driveOffsetSec = 2.0;
    const Box a(whole), b(second);
    EXPECT_NEAR(a.Latitude(20), b.Latitude(0), 2e-6);
    EXPECT_NEAR(a.Longitude(20), b.Longitude(0), 2e-6);
    EXPECT_EQ(a.Field(25, 27, 4), b.Field(5, 27, 4));
}

} // namespace
