#include "player/VideoDecoder.h"

#include "player/PacketQueue.h"
#include "player/PresentationClock.h"
#include "player/VideoMixer.h"

#include <chrono>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace player {

namespace {

constexpr AVRational kHns{1, 10000000};

bool Presentable(int format) {
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P ||
           format == AV_PIX_FMT_NV12;
}

AVPixelFormat PickFormat(AVCodecContext* ctx, const AVPixelFormat* formats) {
    const int hw = static_cast<int>(reinterpret_cast<intptr_t>(ctx->opaque));
    for (const AVPixelFormat* p = formats; *p != AV_PIX_FMT_NONE; ++p) {
        if (static_cast<int>(*p) == hw) {
            return *p;
        }
    }
    // No hardware surface for this stream: the first software format.
    for (const AVPixelFormat* p = formats; *p != AV_PIX_FMT_NONE; ++p) {
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(*p);
        if (d != nullptr && (d->flags & AV_PIX_FMT_FLAG_HWACCEL) == 0) {
            return *p;
        }
    }
    return formats[0];
}

} // namespace

VideoDecoder::~VideoDecoder() {
    Stop();
    avcodec_free_context(&codec_);
    av_buffer_unref(&hwDevice_);
    sws_freeContext(sws_);
    av_frame_free(&swFrame_);
    av_frame_free(&converted_);
    av_frame_free(&held_);
}

bool VideoDecoder::Open(AVStream* stream, bool hardware, std::string* error) {
    stream_ = stream;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        *error = "no decoder for the video stream";
        return false;
    }
    codec_ = avcodec_alloc_context3(codec);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) {
        *error = "cannot set up the video decoder";
        return false;
    }
    codec_->pkt_timebase = stream->time_base;
    codec_->thread_count = 0; // one per core
    codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (hardware) {
        // Whichever device FFmpeg can open here; none is fine (software).
        const AVHWDeviceType kinds[] = {AV_HWDEVICE_TYPE_VAAPI, AV_HWDEVICE_TYPE_VDPAU,
                                        AV_HWDEVICE_TYPE_CUDA};
        for (AVHWDeviceType kind : kinds) {
            int pixfmt = -1;
            for (int i = 0;; ++i) {
                const AVCodecHWConfig* config = avcodec_get_hw_config(codec, i);
                if (config == nullptr) {
                    break;
                }
                if ((config->methods & AV_CODEC_HW_CONFIG_METHOD_HW_DEVICE_CTX) != 0 &&
                    config->device_type == kind) {
                    pixfmt = config->pix_fmt;
                    break;
                }
            }
            if (pixfmt < 0) {
                continue;
            }
            AVBufferRef* device = nullptr;
            if (av_hwdevice_ctx_create(&device, kind, nullptr, nullptr, 0) == 0) {
                hwDevice_ = device;
                hwPixelFormat_ = pixfmt;
                codec_->hw_device_ctx = av_buffer_ref(device);
                codec_->opaque = reinterpret_cast<void*>(static_cast<intptr_t>(pixfmt));
                codec_->get_format = PickFormat;
                break;
            }
        }
    }
    if (avcodec_open2(codec_, codec, nullptr) < 0) {
        if (hwDevice_ == nullptr || !SwitchToSoftware()) {
            *error = "cannot open the video decoder";
            return false;
        }
    }
    swFrame_ = av_frame_alloc();
    converted_ = av_frame_alloc();
    held_ = av_frame_alloc();
    format_.width = stream->codecpar->width;
    format_.height = stream->codecpar->height;
    const int src = stream->codecpar->format;
    format_.pixelFormat =
        (hwDevice_ != nullptr) ? AV_PIX_FMT_NV12 : (Presentable(src) ? src : AV_PIX_FMT_YUV420P);
    format_.fullRange =
        stream->codecpar->color_range == AVCOL_RANGE_JPEG || src == AV_PIX_FMT_YUVJ420P;
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        rate = stream->r_frame_rate;
    }
    if (rate.num > 0 && rate.den > 0) {
        format_.frameRateNum = rate.num;
        format_.frameRateDen = rate.den;
        frameDuration_ = av_rescale(kHnsPerSecond, rate.den, rate.num);
    } else {
        frameDuration_ = kHnsPerSecond / 30;
    }
    if (format_.width <= 0 || format_.height <= 0) {
        *error = "the video stream has no frame size";
        return false;
    }
    return true;
}

