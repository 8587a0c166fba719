// The box tree of a movie: its shape, its type lists, the movie facts read from
// it, and what it does with malformed and hostile files.
#include "Mp4Fixtures.h"
#include "TestSupport.h"

#include "playcore/ByteOrder.h"
#include "playcore/KnownBoxTypes.h"
#include "playcore/Mp4Movie.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace mp4fixture;
using playcore::sMP4MOVIE;
using playcore::sTAGNODE;

namespace {

class Mp4Movie : public ::testing::Test {
protected:
    std::unique_ptr<sMP4MOVIE> Open(const std::string& bytes, std::string* error = nullptr) {
        path_ = dir_ / ("movie" + std::to_string(++count_) + ".mp4");
        testsupport::WriteFileBytes(path_, bytes);
        return playcore::OpenMovieStructure(path_.string(), error);
    }
    testsupport::TempDir dir_;
    std::filesystem::path path_;
    int count_ = 0;
};

std::string Types(const sTAGNODE& node) {
    std::string s;
    for (const sTAGNODE& c : node.children) {
        s += (s.empty() ? "" : " ") + std::string(c.typeName());
    }
    return s;
}

const sTAGNODE* Find(const sTAGNODE& node, std::string_view type) {
    if (node.typeName() == type) {
        return &node;
    }
    for (const sTAGNODE& c : node.children) {
        if (const sTAGNODE* f = Find(c, type)) {
            return f;
        }
    }
    return nullptr;
}

uint32_t MaxDepth(const sTAGNODE& node) {
    uint32_t d = node.depth;
    for (const sTAGNODE& c : node.children) {
        d = std::max(d, MaxDepth(c));
    }
    return d;
}

TEST(KnownBoxTypes, MembershipNeedsAllFourCharacters) {
    EXPECT_EQ(playcore::kKnownBoxTypes.size(), 172u);
    for (const auto& t : playcore::kKnownBoxTypes) {
        EXPECT_TRUE(playcore::IsKnownBoxType(reinterpret_cast<const uint8_t*>(t.data())));
    }
    for (const char* t : {"moo\0", "MOOV", "moox", "gps1", "jP \0", "\0\0\0\0", "avc1"}) {
        EXPECT_FALSE(playcore::IsKnownBoxType(reinterpret_cast<const uint8_t*>(t))) << t;
    }
    for (const char* t : {"jP  ", "url ", "xml ", "ID32", "gps0", "Xtra", "IDIT"}) {
        EXPECT_TRUE(playcore::IsKnownBoxType(reinterpret_cast<const uint8_t*>(t))) << t;
    }
}

TEST_F(Mp4Movie, TreeOfACameraRecording) {
    const std::string bytes = Movie();
    auto movie = Open(bytes);
    ASSERT_TRUE(movie);
    const sTAGNODE& root = movie->root;
    EXPECT_EQ(root.typeName(), "");
    EXPECT_EQ(root.payloadLength, bytes.size());
    EXPECT_EQ(movie->fileSize, bytes.size());
    EXPECT_EQ(Types(root), "ftyp mdat moov gps0");
    const sTAGNODE& moov = root.children[2];
    EXPECT_EQ(Types(moov), "mvhd trak");
    EXPECT_EQ(Types(moov.children[1]), "tkhd edts mdia");
    EXPECT_EQ(moov.leaf, 0u);
    EXPECT_TRUE(moov.payload.empty());
    EXPECT_EQ(Types(*Find(root, "stbl")), "stsd stts stsz stsc stco");

    // Leaves hold their payload as in the file; offsets point at it.
    const sTAGNODE* stts = Find(root, "stts");
    ASSERT_TRUE(stts);
    EXPECT_EQ(stts->leaf, 1u);
    EXPECT_EQ(stts->depth, 5u);
    EXPECT_EQ(root.children[0].depth, 0u);
    EXPECT_EQ(stts->copiedLength, stts->payloadLength);
    EXPECT_EQ(std::string(stts->payload.begin(), stts->payload.end()),
              bytes.substr(stts->payloadOffset, stts->payloadLength));
    EXPECT_EQ(bytes.substr(stts->payloadOffset - 4, 4), "stts");
    EXPECT_EQ(stts->initialPayloadOffset, stts->payloadOffset);
    EXPECT_EQ(stts->sourcePath, &movie->path);

    // Neither the media data nor the sensor box is copied.
    const sTAGNODE& mdat = root.children[1];
    EXPECT_EQ(mdat.leaf, 1u);
    EXPECT_EQ(mdat.copiedLength, 0u);
    EXPECT_EQ(mdat.payloadLength, 4096u);
    const sTAGNODE& gps = root.children[3];
    EXPECT_EQ(gps.copiedLength, 0u);
    EXPECT_EQ(gps.sensorRecordCount, 3u);
    EXPECT_EQ(gps.sensorRecordBytes, 3u * 79);
    EXPECT_EQ(gps.sensorPayloadLength, 40u + 3 * 79);
    EXPECT_EQ(gps.payloadLength, 40u + 3 * 79);
    EXPECT_EQ(gps.sensorJoinedCount, 0u);
    EXPECT_TRUE(gps.segments.empty());
}

TEST_F(Mp4Movie, TypeListsInDepthFirstFileOrder) {
    MovieParts video;
    MovieParts audio;
    audio.stts = {{100, 1024}};
    std::string moov = Box("moov", Mvhd(1000, 2000) + Trak(video) + Trak(audio));
    auto movie = Open(Ftyp() + Box("mdat", "x") + moov + Gps0({SensorRecord()}));
    ASSERT_TRUE(movie);
    const auto& l = movie->lists;
    EXPECT_EQ(l.mdat.size(), 1u);
    EXPECT_EQ(l.gps0.size(), 1u);
    EXPECT_EQ(l.mvhd.size(), 1u);
    for (const auto* list :
         {&l.stsc, &l.stsz, &l.stco, &l.stts, &l.mdhd, &l.tkhd, &l.elst, &l.stsd}) {
        EXPECT_EQ(list->size(), 2u);
    }
    EXPECT_TRUE(l.stss.empty());
    ASSERT_EQ(l.stts.size(), 2u);
    EXPECT_LT(l.stts[0]->payloadOffset, l.stts[1]->payloadOffset);
    EXPECT_EQ(playcore::ReadBE32(l.stts[1]->payload.data() + 12), 1024u);

    auto convert = playcore::OpenConvertMovieStructure(path_.string());
    ASSERT_TRUE(convert);
    ASSERT_EQ(convert->moov.size(), 1u);
    EXPECT_EQ(convert->moov[0]->typeName(), "moov");
}

TEST_F(Mp4Movie, UnknownTopLevelTypeEndsTheTree) {
    auto movie = Open(Ftyp() + Box("mdat", "abc") + Box("zzzz", "123") + Box("moov", Mvhd(1, 1)));
    ASSERT_TRUE(movie);
    EXPECT_EQ(Types(movie->root), "ftyp mdat");
    EXPECT_TRUE(movie->lists.mvhd.empty());
}

TEST_F(Mp4Movie, SensorBoxAnywhereIsRecordedWithItsCount) {
    std::string gps = Gps0({SensorRecord(), SensorRecord()});
    auto movie = Open(Ftyp() + Box("moov", Mvhd(1000, 1000) + Box("udta", gps)));
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->lists.gps0.size(), 1u);
    EXPECT_EQ(movie->lists.gps0[0]->depth, 2u);
    EXPECT_EQ(movie->lists.gps0[0]->sensorRecordCount, 2u);
    EXPECT_EQ(movie->lists.gps0[0]->copiedLength, 0u);
}

