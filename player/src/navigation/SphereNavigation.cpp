#include "player/SphereNavigation.h"

#include <cmath>
#include <cstddef>
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

struct Turn {
    double c;
    double s;
};

// cos and sin of the 360 candidate angles (a constant table).
const std::array<Turn, 360>& CandidateTurns() {
    static const std::array<Turn, 360> table = [] {
        std::array<Turn, 360> t{};
        for (int i = 0; i < 360; ++i) {
            const double angle = i * kRadiansPerDegree;
            t[static_cast<std::size_t>(i)] = Turn{std::cos(angle), std::sin(angle)};
        }
        return t;
    }();
    return table;
}

// The drag vector (h, -v) turned by the angle i (degrees).
Amounts Candidate(double h, double v, int degrees) {
    const Turn& t = CandidateTurns()[static_cast<std::size_t>(degrees)];
    return Amounts{h * t.c + v * t.s, h * t.s - v * t.c};
}

// The cap test of one candidate without building its whole orientation:
// every candidate has the same length (a turn of the drag vector), so the
// rotation's angle is shared; only the matrix's third column (each test
// direction's new z) is needed. Same values as RotationStep followed by
// SphereAcceptable.
bool CandidateAcceptable(const Quaternion& base, double cosHalf, double sinOverLength,
                         const Amounts& c, const std::array<TestDirection, 8>& dirs) {
    const Quaternion r{cosHalf, sinOverLength * c.b, sinOverLength * c.a, 0.0};
    const Quaternion q = Multiply(r, base);
    const float m02 = static_cast<float>(2 * (q.x * q.z - q.w * q.y));
    const float m12 = static_cast<float>(2 * (q.y * q.z + q.w * q.x));
    const float m22 = static_cast<float>(1 - 2 * q.x * q.x - 2 * q.y * q.y);
    float minZ = 10.0f;
    for (const TestDirection& d : dirs) {
        // The rotation matrix's fourth row has z = 0, so w adds nothing.
        const float z = d.x * m02 + d.y * m12 + d.z * m22;
        if (z < minZ) {
            minZ = z;
        }
    }
    return minZ > kCapLimit;
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
    const double length = std::sqrt(static_cast<double>(h) * h + static_cast<double>(v) * v);
    const bool still = length == 0.0; // every candidate is A itself
    const bool stillAcceptable = still && SphereAcceptable(a, dirs);
    const double half = std::numbers::pi * length;
    const double cosHalf = std::cos(half);
    const double sinOverLength = still ? 0.0 : std::sin(half) / length;
    for (int i = 0; i < 360; ++i) {
        const Amounts c = Candidate(h, v, i);
        const bool acceptable =
            still ? stillAcceptable : CandidateAcceptable(a.base, cosHalf, sinOverLength, c, dirs);
        if (!acceptable) {
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
