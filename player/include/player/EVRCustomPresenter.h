// The presenter at the end of the video branch: pulls decoded pictures from
// the mixer into its two samples, one per trigger, times them with the
// scheduler against the presentation clock and hands them to the present
// engine. Also repaints, steps frame by frame and flushes on seek and stop.
#pragma once

#include "player/D3DRawObj2.h"
#include "player/SamplePool.h"
#include "player/Scheduler.h"
#include "player/VideoSample.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace player {

class D3DPresentEngine;
class PresentationClock;
class VideoMixer;

struct NormalizedRect {
    float left = 0.0f, top = 0.0f, right = 1.0f, bottom = 1.0f;
};

class EVRCustomPresenter {
public:
    enum RenderState { RenderStarted = 1, RenderStopped = 2, RenderPaused = 3, RenderShutdown = 4 };
    enum FrameStepState {
        StepNone = 0,
        StepWaitingStart = 1,
        StepPending = 2,
        StepScheduled = 3,
        StepComplete = 4
    };
    enum Message {
        MsgFlush,
        MsgInvalidateMediaType,
        MsgProcessInputNotify,
        MsgBeginStreaming,
        MsgEndStreaming,
        MsgEndOfStream,
        MsgStep,
        MsgCancelStep
    };
    // Events sent to the renderer's owner.
    static constexpr int kEventComplete = 1;      // the last frame of the stream was presented
    static constexpr int kEventErrorAbort = 3;    // delivering failed
    static constexpr int kEventScrubTime = 35;    // time of a step at rate 0
    static constexpr int kEventStepComplete = 36; // param: 1 when cancelled
    static constexpr int kEventProcessingLatency = 33;
    // A start "from the current position" (no seek).
    static constexpr int64_t kPositionCurrent = INT64_MAX;

    explicit EVRCustomPresenter(D3DPresentEngine* engine);
    ~EVRCustomPresenter();
    EVRCustomPresenter(const EVRCustomPresenter&) = delete;
    EVRCustomPresenter& operator=(const EVRCustomPresenter&) = delete;

    // Event sink: (event, parameter).
    std::function<void(int, int64_t)> eventSink;

    HResult InitServicePointers(VideoMixer* mixer, const PresentationClock* clock);
    HResult ReleaseServicePointers();

    HResult OnClockStart(int64_t startOffset);
    HResult OnClockStop();
    HResult OnClockPause();
    HResult OnClockRestart();
    HResult OnClockSetRate(float rate);
    HResult ProcessMessage(Message message, int64_t param = 0);

    // Negotiates the output type with the mixer: the source frame size, the
    // frame duration from the stream's rate (1/30 s without one), two samples.
    HResult SetMediaType(const VideoFormat& format);
    bool HasMediaType() const;
    int64_t FrameDuration() const { return scheduler_.FrameDuration(); }

    HResult RepaintVideo();
    HResult SetVideoPosition(const NormalizedRect* source, const PixelRect* destination);
    HResult GetNativeVideoSize(int* width, int* height, int* aspectX, int* aspectY) const;
    void SetAspectRatioMode(int mode);
    int GetAspectRatioMode() const;

    // Rate support: the slowest rate is 0; the fastest is unbounded when
    // thinning is allowed, otherwise display refresh × den / num.
    float GetSlowestRate() const { return 0.0f; }
    float GetFastestRate(bool thin) const;
    HResult IsRateSupported(bool thin, float rate, float* nearest) const;

    void SetPullOnFree(bool on);
    bool PullOnFree() const;
    RenderState State() const;
    FrameStepState StepState() const;
    float Rate() const;
    // The end time (100 ns) of the last picture delivered.
    int64_t LastSampleEnd() const;

    // A sample came back from the present engine.
    void OnSampleFree(VideoSample* sample);

    // Test hooks: the gating flags and the pool.
    int PassOne() const { return passOne_; }
    int Hold() const { return hold_; }
    SamplePool& Pool() { return pool_; }
    Scheduler& GetScheduler() { return scheduler_; }

private:
    HResult ProcessInputNotify();
    void TriggerOutput();
    void ProcessOutputLoop();
    HResult ProcessOutput();
    HResult DeliverSample(VideoSample* sample, bool repaint);
    HResult DeliverFrameStepSample(VideoSample* sample);
    HResult StartFrameStep();
    HResult CompleteFrameStep(VideoSample* sample);
    HResult CancelFrameStep();
    void CheckEndOfStream();
    HResult Flush();
    void ReleaseResources();
    void ReturnToPool(VideoSample* sample);
    bool IsActive() const { return renderState_ == RenderStarted || renderState_ == RenderPaused; }

    mutable std::recursive_mutex lock_;
    D3DPresentEngine* engine_;
    VideoMixer* mixer_ = nullptr;
    const PresentationClock* clock_ = nullptr;
    SamplePool pool_;
    Scheduler scheduler_;

    RenderState renderState_ = RenderShutdown;
    FrameStepState stepState_ = StepNone;
    int stepsRemaining_ = 0;
    VideoSample* stepSample_ = nullptr;
    std::deque<VideoSample*> stepQueue_;
    float rate_ = 1.0f;

    bool sampleNotify_ = false;
    bool repaint_ = false;
    bool prerolled_ = false;
    bool endStreaming_ = false;
    bool completeSent_ = false;
    int pullOnFree_ = 1;
    int passOne_ = 0;
    int hold_ = 0;

    bool hasMediaType_ = false;
    VideoFormat format_;
    int aspectRatioMode_ = 1;
    NormalizedRect sourceRect_;
    uint32_t token_ = 0;
    VideoSample* lastDelivered_ = nullptr;
    int64_t lastSampleEnd_ = 0;
};

} // namespace player
