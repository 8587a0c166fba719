// The sphere's rotation by drag: a drag turns the base orientation by an
// amount in turns, and a cap of eight test directions around +y (where the
// sphere shows no picture) must stay more than 45 degrees away from the
// viewing direction (-z). A drag heading into the cap is deflected to the
// nearest free direction and shortened the more, the further it was deflected.
#pragma once

#include "player/ViewState.h"

#include <array>

namespace player {

// Turns o's base quaternion by the amounts a (about y) and b (about x), in
// turns: current = r (x) base, matrix = RotationMatrix(current). A zero
// amount leaves o unchanged.
void RotationStep(SphereOrientation& o, double a, double b);

// True when every test direction, turned by o's matrix (in float), keeps a z
// component above -0.70710678.
bool SphereAcceptable(const SphereOrientation& o, const std::array<TestDirection, 8>& dirs);

struct SphereDragOutcome {
    int result = 0;     // 1 when the drag could be applied undeflected
    int bestAngle = -1; // the candidate angle used (degrees), -1 when none was acceptable
};

// One drag of (h, v) turns, measured from a's base orientation: evaluates the
// 360 candidate directions, applies the best one to a and copies a into b.
// When no direction is acceptable, a and b are left unchanged.
SphereDragOutcome SphereDrag(SphereOrientation& a, SphereOrientation& b,
                             const std::array<TestDirection, 8>& dirs, float h, float v);

} // namespace player
