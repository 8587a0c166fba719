// The sensor tracks of one movie player slot (main camera or rear camera):
// the track in use by the displays, the track being loaded for the movie
// being opened, and a preloaded track for the file expected next.
//
// Threads: Preload() runs on a worker (the open thread or the preload
// thread), Load() on the open thread or the user-interface thread, Commit()
// and the readers of inUse() on the user-interface thread. The slot's mutex
// is held around every load and move; Load() cancels a preload of another
// file and waits for one of the same file, whose track it then takes over
// instead of reading the file again.
#pragma once

#include "playcore/CalendarTime.h"
#include "playcore/GpsSample.h"
#include "playcore/SensorTrack.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace playcore {

// What the commit hands to the current recording and the acceleration graph.
struct SensorCommit {
    bool hasGps = false;    // the committed track has GPS samples
    CalendarTime startTime; // first GPS sample's date and time (when hasGps)
    float frameRate = 0.0f; // 1000 / frame period (when hasGps)
    // Graph step values of channels 0..2: each header reference value above
    // 0; none leaves the channel's step as it was. Only set when hasGps.
    std::array<std::optional<double>, 3> stepValues;

    // Stores startTime and frameRate into a recording descriptor (any type
    // with those two members) when the track had GPS samples.
    template <class Descriptor> void ApplyTo(Descriptor& d) const {
        if (hasGps) {
            d.startTime = startTime;
            d.frameRate = frameRate;
        }
    }
    // Replaces the channels' step values that the header gives.
    void ApplySteps(double (&steps)[3]) const {
        for (int c = 0; c < 3; ++c) {
            if (stepValues[static_cast<std::size_t>(c)]) {
                steps[c] = *stepValues[static_cast<std::size_t>(c)];
            }
        }
    }
};

class SensorSlot {
public:
    SensorSlot() = default;
    SensorSlot(const SensorSlot&) = delete;
    SensorSlot& operator=(const SensorSlot&) = delete;

    // Reads `path` into the preload track, replacing what it held; an empty
    // path only empties it. A preload running in this slot is cancelled
    // first. Blocks until done.
    void Preload(const std::string& path);

    // Loads the sensor track of the movie being opened into the loading
    // track and builds its frame map for `frameCount` frames of
    // `framePeriodMs`. Reuses the preloaded track when it holds exactly this
    // path. False when the file cannot be read or the map cannot be built
    // (the samples stay in the loading track then).
    bool Load(const std::string& path, int32_t frameCount, float framePeriodMs,
              std::string* error = nullptr);

    // Moves the loading track into the track in use (the loading track is
    // left empty) and says what the displays take over from it.
    SensorCommit Commit();

    // Releases all three tracks.
    void Close();

    // A copy of the in-use track's GPS samples, taken under the slot's
    // mutex; false (and `out` emptied) when no track is in use.
    bool CopyGpsInUse(std::vector<GpsSample>* out) const;

    // Whether a preload is running or waiting for the slot.
    bool preloadActive() const {
        std::lock_guard<std::mutex> state(stateMutex_);
        return preloadsActive_ > 0;
    }

    // The tracks, for the thread that commits (in use) or for inspection.
    // Their contents change under the slot's mutex only.
    const SensorTrack& inUse() const { return inUse_; }
    SensorTrack& inUse() { return inUse_; }
    const SensorTrack& loading() const { return loading_; }
    const SensorTrack& preloaded() const { return preload_; }

private:
    mutable std::mutex mutex_; // the slot's mutex: loads and moves
    SensorTrack inUse_;
    SensorTrack loading_;
    SensorTrack preload_;

    // Bookkeeping of the preloads that are running or waiting for the slot.
    mutable std::mutex stateMutex_;
    std::condition_variable preloadsDone_;
    int preloadsActive_ = 0;
    std::string preloadPath_; // path of the latest preload asked for
    bool preloadCancelled_ = false;
};

// The preload of the next recording: the main camera's slot with the main
// path, or, when that is empty, the rear camera's slot with the rear path
// (an empty rear path leaves the rear slot's preload track empty).
void PreloadSensorTracks(SensorSlot& mainSlot, SensorSlot& rearSlot, const std::string& mainPath,
                         const std::string& rearPath);

// The GPS samples of the track in use of the active camera's slot: the main
// camera's when it has a movie open, else the rear camera's. False when that
// slot has no track in use.
bool CopyGpsListInUse(const SensorSlot& mainSlot, const SensorSlot& rearSlot, bool mainHasMovie,
                      std::vector<GpsSample>* out);

} // namespace playcore
