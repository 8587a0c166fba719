// Sensor tracks of generated recordings: counts, values and events as the
// generator wrote them, incomplete files, the frame map of a real movie
// layout and the folder GPS list of a card.
#include "TestSupport.h"
#include "playcore/FolderGpsList.h"
#include "playcore/SensorDecoder.h"
#include "playcore/SensorTrack.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>

using namespace playcore;

namespace {

class GeneratedSensorTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const synth::RecordingOptions& o) {
        const std::string path = (dir_ / name).string();
        std::string error;
        EXPECT_TRUE(synth::WriteRecording(path, o, &error)) << error;
        return path;
    }
    static synth::RecordingOptions Small(double seconds) {
        synth::RecordingOptions o;
        o.width = 64;
        o.height = 64;
        o.durationSec = seconds;
        o.audio = false;
        return o;
    }
    testsupport::TempDir dir_;
};

} // namespace

TEST_F(GeneratedSensorTest, RecordsAsGenerated) {
    synth::RecordingOptions o = Small(3.0);
    o.seed = 7;
    o.start = {2024, 12, 31, 23, 59, 58};
    o.sensor.invalidEvery = 7;
    o.sensor.events.push_back({1.0, 0.3, 'X', 1.5, 5, 0xA9, 'R'});
    o.sensor.events.push_back({2.0, 0.2, 'Z', 0.0, 7, -1, -1});
    const std::string path = Make("a.MP4", o);
    const int n = synth::RecordCount(o);
    ASSERT_EQ(n, 30);

    SensorTrack t;
    ASSERT_TRUE(t.Load(path));
    EXPECT_EQ(t.recordCount(), 30u);
    EXPECT_EQ(t.recordIndex(), 29);
    ASSERT_EQ(t.gps().size(), 30u);
    ASSERT_EQ(t.accel().size(), 30u);
    EXPECT_GT(t.mdatSize(), 0u);
    ASSERT_TRUE(t.hasHeader());
    EXPECT_EQ(t.header().orientation, 'N');
    EXPECT_EQ(t.header().ref[0], 0.3f);
    EXPECT_EQ(std::string(t.header().chars4.data(), 4) + std::string(t.header().chars2.data(), 2),
              "F10205");

    // The same bytes decoded directly: the loader found the right box.
    const std::string box = synth::MakeGps0Box(o);
    std::vector<GpsSample> gps;
    std::vector<AccelSample> accel;
    DecodeSensorRecords(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(box.data()), box.size()), &gps,
        &accel);
    ASSERT_EQ(gps.size(), 30u);

    for (int k = 0; k < n; ++k) {
        const GpsSample& g = t.gps()[static_cast<std::size_t>(k)];
        const AccelSample& a = t.accel()[static_cast<std::size_t>(k)];
        EXPECT_EQ(g.index, k);
        EXPECT_EQ(g.frame, 100 * k);
        EXPECT_EQ(g.valid, k % 7 == 6 ? 0 : 1) << k;
        EXPECT_EQ(g.lat, gps[static_cast<std::size_t>(k)].lat);
        EXPECT_EQ(a.v, accel[static_cast<std::size_t>(k)].v);
        // Time: start + k / 10 s, across the new year.
        const synth::DateTime when = synth::AddSeconds(o.start, k / 10);
        EXPECT_EQ(g.time.year, when.year);
        EXPECT_EQ(g.time.month, when.month);
        EXPECT_EQ(g.time.day, when.day);
        EXPECT_EQ(g.time.second, when.second);
        const bool impact = k >= 10 && k < 13;
        const bool flag7 = k >= 20 && k < 22;
        EXPECT_EQ(a.flagCode, impact ? 5 : (flag7 ? 7 : -1)) << k;
        EXPECT_EQ(a.axisCode, impact ? 2 : (flag7 ? 1 : 0)) << k;
        EXPECT_EQ(a.status, impact ? 'R' : 'M') << k;
        const int flagByte = k == n - 1 ? 'C' : (impact ? 0xA9 : '$');
        EXPECT_EQ(a.flagHigh, flagByte >> 4) << k;
        EXPECT_EQ(a.flagLow, flagByte & 15) << k;
    }
    // The first valid fix is at the start position (ddmm.mmmm: 1e-4 minutes).
    EXPECT_NEAR(t.gps()[0].lat, o.sensor.startLatitude, 2e-6);
    EXPECT_NEAR(t.gps()[0].lng, o.sensor.startLongitude, 2e-6);
    // The X pulse of 1.5 G shows in the record's first value (stored second).
    EXPECT_GT(t.accel()[11].v[1], 1.2);
    EXPECT_LT(std::fabs(t.accel()[5].v[1]), 0.3);
}

