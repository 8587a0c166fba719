#include "player/PresentationClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace player {

PresentationClock::PresentationClock(TimeSource source) : source_(std::move(source)) {
    baseWall_ = source_();
}

PresentationClock::TimeSource PresentationClock::SteadyTime() {
    return [] {
        return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
    };
}

int64_t PresentationClock::MonotonicLocked(int64_t nowNs) const {
    if (!running_) {
        return baseMedia_;
    }
    const double elapsedHns = static_cast<double>(nowNs - baseWall_) / 100.0 * rate_;
    return baseMedia_ + static_cast<int64_t>(std::llround(elapsedHns));
}

void PresentationClock::SetTime(int64_t hns) {
    std::lock_guard lock(mutex_);
    baseMedia_ = hns;
    baseWall_ = source_();
    floor_ = hns;
}

void PresentationClock::Start() {
    std::lock_guard lock(mutex_);
    if (!running_) {
        baseWall_ = source_();
        running_ = true;
    }
}

void PresentationClock::Pause() {
    std::lock_guard lock(mutex_);
    if (running_) {
        const int64_t now = source_();
        baseMedia_ = MonotonicLocked(now);
        baseWall_ = now;
        running_ = false;
    }
}

bool PresentationClock::IsRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void PresentationClock::SetRate(double rate) {
    std::lock_guard lock(mutex_);
    const int64_t now = source_();
    baseMedia_ = MonotonicLocked(now);
    baseWall_ = now;
    rate_ = rate;
}

double PresentationClock::Rate() const {
    std::lock_guard lock(mutex_);
    return rate_;
}

void PresentationClock::SetAudioPosition(AudioPosition audio) {
    std::lock_guard lock(mutex_);
    audio_ = std::move(audio);
}

int64_t PresentationClock::GetTime() const {
    std::lock_guard lock(mutex_);
    const int64_t now = source_();
    int64_t audioHns = 0;
    if (running_ && audio_ && audio_(&audioHns)) {
        // Re-anchor the monotonic clock on the sound so that losing the sound
        // (end of the audio stream, a mute) continues without a jump. While
        // the device is still catching up (its start-up latency) the clock
        // holds rather than running backwards.
        baseMedia_ = audioHns;
        baseWall_ = now;
        floor_ = std::max(floor_, audioHns);
        return floor_;
    }
    const int64_t t = MonotonicLocked(now);
    if (running_ && rate_ >= 0) {
        floor_ = std::max(floor_, t);
        return floor_;
    }
    return t;
}

} // namespace player
