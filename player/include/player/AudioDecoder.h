// The audio decoder thread: packets in, 16-bit interleaved PCM (through
// libswresample) out to the audio output. Sound is played only while the
// session runs at normal speed; otherwise packets are decoded and dropped so
// that the sound resumes in step when normal speed returns.
#pragma once

#include <atomic>
#include <string>
#include <thread>

struct AVCodecContext;
struct AVStream;
struct SwrContext;

namespace player {

class AudioOutput;
class PacketQueue;
class PresentationClock;

class AudioDecoder {
public:
    AudioDecoder() = default;
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the decoder and the resampler for the output's format.
    bool Open(AVStream* stream, std::string* error);
    int SampleRate() const { return rate_; }
    int Channels() const { return channels_; }

    void Start(PacketQueue* queue, AudioOutput* output, const PresentationClock* clock,
               int64_t startPts);
    void Stop();
    // False while the sound is not to be played (rate other than 1).
    void SetAudible(bool on) { audible_ = on; }

private:
    void ThreadProc();

    AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwrContext* swr_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int64_t startPts_ = 0;
    PacketQueue* queue_ = nullptr;
    AudioOutput* output_ = nullptr;
    const PresentationClock* clock_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> audible_{true};
};

} // namespace player