TEST_F(Mp4Movie, MalformedStructureEndsItsLevel) {
    const std::string mvhd = Mvhd(1000, 1000);
    struct Case {
        const char* name;
        std::string bytes;
        std::string top;  // top-level types
        std::string moov; // children of "moov" ("-" when it is not in the tree)
        bool moovLeaf;
    };
    const Case cases[] = {
        {"child size below 8", Ftyp() + Box("moov", mvhd + RawBox(4, "trak", "")), "ftyp moov",
         "mvhd", false},
        {"child running past its parent",
         Ftyp() + Box("moov", mvhd + RawBox(500, "trak", std::string(20, '\0'))) +
             std::string(600, '\0'),
         "ftyp moov", "mvhd", false},
        {"size 0 below the top level", Ftyp() + Box("moov", mvhd + RawBox(0, "trak", "")),
         "ftyp moov", "mvhd", false},
        {"first child malformed keeps the box as data",
         Ftyp() + Box("moov", RawBox(3, "mvhd", std::string(20, '\0'))), "ftyp moov", "", true},
        {"64-bit size of 0", Ftyp() + U32(1) + "moov" + U64(0) + mvhd, "ftyp", "-", false},
        {"64-bit size one past the end",
         Ftyp() + U32(1) + "moov" + U64(16 + mvhd.size() + 1) + mvhd, "ftyp", "-", false},
        {"64-bit sizes", Ftyp() + LargeBox("moov", LargeBox("mvhd", mvhd.substr(8))), "ftyp moov",
         "mvhd", false},
        {"mdat cut short by a power loss",
         Ftyp() + Box("moov", mvhd) + RawBox(1 << 20, "mdat", std::string(100, '\x22')),
         "ftyp moov", "mvhd", false},
        {"size 0 at the top runs to the end", Ftyp() + RawBox(0, "mdat", std::string(50, 'x')),
         "ftyp mdat", "-", false},
        {"zeros after the header box", Ftyp() + std::string(4096, '\0'), "ftyp", "-", false},
        {"sensor box shorter than its fixed parts",
         Ftyp() + Box("moov", mvhd) + Box("gps0", "CSODAT" + std::string(20, '0')), "ftyp moov",
         "mvhd", false},
        {"trailing bytes shorter than a header", Ftyp() + Box("moov", mvhd) + "abc", "ftyp moov",
         "mvhd", false},
    };
    for (const auto& c : cases) {
        std::string error;
        auto movie = Open(c.bytes, &error);
        ASSERT_TRUE(movie) << c.name << ": " << error;
        EXPECT_EQ(Types(movie->root), c.top) << c.name;
        const sTAGNODE* moov = Find(movie->root, "moov");
        EXPECT_EQ(moov ? Types(*moov) : "-", c.moov) << c.name;
        if (moov) {
            EXPECT_EQ(moov->leaf, c.moovLeaf ? 1u : 0u) << c.name;
            if (c.moovLeaf) {
                // Written back, the box reproduces its bytes.
                EXPECT_EQ(moov->copiedLength, moov->payloadLength) << c.name;
            }
        }
    }
}

