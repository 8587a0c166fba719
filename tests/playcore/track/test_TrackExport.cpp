// GPS track export: fixes read from generated recordings, and the four
// document formats with their escaping and times.
#include "playcore/TrackExport.h"

#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

using namespace playcore;
namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// Runs the body with TZ set, restoring the previous zone afterwards.
class ZoneScope {
public:
    explicit ZoneScope(const char* tz) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) {
            old_ = old;
        }
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (had_) {
            ::setenv("TZ", old_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

CalendarTime At(int h, int m, int s, int ms = 0) {
    return CalendarTime{2024,
                        5,
                        5,
                        17,
                        static_cast<uint16_t>(h),
                        static_cast<uint16_t>(m),
                        static_cast<uint16_t>(s),
                        static_cast<uint16_t>(ms)};
}

std::vector<RecordingTrack> SampleTracks() {
    RecordingTrack a;
    a.path = "/card/001_093000A_M.MP4";
    a.name = "001_093000A_M.MP4";
    a.fixes = {TrackFix{3, 35.6812360, 139.7671250, 36.0, At(9, 30, 0, 300)},
               TrackFix{4, -33.5, -70.25, 0.0, At(9, 30, 0, 400)}};
    RecordingTrack empty;
    empty.path = "/card/002_093002G_M.MP4";
    empty.name = "002_093002G_M.MP4";
    RecordingTrack odd;
    odd.path = "/card/A&B <\"x\">\xFF.MP4";
    odd.name = "A&B <\"x\">\xFF.MP4";
    odd.fixes = {TrackFix{0, 1.0, 2.0, 72.5, At(23, 59, 59, 900)}};
    return {a, empty, odd};
}

TEST(TrackFormat, IsoTimesCarryTheLocalOffset) {
    {
        ZoneScope zone("JST-9");
        EXPECT_EQ(IsoLocalTime(At(9, 30, 0, 300)), "2024-05-17T09:30:00.300+09:00");
    }
    {
        ZoneScope zone("UTC0");
        EXPECT_EQ(IsoLocalTime(At(9, 30, 0)), "2024-05-17T09:30:00.000Z");
        // Out-of-range fields roll over.
        EXPECT_EQ(IsoLocalTime(CalendarTime{2023, 12, 0, 31, 23, 59, 60, 0}),
                  "2024-01-01T00:00:00.000Z");
    }
    {
        // Summer and winter time of one zone.
        ZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(IsoLocalTime(At(9, 30, 0)), "2024-05-17T09:30:00.000-04:00");
        EXPECT_EQ(IsoLocalTime(CalendarTime{2024, 1, 0, 2, 8, 0, 0, 0}),
                  "2024-01-02T08:00:00.000-05:00");
    }
}

TEST(TrackFormat, Documents) {
    ZoneScope zone("UTC0");
    const std::vector<RecordingTrack> tracks = SampleTracks();

    EXPECT_EQ(FormatTracks(tracks, TrackFormat::Csv),
              "recording,record,time,latitude,longitude,speed_kmh\r\n"
              "001_093000A_M.MP4,3,2024-05-17T09:30:00.300Z,35.6812360,139.7671250,36.0\r\n"
              "001_093000A_M.MP4,4,2024-05-17T09:30:00.400Z,-33.5000000,-70.2500000,0.0\r\n"
              "\"A&B <\"\"x\"\">\xEF\xBF\xBD.MP4\",0,2024-05-17T23:59:59.900Z,1.0000000,2.0000000,"
              "72.5\r\n");

    const std::string gpx = FormatTracks(tracks, TrackFormat::Gpx);
    EXPECT_EQ(gpx.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\"", 0), 0u);
    EXPECT_NE(gpx.find("<trk>\n    <name>001_093000A_M.MP4</name>\n    <trkseg>\n"
                       "      <trkpt lat=\"35.6812360\" lon=\"139.7671250\"><time>"
                       "2024-05-17T09:30:00.300Z</time><extensions><gpxtpx:TrackPointExtension>"
                       "<gpxtpx:speed>10.000</gpxtpx:speed></gpxtpx:TrackPointExtension>"
                       "</extensions></trkpt>\n"),
              std::string::npos);
    EXPECT_NE(gpx.find("<name>A&amp;B &lt;&quot;x&quot;&gt;\xEF\xBF\xBD.MP4</name>"),
              std::string::npos);
    EXPECT_EQ(gpx.find("002_093002G"), std::string::npos); // no fixes, no track
    EXPECT_EQ(gpx.substr(gpx.size() - 7), "</gpx>\n");

    EXPECT_EQ(
        FormatTracks(tracks, TrackFormat::GeoJson),
        "{\"type\":\"FeatureCollection\",\"features\":[\n"
        "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":"
        "[[139.7671250,35.6812360],[-70.2500000,-33.5000000]]},\"properties\":{\"name\":"
        "\"001_093000A_M.MP4\",\"file\":\"/card/001_093000A_M.MP4\",\"start\":"
        "\"2024-05-17T09:30:00.300Z\",\"end\":\"2024-05-17T09:30:00.400Z\",\"coordTimes\":"
        "[\"2024-05-17T09:30:00.300Z\",\"2024-05-17T09:30:00.400Z\"],\"speedsKmh\":[36.0,0.0]}},\n"
        "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[2.0000000,"
        "1.0000000]},\"properties\":{\"name\":\"A&B <\\\"x\\\">\xEF\xBF\xBD.MP4\",\"file\":"
        "\"/card/A&B <\\\"x\\\">\xEF\xBF\xBD.MP4\",\"start\":\"2024-05-17T23:59:59.900Z\","
        "\"end\":\"2024-05-17T23:59:59.900Z\",\"coordTimes\":[\"2024-05-17T23:59:59.900Z\"],"
        "\"speedsKmh\":[72.5]}}\n]}\n");

    const std::string kml = FormatTracks(tracks, TrackFormat::Kml);
    EXPECT_NE(kml.find("<Placemark>\n    <name>001_093000A_M.MP4</name>\n    <gx:Track>\n"
                       "      <when>2024-05-17T09:30:00.300Z</when>\n"
                       "      <when>2024-05-17T09:30:00.400Z</when>\n"
                       "      <gx:coord>139.7671250 35.6812360 0</gx:coord>\n"
                       "      <gx:coord>-70.2500000 -33.5000000 0</gx:coord>\n"),
              std::string::npos);
    EXPECT_NE(kml.find("<gx:value>36.0</gx:value>\n            <gx:value>0.0</gx:value>"),
              std::string::npos);
    EXPECT_NE(kml.find("<name>A&amp;B &lt;&quot;x&quot;&gt;\xEF\xBF\xBD.MP4</name>"),
              std::string::npos);

    // Control characters never reach JSON or XML raw.
    RecordingTrack ctl = tracks[0];
    ctl.name = std::string("a\x01") + "b\\c\nd";
    const std::string json = FormatTracks({ctl}, TrackFormat::GeoJson);
    EXPECT_NE(json.find("\"name\":\"a\\u0001b\\\\c\\nd\""), std::string::npos);
    EXPECT_EQ(FormatTracks({ctl}, TrackFormat::Gpx).find('\x01'), std::string::npos);

    EXPECT_EQ(TrackFormatFromName("GPX"), TrackFormat::Gpx);
    EXPECT_EQ(TrackFormatFromName("geojson"), TrackFormat::GeoJson);
    EXPECT_EQ(TrackFormatFromName("kml"), TrackFormat::Kml);
    EXPECT_EQ(TrackFormatFromName("csv"), TrackFormat::Csv);
    EXPECT_FALSE(TrackFormatFromName("shp").has_value());
}

TEST(TrackRead, ValidFixesOfARecording) {
    TempDir dir;
    synth::RecordingOptions o;
    o.width = 128;
    o.height = 128;
    o.durationSec = 2.0;
    o.audio = false;
    o.start = synth::DateTime{2024, 5, 17, 9, 30, 0};
    o.sensor.invalidFirst = 3; // no fix yet for the first 300 ms
    o.sensor.invalidEvery = 7; // and a lost fix now and then
    const std::string path = (dir / "001_093000A_M.MP4").string();
    std::string error;
    ASSERT_TRUE(synth::WriteRecording(path, o, &error)) << error;

    RecordingTrack t;
    ASSERT_TRUE(ReadRecordingTrack(path, &t, &error)) << error;
    EXPECT_EQ(t.name, "001_093000A_M.MP4");
    std::vector<int> records;
    for (const TrackFix& f : t.fixes) {
        records.push_back(f.record);
    }
    EXPECT_EQ(records, (std::vector<int>{3, 4, 5, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19}));
    // Ten records share each stamped second; their times step by 100 ms.
    EXPECT_EQ(t.fixes.front().time, (CalendarTime{2024, 5, 5, 17, 9, 30, 0, 300}));
    EXPECT_EQ(t.fixes[3].time, (CalendarTime{2024, 5, 5, 17, 9, 30, 0, 700}));
    EXPECT_EQ(t.fixes[6].time, (CalendarTime{2024, 5, 5, 17, 9, 30, 1, 0}));
    EXPECT_NEAR(t.fixes.front().lat, 35.681236, 0.01);
    EXPECT_NEAR(t.fixes.front().lng, 139.767125, 0.01);
    for (const TrackFix& f : t.fixes) {
        EXPECT_GT(f.speedKmh, 0.0);
    }

    // A file that is no recording cannot be read; a missing source is an error.
    WriteFileBytes(dir / "junk.MP4", "");
    EXPECT_FALSE(ReadRecordingTrack((dir / "missing.MP4").string(), &t, &error));
    std::vector<RecordingTrack> tracks;
    EXPECT_FALSE(ReadTracks((dir / "missing").string(), &tracks, nullptr, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
}

TEST(TrackRead, EveryRecordingOfAFolderInListOrder) {
    TempDir dir;
    synth::CardOptions card;
    card.folders = 2;
    card.pairs = 2;
    card.audio = false;
    card.incompleteLast = false;
    card.rearMissingEvery = 2;
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(synth::WriteCard(dir.path().string(), card, &files, &error)) << error;

    std::vector<RecordingTrack> tracks;
    std::vector<std::string> warnings;
    ASSERT_TRUE(ReadTracks(dir.path().string() + "/", &tracks, &warnings, &error)) << error;
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(tracks.size(), 4u);
    std::vector<std::string> mains;
    for (const std::string& f : files) {
        if (f.find("_M.MP4") != std::string::npos) {
            mains.push_back(f);
        }
    }
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        EXPECT_EQ(fs::path(tracks[i].path), fs::path(mains[i])) << i;
        EXPECT_FALSE(tracks[i].fixes.empty());
    }
    // The times run on from one recording to the next.
    EXPECT_LT(IsoLocalTime(tracks[0].fixes.back().time),
              IsoLocalTime(tracks[1].fixes.front().time));
}

} // namespace
