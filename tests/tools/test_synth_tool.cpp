// brivona-tool synth as scripts call it: one file, a card, and bad arguments.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::string kTool = testsupport::BuiltProgram("brivona-tool");

TEST(SynthTool, WritesTheFuzzSeedsAndPrintsTheirPaths) {
    testsupport::TempDir dir;
    const std::string main = (dir / "main.mp4").string();
    const std::string rear = (dir / "rear.mp4").string();
    auto r = testsupport::Run({kTool, "synth", "--out", main, "--camera", "main", "--size", "64x64",
                               "--duration", "2", "--seed", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, main + "\n");
    EXPECT_EQ(r.err, ""); // no encoder chatter
    r = testsupport::Run({kTool, "synth", "--out", rear, "--camera", "rear", "--size", "64x36",
                          "--duration", "2", "--no-audio", "--seed", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& f : {main, rear}) {
        const std::string bytes = testsupport::ReadFileBytes(f);
        ASSERT_GT(bytes.size(), 100u);
        EXPECT_EQ(bytes.substr(4, 4), "ftyp");
        EXPECT_EQ(bytes.substr(bytes.size() - 6), "CSOEND");
    }
}

TEST(SynthTool, OptionsReachTheFile) {
    testsupport::TempDir dir;
    const std::string f = (dir / "x.MP4").string();
    auto r = testsupport::Run({kTool, "synth", "--out", f, "--size", "64x64", "--duration", "1",
                               "--no-gps0", "--start", "20231231235959"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(testsupport::ReadFileBytes(f).find("gps0"), std::string::npos);

    r = testsupport::Run({kTool, "synth", "--out", f, "--size", "64x64", "--duration", "1",
                          "--start", "20231231235959", "--event", "0.2:Z:1.5:0xA9",
                          "--invalid-every", "2", "--negative", "--correction", "18", "--records",
                          "4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = testsupport::ReadFileBytes(f);
    const size_t box = bytes.find("gps0CSODAT") - 4;
    EXPECT_EQ(bytes.size() - box, 48u + 4 * 79);
    const size_t rec0 = box + 42, rec1 = rec0 + 79, rec2 = rec1 + 79, rec3 = rec2 + 79;
    EXPECT_EQ(bytes[rec1 + 5], 'V');
    EXPECT_EQ(bytes[rec0 + 15], '\0');
    EXPECT_EQ(bytes.substr(rec0 + 31, 12), "231231235941");
    EXPECT_EQ(bytes.substr(rec0 + 44, 3), "+18");
    EXPECT_EQ(bytes[rec2 + 73], 'Z');
    EXPECT_EQ(static_cast<unsigned char>(bytes[rec3]), 0xA9);
}

TEST(SynthTool, WritesACard) {
    testsupport::TempDir dir;
    const std::string card = (dir / "card").string();
    auto r = testsupport::Run({kTool, "synth", "--card", card, "--folders", "1", "--pairs", "2",
                               "--duration", "1", "--main-size", "64x64", "--rear-size", "64x36",
                               "--triggers", "G,P", "--seed", "7"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, card + "/20240517_001/001_093000G_M.MP4\n" + card +
                         "/20240517_001/001_093000G_R.MP4\n" + card +
                         "/20240517_001/002_093001P_M.MP4\n" + card +
                         "/20240517_001/002_093001P_R.MP4\n");
}

TEST(SynthTool, BadArgumentsFailWithoutWriting) {
    testsupport::TempDir dir;
    const std::string f = (dir / "bad.MP4").string();
    const std::vector<std::vector<std::string>> cases = {
        {kTool, "synth"},
        {kTool, "synth", "--out", f, "--card", (dir / "c").string()},
        {kTool, "synth", "--out", f, "--size", "64"},
        {kTool, "synth", "--out", f, "--camera", "side"},
        {kTool, "synth", "--out", f, "--start", "2024"},
        {kTool, "synth", "--out", f, "--event", "1:Q:1"},
        {kTool, "synth", "--out", f, "--bogus"},
        {kTool, "synth", "--out"},
    };
    for (const auto& c : cases) {
        const auto r = testsupport::Run(c);
        EXPECT_EQ(r.exitCode, 2) << c.back();
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
    // A request the generator refuses (odd size) fails with status 1.
    const auto r = testsupport::Run({kTool, "synth", "--out", f, "--size", "65x64"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_EQ(testsupport::Run({kTool, "synth", "--help"}).exitCode, 0);
}

} // namespace
