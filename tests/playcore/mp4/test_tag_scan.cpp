// The three tag scans over mapped files and the probe's decoders.
#include "Mp4Fixtures.h"
#include "TestSupport.h"

#include "playcore/ByteOrder.h"
#include "playcore/TagScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace mp4fixture;
using playcore::BoxWalk;
using playcore::ByteSearch;
using playcore::MappedFile;
using playcore::PathWalk;
using playcore::ScanStatus;
using playcore::ScanView;
using playcore::TagDescriptor;

namespace {

class TagScan : public ::testing::Test {
protected:
    // Writes `bytes` and opens them as the scan source.
    MappedFile& Source(const std::string& bytes) {
        path_ = dir_ / "movie.mp4";
        testsupport::WriteFileBytes(path_, bytes);
        EXPECT_TRUE(file_.Open(path_.string()));
        return file_;
    }
    testsupport::TempDir dir_;
    std::filesystem::path path_;
    MappedFile file_;
};

std::string ViewBytes(const ScanView& v, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(v.data), std::min(n, v.size));
}

TEST_F(TagScan, BoxWalkHandsTheDecoderTheBoxFromItsOffset) {
    MovieParts m;
    m.gpsRecords = 2;
    const std::string bytes = Movie(m);
    MappedFile& f = Source(bytes);
    std::string seen;
    uint64_t boxSize = 0;
    std::size_t viewSize = 0;
    TagDescriptor gps("gps0", [&](const ScanView& v) {
        seen = ViewBytes(v, 26);
        boxSize = v.boxSize;
        viewSize = v.size;
        return 0;
    });
    auto r = BoxWalk(f, gps, nullptr, playcore::kDecoderWindow, 14);
    EXPECT_EQ(r.status, ScanStatus::Hit);
    EXPECT_EQ(seen, "VR01AB1000-050+980N0000000");
    EXPECT_EQ(boxSize, 48u + 2 * 79);
    // The view ends with the box: 14 bytes in, the rest of it.
    EXPECT_EQ(viewSize, boxSize - 14);
}

TEST_F(TagScan, BoxWalkWithPrecedingTagOnlyFindsBoxesFromIt) {
    // A "gps0" before "mdat" is skipped; the one after it is decoded, and the
    // "mdat" decoder sees the header with the box size.
    std::string early = Gps0({SensorRecord("250101000000")});
    std::string late = Gps0({SensorRecord("260101000000"), SensorRecord()});
    std::string mdat = Box("mdat", std::string(1000, 'x'));
    MappedFile& f = Source(Ftyp() + early + mdat + late);
    uint64_t mdatSize = 0;
    uint32_t count = 0;
    TagDescriptor before("mdat", [&](const ScanView& v) {
        EXPECT_EQ(v.size, 8u);
        mdatSize = v.boxSize;
        return 0;
    });
    TagDescriptor gps("gps0", [&](const ScanView& v) {
        count = playcore::ReadBE16(v.data + 26);
        return 0;
    });
    EXPECT_EQ(BoxWalk(f, gps, &before, playcore::kSearchWindow, 14).status, ScanStatus::Hit);
    EXPECT_EQ(mdatSize, 1008u);
    EXPECT_EQ(count, 2u);

    // Without "mdat" there is no hit, and that is not a failure.
    MappedFile& g = Source(Ftyp() + early);
    auto r = BoxWalk(g, gps, &before, playcore::kSearchWindow, 14);
    EXPECT_EQ(r.status, ScanStatus::NoHit);
    EXPECT_TRUE(r.ok());
}

