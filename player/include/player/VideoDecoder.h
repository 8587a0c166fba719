// The video decoder thread: packets of one serial in, pictures out to the
// mixer. After a seek it decodes from the key frame before the target and
// hands on only the picture on screen at the target time; when the clock
// runs ahead it thins late pictures (and, far behind, whole groups up to the
// next key frame) so that the picture keeps up with the clock. Hardware
// decoding is used when asked for and FFmpeg offers a device; otherwise, and
// whenever the hardware fails, the software decoder takes over silently.
#pragma once

#include "player/VideoSample.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVStream;
struct AVBufferRef;
struct SwsContext;

namespace player {

class PacketQueue;
class PresentationClock;
class VideoMixer;

class VideoDecoder {
public:
    VideoDecoder() = default;
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the decoder for the stream; the format tells what the presenter
    // will receive.
    bool Open(AVStream* stream, bool hardware, std::string* error);
    VideoFormat Format() const { return format_; }
    bool UsesHardware() const { return hwDevice_ != nullptr; }

    void Start(PacketQueue* queue, VideoMixer* mixer, const PresentationClock* clock,
               int64_t startPts);
    void Stop();

    // The target time of a serial: pictures that end before it are decoded
    // but not shown.
    void SetTarget(int serial, int64_t time);
    // Thinning (rates above 2).
    void SetThinning(bool on) { thinning_ = on; }

    // Milliseconds spent decoding each picture; pictures thinned.
    std::vector<double> DecodeTimes() const;
    int64_t Thinned() const { return thinned_.load(); }

private:
    void ThreadProc();
    bool HandleFrame(AVFrame* frame, int serial);
    AVFrame* ToPresentable(AVFrame* frame);
    bool SwitchToSoftware();

    AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVBufferRef* hwDevice_ = nullptr;
    int hwPixelFormat_ = -1;
    SwsContext* sws_ = nullptr;
    AVFrame* swFrame_ = nullptr;
    AVFrame* converted_ = nullptr;
    AVFrame* held_ = nullptr; // last picture before the target (shown when the stream ends first)
    bool hasHeld_ = false;
    VideoFormat format_;
    int64_t frameDuration_ = 0;
    int64_t startPts_ = 0;

    PacketQueue* queue_ = nullptr;
    VideoMixer* mixer_ = nullptr;
    const PresentationClock* clock_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> thinning_{false};
    std::atomic<int64_t> thinned_{0};

    std::chrono::steady_clock::time_point lastDelivered_{};
    mutable std::mutex lock_;
    int targetSerial_ = -1;
    int64_t targetTime_ = 0;
    std::vector<double> decodeMs_;
};

} // namespace player
