// A tiny 5 x 7 bitmap font for the frame numbers and chart labels, so that the
// generator needs no font files and draws the same pixels everywhere.
#include "SynthInternal.h"

namespace synth::detail {

namespace {

using G = std::array<uint8_t, 7>;

const G kDigits[10] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, // 9
};

struct Letter {
    char c;
    G rows;
};

const Letter kLetters[] = {
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
};

const G kEmpty = {0, 0, 0, 0, 0, 0, 0};

} // namespace

const std::array<uint8_t, 7>& Glyph(char c) {
    if (c >= '0' && c <= '9') {
        return kDigits[c - '0'];
    }
    for (const Letter& l : kLetters) {
        if (l.c == c) {
            return l.rows;
        }
    }
    return kEmpty;
}

int TextWidth(int chars, int scale) {
    return chars <= 0 ? 0 : (chars * 6 - 1) * scale;
}

void DrawText(uint32_t* pixels, int width, int height, int x, int y, int scale, const char* text,
              uint32_t colour) {
    for (int i = 0; text[i] != '\0'; ++i) {
        const G& g = Glyph(text[i]);
        const int gx = x + i * 6 * scale;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if ((g[static_cast<size_t>(row)] & (0x10 >> col)) == 0) {
                    continue;
                }
                for (int dy = 0; dy < scale; ++dy) {
                    const int py = y + row * scale + dy;
                    if (py < 0 || py >= height) {
                        continue;
                    }
                    for (int dx = 0; dx < scale; ++dx) {
                        const int px = gx + col * scale + dx;
                        if (px >= 0 && px < width) {
                            pixels[static_cast<size_t>(py) * static_cast<size_t>(width) +
                                   static_cast<size_t>(px)] = colour;
                        }
                    }
                }
            }
        }
    }
}

} // namespace synth::detail
