// Decoding of sensor records and header blocks from bytes: the text
// conversions, the sign and flag bytes, dates with their correction, and
// counts that claim more records than the bytes hold.
#include "SensorFixtures.h"

#include "playcore/SensorDecoder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace playcore;
using fixtures::Record;

namespace {

const uint8_t* U(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::span<const uint8_t> Span(const std::string& s) {
    return {U(s), s.size()};
}

} // namespace

TEST(SensorText, ConvertsLikeStrtodOnTheFieldAlone) {
    struct Case {
        std::string bytes;
        std::size_t length;
        double expected;
    };
    const Case cases[] = {
        {"3540.8741", 9, 3540.8741},
        {" +12.5xyz", 9, 12.5}, // leading blank and sign, stops at 'x'
        {"-0050", 5, -50.0},
        {"12345678", 4, 1234.0}, // the field ends after 4 bytes: no terminator needed
        {std::string("12\0"
                     "99",
                     5),
         5, 12.0},        // an embedded zero byte ends the number
        {"abcd", 4, 0.0}, // no digits
        {"    ", 4, 0.0},
        {"1e2 ", 4, 100.0},
        {"nan ", 4, 0.0}, // not finite: read as 0
        {"-inf", 4, 0.0},
        {"9e99", 4, 9e99},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(SensorTextToDouble(U(c.bytes), c.length), c.expected) << c.bytes;
    }
    EXPECT_EQ(SensorTextToInt(U(std::string("+18")), 3), 18);
    EXPECT_EQ(SensorTextToInt(U(std::string("-05")), 3), -5);
    EXPECT_EQ(SensorTextToInt(U(std::string("7x")), 2), 7);
    EXPECT_EQ(SensorTextToInt(U(std::string("xx")), 2), 0);
}

TEST(SensorText, IgnoresADecimalCommaLocale) {
    // The viewer runs in the user's locale; one with a decimal comma must not
    // change how the camera's text reads. Build such a locale when the system
    // has none installed.
    testsupport::TempDir dir;
    bool have = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    if (!have) {
        const std::string out = (dir.path() / "de_DE.UTF-8").string();
        const testsupport::RunResult made =
            testsupport::Run({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", out});
        if (made.exitCode == 0 || std::filesystem::exists(out)) {
            setenv("LOCPATH", dir.path().c_str(), 1);
            have = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        }
    }
    if (!have) {
        GTEST_SKIP() << "no decimal-comma locale available";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_DOUBLE_EQ(SensorTextToDouble(U(std::string("3540.8741")), 9), 3540.8741);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}

TEST(SensorText, GValuesAreSinglePrecisionThousandths) {
    EXPECT_EQ(SensorTextToG(U(std::string("+0010")), 5), 10.0f / 1000.0f);
    EXPECT_EQ(SensorTextToG(U(std::string("-1234")), 5), -1234.0f / 1000.0f);
    EXPECT_EQ(SensorTextToG(U(std::string("0300")), 4), 0.3f);
    EXPECT_EQ(SensorTextToG(U(std::string("9e99")), 4), 0.0f); // beyond float
    // The single-precision quotient, not the double one.
    EXPECT_NE(static_cast<double>(SensorTextToG(U(std::string("+0010")), 5)), 0.01);
}

TEST(SensorText, DegreeMinutes) {
    EXPECT_DOUBLE_EQ(DegreeMinutesToDegrees(3540.8741, true), 35.0 + 40.8741 / 60.0);
    EXPECT_DOUBLE_EQ(DegreeMinutesToDegrees(13946.0275, false), -(139.0 + 46.0275 / 60.0));
    EXPECT_DOUBLE_EQ(DegreeMinutesToDegrees(59.5, true), 59.5 / 60.0);
    EXPECT_DOUBLE_EQ(DegreeMinutesToDegrees(0.0, true), 0.0);
}

TEST(SensorRecord, GpsPart) {
    struct Case {
        const char* what;
        Record r;
        int valid;
        double lat, lng, speed;
    };
    auto with = [](auto change) {
        Record r;
        change(r);
        return r;
    };
    const double lat = 35.0 + 40.8741 / 60.0, lng = 139.0 + 46.0275 / 60.0;
    const Case cases[] = {
        {"ordinary", Record{}, 1, lat, lng, 42.0},
        {"invalid fix", with([](Record& r) { r.status = 'V'; }), 0, lat, lng, 42.0},
        {"lower-case a", with([](Record& r) { r.status = 'a'; }), 0, lat, lng, 42.0},
        {"S is positive", with([](Record& r) { r.latSign = 'S'; }), 1, lat, lng, 42.0},
        {"zero byte south", with([](Record& r) { r.latSign = '\0'; }), 1, -lat, lng, 42.0},
        {"zero byte west", with([](Record& r) { r.lngSign = '\0'; }), 1, lat, -lng, 42.0},
        {"W is positive", with([](Record& r) { r.lngSign = 'W'; }), 1, lat, lng, 42.0},
        {"garbage text", with([](Record& r) {
             r.lat = "xxxxxxxxx";
             r.speed = "--";
         }),
         1, 0.0, lng, 0.0},
    };
    for (const Case& c : cases) {
        const std::string bytes = fixtures::RecordBytes(c.r);
        const GpsSample g = DecodeGpsRecord(U(bytes), 7);
        EXPECT_EQ(g.index, 7) << c.what;
        EXPECT_EQ(g.frame, 700) << c.what;
        EXPECT_EQ(g.valid, c.valid) << c.what;
        EXPECT_DOUBLE_EQ(g.lat, c.lat) << c.what;
        EXPECT_DOUBLE_EQ(g.lng, c.lng) << c.what;
        EXPECT_DOUBLE_EQ(g.speed, c.speed) << c.what;
        EXPECT_EQ(g.direction, 0.0) << c.what;
        EXPECT_EQ(g.reserved, 0) << c.what;
        EXPECT_EQ(g.linkedAccel, -1) << c.what;
    }
}

TEST(SensorRecord, AccelerationPartAndFlags) {
    struct Case {
        char b72, axis, b74;
        int flagCode, axisCode;
    };
    const Case cases[] = {
        {'D', 'X', '0', 5, 2},  {'0', 'Y', 'D', 7, 3},  {'D', 'Z', 'D', 5, 1},
        {'0', '0', '0', -1, 0}, {'d', 'x', 'd', -1, 0}, {'0', 'W', '0', -1, 0},
    };
    for (const Case& c : cases) {
        Record r;
        r.b72 = c.b72;
        r.axis = c.axis;
        r.b74 = c.b74;
        r.status78 = 0xFF;
        const std::string bytes = fixtures::RecordBytes(r);
        const AccelSample a = DecodeAccelRecord(U(bytes), 3, uint8_t{0xA9});
        EXPECT_EQ(a.flagCode, c.flagCode) << c.b72 << c.axis << c.b74;
        EXPECT_EQ(a.axisCode, c.axisCode) << c.b72 << c.axis << c.b74;
        EXPECT_EQ(a.status, 255);
        EXPECT_EQ(a.flagHigh, 0xA);
        EXPECT_EQ(a.flagLow, 0x9);
        EXPECT_EQ(a.index, 3);
        EXPECT_EQ(a.frame, 300);
        EXPECT_EQ(a.reserved, 0);
        // Stored order: the record's second value first.
        EXPECT_EQ(a.v[0], static_cast<double>(-20.0f / 1000.0f));
        EXPECT_EQ(a.v[1], static_cast<double>(10.0f / 1000.0f));
        EXPECT_EQ(a.v[2], static_cast<double>(1000.0f / 1000.0f));
    }
    const std::string bytes = fixtures::RecordBytes(Record{});
    const AccelSample none = DecodeAccelRecord(U(bytes), 0, std::nullopt);
    EXPECT_EQ(none.flagHigh, 0);
    EXPECT_EQ(none.flagLow, 0);
}

TEST(SensorRecord, DateWithCorrection) {
    struct Case {
        const char* date;
        const char* correction;
        CalendarTime expected; // year, month, weekday, day, hour, minute, second, ms
    };
    const Case cases[] = {
        {"240517093000", "*18", {2024, 5, 5, 17, 9, 30, 0, 0}},  // '*': no correction
        {"240517093000", "+18", {2024, 5, 5, 17, 9, 30, 18, 0}}, // 18 s later
        {"240517093000", "18 ", {2024, 5, 5, 17, 9, 30, 18, 0}},
        {"240517093000", "-05", {2024, 5, 5, 17, 9, 29, 55, 0}},
        {"241231235950", "+18", {2025, 1, 3, 1, 0, 0, 8, 0}},   // into the next year
        {"240229120000", "*00", {2024, 2, 4, 29, 12, 0, 0, 0}}, // leap day
        {"240532000000", "*00", {2024, 6, 6, 1, 0, 0, 0, 0}},   // day 32 normalised
        {"240517093000", "x18", {2024, 5, 5, 17, 9, 30, 0, 0}}, // no digits: + 0
    };
    for (const Case& c : cases) {
        Record r;
        r.date = c.date;
        r.correction = c.correction;
        const std::string bytes = fixtures::RecordBytes(r);
        EXPECT_EQ(DecodeGpsRecord(U(bytes), 0).time, c.expected) << c.date << " " << c.correction;
    }
}

TEST(SensorHeaderBlock, ValuesOrientationAndMarkers) {
    fixtures::Header h;
    std::string box = fixtures::Gps0Box({}, h);
    std::optional<SensorHeader> got = DecodeSensorHeader(Span(box));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->ref[0], 0.3f);
    EXPECT_EQ(got->ref[1], 0.25f);
    EXPECT_EQ(got->ref[2], 0.4f);
    EXPECT_EQ(got->orientation, 'N');
    EXPECT_EQ(std::string(got->chars4.data(), 4), "F102");
    EXPECT_EQ(std::string(got->chars2.data(), 2), "05");

    h.orientation = 'Q';
    box = fixtures::Gps0Box({}, h);
    got = DecodeSensorHeader(Span(box));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->ref[0], -1.0f);
    EXPECT_EQ(got->ref[2], -1.0f);
    EXPECT_EQ(got->orientation, 'Q');
    EXPECT_FALSE(got->valid());

    // A second block after "@CS" + upper-case letter replaces the first.
    fixtures::Header second;
    second.ref1 = "0900";
    second.orientation = 'P';
    std::string chained = box.substr(0, 14) + fixtures::HeaderBytes(h).substr(0, 26) + "????" +
                          "@CSB" + fixtures::HeaderBytes(second) + std::string(20, ' ');
    fixtures::PutBE32(chained, 0, static_cast<uint32_t>(chained.size()));
    got = DecodeSensorHeader(Span(chained));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->orientation, 'P');
    EXPECT_EQ(got->ref[0], 0.9f);
    // A lower-case letter is no marker.
    chained[14 + 33] = 'b';
    got = DecodeSensorHeader(Span(chained));
    EXPECT_EQ(got->orientation, 'Q');
    // A marker whose block would run past the bytes is not followed.
    chained[14 + 33] = 'B';
    const std::string cut = chained.substr(0, 14 + 34 + 20);
    got = DecodeSensorHeader(Span(cut));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->orientation, 'Q');

