#include "player/CPlayer.h"

#include "player/AudioDecoder.h"
#include "player/AudioOutput.h"
#include "player/CMFActivate.h"
#include "player/CVideoWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/EVRCustomPresenter.h"
#include "player/PacketQueue.h"
#include "player/PlayerMessages.h"
#include "player/VideoDecoder.h"
#include "player/VideoMixer.h"

#include <chrono>
#include <cstdio>

extern "C" {
#include <libavformat/avformat.h>
}

namespace player {

namespace {
constexpr AVRational kHns{1, 10000000};
// Debug line of a failing media call: source file and line.
void Trace(const char* file, int line) {
    std::fprintf(stderr, "%s %d\n", file, line);
}
#define PLAYER_TRACE() Trace("CPlayer.cpp", __LINE__)
} // namespace

CPlayer::CPlayer(CVideoWindow* window)
    : window_(window), clock_(std::make_unique<PresentationClock>()) {}

CPlayer::~CPlayer() {
    CloseSession();
}

void CPlayer::SetTimeSource(PresentationClock::TimeSource source) {
    clock_ = std::make_unique<PresentationClock>(std::move(source));
}

// ---------------------------------------------------------------------------
// Opening and the topology.

HResult CPlayer::OpenFile(const std::string& path, ViewState* ownerViewState) {
    CloseSession();
    ownerViewState_ = ownerViewState;
    {
        std::lock_guard lock(eventLock_);
        events_.clear();
        stopEvents_ = false;
    }
    {
        std::lock_guard lock(closeLock_);
        closed_ = false;
    }
    eventThread_ = std::thread([this] { EventThread(); });
    state_ = StateReady;

    if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0) {
        PLAYER_TRACE();
        CloseSession();
        return kFail;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0) {
        PLAYER_TRACE();
        CloseSession();
        return kFail;
    }
    const HResult hr = BuildTopology();
    if (!Succeeded(hr)) {
        PLAYER_TRACE();
        CloseSession();
        return hr;
    }
    state_ = StateOpenPending;
    // The topology is set: a missing sound branch is reported as its failure.
    QueueEvent(EvTopologySet, audioError_.empty() ? kOk : kFail);
    return kOk;
}

HResult CPlayer::BuildTopology() {
    videoIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex_ < 0) {
        return kFail;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        format_->streams[i]->discard = AVDISCARD_ALL; // other streams: no branch
    }
    AVStream* vs = format_->streams[videoIndex_];
    vs->discard = AVDISCARD_DEFAULT;
    if (format_->duration > 0) {
        duration_ = av_rescale_q(format_->duration, AV_TIME_BASE_Q, kHns);
    } else if (vs->duration > 0) {
        duration_ = av_rescale_q(vs->duration, vs->time_base, kHns);
    }

    std::string error;
    videoDecoder_ = std::make_unique<VideoDecoder>();
    if (!videoDecoder_->Open(vs, hardware_, &error)) {
        std::fprintf(stderr, "CPlayer: %s\n", error.c_str());
        return kFail;
    }
    videoFormat_ = videoDecoder_->Format();
    mixer_ = std::make_unique<VideoMixer>();
    mixer_->SetFormat(videoFormat_);
    videoQueue_ = std::make_unique<PacketQueue>(64);
    audioQueue_ = std::make_unique<PacketQueue>(512);

    // The video branch: the presenter, created through the activation object
    // with the frame size and the owner's view state.
    activate_ = std::make_unique<CMFActivate>(window_, videoFormat_.width, videoFormat_.height,
                                              ownerViewState_);
    EVRCustomPresenter* presenter = activate_->ActivateObject();
    presenter->eventSink = [this](int event, int64_t param) { OnPresenterEvent(event, param); };
    if (!Succeeded(presenter->InitServicePointers(mixer_.get(), clock_.get())) ||
        !Succeeded(presenter->SetMediaType(videoFormat_))) {
        return kFail;
    }
    Engine()->SetPresentInterval(presentRate_ == 2 ? 2 : 1);
    mixer_->inputNotify = [presenter] {
        presenter->ProcessMessage(EVRCustomPresenter::MsgProcessInputNotify);
    };
    mixer_->endOfStream = [presenter] {
        presenter->ProcessMessage(EVRCustomPresenter::MsgEndOfStream);
    };

    // The audio branch, unless disabled.
    audioError_.clear();
    if (!audioDisabled_) {
        if (!BuildAudioBranch(&audioError_)) {
            DropAudioBranch();
            if (audioError_.empty()) {
                audioError_ = "no audio";
            }
        }
    }
    return kOk;
}

