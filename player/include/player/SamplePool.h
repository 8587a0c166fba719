// The free list of the presenter's samples. Exactly two samples circulate: one
// on screen (or on its way), one being filled by the decoder.
#pragma once

#include "player/VideoSample.h"

#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace player {

class SamplePool {
public:
    SamplePool() = default;
    ~SamplePool();
    SamplePool(const SamplePool&) = delete;
    SamplePool& operator=(const SamplePool&) = delete;

    // Takes the samples; kInvalidRequest when already initialised.
    HResult Initialize(std::vector<std::unique_ptr<VideoSample>> samples);
    // Frees every sample; samples still out are deleted when they return
    // (their token no longer matches, see EVRCustomPresenter).
    void Clear();
    // kNotInitialized before Initialize; kNoSampleAvailable when all are out.
    HResult GetSample(VideoSample** sample);
    // A sample that is not one of ours (an older generation) is deleted.
    void ReturnSample(VideoSample* sample);
    bool AreSamplesPending() const;
    int InUse() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<VideoSample>> all_;
    std::list<VideoSample*> free_;
    int inUse_ = 0;
    bool initialized_ = false;
};

} // namespace player
