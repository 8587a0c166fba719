// The joining engine on generated recordings, checked with our own box reader
// and independently with libavformat / libavcodec.
#include "MediaProbe.h"
#include "TestSupport.h"
#include "playcore/ByteOrder.h"
#include "playcore/MovieProbe.h"
#include "playcore/MultiMovie.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

using namespace playcore;
namespace fs = std::filesystem;

namespace {

synth::RecordingOptions Options(synth::Camera camera, double seconds, int startSecond) {
    synth::RecordingOptions o;
    o.camera = camera;
    o.width = camera == synth::Camera::Main ? 96 : 128;
    o.height = camera == synth::Camera::Main ? 96 : 72;
    o.durationSec = seconds;
    o.start.second = startSecond;
    o.seed = static_cast<uint32_t>(startSecond + 1);
    return o;
}

std::string Make(const testsupport::TempDir& dir, const std::string& name,
                 const synth::RecordingOptions& o) {
    const std::string path = (dir / name).string();
    std::string error;
    EXPECT_TRUE(synth::WriteRecording(path, o, &error)) << error;
    return path;
}

// Entries of a 32-bit table (entry count at payload offset 4).
std::vector<uint32_t> Entries(const sTAGNODE* node, size_t firstAt, size_t width) {
    std::vector<uint32_t> out;
    const uint32_t n = ReadBE32(node->payload.data() + 4);
    for (uint32_t i = 0; i < n; ++i) {
        out.push_back(ReadBE32(node->payload.data() + firstAt + width * i));
    }
    return out;
}

uint32_t Field(const sTAGNODE* node, size_t at) {
    return ReadBE32(node->payload.data() + at);
}

bool Join(const std::vector<std::string>& inputs, const std::string& out, std::string* error,
          const std::atomic<bool>* cancel = nullptr) {
    sMULTIMOVIE job;
    if (!OpenFirst(job, inputs[0], "")) {
        *error = job.error;
        return false;
    }
    for (size_t i = 1; i < inputs.size(); ++i) {
        if (!MergeNext(job, inputs[i], "")) {
            *error = job.error;
            return false;
        }
    }
    std::vector<int> progress;
    const bool ok = WriteJoined(
        job, out, "", 100, [&](int v, int total) { progress.push_back(v * 100 / total); }, cancel);
    *error = job.error;
    if (ok) {
        EXPECT_EQ(progress, (std::vector<int>{0, 50, 100}));
    }
    ReleaseJoin(job);
    return ok;
}

// Σ count × delta of the track's time-to-sample table: its length in ticks.
int64_t StreamTicks(const std::string& path, int track) {
    std::unique_ptr<sMP4MOVIE> m = OpenMovieStructure(path);
    const sTAGNODE* stts = m->lists.stts[static_cast<size_t>(track)];
    int64_t ticks = 0;
    for (uint32_t i = 0; i < ReadBE32(stts->payload.data() + 4); ++i) {
        ticks += int64_t{ReadBE32(stts->payload.data() + 8 + 8 * i)} *
                 ReadBE32(stts->payload.data() + 12 + 8 * i);
    }
    return ticks;
}

// Every packet of every input is in the output, byte for byte, in order, and
// each part starts where the previous one ended.
void ExpectPacketsConcatenated(const std::vector<std::string>& inputs, const std::string& out) {
    const testsupport::MediaFile joined = testsupport::ReadMedia(out);
    ASSERT_TRUE(joined.ok) << joined.error;
    std::vector<testsupport::MediaFile> parts;
    for (const std::string& in : inputs) {
        parts.push_back(testsupport::ReadMedia(in));
        ASSERT_TRUE(parts.back().ok) << parts.back().error;
        ASSERT_EQ(parts.back().streams.size(), joined.streams.size());
    }
    for (int s = 0; s < static_cast<int>(joined.streams.size()); ++s) {
        const std::vector<testsupport::MediaPacket> got = joined.Stream(s);
        size_t at = 0;
        int64_t offset = 0;
        for (const testsupport::MediaFile& part : parts) {
            const std::vector<testsupport::MediaPacket> want = part.Stream(s);
            ASSERT_LE(at + want.size(), got.size()) << "stream " << s;
            for (size_t i = 0; i < want.size(); ++i, ++at) {
                ASSERT_EQ(got[at].data, want[i].data) << "stream " << s << " packet " << at;
                ASSERT_EQ(got[at].dts, want[i].dts - want.front().dts + offset)
                    << "stream " << s << " packet " << at;
                ASSERT_EQ(got[at].key, want[i].key) << "stream " << s << " packet " << at;
            }
            // The next part starts when this one's time-to-sample table ends.
            offset = got[at - want.size()].dts + StreamTicks(inputs[&part - parts.data()], s);
        }
        EXPECT_EQ(at, got.size()) << "stream " << s;
    }
}

} // namespace

