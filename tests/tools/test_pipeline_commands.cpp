// brivona-tool snapshot and playbench as a user runs them: outputs, their
// formats and sizes, the figures printed, and the errors. They need a display
// (scripts/test runs the tests under xvfb-run).
#include "TestSupport.h"

#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using testsupport::BuiltProgram;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

class PipelineCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        }
        synth::RecordingOptions o;
        o.camera = synth::Camera::Rear;
        o.width = 160;
        o.height = 96;
        o.fps = 25.0;
        o.durationSec = 2.0;
        std::string error;
        ASSERT_TRUE(synth::WriteRecording(movie_, o, &error)) << error;
    }
    TempDir dir_;
    std::string movie_ = (dir_ / "rear.mp4").string();
    std::string tool_ = BuiltProgram("brivona-tool");
};

uint32_t BigEndian32(const std::string& b, size_t at) {
    return (uint32_t{static_cast<uint8_t>(b[at])} << 24) |
           (uint32_t{static_cast<uint8_t>(b[at + 1])} << 16) |
           (uint32_t{static_cast<uint8_t>(b[at + 2])} << 8) |
           uint32_t{static_cast<uint8_t>(b[at + 3])};
}

TEST_F(PipelineCommands, SnapshotWritesPngOrJpegAtTheViewsSize) {
    const std::string png = (dir_ / "view.png").string();
    auto r =
        testsupport::Run({tool_, "snapshot", "--size", "200x120", "--frame", "20", movie_, png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(BigEndian32(bytes, 16), 200u);
    EXPECT_EQ(BigEndian32(bytes, 20), 120u);

    const std::string jpg = (dir_ / "view.jpg").string();
    r = testsupport::Run({tool_, "snapshot", "--frame", "5", movie_, jpg});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string jpeg = ReadFileBytes(jpg);
    ASSERT_GT(jpeg.size(), 3u);
    EXPECT_EQ(static_cast<uint8_t>(jpeg[0]), 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(jpeg[1]), 0xD8);
}

TEST_F(PipelineCommands, SnapshotErrors) {
    const std::string out = (dir_ / "x.jpg").string();
    EXPECT_EQ(testsupport::Run({tool_, "snapshot", movie_}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({tool_, "snapshot", "--mode", "9", movie_, out}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({tool_, "snapshot", "--size", "0x5", movie_, out}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({tool_, "snapshot", (dir_ / "none.mp4").string(), out}).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is left behind on failure";
    EXPECT_EQ(
        testsupport::Run({tool_, "snapshot", movie_, (dir_ / "no" / "such" / "dir.jpg").string()})
            .exitCode,
        1);
}

TEST_F(PipelineCommands, PlaybenchPrintsItsFigures) {
    const auto r =
        testsupport::Run({tool_, "playbench", movie_, "--seconds", "3", "--size", "320x192"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* key : {"\"presented\"", "\"late\"", "\"dropped\"", "\"fps\"",
                            "\"decode_ms_p50\"", "\"draw_ms_p50\"", "\"cpu_s\""}) {
        EXPECT_NE(r.out.find(key), std::string::npos) << key << " in " << r.out;
    }
    // The whole 2 s movie is played: about 50 pictures.
    const size_t at = r.out.find("\"presented\"");
    ASSERT_NE(at, std::string::npos);
    const int presented = std::atoi(r.out.c_str() + r.out.find(':', at) + 1);
    EXPECT_GE(presented, 40);
    EXPECT_LE(presented, 50);
    EXPECT_EQ(testsupport::Run({tool_, "playbench"}).exitCode, 2);
}

} // namespace