TEST_F(Mp4Movie, LargeBoxHeadersGiveThePayloadAfterThem) {
    const std::string bytes = Ftyp() + LargeBox("free", "abcdefgh");
    auto movie = Open(bytes);
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->root.children.size(), 2u);
    const sTAGNODE& free = movie->root.children[1];
    EXPECT_EQ(free.headerSize, 16u);
    EXPECT_EQ(free.payloadLength, 8u);
    EXPECT_EQ(std::string(free.payload.begin(), free.payload.end()), "abcdefgh");
}

TEST_F(Mp4Movie, LeafLargerThanTheParseWindowIsCopiedWhole) {
    MovieParts m;
    m.frames = 20000; // an "stsz" of 80 012 payload bytes
    const std::string bytes = Movie(m);
    auto movie = Open(bytes);
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->lists.stsz.size(), 1u);
    const sTAGNODE& stsz = *movie->lists.stsz[0];
    ASSERT_EQ(stsz.copiedLength, 80012u);
    EXPECT_EQ(std::string(stsz.payload.begin(), stsz.payload.end()),
              bytes.substr(stsz.payloadOffset, stsz.payloadLength));
    EXPECT_EQ(playcore::GetFrameCount(*movie), 20000);
    // The boxes after it are read too.
    EXPECT_EQ(movie->lists.stco.size(), 1u);
    EXPECT_EQ(movie->lists.gps0.size(), 1u);
}

TEST_F(Mp4Movie, DeepNestingIsBounded) {
    std::string inner = Mvhd(1000, 1000);
    for (int i = 0; i < 400; ++i) {
        inner = Box("udta", inner);
    }
    auto movie = Open(Ftyp() + Box("moov", inner));
    ASSERT_TRUE(movie);
    EXPECT_LE(MaxDepth(movie->root), playcore::kMaxBoxDepth);
    // The deepest box kept is data holding the rest as it was.
    const sTAGNODE* n = &movie->root.children[1];
    while (!n->children.empty()) {
        n = &n->children[0];
    }
    EXPECT_EQ(n->leaf, 1u);
    EXPECT_EQ(n->copiedLength, n->payloadLength);
}

TEST_F(Mp4Movie, SensorCountIsLimitedToTheRecordsTheBoxHolds) {
    auto movie = Open(Ftyp() + Box("mdat", "x") + Gps0({SensorRecord(), SensorRecord()}, 60000));
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->lists.gps0.size(), 1u);
    EXPECT_EQ(movie->lists.gps0[0]->sensorRecordCount, 2u);
    EXPECT_EQ(movie->lists.gps0[0]->sensorPayloadLength, 40u + 2 * 79);
}

