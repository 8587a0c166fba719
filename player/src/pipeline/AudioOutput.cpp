#include "player/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cstring>

namespace player {

namespace {
int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

// Timed PCM chunks between the audio decoder and the device thread.
class AudioRing : public QIODevice {
public:
    AudioRing(int bytesPerSecond) : bytesPerSecond_(bytesPerSecond) {}

    bool Put(const uint8_t* data, size_t bytes, int64_t time, int serial) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] {
            return aborted_ || serial != serial_ ||
                   queued_ < static_cast<size_t>(bytesPerSecond_ / 2);
        });
        if (aborted_ || serial != serial_) {
            return false;
        }
        chunks_.push_back({std::vector<uint8_t>(data, data + bytes), 0, time});
        queued_ += bytes;
        return true;
    }

    void Flush(int serial) {
        std::lock_guard lock(mutex_);
        chunks_.clear();
        queued_ = 0;
        serial_ = serial;
        // What the device still holds belongs to the old position.
        marks_.clear();
        flushedAt_ = totalRead_;
        cv_.notify_all();
    }

    void Abort() {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        cv_.notify_all();
    }

    // Media time of the byte the device is playing, given how many bytes it
    // has played since it started; false in silence or old data.
    bool Heard(int64_t playedBytes, int64_t* time) const {
        std::lock_guard lock(mutex_);
        if (playedBytes < flushedAt_) {
            return false;
        }
        for (const Mark& m : marks_) {
            if (playedBytes >= m.begin && playedBytes < m.end) {
                *time = m.time + (playedBytes - m.begin) * 10000000 / bytesPerSecond_;
                return true;
            }
        }
        return false;
    }

    qint64 bytesAvailable() const override { return 1 << 20; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 maxSize) override {
        std::lock_guard lock(mutex_);
        qint64 done = 0;
        while (done < maxSize && !chunks_.empty()) {
            Chunk& c = chunks_.front();
            const size_t left = c.data.size() - c.offset;
            const size_t n = std::min(left, static_cast<size_t>(maxSize - done));
            const int64_t at = totalRead_ + done;
            const int64_t time =
                c.time + static_cast<int64_t>(c.offset) * 10000000 / bytesPerSecond_;
            // Record where this sound lies in the device's byte stream.
            if (!marks_.empty() && marks_.back().end == at &&
                marks_.back().time + (at - marks_.back().begin) * 10000000 / bytesPerSecond_ ==
                    time) {
                marks_.back().end = at + static_cast<int64_t>(n);
            } else {
                marks_.push_back({at, at + static_cast<int64_t>(n), time});
            }
            std::memcpy(out + done, c.data.data() + c.offset, n);
            c.offset += n;
            done += static_cast<qint64>(n);
            queued_ -= n;
            if (c.offset == c.data.size()) {
                chunks_.pop_front();
            }
        }
        // Silence keeps the device running through a dry spell.
        if (done < maxSize) {
            std::memset(out + done, 0, static_cast<size_t>(maxSize - done));
        }
        totalRead_ += maxSize;
        while (marks_.size() > 256) {
            marks_.pop_front();
        }
        cv_.notify_all();
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    struct Chunk {
        std::vector<uint8_t> data;
        size_t offset;
        int64_t time;
    };
    const int bytesPerSecond_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Chunk> chunks_;
    size_t queued_ = 0;
    int serial_ = 0;
    bool aborted_ = false;
    struct Mark {
        int64_t begin, end; // device byte offsets
        int64_t time;       // media time at begin
    };
    std::deque<Mark> marks_;
    int64_t totalRead_ = 0;
    int64_t flushedAt_ = 0;
};

AudioOutput::AudioOutput() = default;

AudioOutput::~AudioOutput() {
    Close();
}

bool AudioOutput::Open(int sampleRate, int channels, std::string* error) {
    Close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        *error = "no sound device";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        *error = "the sound device does not take the stream's format";
        return false;
    }
    sampleRate_ = sampleRate;
    channels_ = channels;
    ring_ = std::make_unique<AudioRing>(sampleRate * channels * 2);
    ring_->open(QIODevice::ReadOnly);
    thread_ = new QThread();
    thread_->setObjectName("audio");
    thread_->start();
    owner_ = new QObject();
    owner_->moveToThread(thread_);
    bool ok = false;
    QMetaObject::invokeMethod(
        owner_,
        [&] {
            sink_ = new QAudioSink(device, format, owner_);
            sink_->setBufferSize(sampleRate * channels * 2 / 5); // 200 ms
            sink_->start(ring_.get());
            ok = sink_->error() == QAudio::NoError;
            if (ok) {
                sink_->suspend();
                // The played position, sampled on the device's thread.
                auto* poll = new QTimer(owner_);
                QAudioSink* sink = sink_;
                QObject::connect(poll, &QTimer::timeout, poll, [this, sink] {
                    playedUs_ = sink->processedUSecs();
                    playedAtNs_ = SteadyNs();
                });
                poll->start(5);
            }
        },
        Qt::BlockingQueuedConnection);
    if (!ok) {
        *error = "the sound device could not be started";
        Close();
        return false;
    }
    return true;
}

void AudioOutput::Close() {
    if (ring_) {
        ring_->Abort();
    }
    if (thread_ != nullptr) {
        QObject* owner = owner_;
        QMetaObject::invokeMethod(
            owner,
            [owner] {
                delete owner; // stops and deletes the sink with it
            },
            Qt::BlockingQueuedConnection);
        thread_->quit();
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
        owner_ = nullptr;
        sink_ = nullptr;
    }
    ring_.reset();
    playing_ = false;
}

bool AudioOutput::Write(const uint8_t* data, size_t bytes, int64_t time, int serial) {
    return ring_ && ring_->Put(data, bytes, time, serial);
}

void AudioOutput::Flush(int serial) {
    if (ring_) {
        ring_->Flush(serial);
    }
}

void AudioOutput::Abort() {
    if (ring_) {
        ring_->Abort();
    }
}

void AudioOutput::SetPlaying(bool playing) {
    if (sink_ == nullptr || playing_ == playing) {
        return;
    }
    playing_ = playing;
    QAudioSink* sink = sink_;
    QMetaObject::invokeMethod(
        owner_, [sink, playing] { playing ? sink->resume() : sink->suspend(); },
        Qt::QueuedConnection);
}

void AudioOutput::SetVolume(double volume) {
    if (sink_ == nullptr) {
        return;
    }
    QAudioSink* sink = sink_;
    QMetaObject::invokeMethod(
        owner_, [sink, volume] { sink->setVolume(volume); }, Qt::QueuedConnection);
}

bool AudioOutput::Position(int64_t* time) const {
    if (!playing_ || !ring_) {
        return false;
    }
    const int64_t us = playedUs_.load();
    const int64_t at = playedAtNs_.load();
    if (at == 0) {
        return false;
    }
    // Extrapolated from the last sample of the played position.
    const int64_t nowUs = us + (SteadyNs() - at) / 1000;
    const int64_t bytesPerSecond = static_cast<int64_t>(sampleRate_) * channels_ * 2;
    int64_t played = nowUs * bytesPerSecond / 1000000;
    played -= played % (channels_ * 2);
    return ring_->Heard(played, time);
}

} // namespace player
