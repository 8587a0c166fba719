#include "InertiaWorker.h"

#include "CameraPort.h"

#include <chrono>
#include <cstdlib>

namespace kestrel {

bool InertiaStep(player::CMoment& m, int displayMode) {
    if (std::abs(m.velocityX) <= 3 && std::abs(m.velocityY) <= 3) {
        return false;
    }
    if (m.velocityX != 0) {
        m.velocityX = static_cast<int>(m.velocityX * 0.99);
    }
    if (m.velocityY != 0) {
        m.velocityY = static_cast<int>(m.velocityY * 0.99);
    }
    m.accumX += m.velocityX;
    m.accumY += m.velocityY;
    if (displayMode == 4) {
        m.velocityY = 0;
        m.accumY = 0;
        m.accumX /= 2;
    }
    return true;
}

InertiaWorker::~InertiaWorker() {
    Stop();
}

void InertiaWorker::Bind(CameraPort* camera, player::CMoment* moment,
                         std::function<int()> displayMode) {
    std::lock_guard<std::mutex> lock(mutex_);
    camera_ = camera;
    moment_ = moment;
    displayMode_ = std::move(displayMode);
}

void InertiaWorker::Resume() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        resumeRequested_ = true;
        if (!thread_.joinable()) {
            stop_ = false;
            thread_ = std::thread([this] { Run(); });
        }
    }
    wake_.notify_all();
}

void InertiaWorker::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void InertiaWorker::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait(lock, [this] { return stop_ || resumeRequested_; });
        if (stop_) {
            break;
        }
        resumeRequested_ = false;
        active_ = true;
        while (!stop_ && !resumeRequested_) {
            CameraPort* camera = camera_;
            player::CMoment* moment = moment_;
            const int mode = displayMode_ ? displayMode_() : 0;
            if (camera == nullptr || moment == nullptr) {
                break;
            }
            lock.unlock();
            const bool going = InertiaStep(*moment, mode);
            if (going) {
                camera->DragBy(moment->accumX, moment->accumY);
            } else {
                camera->EndDrag();
            }
            lock.lock();
            if (!going) {
                break;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                           [this] { return stop_.load(); });
        }
        active_ = false;
    }
}

} // namespace kestrel