TEST_F(GeneratedSensorTest, SouthWestCorrectionAndIncompleteFile) {
    synth::RecordingOptions o = Small(2.0);
    o.sensor.startLatitude = -33.8688;
    o.sensor.startLongitude = -151.2093;
    o.sensor.writeCorrection = true;
    o.sensor.correctionSec = 18;
    o.trailer = false;
    const std::string path = Make("s.MP4", o);
    SensorTrack t;
    ASSERT_TRUE(t.Load(path));
    EXPECT_EQ(t.recordCount(), 20u);
    // The power cut leaves the last record incomplete: it is not decoded.
    ASSERT_GE(t.gps().size(), 1u);
    EXPECT_LT(t.gps().size(), 20u);
    EXPECT_EQ(t.recordIndex(), static_cast<int32_t>(t.gps().size()) - 1);
    EXPECT_NEAR(t.gps()[0].lat, -33.8688, 2e-6);
    EXPECT_NEAR(t.gps()[0].lng, -151.2093, 2e-6);
    // Text minus 18 s plus the correction gives the wall-clock start.
    EXPECT_EQ(t.gps()[0].time.hour, o.start.hour);
    EXPECT_EQ(t.gps()[0].time.minute, o.start.minute);
    EXPECT_EQ(t.gps()[0].time.second, o.start.second);

    synth::RecordingOptions none = Small(2.0);
    none.gps0 = false;
    SensorTrack empty;
    ASSERT_TRUE(empty.Load(Make("n.MP4", none)));
    EXPECT_TRUE(empty.gps().empty());
    EXPECT_FALSE(empty.hasHeader());
}

TEST_F(GeneratedSensorTest, FrameMapOfAMovie) {
    synth::RecordingOptions o = Small(2.0);
    o.fps = 29.1; // 34364 us per frame: a frame period of 34 ms
    const std::string path = Make("m.MP4", o);
    SensorTrack t;
    ASSERT_TRUE(t.Load(path));
    const int frames = synth::FrameCount(o);
    ASSERT_TRUE(t.BuildFrameMap(frames, 34.0f));
    for (int f = 0; f < frames; ++f) {
        const AccelSample* a = t.SampleForFrame(f);
        ASSERT_NE(a, nullptr);
        // The sample of the frame before, by the sample times.
        const int expected = std::min(19, static_cast<int>(std::ceil(f * 34.0 / 100.0)) - 1);
        EXPECT_EQ(a->index, std::max(0, f == 0 ? 0 : expected)) << "frame " << f;
    }
    EXPECT_GT(t.peakAbsG(), 0.0);
}

TEST_F(GeneratedSensorTest, FolderGpsOfACard) {
    synth::CardOptions c;
    c.pairs = 3;
    c.durationSec = 1.0;
    c.audio = false;
    c.incompleteLast = false;
    c.rearMissingEvery = 0;
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(synth::WriteCard(dir_.path().string(), c, &files, &error)) << error;
    std::vector<std::string> mains;
    for (const std::string& f : files) {
        if (f.find("_M.MP4") != std::string::npos) {
            mains.push_back(f);
        }
    }
    ASSERT_EQ(mains.size(), 3u);
    FolderGpsList list;
    ASSERT_TRUE(list.Read(mains));
    const std::vector<GpsSample> s = list.Samples();
    ASSERT_EQ(s.size(), 30u);
    EXPECT_EQ(s[10].index, 0);
    EXPECT_EQ(s[29].index, 9);
    // The drive goes on across the files: no jump back to the start.
    EXPECT_NE(s[10].lat, s[0].lat);
}
