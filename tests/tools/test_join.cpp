// brivona-tool join on a generated card: names, the pair listed as one
// recording again, and the refusals that must leave the disk untouched.
#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class JoinCommand : public ::testing::Test {
protected:
    void SetUp() override {
        synth::CardOptions o;
        o.folders = 1;
        o.pairs = 3;
        o.durationSec = 2.0;
        o.rearMissingEvery = 0;
        o.incompleteLast = false;
        o.triggers = "A";
        std::string error;
        ASSERT_TRUE(synth::WriteCard((card_ / "card").string(), o, &files_, &error)) << error;
        std::sort(files_.begin(), files_.end());
        fs::create_directories(out_ / "joined");
    }

    std::vector<std::string> Mains() const {
        std::vector<std::string> m;
        for (const std::string& f : files_) {
            if (f.size() > 6 && f.substr(f.size() - 6) == "_M.MP4") {
                m.push_back(f);
            }
        }
        return m;
    }

    testsupport::RunResult Join(std::vector<std::string> args) const {
        args.insert(args.begin(), {testsupport::BuiltProgram("brivona-tool"), "join"});
        return testsupport::Run(args);
    }

    testsupport::TempDir card_;
    testsupport::TempDir out_;
    std::vector<std::string> files_;
};

} // namespace

TEST_F(JoinCommand, BothCamerasGiveOnePairListedAsOneRecording) {
    const std::vector<std::string> m = Mains();
    ASSERT_EQ(m.size(), 3u);
    const std::string folder = (out_ / "joined").string();
    const testsupport::RunResult r = Join({folder, m[0], m[1], m[2]});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string base = fs::path(m[0]).filename().string();
    const std::string mainOut = folder + "/JB03_" + base;
    std::string rearOut = mainOut;
    rearOut[rearOut.size() - 5] = 'R';
    EXPECT_EQ(r.out, mainOut + "\n" + rearOut + "\n");
    EXPECT_NE(r.err.find("100%"), std::string::npos);

    const testsupport::RunResult scan =
        testsupport::Run({testsupport::BuiltProgram("brivona-tool"), "scan", "--json", folder});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    const std::string shown = scan.out.substr(scan.out.find("\"shown\""));
    EXPECT_NE(shown.find("\"rearName\": \"JB03_" + fs::path(rearOut).filename().string().substr(5)),
              std::string::npos)
        << scan.out;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '{') > 0, true);
    // One descriptor in the shown list (each has one startTime object).
    const std::string list = shown.substr(0, shown.find("\"collected\""));
    size_t descriptors = 0;
    for (size_t at = list.find("\"mainPath\""); at != std::string::npos;
         at = list.find("\"mainPath\"", at + 1)) {
        ++descriptors;
    }
    EXPECT_EQ(descriptors, 1u);
}

TEST_F(JoinCommand, ModesNameTheirOutputsAndAnExistingOutputNeedsYes) {
    const std::vector<std::string> m = Mains();
    const std::string folder = (out_ / "joined").string();
    std::string rear1 = m[1];
    rear1[rear1.size() - 5] = 'R';
    // Recordings named by their rear file join the same as by the main file.
    testsupport::RunResult r = Join({"--mode", "rear", folder, m[0], rear1});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected = folder + "/JR02_" + fs::path(m[0]).filename().string();
    expected[expected.size() - 5] = 'R';
    EXPECT_EQ(r.out, expected + "\n");

    r = Join({"--mode", "main", folder, m[0], m[1]});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string mainOut = folder + "/JM02_" + fs::path(m[0]).filename().string();
    EXPECT_EQ(r.out, mainOut + "\n");
    const auto before = fs::last_write_time(mainOut);

    r = Join({"--mode", "main", folder, m[0], m[1]});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("同名の結合済みファイルが存在します。続行しますか？"), std::string::npos);
    EXPECT_EQ(fs::last_write_time(mainOut), before);

    r = Join({"--mode", "main", "--yes", folder, m[0], m[1]});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(JoinCommand, RefusalsLeaveNothingBehind) {
    const std::vector<std::string> m = Mains();
    const std::string folder = (out_ / "joined").string();
    // A recording of another size cannot continue these.
    synth::RecordingOptions other;
    other.width = other.height = 64;
    const std::string odd = (card_ / "card" / "009_120000A_M.MP4").string();
    std::string error;
    ASSERT_TRUE(synth::WriteRecording(odd, other, &error)) << error;
    testsupport::RunResult r = Join({"--mode", "main", folder, m[0], odd});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("動画の連結に失敗しました。"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(folder));

    r = Join({folder, (card_ / "card" / "nothing_M.MP4").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(fs::is_empty(folder));
}
