#include "player/VideoMixer.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace player {

VideoMixer::VideoMixer() : pending_(av_frame_alloc()), last_(av_frame_alloc()) {}

VideoMixer::~VideoMixer() {
    av_frame_free(&pending_);
    av_frame_free(&last_);
}

void VideoMixer::SetFormat(const VideoFormat& format) {
    std::lock_guard lock(mutex_);
    format_ = format;
}

VideoFormat VideoMixer::Format() const {
    std::lock_guard lock(mutex_);
    return format_;
}

bool VideoMixer::PutFrame(AVFrame* frame, int64_t time, int64_t duration, int serial) {
    {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return aborted_ || serial != serial_ || !hasPending_; });
        if (aborted_ || serial != serial_) {
            av_frame_unref(frame);
            return false;
        }
        av_frame_unref(pending_);
        av_frame_move_ref(pending_, frame);
        pendingTime_ = time;
        pendingDuration_ = duration;
        hasPending_ = true;
    }
    if (inputNotify) {
        inputNotify();
    }
    return true;
}

void VideoMixer::PutEndOfStream(int serial) {
    bool notifyNow = false;
    {
        std::lock_guard lock(mutex_);
        if (aborted_ || serial != serial_) {
            return;
        }
        if (hasPending_) {
            endPending_ = true;
        } else {
            notifyNow = true;
        }
    }
    if (notifyNow && endOfStream) {
        endOfStream();
    }
}

void VideoMixer::Flush(int serial) {
    std::lock_guard lock(mutex_);
    av_frame_unref(pending_);
    hasPending_ = false;
    endPending_ = false;
    serial_ = serial;
    cv_.notify_all();
}

void VideoMixer::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    cv_.notify_all();
}

HResult VideoMixer::ProcessOutput(VideoSample* sample, bool repaint) {
    bool notifyEnd = false;
    {
        std::lock_guard lock(mutex_);
        if (sample->frame == nullptr) {
            sample->frame = av_frame_alloc();
            if (sample->frame == nullptr) {
                return kFail;
            }
        }
        av_frame_unref(sample->frame);
        if (hasPending_) {
            av_frame_unref(last_);
            if (av_frame_ref(last_, pending_) < 0) {
                return kFail;
            }
            av_frame_move_ref(sample->frame, pending_);
            hasLast_ = true;
            lastTime_ = pendingTime_;
            lastDuration_ = pendingDuration_;
            sample->time = pendingTime_;
            sample->duration = pendingDuration_;
            sample->serial = serial_;
            lastSerial_ = serial_;
            hasPending_ = false;
            cv_.notify_all();
            if (endPending_) {
                endPending_ = false;
                notifyEnd = true;
            }
        } else if (repaint && hasLast_ && lastSerial_ == serial_) {
            // (After a flush the last picture belongs to the old position.)
            if (av_frame_ref(sample->frame, last_) < 0) {
                return kFail;
            }
            sample->time = lastTime_;
            sample->duration = lastDuration_;
            sample->serial = lastSerial_;
        } else {
            return kNeedMoreInput;
        }
    }
    if (notifyEnd && endOfStream) {
        endOfStream();
    }
    return kOk;
}

bool VideoMixer::HasInput() const {
    std::lock_guard lock(mutex_);
    return hasPending_;
}

} // namespace player