    // An incomplete block gives nothing.
    EXPECT_FALSE(DecodeSensorHeader(Span(box.substr(0, 39))));
}

TEST(SensorBox, RecordsAndTheFlagByteThatFollows) {
    std::vector<Record> records = fixtures::Drive(3);
    records[1].lead = std::string("\x88", 1) + "GPRM"; // flag byte of record 0
    records[2].lead = std::string("\xA9", 1) + "GPRM"; // flag byte of record 1
    const std::string box = fixtures::Gps0Box(records);
    std::vector<GpsSample> gps;
    std::vector<AccelSample> accel;
    EXPECT_EQ(SensorRecordCount(Span(box)), 3u);
    EXPECT_EQ(DecodeSensorRecords(Span(box), &gps, &accel), 3u);
    ASSERT_EQ(gps.size(), 3u);
    ASSERT_EQ(accel.size(), 3u);
    EXPECT_EQ(accel[0].flagHigh, 8);
    EXPECT_EQ(accel[0].flagLow, 8);
    EXPECT_EQ(accel[1].flagHigh, 0xA);
    EXPECT_EQ(accel[1].flagLow, 9);
    // The last record's flag byte is the trailer's 'C'.
    EXPECT_EQ(accel[2].flagHigh, 4);
    EXPECT_EQ(accel[2].flagLow, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(gps[k].index, k);
        EXPECT_EQ(accel[k].frame, 100 * k);
    }
    EXPECT_EQ(accel[2].v[1], static_cast<double>(20.0f / 1000.0f));

    // GPS parts only.
    std::vector<GpsSample> only;
    EXPECT_EQ(DecodeSensorRecords(Span(box), &only, nullptr), 3u);
    EXPECT_EQ(only.size(), 3u);
}

