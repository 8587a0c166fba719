// Pairing a main file with its rear partner on real files, and the
// descriptors made from a pair.
#include "playcore/RecordingDescriptor.h"
#include "playcore/RecordingNames.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>

namespace {

using namespace playcore;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

class PartnerSearch : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const std::string& bytes = "x") {
        const std::string path = (dir / name).string();
        WriteFileBytes(path, bytes);
        return path;
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    TempDir dir;
};

TEST_F(PartnerSearch, OffsetsUpToTenSecondsEitherWay) {
    struct Case {
        const char* rear;
        bool found;
    };
    const Case cases[] = {
        {"001_120000A_R.MP4", true},  {"001_120001A_R.MP4", true},  {"001_115959A_R.MP4", true},
        {"001_120010A_R.MP4", true},  {"001_115950A_R.MP4", true},  {"001_120011A_R.MP4", false},
        {"001_115949A_R.MP4", false}, {"002_120000A_R.MP4", false}, // other file number
        {"001_120000A_R.mp4", false},                               // other extension case
    };
    const std::string main = Make("001_120000A_M.MP4");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rear);
        const std::string rear = Make(c.rear);
        EXPECT_EQ(FindPartnerFile(main), c.found ? rear : "");
        // The scans answer the search from their listing: the same result.
        const FolderFileNames listed({"001_120000A_M.MP4", c.rear, "001_120002A_R.MP4x"});
        EXPECT_EQ(FindPartnerFile(main, &listed), c.found ? rear : "");
        if (c.found) {
            EXPECT_EQ(FindPartnerFile(rear), main); // and back from the rear file
        }
        std::filesystem::remove(rear);
    }
}

TEST_F(PartnerSearch, PlusBeforeMinusAndNearestFirst) {
    const std::string main = Make("001_120000A_M.MP4");
    Make("001_115959A_R.MP4");
    Make("001_120003A_R.MP4");
    const std::string plusOne = Make("001_120001A_R.MP4");
    EXPECT_EQ(FindPartnerFile(main), plusOne);
    std::filesystem::remove(plusOne);
    EXPECT_EQ(FindPartnerFile(main), Path("001_115959A_R.MP4"));
}

TEST_F(PartnerSearch, LettersInFixedOrder) {
    // A G M P S whatever the file's own letter, each letter with all its
    // offsets before the next letter.
    const std::string main = Make("001_120000G_M.MP4");
    Make("001_120000G_R.MP4");
    const std::string a = Make("001_120005A_R.MP4");
    EXPECT_EQ(FindPartnerFile(main), a);
    std::filesystem::remove(a);
    EXPECT_EQ(FindPartnerFile(main), Path("001_120000G_R.MP4"));

    const std::string parked = Make("002_130000P_M.MP4");
    const std::string s = Make("002_130000S_R.MP4");
    EXPECT_EQ(FindPartnerFile(parked), s);
    Make("002_130000M_R.MP4");
    EXPECT_EQ(FindPartnerFile(parked), Path("002_130000M_R.MP4"));
}

TEST_F(PartnerSearch, MidnightWrapsForwardOnly) {
    const std::string late = Make("001_235959A_M.MP4");
    const std::string early = Make("001_000000A_R.MP4");
    EXPECT_EQ(FindPartnerFile(late), early);
    // From 00:00:00 the search does not go back to 23:59:59.
    EXPECT_EQ(FindPartnerFile(early), "");
    const std::string wrapped = Make("002_235955A_M.MP4");
    const std::string rear = Make("002_000004A_R.MP4");
    EXPECT_EQ(FindPartnerFile(wrapped), rear);
}

TEST_F(PartnerSearch, JoinedNamesPairOnlyAsBoth) {
    Make("JM02_001_120000A_M.MP4");
    Make("JR02_001_120000A_R.MP4");
    EXPECT_EQ(FindPartnerFile(Path("JM02_001_120000A_M.MP4")), "");
    EXPECT_EQ(FindPartnerFile(Path("JR02_001_120000A_R.MP4")), "");
    const std::string main = Make("JB03_004_090000G_M.mp4");
    const std::string rear = Make("JB03_004_090001A_R.mp4");
    EXPECT_EQ(FindPartnerFile(main), rear);
    EXPECT_EQ(FindPartnerFile(rear), main);
}

TEST_F(PartnerSearch, NonRecordingNamesAndFoldersFindNothing) {
    Make("001_120000A_R.MP4");
    EXPECT_EQ(FindPartnerFile(Path("readme.txt")), "");
    EXPECT_EQ(FindPartnerFile(Path("001_1200A_M.MP4")), "");
    EXPECT_EQ(FindPartnerFile(""), "");
    // A folder with the partner's name is not a partner.
    std::filesystem::create_directory(Path("002_120000A_R.MP4"));
    EXPECT_EQ(FindPartnerFile(Make("002_120000A_M.MP4")), "");
}

TEST_F(PartnerSearch, PairRefusesListedFiles) {
    const std::string main = Make("001_120000A_M.MP4");
    const std::string rear = Make("001_120001A_R.MP4");
    const std::string lone = Make("002_130000G_R.MP4");
    RecordingList list;
    std::string m;
    std::string r;
    ASSERT_TRUE(PairRecordingFile(main, list, m, r));
    EXPECT_EQ(m, main);
    EXPECT_EQ(r, rear);
    SerialCounter serials;
    DescriptorCounters counters(serials);
    ASSERT_TRUE(MakeRecordingDescriptor(m, r, list, counters));
    // The rear file of a listed pair is skipped, from either side.
    EXPECT_FALSE(PairRecordingFile(rear, list, m, r));
    EXPECT_FALSE(PairRecordingFile(main, list, m, r));
    // A rear file alone pairs with an empty main path.
    ASSERT_TRUE(PairRecordingFile(lone, list, m, r));
    EXPECT_EQ(m, "");
    EXPECT_EQ(r, lone);
    EXPECT_FALSE(PairRecordingFile(Make("001_120000T_M.MP4"), list, m, r));
}

