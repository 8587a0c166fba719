#include "PlayerCamera.h"

namespace kestrel {

bool PlayerCamera::DragBy(int dx, int dy) {
    const float zoom = moment_.zoom > 0.0f ? moment_.zoom : 1.0f;
    return player::DragView(*this, moment_, zoom, clientHeight_.load(), false, dx, dy);
}

void PlayerCamera::ApplyZoom(const ZoomRequest& r, player::CMoment& moment) {
    player::ViewZoomStep step;
    step.displayMode = r.displayMode;
    step.clientWidth = r.clientWidth;
    step.clientHeight = r.clientHeight;
    step.clickX = r.clickX;
    step.clickY = r.clickY;
    step.zoom = r.zoom;
    step.fullScreen = r.fullScreen;
    step.keepAspect = r.keepAspect;
    // The flat view zooms in two dimensions around the clicked point.
    step.applyFlatZoom = [this, &r] { ops_.SetZoomPan(ctx_, r.clickX, r.clickY, 0, 0, r.zoom, 1); };
    player::ApplyViewZoom(*this, moment, step);
}

} // namespace kestrel
