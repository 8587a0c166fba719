// brivona-tool csv: writes the CSV list of the recordings of a card, a
// folder or a single file, as the viewer's "CSV" command does.
#include "playcore/CsvExport.h"
#include "playcore/FolderTree.h"
#include "playcore/RecordingDescriptor.h"
#include "playcore/RecordingSource.h"
#include "playcore/UiText.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

const char* help_csv() {
    return "csv [--kind sd|folder|file] [--yes] [--charset SET] SOURCE OUTFOLDER  "
           "write the CSV list of the recordings";
}

namespace {

namespace fs = std::filesystem;
using namespace playcore;

const char kUsage[] =
    "usage: brivona-tool csv [--kind sd|folder|file] [--yes] [--charset SET] SOURCE OUTFOLDER\n"
    "  Collects the recordings of SOURCE (a card's mount point, a folder or one file;\n"
    "  folders are searched three levels deep) and writes Dv_YYYYMMDD_HHMMSS.csv, named\n"
    "  after the first recording, into OUTFOLDER; prints its path.\n"
    "  --kind KIND    how SOURCE is read (default: folder for a folder, file for a file)\n"
    "  --yes          replace an existing file of the same name (otherwise exit status 2)\n"
    "  --charset SET  character set of the file (default: the locale's; UTF-8 for \"C\")\n"
    "  Ctrl-C stops the export and keeps the rows written so far.\n"
    "exit status: 0 written, 1 error, 2 the file exists (not replaced), 130 stopped\n";

std::atomic<bool> g_stop{false};

extern "C" void OnInterrupt(int) {
    g_stop.store(true);
}

void Message(int textId, const std::string& detail) {
    std::fprintf(stderr, "%s\n", ui_text(textId));
    if (!detail.empty()) {
        std::fprintf(stderr, "brivona-tool csv: %s\n", detail.c_str());
    }
}

} // namespace

int cmd_csv(int argc, char** argv) {
    std::string kindName;
    std::string charset;
    bool yes = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--yes" || a == "-y") {
            yes = true;
        } else if ((a == "--kind" || a == "--charset") && i + 1 < argc) {
            (a == "--kind" ? kindName : charset) = argv[++i];
        } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
            std::fprintf(stderr, "brivona-tool csv: unknown option '%s'\n%s", a.c_str(), kUsage);
            return 1;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    std::string source = positional[0];
    const fs::path outFolder = positional[1];

    std::error_code ec;
    const bool isDir = fs::is_directory(source, ec);
    if (!fs::exists(source, ec)) {
        Message(kCsvTextNoRecordings, source + ": no such file or folder");
        return 1;
    }
    SourceKind kind = isDir ? SourceKind::Folder : SourceKind::File;
    if (kindName == "sd") {
        kind = SourceKind::Removable;
    } else if (kindName == "folder") {
        kind = SourceKind::Folder;
    } else if (kindName == "file") {
        kind = SourceKind::File;
    } else if (!kindName.empty()) {
        std::fprintf(stderr, "brivona-tool csv: unknown kind '%s'\n%s", kindName.c_str(), kUsage);
        return 1;
    }
    if ((kind == SourceKind::File) == isDir) {
        Message(kCsvTextNoRecordings,
                source + (isDir ? ": is a folder, not a file" : ": is a file, not a folder"));
        return 1;
    }
    source = fs::absolute(source, ec).lexically_normal().string();
    while (source.size() > 1 && source.back() == '/') {
        source.pop_back();
    }
    if (!fs::is_directory(outFolder, ec)) {
        Message(kCsvTextCannotCreate, outFolder.string() + ": no such folder");
        return 1;
    }

    MemoryFolderTree tree;
    SerialCounter serials;
    RecordingSource recordings(tree, serials);
    // The viewer opens a folder when its tree item is selected; the tool only
    // needs the collection, which reads the source paths.
    recordings.OpenSource(source, kind);
    const RecordingList list = recordings.CollectRecordings();
    if (list.empty()) {
        Message(kCsvTextNoRecordings, "");
        return 1;
    }
    const bool exists = CsvFileExists(list.front(), outFolder);
    if (exists && !yes) {
        Message(kCsvTextFileExists, "use --yes to replace it");
        return 2;
    }

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    CsvExportOptions options;
    options.charset = charset;
    options.replaceExisting = yes || !exists;
    const CsvExportResult r = ExportCsv(outFolder, list, &g_stop, {}, options);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    switch (r.status) {
    case CsvExportStatus::Done:
        std::printf("%s\n", r.path.c_str());
        return 0;
    case CsvExportStatus::Cancelled:
        std::printf("%s\n", r.path.c_str());
        std::fprintf(stderr, "brivona-tool csv: stopped after %zu of %zu rows\n", r.rowsWritten,
                     list.size());
        return 130;
    case CsvExportStatus::FileExists:
        Message(kCsvTextFileExists, "use --yes to replace it");
        return 2;
    default:
        Message(r.messageTextId(), r.error);
        return 1;
    }
}
