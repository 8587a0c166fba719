#include "playcore/FolderGpsList.h"

#include "playcore/MappedFile.h"
#include "playcore/SensorDecoder.h"
#include "playcore/TagScan.h"

#include <new>
#include <span>

namespace playcore {

namespace {

// Appends the GPS samples of one file's first "gps0" box.
bool AppendFileGps(const std::string& path, std::vector<GpsSample>* out, std::string* error) {
    MappedFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        *error = path + ": " + reason;
        return false;
    }
    TagDescriptor gps0("gps0", [out](const ScanView& view) {
        DecodeSensorRecords(std::span<const uint8_t>(view.data, view.size), out, nullptr);
        return 0;
    });
    const ScanResult scan = BoxWalk(file, gps0, nullptr, kSearchWindow, 0);
    if (!scan.ok()) {
        *error = path + ": " + (scan.error.empty() ? "cannot be read" : scan.error);
        return false;
    }
    return true;
}

} // namespace

bool FolderGpsList::Read(const std::vector<std::string>& paths, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<GpsSample>().swap(samples_);
    std::string reason;
    try {
        for (const std::string& path : paths) {
            if (!AppendFileGps(path, &samples_, &reason)) {
                if (error != nullptr) {
                    *error = reason;
                }
                return false;
            }
        }
    } catch (const std::bad_alloc&) {
        if (error != nullptr) {
            *error = "out of memory";
        }
        return false;
    }
    return true;
}

void FolderGpsList::Free() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<GpsSample>().swap(samples_);
}

std::vector<GpsSample> FolderGpsList::Samples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

std::size_t FolderGpsList::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_.size();
}

} // namespace playcore
