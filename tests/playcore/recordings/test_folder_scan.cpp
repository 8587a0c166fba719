// Listing, sorting and the three scans on small hand-made trees.
#include "playcore/DirectoryEntry.h"
#include "playcore/FolderScan.h"
#include "playcore/RecordingNames.h"

#include "RecordingFixtures.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace playcore;
using recfix::Shape;
using recfix::WriteFake;
using recfix::WritePair;
using testsupport::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> Names(const RecordingList& list) {
    std::vector<std::string> names;
    for (const RecordingDescriptor& d : list) {
        names.push_back(DescriptorName(d));
    }
    return names;
}

std::vector<std::string> Texts(const FolderTree& tree, TreeItem parent) {
    std::vector<std::string> texts;
    for (TreeItem item : tree.Children(parent)) {
        texts.push_back(tree.ItemText(item));
    }
    return texts;
}

using V = std::vector<std::string>;

TEST(DirectoryListing, DotsIncludedAndSortOrders) {
    TempDir dir;
    fs::create_directory(dir / "b_dir");
    fs::create_directory(dir / "B_dir");
    testsupport::WriteFileBytes(dir / "a.txt", "x");
    testsupport::WriteFileBytes(dir / "Z.txt", "x");
    testsupport::WriteFileBytes(dir / "\xE6\x97\xA5.txt", "x"); // 日: after every ASCII name
    fs::create_directory_symlink(dir / "b_dir", dir / "link_dir");
    DirectoryListing entries;
    ASSERT_TRUE(ListDirectory(dir.path().string(), entries));
    ASSERT_EQ(entries.size(), 8u);

    SortDirectoryEntries(entries);
    V names;
    for (const DirectoryEntry& e : entries) {
        names.push_back(e.name + (e.isDirectory ? "/" : ""));
    }
    EXPECT_EQ(names, (V{"./", "../", "B_dir/", "b_dir/", "link_dir/", "Z.txt", "a.txt",
                        "\xE6\x97\xA5.txt"}));

    SortDirectoryEntriesByName(entries);
    names.clear();
    for (const DirectoryEntry& e : entries) {
        names.push_back(e.name);
    }
    EXPECT_EQ(names,
              (V{".", "..", "B_dir", "Z.txt", "a.txt", "b_dir", "link_dir", "\xE6\x97\xA5.txt"}));

    EXPECT_FALSE(ListDirectory((dir / "missing").string(), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(ListDirectory("", entries)); // never the working directory
}

TEST(DirectoryListing, JoinPath) {
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
}

TEST(SortRecordings, RecordingsFirstThenFolders) {
    RecordingList list;
    auto add = [&](const std::string& main, const std::string& rear) {
        RecordingDescriptor d;
        d.mainName = main;
        d.rearName = rear;
        list.push_back(d);
    };
    MakeFolderDescriptor("/card/20240102_002", list);
    add("002_120000A_M.MP4", "");
    add("", "001_130000G_R.MP4"); // sorted by its rear name
    MakeFolderDescriptor("/card/20240101_001", list);
    add("JB02_000_110000A_M.MP4", "");
    add("JN02_000_110000A_M.MP4", ""); // a joined name of no kind: with the folders
    SortRecordings(list);
    EXPECT_EQ(Names(list), (V{"001_130000G_R.MP4", "002_120000A_M.MP4", "JB02_000_110000A_M.MP4",
                              "20240101_001", "20240102_002", "JN02_000_110000A_M.MP4"}));
}

TEST(FolderScan, TriggerBitsOfCompleteFilesOnly) {
    TempDir dir;
    WritePair(dir.path(), "001_100000G");
    WriteFake(dir / "002_100100P_R.MP4");
    WriteFake(dir / "003_100200M_M.MP4", Shape::NoTrailer); // incomplete: no bit
    WriteFake(dir / "004_100300S_M.MP4", Shape::Short);     // too short
    WriteFake(dir / "005_100400A_M.MP4", Shape::NoFtyp);    // not a movie
    WriteFake(dir / "006_100500A_M.Mp4");                   // not a recording name
    WriteFake(dir / "sub" / "007_100600A_M.MP4");           // subfolders are not looked into
    EXPECT_EQ(FolderTriggerBits(dir.path().string()), 0x04u | 0x08u);
    EXPECT_EQ(FolderTriggerBits((dir / "missing").string()), 0u);
}

TEST(FolderScan, TreeScanOfFolderAddsOwnRecordingsAndSubfolders) {
    TempDir dir;
    WritePair(dir.path(), "002_100100A");
    WritePair(dir.path(), "001_100000G");
    WriteFake(dir / "003_100200A_R.MP4");
    WriteFake(dir / "004_100300A_M.MP4", Shape::NoTrailer);
    WritePair(dir / "anything", "010_100000A");
    fs::create_directories(dir / "20240101_001");
    fs::create_directories(dir / ".Trash-1000" / "files");

    MemoryFolderTree tree;
    const TreeItem top = tree.InsertItem(kNoItem, "top");
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    int counted = 0;
    ASSERT_TRUE(ScanForTree(&tree, dir.path().string(), top, list, nullptr, false, true, &counted,
                            0, counters));
    // Files in listing (name) order, a pair once, incomplete files skipped.
    EXPECT_EQ(Names(list), (V{"001_100000G_M.MP4", "002_100100A_M.MP4", "003_100200A_R.MP4"}));
    EXPECT_EQ(counted, 3);
    EXPECT_EQ(list[0].rearName, "001_100000G_R.MP4");
    EXPECT_EQ(list[2].mainPath, "");
    EXPECT_EQ(list[2].listIndex, 2);
    // Every folder becomes an item without a look inside, none with bits.
    EXPECT_EQ(Texts(tree, top), (V{"20240101_001", "anything"}));
    for (TreeItem item : tree.Children(top)) {
        EXPECT_EQ(tree.ItemData(item), 0u);
        EXPECT_TRUE(tree.Children(item).empty());
    }

    // At depth 3 no folder items are added; the folder's files still are.
    MemoryFolderTree deep;
    RecordingList deepList;
    ASSERT_TRUE(ScanForTree(&deep, dir.path().string(), kNoItem, deepList, nullptr, false, true,
                            nullptr, 3, counters));
    EXPECT_EQ(deep.ItemCount(), 0u);
    EXPECT_EQ(deepList.size(), 3u);
}

TEST(FolderScan, AtMost999ItemsPerFolder) {
    TempDir dir;
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "d%04d", i);
        fs::create_directory(dir / name);
    }
    MemoryFolderTree tree;
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    ASSERT_TRUE(ScanForTree(&tree, dir.path().string(), kNoItem, list, nullptr, false, true,
                            nullptr, 0, counters));
    const std::vector<TreeItem> items = tree.Children(kNoItem);
    ASSERT_EQ(items.size(), 999u);
    EXPECT_EQ(tree.ItemText(items.back()), "d0998"); // the first 999 by name
}

