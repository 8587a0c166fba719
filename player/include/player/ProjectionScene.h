// What a present engine draws for one player context: the 3D models of the
// main camera (modes 1..4) and the flat view of the rear camera (mode 5),
// chosen by the engine's display mode, with the six view operations as the
// context forwards them. GL calls need the context of initializeGL current;
// the view operations may come from any thread.
#pragma once

#include "player/CSphereModel.h"
#include "player/D3DRawObj2.h"

#include <atomic>

namespace player {

class ProjectionScene {
public:
    bool initializeGL();
    void releaseGL();

    void setFrameTextures(const FrameTextures& frame);
    // Mode 5: the frame into dest (the whole view when dest is empty);
    // modes 1..4: the models; other modes: nothing (true).
    bool draw(int viewWidth, int viewHeight, const PixelRect& dest = {});

    // The view operations: Drag (mode 5: 1, no change), EndDrag, ToggleFlip
    // (mode 5: the new mirror flag), SetDisplayMode, SetAspect (not in mode 5),
    // ResetView (not in mode 5).
    int Drag(float h, float v, float zoom);
    void EndDrag();
    int ToggleFlip();
    void SetDisplayMode(int mode);
    void SetAspect(int width, int height);
    void ResetView();
    int DisplayMode() const { return mode_.load(); }

    // The record of the context: 3D parameters, the mirror flag, and the
    // model mode (5 while the flat view is shown).
    void LoadViewState(const ViewState& state);
    void SaveViewState(ViewState& state) const;

    CSphereModel& Model() { return model_; }
    D3DRawObj2& Flat() { return flat_; }

private:
    std::atomic<int> mode_{0};
    CSphereModel model_;
    D3DRawObj2 flat_;
    FrameTextures frame_;
    std::mutex frameLock_;
};

} // namespace player
