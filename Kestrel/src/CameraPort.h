// What the movie views, their inertia threads, the controller pad and the
// main window ask of one camera's player context. The player contexts
// implement it; until a recording is open the main window hands out a camera
// without a movie, which refuses every drag. Drag, EndDrag, ResetView and
// Repaint may be called from the inertia and pad threads: implementations
// take the context's lock.
#pragma once

#include <player/CMoment.h>

namespace kestrel {

// A zoom step of the enlarge state at a point of the view.
struct ZoomRequest {
    int displayMode = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int clickX = 0;
    int clickY = 0;
    float zoom = 1.0f; // the new factor: 1, 2 or 3
    bool fullScreen = false;
    bool keepAspect = true;
};

class CameraPort {
public:
    virtual ~CameraPort() = default;

    virtual bool HoldsMovie() const = 0;
    // 0 closed, 1 stopped, 2 playing, 3 paused.
    virtual int PlayState() const = 0;
    // -4, -2, 1, 2, 4 (1 normal speed).
    virtual int SpeedCode() const = 0;
    // Turns the view by a pixel movement since the drag began; false when refused.
    virtual bool DragBy(int dx, int dy) = 0;
    // Commits the drag: the next one starts from the current view.
    virtual void EndDrag() = 0;
    virtual void ResetView() = 0;
    virtual void Repaint() = 0;
    // The view's client size changed (a drag is scaled by the view's height).
    virtual void SetViewSize(int width, int height) {}
    // Applies the stored 2D zoom and pan again (the window was restored).
    virtual void ReapplyZoom() {}
    virtual void Play() {}
    virtual void Pause() {}
    virtual void Stop() {}
    // Zooms toward the clicked point; the record takes the new factor.
    virtual void ApplyZoom(const ZoomRequest& request, player::CMoment& moment) {
        moment.zoom = request.zoom;
    }
};

// A camera with no movie open: nothing to turn, draw or play.
class NoMovieCamera final : public CameraPort {
public:
    bool HoldsMovie() const override { return false; }
    int PlayState() const override { return 0; }
    int SpeedCode() const override { return 1; }
    bool DragBy(int, int) override { return false; }
    void EndDrag() override {}
    void ResetView() override {}
    void Repaint() override {}
};

} // namespace kestrel
