#include "player/ViewRoutines.h"

#include "player/DisplayMode.h"

#include <cmath>

namespace player {

bool DragView(ViewContext& ctx, CMoment& moment, float zoom, int clientHeight, bool dominantAxis,
              int dx, int dy) {
    if (clientHeight <= 0 || zoom <= 0.0f) {
        return false; // such a view receives no input
    }
    // Turns per pixel: the vertical field of view over the view's height.
    const float e = 60.0f / zoom / 360.0f / static_cast<float>(clientHeight);
    float h = static_cast<float>(dx) * e;
    float v = static_cast<float>(dy) * e;
    const bool moved = h != 0.0f || v != 0.0f;
    if (dominantAxis) {
        if (std::fabs(v) > std::fabs(h)) {
            h = 0.0f;
        } else {
            v = 0.0f;
        }
    }
    const bool usable = ctx.Usable();
    bool result = false;
    int dragged = 0;
    if (usable) {
        dragged = ctx.Drag(h, v, zoom);
        result = dragged != 0;
    }
    if (!usable || dragged == 0) {
        if (h == 0.0f) {
            moment.Clear();
            if (usable) {
                ctx.EndDrag();
            }
            result = false;
        } else {
            result = true;
        }
    }
    if (usable && moved) {
        const int state = ctx.PlayState();
        if (state == 1 || state == 3) {
            ctx.Repaint(); // a still frame is drawn again with the new view
        }
    }
    return result;
}

void RefreshViewParameters(ViewContext& ctx, int displayMode, int clientWidth, int clientHeight,
                           bool keepAspect) {
    if (!ctx.Usable()) {
        return;
    }
    ctx.SetAspect(clientWidth, clientHeight);
    if (displayMode == ModeSplit || displayMode == ModeFullFrame) {
        ctx.SetKeepAspect(keepAspect);
    }
}

void ApplyViewZoom(ViewContext& ctx, CMoment& moment, const ViewZoomStep& step) {
    const float newZoom = step.zoom;
    if (step.publishZoom) {
        step.publishZoom(newZoom);
    }
    bool keepVertical = true;
    switch (step.displayMode) {
    case ModeSplit:
        break;
    case ModeFullFrame:
        if (!step.fullScreen) {
            RefreshViewParameters(ctx, step.displayMode, step.clientWidth, step.clientHeight,
                                  step.keepAspect);
        }
        break;
    case ModeSphere:
        RefreshViewParameters(ctx, step.displayMode, step.clientWidth, step.clientHeight,
                              step.keepAspect);
        break;
    case ModePanorama:
        RefreshViewParameters(ctx, step.displayMode, step.clientWidth, step.clientHeight,
                              step.keepAspect);
        if (static_cast<int>(newZoom) == 1) {
            keepVertical = false; // the panorama's band does not move at zoom 1
        }
        break;
    case ModeFlat:
        if (step.applyFlatZoom) {
            step.applyFlatZoom();
        }
        break;
    default:
        return;
    }
    const float oldZoom = moment.zoom;
    moment.zoom = newZoom;
    // A record that never held a zoom counts as 1x.
    const float f = (newZoom - oldZoom) / (oldZoom != 0.0f ? oldZoom : 1.0f);
    const int dx = static_cast<int>(static_cast<float>(step.clientWidth / 2 - step.clickX) * f);
    const int dy =
        keepVertical ? static_cast<int>(static_cast<float>(step.clientHeight / 2 - step.clickY) * f)
                     : 0;
    DragView(ctx, moment, newZoom, step.clientHeight, false, dx, dy);
    if (ctx.Usable()) {
        ctx.EndDrag();
    }
}

} // namespace player
