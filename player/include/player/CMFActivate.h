// Creates the presenter of a session's video branch on first activation and
// hands it what it needs from the owner: the stream's frame size and the
// owning context's view state (copied into the projection scene). Close reads
// the view state back through it.
#pragma once

#include "player/ViewState.h"

#include <QPointer>

#include <memory>
#include <mutex>

namespace player {

class CVideoWindow;
class D3DPresentEngine;
class EVRCustomPresenter;

class CMFActivate {
public:
    CMFActivate(CVideoWindow* window, int frameWidth, int frameHeight, ViewState* viewState);
    ~CMFActivate();
    CMFActivate(const CMFActivate&) = delete;
    CMFActivate& operator=(const CMFActivate&) = delete;

    // Creates the presenter and its present engine (once), and copies the
    // owner's view state into the engine's scene. UI thread (the engine is
    // attached to the window).
    EVRCustomPresenter* ActivateObject();
    // Detaches and frees the presenter and the engine.
    void ShutdownObject();
    void DetachObject() { ShutdownObject(); }

    EVRCustomPresenter* Presenter() const { return presenter_.get(); }
    D3DPresentEngine* Engine() const { return engine_.get(); }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    // Copies the scene's view parameters back into `state`.
    void SaveViewState(ViewState& state) const;

private:
    std::mutex lock_;
    QPointer<CVideoWindow> window_; // null once the window is gone
    int frameWidth_;
    int frameHeight_;
    ViewState* viewState_;
    std::unique_ptr<D3DPresentEngine> engine_;
    std::unique_ptr<EVRCustomPresenter> presenter_;
};

} // namespace player
