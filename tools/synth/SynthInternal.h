// Pieces shared by the generator's source files; not part of the public API.
#pragma once

#include "synth/Synth.h"

#include <array>
#include <cstdint>

namespace synth::detail {

// Geometry of the frame-code box for a picture size (all values in pixels).
// The box is white; it holds two quiet cells, the 24 code cells and two quiet
// cells in a row, and the index as digits under that row.
struct CodeLayout {
    Rect box;           // even position and size (so it lines up with 4:2:0 chroma)
    int cell = 0;       // width of one code cell
    int codeX = 0;      // left edge of code cell 0
    int codeY = 0;      // top of the code row
    int codeHeight = 0; // height of the code row
    int textY = 0;      // top of the digit row
    int textScale = 1;  // glyph pixel size
};
CodeLayout LayoutFor(int width, int height);

constexpr int kCodeCells = 25;
// The cells of a frame index, true = black: guard B W, 16 index bits MSB
// first, 4 check bits, guard W B B. The guards differ, so a mirrored picture
// (rear view mirrored, or turned upside down) reads backwards and is known.
std::array<bool, kCodeCells> CodeCells(int index);
// Check nibble of a 16-bit index.
int CheckNibble(int index);

// A 5 x 7 glyph: seven rows, bit 4 the leftmost column. Digits and a few
// upper-case letters; unknown characters give an empty glyph.
const std::array<uint8_t, 7>& Glyph(char c);

// Draws text with its top-left corner at (x, y) in `colour`, each glyph pixel
// a scale x scale square, clipped to the picture.
void DrawText(uint32_t* pixels, int width, int height, int x, int y, int scale, const char* text,
              uint32_t colour);
// Width in pixels of `chars` glyphs at the given scale (6 columns per glyph,
// the last column of the last glyph not counted).
int TextWidth(int chars, int scale);

inline uint32_t Pack(Rgb c) {
    return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | uint32_t{c.b};
}

// The chart without the frame-code box (labels included).
void RenderChart(Camera camera, int width, int height, uint32_t* pixels);
// Overlays the frame-code box of `index` on a rendered chart.
void RenderCode(int width, int height, int index, uint32_t* pixels);

// Position (signed degrees) of the drive of `sensor` after t seconds, as the
// records of a file with driveOffsetSec = t would start.
void DrivePositionAt(const SensorOptions& sensor, double t, double* lat, double* lon);

// Small deterministic generator (splitmix64) for the sensor noise.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [-1, 1).
    double Symmetric() { return static_cast<double>(Next() >> 11) * 0x1.0p-52 - 1.0; }

private:
    uint64_t state_;
};

} // namespace synth::detail
