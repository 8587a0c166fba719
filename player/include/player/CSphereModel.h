// The container of the four 3D models of the main camera's picture: the split
// strips (mode 1), the full-frame screen (2), the sphere (3) and the panorama
// (4). It owns their OpenGL resources and the view parameters (ViewNavigator),
// and draws the current frame through the model of its mode.
//
// OpenGL: every GL call (initializeGL, setFrameTextures, draw, releaseGL)
// needs the context that initializeGL ran in to be current. The view
// operations touch no OpenGL and may be called from any thread; they and the
// drawing take the model lock, then the lock of the camera concerned, so a
// camera never changes in the middle of a frame.
//
// Drawing needs a depth buffer (and uses a stencil buffer when present) in the
// framebuffer bound by the caller.
#pragma once

#include "player/CDivideScreenContainer.h"
#include "player/CPlainContainer.h"
#include "player/CRectScreen.h"
#include "player/CSphere.h"
#include "player/FrameTextures.h"
#include "player/ViewNavigator.h"

#include <memory>
#include <mutex>

namespace player {

class CFrameProgram;

class CSphereModel {
public:
    CSphereModel();
    virtual ~CSphereModel();
    CSphereModel(const CSphereModel&) = delete;
    CSphereModel& operator=(const CSphereModel&) = delete;

    // Compiles the shader and builds every grid. False (and nothing created)
    // when the context is not OpenGL 3.3 / GLES 3 or a GL step fails; the
    // caller then falls back to the full-frame mode without 3D views.
    bool initializeGL();
    // Frees the GL resources; the view parameters are kept.
    void releaseGL();
    bool IsCreated() const;

    // The frame to draw. A new frame size rebuilds the full-frame screen,
    // whose width follows the frame's proportions.
    void setFrameTextures(const FrameTextures& frame);

    // Draws the frame through the current mode's model into the bound
    // framebuffer, viewport (0, 0, viewWidth, viewHeight) in device pixels.
    // False when drawing is disabled (mode outside 1..4; nothing is cleared)
    // or a GL call failed; true otherwise, also when not created or without a
    // frame yet (then nothing is drawn).
    bool draw(int viewWidth, int viewHeight);

    // The player's view operations on the model. Without GL
    // resources (not created) they change nothing: Drag returns 1,
    // ToggleFlip 0. setMode is kept and applies once created.
    void setMode(int mode);
    int Drag(float h, float v, float zoom);
    void EndDrag();
    int ToggleFlip();
    void SetAspect(int width, int height);
    void ResetView();

    int Mode() const;
    bool DrawingEnabled() const;

    void LoadViewState(const ViewState& state);
    void SaveViewState(ViewState& state) const;
    // A copy of the parameters, taken under the locks.
    ViewNavigator Navigator() const;

private:
    std::mutex& CameraLock(int mode);

    mutable std::mutex lock_; // the model lock: mode, GL resources, drawing
    ViewNavigator nav_;
    CSphere sphere_;
    CPlainContainer panorama_;
    CRectScreen fullFrame_;
    CDivideScreenContainer split_;
    std::unique_ptr<CFrameProgram> program_;
    FrameTextures frame_;
    int builtWidth_ = 0; // frame size the full-frame screen was built for
    int builtHeight_ = 0;
    bool created_ = false;
};

} // namespace player