TEST(Join, ThreeRecordingsKeepEveryPacketTableAndSensorRecord) {
    testsupport::TempDir dir;
    const std::vector<std::string> in = {
        Make(dir, "001_100000A_M.MP4", Options(synth::Camera::Main, 2.0, 0)),
        Make(dir, "002_100002A_M.MP4", Options(synth::Camera::Main, 1.6, 2)),
        Make(dir, "003_100004A_M.MP4", Options(synth::Camera::Main, 2.2, 4))};
    const std::string out = (dir / "JM03_001_100000A_M.MP4").string();
    std::string error;
    ASSERT_TRUE(Join(in, out, &error)) << error;

    ExpectPacketsConcatenated(in, out);
    const testsupport::DecodeResult decoded = testsupport::DecodeMedia(out, true);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    std::vector<int> expectedCodes;
    for (const std::string& path : in) {
        const testsupport::DecodeResult part = testsupport::DecodeMedia(path, true);
        expectedCodes.insert(expectedCodes.end(), part.frameCodes.begin(), part.frameCodes.end());
    }
    EXPECT_EQ(decoded.frameCodes, expectedCodes);

    std::vector<std::unique_ptr<sMP4MOVIE>> parts;
    for (const std::string& path : in) {
        parts.push_back(OpenMovieStructure(path));
        ASSERT_TRUE(parts.back());
    }
    std::unique_ptr<sMP4MOVIE> j = OpenMovieStructure(out);
    ASSERT_TRUE(j);
    ASSERT_EQ(j->lists.stsz.size(), parts[0]->lists.stsz.size());
    for (size_t k = 0; k < j->lists.stsz.size(); ++k) {
        uint32_t samples = 0;
        uint32_t chunks = 0;
        for (const auto& p : parts) {
            samples += Field(p->lists.stsz[k], 8);
            chunks += Field(p->lists.stco[k], 4);
        }
        EXPECT_EQ(Field(j->lists.stsz[k], 8), samples) << "track " << k;
        EXPECT_EQ(Field(j->lists.stco[k], 4), chunks) << "track " << k;
    }
    for (auto [list, at] : {std::pair{&sTYPELISTS::mvhd, 16}, std::pair{&sTYPELISTS::tkhd, 20},
                            std::pair{&sTYPELISTS::mdhd, 16}}) {
        for (size_t k = 0; k < ((*j).lists.*list).size(); ++k) {
            uint32_t sum = 0;
            for (const auto& p : parts) {
                sum += Field(((*p).lists.*list)[k], static_cast<size_t>(at));
            }
            EXPECT_EQ(Field(((*j).lists.*list)[k], static_cast<size_t>(at)), sum);
        }
    }

    // Each part keeps its place within a page (the media data is padded), so
    // the kernel can copy it without shifting bytes.
    {
        const std::vector<uint32_t> joinedChunks = Entries(j->lists.stco[0], 8, 4);
        size_t first = 0;
        for (const auto& p : parts) {
            const std::vector<uint32_t> own = Entries(p->lists.stco[0], 8, 4);
            EXPECT_EQ(joinedChunks[first] % 4096, own[0] % 4096);
            first += own.size();
        }
    }

    // The video's sync samples: each next part's first sample is entered once
    // for the join and once as its own (shifted) first entry.
    const std::vector<uint32_t> stss = Entries(j->lists.stss[0], 8, 4);
    const uint32_t s0 = Field(parts[0]->lists.stsz[0], 8);
    const uint32_t s1 = s0 + Field(parts[1]->lists.stsz[0], 8);
    EXPECT_EQ(std::count(stss.begin(), stss.end(), s0 + 1), 2);
    EXPECT_EQ(std::count(stss.begin(), stss.end(), s1 + 1), 2);

    // Sensor records: every record of every part, in order, under the first
    // file's header, and the file is a complete recording again.
    std::string joinedBox = testsupport::ReadFileBytes(out);
    const size_t gps = joinedBox.rfind("gps0") - 4;
    std::string expectedRecords;
    for (const std::string& path : in) {
        const std::string bytes = testsupport::ReadFileBytes(path);
        const size_t g = bytes.rfind("gps0") - 4;
        const uint16_t n = ReadBE16(reinterpret_cast<const uint8_t*>(bytes.data()) + g + 40);
        expectedRecords += bytes.substr(g + 42, 79u * n);
    }
    const std::string first = testsupport::ReadFileBytes(in[0]);
    const size_t g0 = first.rfind("gps0") - 4;
    EXPECT_EQ(joinedBox.substr(gps + 8, 32), first.substr(g0 + 8, 32)); // marker + header block
    EXPECT_EQ(ReadBE16(reinterpret_cast<const uint8_t*>(joinedBox.data()) + gps + 40),
              expectedRecords.size() / 79);
    EXPECT_EQ(joinedBox.substr(gps + 42, expectedRecords.size()), expectedRecords);
    EXPECT_EQ(joinedBox.substr(joinedBox.size() - 6), "CSOEND");
    EXPECT_EQ(ReadBE32(reinterpret_cast<const uint8_t*>(joinedBox.data()) + gps),
              48 + expectedRecords.size());
    EXPECT_TRUE(IsCompleteRecording(out));
}

