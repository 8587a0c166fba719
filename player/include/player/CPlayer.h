// The playback session of one open movie file of a player context: resolves
// the file with libavformat, builds the "topology" (a video branch ending in
// the presenter, an audio branch decoding to the sound device, other streams
// ignored), runs the demux and decoder threads, follows the session's events
// on its own event thread and posts the context's messages (topology ready,
// paused, end of presentation) to the event window.
#pragma once

#include "player/PresentationClock.h"
#include "player/VideoSample.h"
#include "player/ViewState.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVFormatContext;

namespace player {

class AudioDecoder;
class AudioOutput;
class CMFActivate;
class CVideoWindow;
class D3DPresentEngine;
class EVRCustomPresenter;
class PacketQueue;
class VideoDecoder;
class VideoMixer;

class CPlayer {
public:
    enum State {
        StateClosed = 0,
        StateReady = 1,
        StateOpenPending = 2,
        StateStarted = 3,
        StatePaused = 4,
        StateStopped = 5,
        StateClosing = 6
    };
    // Session event types.
    enum EventType {
        EvTopologySet = 101,
        EvSessionPaused = 104,
        EvSessionStopped = 105,
        EvSessionClosed = 106,
        EvTopologyStatus = 111,
        EvNewPresentation = 113,
        EvEndOfPresentation = 211,
    };
    static constexpr int kTopologyStatusReady = 100;

    // `window` is both the video window and the event window.
    explicit CPlayer(CVideoWindow* window);
    ~CPlayer();
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    // Test hook: the clock's time source, before OpenFile.
    void SetTimeSource(PresentationClock::TimeSource source);
    // Hardware decoding when FFmpeg offers a device (before OpenFile).
    void SetHardwareDecoding(bool on) { hardware_ = on; }
    // Sound device use (tests simulate a machine without one).
    void SetAudioAllowed(bool on) { audioAllowed_ = on; }

    HResult OpenFile(const std::string& path, ViewState* ownerViewState);
    // From the current position; only in states 4 and 5.
    HResult Start();
    // Starts at a media time (100 ns); pullOnFree as the presenter flag.
    HResult StartAt(int64_t position, bool pullOnFree);
    HResult Pause();
    // Start at the position and pause at once; the picture there is shown.
    HResult Seek(int64_t position);
    HResult CloseSession();
    HResult SetRate(float rate, bool thin);
    float Rate() const;
    // 0..65535 (65535 full).
    HResult SetVolume(int volume);
    int Volume() const { return volume_; }
    HResult Repaint();
    void SetPresentRate(int rate);
    int PresentRate() const { return presentRate_; }

    State GetState() const { return state_.load(); }
    // The topology is ready (the display services exist).
    bool HasDisplayControl() const;
    bool HasClock() const { return hasClock_.load(); }
    PresentationClock& Clock() { return *clock_; }
    int64_t Duration() const { return duration_; } // 100 ns; 0 when unknown
    VideoFormat Format() const { return videoFormat_; }
    bool AudioDisabled() const { return audioDisabled_.load(); }
    bool HasAudioBranch() const;
    bool UsesHardware() const;
    // Seek settled: the picture of the last seek has been drawn.
    bool SeekSettled() const;

    EVRCustomPresenter* Presenter() const;
    D3DPresentEngine* Engine() const;
    CMFActivate* Activate() const { return activate_.get(); }
    std::recursive_mutex& Lock() { return lock_; }

    std::vector<double> DecodeTimes() const;
    int64_t Thinned() const;

private:
    struct Event {
        int type;
        HResult status;
        int64_t value;
    };
    void QueueEvent(int type, HResult status, int64_t value = 0);
    void EventThread();
    void CheckPresentationEnd();
    void Invoke(const Event& event);
    void HandleTopologyStatus(const Event& event);
    void HandlePresentationEnded();
    void HandleNewPresentation();
    void HandleTopologySet();
    void HandleSessionStopped() {}
    void HandleSessionPaused();
    void HandleOtherEvent(const Event&) {}

    HResult BuildTopology();
    bool BuildAudioBranch(std::string* error);
    void DropAudioBranch();
    void StartStreaming();
    void StopStreaming();
    void DemuxThread();
    void OnPresenterEvent(int event, int64_t param);
    int NewSerial();
    void ApplyVolume();

    CVideoWindow* window_;
    std::unique_ptr<PresentationClock> clock_;
    std::recursive_mutex lock_;
    std::atomic<State> state_{StateClosed};
    std::atomic<bool> audioDisabled_{false};
    std::atomic<bool> hasClock_{false};
    std::atomic<bool> displayReady_{false};
    bool hardware_ = false;
    bool audioAllowed_ = true;
    int volume_ = 65535;
    int presentRate_ = 0;
    float rate_ = 1.0f;
    bool thin_ = false;
    ViewState* ownerViewState_ = nullptr;

    AVFormatContext* format_ = nullptr;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    int64_t duration_ = 0;
    VideoFormat videoFormat_;
    std::string audioError_;

    std::unique_ptr<CMFActivate> activate_;
    std::unique_ptr<VideoMixer> mixer_;
    std::unique_ptr<VideoDecoder> videoDecoder_;
    std::unique_ptr<AudioDecoder> audioDecoder_;
    std::unique_ptr<AudioOutput> audioOutput_;
    std::unique_ptr<PacketQueue> videoQueue_;
    std::unique_ptr<PacketQueue> audioQueue_;

    // Demuxing.
    std::thread demux_;
    std::atomic<bool> stopDemux_{false};
    std::mutex seekLock_;
    bool seekPending_ = false;
    int64_t seekTarget_ = 0;
    int seekSerial_ = 0;
    std::atomic<int> serial_{0};
    std::atomic<bool> ended_{false};
    std::atomic<int> seekWaitSerial_{-1};
    std::atomic<int64_t> seekTime_{-1};

    // Session events.
    std::thread eventThread_;
    std::mutex eventLock_;
    std::condition_variable eventCv_;
    std::deque<Event> events_;
    bool stopEvents_ = false;
    std::mutex closeLock_;
    std::condition_variable closeCv_;
    bool closed_ = false;
    std::atomic<int64_t> endAt_{-1}; // end time of the last picture, once the stream ended
    std::atomic<int> endSerial_{-1};
};

} // namespace player
