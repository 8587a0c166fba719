#include "player/ProjectionScene.h"

#include "player/DisplayMode.h"

namespace player {

bool ProjectionScene::initializeGL() {
    return model_.initializeGL();
}

void ProjectionScene::releaseGL() {
    model_.releaseGL();
    flat_.ReleaseResources();
}

void ProjectionScene::setFrameTextures(const FrameTextures& frame) {
    {
        std::lock_guard guard(frameLock_);
        frame_ = frame;
    }
    model_.setFrameTextures(frame);
}

bool ProjectionScene::draw(int viewWidth, int viewHeight, const PixelRect& dest) {
    const int mode = mode_.load();
    if (mode == ModeFlat) {
        FrameTextures frame;
        {
            std::lock_guard guard(frameLock_);
            frame = frame_;
        }
        const PixelRect whole{0, 0, viewWidth, viewHeight};
        const bool empty = dest.right <= dest.left || dest.bottom <= dest.top;
        return flat_.Draw(frame, viewWidth, viewHeight, empty ? whole : dest);
    }
    if (IsModelMode(mode)) {
        return model_.draw(viewWidth, viewHeight);
    }
    return true; // no mode: nothing is drawn
}

int ProjectionScene::Drag(float h, float v, float zoom) {
    if (mode_.load() == ModeFlat) {
        return 1;
    }
    return model_.Drag(h, v, zoom);
}

void ProjectionScene::EndDrag() {
    if (mode_.load() != ModeFlat) {
        model_.EndDrag();
    }
}

int ProjectionScene::ToggleFlip() {
    if (mode_.load() == ModeFlat) {
        return flat_.ToggleMirror();
    }
    return model_.ToggleFlip();
}

void ProjectionScene::SetDisplayMode(int mode) {
    mode_.store(mode);
    if (mode != ModeFlat) {
        model_.setMode(mode);
    }
}

void ProjectionScene::SetAspect(int width, int height) {
    if (mode_.load() != ModeFlat) {
        model_.SetAspect(width, height);
    }
}

void ProjectionScene::ResetView() {
    if (mode_.load() != ModeFlat) {
        model_.ResetView();
    }
}

void ProjectionScene::LoadViewState(const ViewState& state) {
    model_.LoadViewState(state);
    flat_.SetMirror(state.flatMirror);
}

void ProjectionScene::SaveViewState(ViewState& state) const {
    model_.SaveViewState(state);
    state.flatMirror = flat_.Mirror();
    if (mode_.load() == ModeFlat) {
        state.modelMode = ModeFlat;
    }
}

} // namespace player
