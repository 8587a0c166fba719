// Loading sensor tracks from files laid out like recordings, the frame map
// (frame conversion, differencing, the step rule, linking, peak), and the
// folder GPS list.
#include "SensorFixtures.h"

#include "TestSupport.h"
#include "playcore/FolderGpsList.h"
#include "playcore/SensorTrack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace playcore;
using fixtures::Record;

namespace {

class SensorTrackTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        testsupport::WriteFileBytes(path, bytes);
        return path.string();
    }
    testsupport::TempDir dir_;
};

} // namespace

TEST_F(SensorTrackTest, LoadsTheFirstBoxAfterMdat) {
    std::vector<Record> records = fixtures::Drive(5);
    records[2].status = 'V';
    const std::string path =
        Write("a.MP4", fixtures::Recording(fixtures::Box("moov", std::string(16, 'x')) +
                                               fixtures::Gps0Box(records) +
                                               fixtures::Gps0Box(fixtures::Drive(9)),
                                           100));
    SensorTrack t;
    ASSERT_TRUE(t.Load(path));
    EXPECT_TRUE(t.loaded());
    EXPECT_EQ(t.path(), path);
    EXPECT_EQ(t.recordCount(), 5u);
    EXPECT_EQ(t.recordIndex(), 4);
    EXPECT_EQ(t.mdatSize(), 108u);
    EXPECT_EQ(t.mdatSizeF(), 108.0f);
    ASSERT_EQ(t.gps().size(), 5u);
    ASSERT_EQ(t.accel().size(), 5u);
    EXPECT_EQ(t.gps()[2].valid, 0);
    EXPECT_EQ(t.gps()[3].valid, 1);
    EXPECT_EQ(t.accel()[4].frame, 400);
    EXPECT_EQ(t.accel()[4].v[1], static_cast<double>(40.0f / 1000.0f));
    EXPECT_EQ(t.accel()[4].flagHigh, 4); // the trailer's 'C'
    ASSERT_TRUE(t.hasHeader());
    EXPECT_EQ(t.header().ref[1], 0.25f);
    EXPECT_EQ(t.fileSize(), fixtures::Recording("", 100).size() + 24 +
                                fixtures::Gps0Box(records).size() +
                                fixtures::Gps0Box(fixtures::Drive(9)).size());

    t.Release();
    EXPECT_FALSE(t.loaded());
    EXPECT_TRUE(t.path().empty());
    EXPECT_TRUE(t.gps().empty());
}

TEST_F(SensorTrackTest, BoxesTheLoaderDoesNotTakeAsRecords) {
    struct Case {
        const char* what;
        std::string bytes;
        bool hasHeader;
    };
    const std::string box = fixtures::Gps0Box(fixtures::Drive(3));
    const Case cases[] = {
        {"gps0 before mdat", fixtures::Ftyp() + box + fixtures::Box("mdat", "xxxx"), true},
        {"no mdat", fixtures::Ftyp() + box, true},
        {"no gps0", fixtures::Recording(fixtures::Box("moov", "")), false},
        {"N = 0", fixtures::Recording(fixtures::Gps0Box({})), true},
        // A box of size 4 ends the walk: the box after it is not reached.
        {"size below 8 before gps0", fixtures::Recording(std::string("\0\0\0\x04free", 8) + box),
         false},
    };
    for (const Case& c : cases) {
        SensorTrack t;
        ASSERT_TRUE(t.Load(Write("c.MP4", c.bytes))) << c.what;
        EXPECT_TRUE(t.gps().empty()) << c.what;
        EXPECT_TRUE(t.accel().empty()) << c.what;
        EXPECT_EQ(t.recordIndex(), -1) << c.what;
        EXPECT_EQ(t.hasHeader(), c.hasHeader) << c.what;
        // The map exists and every frame is without a sample.
        ASSERT_TRUE(t.BuildFrameMap(30, 33.0f)) << c.what;
        for (int f = -1; f <= 30; ++f) {
            EXPECT_EQ(t.SampleForFrame(f), nullptr) << c.what;
        }
        EXPECT_EQ(t.peakAbsG(), 0.0) << c.what;
    }
}

