#include "player/EVRCustomPresenter.h"

#include "player/D3DPresentEngine.h"
#include "player/PresentationClock.h"
#include "player/VideoMixer.h"

#include <cfloat>
#include <cmath>
#include <numeric>

namespace player {

EVRCustomPresenter::EVRCustomPresenter(D3DPresentEngine* engine) : engine_(engine) {
    scheduler_.SetCallback(engine_);
    scheduler_.releaseSample = [this](VideoSample* s) { ReturnToPool(s); };
    engine_->sampleFree = [this](VideoSample* s) { OnSampleFree(s); };
}

EVRCustomPresenter::~EVRCustomPresenter() {
    ReleaseServicePointers();
    engine_->sampleFree = nullptr;
}

HResult EVRCustomPresenter::InitServicePointers(VideoMixer* mixer, const PresentationClock* clock) {
    std::lock_guard lock(lock_);
    if (IsActive()) {
        return kInvalidRequest;
    }
    if (mixer == nullptr) {
        return kNotInitialized; // the mixer is required
    }
    mixer_ = mixer;
    clock_ = clock; // optional
    renderState_ = RenderStopped;
    return kOk;
}

HResult EVRCustomPresenter::ReleaseServicePointers() {
    {
        std::lock_guard lock(lock_);
        if (renderState_ == RenderShutdown) {
            return kOk;
        }
        renderState_ = RenderShutdown;
    }
    scheduler_.StopScheduler();
    std::lock_guard lock(lock_);
    Flush();
    ReleaseResources();
    mixer_ = nullptr;
    clock_ = nullptr;
    return kOk;
}

HResult EVRCustomPresenter::OnClockStart(int64_t startOffset) {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    const bool wasActive = IsActive();
    renderState_ = RenderStarted;
    if (wasActive && startOffset != kPositionCurrent) {
        Flush(); // a seek: what is queued belongs to the old position
    } else {
        StartFrameStep();
    }
    if (pullOnFree_ == 1) {
        TriggerOutput();
    }
    return kOk;
}

HResult EVRCustomPresenter::OnClockRestart() {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    renderState_ = RenderStarted;
    StartFrameStep();
    TriggerOutput();
    return kOk;
}

HResult EVRCustomPresenter::OnClockStop() {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    if (renderState_ != RenderStopped) {
        renderState_ = RenderStopped;
        Flush();
        if (stepState_ != StepNone) {
            CancelFrameStep();
        }
    }
    return kOk;
}

HResult EVRCustomPresenter::OnClockPause() {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    renderState_ = RenderPaused;
    return kOk;
}

HResult EVRCustomPresenter::OnClockSetRate(float rate) {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    if (rate_ == 0.0f && rate != 0.0f) {
        CancelFrameStep();
        stepQueue_.clear();
    }
    rate_ = rate;
    scheduler_.SetClockRate(rate);
    return kOk;
}

HResult EVRCustomPresenter::ProcessMessage(Message message, int64_t param) {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    switch (message) {
    case MsgFlush:
        return Flush();
    case MsgInvalidateMediaType:
        return hasMediaType_ ? SetMediaType(format_) : kOk;
    case MsgProcessInputNotify:
        return ProcessInputNotify();
    case MsgBeginStreaming:
        completeSent_ = false;
        return scheduler_.IsRunning() ? kOk : scheduler_.StartScheduler(clock_);
    case MsgEndStreaming:
        return scheduler_.StopScheduler();
    case MsgEndOfStream:
        endStreaming_ = true;
        CheckEndOfStream();
        return kOk;
    case MsgStep:
        stepsRemaining_ += static_cast<int>(param);
        stepState_ = StepWaitingStart;
        if (renderState_ == RenderStarted) {
            return StartFrameStep();
        }
        return kOk;
    case MsgCancelStep:
        return CancelFrameStep();
    }
    return kInvalidArg;
}

HResult EVRCustomPresenter::SetMediaType(const VideoFormat& format) {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    if (format.width <= 0 || format.height <= 0) {
        return kInvalidArg;
    }
    ReleaseResources();
    format_ = format;
    std::vector<std::unique_ptr<VideoSample>> samples = engine_->CreateVideoSamples(format_);
    if (samples.size() != 2) {
        return kNotInitialized;
    }
    ++token_;
    for (auto& s : samples) {
        s->token = token_;
    }
    const HResult hr = pool_.Initialize(std::move(samples));
    if (!Succeeded(hr)) {
        return hr;
    }
    scheduler_.SetFrameRate(format_.frameRateNum, format_.frameRateDen);
    hasMediaType_ = true;
    return kOk;
}

bool EVRCustomPresenter::HasMediaType() const {
    std::lock_guard lock(lock_);
    return hasMediaType_;
}

void EVRCustomPresenter::ReleaseResources() {
    // Samples out in the engine carry the old token and are dropped on return.
    ++token_;
    lastDelivered_ = nullptr;
    pool_.Clear();
    engine_->ReleaseResources();
    hasMediaType_ = false;
}

HResult EVRCustomPresenter::ProcessInputNotify() {
    if (!hasMediaType_) {
        return kTypeNotSet;
    }
    sampleNotify_ = true;
    TriggerOutput();
    return kOk;
}

void EVRCustomPresenter::TriggerOutput() {
    // One trigger lets exactly one picture through while the scheduler runs.
    passOne_ = 1;
    hold_ = 0;
    ProcessOutputLoop();
}

void EVRCustomPresenter::ProcessOutputLoop() {
    HResult hr = kOk;
    while (hr == kOk) {
        if (!sampleNotify_ && !repaint_) {
            break;
        }
        hr = ProcessOutput();
    }
    CheckEndOfStream();
}

HResult EVRCustomPresenter::ProcessOutput() {
    if (renderState_ != RenderStarted && !repaint_ && prerolled_) {
        return kNoSampleAvailable;
    }
    if (mixer_ == nullptr) {
        return kInvalidRequest;
    }
    VideoSample* sample = nullptr;
    HResult hr = pool_.GetSample(&sample);
    if (hr == kNoSampleAvailable) {
        if (!repaint_ || lastDelivered_ == nullptr) {
            return kNoSampleAvailable;
        }
        sample = nullptr; // repaint from the last delivered picture below
    } else if (!Succeeded(hr)) {
        return hr;
    }
    const bool repaint = repaint_;
    if (sample == nullptr) {
        // No free sample: show the last delivered picture again.
        repaint_ = false;
        return engine_->PresentSample(nullptr, false);
    }
    if (repaint) {
        repaint_ = false;
    }
    if (hold_ == 1 && !repaint) {
        ReturnToPool(sample);
        return kFail;
    }
    lastDelivered_ = sample;
    if (passOne_ == 1 && scheduler_.IsRunning()) {
        passOne_ = 0;
        hold_ = 1;
    }
    const int64_t before = clock_ != nullptr ? clock_->GetTime() : 0;
    hr = mixer_->ProcessOutput(sample, repaint);
    if (!Succeeded(hr)) {
        ReturnToPool(sample);
        if (lastDelivered_ == sample) {
            lastDelivered_ = nullptr;
        }
        if (hr == kTypeNotSet) {
            SetMediaType(format_);
        } else if (hr == kStreamChange) {
            ReleaseResources();
        } else if (hr == kNeedMoreInput) {
            sampleNotify_ = false;
            if (repaint) {
                // Nothing decoded yet at this position: redraw what is shown.
                engine_->PresentSample(nullptr, false);
            }
        }
        return hr;
    }
    if (repaint) {
        sample->time = scheduler_.LastPresentationTime();
        sample->duration = scheduler_.FrameDuration();
    } else if (clock_ != nullptr && eventSink) {
        eventSink(kEventProcessingLatency, clock_->GetTime() - before);
    }
    sample->repaint = repaint;
    if (!repaint) {
        lastSampleEnd_ =
            sample->time + (sample->duration > 0 ? sample->duration : scheduler_.FrameDuration());
    }
    if (stepState_ != StepNone && !repaint) {
        hr = DeliverFrameStepSample(sample);
    } else {
        hr = DeliverSample(sample, repaint);
    }
    prerolled_ = true;
    return hr;
}

HResult EVRCustomPresenter::DeliverSample(VideoSample* sample, bool repaint) {
    const bool presentNow = renderState_ != RenderStarted || rate_ == 0.0f || repaint;
    HResult hr = kOk;
    if (presentNow) {
        hr = engine_->PresentSample(sample, false);
    } else if (scheduler_.IsRunning()) {
        hr = scheduler_.ScheduleSample(sample, clock_ == nullptr);
    } else {
        hr = kFail;
        ReturnToPool(sample);
    }
    if (!Succeeded(hr) && eventSink) {
        eventSink(kEventErrorAbort, static_cast<int64_t>(hr));
    }
    return hr;
}

HResult EVRCustomPresenter::DeliverFrameStepSample(VideoSample* sample) {
    if (stepState_ == StepScheduled || stepState_ == StepComplete) {
        return DeliverSample(sample, false);
    }
    stepQueue_.push_back(sample);
    if (stepState_ == StepPending) {
        return StartFrameStep();
    }
    return kOk;
}

HResult EVRCustomPresenter::StartFrameStep() {
    if (stepState_ == StepWaitingStart) {
        stepState_ = StepPending;
    }
    if (stepState_ != StepPending) {
        return kOk;
    }
    while (!stepQueue_.empty() && stepState_ == StepPending) {
        VideoSample* s = stepQueue_.front();
        stepQueue_.pop_front();
        --stepsRemaining_;
        if (stepsRemaining_ > 0) {
            ReturnToPool(s); // stepped over
        } else {
            stepState_ = StepScheduled;
            stepSample_ = s;
            return DeliverSample(s, false);
        }
    }
    return kOk;
}

HResult EVRCustomPresenter::CompleteFrameStep(VideoSample* sample) {
    stepState_ = StepComplete;
    stepSample_ = nullptr;
    if (eventSink) {
        eventSink(kEventStepComplete, 0);
        if (rate_ == 0.0f) {
            eventSink(kEventScrubTime, sample->time);
        }
    }
    return kOk;
}

HResult EVRCustomPresenter::CancelFrameStep() {
    const FrameStepState old = stepState_;
    stepState_ = StepNone;
    stepsRemaining_ = 0;
    stepSample_ = nullptr;
    for (VideoSample* s : stepQueue_) {
        ReturnToPool(s);
    }
    stepQueue_.clear();
    if ((old == StepWaitingStart || old == StepPending || old == StepScheduled) && eventSink) {
        eventSink(kEventStepComplete, 1);
    }
    return kOk;
}

void EVRCustomPresenter::CheckEndOfStream() {
    if (!endStreaming_ || completeSent_ || sampleNotify_) {
        return;
    }
    if (mixer_ != nullptr && mixer_->HasInput()) {
        return;
    }
    if (scheduler_.QueuedCount() > 0 || pool_.InUse() > 0) {
        return; // the last picture is still on its way to the window
    }
    completeSent_ = true;
    if (eventSink) {
        eventSink(kEventComplete, lastSampleEnd_);
    }
}

HResult EVRCustomPresenter::Flush() {
    prerolled_ = false;
    endStreaming_ = false;
    completeSent_ = false;
    scheduler_.Flush();
    for (VideoSample* s : stepQueue_) {
        ReturnToPool(s);
    }
    stepQueue_.clear();
    if (renderState_ == RenderStopped) {
        engine_->PresentSample(nullptr, false);
    }
    return kOk;
}

HResult EVRCustomPresenter::RepaintVideo() {
    std::lock_guard lock(lock_);
    if (renderState_ == RenderShutdown) {
        return kShutdown;
    }
    if (!hasMediaType_) {
        return kOk;
    }
    repaint_ = true;
    engine_->ResetPresentCounter(); // a repaint is drawn whatever the interval
    ProcessOutputLoop();
    return kOk;
}

HResult EVRCustomPresenter::SetVideoPosition(const NormalizedRect* source,
                                             const PixelRect* destination) {
    std::lock_guard lock(lock_);
    if (source == nullptr && destination == nullptr) {
        return kPointer;
    }
    if (source != nullptr) {
        const NormalizedRect& s = *source;
        if (s.left < 0 || s.left > s.right || s.right > 1 || s.top < 0 || s.top > s.bottom ||
            s.bottom > 1) {
            return kInvalidArg;
        }
    }
    if (destination != nullptr &&
        (destination->right < destination->left || destination->bottom < destination->top)) {
        return kInvalidArg;
    }
    if (source != nullptr) {
        sourceRect_ = *source;
    }
    if (destination != nullptr && !(*destination == engine_->DestinationRect())) {
        engine_->SetDestinationRect(*destination);
        if (hasMediaType_) {
            repaint_ = true;
            engine_->ResetPresentCounter();
            ProcessOutputLoop();
        }
    }
    return kOk;
}

HResult EVRCustomPresenter::GetNativeVideoSize(int* width, int* height, int* aspectX,
                                               int* aspectY) const {
    std::lock_guard lock(lock_);
    if (width == nullptr && height == nullptr && aspectX == nullptr && aspectY == nullptr) {
        return kPointer;
    }
    const int w = format_.width;
    const int h = format_.height;
    const int g = std::gcd(w, h);
    if (width != nullptr) {
        *width = w;
    }
    if (height != nullptr) {
        *height = h;
    }
    if (aspectX != nullptr) {
        *aspectX = g > 0 ? w / g : 0;
    }
    if (aspectY != nullptr) {
        *aspectY = g > 0 ? h / g : 0;
    }
    return kOk;
}

void EVRCustomPresenter::SetAspectRatioMode(int mode) {
    std::lock_guard lock(lock_);
    aspectRatioMode_ = mode; // stored and returned; the drawing fits by itself
}

int EVRCustomPresenter::GetAspectRatioMode() const {
    std::lock_guard lock(lock_);
    return aspectRatioMode_;
}

float EVRCustomPresenter::GetFastestRate(bool thin) const {
    std::lock_guard lock(lock_);
    if (thin) {
        return FLT_MAX;
    }
    const int refresh = engine_->RefreshRate();
    if (refresh == 0 || format_.frameRateNum == 0 || format_.frameRateDen == 0) {
        return FLT_MAX;
    }
    return static_cast<float>(static_cast<int64_t>(refresh) * format_.frameRateDen /
                              format_.frameRateNum);
}

HResult EVRCustomPresenter::IsRateSupported(bool thin, float rate, float* nearest) const {
    const float fastest = GetFastestRate(thin);
    if (std::fabs(rate) > fastest) {
        if (nearest != nullptr) {
            *nearest = rate < 0 ? -fastest : fastest;
        }
        return kUnsupportedRate;
    }
    if (nearest != nullptr) {
        *nearest = rate;
    }
    return kOk;
}

void EVRCustomPresenter::SetPullOnFree(bool on) {
    std::lock_guard lock(lock_);
    pullOnFree_ = on ? 1 : 0;
}

bool EVRCustomPresenter::PullOnFree() const {
    std::lock_guard lock(lock_);
    return pullOnFree_ == 1;
}

EVRCustomPresenter::RenderState EVRCustomPresenter::State() const {
    std::lock_guard lock(lock_);
    return renderState_;
}

EVRCustomPresenter::FrameStepState EVRCustomPresenter::StepState() const {
    std::lock_guard lock(lock_);
    return stepState_;
}

float EVRCustomPresenter::Rate() const {
    std::lock_guard lock(lock_);
    return rate_;
}

int64_t EVRCustomPresenter::LastSampleEnd() const {
    std::lock_guard lock(lock_);
    return lastSampleEnd_;
}

void EVRCustomPresenter::ReturnToPool(VideoSample* sample) {
    if (sample == nullptr) {
        return;
    }
    if (sample->token != token_) {
        // Created before the resources were last released: not ours any more.
        pool_.ReturnSample(sample);
        return;
    }
    pool_.ReturnSample(sample);
}

void EVRCustomPresenter::OnSampleFree(VideoSample* sample) {
    std::lock_guard lock(lock_);
    if (sample == stepSample_ && stepState_ == StepScheduled) {
        CompleteFrameStep(sample);
    }
    if (lastDelivered_ == sample) {
        lastDelivered_ = nullptr;
    }
    ReturnToPool(sample);
    if (renderState_ == RenderShutdown) {
        return;
    }
    if (pullOnFree_ == 1) {
        TriggerOutput();
    } else {
        CheckEndOfStream();
    }
}

} // namespace player
