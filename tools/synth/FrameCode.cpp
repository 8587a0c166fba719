// The frame-index code: a row of black and white cells in a white box in the
// middle of every frame, read back from decoded (and possibly rescaled)
// pictures. The layout scales with the picture width, and the reader finds the
// code by its guard cells rather than by position, so it works at any scale.
#include "SynthInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace synth {

namespace detail {

CodeLayout LayoutFor(int width, int height) {
    CodeLayout l;
    int cell = std::max(2, static_cast<int>(std::lround(width * 0.5 / kCodeCells)));
    int q = 1, rowH = 4, scale = 1, boxW = 0, boxH = 0;
    for (;; --cell) {
        q = std::max(1, cell / 3);
        rowH = std::max(4, 3 * cell / 2);
        scale = std::max(1, cell / 5);
        boxW = (kCodeCells + 4) * cell;
        boxH = 3 * q + rowH + 7 * scale;
        if (cell <= 2 || (boxW <= width && boxH * 20 <= height * 9)) {
            break;
        }
    }
    boxW += boxW % 2;
    boxH += boxH % 2;
    l.cell = cell;
    l.box = {std::max(0, (width - boxW) / 2) & ~1, std::max(0, (height - boxH) / 2) & ~1, boxW,
             boxH};
    l.codeX = l.box.x + (boxW - kCodeCells * cell) / 2;
    l.codeY = l.box.y + q;
    l.codeHeight = rowH;
    l.textY = l.codeY + rowH + q;
    l.textScale = scale;
    return l;
}

int CheckNibble(int index) {
    const int v = index & 0xFFFF;
    return ((v & 15) + ((v >> 4) & 15) + ((v >> 8) & 15) + ((v >> 12) & 15) + 5) & 15;
}

std::array<bool, kCodeCells> CodeCells(int index) {
    std::array<bool, kCodeCells> c{};
    const int v = index & 0xFFFF;
    const int check = CheckNibble(v);
    c[0] = true;
    c[1] = false;
    for (int b = 0; b < 16; ++b) {
        c[static_cast<size_t>(2 + b)] = ((v >> (15 - b)) & 1) != 0;
    }
    for (int b = 0; b < 4; ++b) {
        c[static_cast<size_t>(18 + b)] = ((check >> (3 - b)) & 1) != 0;
    }
    c[22] = false;
    c[23] = true;
    c[24] = true;
    return c;
}

} // namespace detail

Rect FrameCodeRect(int width, int height) {
    return detail::LayoutFor(width, height).box;
}

