// The fling inertia of a movie view: a thread that, once resumed, keeps
// turning the view every 30 ms with the last velocity decaying by 0.99 per
// step, until the velocity has fallen to 3 pixels per step or less; then it
// ends the drag and waits for the next fling. The panorama only scrolls
// sideways, at half the accumulated amount.
#pragma once

#include <player/CMoment.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrel {

class CameraPort;

// One inertia step on the drag record; true while the fling goes on (the
// caller then drags by the accumulated amounts), false once it has died down.
bool InertiaStep(player::CMoment& moment, int displayMode);

class InertiaWorker {
public:
    static constexpr int kPeriodMs = 30;

    InertiaWorker() = default;
    ~InertiaWorker();
    InertiaWorker(const InertiaWorker&) = delete;
    InertiaWorker& operator=(const InertiaWorker&) = delete;

    // The camera and record to act on; the display mode is read at each step.
    void Bind(CameraPort* camera, player::CMoment* moment, std::function<int()> displayMode);
    // Starts the thread on first use, then wakes it.
    void Resume();
    // Stops and joins the thread.
    void Stop();
    bool running() const { return active_; }

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> active_{false};
    bool resumeRequested_ = false;
    CameraPort* camera_ = nullptr;
    player::CMoment* moment_ = nullptr;
    std::function<int()> displayMode_;
};

} // namespace kestrel
