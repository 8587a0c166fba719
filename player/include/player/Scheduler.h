// The presenter's scheduler thread: holds samples until they are due on the
// presentation clock and hands them to the present engine. A sample late by
// more than a quarter frame is presented at once; one more than three
// quarters early waits for the difference (scaled by the rate).
#pragma once

#include "player/VideoSample.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace player {

class PresentationClock;

// The present engine as seen by the scheduler.
class SchedulerCallback {
public:
    virtual ~SchedulerCallback() = default;
    // Presents the sample (or, with null, the last one again).
    virtual HResult PresentSample(VideoSample* sample, bool late) = 0;
};

class Scheduler {
public:
    // Thread messages.
    static constexpr int kTerminate = 1024;
    static constexpr int kSchedule = 1025;
    static constexpr int kFlush = 1026;

    Scheduler() = default;
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void SetCallback(SchedulerCallback* callback) { callback_ = callback; }
    // Frame duration in 100-ns units; a quarter of it is the tolerance.
    void SetFrameRate(int num, int den);
    int64_t FrameDuration() const { return frameDuration_; }
    void SetClockRate(float rate);
    int64_t LastPresentationTime() const { return lastPresentationTime_; }

    HResult StartScheduler(const PresentationClock* clock);
    HResult StopScheduler();
    bool IsRunning() const;
    // Queues the sample, or presents it at once when presentNow is set.
    HResult ScheduleSample(VideoSample* sample, bool presentNow);
    // Empties the queue; the samples are handed to `release`.
    HResult Flush();
    size_t QueuedCount() const;

    // Invoked with each sample dropped by a flush.
    std::function<void(VideoSample*)> releaseSample;

    // The decision for one sample: returns the wait in milliseconds before
    // it is due (0 = present now) and whether it is late.
    static int64_t WaitFor(int64_t sampleTime, int64_t clockTime, int64_t quarterFrame, float rate,
                           bool* late);

private:
    void ThreadProc();
    void PostMessage(int message);
    // Returns the next wait in ms, or -1 for "until a message".
    int64_t ProcessSamplesInQueue();

    SchedulerCallback* callback_ = nullptr;
    const PresentationClock* clock_ = nullptr;
    float rate_ = 1.0f;
    int64_t frameDuration_ = kHnsPerSecond / 30;
    int64_t quarterFrame_ = kHnsPerSecond / 120;
    int64_t lastPresentationTime_ = 0;

    mutable std::mutex queueMutex_;
    std::deque<VideoSample*> samples_;

    std::mutex messageMutex_;
    std::condition_variable messageCv_;
    std::deque<int> messages_;
    bool flushDone_ = false;
    std::condition_variable flushCv_;

    std::thread thread_;
    bool running_ = false;
};

} // namespace player
