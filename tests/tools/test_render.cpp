// brivona-tool render as a process: arguments, errors that leave no output,
// and a picture of the requested size. (What the picture shows is checked by
// the projection drawing tests.)
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace {

using testsupport::BuiltProgram;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// A small binary PPM: a disc on black.
std::string Picture(int n) {
    std::string s = "P6\n" + std::to_string(n) + " " + std::to_string(n) + "\n255\n";
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const int dx = 2 * x - n, dy = 2 * y - n;
            const bool in = dx * dx + dy * dy < n * n;
            s += static_cast<char>(in ? 200 : 0);
            s += static_cast<char>(in ? x * 255 / n : 0);
            s += static_cast<char>(in ? y * 255 / n : 0);
        }
    }
    return s;
}

uint32_t BigEndian32(const std::string& b, size_t at) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3]));
}

TEST(RenderCommand, WritesAPngOfTheViewSizeForEveryMode) {
    TempDir dir;
    WriteFileBytes(dir / "in.ppm", Picture(96));
    struct Case {
        std::vector<std::string> extra;
        uint32_t w, h;
    } cases[] = {
        {{"--mode", "1"}, 732, 411},
        {{"--mode", "2", "--size", "320x200"}, 320, 200},
        {{"--mode", "3", "--drag", "0.1,-0.02", "--drag", "0.05,0", "--zoom", "2"}, 732, 411},
        {{"--mode", "4", "--flip", "--size", "200x300"}, 200, 300},
        {{"--mode", "5", "--flip", "--size", "64x48"}, 64, 48},
        {{"--mode", "3", "--yuv", "--size", "90x60"}, 90, 60},
        {{"--mode", "0", "--size", "64x48"}, 64, 48},
    };
    for (const Case& c : cases) {
        const auto out = dir / "out.png";
        std::filesystem::remove(out);
        std::vector<std::string> argv = {BuiltProgram("brivona-tool"), "render"};
        argv.insert(argv.end(), c.extra.begin(), c.extra.end());
        argv.push_back((dir / "in.ppm").string());
        argv.push_back(out.string());
        const auto r = testsupport::Run(argv);
        ASSERT_EQ(r.exitCode, 0) << c.extra[1] << ": " << r.err;
        const std::string png = ReadFileBytes(out);
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(BigEndian32(png, 16), c.w);
        EXPECT_EQ(BigEndian32(png, 20), c.h);
    }
}

TEST(RenderCommand, BadInputLeavesNoOutput) {
    TempDir dir;
    WriteFileBytes(dir / "broken.png", std::string("\x89PNG\r\n\x1a\n garbage", 17));
    WriteFileBytes(dir / "in.ppm", Picture(16));
    const std::string tool = BuiltProgram("brivona-tool");
    const std::string out = (dir / "out.png").string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"render", (dir / "in.ppm").string(), out}, 2},            // no mode
        {{"render", "--mode", "2", "--size", "0x10", "x", out}, 2}, // bad size
        {{"render", "--mode", "3", "--drag", "0.1", "x", out}, 2},  // drag needs H,V
        {{"render", "--mode", "3", "--zoom", "-1", "x", out}, 2},   // zoom above 0
        {{"render", "--mode", "3", "--bogus", "x", out}, 2},        // unknown option
        {{"render", "--mode", "2", (dir / "missing.png").string(), out}, 1},
        {{"render", "--mode", "2", (dir / "broken.png").string(), out}, 1},
        {{"render", "--mode", "2", (dir / "in.ppm").string(),
          (dir / "no" / "such" / "dir.png").string()},
         1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {tool};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto r = testsupport::Run(argv);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << " " << c.args[2] << ": " << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // Nothing but the inputs is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 2);
}

} // namespace
