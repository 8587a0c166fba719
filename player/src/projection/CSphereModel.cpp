#include "player/CSphereModel.h"

#include "CFrameProgram.h"
#include "player/DisplayMode.h"

#include <QOpenGLContext>

namespace player {

CSphereModel::CSphereModel() : program_(std::make_unique<CFrameProgram>()) {}

CSphereModel::~CSphereModel() = default;

bool CSphereModel::initializeGL() {
    std::lock_guard model(lock_);
    created_ = false;
    if (!CurrentContextSupportsProjection()) {
        return false;
    }
    bool ok = program_->Create();
    {
        std::lock_guard a(split_.lock);
        ok = ok && split_.Create();
    }
    {
        std::lock_guard a(sphere_.lock);
        ok = ok && sphere_.Create();
    }
    {
        std::lock_guard a(panorama_.lock);
        ok = ok && panorama_.Create();
    }
    {
        // Until a frame arrives the screen is square; a frame of another
        // shape rebuilds it.
        std::lock_guard a(fullFrame_.lock);
        const float width =
            frame_.Valid() ? static_cast<float>(frame_.width) / static_cast<float>(frame_.height)
                           : 1.0f;
        ok = ok && fullFrame_.Create(width);
        builtWidth_ = frame_.Valid() ? frame_.width : 0;
        builtHeight_ = frame_.Valid() ? frame_.height : 0;
    }
    if (!ok || !NoGlError()) {
        program_->Release();
        split_.Release();
        sphere_.Release();
        panorama_.Release();
        fullFrame_.Release();
        return false;
    }
    created_ = true;
    return true;
}

void CSphereModel::releaseGL() {
    std::lock_guard model(lock_);
    created_ = false;
    program_->Release();
    {
        std::lock_guard a(split_.lock);
        split_.Release();
    }
    {
        std::lock_guard a(sphere_.lock);
        sphere_.Release();
    }
    {
        std::lock_guard a(panorama_.lock);
        panorama_.Release();
    }
    {
        std::lock_guard a(fullFrame_.lock);
        fullFrame_.Release();
    }
    builtWidth_ = builtHeight_ = 0;
}

bool CSphereModel::IsCreated() const {
    std::lock_guard model(lock_);
    return created_;
}

void CSphereModel::setFrameTextures(const FrameTextures& frame) {
    std::lock_guard model(lock_);
    frame_ = frame;
    if (created_ && frame.Valid() && (frame.width != builtWidth_ || frame.height != builtHeight_)) {
        std::lock_guard a(fullFrame_.lock);
        if (fullFrame_.Create(static_cast<float>(frame.width) / static_cast<float>(frame.height))) {
            builtWidth_ = frame.width;
            builtHeight_ = frame.height;
        }
    }
}

std::mutex& CSphereModel::CameraLock(int mode) {
    switch (mode) {
    case ModeSplit:
        return split_.lock;
    case ModeSphere:
        return sphere_.lock;
    case ModePanorama:
        return panorama_.lock;
    default:
        return fullFrame_.lock;
    }
}

bool CSphereModel::draw(int viewWidth, int viewHeight) {
    std::lock_guard model(lock_);
    if (!nav_.DrawingEnabled()) {
        return false;
    }
    if (!created_ || QOpenGLContext::currentContext() == nullptr) {
        return true;
    }
    if (!program_->IsCreated()) {
        return false; // the resources belong to another context: initializeGL again
    }
    BeginScene(viewWidth, viewHeight);
    bool ok = true;
    if (program_->Begin(frame_)) {
        const int mode = nav_.ModelMode();
        std::lock_guard camera(CameraLock(mode));
        switch (mode) {
        case ModeSplit:
            program_->SetMatrix(nav_.SplitCamera().WorldViewProjection());
            for (const CDivideScreen& s : split_.strips) {
                ok = s.buffer.Draw() && ok;
            }
            break;
        case ModeFullFrame:
            program_->SetMatrix(nav_.FullFrameCamera().WorldViewProjection());
            ok = fullFrame_.buffer.Draw();
            break;
        case ModeSphere:
            program_->SetMatrix(nav_.SphereCamera().WorldViewProjection());
            ok = sphere_.mesh.Draw();
            break;
        case ModePanorama:
            program_->SetMatrix(nav_.PanoramaCamera().WorldViewProjection());
            for (const CPlain& p : panorama_.planes) {
                ok = p.buffer.Draw() && ok;
            }
            break;
        default:
            break;
        }
        program_->End();
    }
    EndScene();
    return NoGlError() && ok;
}

void CSphereModel::setMode(int mode) {
    std::lock_guard model(lock_);
    nav_.SetMode(mode);
}

int CSphereModel::Drag(float h, float v, float zoom) {
    std::lock_guard model(lock_);
    if (!created_) {
        return 1;
    }
    std::lock_guard camera(CameraLock(nav_.ModelMode()));
    return nav_.Drag(h, v, zoom);
}

void CSphereModel::EndDrag() {
    std::lock_guard model(lock_);
    if (!created_) {
        return;
    }
    std::lock_guard camera(CameraLock(nav_.ModelMode()));
    nav_.EndDrag();
}

int CSphereModel::ToggleFlip() {
    std::lock_guard model(lock_);
    if (!created_) {
        return 0;
    }
    std::scoped_lock cameras(sphere_.lock, panorama_.lock, fullFrame_.lock, split_.lock);
    return nav_.ToggleFlip();
}

void CSphereModel::SetAspect(int width, int height) {
    std::lock_guard model(lock_);
    nav_.SetAspect(width, height);
}

void CSphereModel::ResetView() {
    std::lock_guard model(lock_);
    if (!created_) {
        return;
    }
    std::lock_guard camera(CameraLock(nav_.ModelMode()));
    nav_.ResetView();
}

int CSphereModel::Mode() const {
    std::lock_guard model(lock_);
    return nav_.ModelMode();
}

bool CSphereModel::DrawingEnabled() const {
    std::lock_guard model(lock_);
    return nav_.DrawingEnabled();
}

void CSphereModel::LoadViewState(const ViewState& state) {
    std::lock_guard model(lock_);
    nav_.Load(state);
}

void CSphereModel::SaveViewState(ViewState& state) const {
    std::lock_guard model(lock_);
    nav_.Save(state);
}

ViewNavigator CSphereModel::Navigator() const {
    std::lock_guard model(lock_);
    return nav_;
}

} // namespace player
