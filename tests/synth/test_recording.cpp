// Generated recordings: the camera's file layout, real decoding of every
// frame, frame codes read back after compression, chart colours, the special
// modes and determinism.
#include "MovieAnatomy.h"
#include "TestSupport.h"
#include "synth/Synth.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

using synthtest::Box;
using synthtest::TopLevelBoxes;

namespace {

class Quiet : public ::testing::Environment {
public:
    void SetUp() override { av_log_set_level(AV_LOG_ERROR); }
};
const auto* const kQuiet = ::testing::AddGlobalTestEnvironment(new Quiet);

std::vector<std::string> Types(const std::vector<Box>& boxes) {
    std::vector<std::string> t;
    for (const Box& b : boxes) {
        t.push_back(b.type);
    }
    return t;
}

synth::RecordingOptions Small(synth::Camera camera, int w, int h) {
    synth::RecordingOptions o;
    o.camera = camera;
    o.width = w;
    o.height = h;
    o.durationSec = 2.0;
    return o;
}

std::string Write(const testsupport::TempDir& dir, const std::string& name,
                  const synth::RecordingOptions& o) {
    const std::string path = (dir / name).string();
    std::string error;
    EXPECT_TRUE(synth::WriteRecording(path, o, &error)) << error;
    return path;
}

struct LayoutCase {
    const char* name;
    synth::Camera camera;
    bool audio, bframes, fastStart;
    std::vector<std::string> order;
};

TEST(Recording, CameraLayoutForEveryVariant) {
    testsupport::TempDir dir;
    const std::vector<LayoutCase> cases = {
        {"main", synth::Camera::Main, true, false, false, {"ftyp", "mdat", "moov", "gps0"}},
        {"rear", synth::Camera::Rear, false, false, false, {"ftyp", "mdat", "moov", "gps0"}},
        {"bframes", synth::Camera::Main, true, true, false, {"ftyp", "mdat", "moov", "gps0"}},
        {"faststart",
         synth::Camera::Main,
         true,
         false,
         true,
         {"ftyp", "moov", "free", "mdat", "gps0"}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        synth::RecordingOptions o = Small(c.camera, 96, c.camera == synth::Camera::Main ? 96 : 54);
        o.audio = c.audio;
        o.bframes = c.bframes;
        o.fastStart = c.fastStart;
        const std::string bytes = testsupport::ReadFileBytes(Write(dir, "x.MP4", o));
        const auto boxes = TopLevelBoxes(bytes);
        EXPECT_EQ(Types(boxes), c.order);
        ASSERT_FALSE(boxes.empty());
        // gps0 is the last box, exactly 48 + 79 N bytes, ending the file with CSOEND.
        EXPECT_EQ(boxes.back().size, synth::Gps0BoxSize(20));
        EXPECT_EQ(boxes.back().offset + boxes.back().size, bytes.size());
        EXPECT_EQ(bytes.substr(bytes.size() - 6), "CSOEND");
        EXPECT_EQ(synthtest::Be32(bytes, boxes.back().offset + 40) >> 16, 20u);

        const auto tracks = synthtest::Tracks(bytes);
        ASSERT_EQ(tracks.size(), c.audio ? 2u : 1u);
        EXPECT_EQ(tracks[0].handler, "vide");
        EXPECT_EQ(tracks[0].timescale, 1000000u);
        ASSERT_EQ(tracks[0].stts.size(), 1u);
        EXPECT_EQ(tracks[0].stts[0].first, static_cast<uint32_t>(synth::FrameCount(o)));
        EXPECT_EQ(tracks[0].stts[0].second, 34364u);
        if (c.audio) {
            EXPECT_EQ(tracks[1].handler, "soun");
        }
    }
}

TEST(Recording, FrameRateAndDurationDecideFramesAndRecords) {
    synth::RecordingOptions o;
    EXPECT_EQ(synth::FrameDeltaUs(29.1), 34364);
    EXPECT_EQ(synth::FrameDeltaUs(30.0), 33333);
    o.durationSec = 15.0;
    EXPECT_EQ(synth::FrameCount(o), 437); // 15 s / 34364 us = 436.5
    EXPECT_EQ(synth::RecordCount(o), 150);
    o.sensor.recordCount = 7;
    EXPECT_EQ(synth::RecordCount(o), 7);

    testsupport::TempDir dir;
    synth::RecordingOptions p = Small(synth::Camera::Rear, 64, 36);
    p.fps = 30.0;
    p.durationSec = 1.0;
    const auto tracks = synthtest::Tracks(testsupport::ReadFileBytes(Write(dir, "f.MP4", p)));
    ASSERT_FALSE(tracks.empty());
    ASSERT_EQ(tracks[0].stts.size(), 1u);
    EXPECT_EQ(tracks[0].stts[0], std::make_pair(30u, 33333u));
}

struct DecodeCase {
    const char* name;
    synth::Camera camera;
    int w, h;
    bool bframes;
    int outW, outH; // the size the decoded frames are scaled to before reading
};

TEST(Recording, EveryFrameDecodesAndCarriesItsIndex) {
    testsupport::TempDir dir;
    const std::vector<DecodeCase> cases = {
        {"main 128 native", synth::Camera::Main, 128, 128, false, 0, 0},
        {"main 256 halved", synth::Camera::Main, 256, 256, false, 128, 128},
        {"main 1440 shown small", synth::Camera::Main, 1440, 1440, false, 300, 300},
        {"main 128 enlarged", synth::Camera::Main, 128, 128, false, 333, 333},
        {"rear 192x108 native", synth::Camera::Rear, 192, 108, false, 0, 0},
        {"rear 640x360 squeezed", synth::Camera::Rear, 640, 360, false, 320, 240},
        {"main b-frames", synth::Camera::Main, 160, 160, true, 0, 0},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        synth::RecordingOptions o = Small(c.camera, c.w, c.h);
        o.bframes = c.bframes;
        o.durationSec = c.w >= 1000 ? 0.5 : 2.0;
        const auto d = synthtest::DecodeAll(Write(dir, "d.MP4", o), c.outW, c.outH);
        EXPECT_EQ(d.error, "");
        ASSERT_EQ(d.frames, synth::FrameCount(o));
        for (int i = 0; i < d.frames; ++i) {
            ASSERT_EQ(d.codes[static_cast<size_t>(i)], i) << "frame " << i;
        }
        if (o.audio) {
            EXPECT_GT(d.audioPackets, 0);
        }
    }
}

int Distance(uint32_t px, synth::Rgb c) {
    const int r = static_cast<int>((px >> 16) & 255), g = static_cast<int>((px >> 8) & 255),
              b = static_cast<int>(px & 255);
    return std::max({std::abs(r - c.r), std::abs(g - c.g), std::abs(b - c.b)});
}

TEST(Recording, DecodedChartsMatchTheirColourFunctions) {
    testsupport::TempDir dir;
    {
        const int n = 320;
        const auto d =
            synthtest::DecodeAll(Write(dir, "m.MP4", Small(synth::Camera::Main, n, n)), 0, 0);
        ASSERT_EQ(d.error, "");
        const synth::Rect box = synth::FrameCodeRect(n, n);
        int checked = 0;
        for (int ring = 0; ring < 4; ++ring) {
            for (int sector = 0; sector < 8; ++sector) {
                const double r = (ring + 0.5) / 4.0;
                const double a = (sector + 0.5) * std::numbers::pi / 4.0;
                const int x = static_cast<int>(n / 2.0 + std::sin(a) * r * n / 2.0);
                const int y = static_cast<int>(n / 2.0 - std::cos(a) * r * n / 2.0);
                if (x >= box.x - 2 && x < box.x + box.width + 2 && y >= box.y - 2 &&
                    y < box.y + box.height + 2) {
                    continue;
                }
                ++checked;
                EXPECT_LE(Distance(d.first[static_cast<size_t>(y * n + x)],
                                   synth::FisheyeChartColor(r, a)),
                          24)
                    << "ring " << ring << " sector " << sector;
            }
        }
        EXPECT_GE(checked, 28);
        // Black outside the circle.
        EXPECT_LE(Distance(d.first[3 * n + 3], {0, 0, 0}), 16);
    }
    {
        const int w = 384, h = 216;
        const auto d =
            synthtest::DecodeAll(Write(dir, "r.MP4", Small(synth::Camera::Rear, w, h)), 0, 0);
        ASSERT_EQ(d.error, "");
        for (double u : {1.0 / 12, 3.0 / 12, 9.0 / 12, 11.0 / 12}) {
            for (double v : {1.0 / 12, 3.0 / 12, 9.0 / 12, 11.0 / 12}) {
                const int x = static_cast<int>(u * w), y = static_cast<int>(v * h);
                EXPECT_LE(
                    Distance(d.first[static_cast<size_t>(y * w + x)], synth::FlatChartColor(u, v)),
                    24)
                    << u << "," << v;
            }
        }
    }
}

TEST(Recording, ChartColourConventions) {
    // Azimuth 0 points at the top edge and grows clockwise; rings go outwards.
    EXPECT_EQ(synth::FisheyeSector(0.1), 0);
    EXPECT_EQ(synth::FisheyeSector(std::numbers::pi / 2 + 0.1), 2);
    EXPECT_EQ(synth::FisheyeSector(-0.1), 7);
    EXPECT_EQ(synth::FisheyeRing(0.1), 0);
    EXPECT_EQ(synth::FisheyeRing(1.0), 3);
    EXPECT_EQ(synth::FisheyeRing(1.01), -1);
    EXPECT_EQ(synth::FisheyeChartColor(0.6, 0.1), (synth::Rgb{255, 0, 0}));
    EXPECT_EQ(synth::FisheyeChartColor(1.2, 0.1), (synth::Rgb{0, 0, 0}));
    // Every cell has its own colour, so a sample tells ring and sector apart.
    std::vector<synth::Rgb> seen;
    for (int ring = 0; ring < 4; ++ring) {
        for (int s = 0; s < 8; ++s) {
            const synth::Rgb c =
                synth::FisheyeChartColor((ring + 0.5) / 4, (s + 0.5) * std::numbers::pi / 4);
            for (const synth::Rgb& o : seen) {
                EXPECT_FALSE(o == c) << ring << "/" << s;
            }
            seen.push_back(c);
        }
    }
    EXPECT_EQ(synth::FlatChartColor(0.25, 0.25), (synth::Rgb{255, 0, 0}));
    EXPECT_EQ(synth::FlatChartColor(0.75, 0.25), (synth::Rgb{0, 255, 0}));
    EXPECT_EQ(synth::FlatChartColor(0.25, 0.75), (synth::Rgb{0, 0, 255}));
    EXPECT_EQ(synth::FlatChartColor(0.75, 0.75), (synth::Rgb{255, 255, 0}));
    EXPECT_EQ(synth::FlatChartColor(1.0 / 6, 0.1), (synth::Rgb{0, 0, 0})); // grid line
}

TEST(Recording, SameOptionsGiveSameBytesAndSeedOnlyMovesSensorNoise) {
    testsupport::TempDir dir;
    synth::RecordingOptions o = Small(synth::Camera::Main, 96, 96);
    const std::string a = testsupport::ReadFileBytes(Write(dir, "a.MP4", o));
    const std::string b = testsupport::ReadFileBytes(Write(dir, "b.MP4", o));
    EXPECT_EQ(a, b);
    o.seed = 2;
    const std::string c = testsupport::ReadFileBytes(Write(dir, "c.MP4", o));
    ASSERT_EQ(a.size(), c.size());
    const uint64_t gps0 = TopLevelBoxes(a).back().offset;
    EXPECT_EQ(a.substr(0, gps0), c.substr(0, gps0));
    EXPECT_NE(a.substr(gps0), c.substr(gps0));
}

TEST(Recording, NoSensorBoxAndPowerCutModes) {
    testsupport::TempDir dir;
    synth::RecordingOptions o = Small(synth::Camera::Main, 64, 64);
    o.gps0 = false;
    const std::string none = testsupport::ReadFileBytes(Write(dir, "n.MP4", o));
    EXPECT_EQ(Types(TopLevelBoxes(none)), (std::vector<std::string>{"ftyp", "mdat", "moov"}));
    EXPECT_EQ(none.find("CSOEND"), std::string::npos);

    o.gps0 = true;
    o.trailer = false;
    const std::string cut = testsupport::ReadFileBytes(Write(dir, "c.MP4", o));
    const auto boxes = TopLevelBoxes(cut);
    ASSERT_EQ(Types(boxes), (std::vector<std::string>{"ftyp", "mdat", "moov", "gps0"}));
    // The header promises 20 records, but the file stops inside record 10.
    EXPECT_EQ(boxes.back().size, synth::Gps0BoxSize(20));
    EXPECT_EQ(cut.size() - boxes.back().offset, 42u + 10 * 79 + 37);
    EXPECT_EQ(cut.substr(cut.size() - 85).find("CSOEND"), std::string::npos);
    // The movie itself still plays.
    const auto d = synthtest::DecodeAll((dir / "c.MP4").string());
    EXPECT_EQ(d.error, "");
    EXPECT_EQ(d.frames, synth::FrameCount(o));
}

TEST(Recording, SensorBoxBeforeMdatKeepsTheMoviePlayable) {
    testsupport::TempDir dir;
    for (const bool fastStart : {false, true}) {
        SCOPED_TRACE(fastStart);
        synth::RecordingOptions o = Small(synth::Camera::Main, 96, 96);
        o.gps0BeforeMdat = true;
        o.fastStart = fastStart;
        const std::string path = Write(dir, "b.MP4", o);
        const std::string bytes = testsupport::ReadFileBytes(path);
        const auto boxes = TopLevelBoxes(bytes);
        EXPECT_EQ(Types(boxes),
                  fastStart ? (std::vector<std::string>{"ftyp", "moov", "free", "gps0", "mdat"})
                            : (std::vector<std::string>{"ftyp", "gps0", "mdat", "moov"}));
        EXPECT_EQ(bytes.substr(bytes.size() - 85).find("CSOEND"), std::string::npos);
        // The chunk offsets moved with the media data: every frame still decodes.
        const auto d = synthtest::DecodeAll(path);
        EXPECT_EQ(d.error, "");
        ASSERT_EQ(d.frames, synth::FrameCount(o));
        for (int i = 0; i < d.frames; ++i) {
            ASSERT_EQ(d.codes[static_cast<size_t>(i)], i);
        }
        EXPECT_GT(d.audioPackets, 0);
    }
}

TEST(Recording, BadRequestsFailCleanly) {
    testsupport::TempDir dir;
    std::string error;
    synth::RecordingOptions o = Small(synth::Camera::Main, 63, 64);
    EXPECT_FALSE(synth::WriteRecording((dir / "odd.MP4").string(), o, &error));
    EXPECT_FALSE(error.empty());
    o.width = 64;
    error.clear();
    EXPECT_FALSE(synth::WriteRecording((dir / "missing" / "x.MP4").string(), o, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
