// The completeness check, the playback probe and the frame count by byte
// search, on hand-made files.
#include "Mp4Fixtures.h"
#include "TestSupport.h"

#include "playcore/MovieProbe.h"

#include <gtest/gtest.h>

using namespace mp4fixture;

namespace {

class MovieProbe : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        auto p = dir_ / ("f" + std::to_string(++count_) + ".mp4");
        testsupport::WriteFileBytes(p, bytes);
        return p.string();
    }
    testsupport::TempDir dir_;
    int count_ = 0;
};

TEST_F(MovieProbe, CompleteRecordingCheck) {
    const std::string body = Movie(); // ends with the sensor box and its trailer
    struct Case {
        const char* name;
        std::string bytes;
        bool complete;
    };
    const Case cases[] = {
        {"camera recording", body, true},
        {"trailer then zero padding", body + std::string(40, '\0'), true},
        {"trailer preceded by zeros", Ftyp() + std::string(300, '\0') + "CSOEND", true},
        {"zeros inside the trailer window are spaces",
         Ftyp() + std::string(300, 'x') + std::string(70, '\0') + "CSOEND" + std::string(9, '\0'),
         true},
        {"shorter than 260 bytes", Ftyp() + std::string(200, ' ') + "CSOEND", false},
        {"trailer before the last 85 bytes", body + std::string(80, 'x'), false},
        {"cut short before the trailer", body.substr(0, body.size() - 3), false},
        {"no ftyp", "xxxxmoov" + std::string(300, ' ') + "CSOEND", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(playcore::IsCompleteRecording(Write(c.bytes)), c.complete) << c.name;
    }
    EXPECT_FALSE(playcore::IsCompleteRecording((dir_ / "missing.mp4").string()));
    EXPECT_FALSE(playcore::IsCompleteRecording(dir_.path().string()));
}

TEST_F(MovieProbe, AcceptanceByDurationAndPeriod) {
    struct Case {
        const char* name;
        uint32_t durationMs;
        uint32_t delta; // microseconds per frame
        bool accepted;
        float period;
    };
    const Case cases[] = {
        {"1.5 s with period 33 is rejected", 1500, 33333, false, 33},
        {"1.0 s with period 15 is accepted", 1000, 15000, true, 15},
        {"1.6 s with period 33 is accepted", 1600, 33333, true, 33},
        {"one minute at 30 fps", 60000, 33333, true, 33},
    };
    for (const auto& c : cases) {
        MovieParts m;
        m.duration = c.durationMs;
        m.stts = {{30, c.delta}};
        auto r = playcore::ProbeMovie(Write(Movie(m)));
        EXPECT_TRUE(r.opened) << c.name;
        EXPECT_EQ(r.accepted, c.accepted) << c.name;
        EXPECT_FLOAT_EQ(r.durationSec, static_cast<float>(c.durationMs) / 1000) << c.name;
        EXPECT_EQ(r.framePeriodMs, c.period) << c.name;
        EXPECT_TRUE(r.error.empty()) << c.name;
    }
}

TEST_F(MovieProbe, FallsBackToTheVideoTracksTimeScale) {
    // Time counted in 1/15360 s: the microsecond rule gives no period, the
    // track's own time scale does (512 ticks = 1/30 s).
    MovieParts m;
    m.duration = 10000;
    m.mediaTimescale = 15360;
    m.stts = {{300, 512}};
    auto r = playcore::ProbeMovie(Write(Movie(m)));
    EXPECT_TRUE(r.accepted);
    EXPECT_NEAR(r.framePeriodMs, 1000.0f / 30, 1e-3);

    // Without any frame period the movie cannot be played.
    std::string noTrack = Ftyp() + Box("mdat", "x") + Box("moov", Mvhd(1000, 5000));
    auto n = playcore::ProbeMovie(Write(noTrack));
    EXPECT_TRUE(n.opened);
    EXPECT_FALSE(n.accepted);
    EXPECT_FLOAT_EQ(n.durationSec, 5.0f);
}

TEST_F(MovieProbe, NotAMovie) {
    for (const std::string& bytes :
         {std::string(), std::string(1000, '\0'), Box("moov", Mvhd(1000, 5000))}) {
        auto r = playcore::ProbeMovie(Write(bytes));
        EXPECT_FALSE(r.opened);
        EXPECT_FALSE(r.accepted);
    }
    EXPECT_FALSE(playcore::ProbeMovie((dir_ / "missing.mp4").string()).opened);
}

TEST_F(MovieProbe, FrameCountByByteSearch) {
    MovieParts m;
    m.frames = 57;
    // "stsz" bytes inside the media data must not be taken for the table.
    m.mdatBytes = 0;
    std::string fake = "stsz" + U32(0) + U32(0) + U32(999);
    std::string bytes = Ftyp() + Box("mdat", fake) + Box("moov", Mvhd(1000, 2000) + Trak(m));
    EXPECT_EQ(playcore::FrameCountByByteSearch(Write(bytes)), 57);
    EXPECT_EQ(playcore::FrameCountByByteSearch(Write(Ftyp() + Box("mdat", fake))), -1);
    EXPECT_EQ(playcore::FrameCountByByteSearch((dir_ / "missing").string()), -1);
}

} // namespace
