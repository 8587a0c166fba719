#include "PadWorker.h"

#include "CameraPort.h"
#include "PadPlacement.h"

#include <chrono>

namespace kestrel {

PadWorker::~PadWorker() {
    Stop();
}

void PadWorker::Restart() {
    Stop();
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void PadWorker::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PadWorker::Bind(CameraPort* camera, player::CMoment* moment) {
    std::lock_guard<std::mutex> lock(mutex_);
    camera_ = camera;
    moment_ = moment;
}

void PadWorker::SetHeld(int id) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ = id;
    }
    wake_.notify_all();
}

void PadWorker::ResetView(CameraPort& camera, player::CMoment& moment) {
    moment.Clear();
    camera.EndDrag();
    camera.ResetView();
    camera.Repaint();
    camera.EndDrag();
}

void PadWorker::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait(lock, [this] { return stop_ || held_ != 0; });
        if (stop_) {
            break;
        }
        const int id = held_;
        CameraPort* camera = camera_;
        player::CMoment* moment = moment_;
        if (camera == nullptr || moment == nullptr) {
            wake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                           [this] { return stop_.load(); });
            continue;
        }
        lock.unlock();
        if (id == PadReset) {
            ResetView(*camera, *moment);
        } else {
            const QPoint step = PadDragStep(id);
            camera->DragBy(step.x(), step.y());
            camera->EndDrag();
        }
        lock.lock();
        // A short pause between resets too, so a held reset does not spin.
        wake_.wait_for(lock, std::chrono::milliseconds(id == PadReset ? 5 : kPeriodMs),
                       [this] { return stop_.load(); });
    }
}

} // namespace kestrel
