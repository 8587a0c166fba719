#include "PlayerCamera.h"

namespace kestrel {

bool PlayerCamera::DragBy(int dx, int dy) {
    const float zoom = moment_.zoom > 0.0f ? moment_.zoom : 1.0f;
    return player::DragView(*this, moment_, zoom, clientHeight_.load(), false, dx, dy);
}

} // namespace kestrel
