// One camera recording: H.264 (libx264) video of the test chart with the frame
// code, an optional AAC tone, muxed by libavformat's mp4 muxer with a video
// time scale of 1 000 000 (stts deltas in microseconds), then the "gps0"
// sensor box appended after the muxer has finished, as the camera does.
#include "SynthInternal.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <system_error>
#include <vector>

namespace synth {

namespace {

struct CodecCtxFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct OutputFree {
    void operator()(AVFormatContext* oc) const {
        if (oc->pb != nullptr) {
            avio_closep(&oc->pb);
        }
        avformat_free_context(oc);
    }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCtxFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;

std::string AvError(const char* what, int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return std::string(what) + ": " + buf;
}

// BT.709, limited range (16..235 luma, 16..240 chroma): what the player's
// shader expects.
struct Yuv {
    double y, u, v;
};
Yuv ToYuv(uint32_t p) {
    const double r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    const double l = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    return {16.0 + 219.0 * l / 255.0, 128.0 + 224.0 * (b - l) / (1.8556 * 255.0),
            128.0 + 224.0 * (r - l) / (1.5748 * 255.0)};
}
uint8_t Clip8(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Converts the rectangle [x0, x1) x [y0, y1) (even bounds) of an RGB picture
// into the planes of a 4:2:0 frame.
void ConvertRegion(const uint32_t* rgb, int width, int x0, int y0, int x1, int y1, AVFrame* f) {
    for (int y = y0; y < y1; y += 2) {
        for (int x = x0; x < x1; x += 2) {
            double su = 0, sv = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const Yuv c =
                        ToYuv(rgb[static_cast<size_t>(y + dy) * static_cast<size_t>(width) +
                                  static_cast<size_t>(x + dx)]);
                    f->data[0][(y + dy) * f->linesize[0] + x + dx] = Clip8(c.y);
                    su += c.u;
                    sv += c.v;
                }
            }
            f->data[1][(y / 2) * f->linesize[1] + x / 2] = Clip8(su / 4.0);
            f->data[2][(y / 2) * f->linesize[2] + x / 2] = Clip8(sv / 4.0);
        }
    }
}

class Writer {
public:
    Writer(const std::string& path, const RecordingOptions& o) : path_(path), o_(o) {}

