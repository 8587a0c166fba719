#include "playcore/FolderScan.h"
#include "playcore/RecordingDescriptor.h"
#include "playcore/RecordingNames.h"
#include "playcore/SensorTrack.h"
#include "playcore/TrackExport.h"

#include <cmath>
#include <filesystem>

namespace playcore {

namespace fs = std::filesystem;

bool ReadRecordingTrack(const std::string& path, RecordingTrack* out, std::string* error) {
    out->path = path;
    out->name = std::string(FileNamePart(path));
    out->fixes.clear();
    SensorTrack track;
    std::string why;
    if (!track.Load(path, &why)) {
        if (error != nullptr) {
            *error = path + ": " + (why.empty() ? "cannot be read" : why);
        }
        return false;
    }
    const std::vector<GpsSample>& gps = track.gps();
    int run = 0;
    for (std::size_t i = 0; i < gps.size(); ++i) {
        const GpsSample& g = gps[i];
        // Count every record of the same stamp, valid or not, so the step
        // follows the records' own 100 ms spacing.
        run = (i > 0 && gps[i - 1].time == g.time) ? run + 1 : 0;
        if (g.valid != 1 || !std::isfinite(g.lat) || !std::isfinite(g.lng) ||
            std::fabs(g.lat) > 90.0 || std::fabs(g.lng) > 180.0) {
            continue;
        }
        TrackFix f;
        f.record = g.index;
        f.lat = g.lat;
        f.lng = g.lng;
        f.speedKmh = std::isfinite(g.speed) ? g.speed : 0.0;
        f.time = g.time;
        f.time.milliseconds = static_cast<uint16_t>((run > 9 ? 9 : run) * 100);
        out->fixes.push_back(f);
    }
    return true;
}

bool ReadTracks(const std::string& fileOrFolder, std::vector<RecordingTrack>* out,
                std::vector<std::string>* warnings, std::string* error) {
    out->clear();
    std::error_code ec;
    const fs::file_status st = fs::status(fileOrFolder, ec);
    if (ec || !fs::exists(st)) {
        if (error != nullptr) {
            *error = fileOrFolder + ": no such file or folder";
        }
        return false;
    }
    if (!fs::is_directory(st)) {
        RecordingTrack t;
        if (!ReadRecordingTrack(fileOrFolder, &t, error)) {
            return false;
        }
        out->push_back(std::move(t));
        return true;
    }
    std::string folder = fileOrFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    SerialCounter serials;
    DescriptorCounters counters(serials);
    RecordingList list;
    ScanRecursive(folder, list, nullptr, 0, counters);
    for (const RecordingDescriptor& r : list) {
        const std::string& path = r.mainPath.empty() ? r.rearPath : r.mainPath;
        RecordingTrack t;
        std::string why;
        if (!ReadRecordingTrack(path, &t, &why)) {
            if (warnings != nullptr) {
                warnings->push_back(why);
            }
            continue;
        }
        out->push_back(std::move(t));
    }
    return true;
}

} // namespace playcore
