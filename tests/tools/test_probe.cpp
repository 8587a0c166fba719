// `brivona-tool probe` on generated recordings, run as a user runs it.
#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::BuiltProgram;
using testsupport::RunResult;
using testsupport::TempDir;

// Evaluates a Python expression over the parsed JSON `d`; its printed value.
std::string JsonQuery(const TempDir& dir, const std::string& json, const std::string& expr) {
    testsupport::WriteFileBytes(dir / "out.json", json);
    const RunResult r = testsupport::Run(
        {"/usr/bin/python3", "-c",
         "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); print(" + expr + ")",
         (dir / "out.json").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out.empty() ? r.out : r.out.substr(0, r.out.size() - 1);
}

std::string Make(const TempDir& dir, const std::string& name, const synth::RecordingOptions& o) {
    const std::string path = (dir / name).string();
    std::string error;
    EXPECT_TRUE(synth::WriteRecording(path, o, &error)) << error;
    return path;
}

synth::RecordingOptions Options() {
    synth::RecordingOptions o;
    o.width = 64;
    o.height = 48;
    o.durationSec = 2.0;
    o.audio = false;
    o.sensor.events.push_back({0.5, 0.2, 'Y', 0.8, 7, 0x88, -1});
    return o;
}

} // namespace

TEST(ToolProbe, JsonKeysAndValues) {
    TempDir dir;
    const synth::RecordingOptions o = Options();
    const std::string a = Make(dir, "a.MP4", o);
    synth::RecordingOptions cut = Options();
    cut.trailer = false;
    const std::string b = Make(dir, "b\x01\"name.MP4", cut);
    const RunResult r =
        testsupport::Run({BuiltProgram("brivona-tool"), "probe", "--json", "--frame-map", a, b});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& j = r.out;

    EXPECT_EQ(JsonQuery(dir, j, "len(d)"), "2");
    EXPECT_EQ(JsonQuery(dir, j,
                        "all(k in d[0] for k in ['path','size','complete','accepted','duration_s',"
                        "'frame_period_ms','frame_count','frame_count_search','frame_rate',"
                        "'video_size','start_time','boxes','sensor','frame_map'])"),
              "True");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['path'] == sys.argv[1].replace('out.json', 'a.MP4')"),
              "True");
    EXPECT_EQ(JsonQuery(dir, j, "d[1]['path'].endswith('b\\x01\"name.MP4')"), "True");
    EXPECT_EQ(JsonQuery(dir, j, "[d[0]['complete'], d[1]['complete'], d[0]['accepted']]"),
              "[True, False, True]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_period_ms']"), "34");
    const int frames = synth::FrameCount(o);
    EXPECT_EQ(JsonQuery(dir, j, "[d[0]['frame_count'], d[0]['frame_count_search']]"),
              "[" + std::to_string(frames) + ", " + std::to_string(frames) + "]");
    EXPECT_EQ(JsonQuery(dir, j, "round(d[0]['frame_rate'], 3)"), "29.1");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['video_size']"), "[64, 48]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['start_time']"), "[2024, 5, 5, 17, 9, 30, 0, 0]");
    EXPECT_EQ(JsonQuery(dir, j, "[b['type'] for b in d[0]['boxes'] if b['depth'] == 0]"),
              "['ftyp', 'mdat', 'moov', 'gps0']");
    EXPECT_EQ(
        JsonQuery(dir, j, "[(b['size'], b['leaf']) for b in d[0]['boxes'] if b['type'] == 'gps0']"),
        "[(" + std::to_string(synth::Gps0BoxSize(20)) + ", True)]");

    // The sensor track as loaded.
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['sensor']['header']"),
              "{'ref': [0.3, 0.25, 0.4], 'orientation': 'N', 'chars4': 'F102', 'chars2': '05', "
              "'valid': True}");
    EXPECT_EQ(JsonQuery(dir, j,
                        "[d[0]['sensor'][k] for k in ['record_count', 'record_index']] + "
                        "[len(d[0]['sensor']['gps']), len(d[0]['sensor']['accel'])]"),
              "[20, 19, 20, 20]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['sensor']['mdat_size'] == d[0]['boxes'][1]['size']"), "True");
    EXPECT_EQ(JsonQuery(dir, j, "[a['frame'] for a in d[0]['sensor']['accel']][:4]"),
              "[0, 100, 200, 300]");
    EXPECT_EQ(JsonQuery(dir, j,
                        "[(a['flagCode'], a['axisCode'], a['hi'], a['lo']) for a in "
                        "d[0]['sensor']['accel'][4:8]]"),
              "[(-1, 0, 2, 4), (7, 3, 8, 8), (7, 3, 8, 8), (-1, 0, 2, 4)]");
    EXPECT_EQ(
        JsonQuery(dir, j, "d[0]['sensor']['accel'][-1]['hi'], d[0]['sensor']['accel'][-1]['lo']"),
        "4 3");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['sensor']['gps'][0]['time']"),
              "[2024, 5, 5, 17, 9, 30, 0, 0]");
    EXPECT_EQ(JsonQuery(dir, j, "abs(d[0]['sensor']['gps'][0]['lat'] - 35.681236) < 2e-6"), "True");
    // Values as read, in stored order: the Y pulse is the record's second value, stored first.
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['sensor']['accel'][5]['v'][0] > 0.5"), "True");
    EXPECT_EQ(JsonQuery(dir, j, "abs(d[0]['sensor']['accel'][0]['v'][2] - 1) < 0.1"), "True");

    // The frame map, built for trunc(duration * 1000 / period) frames.
    EXPECT_EQ(JsonQuery(dir, j,
                        "d[0]['frame_map']['frames'] == int(d[0]['duration_s'] * 1000 / 34) and "
                        "len(d[0]['frame_map']['map']) == d[0]['frame_map']['frames']"),
              "True");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['map'][:8]"), "[0, 0, 0, 1, 1, 1, 2, 2]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['accel_frames'][:4]"), "[0, 2, 5, 8]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['accel_linked_gps'][:5]"), "[0, 0, 0, 1, 2]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['accel_linked_gps'][-1]"), "16");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['gps_linked_accel'][:3]"), "[0, 1, 2]");
    EXPECT_EQ(JsonQuery(dir, j, "d[0]['frame_map']['differenced'][0]"), "[0, 0, 0]");
    EXPECT_EQ(JsonQuery(dir, j,
                        "all(abs(x[0] - (y['v'][0] - p['v'][0])) - 0.005 < 1e-12 or x[0] == 0 "
                        "for x, y, p in zip(d[0]['frame_map']['differenced'][1:], "
                        "d[0]['sensor']['accel'][1:], d[0]['sensor']['accel']))"),
              "True");
    EXPECT_EQ(JsonQuery(dir, j,
                        "d[0]['frame_map']['peak_abs_g'] == max(abs(v) for x in "
                        "d[0]['frame_map']['differenced'] for v in x)"),
              "True");

    // The cut file: the records present, no more.
    EXPECT_EQ(JsonQuery(dir, j,
                        "d[1]['sensor']['record_count'], len(d[1]['sensor']['gps']) < 20, "
                        "d[1]['sensor']['record_index'] == len(d[1]['sensor']['gps']) - 1"),
              "20 True True");
}

