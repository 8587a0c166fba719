// Quaternions and 4 x 4 matrices in double precision for the sphere's
// orientation. Matrices use the row-vector convention (p' = p * M), the same
// as the camera matrices in Matrix4.h.
#pragma once

#include <array>

namespace player {

struct Quaternion {
    double w = 1.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

using Matrix4d = std::array<std::array<double, 4>, 4>;

// Hamilton product a (x) b.
Quaternion Multiply(const Quaternion& a, const Quaternion& b);

// Rotation matrix of q for row vectors. First row (1-2y^2-2z^2, 2(xy+wz),
// 2(xz-wy), 0), second (2(xy-wz), 1-2x^2-2z^2, 2(yz+wx), 0), third (2(xz+wy),
// 2(yz-wx), 1-2x^2-2y^2, 0), fourth (0, 0, 0, 1). q is not normalised first.
Matrix4d RotationMatrix(const Quaternion& q);

Matrix4d IdentityMatrix4d();

} // namespace player
