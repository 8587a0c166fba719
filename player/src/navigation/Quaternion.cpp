#include "player/Quaternion.h"

#include <cstddef>

namespace player {

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
    return Quaternion{
        a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
        a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
    };
}

Matrix4d RotationMatrix(const Quaternion& q) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    Matrix4d m{};
    m[0] = {1 - 2 * y * y - 2 * z * z, 2 * (x * y + w * z), 2 * (x * z - w * y), 0};
    m[1] = {2 * (x * y - w * z), 1 - 2 * x * x - 2 * z * z, 2 * (y * z + w * x), 0};
    m[2] = {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * x * x - 2 * y * y, 0};
    m[3] = {0, 0, 0, 1};
    return m;
}

Matrix4d IdentityMatrix4d() {
    Matrix4d m{};
    for (int i = 0; i < 4; ++i) {
        m[static_cast<std::size_t>(i)][static_cast<std::size_t>(i)] = 1.0;
    }
    return m;
}

} // namespace player
