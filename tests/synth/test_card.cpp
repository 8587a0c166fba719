// Generated SD cards: folder and file names as the camera writes them, start
// times that follow from the durations, pairs with and without rear files,
// one incomplete file, and the same bytes for the same seed.
#include "TestSupport.h"
#include "synth/Synth.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;

synth::CardOptions SmallCard() {
    synth::CardOptions c;
    c.folders = 2;
    c.pairs = 3;
    c.durationSec = 2.0;
    c.mainWidth = c.mainHeight = 64;
    c.rearWidth = 64;
    c.rearHeight = 36;
    c.triggers = "AGMPS";
    c.seed = 3;
    return c;
}

std::string Name(const std::string& path) {
    return fs::path(path).filename().string();
}
std::string Folder(const std::string& path) {
    return fs::path(path).parent_path().filename().string();
}
bool Complete(const std::string& bytes) {
    return bytes.size() >= 85 &&
           bytes.substr(bytes.size() - 85).find("CSOEND") != std::string::npos;
}

TEST(Card, NamesTimesPairsAndTheIncompleteFile) {
    av_log_set_level(AV_LOG_ERROR);
    testsupport::TempDir dir;
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(synth::WriteCard(dir.path().string(), SmallCard(), &files, &error)) << error;

    // Recording 3 (the fourth over the card) has no rear file; the folder after a
    // rear-less recording leaves a 12 s gap so no +-10 s partner search reaches it.
    const std::vector<std::string> expected = {
        "20240517_001/001_093000A_M.MP4", "20240517_001/001_093000A_R.MP4",
        "20240517_001/002_093002G_M.MP4", "20240517_001/002_093002G_R.MP4",
        "20240517_001/003_093004M_M.MP4", "20240517_001/003_093004M_R.MP4",
        "20240518_002/004_093000P_M.MP4", "20240518_002/005_093014S_M.MP4",
        "20240518_002/005_093014S_R.MP4", "20240518_002/006_093016A_M.MP4",
        "20240518_002/006_093016A_R.MP4",
    };
    std::vector<std::string> got;
    for (const std::string& f : files) {
        got.push_back(Folder(f) + "/" + Name(f));
        EXPECT_TRUE(fs::is_regular_file(f)) << f;
        EXPECT_TRUE(std::regex_match(Name(f), std::regex("[0-9]{3}_[0-9]{6}[APGSM]_[MR]\\.MP4")));
        EXPECT_TRUE(std::regex_match(Folder(f), std::regex("[0-9]{8}_[0-9]{3}")));
    }
    EXPECT_EQ(got, expected);
    // Nothing else on the card (no temporary files).
    int entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
        entries += e.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(entries, static_cast<int>(expected.size()));

    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        const std::string bytes = testsupport::ReadFileBytes(f);
        const bool last = Name(f) == "006_093016A_M.MP4";
        EXPECT_EQ(Complete(bytes), !last);
        // The first sensor record's clock is the folder's date and the name's time.
        const size_t gps0 = bytes.find("gps0CSODAT");
        ASSERT_NE(gps0, std::string::npos);
        const std::string when = bytes.substr(gps0 - 4 + 42 + 31, 12);
        EXPECT_EQ(when.substr(0, 6), Folder(f).substr(2, 6));
        EXPECT_EQ(when.substr(6), Name(f).substr(4, 6));
        // Parking recordings stand still and say so in their status byte.
        const char trigger = Name(f)[10];
        const std::string speed = bytes.substr(gps0 - 4 + 42 + 27, 4);
        const char status = bytes[gps0 - 4 + 42 + 78];
        if (trigger == 'P' || trigger == 'S') {
            EXPECT_EQ(speed, "0000");
            EXPECT_EQ(status, 'R');
        } else {
            EXPECT_NE(speed, "0000");
            EXPECT_EQ(status, 'M');
        }
    }
}

TEST(Card, SameSeedSameCard) {
    av_log_set_level(AV_LOG_ERROR);
    testsupport::TempDir a, b;
    synth::CardOptions c = SmallCard();
    c.folders = 1;
    c.pairs = 2;
    std::vector<std::string> fa, fb;
    std::string error;
    ASSERT_TRUE(synth::WriteCard(a.path().string(), c, &fa, &error)) << error;
    ASSERT_TRUE(synth::WriteCard(b.path().string(), c, &fb, &error)) << error;
    ASSERT_EQ(fa.size(), fb.size());
    for (size_t i = 0; i < fa.size(); ++i) {
        EXPECT_EQ(Name(fa[i]), Name(fb[i]));
        EXPECT_EQ(testsupport::ReadFileBytes(fa[i]), testsupport::ReadFileBytes(fb[i])) << fa[i];
    }
}

TEST(Card, RejectsImpossibleRequests) {
    testsupport::TempDir dir;
    std::string error;
    synth::CardOptions c = SmallCard();
    c.triggers = "AT";
    EXPECT_FALSE(synth::WriteCard(dir.path().string(), c, nullptr, &error));
    EXPECT_FALSE(error.empty());
    c = SmallCard();
    c.pairs = 0;
    EXPECT_FALSE(synth::WriteCard(dir.path().string(), c, nullptr, &error));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