TEST(ToolProbe, FramesOptionTextOutputAndErrors) {
    TempDir dir;
    const std::string a = Make(dir, "a.MP4", Options());
    const std::string tool = BuiltProgram("brivona-tool");
    RunResult r = testsupport::Run({tool, "probe", "--json", "--frame-map", "--frames", "5",
                                    (dir / "missing.MP4").string(), a});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing.MP4"), std::string::npos) << r.err;
    EXPECT_EQ(
        JsonQuery(dir, r.out, "len(d), d[0]['frame_map']['frames'], d[0]['frame_map']['map']"),
        "1 5 [0, 0, 0, 2, 2]"); // 5 frames for 20 samples: two samples per step

    testsupport::WriteFileBytes(dir / "junk.bin", "not a movie at all");
    r = testsupport::Run({tool, "probe", "--json", (dir / "junk.bin").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(JsonQuery(dir, r.out,
                        "d[0]['accepted'], d[0]['boxes'], d[0]['sensor']['header'], "
                        "d[0]['video_size'], d[0]['start_time']"),
              "False [] None None None");

    r = testsupport::Run({tool, "probe", "--frame-map", a});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("sensor records: 20 decoded of 20 stored (record index 19)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("frame map: 58 frames, built"), std::string::npos) << r.out;

    EXPECT_EQ(testsupport::Run({tool, "probe"}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({tool, "probe", "--frames", "x", a}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({tool, "probe", "--bogus", a}).exitCode, 2);
}