TEST_F(SensorTrackTest, FailuresLeaveTheTrackEmpty) {
    SensorTrack t;
    ASSERT_TRUE(
        t.Load(Write("ok.MP4", fixtures::Recording(fixtures::Gps0Box(fixtures::Drive(2))))));
    std::string error;
    EXPECT_FALSE(t.Load((dir_ / "missing.MP4").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(t.loaded());
    EXPECT_TRUE(t.path().empty());
    EXPECT_TRUE(t.gps().empty());
    EXPECT_FALSE(t.BuildFrameMap(10, 33.0f)); // no lists

    // A cancel request makes the next scan fail, and is then cleared.
    const std::string ok = (dir_ / "ok.MP4").string();
    t.RequestCancel();
    EXPECT_FALSE(t.Load(ok));
    EXPECT_FALSE(t.loaded());
    EXPECT_TRUE(t.Load(ok));
}

TEST_F(SensorTrackTest, HostileCountsAndSizesStayInsideTheFile) {
    const std::vector<Record> two = fixtures::Drive(2);
    std::string claimsMany = fixtures::Recording(fixtures::Gps0Box(two, {}, 65535));
    std::string boxPastEnd = fixtures::Recording(fixtures::Gps0Box(two));
    fixtures::PutBE32(boxPastEnd, boxPastEnd.size() - fixtures::Gps0Box(two).size(), 0x7FFFFFFF);
    std::string cut = fixtures::Recording(fixtures::Gps0Box(fixtures::Drive(4)));
    cut.resize(cut.size() - 6 - 79 - 30); // power cut inside record 2
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t records;
        uint32_t count;
    };
    const Case cases[] = {
        {"count 65535", claimsMany, 2, 65535},
        {"box size past the file", boxPastEnd, 2, 2},
        {"file cut inside a record", cut, 2, 4},
    };
    for (const Case& c : cases) {
        SensorTrack t;
        ASSERT_TRUE(t.Load(Write("h.MP4", c.bytes))) << c.what;
        EXPECT_EQ(t.gps().size(), c.records) << c.what;
        EXPECT_EQ(t.recordCount(), c.count) << c.what;
        EXPECT_EQ(t.recordIndex(), static_cast<int32_t>(c.records) - 1) << c.what;
    }
}

TEST_F(SensorTrackTest, ReadHeaderOnly) {
    fixtures::Header h;
    h.orientation = 'P';
    h.ref2 = "1000";
    // The header is read from the first gps0 wherever it is.
    const std::string path =
        Write("h.MP4", fixtures::Ftyp() + fixtures::Gps0Box({}, h) + fixtures::Box("mdat", ""));
    const std::optional<SensorHeader> got = ReadSensorHeader(path);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->orientation, 'P');
    EXPECT_EQ(got->ref[1], 1.0f);
    EXPECT_FALSE(ReadSensorHeader(Write("n.MP4", fixtures::Recording(""))));
    EXPECT_FALSE(ReadSensorHeader((dir_ / "missing").string()));
}

namespace {

// A track of `n` records whose second value (stored first) runs through
// `values`, loaded from a file.
void LoadValues(SensorTrack* t, const std::string& path, const std::vector<const char*>& values) {
    std::vector<Record> records = fixtures::Drive(static_cast<int>(values.size()));
    for (std::size_t k = 0; k < values.size(); ++k) {
        records[k].a2 = values[k];
        records[k].a1 = "+0000";
        records[k].a3 = "+1000";
    }
    testsupport::WriteFileBytes(path, fixtures::Recording(fixtures::Gps0Box(records)));
    ASSERT_TRUE(t->Load(path));
}

double G(float thousandths) {
    return static_cast<double>(thousandths / 1000.0f);
}

} // namespace

