// The frame-index code on rendered pictures: every size and scale the viewer
// may show, mirrored pictures, padded rows, and pictures that hold no code.
#include "synth/Synth.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint32_t> Render(synth::Camera camera, int w, int h, int index) {
    std::vector<uint32_t> p(static_cast<size_t>(w) * static_cast<size_t>(h));
    synth::RenderFrame(camera, w, h, index, p.data());
    return p;
}

std::vector<uint32_t> Scale(const std::vector<uint32_t>& src, int w, int h, int ow, int oh,
                            int flags) {
    std::vector<uint32_t> dst(static_cast<size_t>(ow) * static_cast<size_t>(oh));
    SwsContext* s = sws_getContext(w, h, AV_PIX_FMT_RGB32, ow, oh, AV_PIX_FMT_RGB32, flags, nullptr,
                                   nullptr, nullptr);
    const uint8_t* sp[4] = {reinterpret_cast<const uint8_t*>(src.data()), nullptr, nullptr,
                            nullptr};
    const int ss[4] = {w * 4, 0, 0, 0};
    uint8_t* dp[4] = {reinterpret_cast<uint8_t*>(dst.data()), nullptr, nullptr, nullptr};
    const int ds[4] = {ow * 4, 0, 0, 0};
    sws_scale(s, sp, ss, 0, h, dp, ds);
    sws_freeContext(s);
    return dst;
}

int Read(const std::vector<uint32_t>& p, int w, int h, bool* mirrored = nullptr) {
    return synth::ReadFrameIndex(reinterpret_cast<const uint8_t*>(p.data()), w, h, w * 4, mirrored);
}

struct Size {
    synth::Camera camera;
    int w, h;
};

const Size kSizes[] = {{synth::Camera::Main, 64, 64},     {synth::Camera::Rear, 64, 36},
                       {synth::Camera::Rear, 96, 54},     {synth::Camera::Main, 128, 128},
                       {synth::Camera::Main, 1440, 1440}, {synth::Camera::Rear, 1920, 1080},
                       {synth::Camera::Rear, 1280, 720}};

TEST(FrameCode, ReadsBackAtEverySizeAndIndex) {
    for (const Size& s : kSizes) {
        for (int index : {0, 1, 2, 255, 4660, 43690, 65535}) {
            SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h) + " #" +
                         std::to_string(index));
            const auto p = Render(s.camera, s.w, s.h, index);
            bool mirrored = true;
            EXPECT_EQ(Read(p, s.w, s.h, &mirrored), index);
            EXPECT_FALSE(mirrored);
            const synth::Rect r = synth::FrameCodeRect(s.w, s.h);
            EXPECT_EQ(r.x % 2, 0);
            EXPECT_EQ(r.y % 2, 0);
            EXPECT_LE(r.x + r.width, s.w);
            EXPECT_LE(r.y + r.height, s.h);
        }
    }
}

TEST(FrameCode, SurvivesScalingBothWays) {
    struct Case {
        Size size;
        int ow, oh, flags;
    };
    const Case cases[] = {
        {{synth::Camera::Main, 1440, 1440}, 360, 360, SWS_AREA},
        {{synth::Camera::Main, 1440, 1440}, 217, 217, SWS_BILINEAR},
        {{synth::Camera::Rear, 1920, 1080}, 480, 270, SWS_BICUBIC},
        {{synth::Camera::Rear, 1920, 1080}, 640, 480, SWS_BILINEAR}, // aspect changed
        {{synth::Camera::Main, 128, 128}, 501, 501, SWS_BILINEAR},
        {{synth::Camera::Rear, 96, 54}, 1920, 1080, SWS_BICUBIC},
        {{synth::Camera::Main, 256, 256}, 100, 100, SWS_AREA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size.w) + " -> " + std::to_string(c.ow));
        for (int index : {3, 777, 12345}) {
            const auto p = Scale(Render(c.size.camera, c.size.w, c.size.h, index), c.size.w,
                                 c.size.h, c.ow, c.oh, c.flags);
            EXPECT_EQ(Read(p, c.ow, c.oh), index);
        }
    }
}

TEST(FrameCode, MirroredAndUpsideDownPicturesAreRecognised) {
    const int w = 320, h = 180;
    const auto p = Render(synth::Camera::Rear, w, h, 1234);
    std::vector<uint32_t> mirror(p.size()), turned(p.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t v = p[static_cast<size_t>(y * w + x)];
            mirror[static_cast<size_t>(y * w + (w - 1 - x))] = v;
            turned[static_cast<size_t>((h - 1 - y) * w + (w - 1 - x))] = v;
        }
    }
    bool mirrored = false;
    EXPECT_EQ(Read(mirror, w, h, &mirrored), 1234);
    EXPECT_TRUE(mirrored);
    mirrored = false;
    EXPECT_EQ(Read(turned, w, h, &mirrored), 1234);
    EXPECT_TRUE(mirrored);
}

TEST(FrameCode, HonoursRowStrideAndAlphaBits) {
    const int w = 200, h = 200, stride = 4 * 256;
    const auto p = Render(synth::Camera::Main, w, h, 321);
    std::vector<uint8_t> padded(static_cast<size_t>(stride) * h, 0xAB);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // ARGB32 with a non-opaque alpha: only the colour counts.
            const uint32_t v = (p[static_cast<size_t>(y * w + x)] & 0x00FFFFFFu) | 0x80000000u;
            std::memcpy(&padded[static_cast<size_t>(y * stride + 4 * x)], &v, 4);
        }
    }
    EXPECT_EQ(synth::ReadFrameIndex(padded.data(), w, h, stride), 321);
}

TEST(FrameCode, PicturesWithoutAValidCodeGiveMinusOne) {
    const int w = 256, h = 144;
    // The chart alone (code box painted over with the chart's neighbour colour).
    auto chart = Render(synth::Camera::Rear, w, h, 99);
    const synth::Rect r = synth::FrameCodeRect(w, h);
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::fill_n(chart.begin() + y * w + r.x, r.width, 0xFF808080u);
    }
    EXPECT_EQ(Read(chart, w, h), -1);

    std::vector<uint32_t> black(static_cast<size_t>(w * h), 0xFF000000u);
    EXPECT_EQ(Read(black, w, h), -1);

    std::mt19937 rng(5);
    std::vector<uint32_t> noise(static_cast<size_t>(w * h));
    for (uint32_t& v : noise) {
        v = 0xFF000000u | (rng() & 0xFFFFFFu);
    }
    EXPECT_EQ(Read(noise, w, h), -1);
    std::vector<uint32_t> stripes(static_cast<size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            stripes[static_cast<size_t>(y * w + x)] = ((x / 5) % 2) != 0 ? 0xFF000000u : ~0u;
        }
    }
    EXPECT_EQ(Read(stripes, w, h), -1);

    // One data cell flipped: the check nibble no longer fits.
    auto damaged = Render(synth::Camera::Rear, w, h, 4096 + 7);
    const int cell = r.width / 29;
    const int x0 = r.x + 2 * cell + 9 * cell; // code cell 9 (index bit 8)
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = x0; x < x0 + cell; ++x) {
            uint32_t& v = damaged[static_cast<size_t>(y * w + x)];
            v = (v & 0xFFFFFFu) == 0 ? ~0u : 0xFF000000u;
        }
    }
    EXPECT_EQ(Read(damaged, w, h), -1);

    EXPECT_EQ(synth::ReadFrameIndex(nullptr, w, h, w * 4), -1);
    EXPECT_EQ(Read(black, 10, 10), -1);
}

} // namespace
