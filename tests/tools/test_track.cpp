// brivona-tool track: the documents it writes for a card and its errors.
#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testsupport::BuiltProgram;
using testsupport::ReadFileBytes;
using testsupport::RunResult;
using testsupport::TempDir;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(TrackCommand, WritesEveryRecordingOfAFolder) {
    TempDir card;
    synth::CardOptions o;
    o.folders = 1;
    o.pairs = 3;
    o.audio = false;
    o.incompleteLast = false;
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(synth::WriteCard(card.path().string(), o, &files, &error)) << error;

    TempDir out;
    const fs::path gpx = out / "drive.gpx";
    RunResult r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "track", "-o", gpx.string(), card.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string doc = ReadFileBytes(gpx);
    EXPECT_EQ(Count(doc, "<trk>"), 3u);
    EXPECT_EQ(Count(doc, "<trkpt "), 60u); // 3 recordings of 2 s, a fix every 100 ms
    EXPECT_NE(doc.find("<name>001_093000A_M.MP4</name>"), std::string::npos);
    EXPECT_LT(doc.find("001_093000A_M.MP4"), doc.find("002_093002G_M.MP4"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);

    // The format follows the extension, or --format; stdout without -o.
    r = testsupport::Run({BuiltProgram("brivona-tool"), "track", "-o", (out / "d.kml").string(),
                          card.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Count(ReadFileBytes(out / "d.kml"), "<gx:coord>"), 60u);
    r = testsupport::Run({BuiltProgram("brivona-tool"), "track", "--format", "csv", files.front()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("recording,record,time,latitude,longitude,speed_kmh\r\n", 0), 0u);
    EXPECT_EQ(Count(r.out, "\r\n"), 21u);
    r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "track", "--format", "geojson", files.front()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"type\":\"FeatureCollection\"", 0), 0u);

    // Errors leave no output file.
    r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "track", "--format", "shp", card.path().string()});
    EXPECT_EQ(r.exitCode, 1);
    r = testsupport::Run({BuiltProgram("brivona-tool"), "track", "-o", (out / "x.gpx").string(),
                          (card / "missing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(out / "x.gpx"));
    r = testsupport::Run({BuiltProgram("brivona-tool"), "track", "-o",
                          (out / "no" / "x.gpx").string(), files.front()});
    EXPECT_EQ(r.exitCode, 1);
}

} // namespace
