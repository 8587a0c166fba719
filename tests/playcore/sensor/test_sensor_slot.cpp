// The three sensor tracks of a player slot: preload, cancel, reuse of a
// preloaded track of the same path, commit and close.
#include "SensorFixtures.h"

#include "TestSupport.h"
#include "playcore/SensorSlot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace playcore;

namespace {

class SensorSlotTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        testsupport::WriteFileBytes(path, bytes);
        return path.string();
    }
    std::string Recording(const std::string& name, int records,
                          const fixtures::Header& h = fixtures::Header{}) {
        return Write(name, fixtures::Recording(fixtures::Gps0Box(fixtures::Drive(records), h)));
    }
    // A file whose scans take a while: many small boxes before "mdat", each
    // one a step of the box walk.
    std::string SlowRecording(const std::string& name) {
        std::string boxes;
        const std::string free = fixtures::Box("free", "");
        boxes.reserve(free.size() * 20000);
        for (int i = 0; i < 20000; ++i) {
            boxes += free;
        }
        return Write(name, fixtures::Ftyp() + boxes + fixtures::Box("mdat", "") +
                               fixtures::Gps0Box(fixtures::Drive(4)));
    }
    static void WaitForPreload(const SensorSlot& slot) {
        while (!slot.preloadActive()) {
            std::this_thread::yield();
        }
        // Let it reach its scan.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    testsupport::TempDir dir_;
};

struct Descriptor {
    CalendarTime startTime;
    float frameRate = 0.0f;
};

} // namespace

TEST_F(SensorSlotTest, LoadTakesOverAPreloadedTrackOfTheSamePath) {
    SensorSlot slot;
    const std::string a = Recording("a.MP4", 6);
    slot.Preload(a);
    ASSERT_TRUE(slot.preloaded().loaded());
    EXPECT_EQ(slot.preloaded().gps().size(), 6u);
    // The file is gone: only the preloaded track can serve the load.
    std::filesystem::remove(a);
    ASSERT_TRUE(slot.Load(a, 20, 33.0f));
    EXPECT_FALSE(slot.preloaded().loaded());
    EXPECT_EQ(slot.loading().path(), a);
    EXPECT_EQ(slot.loading().frameMap().size(), 20u);
    EXPECT_NE(slot.loading().SampleForFrame(19), nullptr);
}

TEST_F(SensorSlotTest, LoadOfAnotherPathReadsTheFile) {
    SensorSlot slot;
    const std::string a = Recording("a.MP4", 6);
    const std::string b = Recording("b.MP4", 3);
    slot.Preload(a);
    ASSERT_TRUE(slot.Load(b, 10, 33.0f));
    EXPECT_EQ(slot.loading().path(), b);
    EXPECT_EQ(slot.loading().gps().size(), 3u);
    EXPECT_EQ(slot.preloaded().path(), a); // kept for when it is opened
    // A path that differs in case only is another file.
    const std::string upper = (dir_ / "A.MP4").string();
    std::filesystem::copy_file(b, upper);
    ASSERT_TRUE(slot.Load(upper, 10, 33.0f));
    EXPECT_EQ(slot.loading().gps().size(), 3u);
    EXPECT_TRUE(slot.preloaded().loaded());

    EXPECT_FALSE(slot.Load((dir_ / "missing.MP4").string(), 10, 33.0f));
    EXPECT_FALSE(slot.loading().loaded());
    // A load whose frame map cannot be built fails but keeps the samples.
    EXPECT_FALSE(slot.Load(b, 0, 33.0f));
    EXPECT_EQ(slot.loading().gps().size(), 3u);
}

TEST_F(SensorSlotTest, LoadCancelsAPreloadOfAnotherFile) {
    SensorSlot slot;
    const std::string slow = SlowRecording("slow.MP4");
    const std::string b = Recording("b.MP4", 3);
    std::thread preload([&] { slot.Preload(slow); });
    WaitForPreload(slot);
    ASSERT_TRUE(slot.Load(b, 10, 33.0f));
    preload.join();
    EXPECT_FALSE(slot.preloaded().loaded());
    EXPECT_EQ(slot.loading().path(), b);
    // The cancel request is not left standing for the next preload.
    slot.Preload(b);
    EXPECT_TRUE(slot.preloaded().loaded());
}

TEST_F(SensorSlotTest, LoadWaitsForAPreloadOfTheSameFile) {
    SensorSlot slot;
    const std::string slow = SlowRecording("slow.MP4");
    std::thread preload([&] { slot.Preload(slow); });
    WaitForPreload(slot);
    ASSERT_TRUE(slot.Load(slow, 10, 33.0f));
    preload.join();
    EXPECT_FALSE(slot.preloaded().loaded()); // moved, not read again
    EXPECT_EQ(slot.loading().gps().size(), 4u);
}

