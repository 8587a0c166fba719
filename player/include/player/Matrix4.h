// Single-precision 4 x 4 matrices with the row-vector convention (p' = p * M)
// and the left-handed look-at and perspective cameras the views are defined
// with. ToOpenGLClip turns a left-handed projection (depth 0..1) into one for
// OpenGL's clip space (depth -1..1) without changing x or y, so the picture on
// screen is the same. The row-major storage of a row-vector matrix is the
// column-major storage of its transpose, so data() can be handed to
// glUniformMatrix4fv with transpose = GL_FALSE and used as `M * v` in GLSL.
#pragma once

#include <array>
#include <cstddef>

namespace player {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Matrix4 {
    std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // row-major

    float& at(int row, int col) { return m[static_cast<std::size_t>(row * 4 + col)]; }
    float at(int row, int col) const { return m[static_cast<std::size_t>(row * 4 + col)]; }
    const float* data() const { return m.data(); }

    static Matrix4 Identity() { return Matrix4{}; }
};

// a * b (apply a first, then b, to row vectors).
Matrix4 operator*(const Matrix4& a, const Matrix4& b);

// p * M for the point (x, y, z, w).
std::array<float, 4> Transform(const std::array<float, 4>& p, const Matrix4& m);

// Left-handed look-at view matrix (looking along +z of the view space).
Matrix4 LookAtLH(const Vec3& eye, const Vec3& target, const Vec3& up);

// Left-handed perspective with vertical field of view fovY (radians), depth
// mapped to 0..1 between zn and zf.
Matrix4 PerspectiveFovLH(float fovY, float aspect, float zn, float zf);

// Remaps the depth of a 0..1 projection to OpenGL's -1..1 (z' = 2z - w).
Matrix4 ToOpenGLClip(const Matrix4& projection);

// Maps pixel coordinates of a viewWidth x viewHeight view (origin top-left,
// y down) to normalised device coordinates, as pre-transformed vertices are.
Matrix4 PixelToClip(int viewWidth, int viewHeight);

} // namespace player
