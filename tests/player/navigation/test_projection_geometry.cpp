// Grid texture coordinates of the projection models at chosen vertices,
// against the mapping formulas and the properties the views rely on.
#include "player/ProjectionGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace player;

constexpr double kPi = std::numbers::pi;

double Radius(const TexCoord& t) {
    return std::hypot(t.u - 0.5, t.v - 0.5);
}

TEST(FullFrameGrid, CoversTheWholeFrameUnmirrored) {
    const float c = 1920.0f / 1080.0f;
    const auto g = BuildFullFrameGrid(0.0f, 0.0f, c);
    ASSERT_EQ(g.size(), 16u * 16u * 6u);
    // First cell: (x0,y0) (x1,y0) (x0,y1) (x0,y1) (x1,y0) (x1,y1).
    EXPECT_FLOAT_EQ(g[0].x, -c / 2);
    EXPECT_FLOAT_EQ(g[0].y, -0.5f);
    EXPECT_FLOAT_EQ(g[1].x, -c / 2 + c / 16);
    EXPECT_FLOAT_EQ(g[2].y, -0.5f + 1.0f / 16);
    EXPECT_FLOAT_EQ(g[5].x, g[1].x);
    EXPECT_FLOAT_EQ(g[5].y, g[2].y);
    for (const GridVertex& v : g) {
        // u = 1 - (x - (a - c/2)) / (c/2) * 0.5, v = 1 - (y - (b - 0.5))
        EXPECT_NEAR(v.u, 1.0 - (v.x + c / 2) / (c / 2) * 0.5, 1e-6);
        EXPECT_NEAR(v.v, 1.0 - (v.y + 0.5), 1e-6);
        EXPECT_EQ(v.z, 0.0f);
    }
    // Left-bottom corner shows the frame's right-bottom texel: the camera
    // looks along -z, so world x grows to the left on screen.
    EXPECT_FLOAT_EQ(g[0].u, 1.0f);
    EXPECT_FLOAT_EQ(g[0].v, 1.0f);
    EXPECT_NEAR(g.back().u, 0.0f, 1e-6);
    EXPECT_NEAR(g.back().v, 0.0f, 1e-6);
}

TEST(SplitGrid, StripsCoverAllDirectionsBetweenTheirRadii) {
    const float c = 1.3333334f;
    for (int d = 0; d < 2; ++d) {
        const float b = 0.5f * static_cast<float>(d);
        const auto g = BuildSplitGrid(0.0f, b, c, d);
        ASSERT_EQ(g.size(), 48u * 24u * 6u);
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const GridVertex& v : g) {
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
            const TexCoord t = SplitTexCoord(v.x, v.y, 0.0f, b, c, d);
            EXPECT_FLOAT_EQ(v.u, t.u);
            EXPECT_FLOAT_EQ(v.v, t.v);
        }
        EXPECT_NEAR(maxX - minX, 1.7707, 1e-4);
        EXPECT_NEAR(minY, b - 0.5f, 1e-6);
        EXPECT_NEAR(maxY, b, 1e-5);
    }
    // Hand-computed points: strip 0 at its centre column looks towards the
    // picture's bottom edge (u 0.5, v > 0.5), bottom edge radius 0.225, top
    // edge radius 0.485; strip 1 looks the opposite way.
    struct Case {
        float x, y, b;
        int d;
        double u, v;
    } cases[] = {
        {0.0f, -0.5f, 0.0f, 0, 0.5, 0.5 + 0.312 * std::sqrt(2 * (1 + std::sin(-0.735 * kPi)))},
        {0.0f, 0.0f, 0.0f, 0, 0.5, 0.5 + 0.312 * std::sqrt(2 * (1 + std::sin(-1.0675 * kPi)))},
        {0.0f, 0.0f, 0.5f, 1, 0.5, 0.5 - 0.312 * std::sqrt(2 * (1 + std::sin(-0.735 * kPi)))},
        // Left edge of strip 0: C = -pi/2, the picture's left (u < 0.5).
        {-0.664f * 1.3333334f, -0.5f, 0.0f, 0, 0.5 - 0.225196, 0.5},
    };
    for (const Case& k : cases) {
        const TexCoord t = SplitTexCoord(k.x, k.y, 0.0f, k.b, c, k.d);
        EXPECT_NEAR(t.u, k.u, 2e-4) << k.x << "," << k.y;
        EXPECT_NEAR(t.v, k.v, 2e-4) << k.x << "," << k.y;
    }
    EXPECT_NEAR(Radius(SplitTexCoord(0.3f, -0.5f, 0.0f, 0.0f, c, 0)), 0.225, 1e-3);
    EXPECT_NEAR(Radius(SplitTexCoord(0.3f, 0.0f, 0.0f, 0.0f, c, 0)), 0.485, 1e-3);
}

