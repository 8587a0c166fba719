// The presentation clock of one session: media time in 100-ns units. While
// sound plays, the audio output's position drives it; otherwise a monotonic
// time source scaled by the rate. The time source can be replaced (tests).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace player {

class PresentationClock {
public:
    // Monotonic time in nanoseconds.
    using TimeSource = std::function<int64_t()>;
    // Media time (100 ns) of the sound being heard now; false when no sound
    // is playing (nothing queued, muted branch, no device).
    using AudioPosition = std::function<bool(int64_t* hns)>;

    explicit PresentationClock(TimeSource source = SteadyTime());

    static TimeSource SteadyTime();

    // Moves the clock to a media time; keeps running or paused.
    void SetTime(int64_t hns);
    void Start();
    void Pause();
    bool IsRunning() const;
    void SetRate(double rate);
    double Rate() const;
    void SetAudioPosition(AudioPosition audio);

    // Current media time in 100-ns units.
    int64_t GetTime() const;

private:
    int64_t MonotonicLocked(int64_t nowNs) const;

    TimeSource source_;
    AudioPosition audio_;
    mutable std::mutex mutex_;
    bool running_ = false;
    double rate_ = 1.0;
    mutable int64_t baseMedia_ = 0; // media time at baseWall_
    mutable int64_t baseWall_ = 0;  // time source reading, ns
    mutable int64_t floor_ = 0;     // the clock never runs backwards between SetTime calls
};

} // namespace player