TEST_F(SensorTrackTest, FrameMapDifferencesTheValuesAsRead) {
    SensorTrack t;
    LoadValues(&t, (dir_ / "d.MP4").string(), {"+1000", "+1200", "+1200", "+0900", "-0100"});
    ASSERT_TRUE(t.BuildFrameMap(20, 33.0f));
    const auto& a = t.accel();
    EXPECT_EQ(a[0].v[0], 0.0);
    EXPECT_DOUBLE_EQ(a[1].v[0], G(1200) - G(1000) + 0.005);
    EXPECT_EQ(a[2].v[0], 0.0); // no change stays 0
    EXPECT_DOUBLE_EQ(a[3].v[0], G(900) - G(1200) - 0.005);
    EXPECT_DOUBLE_EQ(a[4].v[0], G(-100) - G(900) - 0.005);
    // The unchanged third value differences to 0 everywhere.
    for (const AccelSample& s : a) {
        EXPECT_EQ(s.v[2], 0.0);
    }
    EXPECT_DOUBLE_EQ(t.peakAbsG(), -(G(-100) - G(900) - 0.005));

    // Building again starts from the values as read, not from the differences.
    ASSERT_TRUE(t.BuildFrameMap(20, 33.0f));
    EXPECT_DOUBLE_EQ(a[1].v[0], G(1200) - G(1000) + 0.005);
    EXPECT_EQ(a[4].frame, 12);
}

TEST_F(SensorTrackTest, FrameMapStepsAndLinks) {
    struct Case {
        const char* what;
        int records;
        int frames;
        float period;
        std::vector<int> map; // accel index per frame
    };
    // Frame i shows the cursor sample, and the cursor moves on once the next
    // sample's frame is reached, so a sample first shows one frame after its
    // own frame.
    const Case cases[] = {
        // 100 ms per record at 50 ms per frame: records at frames 0, 2, 4,
        // the last one repeated to the end.
        {"more frames", 3, 8, 50.0f, {0, 0, 0, 1, 1, 2, 2, 2}},
        // 33 ms per frame: records at frames trunc(100k / 33) = 0, 3, 6.
        {"period 33", 3, 8, 33.0f, {0, 0, 0, 0, 1, 1, 1, 2}},
        // Fewer frames than samples: two samples per step.
        {"fewer frames", 6, 4, 100.0f, {0, 0, 2, 2}},
        {"fewer frames, odd", 5, 3, 100.0f, {0, 0, 2}},
        {"one frame", 4, 1, 33.0f, {0}},
        {"equal", 3, 3, 100.0f, {0, 0, 1}},
        // Several samples per frame: the cursor still moves one sample per frame.
        {"slow video", 6, 6, 250.0f, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SensorTrack t;
        std::vector<const char*> values(static_cast<std::size_t>(c.records), "+0000");
        LoadValues(&t, (dir_ / "s.MP4").string(), values);
        ASSERT_TRUE(t.BuildFrameMap(c.frames, c.period)) << c.what;
        ASSERT_EQ(t.frameMap().size(), static_cast<std::size_t>(c.frames)) << c.what;
        for (int f = 0; f < c.frames; ++f) {
            const AccelSample* s = t.SampleForFrame(f);
            ASSERT_NE(s, nullptr) << c.what << " frame " << f;
            EXPECT_EQ(s->index, c.map[static_cast<std::size_t>(f)]) << c.what << " frame " << f;
        }
        EXPECT_EQ(t.SampleForFrame(c.frames), nullptr) << c.what;
        EXPECT_EQ(t.SampleForFrame(-1), nullptr) << c.what;
    }

    // Linking: acceleration sample k shows GPS sample k - 2 (0 for the
    // first two), the last one m - 4; each GPS sample the acceleration
    // sample of its own frame.
    SensorTrack t;
    LoadValues(&t, (dir_ / "l.MP4").string(), std::vector<const char*>(8, "+0000"));
    ASSERT_TRUE(t.BuildFrameMap(30, 33.0f));
    const std::vector<int> expectedGps = {0, 0, 0, 1, 2, 3, 4, 4};
    for (std::size_t k = 0; k < 8; ++k) {
        const GpsSample* g = t.LinkedGps(t.accel()[k]);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->index, expectedGps[k]) << "accel " << k;
        const AccelSample* a = t.LinkedAccel(t.gps()[k]);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->index, static_cast<int>(k));
        EXPECT_EQ(t.gps()[k].frame, static_cast<int>(std::trunc(100.0f * k / 33.0f)));
    }
}