TEST(Join, SensorRecordsNeedBothFiles) {
    testsupport::TempDir dir;
    synth::RecordingOptions without = Options(synth::Camera::Main, 2.0, 2);
    without.gps0 = false;
    const std::string a = Make(dir, "001_100000A_M.MP4", Options(synth::Camera::Main, 2.0, 0));
    const std::string b = Make(dir, "002_100002A_M.MP4", without);
    std::string error;
    const std::string ab = (dir / "ab.MP4").string();
    ASSERT_TRUE(Join({a, b}, ab, &error)) << error;
    const std::string joined = testsupport::ReadFileBytes(ab);
    const std::string first = testsupport::ReadFileBytes(a);
    // The first file's records alone, byte for byte.
    EXPECT_EQ(joined.substr(joined.rfind("gps0") - 4), first.substr(first.rfind("gps0") - 4));

    const std::string ba = (dir / "ba.MP4").string();
    ASSERT_TRUE(Join({b, a}, ba, &error)) << error;
    EXPECT_EQ(testsupport::ReadFileBytes(ba).find("gps0"), std::string::npos);
    ExpectPacketsConcatenated({b, a}, ba);
}

TEST(Join, LayoutsOtherThanTheCamerasComeOutRight) {
    testsupport::TempDir dir;
    // Header first in the first file, camera layout in the second, B-frames
    // in both (composition offsets must be joined too).
    synth::RecordingOptions fast = Options(synth::Camera::Main, 2.0, 0);
    fast.fastStart = true;
    fast.bframes = true;
    synth::RecordingOptions plain = Options(synth::Camera::Main, 1.5, 2);
    plain.bframes = true;
    const std::string a = Make(dir, "001_100000A_M.MP4", fast);
    const std::string b = Make(dir, "002_100002A_M.MP4", plain);
    const std::string out = (dir / "out.MP4").string();
    std::string error;
    ASSERT_TRUE(Join({a, b}, out, &error)) << error;
    ExpectPacketsConcatenated({a, b}, out);
    const testsupport::DecodeResult decoded = testsupport::DecodeMedia(out, true);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    std::vector<int> expected;
    for (int i = 0; i < synth::FrameCount(fast); ++i) {
        expected.push_back(i);
    }
    for (int i = 0; i < synth::FrameCount(plain); ++i) {
        expected.push_back(i);
    }
    EXPECT_EQ(decoded.frameCodes, expected); // presentation order kept
}

