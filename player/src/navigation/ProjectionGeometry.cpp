#include "player/ProjectionGeometry.h"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace player {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFlatRadius = 0.312;    // radius law of the flat unrollings
constexpr double kSphereRadiusK = 0.286; // radius law of the sphere

// Appends one cell as six vertices (x0,y0) (x1,y0) (x0,y1) (x0,y1) (x1,y0) (x1,y1).
template <typename Map>
void AppendCell(std::vector<GridVertex>& out, float x0, float x1, float y0, float y1, Map map) {
    const float xs[6] = {x0, x1, x0, x0, x1, x1};
    const float ys[6] = {y0, y0, y1, y1, y0, y1};
    for (int i = 0; i < 6; ++i) {
        const TexCoord t = map(xs[i], ys[i]);
        out.push_back(GridVertex{xs[i], ys[i], 0.0f, t.u, t.v});
    }
}

template <typename Map>
std::vector<GridVertex> BuildGrid(int columns, int rows, float xStart, float xStep, float yStart,
                                  float yStep, Map map) {
    std::vector<GridVertex> out;
    out.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) * 6);
    for (int row = 0; row < rows; ++row) {
        const float y0 = yStart + static_cast<float>(row) * yStep;
        const float y1 = yStart + static_cast<float>(row + 1) * yStep;
        for (int col = 0; col < columns; ++col) {
            const float x0 = xStart + static_cast<float>(col) * xStep;
            const float x1 = xStart + static_cast<float>(col + 1) * xStep;
            AppendCell(out, x0, x1, y0, y1, map);
        }
    }
    return out;
}

} // namespace

std::vector<GridVertex> BuildFullFrameGrid(float a, float b, float c) {
    const float left = a - c / 2.0f;
    const float bottom = b - 0.5f;
    return BuildGrid(16, 16, left, c / 16.0f, bottom, 1.0f / 16.0f, [=](float x, float y) {
        return TexCoord{1.0f - (x - left) / (c / 2.0f) * 0.5f, 1.0f - (y - bottom)};
    });
}

TexCoord SplitTexCoord(float x, float y, float a, float b, float c, int d) {
    const double w = 1.328 * static_cast<double>(c);
    const double left = static_cast<double>(a) - 0.664 * static_cast<double>(c);
    double angle = (static_cast<double>(x) - left) * kPi / w - kPi / 2.0;
    if (d > 0) {
        angle += kPi;
    }
    const double s = static_cast<double>(y) - (static_cast<double>(b) - 0.5);
    const double dd = std::sin(-(0.665 * s + 0.735) * kPi);
    const double r = std::sqrt(2.0 * (1.0 + dd));
    return TexCoord{static_cast<float>(std::sin(angle) * r * kFlatRadius + 0.5),
                    static_cast<float>(std::cos(angle) * r * kFlatRadius + 0.5)};
}

std::vector<GridVertex> BuildSplitGrid(float a, float b, float c, int d) {
    const float w = 1.328f * c;
    return BuildGrid(48, 24, a - 0.664f * c, w / 48.0f, b - 0.5f, 1.0f / 48.0f,
                     [=](float x, float y) { return SplitTexCoord(x, y, a, b, c, d); });
}

TexCoord PanoramaTexCoord(float x, float y, float a, float b) {
    const double x0 = static_cast<double>(a) - 2.0;
    const double y0 = static_cast<double>(b) - 2.9 + 0.39;
    const double w = std::sin((static_cast<double>(y) - y0) * -157.0 / 100.0);
    const double r = std::sqrt(2.0 * (1.0 + w));
    const double theta = (static_cast<double>(x) - x0) * 157.0 / 100.0 - kPi / 2.0;
    return TexCoord{static_cast<float>(r * std::sin(theta) * kFlatRadius + 0.5),
                    static_cast<float>(r * std::cos(theta) * kFlatRadius + 0.5)};
}

