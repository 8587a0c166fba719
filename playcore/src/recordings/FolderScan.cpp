#include "playcore/FolderScan.h"

#include "playcore/DirectoryEntry.h"
#include "playcore/MovieProbe.h"
#include "playcore/RecordingNames.h"

#include <algorithm>

namespace playcore {
namespace {

bool IsDotEntry(const DirectoryEntry& e) {
    return e.name == "." || e.name == "..";
}

// A directory the scans may enter.
bool IsScannableDirectory(const DirectoryEntry& e) {
    return e.isDirectory && !IsDotEntry(e) && !IsTrashFolderName(e.name);
}

bool IsCompleteRecordingFile(const std::string& full) {
    return IsRecordingFileName(full) && IsCompleteRecording(full);
}

} // namespace

bool IsTrashFolderName(const std::string& name) {
    return name == ".Trash" || name.rfind(".Trash-", 0) == 0;
}

void SortRecordings(RecordingList& list) {
    auto isRecording = [](const RecordingDescriptor& d) {
        const std::string& name = DescriptorName(d);
        return IsCameraFileName(name) || IsJoinedFileName(name);
    };
    auto mid = std::stable_partition(list.begin(), list.end(), isRecording);
    auto byName = [](const RecordingDescriptor& a, const RecordingDescriptor& b) {
        return NameLess(DescriptorName(a), DescriptorName(b));
    };
    std::stable_sort(list.begin(), mid, byName);
    std::stable_sort(mid, list.end(), byName);
}

uint32_t FolderTriggerBits(const std::string& path) {
    uint32_t bits = 0;
    DirectoryListing entries;
    ListDirectory(path, entries);
    for (const DirectoryEntry& e : entries) {
        if (!e.isDirectory && IsCompleteRecordingFile(JoinPath(path, e.name))) {
            AddTriggerBits(e.name, bits);
        }
    }
    return bits;
}

bool ScanForTree(FolderTree* tree, const std::string& path, TreeItem parentItem,
                 RecordingList& recordings, RecordingList* folders, bool recursive,
                 bool addRecordings, int* counter, int depth, DescriptorCounters& counters) {
    DirectoryListing entries;
    ListDirectory(path, entries);
    SortDirectoryEntriesByName(entries);
    int inserted = 0;
    std::string main;
    std::string rear;
    for (const DirectoryEntry& e : entries) {
        if (e.isDirectory) {
            if (!IsScannableDirectory(e)) {
                continue;
            }
            const std::string full = JoinPath(path, e.name);
            if (recursive) {
                if (depth < kMaxScanDepth && IsRecordingFolderName(e.name)) {
                    int found = 0;
                    if (!ScanForTree(tree, full, kNoItem, recordings, folders, recursive, false,
                                     &found, depth + 1, counters)) {
                        return false;
                    }
                    // Nested recording folders count towards the folder above
                    // them, so a recording folder holding only a recording
                    // subfolder is shown.
                    if (counter != nullptr) {
                        *counter += found;
                    }
                    if (found > 0 && addRecordings && inserted < kMaxTreeItemsPerFolder &&
                        tree != nullptr) {
                        const TreeItem item = tree->InsertItem(parentItem, e.name);
                        if (folders != nullptr) {
                            MakeFolderDescriptor(full, *folders);
                        }
                        tree->SetItemData(item, FolderTriggerBits(full));
                        ++inserted;
                    }
                }
            } else if (depth < kMaxScanDepth && addRecordings &&
                       inserted < kMaxTreeItemsPerFolder && tree != nullptr) {
                tree->InsertItem(parentItem, e.name);
                ++inserted;
            }
            continue;
        }
        const std::string full = JoinPath(path, e.name);
        if (IsCompleteRecordingFile(full) && PairRecordingFile(full, recordings, main, rear)) {
            if (counter != nullptr) {
                ++*counter;
            }
            if (addRecordings) {
                MakeRecordingDescriptor(main, rear, recordings, counters);
            }
        }
    }
    return true;
}

bool ScanRecursive(const std::string& path, RecordingList& recordings, int* fileCounter, int depth,
                   DescriptorCounters& counters) {
    DirectoryListing entries;
    if (!ListDirectory(path, entries)) {
        return true;
    }
    SortDirectoryEntries(entries);
    RecordingList temporary;
    std::string main;
    std::string rear;
    for (const DirectoryEntry& e : entries) {
        if (e.isDirectory) {
            if (!IsScannableDirectory(e) || depth >= kMaxScanDepth) {
                continue;
            }
            int files = 0;
            if (!ScanRecursive(JoinPath(path, e.name), temporary, &files, depth + 1, counters)) {
                return false;
            }
            if (files > 0) {
                SortRecordings(temporary);
            }
            recordings.insert(recordings.end(), std::make_move_iterator(temporary.begin()),
                              std::make_move_iterator(temporary.end()));
            temporary.clear();
            continue;
        }
        if (fileCounter != nullptr) {
            ++*fileCounter;
        }
        const std::string full = JoinPath(path, e.name);
        if (IsCompleteRecordingFile(full) && PairRecordingFile(full, recordings, main, rear)) {
            MakeRecordingDescriptor(main, rear, recordings, counters);
        }
    }
    return true;
}

void ScanFlat(const std::string& path, RecordingList& recordings, DescriptorCounters& counters) {
    DirectoryListing entries;
    ListDirectory(path, entries);
    SortDirectoryEntriesByName(entries);
    std::string main;
    std::string rear;
    for (const DirectoryEntry& e : entries) {
        if (e.isDirectory) {
            continue;
        }
        const std::string full = JoinPath(path, e.name);
        const int code = TriggerCode(e.name);
        if (IsRecordingFileName(full) && code >= 0 && code <= 8 &&
            PairRecordingFile(full, recordings, main, rear)) {
            MakeRecordingDescriptor(main, rear, recordings, counters);
        }
    }
}

bool AddSingleFile(const std::string& path, RecordingList& recordings,
                   DescriptorCounters& counters) {
    std::string main;
    std::string rear;
    return PairRecordingFile(path, recordings, main, rear) &&
           MakeRecordingDescriptor(main, rear, recordings, counters);
}

} // namespace playcore
