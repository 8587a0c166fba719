// The sound branch's output: PCM (16-bit interleaved) through a QAudioSink
// that lives on its own thread and pulls from a ring of timed chunks. The
// position of what is being heard drives the presentation clock while sound
// plays. Open fails when the machine has no sound device.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QAudioSink;
class QThread;
class QObject;

namespace player {

class AudioRing;

class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default output device for the format; false (with a reason)
    // when there is none or it refuses the format.
    bool Open(int sampleRate, int channels, std::string* error);
    void Close();
    bool IsOpen() const { return sink_ != nullptr; }
    int SampleRate() const { return sampleRate_; }
    int Channels() const { return channels_; }

    // Queues PCM that starts at media time `time` (100 ns). Blocks while the
    // ring is full; false when flushed to another serial or aborted.
    bool Write(const uint8_t* data, size_t bytes, int64_t time, int serial);
    // Drops what is queued; accepts only `serial` afterwards.
    void Flush(int serial);
    void Abort();

    // Playing: the device pulls; otherwise it is suspended.
    void SetPlaying(bool playing);
    // 0..1 for every channel.
    void SetVolume(double volume);
    // Media time of the sound heard now; false while nothing plays.
    bool Position(int64_t* time) const;

private:
    std::unique_ptr<AudioRing> ring_;
    QThread* thread_ = nullptr;
    QObject* owner_ = nullptr; // lives on thread_; parent of the sink
    QAudioSink* sink_ = nullptr;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::atomic<bool> playing_{false};
    std::atomic<int64_t> playedUs_{0};   // device's played time, polled on its thread
    std::atomic<int64_t> playedAtNs_{0}; // when it was polled (0: not yet)
};

} // namespace player
