// The controller pad's worker thread: while an arrow button is held it turns
// the camera's view by 30 drag units every 30 ms (a drag then its commit);
// while reset is held it resets the view over and over; with nothing held it
// sleeps until the next press.
#pragma once

#include <player/CMoment.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrel {

class CameraPort;

class PadWorker {
public:
    static constexpr int kPeriodMs = 30;

    PadWorker() = default;
    ~PadWorker();
    PadWorker(const PadWorker&) = delete;
    PadWorker& operator=(const PadWorker&) = delete;

    // Stops a previous thread (and waits for it), then starts a new one.
    void Restart();
    void Stop();
    bool exists() const { return thread_.joinable(); }

    void Bind(CameraPort* camera, player::CMoment* moment);
    // A button went down (the held id) or up (0).
    void SetHeld(int id);
    int held() const { return held_; }

    // Clears the record, ends the drag, resets the view, repaints and ends the
    // drag again: the pad's reset.
    static void ResetView(CameraPort& camera, player::CMoment& moment);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> held_{0};
    CameraPort* camera_ = nullptr;
    player::CMoment* moment_ = nullptr;
};

} // namespace kestrel
