#include "playcore/FolderScan.h"

#include "playcore/DirectoryEntry.h"
#include "playcore/MovieProbe.h"
#include "playcore/RecordingNames.h"

#include <algorithm>
#include <unordered_set>

namespace playcore {
namespace {

bool IsDotEntry(const DirectoryEntry& e) {
    return e.name == "." || e.name == "..";
}

// A directory the scans may enter.
bool IsScannableDirectory(const DirectoryEntry& e) {
    return e.isDirectory && !IsDotEntry(e) && !IsTrashFolderName(e.name);
}

// The non-directory names of a listing, for the partner search.
FolderFileNames FileNamesOf(const DirectoryListing& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const DirectoryEntry& e : entries) {
        if (!e.isDirectory) {
            names.push_back(e.name);
        }
    }
    return FolderFileNames(std::move(names));
}

// The mainPath and rearPath values of a list, brought up to date with what
// the scan appended before each test, so that pairing's "already listed"
// test is a lookup instead of a walk over the whole list. Scans only append
// to the lists they pair against.
class ListedPaths {
public:
    explicit ListedPaths(const RecordingList& list) : list_(list) {}

    bool Listed(const std::string& main, const std::string& rear) {
        for (; indexed_ < list_.size(); ++indexed_) {
            mains_.insert(list_[indexed_].mainPath);
            rears_.insert(list_[indexed_].rearPath);
        }
        return (!main.empty() && mains_.count(main) != 0) ||
               (!rear.empty() && rears_.count(rear) != 0);
    }

private:
    const RecordingList& list_;
    std::size_t indexed_ = 0;
    std::unordered_set<std::string> mains_;
    std::unordered_set<std::string> rears_;
};

// PairRecordingFile with the partner looked up in the folder's listing and
// the listed paths looked up in the index.
bool PairListedFile(const std::string& path, const FolderFileNames& names, ListedPaths& listed,
                    std::string& main, std::string& rear) {
    const std::string_view name = FileNamePart(path);
    if (IsMainFileName(name)) {
        main = path;
        rear = FindPartnerFile(path, &names);
    } else if (IsRearFileName(name)) {
        rear = path;
        main = FindPartnerFile(path, &names);
    } else {
        return false;
    }
    return !listed.Listed(main, rear);
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
    const FolderFileNames names = FileNamesOf(entries);
    ListedPaths listed(recordings);
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
        if (IsCompleteRecordingFile(full) && PairListedFile(full, names, listed, main, rear)) {
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
    const FolderFileNames names = FileNamesOf(entries);
    ListedPaths listed(recordings);
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
        if (IsCompleteRecordingFile(full) && PairListedFile(full, names, listed, main, rear)) {
            MakeRecordingDescriptor(main, rear, recordings, counters);
        }
    }
    return true;
}

void ScanFlat(const std::string& path, RecordingList& recordings, DescriptorCounters& counters,
              std::size_t limit) {
    const std::size_t stopAt =
        limit > SIZE_MAX - recordings.size() ? SIZE_MAX : recordings.size() + limit;
    DirectoryListing entries;
    ListDirectory(path, entries);
    SortDirectoryEntriesByName(entries);
    const FolderFileNames names = FileNamesOf(entries);
    ListedPaths listed(recordings);
    std::string main;
    std::string rear;
    for (const DirectoryEntry& e : entries) {
        if (e.isDirectory) {
            continue;
        }
        const std::string full = JoinPath(path, e.name);
        const int code = TriggerCode(e.name);
        if (IsRecordingFileName(full) && code >= 0 && code <= 8 &&
            PairListedFile(full, names, listed, main, rear)) {
            MakeRecordingDescriptor(main, rear, recordings, counters);
            if (recordings.size() >= stopAt) {
                return;
            }
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
