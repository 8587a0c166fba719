// The box reader on recordings made by the generator: what it reads must be
// what the generator wrote.
#include "TestSupport.h"

#include "playcore/ByteOrder.h"
#include "playcore/MovieProbe.h"
#include "playcore/Mp4Movie.h"
#include "playcore/TagScan.h"

#include <synth/Synth.h>

#include <gtest/gtest.h>

namespace {

std::string TopTypes(const playcore::sTAGNODE& root) {
    std::string s;
    for (const auto& c : root.children) {
        s += (s.empty() ? "" : " ") + std::string(c.typeName());
    }
    return s;
}

class GeneratedRecording : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testsupport::TempDir();
        main_.durationSec = 2.0;
        main_.start = {2025, 11, 3, 22, 59, 58};
        rear_.camera = synth::Camera::Rear;
        rear_.width = 320;
        rear_.height = 180;
        rear_.fps = 30;
        rear_.durationSec = 3.0;
        rear_.fastStart = true;
        rear_.audio = false;
        rear_.start = {2024, 2, 29, 12, 0, 0};
        cut_ = main_;
        cut_.trailer = false;
        std::string error;
        ASSERT_TRUE(synth::WriteRecording(Path("main.mp4"), main_, &error)) << error;
        ASSERT_TRUE(synth::WriteRecording(Path("rear.mp4"), rear_, &error)) << error;
        ASSERT_TRUE(synth::WriteRecording(Path("cut.mp4"), cut_, &error)) << error;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string Path(const char* name) { return (*dir_ / name).string(); }

    static testsupport::TempDir* dir_;
    static synth::RecordingOptions main_, rear_, cut_;
};

testsupport::TempDir* GeneratedRecording::dir_ = nullptr;
synth::RecordingOptions GeneratedRecording::main_, GeneratedRecording::rear_,
    GeneratedRecording::cut_;

TEST_F(GeneratedRecording, TreeAndTypeLists) {
    std::string error;
    auto movie = playcore::OpenMovieStructure(Path("main.mp4"), &error);
    ASSERT_TRUE(movie) << error;
    const std::string top = TopTypes(movie->root);
    // Media data, then the header, then the sensor box as the last box.
    EXPECT_LT(top.find("mdat"), top.find("moov")) << top;
    EXPECT_EQ(top.substr(top.size() - 4), "gps0") << top;
    const auto& l = movie->lists;
    EXPECT_EQ(l.mdat.size(), 1u);
    EXPECT_EQ(l.mvhd.size(), 1u);
    // A video and an audio track.
    for (const auto* list : {&l.stts, &l.stsz, &l.stsc, &l.stco, &l.mdhd, &l.tkhd, &l.stsd}) {
        EXPECT_EQ(list->size(), 2u);
    }
    EXPECT_GE(l.stss.size(), 1u);
    ASSERT_EQ(l.gps0.size(), 1u);
    const auto& gps = *l.gps0[0];
    const uint64_t n = static_cast<uint64_t>(synth::RecordCount(main_));
    EXPECT_EQ(gps.sensorRecordCount, n);
    EXPECT_EQ(gps.payloadLength + 8, synth::Gps0BoxSize(static_cast<uint32_t>(n)));
    // The whole file is covered by the top-level boxes.
    uint64_t covered = 0;
    for (const auto& c : movie->root.children) {
        covered += c.headerSize + c.payloadLength;
    }
    EXPECT_EQ(covered, movie->fileSize);

    auto rear = playcore::OpenMovieStructure(Path("rear.mp4"), &error);
    ASSERT_TRUE(rear) << error;
    const std::string rearTop = TopTypes(rear->root);
    EXPECT_LT(rearTop.find("moov"), rearTop.find("mdat")) << rearTop;
    EXPECT_EQ(rear->lists.stts.size(), 1u);
}

