// The drag and zoom record of one camera's view, shared by the movie view, its
// fling inertia thread, the controller pad and the main window's zoom logic.
// Those threads read and write it without a lock; every field is a plain value
// so a torn read only ever yields a slightly stale amount.
#pragma once

namespace player {

struct CMoment {
    int dragStartX = 0; // client pixels
    int dragStartY = 0;
    float zoom = 1.0f;
    int accumX = 0; // accumulated drag, pixels
    int accumY = 0;
    int velocityX = 0; // pixels per mouse message, each within -100..100
    int velocityY = 0;

    // Everything but the zoom factor back to 0.
    void Clear() {
        const float keep = zoom;
        *this = CMoment{};
        zoom = keep;
    }
};

} // namespace player
