#include "player/CDivideScreenContainer.h"

namespace player {

bool CDivideScreenContainer::Create() {
    for (int i = 0; i < 2; ++i) {
        // Strip 0 spans y -0.5..0, strip 1 (turned by half a turn) 0..0.5.
        if (!strips[i].buffer.Create(
                BuildSplitGrid(0.0f, 0.5f * static_cast<float>(i), kWidthFactor, i))) {
            Release();
            return false;
        }
    }
    return true;
}

void CDivideScreenContainer::Release() {
    for (CDivideScreen& s : strips) {
        s.buffer.Release();
    }
}

} // namespace player