TEST(FolderScan, AtMost999RecordingFoldersOnAMedium) {
    TempDir dir;
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "20240101_%03d", i);
        char file[32];
        std::snprintf(file, sizeof file, "%03d_100000A_M.MP4", i);
        WriteFake(dir / name / file);
    }
    MemoryFolderTree tree;
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    RecordingList folders;
    ASSERT_TRUE(ScanForTree(&tree, dir.path().string(), kNoItem, list, &folders, true, true,
                            nullptr, 0, counters));
    EXPECT_EQ(tree.Children(kNoItem).size(), 999u);
    EXPECT_EQ(folders.size(), 999u);
    EXPECT_TRUE(list.empty()); // subfolder recordings are only counted
}

TEST(FolderScan, RecursiveCollectsEveryFolderToDepthThree) {
    TempDir dir;
    const fs::path root = dir.path();
    WritePair(root / "20240102_002", "003_110000A");
    WritePair(root / "20240102_002", "002_100000G");
    WritePair(root / "DCIM", "004_120000M");
    WritePair(root / "a" / "b" / "c", "005_130000P");         // depth 3: found
    WritePair(root / "a" / "b" / "c" / "d", "006_140000S");   // depth 4: never
    WritePair(root / ".Trash-1000" / "files", "007_150000A"); // deleted: never
    WriteFake(root / "DCIM" / "008_160000A_M.MP4", Shape::NoTrailer);
    WritePair(root, "001_090000A");
    WriteFake(root / "009_091000A_R.MP4");
    testsupport::WriteFileBytes(root / "notes.txt", "x");

    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    int files = 0;
    ASSERT_TRUE(ScanRecursive(root.string(), list, &files, 0, counters));
    // Subfolders first (by name, each block sorted), then the source's own files.
    EXPECT_EQ(Names(list), (V{"002_100000G_M.MP4", "003_110000A_M.MP4", "004_120000M_M.MP4",
                              "005_130000P_M.MP4", "001_090000A_M.MP4", "009_091000A_R.MP4"}));
    EXPECT_EQ(files, 4); // every file directly in the source counts
    // Numbered in creation order, which the sorted blocks keep here.
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].listIndex, static_cast<int32_t>(i));
    }

    // A missing folder collects nothing and is no failure.
    RecordingList none;
    EXPECT_TRUE(ScanRecursive((root / "missing").string(), none, nullptr, 0, counters));
    EXPECT_TRUE(none.empty());
}

TEST(FolderScan, FlatScanSkipsContentChecks) {
    TempDir dir;
    WritePair(dir.path(), "002_100000A", Shape::NoTrailer);
    WritePair(dir.path(), "001_090000G");
    WritePair(dir / "20240101_001", "003_110000A");
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    ScanFlat(dir.path().string(), list, counters);
    EXPECT_EQ(Names(list), (V{"001_090000G_M.MP4", "002_100000A_M.MP4"}));
    RecordingList first;
    ScanFlat(dir.path().string(), first, counters, 1);
    EXPECT_EQ(Names(first), (V{"001_090000G_M.MP4"}));
}

TEST(FolderScan, SingleFile) {
    TempDir dir;
    WritePair(dir.path(), "001_090000G");
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    ASSERT_TRUE(AddSingleFile((dir / "001_090000G_R.MP4").string(), list, counters));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].mainName, "001_090000G_M.MP4");
    EXPECT_EQ(list[0].rearName, "001_090000G_R.MP4");
    EXPECT_FALSE(AddSingleFile((dir / "001_090000G_M.MP4").string(), list, counters));
    EXPECT_FALSE(AddSingleFile((dir / "notes.txt").string(), list, counters));
}

} // namespace
