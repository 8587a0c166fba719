// brivona-tool track: exports the GPS track of a recording, or of every
// recording of a folder, as GPX, GeoJSON, KML or CSV.
#include "playcore/AtomicOutputFile.h"
#include "playcore/TrackExport.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

const char* help_track() {
    return "track [--format gpx|geojson|kml|csv] [-o OUT] FILE|FOLDER  export the GPS track";
}

namespace {

namespace fs = std::filesystem;
using namespace playcore;

const char kUsage[] =
    "usage: brivona-tool track [--format gpx|geojson|kml|csv] [-o OUT] FILE|FOLDER\n"
    "  Writes the valid GPS fixes (time, position, speed) of one recording, or of every\n"
    "  recording of a folder (three levels deep, in list order), to OUT or to stdout.\n"
    "  --format F  document format (default: from OUT's extension, else gpx)\n"
    "  -o OUT      output file, replaced only once it is completely written\n"
    "exit status: 0 written, 1 error\n";

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path` once it is on the disk.
bool WriteFileAtomically(const fs::path& path, const std::string& bytes, std::string* error) {
    AtomicOutputFile::Options options;
    options.mode = 0644;
    AtomicOutputFile file;
    if (!file.Open(path.string(), options) || !file.Write(bytes.data(), bytes.size()) ||
        !file.Commit()) {
        *error = file.error();
        return false;
    }
    return true;
}

} // namespace

int cmd_track(int argc, char** argv) {
    std::string formatName;
    std::string out;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((a == "--format" || a == "-f") && i + 1 < argc) {
            formatName = argv[++i];
        } else if ((a == "-o" || a == "--output") && i + 1 < argc) {
            out = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "brivona-tool track: unknown option '%s'\n%s", a.c_str(), kUsage);
            return 1;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    if (formatName.empty() && !out.empty()) {
        const std::string ext = fs::path(out).extension().string();
        formatName = ext.empty() ? "gpx" : ext.substr(1);
        if (!TrackFormatFromName(formatName)) {
            formatName = "gpx";
        }
    }
    const std::optional<TrackFormat> format =
        TrackFormatFromName(formatName.empty() ? "gpx" : formatName);
    if (!format) {
        std::fprintf(stderr, "brivona-tool track: unknown format '%s'\n%s", formatName.c_str(),
                     kUsage);
        return 1;
    }

    std::vector<RecordingTrack> tracks;
    std::vector<std::string> warnings;
    std::string error;
    if (!ReadTracks(positional[0], &tracks, &warnings, &error)) {
        std::fprintf(stderr, "brivona-tool track: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& w : warnings) {
        std::fprintf(stderr, "brivona-tool track: skipped %s\n", w.c_str());
    }
    std::size_t fixes = 0;
    for (const RecordingTrack& t : tracks) {
        fixes += t.fixes.size();
    }
    if (fixes == 0) {
        std::fprintf(stderr, "brivona-tool track: no valid GPS fix in %zu recording(s)\n",
                     tracks.size());
    }
    const std::string doc = FormatTracks(tracks, *format);
    if (out.empty()) {
        if (std::fwrite(doc.data(), 1, doc.size(), stdout) != doc.size() ||
            std::fflush(stdout) != 0) {
            std::fprintf(stderr, "brivona-tool track: cannot write the output\n");
            return 1;
        }
        return 0;
    }
    if (!WriteFileAtomically(out, doc, &error)) {
        std::fprintf(stderr, "brivona-tool track: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "brivona-tool track: %zu fixes of %zu recording(s) written to %s\n", fixes,
                 tracks.size(), out.c_str());
    return 0;
}
