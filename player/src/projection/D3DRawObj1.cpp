#include "player/D3DRawObj1.h"

#include "CFrameProgram.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>

namespace player {

bool D3DRawObj1::BuildGeometry(int width, int height) {
    std::lock_guard guard(lock_);
    buffer_.Release();
    if (width <= 0 || height <= 0 || !EnsureProgram()) {
        return false;
    }
    width_ = width;
    height_ = height;
    // (961 x 481) vertices, indexed into 960 x 480 cells.
    vertices_.clear();
    vertices_.reserve(static_cast<size_t>((kUnwrapColumns + 1) * (kUnwrapRows + 1)));
    for (int j = 0; j <= kUnwrapRows; ++j) {
        for (int k = 0; k <= kUnwrapColumns; ++k) {
            const TexCoord t = UnwrapTexCoord(k, j);
            vertices_.push_back(GridVertex{
                static_cast<float>(k) * static_cast<float>(width) / kUnwrapColumns,
                static_cast<float>(j) * static_cast<float>(height) / kUnwrapRows, 1.0f, t.u, t.v});
        }
    }
    std::vector<uint32_t> indices;
    indices.reserve(static_cast<size_t>(kUnwrapColumns * kUnwrapRows * 6));
    const auto ring = static_cast<uint32_t>(kUnwrapColumns + 1);
    for (uint32_t j = 0; j < static_cast<uint32_t>(kUnwrapRows); ++j) {
        for (uint32_t k = 0; k < static_cast<uint32_t>(kUnwrapColumns); ++k) {
            const uint32_t a = j * ring + k;
            indices.insert(indices.end(), {a, a + 1, a + ring, a + ring, a + 1, a + ring + 1});
        }
    }
    return buffer_.Create(vertices_, &indices);
}

bool D3DRawObj1::Draw(const FrameTextures& frame) {
    std::lock_guard guard(lock_);
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx == nullptr || !buffer_.IsCreated()) {
        return false;
    }
    QOpenGLExtraFunctions* gl = ctx->extraFunctions();
    gl->glViewport(0, 0, width_, height_);
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    gl->glDisable(GL_CULL_FACE);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    bool ok = false;
    if (program_->Begin(frame)) {
        program_->SetMatrix(PixelToClip(width_, height_));
        ok = buffer_.Draw();
        program_->End();
    }
    return NoGlError() && ok;
}

} // namespace player
