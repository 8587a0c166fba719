#include "player/Scheduler.h"

#include "player/PresentationClock.h"

#include <chrono>
#include <cmath>

namespace player {

Scheduler::~Scheduler() {
    StopScheduler();
}

void Scheduler::SetFrameRate(int num, int den) {
    if (num <= 0 || den <= 0) {
        num = 30;
        den = 1;
    }
    frameDuration_ = static_cast<int64_t>(kHnsPerSecond) * den / num;
    quarterFrame_ = frameDuration_ / 4;
}

void Scheduler::SetClockRate(float rate) {
    rate_ = rate;
}

bool Scheduler::IsRunning() const {
    return running_;
}

HResult Scheduler::StartScheduler(const PresentationClock* clock) {
    if (running_) {
        return kUnexpected;
    }
    clock_ = clock;
    {
        std::lock_guard lock(messageMutex_);
        messages_.clear();
    }
    running_ = true;
    thread_ = std::thread([this] { ThreadProc(); });
    return kOk;
}

HResult Scheduler::StopScheduler() {
    if (!running_) {
        return kOk;
    }
    PostMessage(kTerminate);
    thread_.join();
    running_ = false;
    std::deque<VideoSample*> left;
    {
        std::lock_guard lock(queueMutex_);
        left.swap(samples_);
    }
    for (VideoSample* s : left) {
        if (releaseSample) {
            releaseSample(s);
        }
    }
    clock_ = nullptr;
    return kOk;
}

void Scheduler::PostMessage(int message) {
    std::lock_guard lock(messageMutex_);
    messages_.push_back(message);
    messageCv_.notify_all();
}

HResult Scheduler::ScheduleSample(VideoSample* sample, bool presentNow) {
    if (callback_ == nullptr) {
        return kNotInitialized;
    }
    if (!running_) {
        return kFail;
    }
    if (presentNow || clock_ == nullptr) {
        lastPresentationTime_ = sample->time >= 0 ? sample->time : lastPresentationTime_;
        return callback_->PresentSample(sample, false);
    }
    {
        std::lock_guard lock(queueMutex_);
        samples_.push_back(sample);
    }
    PostMessage(kSchedule);
    return kOk;
}

HResult Scheduler::Flush() {
    if (!running_) {
        return kOk;
    }
    {
        std::lock_guard lock(messageMutex_);
        flushDone_ = false;
        messages_.push_back(kFlush);
        messageCv_.notify_all();
    }
    std::unique_lock lock(messageMutex_);
    flushCv_.wait_for(lock, std::chrono::milliseconds(5000), [&] { return flushDone_; });
    return kOk;
}

size_t Scheduler::QueuedCount() const {
    std::lock_guard lock(queueMutex_);
    return samples_.size();
}

int64_t Scheduler::WaitFor(int64_t sampleTime, int64_t clockTime, int64_t quarterFrame, float rate,
                           bool* late) {
    int64_t delta = sampleTime - clockTime;
    if (rate < 0) {
        delta = -delta;
    }
    *late = false;
    if (delta < -quarterFrame) {
        *late = true;
        return 0;
    }
    if (delta > 3 * quarterFrame) {
        const double r = std::fabs(rate) > 0 ? std::fabs(rate) : 1.0;
        const auto ms =
            static_cast<int64_t>(static_cast<double>(delta - 3 * quarterFrame) / 10000.0 / r);
        return ms > 0 ? ms : 1;
    }
    return 0;
}

int64_t Scheduler::ProcessSamplesInQueue() {
    for (;;) {
        VideoSample* sample = nullptr;
        {
            std::lock_guard lock(queueMutex_);
            if (samples_.empty()) {
                return -1;
            }
            sample = samples_.front();
            samples_.pop_front();
        }
        bool late = false;
        int64_t wait = 0;
        if (clock_ != nullptr && sample->time >= 0) {
            wait = WaitFor(sample->time, clock_->GetTime(), quarterFrame_, rate_, &late);
        }
        if (wait > 0) {
            std::lock_guard lock(queueMutex_);
            samples_.push_front(sample);
            return wait;
        }
        if (sample->time >= 0) {
            lastPresentationTime_ = sample->time;
        }
        callback_->PresentSample(sample, late);
    }
}

void Scheduler::ThreadProc() {
    int64_t timeoutMs = -1;
    for (;;) {
        int message = 0;
        {
            std::unique_lock lock(messageMutex_);
            auto ready = [&] { return !messages_.empty(); };
            bool got;
            if (timeoutMs < 0) {
                messageCv_.wait(lock, ready);
                got = true;
            } else {
                got = messageCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
            }
            if (got) {
                message = messages_.front();
                messages_.pop_front();
            }
        }
        switch (message) {
        case 0: // timeout
        case kSchedule:
            timeoutMs = ProcessSamplesInQueue();
            break;
        case kTerminate:
            return;
        case kFlush: {
            std::deque<VideoSample*> dropped;
            {
                std::lock_guard lock(queueMutex_);
                dropped.swap(samples_);
            }
            for (VideoSample* s : dropped) {
                if (releaseSample) {
                    releaseSample(s);
                }
            }
            std::lock_guard lock(messageMutex_);
            flushDone_ = true;
            flushCv_.notify_all();
            timeoutMs = -1;
            break;
        }
        default:
            break;
        }
    }
}

} // namespace player