bool CPlayer::BuildAudioBranch(std::string* error) {
    audioIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
    if (audioIndex_ < 0) {
        audioIndex_ = -1;
        error->clear();
        return true; // a movie without sound: nothing to connect
    }
    if (!audioAllowed_) {
        *error = "no sound device";
        return false;
    }
    AVStream* as = format_->streams[audioIndex_];
    audioDecoder_ = std::make_unique<AudioDecoder>();
    if (!audioDecoder_->Open(as, error)) {
        return false;
    }
    audioOutput_ = std::make_unique<AudioOutput>();
    if (!audioOutput_->Open(audioDecoder_->SampleRate(), audioDecoder_->Channels(), error)) {
        return false;
    }
    as->discard = AVDISCARD_DEFAULT;
    AudioOutput* out = audioOutput_.get();
    clock_->SetAudioPosition([out](int64_t* t) { return out->Position(t); });
    return true;
}

void CPlayer::DropAudioBranch() {
    clock_->SetAudioPosition(nullptr);
    if (audioIndex_ >= 0 && format_ != nullptr) {
        format_->streams[audioIndex_]->discard = AVDISCARD_ALL;
    }
    audioDecoder_.reset();
    audioOutput_.reset();
    audioIndex_ = -1;
}

bool CPlayer::HasAudioBranch() const {
    return audioOutput_ != nullptr;
}

bool CPlayer::UsesHardware() const {
    return videoDecoder_ && videoDecoder_->UsesHardware();
}

EVRCustomPresenter* CPlayer::Presenter() const {
    return activate_ ? activate_->Presenter() : nullptr;
}

D3DPresentEngine* CPlayer::Engine() const {
    return activate_ ? activate_->Engine() : nullptr;
}

bool CPlayer::HasDisplayControl() const {
    return displayReady_.load();
}

// ---------------------------------------------------------------------------
// Streaming threads.

int CPlayer::NewSerial() {
    return ++serial_;
}

void CPlayer::StartStreaming() {
    const int s = NewSerial();
    videoQueue_->Flush(s);
    audioQueue_->Flush(s);
    mixer_->Flush(s);
    seekWaitSerial_ = s;
    seekTime_ = 0;
    videoDecoder_->SetTarget(s, 0);
    {
        std::lock_guard lock(seekLock_);
        seekPending_ = true;
        seekTarget_ = 0;
        seekSerial_ = s;
    }
    const int64_t origin = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
    AVStream* vs = format_->streams[videoIndex_];
    videoDecoder_->Start(videoQueue_.get(), mixer_.get(), clock_.get(),
                         av_rescale_q(origin, AV_TIME_BASE_Q, vs->time_base));
    if (audioDecoder_) {
        AVStream* as = format_->streams[audioIndex_];
        audioOutput_->Flush(s);
        audioDecoder_->Start(audioQueue_.get(), audioOutput_.get(), clock_.get(),
                             av_rescale_q(origin, AV_TIME_BASE_Q, as->time_base));
    }
    stopDemux_ = false;
    demux_ = std::thread([this] { DemuxThread(); });
}

void CPlayer::StopStreaming() {
    stopDemux_ = true;
    if (videoQueue_) {
        videoQueue_->Abort();
    }
    if (audioQueue_) {
        audioQueue_->Abort();
    }
    if (mixer_) {
        mixer_->Abort();
    }
    if (audioOutput_) {
        audioOutput_->Abort();
    }
    if (demux_.joinable()) {
        demux_.join();
    }
    if (videoDecoder_) {
        videoDecoder_->Stop();
    }
    if (audioDecoder_) {
        audioDecoder_->Stop();
    }
}