TEST(PanoramaGrid, ColumnsAreAzimuthAndRowsRadius) {
    const float offsets[3] = {-5.0f, -1.0f, 3.0f};
    for (float a : offsets) {
        const auto g = BuildPanoramaGrid(a, 0.92f);
        ASSERT_EQ(g.size(), 96u * 96u * 6u);
        EXPECT_FLOAT_EQ(g.front().x, a - 2.0f);
        EXPECT_NEAR(g.back().x, a + 2.0f, 1e-4);
        EXPECT_NEAR(g.front().y, -1.59f, 1e-6);
        EXPECT_NEAR(g.back().y, -1.59 + 96 * 0.061020836, 1e-4);
        for (size_t i = 0; i < g.size(); i += 997) {
            const TexCoord t = PanoramaTexCoord(g[i].x, g[i].y, a, 0.92f);
            EXPECT_FLOAT_EQ(g[i].u, t.u);
            EXPECT_FLOAT_EQ(g[i].v, t.v);
        }
    }
    // The picture centre lies at y = -0.59; a quarter plane from the left
    // edge is the direction towards the picture's bottom edge.
    EXPECT_NEAR(Radius(PanoramaTexCoord(0.3f, -0.59f, -1.0f, 0.92f)), 0.0, 1e-3);
    const TexCoord bottom = PanoramaTexCoord(-3.0f + 1.0f, 0.0f, -1.0f, 0.92f);
    EXPECT_NEAR(bottom.u, 0.5, 2e-3);
    EXPECT_NEAR(bottom.v, 0.779, 2e-3);
    // Same point one plane width further shows the same texel.
    const TexCoord p = PanoramaTexCoord(-0.7f, 0.2f, -1.0f, 0.92f);
    const TexCoord q = PanoramaTexCoord(3.3f, 0.2f, 3.0f, 0.92f);
    EXPECT_NEAR(p.u, q.u, 1e-5);
    EXPECT_NEAR(p.v, q.v, 1e-5);
    // The band's top at zoom 1 (y = 0.583) reaches near the picture's edge.
    EXPECT_NEAR(Radius(PanoramaTexCoord(0.0f, 0.583f, -1.0f, 0.92f)), 0.497, 2e-3);
}

TEST(SphereMesh, TexCoordsFollowTheRadiusLaw) {
    const SphereMesh m = BuildSphereMesh();
    ASSERT_EQ(m.vertices.size(), 65u * 65u);
    ASSERT_EQ(m.indices.size(), 64u * 62u * 6u + 2u * 64u * 3u);
    for (uint32_t i : m.indices) {
        ASSERT_LT(i, m.vertices.size());
    }
    for (const GridVertex& v : m.vertices) {
        const double r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        ASSERT_NEAR(r, 200.0, 1e-3);
        const double theta = std::acos(std::clamp(v.y / 200.0, -1.0, 1.0));
        if (v.x * v.x + v.z * v.z > 1e-6) {
            // q = (y + 200) * 400 / (x^2 + z^2); u = 0.5 - sqrt(q) x/200 0.286;
            // v = sqrt(q) z/200 0.286 + 0.5.
            const double q = (v.y + 200.0) * 400.0 / (v.x * v.x + v.z * v.z);
            EXPECT_NEAR(v.u, 0.5 - std::sqrt(q) * (v.x / 200.0) * 0.286, 1e-5);
            EXPECT_NEAR(v.v, std::sqrt(q) * (v.z / 200.0) * 0.286 + 0.5, 1e-5);
        }
        EXPECT_NEAR(std::hypot(v.u - 0.5, v.v - 0.5), 0.572 * std::cos(theta / 2), 1e-4);
    }
    // The -y pole is the picture centre.
    EXPECT_FLOAT_EQ(m.vertices.back().u, 0.5f);
    EXPECT_FLOAT_EQ(m.vertices.back().v, 0.5f);
    EXPECT_EQ(m.vertices.back().y, -200.0f);
    // Straight ahead of the camera at identity (-z): towards the top edge.
    const TexCoord ahead = SphereTexCoord(0.0f, 0.0f, -200.0f);
    EXPECT_NEAR(ahead.u, 0.5, 1e-6);
    EXPECT_NEAR(ahead.v, 0.5 - 0.572 / std::sqrt(2.0), 1e-5);
}

TEST(UnwrapGrid, EquirectangularFromTheFisheye) {
    struct Case {
        double k, j, u, v;
    } cases[] = {
        {0, 0, 0.5, 1.072},         // lambda 1: towards the bottom edge, radius 0.572
        {480, 0, 0.5, 0.5 - 0.572}, // lambda 0: towards the top edge
        {240, 0, 0.5 - 0.572, 0.5}, // lambda 0.5
        {720, 0, 0.5 + 0.572, 0.5}, // lambda -0.5
        {123, 480, 0.5, 0.5},       // the last row is the picture centre
        {0, 320, 0.5, 0.5 + 0.572 * 0.5},
    };
    for (const Case& c : cases) {
        const TexCoord t = UnwrapTexCoord(c.k, c.j);
        EXPECT_NEAR(t.u, c.u, 1e-5) << c.k << "," << c.j;
        EXPECT_NEAR(t.v, c.v, 1e-5) << c.k << "," << c.j;
    }
}

} // namespace