std::vector<GridVertex> BuildPanoramaGrid(float a, float b) {
    const float x0 = a - 2.0f;
    const float y0 = b - 2.9f + 0.39f;
    return BuildGrid(96, 96, x0, 1.0f / 24.0f, y0, 0.061020836f,
                     [=](float x, float y) { return PanoramaTexCoord(x, y, a, b); });
}

TexCoord SphereTexCoord(float x, float y, float z) {
    const double xd = x, yd = y, zd = z;
    const double rr = xd * xd + zd * zd;
    if (rr == 0.0) {
        return TexCoord{0.5f, 0.5f};
    }
    const double q = (yd + 200.0) * 400.0 / rr;
    const double sq = std::sqrt(q);
    return TexCoord{static_cast<float>(0.5 - sq * (xd / 200.0) * kSphereRadiusK),
                    static_cast<float>(sq * (zd / 200.0) * kSphereRadiusK + 0.5)};
}

SphereMesh BuildSphereMesh(float radius, int slices, int stacks) {
    SphereMesh mesh;
    if (slices < 3 || stacks < 2) {
        return mesh;
    }
    const int ring = slices + 1; // the seam vertex is repeated
    mesh.vertices.reserve(static_cast<std::size_t>((stacks + 1) * ring));
    const double scale = 200.0 / static_cast<double>(radius); // the mapping is for radius 200
    for (int i = 0; i <= stacks; ++i) {
        const double theta = kPi * i / stacks; // from +y
        for (int j = 0; j <= slices; ++j) {
            const double phi = 2.0 * kPi * j / slices;
            GridVertex v;
            if (i == 0) {
                // The +y pole lies outside the picture; along one slice the
                // mapping tends to radius 0.572 at the slice's azimuth.
                const double mid = 2.0 * kPi * (j + 0.5) / slices;
                v.y = radius;
                v.u = static_cast<float>(0.5 - 2.0 * kSphereRadiusK * std::cos(mid));
                v.v = static_cast<float>(0.5 + 2.0 * kSphereRadiusK * std::sin(mid));
            } else if (i == stacks) {
                v.y = -radius; // the picture centre
                v.u = 0.5f;
                v.v = 0.5f;
            } else {
                v.x = static_cast<float>(radius * std::sin(theta) * std::cos(phi));
                v.y = static_cast<float>(radius * std::cos(theta));
                v.z = static_cast<float>(radius * std::sin(theta) * std::sin(phi));
                const TexCoord t =
                    SphereTexCoord(static_cast<float>(v.x * scale), static_cast<float>(v.y * scale),
                                   static_cast<float>(v.z * scale));
                v.u = t.u;
                v.v = t.v;
            }
            mesh.vertices.push_back(v);
        }
    }
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const auto a = static_cast<uint32_t>(i * ring + j);
            const auto b = static_cast<uint32_t>(i * ring + j + 1);
            const auto c = static_cast<uint32_t>((i + 1) * ring + j);
            const auto d = static_cast<uint32_t>((i + 1) * ring + j + 1);
            if (i == 0) {
                // Fan around the +y pole: the pole vertex of this slice.
                mesh.indices.insert(mesh.indices.end(), {a, c, d});
            } else if (i == stacks - 1) {
                // Fan around the -y pole (c and d coincide).
                mesh.indices.insert(mesh.indices.end(), {a, b, c});
            } else {
                mesh.indices.insert(mesh.indices.end(), {a, b, c, c, b, d});
            }
        }
    }
    return mesh;
}

TexCoord UnwrapTexCoord(double k, double j) {
    const double lambda = 1.0 - k / 480.0;
    const double f = j / 960.0;
    const double radius = 0.572 * std::cos(kPi * f);
    return TexCoord{static_cast<float>(0.5 - radius * std::sin(kPi * lambda)),
                    static_cast<float>(0.5 - radius * std::cos(kPi * lambda))};
}

} // namespace player