TEST_F(TagScan, BoxWalkEndsAtMalformedSizesAndDecoderFailures) {
    const std::string gps = Gps0({SensorRecord()});
    TagDescriptor any("gps0", [](const ScanView&) { return 0; });
    struct Case {
        const char* name;
        std::string bytes;
        ScanStatus expected;
    };
    const Case cases[] = {
        {"size below 8 ends the walk", Ftyp() + RawBox(4, "free", "") + gps, ScanStatus::NoHit},
        {"64-bit size of 0", Ftyp() + U32(1) + "free" + U64(0) + gps, ScanStatus::NoHit},
        {"64-bit size one past the end", Ftyp() + U32(1) + "free" + U64(16 + gps.size() + 1) + gps,
         ScanStatus::NoHit},
        {"64-bit size reaching it", Ftyp() + LargeBox("free", "abcd") + gps, ScanStatus::Hit},
        {"size 0 at the top runs to the end", Ftyp() + RawBox(0, "free", "") + gps,
         ScanStatus::NoHit},
        {"file of zeros", std::string(4096, '\0'), ScanStatus::NoHit},
        {"shorter than a header", std::string("\0\0\0", 3), ScanStatus::NoHit},
    };
    for (const auto& c : cases) {
        MappedFile& f = Source(c.bytes);
        EXPECT_EQ(BoxWalk(f, any, nullptr, playcore::kDecoderWindow, 14).status, c.expected)
            << c.name;
    }
    TagDescriptor failing("gps0", [](const ScanView&) { return -1; });
    MappedFile& f = Source(Ftyp() + gps);
    EXPECT_EQ(BoxWalk(f, failing, nullptr, playcore::kDecoderWindow, 14).status,
              ScanStatus::Failed);
}

TEST_F(TagScan, BoxWalkClipsATruncatedBoxToTheFile) {
    // A recording cut short by a power loss: the "gps0" declares more than the
    // file holds. The decoder gets only the bytes that exist.
    std::string gps = Gps0({SensorRecord(), SensorRecord(), SensorRecord()});
    std::string cut = Ftyp() + gps.substr(0, 100);
    MappedFile& f = Source(cut);
    std::size_t viewSize = 0;
    TagDescriptor t("gps0", [&](const ScanView& v) {
        viewSize = v.size;
        return 0;
    });
    EXPECT_EQ(BoxWalk(f, t, nullptr, playcore::kSearchWindow, 14).status, ScanStatus::Hit);
    EXPECT_EQ(viewSize, 100u - 14);
}

TEST_F(TagScan, CancelRequestFailsTheScanAndIsCleared) {
    MappedFile& f = Source(Movie());
    TagDescriptor gps("gps0", [](const ScanView&) { return 0; });
    f.RequestCancel();
    EXPECT_EQ(BoxWalk(f, gps, nullptr, playcore::kDecoderWindow, 14).status, ScanStatus::Cancelled);
    EXPECT_FALSE(f.cancelRequested());
    EXPECT_EQ(BoxWalk(f, gps, nullptr, playcore::kDecoderWindow, 14).status, ScanStatus::Hit);
    f.RequestCancel();
    EXPECT_EQ(PathWalk(f, [](const ScanView&) { return 0; }).status, ScanStatus::Cancelled);
    f.RequestCancel();
    TagDescriptor moov("moov");
    EXPECT_EQ(ByteSearch(f, moov).status, ScanStatus::Cancelled);
    EXPECT_FALSE(f.cancelRequested());
}

TEST_F(TagScan, PathWalkFindsTheFirstTracksSttsAndTheFramePeriod) {
    MovieParts m;
    m.stts = {{30, 33333}, {1, 40000}};
    MappedFile& f = Source(Movie(m));
    float period = 0;
    auto r =
        PathWalk(f, [&](const ScanView& v) { return playcore::DecodeFramePeriod(v, &period); });
    EXPECT_EQ(r.status, ScanStatus::Hit);
    // (33333 + 40000) / 2 / 1000: the counts are not weighted in.
    EXPECT_EQ(period, 36.0f);
}