    bool Run(std::string* error) {
        if (!Open() || !WriteMedia()) {
            *error = error_;
            return false;
        }
        return true;
    }

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool Open() {
        AVFormatContext* raw = nullptr;
        int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", path_.c_str());
        if (rc < 0 || raw == nullptr) {
            return Fail(AvError("cannot create the mp4 muxer", rc));
        }
        oc_.reset(raw);
        oc_->flags |= AVFMT_FLAG_BITEXACT;

        // Video first: the camera's files have the video as track 1.
        const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
        if (x264 == nullptr) {
            return Fail("the libx264 encoder is not available in this FFmpeg");
        }
        video_.reset(avcodec_alloc_context3(x264));
        AVCodecContext* v = video_.get();
        delta_ = FrameDeltaUs(o_.fps);
        v->width = o_.width;
        v->height = o_.height;
        v->pix_fmt = AV_PIX_FMT_YUV420P;
        v->time_base = {1, 1000000};
        v->framerate = {1000000, static_cast<int>(delta_)};
        v->sample_aspect_ratio = {1, 1};
        v->gop_size = std::max(1, o_.gopFrames);
        v->keyint_min = v->gop_size;
        v->max_b_frames = o_.bframes ? 2 : 0;
        v->color_range = AVCOL_RANGE_MPEG;
        v->colorspace = AVCOL_SPC_BT709;
        v->color_primaries = AVCOL_PRI_BT709;
        v->color_trc = AVCOL_TRC_BT709;
        v->flags |= AV_CODEC_FLAG_CLOSED_GOP;
        if ((oc_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
            v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        AVDictionary* vopts = nullptr;
        av_dict_set(&vopts, "preset", o_.preset.c_str(), 0);
        av_dict_set_int(&vopts, "crf", o_.crf, 0);
        av_dict_set(&vopts, "x264-params",
                    o_.bframes ? "scenecut=0:open-gop=0:b-pyramid=none" : "scenecut=0:open-gop=0",
                    0);
        rc = avcodec_open2(v, x264, &vopts);
        av_dict_free(&vopts);
        if (rc < 0) {
            return Fail(AvError("cannot open the H.264 encoder", rc));
        }
        vst_ = avformat_new_stream(oc_.get(), nullptr);
        if (vst_ == nullptr) {
            return Fail("cannot add the video stream");
        }
        vst_->time_base = v->time_base;
        vst_->avg_frame_rate = v->framerate;
        avcodec_parameters_from_context(vst_->codecpar, v);

        if (o_.audio) {
            const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
            if (aac == nullptr) {
                return Fail("the AAC encoder is not available in this FFmpeg");
            }
            audio_.reset(avcodec_alloc_context3(aac));
            AVCodecContext* a = audio_.get();
            a->sample_rate = kSampleRate;
            a->sample_fmt = AV_SAMPLE_FMT_FLTP;
            av_channel_layout_default(&a->ch_layout, 1);
            a->bit_rate = 64000;
            a->time_base = {1, kSampleRate};
            a->flags |= AV_CODEC_FLAG_BITEXACT;
            if ((oc_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
                a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            }
            rc = avcodec_open2(a, aac, nullptr);
            if (rc < 0) {
                return Fail(AvError("cannot open the AAC encoder", rc));
            }
            ast_ = avformat_new_stream(oc_.get(), nullptr);
            if (ast_ == nullptr) {
                return Fail("cannot add the audio stream");
            }
            ast_->time_base = a->time_base;
            avcodec_parameters_from_context(ast_->codecpar, a);
        }

        rc = avio_open(&oc_->pb, path_.c_str(), AVIO_FLAG_WRITE);
        if (rc < 0) {
            return Fail(AvError(("cannot create " + path_).c_str(), rc));
        }
        AVDictionary* mux = nullptr;
        av_dict_set(&mux, "video_track_timescale", "1000000", 0);
        if (o_.fastStart) {
            av_dict_set(&mux, "movflags", "faststart", 0);
        }
        rc = avformat_write_header(oc_.get(), &mux);
        av_dict_free(&mux);
        if (rc < 0) {
            return Fail(AvError("cannot write the mp4 header", rc));
        }
        return true;
    }

    bool Drain(AVCodecContext* c, AVStream* st, int64_t duration) {
        for (;;) {
            const int rc = avcodec_receive_packet(c, packet_.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
                return true;
            }
            if (rc < 0) {
                return Fail(AvError("encoding failed", rc));
            }
            if (packet_->duration == 0) {
                packet_->duration = duration;
            }
            av_packet_rescale_ts(packet_.get(), c->time_base, st->time_base);
            packet_->stream_index = st->index;
            const int wrc = av_interleaved_write_frame(oc_.get(), packet_.get());
            if (wrc < 0) {
                return Fail(AvError("writing a packet failed", wrc));
            }
        }
    }

    bool Send(AVCodecContext* c, AVStream* st, AVFrame* f, int64_t duration) {
        const int rc = avcodec_send_frame(c, f);
        if (rc < 0) {
            return Fail(AvError("encoding failed", rc));
        }
        return Drain(c, st, duration);
    }

    // Whole audio frames until sample `until` is covered; only the very last
    // frame of the file (at `total`) may be short.
    bool AudioUpTo(int64_t until, int64_t total) {
        AVCodecContext* a = audio_.get();
        while (audioDone_ < std::min(until, total)) {
            const int n = static_cast<int>(std::min<int64_t>(a->frame_size, total - audioDone_));
            FramePtr f(av_frame_alloc());
            f->nb_samples = n;
            f->format = a->sample_fmt;
            av_channel_layout_copy(&f->ch_layout, &a->ch_layout);
            f->sample_rate = a->sample_rate;
            if (av_frame_get_buffer(f.get(), 0) < 0) {
                return Fail("out of memory for an audio frame");
            }
            float* s = reinterpret_cast<float*>(f->data[0]);
            const double hz = o_.camera == Camera::Main ? 1000.0 : 660.0;
            for (int i = 0; i < n; ++i) {
                s[i] = static_cast<float>(0.2 * std::sin(2.0 * std::numbers::pi * hz *
                                                         static_cast<double>(audioDone_ + i) /
                                                         kSampleRate));
            }
            f->pts = audioDone_;
            audioDone_ += n;
            if (!Send(a, ast_, f.get(), n)) {
                return false;
            }
        }
        return true;
    }

    bool WriteMedia() {
        packet_.reset(av_packet_alloc());
        const int w = o_.width, h = o_.height;
        const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
        std::vector<uint32_t> rgb(count);
        detail::RenderChart(o_.camera, w, h, rgb.data());

        FramePtr base(av_frame_alloc());
        base->format = AV_PIX_FMT_YUV420P;
        base->width = w;
        base->height = h;
        if (av_frame_get_buffer(base.get(), 0) < 0) {
            return Fail("out of memory for a video frame");
        }
        ConvertRegion(rgb.data(), w, 0, 0, w, h, base.get());

        const int frames = FrameCount(o_);
        const detail::CodeLayout layout = detail::LayoutFor(w, h);
        const int bx0 = std::max(0, layout.box.x), by0 = std::max(0, layout.box.y);
        const int bx1 = std::min(w, layout.box.x + layout.box.width);
        const int by1 = std::min(h, layout.box.y + layout.box.height);
        const int64_t totalSamples = static_cast<int64_t>(frames) * delta_ * kSampleRate / 1000000;
        for (int i = 0; i < frames; ++i) {
            if (audio_ && !AudioUpTo(static_cast<int64_t>(i + 1) * delta_ * kSampleRate / 1000000,
                                     totalSamples)) {
                return false;
            }
            FramePtr f(av_frame_alloc());
            f->format = AV_PIX_FMT_YUV420P;
            f->width = w;
            f->height = h;
            if (av_frame_get_buffer(f.get(), 0) < 0 || av_frame_copy(f.get(), base.get()) < 0) {
                return Fail("out of memory for a video frame");
            }
            if (o_.grain > 0) {
                AddGrain(f.get(), i);
            }
            detail::RenderCode(w, h, i, rgb.data());
            ConvertRegion(rgb.data(), w, bx0 & ~1, by0 & ~1, bx1 & ~1, by1 & ~1, f.get());
            f->pts = static_cast<int64_t>(i) * delta_;
            f->pict_type = i % video_->gop_size == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
            if (!Send(video_.get(), vst_, f.get(), delta_)) {
                return false;
            }
        }
        if (!Send(video_.get(), vst_, nullptr, delta_)) {
            return false;
        }
        if (audio_) {
            if (!AudioUpTo(totalSamples, totalSamples) || !Send(audio_.get(), ast_, nullptr, 0)) {
                return false;
            }
        }
        const int rc = av_write_trailer(oc_.get());
        if (rc < 0) {
            return Fail(AvError("cannot finish the mp4 file", rc));
        }
        avio_closep(&oc_->pb);
        return true;
    }

    // Luma noise that changes every frame, as a real camera's sensor and
    // moving scene give: the encoder then spends a camera's bit rate instead
    // of skipping every block of the still chart. Deterministic per frame.
    void AddGrain(AVFrame* f, int frame) const {
        uint64_t state =
            (uint64_t{o_.seed} << 32) ^ (static_cast<uint64_t>(frame) + 1) * 0x9E3779B97F4A7C15ull;
        const int span = 2 * o_.grain + 1;
        for (int y = 0; y < f->height; ++y) {
            uint8_t* row = f->data[0] + static_cast<ptrdiff_t>(y) * f->linesize[0];
            for (int x = 0; x < f->width; ++x) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                const int n = static_cast<int>(state % static_cast<uint64_t>(span)) - o_.grain;
                row[x] = static_cast<uint8_t>(std::clamp(row[x] + n, 16, 235));
            }
        }
    }

    static constexpr int kSampleRate = 48000;
    std::string path_;
    const RecordingOptions& o_;
    std::string error_;
    OutputPtr oc_;
    CodecPtr video_, audio_;
    PacketPtr packet_;
    AVStream* vst_ = nullptr;
    AVStream* ast_ = nullptr;
    int64_t delta_ = 34364;
    int64_t audioDone_ = 0;
};

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The mp4 muxer reserves an 8-byte "free" box after "ftyp" (room for a 64-bit
// mdat size). The camera's files go straight from "ftyp" to "mdat", so the
// reserved bytes become two more compatible brands of a longer "ftyp"; no
// offset in the file moves.
bool FoldFreeIntoFtyp(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (f == nullptr) {
        *error = "cannot reopen " + path;
        return false;
    }
    unsigned char head[64] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    bool ok = true;
    const uint32_t ftypSize = got >= 8 ? BigEndian32(head) : 0;
    if (got >= 8 && std::memcmp(head + 4, "ftyp", 4) == 0 && ftypSize >= 16 &&
        ftypSize + 8 <= got && BigEndian32(head + ftypSize) == 8 &&
        std::memcmp(head + ftypSize + 4, "free", 4) == 0) {
        const uint32_t grown = ftypSize + 8;
        const unsigned char size[4] = {
            static_cast<unsigned char>(grown >> 24), static_cast<unsigned char>(grown >> 16),
            static_cast<unsigned char>(grown >> 8), static_cast<unsigned char>(grown)};
        ok = std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(size, 1, 4, f) == 4 &&
             std::fseek(f, static_cast<long>(ftypSize), SEEK_SET) == 0 &&
             std::fwrite("mp42iso4", 1, 8, f) == 8;
    }
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        *error = "cannot rewrite the ftyp box of " + path;
    }
    return ok;
}

std::string SensorBoxBytes(const RecordingOptions& o) {
    std::string box = MakeGps0Box(o);
    if (!o.trailer) {
        // Power cut: the header promises every record, but the writing stopped
        // inside a record and the trailer never came.
        const size_t n = static_cast<size_t>(RecordCount(o));
        box.resize(42 + (n / 2) * 79 + (n > 0 ? 37 : 0));
    }
    return box;
}

void PutBigEndian32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    }
}

uint32_t At32(const std::string& b, size_t at) {
    return BigEndian32(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

// Adds `delta` to every chunk offset (stco / co64) inside [begin, end) that
// points at or after `from`.
void ShiftChunkOffsets(std::string& b, size_t begin, size_t end, uint64_t from, uint32_t delta) {
    for (size_t o = begin; o + 8 <= end;) {
        const size_t size = At32(b, o);
        if (size < 8 || o + size > end) {
            return;
        }
        const std::string type = b.substr(o + 4, 4);
        if (type == "moov" || type == "trak" || type == "mdia" || type == "minf" ||
            type == "stbl") {
            ShiftChunkOffsets(b, o + 8, o + size, from, delta);
        } else if (type == "stco" && size >= 16) {
            const uint32_t n = At32(b, o + 12);
            for (uint32_t i = 0; i < n && o + 16 + 4 * (i + 1) <= o + size; ++i) {
                const size_t at = o + 16 + 4 * i;
                if (At32(b, at) >= from) {
                    PutBigEndian32(b, at, At32(b, at) + delta);
                }
            }
        } else if (type == "co64" && size >= 16) {
            const uint32_t n = At32(b, o + 12);
            for (uint32_t i = 0; i < n && o + 16 + 8 * (i + 1) <= o + size; ++i) {
                const size_t at = o + 16 + 8 * i;
                uint64_t v = (uint64_t{At32(b, at)} << 32) | At32(b, at + 4);
                if (v >= from) {
                    v += delta;
                    PutBigEndian32(b, at, static_cast<uint32_t>(v >> 32));
                    PutBigEndian32(b, at + 4, static_cast<uint32_t>(v));
                }
            }
        }
        o += size;
    }
}

// Places the sensor box in front of "mdat", moving the media data (and the
// chunk offsets that point into it) back by the box's size.
bool InsertSensorBoxBeforeMdat(const std::string& path, const RecordingOptions& o,
                               std::string* error) {
    std::string b;
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            *error = "cannot reopen " + path;
            return false;
        }
        char buf[65536];
        size_t got = 0;
        while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
            b.append(buf, got);
        }
        std::fclose(f);
    }
    size_t mdat = std::string::npos;
    for (size_t off = 0; off + 8 <= b.size();) {
        const size_t size = At32(b, off);
        if (size < 8) {
            break;
        }
        if (b.compare(off + 4, 4, "mdat") == 0) {
            mdat = off;
            break;
        }
        off += size;
    }
    if (mdat == std::string::npos) {
        *error = "no mdat box in " + path;
        return false;
    }
    const std::string box = SensorBoxBytes(o);
    for (size_t off = 0; off + 8 <= b.size();) {
        const size_t size = At32(b, off);
        if (size < 8 || off + size > b.size()) {
            break;
        }
        if (b.compare(off + 4, 4, "moov") == 0) {
            ShiftChunkOffsets(b, off, off + size, mdat, static_cast<uint32_t>(box.size()));
        }
        off += size;
    }
    b.insert(mdat, box);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        *error = "cannot rewrite " + path;
        return false;
    }
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    if (std::fclose(f) != 0 || !ok) {
        *error = "cannot rewrite " + path;
        return false;
    }
    return true;
}