TEST(SensorBox, CountsPastTheEndDecodeWhatIsPresent) {
    const std::vector<Record> two = fixtures::Drive(2);
    struct Case {
        const char* what;
        std::string bytes;
        uint32_t decoded;
        int lastFlagHigh; // -1: not checked
    };
    std::string claimsMany = fixtures::Gps0Box(two, {}, 65535);
    std::string cutInRecord = fixtures::Gps0Box(two).substr(0, 42 + 79 + 40);
    std::string cutAtRecordEnd = fixtures::Gps0Box(two).substr(0, 42 + 2 * 79);
    // The box's own size says one record, the bytes hold two.
    std::string sizeSaysOne = fixtures::Gps0Box(two);
    fixtures::PutBE32(sizeSaysOne, 0, 42 + 79 + 1);
    std::string sizeSaysLess = fixtures::Gps0Box(two);
    fixtures::PutBE32(sizeSaysLess, 0, 41);
    std::string hugeSize = fixtures::Gps0Box(two, {}, 9);
    fixtures::PutBE32(hugeSize, 0, 0xFFFFFFFFu);
    const Case cases[] = {
        {"count 65535, two records", claimsMany, 2, 4},
        {"cut inside record 1", cutInRecord, 1, 2},
        {"cut right after record 1", cutAtRecordEnd, 2, 0}, // no flag byte: nibbles 0
        {"box size covers one record", sizeSaysOne, 1, 2},
        {"box size below the count", sizeSaysLess, 0, -1},
        {"box size past the bytes", hugeSize, 2, 4},
        {"nothing after the header", fixtures::Gps0Box({}).substr(0, 40), 0, -1},
        {"empty", std::string(), 0, -1},
        {"three bytes", std::string("abc"), 0, -1},
    };
    for (const Case& c : cases) {
        // Copy into a buffer of exactly the size so a read past it is caught
        // by the address sanitizer.
        std::vector<uint8_t> exact(c.bytes.begin(), c.bytes.end());
        std::span<const uint8_t> span(exact.data(), exact.size());
        std::vector<GpsSample> gps;
        std::vector<AccelSample> accel;
        EXPECT_EQ(DecodeSensorRecords(span, &gps, &accel), c.decoded) << c.what;
        EXPECT_EQ(gps.size(), c.decoded) << c.what;
        EXPECT_EQ(accel.size(), c.decoded) << c.what;
        EXPECT_EQ(SensorRecordsPresent(span), c.decoded) << c.what;
        if (c.lastFlagHigh >= 0 && !accel.empty()) {
            EXPECT_EQ(accel.back().flagHigh, c.lastFlagHigh) << c.what;
        }
    }
}
