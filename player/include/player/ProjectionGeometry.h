// The geometry and texture mapping of the projection models, as pure
// functions so that they can be checked without a GPU and so that the
// conversion engine's resampler can use the same unwrapping formula.
//
// Texture coordinates address the decoded frame with (0, 0) at its top-left
// corner and (1, 1) at its bottom-right; the circular fisheye picture is
// centred at (0.5, 0.5). Grids of flat models are triangle lists, six vertices
// per cell in the order (x0,y0) (x1,y0) (x0,y1) (x0,y1) (x1,y0) (x1,y1).
#pragma once

#include <cstdint>
#include <vector>

namespace player {

struct GridVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
};

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

// Full-frame screen: 16 x 16 cells centred at (a, b), c wide and 1 high; the
// whole frame, u reversed because the camera looks along -z. 1536 vertices.
std::vector<GridVertex> BuildFullFrameGrid(float a, float b, float c);

// One split strip: 48 x 24 cells, centre x a, top b, width factor c, half index
// d (the second strip is turned by half a turn). 6912 vertices.
std::vector<GridVertex> BuildSplitGrid(float a, float b, float c, int d);
// The split mapping of one point of the strip (same arguments).
TexCoord SplitTexCoord(float x, float y, float a, float b, float c, int d);

// One panorama plane: 96 x 96 cells, 4.0 wide starting at a - 2, y base b.
// 55296 vertices.
std::vector<GridVertex> BuildPanoramaGrid(float a, float b);
TexCoord PanoramaTexCoord(float x, float y, float a, float b);

// UV sphere of the given radius with its poles on the y axis, as an indexed
// triangle list. Texture coordinates from SphereTexCoord; the -y pole gets the
// picture centre, the +y pole (outside the picture's circle) gets the limit
// along its slice's azimuth.
struct SphereMesh {
    std::vector<GridVertex> vertices;
    std::vector<uint32_t> indices;
};
inline constexpr float kSphereRadius = 200.0f;
inline constexpr int kSphereSlices = 64;
inline constexpr int kSphereStacks = 64;
SphereMesh BuildSphereMesh(float radius = kSphereRadius, int slices = kSphereSlices,
                           int stacks = kSphereStacks);
// The sphere mapping of a point of the radius-200 sphere; undefined at the
// poles (x = z = 0), where it returns the picture centre.
TexCoord SphereTexCoord(float x, float y, float z);

// Fisheye-to-equirectangular unwrapping of the conversion engine: column k of
// 960 and row j of 480 (both may reach their count for the closing edge).
// lambda = 1 - k / 480, f = j / 960, u = 0.5 - 0.572 cos(pi f) sin(pi lambda),
// v = 0.5 - 0.572 cos(pi f) cos(pi lambda).
inline constexpr int kUnwrapColumns = 960;
inline constexpr int kUnwrapRows = 480;
TexCoord UnwrapTexCoord(double k, double j);

} // namespace player
