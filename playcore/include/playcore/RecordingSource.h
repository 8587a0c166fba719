// The current source of the file manager and the lists made from it: the
// full list (what the last scan found), the folder entries of a removable
// medium's recording folders, and the command list (what the file commands
// work on). The window that shows them implements RecordingSourceEvents and
// the FolderTree; this class holds the logic and no user interface.
//
// OpenSource and OpenFolderItem run on the user-interface thread.
// CollectRecordings may run on a command's worker thread while the user
// interface is disabled: it reads only the remembered source paths, never the
// tree.
#pragma once

#include "playcore/FolderTree.h"
#include "playcore/RecordingDescriptor.h"
#include "playcore/SensorHeader.h"
#include "playcore/SourceKind.h"

#include <optional>
#include <string>

namespace playcore {

// What the window does when the lists change. Every method has an empty
// default, so a caller overrides only what it shows.
class RecordingSourceEvents {
public:
    virtual ~RecordingSourceEvents() = default;
    // The path box shows `path`.
    virtual void ShowPath(const std::string& path) {}
    // The displayed list is to be rebuilt from the full list (trigger filter).
    virtual void FullListShown(const RecordingList& fullList) {}
    // The first row of the displayed list is to be selected (opening it).
    virtual void SelectFirstRow() {}
    // The count of listed recordings is to be redrawn.
    virtual void RedrawCount() {}
    // The source watcher is to watch `path` ("" stops watching).
    virtual void SetWatchedPath(const std::string& path) {}
};

class RecordingSource {
public:
    RecordingSource(FolderTree& tree, SerialCounter& serials,
                    RecordingSourceEvents* events = nullptr);

    // Replaces the source, the tree and the full list:
    // - Removable: every recording folder (to depth 3) with recordings becomes
    //   a top-level item with its trigger bits and a folder entry; the first
    //   item is selected (which opens it through the tree's selection report);
    //   then the camera version is read.
    // - Folder: one top-level item for the folder, relative to its parent,
    //   scanned and selected.
    // - File: the file alone when it is a complete recording, else nothing.
    void OpenSource(const std::string& path, SourceKind kind);

    // Opens a tree item: its folder's recordings become the full list, its
    // subfolders its child items (while its depth is below 3). Returns the
    // number of recordings; 0 and nothing changed for an item without path.
    int OpenFolderItem(TreeItem item, bool redrawCount = true);

    // Fills the command list from the whole source (not limited by the tree
    // selection or the trigger filter) and returns it.
    const RecordingList& CollectRecordings();

    // The version text of the camera that wrote the newest recording folder
    // ("%d.%d.%d" from its sensor header), "" when none can be read. Read by
    // OpenSource for a removable medium.
    std::string ReadCameraVersion();

    // Forgets the source and empties the tree and every list.
    void Clear();

    const std::string& Path() const { return path_; }
    SourceKind Kind() const { return kind_; }
    const RecordingList& FullList() const { return full_; }
    const RecordingList& FolderEntries() const { return folders_; }
    const RecordingList& CommandList() const { return commands_; }
    const std::string& CameraVersion() const { return cameraVersion_; }
    TreeItem CurrentItem() const { return currentItem_; }

private:
    FolderTree& tree_;
    RecordingSourceEvents nullEvents_;
    RecordingSourceEvents* events_;
    DescriptorCounters counters_;
    std::string path_;
    SourceKind kind_ = SourceKind::None;
    // What CollectRecordings scans: the medium's root or the folder.
    std::string collectPath_;
    RecordingList full_;
    RecordingList folders_;
    RecordingList commands_;
    std::string cameraVersion_;
    TreeItem currentItem_ = kNoItem;
};

// "%d.%d.%d" from the header's verbatim characters: the second of the four
// as a one-digit number, the third and fourth as a two-digit number, the two
// further ones as a two-digit number ("x102" "03" gives 1.2.3).
std::string FormatCameraVersion(const SensorHeader& header);

} // namespace playcore
