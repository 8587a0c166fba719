// Turning folders into recording lists and folder-tree items.
//
// The scans look at file names first and read only the bytes the complete
// recording check needs (the first 260 and the last 85 bytes of a file); they
// never read a whole file. A folder that cannot be listed contributes
// nothing and the scan goes on with its siblings.
#pragma once

#include "playcore/FolderTree.h"
#include "playcore/RecordingDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace playcore {

// Folders below this depth (the source is depth 0) are never entered: a
// folder at depth 3 is scanned, its subfolders are not.
inline constexpr int kMaxScanDepth = 3;
// Tree items one scan inserts under one parent at most.
inline constexpr int kMaxTreeItemsPerFolder = 999;

// Recordings first - descriptors whose name (DescriptorName) is a camera or
// joined name - then the rest (folder entries); each part ascending by that
// name in unsigned code-unit order.
void SortRecordings(RecordingList& list);

// The trigger bits (TriggerBit) of the complete recording files directly in
// the folder; subfolders are not looked into.
uint32_t FolderTriggerBits(const std::string& path);

// The scan behind the folder tree. Lists `path` in name order; for a folder:
// - recursive: when depth < 3 and the name is a recording-folder name, counts
//   the pairs inside (to depth 3, through recording folders only, nested
//   pairs counting towards the folders above them and `*counter`); a folder
//   with pairs gets an item under `parentItem` carrying FolderTriggerBits
//   and, when `folders` is given, a folder entry there - items only while
//   `addRecordings` is set and fewer than 999 were inserted by this call;
// - not recursive: every folder gets an item (no look inside) while depth < 3,
//   `addRecordings` is set and fewer than 999 were inserted.
// Complete recording files are paired; each new pair adds 1 to `*counter`
// and, with `addRecordings`, a descriptor to `recordings`. `tree` may be null
// when nothing is to be inserted. Always true: an unreadable folder adds
// nothing.
bool ScanForTree(FolderTree* tree, const std::string& path, TreeItem parentItem,
                 RecordingList& recordings, RecordingList* folders, bool recursive,
                 bool addRecordings, int* counter, int depth, DescriptorCounters& counters);

// The scan behind the file commands: every folder to depth 3 whatever its
// name, directories first. Each subfolder's recordings are collected as one
// block (sorted with SortRecordings when the subfolder holds any file) and
// come before the recordings of `path` itself, which keep the name order.
// Every file met adds 1 to `*fileCounter`. Always true.
bool ScanRecursive(const std::string& path, RecordingList& recordings, int* fileCounter, int depth,
                   DescriptorCounters& counters);

// The recordings directly in `path` by name (no content check, no
// subfolders); stops once `limit` descriptors were appended.
void ScanFlat(const std::string& path, RecordingList& recordings, DescriptorCounters& counters,
              std::size_t limit = SIZE_MAX);

// Pairs one file and appends its descriptor; false when it is not a recording
// name, is already listed, or neither file opens.
bool AddSingleFile(const std::string& path, RecordingList& recordings,
                   DescriptorCounters& counters);

// Folders the scans never enter: the trash folders ".Trash" and
// ".Trash-<uid>" a desktop keeps at the top of a removable volume. Deleted
// recordings keep their names there and must not come back into the lists.
bool IsTrashFolderName(const std::string& name);

} // namespace playcore
