// Opening a medium, a folder or a file as the viewer does, and collecting a
// source for the file commands.
#include "playcore/FolderScan.h"
#include "playcore/RecordingNames.h"
#include "playcore/RecordingSource.h"

#include "RecordingFixtures.h"
#include "TestSupport.h"
#include "synth/Synth.h"

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
using V = std::vector<std::string>;

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

// Records what the window would be told, and routes the tree's selection
// report to OpenFolderItem as the main window does.
struct Window : RecordingSourceEvents {
    explicit Window(SerialCounter& serials) : source(tree, serials, this) {
        tree.onSelect = [this](TreeItem item) { source.OpenFolderItem(item); };
    }
    void ShowPath(const std::string& path) override { shownPath = path; }
    void FullListShown(const RecordingList& full) override {
        shown = full;
        ++rebuilds;
    }
    void SetWatchedPath(const std::string& path) override { watched = path; }

    MemoryFolderTree tree;
    RecordingSource source;
    RecordingList shown;
    std::string shownPath;
    std::string watched;
    int rebuilds = 0;
};

// A card: two recording folders, a folder holding only a recording
// subfolder, DCIM, an incomplete folder, nesting beyond depth 3, and
// recordings in the root.
void WriteCardTree(const fs::path& root) {
    WritePair(root / "20240101_001", "002_100100A");
    WritePair(root / "20240101_001", "001_100000G");
    WriteFake(root / "20240101_001" / "003_100200A_M.MP4", Shape::NoTrailer);
    WritePair(root / "20240102_002", "004_110000P");
    WritePair(root / "20240103_003" / "20240103_004", "005_120000A");
    WritePair(root / "DCIM", "006_130000M");
    WritePair(root / "20240104_005", "007_140000A", Shape::NoTrailer);
    WritePair(root / "20240105_006" / "20240105_007" / "20240105_008", "008_150000S");
    WritePair(root / "20240106_009" / "20240106_010" / "20240106_011" / "20240106_012",
              "009_160000A");
    WritePair(root, "010_170000A");
}

TEST(RecordingSource, RemovableMediumShowsRecordingFolders) {
    TempDir dir;
    const fs::path card = dir / "CARD";
    WriteCardTree(card);
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource(card.string(), SourceKind::Removable);

    EXPECT_EQ(w.tree.RootPath(), card.string());
    EXPECT_EQ(w.watched, card.string());
    // Recording folders with complete recordings within depth 3 (through
    // recording folders only); DCIM, the incomplete and the too-deep folders not.
    const std::vector<TreeItem> top = w.tree.Children(kNoItem);
    EXPECT_EQ(Texts(w.tree, kNoItem),
              (V{"20240101_001", "20240102_002", "20240103_003", "20240105_006"}));
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(w.tree.ItemData(top[0]), 0x01u | 0x04u);
    EXPECT_EQ(w.tree.ItemData(top[1]), 0x08u);
    EXPECT_EQ(w.tree.ItemData(top[2]), 0u); // its recordings lie one level down
    EXPECT_EQ(Names(w.source.FolderEntries()),
              (V{"20240101_001", "20240102_002", "20240103_003", "20240105_006"}));

    // The first folder was selected and opened: its recordings are shown.
    EXPECT_EQ(w.tree.Selected(), top[0]);
    EXPECT_EQ(w.source.CurrentItem(), top[0]);
    EXPECT_TRUE(w.tree.IsExpanded(top[0]));
    EXPECT_EQ(Names(w.shown), (V{"001_100000G_M.MP4", "002_100100A_M.MP4"}));
    EXPECT_EQ(w.shown[0].listIndex, 0);
    EXPECT_EQ(w.shown[0].rearName, "001_100000G_R.MP4");
    EXPECT_EQ(w.shownPath, (card / "20240101_001").string());
    EXPECT_EQ(w.source.FullList(), w.shown);

    // Opening another item replaces the list and adds its subfolders as children.
    EXPECT_EQ(w.source.OpenFolderItem(top[2]), 0);
    EXPECT_EQ(Texts(w.tree, top[2]), (V{"20240103_004"}));
    EXPECT_EQ(w.source.OpenFolderItem(w.tree.Children(top[2])[0]), 1);
    EXPECT_EQ(Names(w.shown), (V{"005_120000A_M.MP4"}));

    // The commands collect the whole medium to depth 3 whatever the names,
    // incomplete files left out, the root's own recordings last.
    const RecordingList& collected = w.source.CollectRecordings();
    EXPECT_EQ(Names(collected),
              (V{"001_100000G_M.MP4", "002_100100A_M.MP4", "004_110000P_M.MP4", "005_120000A_M.MP4",
                 "008_150000S_M.MP4", "006_130000M_M.MP4", "010_170000A_M.MP4"}));
    for (std::size_t i = 0; i < collected.size(); ++i) {
        EXPECT_EQ(collected[i].listIndex, static_cast<int32_t>(i));
    }
    // Serial numbers keep counting over every collection.
    EXPECT_GT(collected[0].serial, w.shown[0].serial);
}