TEST_F(SensorTrackTest, FrameMapRefusesWhatItCannotBuild) {
    SensorTrack t;
    LoadValues(&t, (dir_ / "r.MP4").string(), {"+0000", "+0100"});
    EXPECT_FALSE(t.BuildFrameMap(0, 33.0f));
    EXPECT_FALSE(t.BuildFrameMap(-5, 33.0f));
    EXPECT_FALSE(t.BuildFrameMap(10, 0.0f));
    EXPECT_FALSE(t.BuildFrameMap(10, -33.0f));
    EXPECT_FALSE(t.BuildFrameMap(10, std::nanf("")));
    EXPECT_FALSE(t.BuildFrameMap(kMaxFrameMapFrames + 1, 33.0f));
    // The samples stay as loaded.
    EXPECT_EQ(t.accel()[1].frame, 100);
    EXPECT_EQ(t.accel()[1].v[0], G(100));
    // A tiny period puts every sample at a far frame without overflowing.
    ASSERT_TRUE(t.BuildFrameMap(3, 1e-30f));
    EXPECT_EQ(t.accel()[1].frame, INT32_MAX);
    EXPECT_EQ(t.SampleForFrame(2)->index, 0);
}

TEST_F(SensorTrackTest, MoveTrackTransfersEverything) {
    SensorTrack a, b;
    LoadValues(&a, (dir_ / "m.MP4").string(), {"+0000", "+0100", "+0300"});
    ASSERT_TRUE(a.BuildFrameMap(9, 33.0f));
    ASSERT_TRUE(b.Load((dir_ / "m.MP4").string()));
    const AccelSample* before = a.SampleForFrame(5);
    EXPECT_TRUE(MoveTrack(a, b));
    EXPECT_FALSE(a.loaded());
    EXPECT_TRUE(a.gps().empty());
    EXPECT_TRUE(a.frameMap().empty());
    EXPECT_TRUE(b.loaded());
    EXPECT_EQ(b.path(), (dir_ / "m.MP4").string());
    EXPECT_EQ(b.SampleForFrame(5), before); // same samples, not copies
    EXPECT_EQ(b.framePeriodMs(), 33.0f);
    EXPECT_DOUBLE_EQ(b.peakAbsG(), G(300) - G(100) + 0.005);
    // Moving an empty track empties the destination and reports no GPS.
    EXPECT_FALSE(MoveTrack(a, b));
    EXPECT_FALSE(b.loaded());
}

TEST_F(SensorTrackTest, FolderGpsList) {
    std::vector<Record> first = fixtures::Drive(3);
    first[1].status = 'V';
    const std::string a = Write("a.MP4", fixtures::Recording(fixtures::Gps0Box(first)));
    // Here the box need not follow "mdat".
    const std::string b = Write("b.MP4", fixtures::Ftyp() + fixtures::Gps0Box(fixtures::Drive(2)) +
                                             fixtures::Box("mdat", ""));
    const std::string none = Write("n.MP4", fixtures::Recording(""));

    struct Descriptor {
        std::string mainPath, rearPath;
    };
    FolderGpsList list;
    ASSERT_TRUE(list.ReadRecordings(std::vector<Descriptor>{{a, "x"}, {"", b}, {none, ""}}));
    const std::vector<GpsSample> s = list.Samples();
    ASSERT_EQ(s.size(), 5u);
    const int indices[] = {0, 1, 2, 0, 1};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(s[i].index, indices[i]);
        EXPECT_EQ(s[i].frame, indices[i] * 100);
    }
    EXPECT_EQ(s[1].valid, 0);

    // A file that cannot be opened ends the walk; what came before stays.
    std::string error;
    EXPECT_FALSE(list.Read({b, (dir_ / "gone.MP4").string(), a}, &error));
    EXPECT_NE(error.find("gone.MP4"), std::string::npos);
    EXPECT_EQ(list.size(), 2u);
    list.Free();
    EXPECT_EQ(list.size(), 0u);
}