bool VideoDecoder::SwitchToSoftware() {
    const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
    avcodec_free_context(&codec_);
    av_buffer_unref(&hwDevice_);
    hwPixelFormat_ = -1;
    codec_ = avcodec_alloc_context3(codec);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream_->codecpar) < 0) {
        return false;
    }
    codec_->pkt_timebase = stream_->time_base;
    codec_->thread_count = 0;
    codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    return avcodec_open2(codec_, codec, nullptr) == 0;
}

void VideoDecoder::Start(PacketQueue* queue, VideoMixer* mixer, const PresentationClock* clock,
                         int64_t startPts) {
    queue_ = queue;
    mixer_ = mixer;
    clock_ = clock;
    startPts_ = startPts;
    stop_ = false;
    thread_ = std::thread([this] { ThreadProc(); });
}

void VideoDecoder::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void VideoDecoder::SetTarget(int serial, int64_t time) {
    std::lock_guard lock(lock_);
    targetSerial_ = serial;
    targetTime_ = time;
}

std::vector<double> VideoDecoder::DecodeTimes() const {
    std::lock_guard lock(lock_);
    return decodeMs_;
}

AVFrame* VideoDecoder::ToPresentable(AVFrame* frame) {
    AVFrame* src = frame;
    if (hwPixelFormat_ >= 0 && frame->format == hwPixelFormat_) {
        av_frame_unref(swFrame_);
        swFrame_->format = AV_PIX_FMT_NV12;
        if (av_hwframe_transfer_data(swFrame_, frame, 0) < 0) {
            return nullptr;
        }
        av_frame_copy_props(swFrame_, frame);
        src = swFrame_;
    }
    if (src->format == format_.pixelFormat && src->width == format_.width &&
        src->height == format_.height) {
        return src;
    }
    if (Presentable(src->format) && src->width == format_.width && src->height == format_.height) {
        return src; // the layout can change between NV12 and planar at a fallback
    }
    // Anything else (10-bit, 4:2:2 ...) becomes planar 4:2:0 of the stream's size.
    sws_ = sws_getCachedContext(
        sws_, src->width, src->height, static_cast<AVPixelFormat>(src->format), format_.width,
        format_.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (sws_ == nullptr) {
        return nullptr;
    }
    av_frame_unref(converted_);
    converted_->format = AV_PIX_FMT_YUV420P;
    converted_->width = format_.width;
    converted_->height = format_.height;
    if (av_frame_get_buffer(converted_, 0) < 0) {
        return nullptr;
    }
    sws_scale(sws_, src->data, src->linesize, 0, src->height, converted_->data,
              converted_->linesize);
    av_frame_copy_props(converted_, src);
    return converted_;
}

bool VideoDecoder::HandleFrame(AVFrame* decoded, int serial) {
    int64_t pts = decoded->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        pts = decoded->pts;
    }
    const int64_t time =
        pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts - startPts_, stream_->time_base, kHns);
    int64_t duration = decoded->pkt_duration > 0
                           ? av_rescale_q(decoded->pkt_duration, stream_->time_base, kHns)
                           : frameDuration_;
    if (duration <= 0) {
        duration = frameDuration_;
    }
    int64_t target = 0;
    {
        std::lock_guard lock(lock_);
        target = targetSerial_ == serial ? targetTime_ : 0;
    }
    AVFrame* frame = ToPresentable(decoded);
    if (frame == nullptr) {
        return true; // an undecodable picture is skipped
    }
    if (time + duration <= target) {
        // Before the target: keep it in case the stream ends before the target.
        av_frame_unref(held_);
        if (av_frame_ref(held_, frame) == 0) {
            held_->pts = time;
            held_->pkt_duration = duration;
            hasHeld_ = true;
        }
        return true;
    }
    hasHeld_ = false;
    if (clock_ != nullptr && clock_->IsRunning() && clock_->Rate() > 0) {
        const int64_t lateBy = clock_->GetTime() - (time + duration);
        // Above x2 a picture that ended more than four frames ago is thinned; at
        // any rate one far behind is, so that the picture catches up with the
        // clock. A late picture is still shown when nothing was for 100 ms,
        // so that the view keeps moving while whole groups are skipped.
        const auto now = std::chrono::steady_clock::now();
        const bool starving = now - lastDelivered_ > std::chrono::milliseconds(100);
        const bool thin =
            !starving && (thinning_ ? lateBy > 4 * duration : lateBy > kHnsPerSecond / 2);
        if (thin) {
            ++thinned_;
            if (lateBy > kHnsPerSecond / 2) {
                codec_->skip_frame = AVDISCARD_NONKEY; // skip to the next key frame
            }
            av_frame_unref(frame);
            return true;
        }
    }
    if (clock_ == nullptr || clock_->GetTime() - (time + duration) <= kHnsPerSecond / 2) {
        codec_->skip_frame = AVDISCARD_DEFAULT;
    }
    lastDelivered_ = std::chrono::steady_clock::now();
    AVFrame* out = av_frame_alloc();
    if (out == nullptr || av_frame_ref(out, frame) < 0) {
        av_frame_free(&out);
        return true;
    }
    if (frame != decoded) {
        av_frame_unref(frame);
    }
    const bool ok = mixer_->PutFrame(out, time, duration, serial);
    av_frame_free(&out);
    return ok;
}

