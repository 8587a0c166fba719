#include "player/ViewState.h"

#include <cmath>

namespace player {

std::array<TestDirection, 8> DefaultTestDirections() {
    // y components are sqrt(0.5) and sqrt(0.75): 45 and 30 degrees from +y.
    const float y45 = static_cast<float>(std::sqrt(0.5));
    const float y30 = static_cast<float>(std::sqrt(0.75));
    return {{
        {-0.5f, y45, -0.5f, 0.0f},
        {-0.5f, y45, 0.5f, 0.0f},
        {0.5f, y45, -0.5f, 0.0f},
        {0.5f, y45, 0.5f, 0.0f},
        {0.0f, y30, -0.5f, 0.0f},
        {0.0f, y30, 0.5f, 0.0f},
        {-0.5f, y30, 0.0f, 0.0f},
        {0.5f, y30, 0.0f, 0.0f},
    }};
}

} // namespace player
