#include "player/D3DRawObj2.h"

#include "CFrameProgram.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>

namespace player {

namespace {

// Four corners for a triangle strip: top-left, top-right, bottom-left,
// bottom-right; the mirror swaps u left to right.
std::vector<GridVertex> Corners(float left, float top, float right, float bottom, int mirror) {
    const float u0 = mirror != 0 ? 1.0f : 0.0f;
    const float u1 = 1.0f - u0;
    return {
        {left, top, 1.0f, u0, 0.0f},
        {right, top, 1.0f, u1, 0.0f},
        {left, bottom, 1.0f, u0, 1.0f},
        {right, bottom, 1.0f, u1, 1.0f},
    };
}

} // namespace

bool D3DRawObj2::Create(int width, int height) {
    ReleaseResources();
    std::lock_guard guard(lock_);
    if (!EnsureProgram()) {
        return false;
    }
    vertices_ = Corners(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), mirror_);
    lastDest_ = PixelRect{0, 0, width, height};
    dirty_ = false;
    return buffer_.Create(vertices_);
}

bool D3DRawObj2::BuildGeometry(int width, int height) {
    std::lock_guard guard(lock_);
    vertices_ = Corners(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), mirror_);
    lastDest_ = PixelRect{0, 0, width, height};
    dirty_ = false;
    return !buffer_.IsCreated() || buffer_.Update(vertices_);
}

int D3DRawObj2::ToggleMirror() {
    std::lock_guard guard(lock_);
    mirror_ = mirror_ != 0 ? 0 : 1;
    dirty_ = true;
    return mirror_;
}

int D3DRawObj2::Mirror() const {
    std::lock_guard guard(lock_);
    return mirror_;
}

void D3DRawObj2::SetMirror(int mirror) {
    std::lock_guard guard(lock_);
    const int m = mirror != 0 ? 1 : 0;
    dirty_ = dirty_ || m != mirror_;
    mirror_ = m;
}

bool D3DRawObj2::Draw(const FrameTextures& frame, int viewWidth, int viewHeight,
                      const PixelRect& dest) {
    std::lock_guard guard(lock_);
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx == nullptr || !EnsureProgram()) {
        return false;
    }
    if (!buffer_.IsCreated()) {
        vertices_ = Corners(0, 0, 1, 1, mirror_);
        if (!buffer_.Create(vertices_)) {
            return false;
        }
        dirty_ = true;
    }
    if (dirty_ || !(dest == lastDest_) || frame.width != lastWidth_ ||
        frame.height != lastHeight_) {
        vertices_ =
            Corners(static_cast<float>(dest.left), static_cast<float>(dest.top),
                    static_cast<float>(dest.right), static_cast<float>(dest.bottom), mirror_);
        buffer_.Update(vertices_);
        lastDest_ = dest;
        lastWidth_ = frame.width;
        lastHeight_ = frame.height;
        dirty_ = false;
    }
    QOpenGLExtraFunctions* gl = ctx->extraFunctions();
    gl->glViewport(0, 0, viewWidth, viewHeight);
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    gl->glDisable(GL_CULL_FACE);
    gl->glDisable(GL_BLEND);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    bool ok = true;
    if (program_->Begin(frame)) {
        program_->SetMatrix(PixelToClip(viewWidth, viewHeight));
        ok = buffer_.Draw(GL_TRIANGLE_STRIP);
        program_->End();
    }
    return NoGlError() && ok;
}

} // namespace player
