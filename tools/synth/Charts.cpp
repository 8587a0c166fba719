// The two test charts and the frame pictures built from them.
#include "SynthInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace synth {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Sector hues, clockwise from the top.
constexpr Rgb kHues[8] = {
    {255, 0, 0},   // red
    {255, 128, 0}, // orange
    {255, 255, 0}, // yellow
    {0, 255, 0},   // green
    {0, 255, 255}, // cyan
    {0, 0, 255},   // blue
    {128, 0, 255}, // purple
    {255, 0, 255}, // magenta
};

uint8_t Half(uint8_t c) {
    return static_cast<uint8_t>(c / 2);
}
uint8_t Add(uint8_t c, int k) {
    return static_cast<uint8_t>(c / 2 + k);
}

// Neighbouring rings differ strongly: pale, dark, pure, muted from the centre.
Rgb Shade(Rgb c, int ring) {
    switch (ring) {
    case 0:
        return {Add(c.r, 128), Add(c.g, 128), Add(c.b, 128)};
    case 1:
        return {Half(c.r), Half(c.g), Half(c.b)};
    case 2:
        return c;
    default:
        return {Add(c.r, 64), Add(c.g, 64), Add(c.b, 64)};
    }
}

constexpr Rgb kQuadrants[4] = {
    {255, 0, 0},   // top-left red
    {0, 255, 0},   // top-right green
    {0, 0, 255},   // bottom-left blue
    {255, 255, 0}, // bottom-right yellow
};

double NormaliseAzimuth(double a) {
    double r = std::fmod(a, kTwoPi);
    if (r < 0) {
        r += kTwoPi;
    }
    return r;
}

} // namespace

int FisheyeRing(double r) {
    if (!(r >= 0.0) || r > 1.0) {
        return -1;
    }
    return std::min(3, static_cast<int>(r * 4.0));
}

int FisheyeSector(double azimuthRad) {
    const double a = NormaliseAzimuth(azimuthRad);
    return std::min(7, static_cast<int>(a / (kTwoPi / 8.0)));
}

Rgb FisheyeChartColor(double r, double azimuthRad) {
    const int ring = FisheyeRing(r);
    if (ring < 0) {
        return {0, 0, 0};
    }
    return Shade(kHues[FisheyeSector(azimuthRad)], ring);
}

Rgb FlatChartColor(double u, double v) {
    u = std::clamp(u, 0.0, 1.0);
    v = std::clamp(v, 0.0, 1.0);
    // Grid lines between the 6 x 6 cells, 1/200 of the size wide.
    constexpr double kHalfLine = 1.0 / 400.0;
    for (int k = 1; k < 6; ++k) {
        const double edge = k / 6.0;
        if (std::fabs(u - edge) < kHalfLine || std::fabs(v - edge) < kHalfLine) {
            return {0, 0, 0};
        }
    }
    const int cu = std::min(5, static_cast<int>(u * 6.0));
    const int cv = std::min(5, static_cast<int>(v * 6.0));
    const Rgb base = kQuadrants[(cv >= 3 ? 2 : 0) + (cu >= 3 ? 1 : 0)];
    if ((cu % 3 + cv % 3) % 2 == 0) {
        return base;
    }
    auto dark = [](uint8_t c) { return static_cast<uint8_t>(c * 55 / 100); };
    return {dark(base.r), dark(base.g), dark(base.b)};
}

namespace detail {

void RenderChart(Camera camera, int width, int height, uint32_t* pixels) {
    const size_t w = static_cast<size_t>(width);
    if (camera == Camera::Rear) {
        for (int y = 0; y < height; ++y) {
            const double v = (y + 0.5) / height;
            for (int x = 0; x < width; ++x) {
                pixels[static_cast<size_t>(y) * w + static_cast<size_t>(x)] =
                    Pack(FlatChartColor((x + 0.5) / width, v));
            }
        }
        return;
    }
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double radius = std::min(width, height) / 2.0;
    for (int y = 0; y < height; ++y) {
        const double dy = y + 0.5 - cy;
        for (int x = 0; x < width; ++x) {
            const double dx = x + 0.5 - cx;
            const double r = std::sqrt(dx * dx + dy * dy) / radius;
            // atan2(dx, -dy): 0 towards the top edge, growing clockwise on screen.
            pixels[static_cast<size_t>(y) * w + static_cast<size_t>(x)] =
                r > 1.0 ? 0xFF000000u : Pack(FisheyeChartColor(r, std::atan2(dx, -dy)));
        }
    }
    // Sector numbers in the outer ring, 9 degrees past each sector's start.
    const int scale = std::max(1, static_cast<int>(std::lround(2.0 * radius * 0.05 / 7.0)));
    for (int s = 0; s < 8; ++s) {
        const double a = (s * 45.0 + 9.0) * std::numbers::pi / 180.0;
        const double px = cx + std::sin(a) * 0.875 * radius;
        const double py = cy - std::cos(a) * 0.875 * radius;
        const char text[2] = {static_cast<char>('0' + s), '\0'};
        DrawText(pixels, width, height, static_cast<int>(px) - TextWidth(1, scale) / 2,
                 static_cast<int>(py) - 7 * scale / 2, scale, text, 0xFF000000u);
    }
}

void RenderCode(int width, int height, int index, uint32_t* pixels) {
    const CodeLayout l = LayoutFor(width, height);
    const size_t w = static_cast<size_t>(width);
    auto fill = [&](int x0, int y0, int x1, int y1, uint32_t colour) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, width);
        y1 = std::min(y1, height);
        for (int y = y0; y < y1; ++y) {
            std::fill(pixels + static_cast<size_t>(y) * w + static_cast<size_t>(x0),
                      pixels + static_cast<size_t>(y) * w + static_cast<size_t>(std::max(x0, x1)),
                      colour);
        }
    };
    fill(l.box.x, l.box.y, l.box.x + l.box.width, l.box.y + l.box.height, 0xFFFFFFFFu);
    const auto cells = CodeCells(index);
    for (int k = 0; k < kCodeCells; ++k) {
        if (cells[static_cast<size_t>(k)]) {
            fill(l.codeX + k * l.cell, l.codeY, l.codeX + (k + 1) * l.cell, l.codeY + l.codeHeight,
                 0xFF000000u);
        }
    }
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%d", index);
    DrawText(pixels, width, height, l.box.x + (l.box.width - TextWidth(n, l.textScale)) / 2,
             l.textY, l.textScale, text, 0xFF000000u);
}

} // namespace detail

void RenderFrame(Camera camera, int width, int height, int index, uint32_t* pixels) {
    if (width <= 0 || height <= 0 || pixels == nullptr) {
        return;
    }
    detail::RenderChart(camera, width, height, pixels);
    detail::RenderCode(width, height, index, pixels);
}

} // namespace synth