TEST(Join, RefusedJoinsSayWhyAndLeaveNothingBehind) {
    testsupport::TempDir src;
    const std::string base = Make(src, "001_100000A_M.MP4", Options(synth::Camera::Main, 2.0, 0));
    synth::RecordingOptions silent = Options(synth::Camera::Main, 2.0, 2);
    silent.audio = false;
    synth::RecordingOptions bigger = Options(synth::Camera::Main, 2.0, 2);
    bigger.width = bigger.height = 128;
    synth::RecordingOptions many = Options(synth::Camera::Main, 2.0, 2);
    many.sensor.recordCount = 40000;
    synth::RecordingOptions manyToo = many;
    manyToo.start.second = 4;
    // A copy of a normal file whose chunk table is declared 64-bit.
    const std::string normal = Make(src, "002_100002A_M.MP4", Options(synth::Camera::Main, 2, 2));
    std::string bytes = testsupport::ReadFileBytes(normal);
    const size_t stco = bytes.find("stco");
    ASSERT_NE(stco, std::string::npos);
    bytes.replace(stco, 4, "co64");
    testsupport::WriteFileBytes(src / "co64.MP4", bytes);

    struct Case {
        std::vector<std::string> inputs;
        const char* why;
    } cases[] = {
        {{base, Make(src, "a.MP4", silent)}, "number of tracks"},
        {{base, Make(src, "b.MP4", bigger)}, "sample description"},
        {{Make(src, "c.MP4", many), Make(src, "d.MP4", manyToo)}, "65535"},
        {{base, (src / "co64.MP4").string()}, "64-bit"},
    };
    for (const Case& c : cases) {
        testsupport::TempDir out;
        std::string error;
        EXPECT_FALSE(Join(c.inputs, (out / "joined.MP4").string(), &error)) << c.why;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(out.path())) << c.why;
    }

    // Cancelled while writing: nothing under the final name, no temporary.
    testsupport::TempDir out;
    std::atomic<bool> cancel{true};
    std::string error;
    EXPECT_FALSE(Join({base, normal}, (out / "joined.MP4").string(), &error, &cancel));
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(Join, MoveHeaderToFrontShiftsEveryChunkByTheHeaderSize) {
    testsupport::TempDir dir;
    const std::string in = Make(dir, "in.MP4", Options(synth::Camera::Main, 2.0, 0));
    const std::string out = (dir / "out.MP4").string();
    std::string error;
    ASSERT_TRUE(MoveHeaderToFront(in, out, &error)) << error;

    std::unique_ptr<sMP4MOVIE> before = OpenMovieStructure(in);
    std::unique_ptr<sMP4MOVIE> after = OpenMovieStructure(out);
    ASSERT_TRUE(before && after);
    std::vector<sTAGNODE*> moov;
    CollectNodes(before->root, "moov", &moov);
    ASSERT_EQ(moov.size(), 1u);
    const uint32_t moovSize = static_cast<uint32_t>(moov[0]->payloadLength + 8);
    ASSERT_EQ(after->root.children[1].typeName(), "moov");
    for (size_t k = 0; k < before->lists.stco.size(); ++k) {
        std::vector<uint32_t> a = Entries(before->lists.stco[k], 8, 4);
        std::vector<uint32_t> b = Entries(after->lists.stco[k], 8, 4);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(b[i], a[i] + moovSize);
        }
    }
    ExpectPacketsConcatenated({in}, out);
    EXPECT_TRUE(testsupport::DecodeMedia(out).ok);
}