TEST_F(TagScan, PathWalkOutcomes) {
    auto decode = [](const ScanView&) { return 0; };
    const std::string stts = Stts({{10, 66666}});
    struct Case {
        const char* name;
        std::string bytes;
        ScanStatus expected;
    };
    const Case cases[] = {
        {"no moov", Ftyp() + Box("mdat", "xxxx"), ScanStatus::NoHit},
        {"moov without the path", Ftyp() + Box("moov", Mvhd(1000, 1000)), ScanStatus::NoHit},
        {"size 0 on the way", Ftyp() + RawBox(0, "free", "") + Box("moov", ""), ScanStatus::Failed},
        {"child past its parent",
         Ftyp() + Box("moov", RawBox(200, "trak", "")) + std::string(300, '\0'),
         ScanStatus::Failed},
        {"box past the end of the file", Ftyp() + RawBox(1000, "free", ""), ScanStatus::Failed},
        {"64-bit sizes on the way",
         Ftyp() + LargeBox("moov", Box("trak", Box("mdia", Box("minf", LargeBox("stbl", stts))))),
         ScanStatus::Hit},
    };
    for (const auto& c : cases) {
        MappedFile& f = Source(c.bytes);
        EXPECT_EQ(PathWalk(f, decode).status, c.expected) << c.name;
    }
}

TEST_F(TagScan, ByteSearchFindsTheSecondTagAfterTheFirst) {
    MappedFile& f = Source(Movie());
    float seconds = 0;
    bool firstCalled = false;
    TagDescriptor moov("moov", [&](const ScanView&) {
        firstCalled = true;
        return -1; // ignored: the search goes on for the second tag
    });
    TagDescriptor mvhd(
        "mvhd", [&](const ScanView& v) { return playcore::DecodeMovieDuration(v, &seconds); });
    EXPECT_EQ(ByteSearch(f, moov, &mvhd).status, ScanStatus::Hit);
    EXPECT_TRUE(firstCalled);
    EXPECT_FLOAT_EQ(seconds, 2.0f);

    // "mvhd" before any "moov" does not count.
    MappedFile& g = Source(Ftyp() + Box("free", "mvhd" + std::string(40, '\1')));
    EXPECT_EQ(ByteSearch(g, moov, &mvhd).status, ScanStatus::NoHit);
}

TEST_F(TagScan, ByteSearchSkipsMdatContents) {
    // A pattern inside the media data is never seen; one after it is.
    std::string fake = "stsz" + U32(0) + U32(0) + U32(777);
    std::string real = "stsz" + U32(0) + U32(0) + U32(42);
    uint32_t count = 0;
    auto reader = [&](const ScanView& v) {
        if (v.size < 12) {
            return -1;
        }
        count = playcore::ReadBE32(v.data + 8);
        return 0;
    };
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t expected;
    };
    const Case cases[] = {
        {"32-bit mdat", Ftyp() + Box("mdat", fake) + Box("free", real), 42},
        {"64-bit mdat", Ftyp() + LargeBox("mdat", fake) + Box("free", real), 42},
        {"mdat running to the end", Ftyp() + RawBox(0, "mdat", fake), 0},
        {"mdat size below 8 is not a box", Ftyp() + RawBox(3, "mdat", fake), 777},
    };
    for (const auto& c : cases) {
        count = 0;
        MappedFile& f = Source(c.bytes);
        TagDescriptor stsz("stsz", reader);
        ByteSearch(f, stsz);
        EXPECT_EQ(count, c.expected) << c.name;
    }
}

