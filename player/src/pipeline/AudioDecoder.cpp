#include "player/AudioDecoder.h"

#include "player/AudioOutput.h"
#include "player/PacketQueue.h"
#include "player/PresentationClock.h"
#include "player/VideoSample.h"

#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace player {

AudioDecoder::~AudioDecoder() {
    Stop();
    avcodec_free_context(&codec_);
    swr_free(&swr_);
}

bool AudioDecoder::Open(AVStream* stream, std::string* error) {
    stream_ = stream;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        *error = "no decoder for the audio stream";
        return false;
    }
    codec_ = avcodec_alloc_context3(codec);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream->codecpar) < 0 ||
        avcodec_open2(codec_, codec, nullptr) < 0) {
        *error = "cannot open the audio decoder";
        return false;
    }
    codec_->pkt_timebase = stream->time_base;
    rate_ = codec_->sample_rate;
    channels_ = codec_->ch_layout.nb_channels >= 2 ? 2 : 1;
    if (rate_ <= 0 || codec_->ch_layout.nb_channels <= 0) {
        *error = "the audio stream has no format";
        return false;
    }
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels_);
    const int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_S16, rate_, &codec_->ch_layout,
                                      codec_->sample_fmt, rate_, 0, nullptr);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(swr_) < 0) {
        *error = "cannot convert the audio stream";
        return false;
    }
    return true;
}

void AudioDecoder::Start(PacketQueue* queue, AudioOutput* output, const PresentationClock* clock,
                         int64_t startPts) {
    queue_ = queue;
    output_ = output;
    clock_ = clock;
    startPts_ = startPts;
    stop_ = false;
    thread_ = std::thread([this] { ThreadProc(); });
}

void AudioDecoder::Stop() {
    stop_ = true;
    if (output_ != nullptr) {
        output_->Abort();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AudioDecoder::ThreadProc() {
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<uint8_t> pcm;
    int current = -1;
    const AVRational hns{1, 10000000};
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
            avcodec_flush_buffers(codec_);
            current = serial;
        }
        if (r == PacketQueue::Result::End) {
            continue;
        }
        const int sent = avcodec_send_packet(codec_, packet);
        av_packet_unref(packet);
        if (sent < 0) {
            continue;
        }
        while (!stop_ && avcodec_receive_frame(codec_, frame) == 0) {
            const int64_t pts = frame->best_effort_timestamp;
            const int64_t time =
                pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts - startPts_, stream_->time_base, hns);
            const int64_t duration =
                static_cast<int64_t>(frame->nb_samples) * kHnsPerSecond / rate_;
            const bool stale = clock_ != nullptr && time + duration < clock_->GetTime();
            if (!audible_ || stale) {
                av_frame_unref(frame);
                continue;
            }
            const int maxOut = swr_get_out_samples(swr_, frame->nb_samples);
            pcm.resize(static_cast<size_t>(maxOut) * channels_ * 2);
            uint8_t* outPlanes[1] = {pcm.data()};
            const int n =
                swr_convert(swr_, outPlanes, maxOut,
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame);
            if (n > 0) {
                output_->Write(pcm.data(), static_cast<size_t>(n) * channels_ * 2, time, serial);
            }
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
}

} // namespace player