TEST(RecordingSource, MediumWithoutRecordingFoldersShowsNothing) {
    TempDir dir;
    WritePair(dir.path(), "001_100000A");
    WritePair(dir / "DCIM", "002_110000A");
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource(dir.path().string(), SourceKind::Removable);
    EXPECT_TRUE(w.tree.Children(kNoItem).empty());
    EXPECT_EQ(w.rebuilds, 0);
    EXPECT_TRUE(w.shown.empty());
    // The root's recordings are in the full list all the same, and collected.
    EXPECT_EQ(Names(w.source.FullList()), (V{"001_100000A_M.MP4"}));
    EXPECT_EQ(Names(w.source.CollectRecordings()), (V{"002_110000A_M.MP4", "001_100000A_M.MP4"}));
    EXPECT_EQ(w.source.CameraVersion(), "");
}

TEST(RecordingSource, FolderSourceAndRescan) {
    TempDir dir;
    const fs::path folder = dir / "videos";
    WritePair(folder, "002_100100A");
    WritePair(folder, "001_100000G");
    WritePair(folder / "a" / "b" / "c" / "d", "003_110000A");
    WritePair(folder / "DCIM", "004_120000A");
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource(folder.string() + "/", SourceKind::Folder);

    EXPECT_EQ(w.source.Path(), folder.string());
    EXPECT_EQ(w.tree.RootPath(), dir.path().string());
    EXPECT_EQ(w.watched, dir.path().string());
    ASSERT_EQ(Texts(w.tree, kNoItem), (V{"videos"}));
    const TreeItem top = w.tree.Children(kNoItem)[0];
    EXPECT_EQ(w.tree.ItemData(top), 0u);
    EXPECT_EQ(Texts(w.tree, top), (V{"DCIM", "a"}));
    EXPECT_EQ(Names(w.shown), (V{"001_100000G_M.MP4", "002_100100A_M.MP4"}));

    // Opening down the tree: children are added while the depth is below 3.
    const TreeItem a = w.tree.Children(top)[1];
    EXPECT_EQ(w.source.OpenFolderItem(a), 0);
    ASSERT_EQ(Texts(w.tree, a), (V{"b"}));
    const TreeItem b = w.tree.Children(a)[0];
    w.source.OpenFolderItem(b);
    ASSERT_EQ(Texts(w.tree, b), (V{"c"}));
    const TreeItem c = w.tree.Children(b)[0];
    w.source.OpenFolderItem(c);
    EXPECT_TRUE(w.tree.Children(c).empty()); // depth 3: "d" is not offered
    EXPECT_EQ(w.shownPath, (folder / "a" / "b" / "c").string());

    // Selecting the folder again rescans it and rebuilds its children.
    fs::create_directory(folder / "new");
    EXPECT_EQ(w.source.OpenFolderItem(top), 2);
    EXPECT_EQ(Texts(w.tree, top), (V{"DCIM", "a", "new"}));

    // The commands take the folder and its subfolders to depth 3.
    EXPECT_EQ(Names(w.source.CollectRecordings()),
              (V{"004_120000A_M.MP4", "001_100000G_M.MP4", "002_100100A_M.MP4"}));
}

