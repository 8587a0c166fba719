// The GPS track of a whole folder of recordings, which the map draws beside
// the track of the recording being played. The main window owns one list;
// its mutex serialises every reader and writer of it across threads.
#pragma once

#include "playcore/GpsSample.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace playcore {

class FolderGpsList {
public:
    FolderGpsList() = default;
    FolderGpsList(const FolderGpsList&) = delete;
    FolderGpsList& operator=(const FolderGpsList&) = delete;

    // Replaces the list by the GPS samples of the files in order: the first
    // "gps0" box among each file's top-level boxes (wherever it lies),
    // indices restarting at 0 per file, frames index × 100. A file that
    // cannot be opened or read ends the walk with false; the samples of the
    // files before it stay. `error` receives the path and the reason.
    bool Read(const std::vector<std::string>& paths, std::string* error = nullptr);

    // The same for recording descriptors (any type with `mainPath` and
    // `rearPath`): the main file of each, or the rear file when there is no
    // main file.
    template <class Descriptors>
    bool ReadRecordings(const Descriptors& recordings, std::string* error = nullptr) {
        std::vector<std::string> paths;
        for (const auto& r : recordings) {
            paths.push_back(r.mainPath.empty() ? r.rearPath : r.mainPath);
        }
        return Read(paths, error);
    }

    // Empties the list and gives its memory back.
    void Free();

    // A copy of the samples.
    std::vector<GpsSample> Samples() const;
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::vector<GpsSample> samples_;
};

} // namespace playcore
