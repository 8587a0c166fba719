// brivona-tool scan: opens a source as the viewer does and prints its folder
// tree, the recordings the viewer shows first and the recordings the file
// commands collect.
#include "RecordingJson.h"

#include "playcore/FolderTree.h"
#include "playcore/RecordingNames.h"
#include "playcore/RecordingSource.h"
#include "playcore/RemovableDrives.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

const char* help_scan() {
    return "scan [--json] [--kind sd|folder|file] PATH  list a source as the viewer does";
}

namespace {

using namespace playcore;

const char kUsage[] =
    "usage: brivona-tool scan [--json] [--kind sd|folder|file] PATH\n"
    "Opens PATH as the viewer does - an SD card (sd), a folder or a single file;\n"
    "without --kind a file is a file, the root of a mounted removable medium an SD\n"
    "card, anything else a folder - and prints the folder tree (name, depth,\n"
    "trigger bits), the recordings shown first (the first tree item opened) and\n"
    "the recordings the file commands collect.\n";

// Captures what the file manager window would show, and routes the tree's
// selection to OpenFolderItem as the main window does.
struct ToolWindow : RecordingSourceEvents {
    explicit ToolWindow(SerialCounter& serials) : source(tree, serials, this) {
        tree.onSelect = [this](TreeItem item) { source.OpenFolderItem(item); };
    }
    void FullListShown(const RecordingList& full) override { shown = full; }

    MemoryFolderTree tree;
    RecordingSource source;
    RecordingList shown;
};

struct TreeRow {
    std::string name;
    int depth;
    uint32_t bits;
    std::string path;
};

void WalkTree(const FolderTree& tree, TreeItem parent, int depth, std::vector<TreeRow>& rows) {
    for (TreeItem item : tree.Children(parent)) {
        rows.push_back({tree.ItemText(item), depth, tree.ItemData(item), ItemPath(tree, item)});
        WalkTree(tree, item, depth + 1, rows);
    }
}

std::string BitLetters(uint32_t bits) {
    // Bits by trigger: A 0x01, M 0x02, G 0x04, P 0x08, S 0x10, O 0x20, R 0x40.
    static constexpr struct {
        uint32_t bit;
        char letter;
    } kBits[] = {{0x01, 'A'}, {0x02, 'M'}, {0x04, 'G'}, {0x08, 'P'},
                 {0x10, 'S'}, {0x20, 'O'}, {0x40, 'R'}};
    std::string letters;
    for (const auto& b : kBits) {
        if ((bits & b.bit) != 0) {
            letters += b.letter;
        }
    }
    return letters;
}

void WriteList(JsonWriter& json, const char* key, const RecordingList& list) {
    json.Key(key).BeginArray();
    for (const RecordingDescriptor& d : list) {
        recjson::WriteDescriptor(json, d);
    }
    json.EndArray();
}

void PrintList(const char* key, const RecordingList& list) {
    std::printf("%s (%zu):\n", key, list.size());
    for (const RecordingDescriptor& d : list) {
        std::printf("  %s\n", recjson::DescriptorLine(d).c_str());
    }
}

} // namespace

int cmd_scan(int argc, char** argv) {
    bool json = false;
    std::string kindText;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--kind") == 0 && i + 1 < argc) {
            kindText = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argv[i][0] == '-' || !path.empty()) {
            std::fprintf(stderr, "brivona-tool scan: unexpected argument '%s'\n%s", argv[i],
                         kUsage);
            return 2;
        } else {
            path = argv[i];
        }
    }
    if (path.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        std::fprintf(stderr, "brivona-tool scan: %s: no such file or folder\n", path.c_str());
        return 1;
    }
    SourceKind kind;
    if (kindText.empty()) {
        if (!fs::is_directory(status)) {
            kind = SourceKind::File;
        } else if (IsRemovableRoot(path, ListRemovableDrives())) {
            kind = SourceKind::Removable;
        } else {
            kind = SourceKind::Folder;
        }
    } else if (kindText == "sd") {
        kind = SourceKind::Removable;
    } else if (kindText == "folder") {
        kind = SourceKind::Folder;
    } else if (kindText == "file") {
        kind = SourceKind::File;
    } else {
        std::fprintf(stderr, "brivona-tool scan: unknown kind '%s' (sd, folder or file)\n",
                     kindText.c_str());
        return 2;
    }
    if (kind == SourceKind::File && fs::is_directory(status)) {
        std::fprintf(stderr, "brivona-tool scan: %s is a folder, not a file\n", path.c_str());
        return 2;
    }
    if (kind != SourceKind::File && !fs::is_directory(status)) {
        std::fprintf(stderr, "brivona-tool scan: %s is not a folder\n", path.c_str());
        return 2;
    }
    // The viewer removes one trailing separator before it opens a source.
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }

    SerialCounter serials;
    ToolWindow window(serials);
    window.source.OpenSource(path, kind);
    std::vector<TreeRow> rows;
    WalkTree(window.tree, kNoItem, 0, rows);
    const RecordingList shown = window.shown;
    const RecordingList collected = window.source.CollectRecordings();
    const char* kindWord = kind == SourceKind::Removable ? "sd"
                           : kind == SourceKind::Folder  ? "folder"
                                                         : "file";

    if (json) {
        JsonWriter out(2);
        out.BeginObject();
        out.Key("kind").String(kindWord);
        out.Key("path").String(path);
        out.Key("cameraVersion").String(window.source.CameraVersion());
        out.Key("tree").BeginArray();
        for (const TreeRow& r : rows) {
            out.BeginObject();
            out.Key("name").String(r.name);
            out.Key("depth").Int(r.depth);
            out.Key("bits").UInt(r.bits);
            out.Key("path").String(r.path);
            out.EndObject();
        }
        out.EndArray();
        WriteList(out, "shown", shown);
        WriteList(out, "collected", collected);
        out.EndObject();
        std::printf("%s\n", out.str().c_str());
        return 0;
    }
    std::printf("source: %s %s\n", kindWord, path.c_str());
    if (kind == SourceKind::Removable) {
        const std::string& version = window.source.CameraVersion();
        std::printf("camera version: %s\n", version.empty() ? "-" : version.c_str());
    }
    std::printf("tree (%zu):\n", rows.size());
    for (const TreeRow& r : rows) {
        std::printf("  %*s%s  depth=%d bits=0x%02x%s%s\n", r.depth * 2, "", r.name.c_str(), r.depth,
                    r.bits, r.bits != 0 ? " " : "", BitLetters(r.bits).c_str());
    }
    PrintList("shown", shown);
    PrintList("collected", collected);
    return 0;
}