TEST_F(Mp4Movie, OpenFailures) {
    std::string error;
    EXPECT_FALSE(playcore::OpenMovieStructure((dir_ / "missing.mp4").string(), &error));
    EXPECT_EQ(error, std::strerror(ENOENT));
    EXPECT_FALSE(Open(""));
    EXPECT_FALSE(Open(std::string(4096, '\0')));
    EXPECT_FALSE(Open(Box("moov", Mvhd(1, 1))));
    EXPECT_FALSE(Open("\0\0\0\x08", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(playcore::OpenMovieStructure(dir_.path().string()));
}

TEST_F(Mp4Movie, VideoSizeFrameCountAndFrameRate) {
    MovieParts m;
    m.width = 1280;
    m.height = 720;
    m.frames = 31;
    m.stts = {{30, 33333}, {1, 40000}};
    auto movie = Open(Movie(m));
    ASSERT_TRUE(movie);
    auto size = playcore::GetVideoSize(*movie);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1280);
    EXPECT_EQ(size->height, 720);
    EXPECT_EQ(playcore::GetFrameCount(*movie), 31);
    // 1 000 000 / ((30 x 33333 + 40000) / 31), the mean in whole microseconds.
    EXPECT_DOUBLE_EQ(playcore::GetFrameRate(*movie), 1000000.0 / 33548);
    EXPECT_NEAR(playcore::GetFrameRate(*movie), 29.81, 0.01);

    auto bare = Open(Ftyp() + Box("moov", Mvhd(1000, 1000)));
    ASSERT_TRUE(bare);
    EXPECT_FALSE(playcore::GetVideoSize(*bare));
    EXPECT_EQ(playcore::GetFrameCount(*bare), -1);
    EXPECT_EQ(playcore::GetFrameRate(*bare), -1.0);
    playcore::CalendarTime t{};
    t.year = 1999;
    EXPECT_FALSE(playcore::GetStartDateTime(*bare, &t));
    EXPECT_EQ(t.year, 1999);
}

TEST_F(Mp4Movie, UnusableFrameRateTables) {
    struct Case {
        const char* name;
        std::string stts;
    };
    const Case cases[] = {
        {"no entries", Stts({})},
        {"count beyond the box", Box("stts", U32(0) + U32(5) + U32(30) + U32(33333))},
        {"count x 8 overflowing 32 bits",
         Box("stts", U32(0) + U32(0x20000001) + U32(30) + U32(33333))},
        {"zero samples", Stts({{0, 33333}})},
    };
    for (const auto& c : cases) {
        std::string stbl = Box("stbl", c.stts);
        auto movie = Open(Ftyp() + Box("moov", Box("trak", Box("mdia", Box("minf", stbl)))));
        ASSERT_TRUE(movie) << c.name;
        ASSERT_EQ(movie->lists.stts.size(), 1u) << c.name;
        EXPECT_EQ(playcore::GetFrameRate(*movie), -1.0) << c.name;
    }
}

TEST_F(Mp4Movie, StartDateTimeOfTheFirstSensorRecord) {
    struct Case {
        const char* name;
        std::string date;
        std::string correction;
        bool set;
        playcore::CalendarTime expected;
    };
    const Case cases[] = {
        {"plus 18 seconds", "260314102030", "+18", true, {2026, 3, 6, 14, 10, 20, 48, 0}},
        {"no correction", "260314102030", "*18", true, {2026, 3, 6, 14, 10, 20, 30, 0}},
        {"minus into the previous day",
         "260101000005",
         "-10",
         true,
         {2025, 12, 3, 31, 23, 59, 55, 0}},
        {"day 32 normalised", "250132120000", "+00", true, {2025, 2, 6, 1, 12, 0, 0, 0}},
        {"zero date leaves it unchanged", "000000000000", "+00", false, {}},
    };
    for (const auto& c : cases) {
        MovieParts m;
        m.gpsRecords = -1;
        std::string bytes = Movie(m) + Gps0({SensorRecord(c.date, c.correction), SensorRecord()});
        auto movie = Open(bytes);
        ASSERT_TRUE(movie) << c.name;
        playcore::CalendarTime t{};
        t.year = 1;
        EXPECT_EQ(playcore::GetStartDateTime(*movie, &t), c.set) << c.name;
        if (c.set) {
            EXPECT_EQ(t, c.expected)
                << c.name << " " << t.year << "-" << t.month << "-" << t.day << " " << t.hour << ":"
                << t.minute << ":" << t.second << " wd " << t.dayOfWeek;
        } else {
            EXPECT_EQ(t.year, 1) << c.name;
        }
    }
    // A sensor box without records gives no start time.
    auto empty = Open(Ftyp() + Box("mdat", "x") + Gps0({}));
    ASSERT_TRUE(empty);
    playcore::CalendarTime t{};
    EXPECT_FALSE(playcore::GetStartDateTime(*empty, &t));
}

} // namespace
