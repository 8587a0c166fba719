// A video sample: one decoded picture on its way from the decoder to the
// window, with the time it is due. Pictures are held by reference (AVFrame),
// never copied on the way. Also the result codes the presenter side speaks.
#pragma once

#include <cstdint>

struct AVFrame;

namespace player {

// Result codes of the session and presenter layer, by their classic values.
using HResult = uint32_t;
constexpr HResult kOk = 0;
constexpr HResult kFail = 0x80004005;               // E_FAIL
constexpr HResult kUnexpected = 0x8000FFFF;         // E_UNEXPECTED
constexpr HResult kInvalidArg = 0x80070057;         // E_INVALIDARG
constexpr HResult kPointer = 0x80004003;            // E_POINTER
constexpr HResult kInvalidRequest = 0xC00D36B2;     // MF_E_INVALIDREQUEST
constexpr HResult kNotInitialized = 0xC00D36B6;     // MF_E_NOT_INITIALIZED
constexpr HResult kShutdown = 0xC00D3E85;           // MF_E_SHUTDOWN
constexpr HResult kTypeNotSet = 0xC00D6D60;         // MF_E_TRANSFORM_TYPE_NOT_SET
constexpr HResult kNeedMoreInput = 0xC00D6D72;      // MF_E_TRANSFORM_NEED_MORE_INPUT
constexpr HResult kStreamChange = 0xC00D6D61;       // MF_E_TRANSFORM_STREAM_CHANGE
constexpr HResult kUnsupportedRate = 0xC00D36D0;    // MF_E_UNSUPPORTED_RATE
constexpr HResult kUnsupportedService = 0xC00D36BA; // MF_E_UNSUPPORTED_SERVICE
constexpr HResult kNoSampleAvailable = 0x00000001;  // S_FALSE: nothing to do
inline bool Succeeded(HResult hr) {
    return (hr & 0x80000000u) == 0;
}

// Media time unit: 100 ns.
constexpr int64_t kHnsPerSecond = 10000000;

// What the decoder hands to the presenter: the frame size, the pixel layout
// and the frame rate of the stream.
struct VideoFormat {
    int width = 0;
    int height = 0;
    int pixelFormat = -1; // AVPixelFormat of the pictures delivered
    int frameRateNum = 0; // 0 when the stream does not say
    int frameRateDen = 0;
    bool fullRange = false; // 0..255 instead of 16..235
};

struct VideoSample {
    AVFrame* frame = nullptr; // owned; unref'd when the sample goes back to the pool
    int64_t time = -1;        // desired presentation time (100 ns); -1 = at once
    int64_t duration = 0;     // 100 ns
    uint32_t token = 0;       // resource generation the sample belongs to
    int serial = 0;           // position serial of the picture (seek generation)
    bool repaint = false;
};

} // namespace player