void VideoDecoder::ThreadProc() {
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int current = -1;
    bool ended = false;
    // Time spent inside the decoder's calls since the last picture came out
    // (waiting for the presenter is not counted).
    double codecMs = 0.0;
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    };
    while (!stop_) {
        int serial = 0;
        const PacketQueue::Result r = queue_->Get(packet, &serial, 50);
        if (r == PacketQueue::Result::Aborted) {
            break;
        }
        if (r == PacketQueue::Result::Timeout) {
            continue;
        }
        if (serial != current) {
            if (current >= 0 || ended) {
                avcodec_flush_buffers(codec_);
            }
            codec_->skip_frame = AVDISCARD_DEFAULT;
            current = serial;
            hasHeld_ = false;
            ended = false;
        }
        const Clock::time_point sendStart = Clock::now();
        int sent = 0;
        if (r == PacketQueue::Result::End) {
            sent = avcodec_send_packet(codec_, nullptr); // drain
        } else {
            sent = avcodec_send_packet(codec_, packet);
            av_packet_unref(packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) && hwDevice_ != nullptr) {
                // The hardware gave up: continue in software from the next key frame.
                SwitchToSoftware();
                format_.pixelFormat = AV_PIX_FMT_YUV420P;
            }
        }
        codecMs += since(sendStart);
        bool keep = true;
        for (;;) {
            const Clock::time_point receiveStart = Clock::now();
            const int got = avcodec_receive_frame(codec_, frame);
            codecMs += since(receiveStart);
            if (got < 0) {
                break;
            }
            {
                std::lock_guard lock(lock_);
                decodeMs_.push_back(codecMs);
            }
            codecMs = 0.0;
            keep = HandleFrame(frame, serial);
            av_frame_unref(frame);
            if (!keep || stop_) {
                break;
            }
        }
        if (r == PacketQueue::Result::End && keep) {
            if (hasHeld_) {
                // Asked for a time past the last picture: show the last one.
                AVFrame* out = av_frame_alloc();
                if (out != nullptr && av_frame_ref(out, held_) == 0) {
                    mixer_->PutFrame(out, held_->pts, held_->pkt_duration, serial);
                }
                av_frame_free(&out);
                hasHeld_ = false;
            }
            mixer_->PutEndOfStream(serial);
            ended = true;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
}

} // namespace player