TEST_F(GeneratedRecording, MovieFacts) {
    auto movie = playcore::OpenMovieStructure(Path("main.mp4"));
    ASSERT_TRUE(movie);
    auto size = playcore::GetVideoSize(*movie);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, main_.width);
    EXPECT_EQ(size->height, main_.height);
    EXPECT_EQ(playcore::GetFrameCount(*movie), synth::FrameCount(main_));
    EXPECT_NEAR(playcore::GetFrameRate(*movie), 1e6 / synth::FrameDeltaUs(main_.fps), 1e-9);
    playcore::CalendarTime t{};
    ASSERT_TRUE(playcore::GetStartDateTime(*movie, &t));
    EXPECT_EQ(t.year, 2025);
    EXPECT_EQ(t.month, 11);
    EXPECT_EQ(t.day, 3);
    EXPECT_EQ(t.hour, 22);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 58);
    EXPECT_EQ(t.dayOfWeek, 1); // a Monday

    auto rear = playcore::OpenMovieStructure(Path("rear.mp4"));
    ASSERT_TRUE(rear);
    size = playcore::GetVideoSize(*rear);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 320);
    EXPECT_EQ(size->height, 180);
    EXPECT_EQ(playcore::GetFrameCount(*rear), synth::FrameCount(rear_));
    EXPECT_EQ(playcore::FrameCountByByteSearch(Path("rear.mp4")), synth::FrameCount(rear_));
    EXPECT_EQ(playcore::FrameCountByByteSearch(Path("main.mp4")), synth::FrameCount(main_));
}

TEST_F(GeneratedRecording, ProbeAndCompleteness) {
    EXPECT_TRUE(playcore::IsCompleteRecording(Path("main.mp4")));
    EXPECT_TRUE(playcore::IsCompleteRecording(Path("rear.mp4")));
    EXPECT_FALSE(playcore::IsCompleteRecording(Path("cut.mp4")));

    auto p = playcore::ProbeMovie(Path("main.mp4"));
    EXPECT_TRUE(p.accepted);
    EXPECT_NEAR(p.durationSec, main_.durationSec, 0.05);
    EXPECT_EQ(p.framePeriodMs, static_cast<float>(synth::FrameDeltaUs(main_.fps) / 1000));
    auto r = playcore::ProbeMovie(Path("rear.mp4"));
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.framePeriodMs, 33.0f);
}

TEST_F(GeneratedRecording, SensorBoxWalkAfterMdat) {
    playcore::MappedFile file;
    ASSERT_TRUE(file.Open(Path("main.mp4")));
    uint64_t mdatSize = 0;
    uint32_t count = 0;
    std::string marker;
    playcore::TagDescriptor mdat("mdat", [&](const playcore::ScanView& v) {
        mdatSize = v.boxSize;
        return 0;
    });
    playcore::TagDescriptor gps("gps0", [&](const playcore::ScanView& v) {
        if (v.size < 28) {
            return -1;
        }
        count = playcore::ReadBE16(v.data + 26);
        marker.assign(reinterpret_cast<const char*>(v.data) - 6, 6);
        return 0;
    });
    auto result = playcore::BoxWalk(file, gps, &mdat, playcore::kSearchWindow, 14);
    EXPECT_TRUE(result.hit());
    EXPECT_EQ(marker, "CSODAT");
    EXPECT_EQ(count, static_cast<uint32_t>(synth::RecordCount(main_)));
    auto movie = playcore::OpenMovieStructure(Path("main.mp4"));
    ASSERT_TRUE(movie);
    EXPECT_EQ(mdatSize, movie->lists.mdat[0]->payloadLength + 8);

    // The cut recording still has its sensor box (with fewer bytes than it
    // declares); the tree leaves it out, the walk clips it to the file.
    auto cut = playcore::OpenMovieStructure(Path("cut.mp4"));
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->lists.gps0.empty());
    EXPECT_EQ(cut->lists.mdat.size(), 1u);
    EXPECT_EQ(cut->lists.stts.size(), 2u);
}

} // namespace
