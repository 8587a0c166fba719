#include "MovieAnatomy.h"

#include "synth/Synth.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <map>

namespace synthtest {

uint32_t Be32(const std::string& b, uint64_t at) {
    if (at + 4 > b.size()) {
        return 0;
    }
    auto u = [&](uint64_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[i])); };
    return (u(at) << 24) | (u(at + 1) << 16) | (u(at + 2) << 8) | u(at + 3);
}

std::vector<Box> ChildBoxes(const std::string& b, uint64_t begin, uint64_t end) {
    std::vector<Box> out;
    end = std::min<uint64_t>(end, b.size());
    for (uint64_t o = begin; o + 8 <= end;) {
        const uint64_t size = Be32(b, o);
        if (size < 8) {
            break;
        }
        out.push_back({b.substr(o + 4, 4), o, size});
        o += size;
    }
    return out;
}

std::vector<Box> TopLevelBoxes(const std::string& b) {
    return ChildBoxes(b, 0, b.size());
}

namespace {

const Box* Find(const std::vector<Box>& boxes, const std::string& type) {
    for (const Box& x : boxes) {
        if (x.type == type) {
            return &x;
        }
    }
    return nullptr;
}

std::vector<Box> Inside(const std::string& b, const Box& x) {
    return ChildBoxes(b, x.offset + 8, x.offset + x.size);
}

} // namespace

std::vector<TrackFacts> Tracks(const std::string& b) {
    std::vector<TrackFacts> out;
    const auto top = TopLevelBoxes(b);
    const Box* moov = Find(top, "moov");
    if (moov == nullptr) {
        return out;
    }
    for (const Box& trak : Inside(b, *moov)) {
        if (trak.type != "trak") {
            continue;
        }
        TrackFacts t;
        const auto tk = Inside(b, trak);
        const Box* mdia = Find(tk, "mdia");
        if (mdia == nullptr) {
            continue;
        }
        const auto md = Inside(b, *mdia);
        if (const Box* mdhd = Find(md, "mdhd")) {
            t.timescale = Be32(b, mdhd->offset + 8 + 12); // version 0
        }
        if (const Box* hdlr = Find(md, "hdlr")) {
            t.handler = b.substr(hdlr->offset + 8 + 8, 4);
        }
        if (const Box* minf = Find(md, "minf")) {
            const auto mi = Inside(b, *minf);
            if (const Box* stbl = Find(mi, "stbl")) {
                const auto st = Inside(b, *stbl);
                if (const Box* stts = Find(st, "stts")) {
                    const uint32_t n = Be32(b, stts->offset + 12);
                    for (uint32_t i = 0; i < n; ++i) {
                        t.stts.emplace_back(Be32(b, stts->offset + 16 + 8 * i),
                                            Be32(b, stts->offset + 20 + 8 * i));
                    }
                }
            }
        }
        out.push_back(t);
    }
    return out;
}

DecodedVideo DecodeAll(const std::string& path, int outW, int outH) {
    DecodedVideo r;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) {
        r.error = "cannot open";
        return r;
    }
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        avformat_close_input(&fmt);
        r.error = "no stream info";
        return r;
    }
    const int vs = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (vs != 0) {
        avformat_close_input(&fmt);
        r.error = "video is not stream 0";
        return r;
    }
    const AVCodecParameters* par = fmt->streams[vs]->codecpar;
    const AVCodec* dec = avcodec_find_decoder(par->codec_id);
    AVCodecContext* c = avcodec_alloc_context3(dec);
    avcodec_parameters_to_context(c, par);
    c->thread_count = 1;
    avcodec_open2(c, dec, nullptr);
    // Make the decoder strict, so damaged streams show up as errors.
    c->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* f = av_frame_alloc();
    SwsContext* sws = nullptr;
    std::vector<uint32_t> rgb;
    auto take = [&]() {
        for (;;) {
            const int rc = avcodec_receive_frame(c, f);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
                return;
            }
            if (rc < 0) {
                r.error = "receive_frame failed";
                return;
            }
            if (f->decode_error_flags != 0 || (f->flags & AV_FRAME_FLAG_CORRUPT) != 0) {
                r.error = "corrupt frame";
            }
            const int w = outW > 0 ? outW : f->width;
            const int h = outH > 0 ? outH : f->height;
            if (sws == nullptr) {
                sws = sws_getContext(f->width, f->height, static_cast<AVPixelFormat>(f->format), w,
                                     h, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
                sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_ITU709), 0,
                                         sws_getCoefficients(SWS_CS_ITU709), 1, 0, 1 << 16,
                                         1 << 16);
                rgb.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
            }
            uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(rgb.data()), nullptr, nullptr, nullptr};
            int dstStride[4] = {w * 4, 0, 0, 0};
            sws_scale(sws, f->data, f->linesize, 0, f->height, dst, dstStride);
            r.codes.push_back(
                synth::ReadFrameIndex(reinterpret_cast<const uint8_t*>(rgb.data()), w, h, w * 4));
            if (r.frames == 0) {
                r.first = rgb;
            }
            ++r.frames;
        }
    };
    while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == vs) {
            if (avcodec_send_packet(c, pkt) < 0) {
                r.error = "send_packet failed";
            }
            take();
        } else {
            ++r.audioPackets;
        }
        av_packet_unref(pkt);
    }
    avcodec_send_packet(c, nullptr);
    take();
    sws_freeContext(sws);
    av_frame_free(&f);
    av_packet_free(&pkt);
    avcodec_free_context(&c);
    avformat_close_input(&fmt);
    return r;
}

} // namespace synthtest