TEST_F(TagScan, ByteSearchMatchesAcrossWindowBoundaries) {
    // The pattern straddles the first 32 MiB window's end, or ends inside it
    // with its decoder's bytes reaching past it.
    for (uint64_t at : {playcore::kSearchWindow - 2, playcore::kSearchWindow - 100}) {
        path_ = dir_ / ("big" + std::to_string(at) + ".bin");
        {
            std::ofstream out(path_, std::ios::binary);
            out << Ftyp();
        }
        std::filesystem::resize_file(path_, playcore::kSearchWindow + 4096);
        {
            std::fstream io(path_, std::ios::binary | std::ios::in | std::ios::out);
            io.seekp(static_cast<std::streamoff>(at));
            io << "stsz" << U32(0) << U32(0) << U32(99);
        }
        ASSERT_TRUE(file_.Open(path_.string()));
        uint32_t count = 0;
        uint64_t viewAt = 0;
        std::size_t viewSize = 0;
        TagDescriptor stsz("stsz", [&](const ScanView& v) {
            count = playcore::ReadBE32(v.data + 8);
            viewAt = v.offset;
            viewSize = v.size;
            return 0;
        });
        EXPECT_EQ(ByteSearch(file_, stsz).status, ScanStatus::Hit) << at;
        EXPECT_EQ(count, 99u) << at;
        EXPECT_EQ(viewAt, at + 4) << at;
        EXPECT_EQ(viewSize, playcore::kSearchWindow + 4096 - (at + 4)) << at;
    }
}

TEST_F(TagScan, AWindowThatCannotBeMappedFailsWithTheSystemText) {
    // The file shrinks after it was opened (a card pulled): the scan fails
    // with a message for the user instead of faulting on missing pages.
    MappedFile& f = Source(Movie());
    ASSERT_EQ(truncate(path_.c_str(), 0), 0);
    TagDescriptor gps("gps0", [](const ScanView&) { return 0; });
    auto r = BoxWalk(f, gps, nullptr, playcore::kDecoderWindow, 14);
    EXPECT_EQ(r.status, ScanStatus::Failed);
    EXPECT_FALSE(r.error.empty());
    TagDescriptor moov("moov");
    auto s = ByteSearch(f, moov);
    EXPECT_EQ(s.status, ScanStatus::Failed);
    EXPECT_FALSE(s.error.empty());
}

TEST(FramePeriodDecoder, Tables) {
    struct Case {
        const char* name;
        std::string payload; // stts payload
        int result;
        float period;
    };
    auto payload = [](const std::string& box) { return box.substr(8); };
    const Case cases[] = {
        {"weighted entries are not weighted", payload(Stts({{30, 33333}, {1, 40000}})), 0, 36},
        {"period 15", payload(Stts({{100, 15000}})), 0, 15},
        {"no entries counts as absent", payload(Stts({})), -1, 0},
        {"count beyond the box", U32(0) + U32(3) + U32(1) + U32(33333), -1, 0},
        {"count x 8 overflowing 32 bits", U32(0) + U32(0x20000001) + U32(1) + U32(33333), -1, 0},
        {"mean below a millisecond", payload(Stts({{1, 999}})), -1, 0},
        {"short payload", U32(0), -1, 0},
    };
    for (const auto& c : cases) {
        float period = 0;
        ScanView v{reinterpret_cast<const uint8_t*>(c.payload.data()), c.payload.size(), 0, 0};
        EXPECT_EQ(playcore::DecodeFramePeriod(v, &period), c.result) << c.name;
        EXPECT_EQ(period, c.period) << c.name;
    }
}

TEST(DurationDecoder, VersionsAndZeroTimeScale) {
    struct Case {
        const char* name;
        std::string box;
        int result;
        float seconds;
    };
    const Case cases[] = {
        {"version 0", Mvhd(1000, 1500), 0, 1.5f},
        {"version 1", MvhdV1(90000, 90000ull * 3600), 0, 3600.0f},
        {"time scale 0", Mvhd(0, 1500), -1, 0},
        {"cut short", Mvhd(1000, 1500).substr(0, 20), -1, 0},
    };
    for (const auto& c : cases) {
        float s = 0;
        const std::string p = c.box.substr(8);
        ScanView v{reinterpret_cast<const uint8_t*>(p.data()), p.size(), 0, 0};
        EXPECT_EQ(playcore::DecodeMovieDuration(v, &s), c.result) << c.name;
        EXPECT_EQ(s, c.seconds) << c.name;
    }
}

} // namespace