void CPlayer::DemuxThread() {
    AVPacket* packet = av_packet_alloc();
    int serial = 0;
    bool eof = false;
    AVStream* vs = format_->streams[videoIndex_];
    while (!stopDemux_) {
        {
            std::lock_guard lock(seekLock_);
            if (seekPending_) {
                seekPending_ = false;
                serial = seekSerial_;
                const int64_t origin =
                    format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
                const int64_t ts = av_rescale_q(seekTarget_, kHns, vs->time_base) +
                                   av_rescale_q(origin, AV_TIME_BASE_Q, vs->time_base);
                if (av_seek_frame(format_, videoIndex_, ts, AVSEEK_FLAG_BACKWARD) < 0) {
                    av_seek_frame(format_, videoIndex_, 0, AVSEEK_FLAG_BACKWARD);
                }
                eof = false;
            }
        }
        if (eof) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const int r = av_read_frame(format_, packet);
        if (r < 0) {
            videoQueue_->PutEnd(serial);
            audioQueue_->PutEnd(serial);
            eof = true;
            continue;
        }
        if (packet->stream_index == videoIndex_) {
            videoQueue_->Put(packet, serial);
        } else if (packet->stream_index == audioIndex_ && audioDecoder_) {
            audioQueue_->Put(packet, serial);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
}

// ---------------------------------------------------------------------------
// Session control.

HResult CPlayer::Start() {
    std::lock_guard lock(lock_);
    const State s = state_;
    if (s != StatePaused && s != StateStopped) {
        return kInvalidRequest;
    }
    if (format_ == nullptr || Presenter() == nullptr) {
        return kUnexpected;
    }
    if (ended_) {
        // Started again after the end: from the beginning.
        return StartAt(0, true);
    }
    EVRCustomPresenter* presenter = Presenter();
    presenter->SetPullOnFree(true);
    clock_->Start();
    presenter->OnClockStart(EVRCustomPresenter::kPositionCurrent);
    if (audioOutput_) {
        audioOutput_->SetPlaying(rate_ == 1.0f);
    }
    state_ = StateStarted;
    return kOk;
}

HResult CPlayer::StartAt(int64_t position, bool pullOnFree) {
    std::lock_guard lock(lock_);
    if (format_ == nullptr || Presenter() == nullptr) {
        return kUnexpected;
    }
    EVRCustomPresenter* presenter = Presenter();
    if (position < 0) {
        position = 0;
    }
    const int s = NewSerial();
    ended_ = false;
    endAt_ = -1;
    videoDecoder_->SetTarget(s, position);
    videoQueue_->Flush(s);
    audioQueue_->Flush(s);
    mixer_->Flush(s);
    if (audioOutput_) {
        audioOutput_->SetPlaying(false);
        audioOutput_->Flush(s);
    }
    clock_->Pause();
    clock_->SetTime(position);
    {
        std::lock_guard seek(seekLock_);
        seekPending_ = true;
        seekTarget_ = position;
        seekSerial_ = s;
    }
    seekWaitSerial_ = s;
    seekTime_ = position;
    presenter->SetPullOnFree(pullOnFree);
    // What the presenter holds belongs to the old position.
    presenter->ProcessMessage(EVRCustomPresenter::MsgFlush);
    presenter->OnClockStart(position);
    clock_->Start();
    if (audioOutput_) {
        audioOutput_->SetPlaying(rate_ == 1.0f);
    }
    state_ = StateStarted;
    return kOk;
}

HResult CPlayer::Pause() {
    std::lock_guard lock(lock_);
    if (state_ != StateStarted) {
        return kInvalidRequest;
    }
    clock_->Pause();
    if (Presenter() != nullptr) {
        Presenter()->OnClockPause();
    }
    if (audioOutput_) {
        audioOutput_->SetPlaying(false);
    }
    state_ = StatePaused;
    QueueEvent(EvSessionPaused, kOk);
    return kOk;
}

HResult CPlayer::Seek(int64_t position) {
    std::lock_guard lock(lock_);
    const State s = state_;
    if (s != StateStarted && s != StatePaused && s != StateStopped) {
        return kInvalidRequest;
    }
    HResult hr = StartAt(position, true);
    if (!Succeeded(hr)) {
        return hr;
    }
    hr = Pause();
    Repaint();
    return hr;
}

HResult CPlayer::Repaint() {
    std::lock_guard lock(lock_);
    EVRCustomPresenter* presenter = Presenter();
    if (presenter == nullptr || !displayReady_) {
        return kOk;
    }
    presenter->RepaintVideo();
    if (presentRate_ == 2) {
        presenter->RepaintVideo();
    }
    return kOk;
}

bool CPlayer::SeekSettled() const {
    const int want = seekWaitSerial_.load();
    D3DPresentEngine* engine = Engine();
    if (want < 0 || engine == nullptr) {
        return true;
    }
    return engine->LastPresentedSerial() == want && !engine->HasPending();
}

HResult CPlayer::SetRate(float rate, bool thin) {
    std::lock_guard lock(lock_);
    if (Presenter() == nullptr) {
        return kUnexpected;
    }
    float nearest = rate;
    if (!Succeeded(Presenter()->IsRateSupported(thin, rate, &nearest))) {
        rate = nearest;
    }
    rate_ = rate;
    thin_ = thin;
    clock_->SetRate(rate);
    Presenter()->OnClockSetRate(rate);
    videoDecoder_->SetThinning(thin && rate > 2.0f);
    if (audioDecoder_) {
        // Sound only at normal speed; the clock then runs on the system time.
        const bool audible = rate == 1.0f;
        audioDecoder_->SetAudible(audible);
        if (!audible) {
            audioOutput_->SetPlaying(false);
            audioOutput_->Flush(serial_.load());
        } else {
            audioOutput_->SetPlaying(state_ == StateStarted);
        }
    }
    return kOk;
}

float CPlayer::Rate() const {
    return rate_;
}

HResult CPlayer::SetVolume(int volume) {
    std::lock_guard lock(lock_);
    volume_ = volume < 0 ? 0 : (volume > 65535 ? 65535 : volume);
    ApplyVolume();
    return kOk;
}

void CPlayer::ApplyVolume() {
    if (audioOutput_) {
        audioOutput_->SetVolume(volume_ / 65535.0);
    }
}

void CPlayer::SetPresentRate(int rate) {
    std::lock_guard lock(lock_);
    presentRate_ = rate;
    if (Engine() != nullptr) {
        Engine()->SetPresentInterval(rate == 2 ? 2 : 1);
    }
}

HResult CPlayer::CloseSession() {
    if (state_ == StateClosed && !eventThread_.joinable() && format_ == nullptr) {
        return kOk;
    }
    if (state_ == StateStarted) {
        Pause();
    }
    state_ = StateClosing;
    {
        std::lock_guard lock(lock_);
        StopStreaming();
    }
    // Ask the session to close and wait for it, at most 5 s.
    QueueEvent(EvSessionClosed, kOk);
    {
        std::unique_lock lock(closeLock_);
        closeCv_.wait_for(lock, std::chrono::milliseconds(5000), [&] { return closed_; });
    }
    {
        std::lock_guard lock(eventLock_);
        stopEvents_ = true;
        eventCv_.notify_all();
    }
    if (eventThread_.joinable()) {
        eventThread_.join();
    }
    std::lock_guard lock(lock_);
    displayReady_ = false;
    hasClock_ = false;
    if (activate_) {
        if (ownerViewState_ != nullptr) {
            activate_->SaveViewState(*ownerViewState_);
        }
        activate_->ShutdownObject();
    }
    activate_.reset();
    videoDecoder_.reset();
    audioDecoder_.reset();
    audioOutput_.reset();
    mixer_.reset();
    videoQueue_.reset();
    audioQueue_.reset();
    clock_->SetAudioPosition(nullptr);
    avformat_close_input(&format_);
    videoIndex_ = audioIndex_ = -1;
    ended_ = false;
    seekWaitSerial_ = -1;
    state_ = StateClosed;
    return kOk;
}

// ---------------------------------------------------------------------------
// Session events.

void CPlayer::QueueEvent(int type, HResult status, int64_t value) {
    std::lock_guard lock(eventLock_);
    events_.push_back({type, status, value});
    eventCv_.notify_all();
}

void CPlayer::EventThread() {
    for (;;) {
        Event event{};
        bool have = false;
        {
            std::unique_lock lock(eventLock_);
            auto ready = [&] { return stopEvents_ || !events_.empty(); };
            if (endAt_.load() >= 0) {
                eventCv_.wait_for(lock, std::chrono::milliseconds(5), ready);
            } else {
                // Also wakes when the end of the stream starts being watched.
                eventCv_.wait(lock, [&] { return ready() || endAt_.load() >= 0; });
            }
            if (!events_.empty()) {
                event = events_.front();
                events_.pop_front();
                have = true;
            } else if (stopEvents_) {
                return;
            }
        }
        if (have) {
            Invoke(event);
        } else {
            CheckPresentationEnd();
        }
    }
}

void CPlayer::CheckPresentationEnd() {
    const int64_t at = endAt_.load();
    if (at < 0) {
        return;
    }
    if (endSerial_.load() != serial_.load()) {
        endAt_ = -1; // a seek came in between: that end no longer applies
        return;
    }
    if (state_ == StateStarted && clock_->GetTime() >= at) {
        endAt_ = -1;
        Invoke({EvEndOfPresentation, kOk, 0});
    }
}

void CPlayer::Invoke(const Event& event) {
    if (event.type == EvSessionClosed) {
        std::lock_guard lock(closeLock_);
        closed_ = true;
        closeCv_.notify_all();
        return;
    }
    if (state_ == StateClosing) {
        return;
    }
    if (!Succeeded(event.status)) {
        if (event.type == EvTopologySet && !audioDisabled_) {
            // The sound branch could not be connected: once more without it.
            std::fprintf(stderr, "CPlayer: playing without sound (%s)\n", audioError_.c_str());
            {
                std::lock_guard lock(lock_);
                audioDisabled_ = true;
                DropAudioBranch();
                audioError_.clear();
            }
            QueueEvent(EvTopologySet, kOk);
        }
        return;
    }
    switch (event.type) {
    case EvTopologySet:
        HandleTopologySet();
        // The session resolves the topology and reports it ready.
        QueueEvent(EvTopologyStatus, kOk, kTopologyStatusReady);
        break;
    case EvSessionPaused:
        HandleSessionPaused();
        break;
    case EvSessionStopped:
        HandleSessionStopped();
        break;
    case EvTopologyStatus:
        HandleTopologyStatus(event);
        break;
    case EvNewPresentation:
        HandleNewPresentation();
        break;
    case EvEndOfPresentation:
        HandlePresentationEnded();
        break;
    default:
        HandleOtherEvent(event);
        break;
    }
}

void CPlayer::HandleTopologySet() {
    std::lock_guard lock(lock_);
    hasClock_ = true; // the clock and the rate control are known from here on
}

void CPlayer::HandleTopologyStatus(const Event& event) {
    if (event.value != kTopologyStatusReady) {
        return;
    }
    {
        std::lock_guard lock(lock_);
        if (Presenter() == nullptr || state_ == StateClosing) {
            return;
        }
        Presenter()->ProcessMessage(EVRCustomPresenter::MsgBeginStreaming);
        StartStreaming(); // the first picture is prerolled and shown
        displayReady_ = true;
        state_ = StateStopped;
    }
    PostPlayerMessage(window_, kMsgTopologyReady);
}

void CPlayer::HandleNewPresentation() {
    std::lock_guard lock(lock_);
    state_ = StateOpenPending;
}

void CPlayer::HandleSessionPaused() {
    {
        std::lock_guard lock(lock_);
        ApplyVolume();
    }
    PostPlayerMessage(window_, kMsgSessionPaused);
}

void CPlayer::OnPresenterEvent(int event, int64_t param) {
    if (event != EVRCustomPresenter::kEventComplete) {
        return;
    }
    // The last picture is on screen; the presentation ends when the clock
    // has passed its end (watched by the event thread).
    std::lock_guard lock(eventLock_);
    endSerial_ = serial_.load();
    endAt_ = param;
    eventCv_.notify_all();
}

void CPlayer::HandlePresentationEnded() {
    {
        std::lock_guard lock(lock_);
        if (state_ != StateStarted) {
            return;
        }
        clock_->Pause();
        if (Presenter() != nullptr) {
            Presenter()->OnClockPause();
        }
        if (audioOutput_) {
            audioOutput_->SetPlaying(false);
        }
        ended_ = true;
        state_ = StateStopped;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    PostPlayerMessage(window_, kMsgPresentationEnded);
}

std::vector<double> CPlayer::DecodeTimes() const {
    return videoDecoder_ ? videoDecoder_->DecodeTimes() : std::vector<double>{};
}

int64_t CPlayer::Thinned() const {
    return videoDecoder_ ? videoDecoder_->Thinned() : 0;
}

} // namespace player
