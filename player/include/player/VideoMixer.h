// The hand-over point between the video decoder thread and the presenter: at
// most one decoded picture waits here. The decoder blocks while it is taken;
// the presenter pulls it into one of its samples (by reference, no copy) and
// may ask for the last picture again to repaint.
#pragma once

#include "player/VideoSample.h"

#include <condition_variable>
#include <functional>
#include <mutex>

struct AVFrame;

namespace player {

class VideoMixer {
public:
    VideoMixer();
    ~VideoMixer();
    VideoMixer(const VideoMixer&) = delete;
    VideoMixer& operator=(const VideoMixer&) = delete;

    // Called (outside the mixer's lock) whenever a picture starts waiting.
    std::function<void()> inputNotify;
    // Called once when the stream of the current serial has ended and its
    // last picture was taken.
    std::function<void()> endOfStream;

    void SetFormat(const VideoFormat& format);
    VideoFormat Format() const;

    // Decoder side. Moves the frame's reference in; blocks until the waiting
    // picture was taken. False (frame dropped) when aborted or flushed to
    // another serial.
    bool PutFrame(AVFrame* frame, int64_t time, int64_t duration, int serial);
    void PutEndOfStream(int serial);

    // Drops the waiting picture and accepts only `serial` from now on.
    void Flush(int serial);
    void Abort();

    // Presenter side: one picture into the sample. Repaint re-delivers the
    // last picture when none is waiting. kNeedMoreInput when there is none.
    HResult ProcessOutput(VideoSample* sample, bool repaint);
    bool HasInput() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    VideoFormat format_;
    AVFrame* pending_ = nullptr;
    bool hasPending_ = false;
    int64_t pendingTime_ = 0;
    int64_t pendingDuration_ = 0;
    AVFrame* last_ = nullptr; // reference of the last picture handed out
    int64_t lastTime_ = 0;
    int64_t lastDuration_ = 0;
    bool hasLast_ = false;
    int lastSerial_ = 0;
    int serial_ = 0;
    bool endPending_ = false;
    bool aborted_ = false;
};

} // namespace player