TEST_F(SensorSlotTest, APreloadCancelsTheRunningOne) {
    SensorSlot slot;
    const std::string slow = SlowRecording("slow.MP4");
    const std::string b = Recording("b.MP4", 2);
    std::thread first([&] { slot.Preload(slow); });
    WaitForPreload(slot);
    slot.Preload(b);
    first.join();
    // Whichever order they took the slot in, the latest request is loaded
    // or the slow one was stopped.
    EXPECT_TRUE(!slot.preloaded().loaded() || slot.preloaded().path() == b);
    slot.Preload(b);
    EXPECT_EQ(slot.preloaded().path(), b);
}

TEST_F(SensorSlotTest, CommitHandsOverStartTimeRateAndSteps) {
    SensorSlot slot;
    fixtures::Header h;
    h.ref2 = "0000"; // 0 leaves channel 1 as it was
    ASSERT_TRUE(slot.Load(Recording("a.MP4", 5, h), 15, 33.0f));
    const SensorCommit c = slot.Commit();
    ASSERT_TRUE(c.hasGps);
    EXPECT_EQ(c.startTime, (CalendarTime{2024, 5, 5, 17, 9, 30, 0, 0}));
    EXPECT_FLOAT_EQ(c.frameRate, 1000.0f / 33.0f);
    ASSERT_TRUE(c.stepValues[0]);
    EXPECT_EQ(*c.stepValues[0], static_cast<double>(0.3f));
    EXPECT_FALSE(c.stepValues[1]);
    EXPECT_EQ(*c.stepValues[2], static_cast<double>(0.4f));
    Descriptor d;
    c.ApplyTo(d);
    EXPECT_EQ(d.startTime.year, 2024);
    EXPECT_FLOAT_EQ(d.frameRate, 1000.0f / 33.0f);
    double steps[3] = {9.0, 9.0, 9.0};
    c.ApplySteps(steps);
    EXPECT_EQ(steps[0], static_cast<double>(0.3f));
    EXPECT_EQ(steps[1], 9.0);

    EXPECT_FALSE(slot.loading().loaded());
    ASSERT_TRUE(slot.inUse().loaded());
    EXPECT_NE(slot.inUse().SampleForFrame(14), nullptr);
    std::vector<GpsSample> gps;
    EXPECT_TRUE(slot.CopyGpsInUse(&gps));
    EXPECT_EQ(gps.size(), 5u);

    // An invalid header gives no step values; a track without samples no
    // start time.
    h.orientation = 'Z';
    ASSERT_TRUE(slot.Load(Recording("b.MP4", 2, h), 15, 33.0f));
    EXPECT_FALSE(slot.Commit().stepValues[0]);
    ASSERT_TRUE(slot.Load(Write("c.MP4", fixtures::Recording(fixtures::Gps0Box({}))), 15, 33.0f));
    const SensorCommit empty = slot.Commit();
    EXPECT_FALSE(empty.hasGps);
    Descriptor untouched;
    empty.ApplyTo(untouched);
    EXPECT_EQ(untouched.frameRate, 0.0f);

    slot.Close();
    EXPECT_FALSE(slot.inUse().loaded());
    EXPECT_FALSE(slot.CopyGpsInUse(&gps));
    EXPECT_TRUE(gps.empty());
}

TEST_F(SensorSlotTest, PreloadPicksTheSlotByPath) {
    SensorSlot mainSlot, rearSlot;
    const std::string m = Recording("m.MP4", 2);
    const std::string r = Recording("r.MP4", 3);
    PreloadSensorTracks(mainSlot, rearSlot, m, r);
    EXPECT_EQ(mainSlot.preloaded().path(), m);
    EXPECT_FALSE(rearSlot.preloaded().loaded());
    PreloadSensorTracks(mainSlot, rearSlot, "", r);
    EXPECT_EQ(rearSlot.preloaded().path(), r);
    // No path at all empties the rear slot's preload track.
    PreloadSensorTracks(mainSlot, rearSlot, "", "");
    EXPECT_FALSE(rearSlot.preloaded().loaded());
    EXPECT_EQ(mainSlot.preloaded().path(), m);

    ASSERT_TRUE(rearSlot.Load(r, 5, 33.0f));
    rearSlot.Commit();
    std::vector<GpsSample> gps;
    EXPECT_TRUE(CopyGpsListInUse(mainSlot, rearSlot, false, &gps));
    EXPECT_EQ(gps.size(), 3u);
    EXPECT_FALSE(CopyGpsListInUse(mainSlot, rearSlot, true, &gps));
}
