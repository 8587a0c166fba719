#include "playcore/RecordingSource.h"

#include "playcore/FolderScan.h"
#include "playcore/MovieProbe.h"
#include "playcore/SensorTrack.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace playcore {
namespace {

// The source path without one trailing '/' ("/" itself stays).
std::string WithoutTrailingSlash(const std::string& path) {
    if (path.size() > 1 && path.back() == '/') {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

// The folder part of a path: "" when it has no '/', "/" for a top-level name.
std::string ParentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int NumberOf(const char* chars, std::size_t count) {
    char text[8] = {};
    for (std::size_t i = 0; i < count && i < sizeof text - 1; ++i) {
        text[i] = chars[i];
    }
    return std::atoi(text);
}

} // namespace

std::string FormatCameraVersion(const SensorHeader& header) {
    const int major = NumberOf(&header.chars4[1], 1);
    const int minor = NumberOf(&header.chars4[2], 2);
    const int patch = NumberOf(header.chars2.data(), 2);
    char text[48];
    std::snprintf(text, sizeof text, "%d.%d.%d%s", major, minor, patch, "");
    return text;
}

RecordingSource::RecordingSource(FolderTree& tree, SerialCounter& serials,
                                 RecordingSourceEvents* events)
    : tree_(tree), events_(events != nullptr ? events : &nullEvents_), counters_(serials) {}

void RecordingSource::Clear() {
    tree_.DeleteAll();
    currentItem_ = kNoItem;
    path_.clear();
    kind_ = SourceKind::None;
    collectPath_.clear();
    full_.clear();
    folders_.clear();
    commands_.clear();
    events_->ShowPath({});
    events_->FullListShown(full_);
}

void RecordingSource::OpenSource(const std::string& path, SourceKind kind) {
    full_.clear();
    counters_.listCounter = 0;
    path_ = path;
    kind_ = kind;
    folders_.clear();
    collectPath_.clear();
    cameraVersion_.clear();
    currentItem_ = kNoItem;
    // A new source replaces the tree as a whole.
    tree_.DeleteAll();

    switch (kind) {
    case SourceKind::Removable: {
        tree_.SetRootPath(path);
        events_->SetWatchedPath(path);
        collectPath_ = path;
        ScanForTree(&tree_, path, kNoItem, full_, &folders_, true, true, nullptr, 0, counters_);
        SortRecordings(full_);
        if (const TreeItem first = FirstTopLevelItem(tree_); first != kNoItem) {
            tree_.Select(first);
        }
        cameraVersion_ = ReadCameraVersion();
        break;
    }
    case SourceKind::File: {
        tree_.SetRootPath(ParentFolder(path));
        if (!IsCompleteRecording(path)) {
            break;
        }
        events_->SetWatchedPath(path);
        AddSingleFile(path, full_, counters_);
        events_->FullListShown(full_);
        events_->SelectFirstRow();
        events_->ShowPath(ParentFolder(path));
        events_->RedrawCount();
        break;
    }
    case SourceKind::Folder: {
        const std::string folder = WithoutTrailingSlash(path);
        path_ = folder;
        const std::string parent = ParentFolder(folder);
        tree_.SetRootPath(parent);
        events_->SetWatchedPath(parent);
        collectPath_ = folder;
        const std::string name = folder == "/" ? folder : LastComponent(folder);
        const TreeItem item = tree_.InsertItem(kNoItem, name);
        ScanForTree(&tree_, folder, item, full_, nullptr, false, true, nullptr, 0, counters_);
        SortRecordings(full_);
        tree_.Select(FirstTopLevelItem(tree_));
        break;
    }
    case SourceKind::None:
        break;
    }
}

int RecordingSource::OpenFolderItem(TreeItem item, bool redrawCount) {
    const std::string path = ItemPath(tree_, item);
    if (path.empty()) {
        return 0;
    }
    events_->ShowPath(path);
    full_.clear();
    counters_.listCounter = 0;
    tree_.DeleteChildren(item);
    const int depth = ItemDepth(tree_, item);
    ScanForTree(&tree_, path, item, full_, nullptr, false, true, nullptr, depth, counters_);
    SortRecordings(full_);
    for (TreeItem p = item; p != kNoItem; p = tree_.Parent(p)) {
        tree_.Expand(p);
    }
    currentItem_ = item;
    events_->FullListShown(full_);
    if (redrawCount) {
        events_->RedrawCount();
    }
    return static_cast<int>(full_.size());
}

const RecordingList& RecordingSource::CollectRecordings() {
    commands_.clear();
    counters_.listCounter = 0;
    switch (kind_) {
    case SourceKind::Removable:
        ScanRecursive(collectPath_, commands_, nullptr, 0, counters_);
        break;
    case SourceKind::File: {
        RecordingList single;
        AddSingleFile(path_, single, counters_);
        commands_ = std::move(single);
        SortRecordings(commands_);
        break;
    }
    case SourceKind::Folder:
        ScanRecursive(collectPath_, commands_, nullptr, 0, counters_);
        break;
    case SourceKind::None:
        break; // no source: nothing to collect
    }
    return commands_;
}

std::string RecordingSource::ReadCameraVersion() {
    if (folders_.empty()) {
        return {};
    }
    SortRecordings(folders_);
    // The scan numbers its own small list; only the serials are shared.
    DescriptorCounters counters(*counters_.serials);
    RecordingList found;
    // Only the first recording by name is read; the rest of the folder
    // need not be paired.
    ScanFlat(folders_.back().mainPath, found, counters, 1);
    if (found.empty()) {
        return {};
    }
    const RecordingDescriptor& first = found.front();
    const std::optional<SensorHeader> header =
        ReadSensorHeader(first.mainPath.empty() ? first.rearPath : first.mainPath);
    return header ? FormatCameraVersion(*header) : std::string();
}

} // namespace playcore
