#include "MediaProbe.h"

#include "synth/Synth.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace testsupport {

namespace {

std::string AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;

FormatPtr Open(const std::string& path, std::string* error) {
    AVFormatContext* raw = nullptr;
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "ignore_editlist", "1", 0);
    const int rc = avformat_open_input(&raw, path.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        *error = "open: " + AvError(rc);
        return nullptr;
    }
    FormatPtr fmt(raw);
    if (const int r = avformat_find_stream_info(raw, nullptr); r < 0) {
        *error = "stream info: " + AvError(r);
        return nullptr;
    }
    return fmt;
}

} // namespace

std::vector<MediaPacket> MediaFile::Stream(int index) const {
    std::vector<MediaPacket> out;
    for (const MediaPacket& p : packets) {
        if (p.stream == index) {
            out.push_back(p);
        }
    }
    return out;
}

MediaFile ReadMedia(const std::string& path) {
    MediaFile file;
    FormatPtr fmt = Open(path, &file.error);
    if (!fmt) {
        return file;
    }
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        MediaStreamInfo info;
        info.codec = avcodec_get_name(st->codecpar->codec_id);
        info.width = st->codecpar->width;
        info.height = st->codecpar->height;
        info.timeBaseNum = st->time_base.num;
        info.timeBaseDen = st->time_base.den;
        file.streams.push_back(info);
    }
    if (fmt->duration > 0) {
        file.durationSec = static_cast<double>(fmt->duration) / AV_TIME_BASE;
    }
    AVPacket* pkt = av_packet_alloc();
    int rc = 0;
    while ((rc = av_read_frame(fmt.get(), pkt)) >= 0) {
        MediaPacket p;
        p.stream = pkt->stream_index;
        p.dts = pkt->dts;
        p.pts = pkt->pts;
        p.duration = pkt->duration;
        p.key = (pkt->flags & AV_PKT_FLAG_KEY) != 0;
        p.data.assign(reinterpret_cast<const char*>(pkt->data), static_cast<size_t>(pkt->size));
        file.packets.push_back(std::move(p));
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    if (rc != AVERROR_EOF) {
        file.error = "read: " + AvError(rc);
        return file;
    }
    file.ok = true;
    return file;
}

DecodeResult DecodeMedia(const std::string& path, bool readCodes) {
    DecodeResult result;
    FormatPtr fmt = Open(path, &result.error);
    if (!fmt) {
        return result;
    }
    std::vector<AVCodecContext*> decoders(fmt->nb_streams, nullptr);
    auto cleanup = [&] {
        for (AVCodecContext*& c : decoders) {
            avcodec_free_context(&c);
        }
    };
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(fmt->streams[i]->codecpar->codec_id);
        if (codec == nullptr) {
            continue;
        }
        AVCodecContext* c = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(c, fmt->streams[i]->codecpar);
        c->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM;
        if (avcodec_open2(c, codec, nullptr) < 0) {
            avcodec_free_context(&c);
            continue;
        }
        decoders[i] = c;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* sws = nullptr;
    std::vector<uint8_t> rgb;
    bool failed = false;
    auto drain = [&](AVCodecContext* c) {
        while (true) {
            const int r = avcodec_receive_frame(c, frame);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) {
                return;
            }
            if (r < 0) {
                if (!failed) {
                    result.error = "decode: " + AvError(r);
                }
                failed = true;
                return;
            }
            if (c->codec_type == AVMEDIA_TYPE_VIDEO) {
                ++result.videoFrames;
                if (readCodes) {
                    const int w = frame->width;
                    const int h = frame->height;
                    sws = sws_getCachedContext(sws, w, h, static_cast<AVPixelFormat>(frame->format),
                                               w, h, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                                               nullptr, nullptr);
                    rgb.resize(static_cast<size_t>(w) * h * 4);
                    uint8_t* dst[4] = {rgb.data(), nullptr, nullptr, nullptr};
                    int stride[4] = {w * 4, 0, 0, 0};
                    sws_scale(sws, frame->data, frame->linesize, 0, h, dst, stride);
                    result.frameCodes.push_back(synth::ReadFrameIndex(rgb.data(), w, h, w * 4));
                }
            } else if (c->codec_type == AVMEDIA_TYPE_AUDIO) {
                ++result.audioFrames;
            }
            av_frame_unref(frame);
        }
    };
    int rc = 0;
    while ((rc = av_read_frame(fmt.get(), pkt)) >= 0) {
        AVCodecContext* c = decoders[static_cast<size_t>(pkt->stream_index)];
        if (c != nullptr) {
            const int s = avcodec_send_packet(c, pkt);
            if (s < 0 && !failed) {
                result.error = "send: " + AvError(s);
                failed = true;
            }
            drain(c);
        }
        av_packet_unref(pkt);
    }
    if (rc != AVERROR_EOF && !failed) {
        result.error = "read: " + AvError(rc);
        failed = true;
    }
    for (AVCodecContext* c : decoders) {
        if (c != nullptr) {
            avcodec_send_packet(c, nullptr);
            drain(c);
        }
    }
    sws_freeContext(sws);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    cleanup();
    result.ok = !failed;
    return result;
}

} // namespace testsupport
