#include "player/SphereNavigation.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace player {

namespace {

constexpr double kRadiansPerDegree = 0.017453292;
// cos(0.75 pi): a test direction must stay more than 45 degrees from -z.
constexpr float kCapLimit = -0.70710678f;

struct Amounts {
    double a;
    double b;
};

// The drag vector (h, -v) turned by the angle i (degrees).
Amounts Candidate(double h, double v, int degrees) {
    const double angle = degrees * kRadiansPerDegree;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return Amounts{h * c + v * s, h * s - v * c};
}

} // namespace

void RotationStep(SphereOrientation& o, double a, double b) {
    const double length = std::sqrt(a * a + b * b);
    if (length == 0.0) {
        return;
    }
    const double half = std::numbers::pi * length; // the view turns by 2 pi L
    const double s = std::sin(half);
    const Quaternion r{std::cos(half), s * b / length, s * a / length, 0.0};
    o.current = Multiply(r, o.base);
    o.matrix = RotationMatrix(o.current);
}

bool SphereAcceptable(const SphereOrientation& o, const std::array<TestDirection, 8>& dirs) {
    // The third column of the matrix in float gives each direction's new z.
    const float m02 = static_cast<float>(o.matrix[0][2]);
    const float m12 = static_cast<float>(o.matrix[1][2]);
    const float m22 = static_cast<float>(o.matrix[2][2]);
    const float m32 = static_cast<float>(o.matrix[3][2]);
    float minZ = 10.0f;
    for (const TestDirection& d : dirs) {
        const float z = d.x * m02 + d.y * m12 + d.z * m22 + d.w * m32;
        if (z < minZ) {
            minZ = z;
        }
    }
    return minZ > kCapLimit;
}

SphereDragOutcome SphereDrag(SphereOrientation& a, SphereOrientation& b,
                             const std::array<TestDirection, 8>& dirs, float h, float v) {
    SphereDragOutcome out;
    int bestDeviation = 400;
    for (int i = 0; i < 360; ++i) {
        const Amounts c = Candidate(h, v, i);
        SphereOrientation candidate = a;
        RotationStep(candidate, c.a, c.b);
        if (!SphereAcceptable(candidate, dirs)) {
            continue;
        }
        if (i == 0) {
            out.result = 1;
        }
        const int deviation = 180 - std::abs(i - 180);
        if (deviation < bestDeviation) {
            bestDeviation = deviation;
            out.bestAngle = i;
        }
    }
    if (out.bestAngle < 0) {
        return out; // no direction is free: the view stays as it is
    }
    const double shorten = std::sqrt((180.0 - bestDeviation) / 180.0);
    const Amounts c = Candidate(static_cast<double>(h) * shorten, static_cast<double>(v) * shorten,
                                out.bestAngle);
    RotationStep(a, c.a, c.b);
    b = a;
    return out;
}

} // namespace player