TEST_F(PartnerSearch, DescriptorFields) {
    const std::string main = Make("001_120000P_M.MP4", std::string(1234, 'm'));
    const std::string rear = Make("001_120000P_R.MP4", std::string(77, 'r'));
    SerialCounter serials;
    DescriptorCounters counters(serials);
    counters.listCounter = 5;
    RecordingList list;
    ASSERT_TRUE(MakeRecordingDescriptor(main, rear, list, counters));
    ASSERT_EQ(list.size(), 1u);
    const RecordingDescriptor& d = list[0];
    EXPECT_EQ(d.mainPath, main);
    EXPECT_EQ(d.mainName, "001_120000P_M.MP4");
    EXPECT_EQ(d.rearPath, rear);
    EXPECT_EQ(d.rearName, "001_120000P_R.MP4");
    EXPECT_EQ(d.listIndex, 5);
    EXPECT_EQ(d.serial, 0);
    EXPECT_EQ(d.group, 0);
    EXPECT_EQ(d.nameInitial, '0');
    EXPECT_EQ(d.marked, 0);
    EXPECT_EQ(d.parking, 1);
    EXPECT_EQ(d.mainSize, 1234u);
    EXPECT_EQ(d.rearSize, 77u);
    EXPECT_EQ(d.frameRate, 0.0f);
    EXPECT_EQ(d.startTime, CalendarTime{});
    EXPECT_EQ(counters.listCounter, 6);
    EXPECT_EQ(serials.Peek(), 1);

    // Rear only: parking from the rear name, no initial without a main name.
    ASSERT_TRUE(MakeRecordingDescriptor("", Make("002_130000S_R.mp4"), list, counters));
    EXPECT_EQ(list[1].parking, 1);
    EXPECT_EQ(list[1].nameInitial, 0);
    EXPECT_EQ(list[1].mainSize, 0u);
    EXPECT_EQ(list[1].listIndex, 6);
    EXPECT_EQ(list[1].serial, 1);
    ASSERT_TRUE(MakeRecordingDescriptor(Make("003_130000A_M.MP4"), "", list, counters));
    EXPECT_EQ(list[2].parking, 0);
}

TEST_F(PartnerSearch, DescriptorRefusals) {
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    // Names that are not recordings of their camera: nothing, counters untouched.
    EXPECT_FALSE(MakeRecordingDescriptor(Make("001_120000A_R.MP4"), "", list, counters));
    EXPECT_FALSE(MakeRecordingDescriptor("", Make("001_120000A_M.MP4"), list, counters));
    EXPECT_FALSE(MakeRecordingDescriptor(Make("001_120000A_M.Mp4"), "", list, counters));
    EXPECT_EQ(counters.listCounter, 0);
    // Both files missing: nothing appended, the counters advance all the same.
    EXPECT_FALSE(MakeRecordingDescriptor(Path("009_120000A_M.MP4"), Path("009_120000A_R.MP4"), list,
                                         counters));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(counters.listCounter, 1);
    EXPECT_EQ(serials.Peek(), 1);
    // One missing file of the pair gets size 0.
    ASSERT_TRUE(MakeRecordingDescriptor(Make("008_120000A_M.MP4", "abc"), Path("008_120000A_R.MP4"),
                                        list, counters));
    EXPECT_EQ(list[0].mainSize, 3u);
    EXPECT_EQ(list[0].rearSize, 0u);
    EXPECT_EQ(list[0].listIndex, 1);
}

TEST_F(PartnerSearch, SizesBeyondFourGigabytes) {
    // A joined recording can pass 4 GiB; its size must not lose the upper bits.
    const std::string main = Make("JM30_001_120000A_M.MP4");
    const uint64_t big = (uint64_t{5} << 30) + 17;
    std::error_code ec;
    std::filesystem::resize_file(main, big, ec);
    if (ec) {
        GTEST_SKIP() << "no sparse file here: " << ec.message();
    }
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    ASSERT_TRUE(MakeRecordingDescriptor(main, "", list, counters));
    EXPECT_EQ(list[0].mainSize, big);
}

TEST(FolderDescriptor, Fields) {
    RecordingList list;
    MakeFolderDescriptor("/media/card/20240101_001", list);
    MakeFolderDescriptor("/media/card/20240102_002/", list);
    ASSERT_EQ(list.size(), 2u);
    const RecordingDescriptor& d = list[0];
    EXPECT_EQ(d.mainPath, "/media/card/20240101_001");
    EXPECT_EQ(d.mainName, "20240101_001");
    EXPECT_EQ(d.rearPath, "");
    EXPECT_EQ(d.listIndex, -1);
    EXPECT_EQ(d.serial, -1);
    EXPECT_EQ(d.group, -1);
    EXPECT_EQ(d.nameInitial, 0);
    EXPECT_EQ(d.parking, 0);
    EXPECT_EQ(d.mainSize, ~uint64_t{0});
    EXPECT_EQ(d.rearSize, ~uint64_t{0});
    EXPECT_EQ(list[1].mainName, "20240102_002");
}

} // namespace
