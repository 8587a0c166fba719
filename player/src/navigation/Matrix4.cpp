#include "player/Matrix4.h"

#include <cmath>

namespace player {

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) {
                s += a.at(i, k) * b.at(k, j);
            }
            r.at(i, j) = s;
        }
    }
    return r;
}

std::array<float, 4> Transform(const std::array<float, 4>& p, const Matrix4& m) {
    std::array<float, 4> r{};
    for (int j = 0; j < 4; ++j) {
        r[static_cast<std::size_t>(j)] =
            p[0] * m.at(0, j) + p[1] * m.at(1, j) + p[2] * m.at(2, j) + p[3] * m.at(3, j);
    }
    return r;
}

namespace {

Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalize(const Vec3& a) {
    const float len = std::sqrt(Dot(a, a));
    if (len == 0.0f) {
        return a;
    }
    return {a.x / len, a.y / len, a.z / len};
}

} // namespace

Matrix4 LookAtLH(const Vec3& eye, const Vec3& target, const Vec3& up) {
    const Vec3 zAxis = Normalize(Sub(target, eye));
    const Vec3 xAxis = Normalize(Cross(up, zAxis));
    const Vec3 yAxis = Cross(zAxis, xAxis);
    Matrix4 m;
    m.m = {xAxis.x,          yAxis.x,          zAxis.x,          0.0f, //
           xAxis.y,          yAxis.y,          zAxis.y,          0.0f, //
           xAxis.z,          yAxis.z,          zAxis.z,          0.0f, //
           -Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1.0f};
    return m;
}

Matrix4 PerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    Matrix4 m;
    m.m = {xScale, 0.0f,   0.0f,
           0.0f, //
           0.0f,   yScale, 0.0f,
           0.0f, //
           0.0f,   0.0f,   zf / (zf - zn),
           1.0f, //
           0.0f,   0.0f,   -zn * zf / (zf - zn),
           0.0f};
    return m;
}

Matrix4 ToOpenGLClip(const Matrix4& projection) {
    Matrix4 fix; // z' = 2z - w
    fix.at(2, 2) = 2.0f;
    fix.at(3, 2) = -1.0f;
    return projection * fix;
}

Matrix4 PixelToClip(int viewWidth, int viewHeight) {
    const float w = viewWidth > 0 ? static_cast<float>(viewWidth) : 1.0f;
    const float h = viewHeight > 0 ? static_cast<float>(viewHeight) : 1.0f;
    Matrix4 m;
    m.at(0, 0) = 2.0f / w;
    m.at(1, 1) = -2.0f / h;
    m.at(3, 0) = -1.0f;
    m.at(3, 1) = 1.0f;
    return m;
}

} // namespace player
