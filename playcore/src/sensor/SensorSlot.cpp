#include "playcore/SensorSlot.h"

namespace playcore {

void SensorSlot::Preload(const std::string& path) {
    {
        std::lock_guard<std::mutex> state(stateMutex_);
        ++preloadsActive_;
        preloadPath_ = path;
        preloadCancelled_ = false;
    }
    // Stop a preload of this slot that is still reading another file.
    preload_.RequestCancel();
    {
        std::lock_guard<std::mutex> slot(mutex_);
        bool cancelled = false;
        {
            std::lock_guard<std::mutex> state(stateMutex_);
            cancelled = preloadCancelled_;
        }
        // The request was meant for the scan that held the slot before us;
        // left standing it would make this load fail at its first box.
        preload_.ClearCancel();
        preload_.Release();
        if (!cancelled && !path.empty()) {
            preload_.Load(path);
        }
    }
    {
        std::lock_guard<std::mutex> state(stateMutex_);
        --preloadsActive_;
    }
    preloadsDone_.notify_all();
}

bool SensorSlot::Load(const std::string& path, int32_t frameCount, float framePeriodMs,
                      std::string* error) {
    {
        std::unique_lock<std::mutex> state(stateMutex_);
        if (preloadsActive_ > 0 && preloadPath_ != path) {
            // Reading a file that is not the one being opened: stop it.
            preloadCancelled_ = true;
            preload_.RequestCancel();
        }
        preloadsDone_.wait(state, [this] { return preloadsActive_ == 0; });
        preloadCancelled_ = false;
    }
    std::lock_guard<std::mutex> slot(mutex_);
    preload_.ClearCancel();
    if (preload_.loaded() && preload_.path() == path) {
        MoveTrack(preload_, loading_);
    } else {
        loading_.Release();
        if (!loading_.Load(path, error)) {
            return false;
        }
    }
    return loading_.BuildFrameMap(frameCount, framePeriodMs);
}

SensorCommit SensorSlot::Commit() {
    std::lock_guard<std::mutex> slot(mutex_);
    SensorCommit result;
    result.hasGps = MoveTrack(loading_, inUse_);
    if (result.hasGps) {
        result.startTime = inUse_.gps().front().time;
        const float period = inUse_.framePeriodMs();
        result.frameRate = period > 0.0f ? 1000.0f / period : 0.0f;
        if (inUse_.hasHeader()) {
            for (std::size_t c = 0; c < 3; ++c) {
                const float ref = inUse_.header().ref[c];
                if (ref > 0.0f) {
                    result.stepValues[c] = static_cast<double>(ref);
                }
            }
        }
    }
    return result;
}

void SensorSlot::Close() {
    // Stop a preload still reading, then empty everything.
    preload_.RequestCancel();
    std::lock_guard<std::mutex> slot(mutex_);
    preload_.ClearCancel();
    inUse_.Release();
    loading_.Release();
    preload_.Release();
}

bool SensorSlot::CopyGpsInUse(std::vector<GpsSample>* out) const {
    std::lock_guard<std::mutex> slot(mutex_);
    out->clear();
    if (!inUse_.loaded()) {
        return false;
    }
    *out = inUse_.gps();
    return true;
}

void PreloadSensorTracks(SensorSlot& mainSlot, SensorSlot& rearSlot, const std::string& mainPath,
                         const std::string& rearPath) {
    if (!mainPath.empty()) {
        mainSlot.Preload(mainPath);
    } else {
        rearSlot.Preload(rearPath);
    }
}

bool CopyGpsListInUse(const SensorSlot& mainSlot, const SensorSlot& rearSlot, bool mainHasMovie,
                      std::vector<GpsSample>* out) {
    return (mainHasMovie ? mainSlot : rearSlot).CopyGpsInUse(out);
}

} // namespace playcore
