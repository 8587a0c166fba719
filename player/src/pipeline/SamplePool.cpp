#include "player/SamplePool.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
}

namespace player {

SamplePool::~SamplePool() {
    Clear();
}

HResult SamplePool::Initialize(std::vector<std::unique_ptr<VideoSample>> samples) {
    std::lock_guard lock(mutex_);
    if (initialized_) {
        return kInvalidRequest;
    }
    for (auto& s : samples) {
        free_.push_back(s.get());
        all_.push_back(std::move(s));
    }
    inUse_ = 0;
    initialized_ = true;
    return kOk;
}

void SamplePool::Clear() {
    std::lock_guard lock(mutex_);
    // Samples still in use stay alive until they come back; they are then
    // recognised as strangers and deleted by ReturnSample.
    for (auto& s : all_) {
        const bool isFree = std::find(free_.begin(), free_.end(), s.get()) != free_.end();
        if (isFree) {
            av_frame_free(&s->frame);
        } else {
            (void)s.release();
        }
    }
    all_.clear();
    free_.clear();
    inUse_ = 0;
    initialized_ = false;
}

HResult SamplePool::GetSample(VideoSample** sample) {
    std::lock_guard lock(mutex_);
    if (!initialized_) {
        return kNotInitialized;
    }
    if (free_.empty()) {
        return kNoSampleAvailable;
    }
    *sample = free_.front();
    free_.pop_front();
    ++inUse_;
    return kOk;
}

void SamplePool::ReturnSample(VideoSample* sample) {
    if (sample == nullptr) {
        return;
    }
    if (sample->frame != nullptr) {
        av_frame_unref(sample->frame);
    }
    std::lock_guard lock(mutex_);
    const bool ours =
        std::any_of(all_.begin(), all_.end(), [&](const auto& s) { return s.get() == sample; });
    if (!ours) {
        av_frame_free(&sample->frame);
        delete sample;
        return;
    }
    if (std::find(free_.begin(), free_.end(), sample) == free_.end()) {
        free_.push_back(sample);
        --inUse_;
    }
}

bool SamplePool::AreSamplesPending() const {
    std::lock_guard lock(mutex_);
    return initialized_ && inUse_ > 0;
}

int SamplePool::InUse() const {
    std::lock_guard lock(mutex_);
    return inUse_;
}

} // namespace player