TEST(RecordingSource, FileSource) {
    TempDir dir;
    WritePair(dir.path(), "001_100000G");
    WritePair(dir.path(), "002_100100A", Shape::NoTrailer);
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource((dir / "001_100000G_R.MP4").string(), SourceKind::File);
    EXPECT_EQ(w.tree.RootPath(), dir.path().string());
    EXPECT_EQ(w.watched, (dir / "001_100000G_R.MP4").string());
    EXPECT_EQ(w.shownPath, dir.path().string());
    ASSERT_EQ(w.shown.size(), 1u);
    EXPECT_EQ(w.shown[0].mainName, "001_100000G_M.MP4");
    EXPECT_EQ(Names(w.source.CollectRecordings()), (V{"001_100000G_M.MP4"}));

    // An incomplete file gives an empty list.
    Window w2(serials);
    w2.source.OpenSource((dir / "002_100100A_M.MP4").string(), SourceKind::File);
    EXPECT_TRUE(w2.source.FullList().empty());
    EXPECT_EQ(w2.rebuilds, 0);
}

TEST(RecordingSource, NewSourceReplacesEverything) {
    TempDir dir;
    WriteCardTree(dir / "CARD");
    WritePair(dir / "other", "020_100000A");
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource((dir / "CARD").string(), SourceKind::Removable);
    ASSERT_FALSE(w.source.FolderEntries().empty());
    w.source.OpenSource((dir / "other").string(), SourceKind::Folder);
    EXPECT_EQ(Texts(w.tree, kNoItem), (V{"other"}));
    EXPECT_TRUE(w.source.FolderEntries().empty());
    EXPECT_EQ(Names(w.shown), (V{"020_100000A_M.MP4"}));
    w.source.Clear();
    EXPECT_EQ(w.tree.ItemCount(), 0u);
    EXPECT_TRUE(w.source.FullList().empty());
    EXPECT_TRUE(w.source.CollectRecordings().empty());
}

TEST(CameraVersion, Format) {
    auto header = [](const char* four, const char* two) {
        SensorHeader h;
        for (int i = 0; i < 4; ++i) {
            h.chars4[static_cast<std::size_t>(i)] = four[i];
        }
        h.chars2 = {two[0], two[1]};
        return h;
    };
    EXPECT_EQ(FormatCameraVersion(header("x102", "03")), "1.2.3");
    EXPECT_EQ(FormatCameraVersion(header("F210", "15")), "2.10.15");
    EXPECT_EQ(FormatCameraVersion(header("FA1 ", "xx")), "0.1.0");
}

TEST(CameraVersion, NewestRecordingFolderOfARealCard) {
    TempDir dir;
    const fs::path card = dir / "CARD";
    synth::RecordingOptions o;
    o.width = o.height = 64;
    o.durationSec = 0.5;
    o.audio = false;
    auto write = [&](const fs::path& path, synth::Camera camera, const char* firmware) {
        o.camera = camera;
        o.sensor.firmware = firmware;
        std::string error;
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(synth::WriteRecording(path.string(), o, &error)) << error;
    };
    write(card / "20240101_001" / "001_100000A_M.MP4", synth::Camera::Main, "F10205");
    write(card / "20240102_002" / "002_100000A_R.MP4", synth::Camera::Rear, "F20307");
    write(card / "20240102_002" / "003_100100A_M.MP4", synth::Camera::Main, "F30000");
    SerialCounter serials;
    Window w(serials);
    w.source.OpenSource(card.string(), SourceKind::Removable);
    // The greatest folder name; its first recording by name is the lone rear file.
    EXPECT_EQ(w.source.CameraVersion(), "2.3.7");
    EXPECT_EQ(w.source.ReadCameraVersion(), "2.3.7");
}

} // namespace
