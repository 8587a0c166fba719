// The main window's routines that turn user input into view operations: a
// movement in pixels becomes a drag (DragView), a zoom step turns or pans the
// view toward the clicked point (ApplyViewZoom), and a re-sized or re-placed
// view refreshes the cameras' aspect (RefreshViewParameters). They are plain
// functions over a camera's context so that the movie view, its inertia
// thread and the controller pad's worker can all call them.
#pragma once

#include "player/CMoment.h"

#include <functional>

namespace player {

// What the routines need of one camera's player context. Implementations
// forward to the context's operations (which take the context lock).
class ViewContext {
public:
    virtual ~ViewContext() = default;
    // The context holds a movie whose operations may be called.
    virtual bool Usable() const = 0;
    virtual int Drag(float h, float v, float zoom) = 0;
    virtual void EndDrag() = 0;
    // 0 closed, 1 stopped, 2 playing, 3 paused.
    virtual int PlayState() const = 0;
    virtual void Repaint() = 0;
    virtual void SetAspect(int width, int height) = 0;
    virtual void SetKeepAspect(bool keep) = 0;
};

// dx, dy: pixel movement in a view whose client area is clientHeight high,
// shown at zoom. With dominantAxis only the larger component is kept (equal
// magnitudes keep the horizontal one). Returns false when the drag was refused
// and its horizontal part is 0; the drag record is then cleared and the drag
// ended, which stops a fling the sphere will not follow. A view of height 0
// receives no input: nothing happens and the result is false.
bool DragView(ViewContext& ctx, CMoment& moment, float zoom, int clientHeight, bool dominantAxis,
              int dx, int dy);

// The view's client size changed, it was re-placed or given a new mode.
void RefreshViewParameters(ViewContext& ctx, int displayMode, int clientWidth, int clientHeight,
                           bool keepAspect);

struct ViewZoomStep {
    int displayMode = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int clickX = 0; // the clicked point of the zoom record, client pixels
    int clickY = 0;
    float zoom = 1.0f;       // the zoom record's new factor
    bool fullScreen = false; // the main window is in full screen
    bool keepAspect = false; // the main window's keep-aspect flag
    // Copies the new factor into the movie view and the controller pad.
    std::function<void(float)> publishZoom;
    // Mode 5: applies the 2D zoom of both usable contexts (repainting).
    std::function<void()> applyFlatZoom;
};

// A zoom step of the enlarge state: records the new factor in the drag record
// and drags the view by the fraction the picture grew toward the clicked point.
void ApplyViewZoom(ViewContext& ctx, CMoment& moment, const ViewZoomStep& step);

} // namespace player
