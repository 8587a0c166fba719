// The record that stands for one recording (a main and a rear file) or one
// folder entry everywhere in the program, and the steps that make them.
// Lists of descriptors are vectors that own their elements; filtering,
// sorting and handing a selection on copy descriptors by value.
#pragma once

#include "playcore/CalendarTime.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace playcore {

struct RecordingDescriptor {
    std::string mainPath; // full path of the main-camera file; "" when none
    std::string mainName; // file-name part of mainPath
    std::string rearPath; // full path of the rear-camera file; "" when none
    std::string rearName; // file-name part of rearPath
    // Position in the collection it was made for (0, 1, 2 ... in creation
    // order, restarted with every new collection); -1 for a folder entry.
    int32_t listIndex = 0;
    // Process-wide creation number, never reset; -1 for a folder entry.
    int32_t serial = 0;
    int32_t group = 0; // 0 for a recording, -1 for a folder entry
    // First UTF-16 unit of mainName when mainName has a trigger code, else 0.
    int32_t nameInitial = 0;
    int32_t marked = 0; // 1 while a running command holds the entry
    // 1 when the trigger of mainName (rearName when mainName is empty) is a
    // parking trigger (codes 3, 4, 7, 8).
    int32_t parking = 0;
    // Set when the recording is opened for playback: 3 for a 720-line rear
    // video, 5 for 1080 lines, else 0.
    int32_t resolutionCode = 0;
    float frameRate = 0.0f; // set at playback: 1000 / frame period in ms
    CalendarTime startTime; // set at playback: first GPS sample's date and time
    CalendarTime endTime;   // not filled by any step; stays zero
    // File sizes in bytes as found at creation, 0 when the file did not open;
    // all bits set for a folder entry.
    uint64_t mainSize = 0;
    uint64_t rearSize = 0;

    friend bool operator==(const RecordingDescriptor&, const RecordingDescriptor&) = default;
};

using RecordingList = std::vector<RecordingDescriptor>;

inline constexpr uint64_t kFolderEntrySize = ~uint64_t{0};

// The process-wide creation numbers of descriptors. The application owns one
// and hands it to everything that makes descriptors, so `serial` stays unique
// for the life of the process; safe to use from several threads.
class SerialCounter {
public:
    int32_t Next() { return next_.fetch_add(1, std::memory_order_relaxed); }
    int32_t Peek() const { return next_.load(std::memory_order_relaxed); }

private:
    std::atomic<int32_t> next_{0};
};

// The running state of one collection: the list counter that numbers
// `listIndex`, and the serial counter of the process.
struct DescriptorCounters {
    explicit DescriptorCounters(SerialCounter& s) : serials(&s) {}
    int32_t listCounter = 0;
    SerialCounter* serials;
};

// The name that stands for a descriptor: mainName, or rearName when
// mainName is empty.
const std::string& DescriptorName(const RecordingDescriptor& d);

// Decides which camera `path` belongs to (main or rear by its name), finds
// its partner and returns both paths. False when the name is neither, or when
// the main path is already a mainPath, or the rear path already a rearPath,
// of a descriptor in `list` (a pair is listed once, from whichever of its two
// files is met first).
bool PairRecordingFile(const std::string& path, const RecordingList& list, std::string& mainOut,
                       std::string& rearOut);

// Appends a descriptor for the pair. False, appending nothing, when neither
// name is a recording name of its camera with a ".mp4" extension (any case),
// or when neither file can be opened; the counters advance whenever the
// names were accepted. Sizes are the files' full 64-bit sizes.
bool MakeRecordingDescriptor(const std::string& mainPath, const std::string& rearPath,
                             RecordingList& list, DescriptorCounters& counters);

// Appends a folder entry: mainPath = the folder, mainName = its last component.
void MakeFolderDescriptor(const std::string& folderPath, RecordingList& list);

} // namespace playcore