namespace {

// A run of dark or light pixels; its edges lie where the luma crosses the
// threshold, interpolated between pixel centres, so that scaled pictures with
// cells of two or three pixels still give exact enough cell boundaries.
struct Run {
    double start;
    double length;
    bool black;
};

constexpr int kThreshold = 128 * 256;

// Decodes one row of luma values (0 .. 255 * 256); -1 when it holds no valid code.
int DecodeRow(const std::vector<int>& luma, std::vector<uint8_t>& dark, std::vector<Run>& runs,
              bool* mirrored) {
    const int n = static_cast<int>(luma.size());
    for (int x = 0; x < n; ++x) {
        dark[static_cast<size_t>(x)] = luma[static_cast<size_t>(x)] < kThreshold ? 1 : 0;
    }
    auto edge = [&](int x) {
        if (x <= 0) {
            return 0.0;
        }
        const double a = luma[static_cast<size_t>(x - 1)], b = luma[static_cast<size_t>(x)];
        return x - 0.5 + (b == a ? 0.5 : std::clamp((kThreshold - a) / (b - a), 0.0, 1.0));
    };
    runs.clear();
    for (int x = 0; x < n;) {
        int e = x + 1;
        while (e < n && dark[static_cast<size_t>(e)] == dark[static_cast<size_t>(x)]) {
            ++e;
        }
        const double from = edge(x);
        const double to = e >= n ? static_cast<double>(n) : edge(e);
        runs.push_back({from, to - from, dark[static_cast<size_t>(x)] != 0});
        x = e;
    }
    auto sampleDark = [&](double centre, double cellW) {
        // Majority over the middle half of the cell.
        const int a = std::clamp(static_cast<int>(std::floor(centre - cellW / 4.0)), 0, n - 1);
        const int b = std::clamp(static_cast<int>(std::ceil(centre + cellW / 4.0)), a + 1, n);
        int d = 0;
        for (int x = a; x < b; ++x) {
            d += dark[static_cast<size_t>(x)];
        }
        return 2 * d > (b - a);
    };
    // Every candidate span (from a black run of one or two cells to a black run
    // of two or one cells, 25 cells in all) is scored by how far its inner edges
    // lie from the cell boundaries it implies; the best valid one wins. A span a
    // cell short or long (whose samples drift into neighbouring cells) scores
    // badly even when its check nibble happens to fit.
    constexpr int kCells = detail::kCodeCells;
    const size_t count = runs.size();
    int best = -1;
    double bestScore = 1e9;
    for (size_t i = 1; i + 1 < count; ++i) {
        const Run& first = runs[i];
        if (!first.black) {
            continue;
        }
        const double lo = kCells * (first.length / 2.0 - 1.5) - 1.0;
        const double hi = kCells * (first.length + 1.5) + 1.0;
        for (size_t j = i + 2; j + 1 < count; ++j) {
            const Run& last = runs[j];
            const double span = last.start + last.length - first.start;
            if (span > hi) {
                break;
            }
            if (!last.black || span < lo) {
                continue;
            }
            const double cellW = span / kCells;
            if (cellW < 1.5) {
                continue;
            }
            const double tol = std::max(1.0, 0.3 * cellW);
            auto near = [&](double length, int cells) {
                return std::fabs(length - cells * cellW) <= tol * cells;
            };
            const bool forward = near(first.length, 1) && near(last.length, 2);
            const bool backward = near(first.length, 2) && near(last.length, 1);
            if (!forward && !backward) {
                continue;
            }
            // Quiet (white) space on both sides.
            if (runs[i - 1].length < cellW - tol || runs[j + 1].length < cellW - tol) {
                continue;
            }
            double worst = 0.0;
            for (size_t r = i + 1; r <= j && worst <= tol; ++r) {
                const double cells = (runs[r].start - first.start) / cellW;
                worst = std::max(worst, std::fabs(cells - std::round(cells)) * cellW);
            }
            if (worst > tol || worst / cellW >= bestScore) {
                continue;
            }
            std::array<bool, kCells> cells{};
            for (int k = 0; k < kCells; ++k) {
                const bool d = sampleDark(first.start + (k + 0.5) * cellW, cellW);
                cells[static_cast<size_t>(forward ? k : kCells - 1 - k)] = d;
            }
            if (!cells[0] || cells[1] || cells[22] || !cells[23] || !cells[24]) {
                continue;
            }
            int value = 0;
            for (int b = 0; b < 16; ++b) {
                value = (value << 1) | (cells[static_cast<size_t>(2 + b)] ? 1 : 0);
            }
            int check = 0;
            for (int b = 0; b < 4; ++b) {
                check = (check << 1) | (cells[static_cast<size_t>(18 + b)] ? 1 : 0);
            }
            if (check == detail::CheckNibble(value)) {
                best = value;
                bestScore = worst / cellW;
                *mirrored = !forward;
            }
        }
    }
    return best;
}

} // namespace

int ReadFrameIndex(const uint8_t* pixels, int width, int height, int bytesPerLine) {
    return ReadFrameIndex(pixels, width, height, bytesPerLine, nullptr);
}

int ReadFrameIndex(const uint8_t* pixels, int width, int height, int bytesPerLine, bool* mirrored) {
    bool ignored = false;
    bool& flip = mirrored != nullptr ? *mirrored : ignored;
    flip = false;
    if (pixels == nullptr || width < detail::kCodeCells || height < 1 || bytesPerLine < width * 4) {
        return -1;
    }
    std::vector<uint8_t> dark(static_cast<size_t>(width));
    std::vector<int> luma(static_cast<size_t>(width));
    std::vector<Run> runs;
    std::map<std::pair<int, bool>, int> votes;
    // Rows from the middle outwards: the code sits in the middle, so a match
    // usually comes within a few rows.
    for (int step = 0; step < height; ++step) {
        const int y = height / 2 + ((step % 2) != 0 ? (step + 1) / 2 : -(step / 2));
        if (y < 0 || y >= height) {
            continue;
        }
        const uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(bytesPerLine);
        for (int x = 0; x < width; ++x) {
            uint32_t p;
            std::memcpy(&p, row + static_cast<size_t>(x) * 4, 4);
            const uint32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            luma[static_cast<size_t>(x)] = static_cast<int>(r * 54 + g * 183 + b * 19);
        }
        bool rowMirrored = false;
        const int v = DecodeRow(luma, dark, runs, &rowMirrored);
        if (v >= 0 && ++votes[{v, rowMirrored}] >= 2) {
            flip = rowMirrored;
            return v;
        }
    }
    // A code row only one pixel high after heavy downscaling: accept a single,
    // unambiguous read.
    if (votes.size() == 1) {
        flip = votes.begin()->first.second;
        return votes.begin()->first.first;
    }
    return -1;
}

} // namespace synth