bool AppendSensorBox(const std::string& path, const RecordingOptions& o, std::string* error) {
    const std::string box = SensorBoxBytes(o);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) {
        *error = "cannot append the sensor box to " + path;
        return false;
    }
    const bool ok = std::fwrite(box.data(), 1, box.size(), f) == box.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        *error = "cannot append the sensor box to " + path;
        return false;
    }
    return true;
}

} // namespace

bool WriteRecording(const std::string& path, const RecordingOptions& o, std::string* error) {
    std::string ignored;
    std::string& err = error != nullptr ? *error : ignored;
    if (o.width < 16 || o.height < 16 || o.width % 2 != 0 || o.height % 2 != 0 || o.width > 8192 ||
        o.height > 8192) {
        err = "picture size must be even, 16..8192 pixels per side";
        return false;
    }
    if (!(o.fps > 0.5 && o.fps <= 240.0) || !(o.durationSec > 0.0 && o.durationSec <= 3600.0)) {
        err = "frame rate must be 0.5..240 and the duration 0..3600 s";
        return false;
    }
    const std::string tmp = path + ".synth-part";
    bool ok = Writer(tmp, o).Run(&err) && FoldFreeIntoFtyp(tmp, &err);
    if (ok && o.gps0) {
        ok = o.gps0BeforeMdat ? InsertSensorBoxBeforeMdat(tmp, o, &err)
                              : AppendSensorBox(tmp, o, &err);
    }
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(tmp, path, ec);
        if (ec) {
            err = "cannot rename " + tmp + " to " + path + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok) {
        std::filesystem::remove(tmp, ec);
    }
    return ok;
}

} // namespace synth
