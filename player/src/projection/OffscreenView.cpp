#include "player/OffscreenView.h"

#include "CFrameProgram.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

namespace player {

OffscreenView::OffscreenView() = default;

OffscreenView::~OffscreenView() {
    if (context_ != nullptr && surface_ != nullptr && context_->makeCurrent(surface_.get())) {
        fbo_.reset();
        context_->doneCurrent();
    }
}

bool OffscreenView::Create(int width, int height, std::string* error) {
    auto fail = [&](const char* why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        return fail("view size out of range");
    }
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(format);
    if (!context_->create()) {
        // Fall back to OpenGL ES 3 where desktop OpenGL 3.3 is missing.
        format.setRenderableType(QSurfaceFormat::OpenGLES);
        format.setVersion(3, 0);
        format.setProfile(QSurfaceFormat::NoProfile);
        context_->setFormat(format);
        if (!context_->create()) {
            return fail("cannot create an OpenGL 3.3 or OpenGL ES 3 context");
        }
    }
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(context_->format());
    surface_->create();
    if (!surface_->isValid() || !context_->makeCurrent(surface_.get())) {
        return fail("cannot make the OpenGL context current on an offscreen surface");
    }
    if (!CurrentContextSupportsProjection()) {
        return fail("the OpenGL context is older than 3.3 / ES 3.0");
    }
    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    fboFormat.setInternalTextureFormat(0x8058 /* GL_RGBA8 */);
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height, fboFormat);
    if (!fbo_->isValid() || !fbo_->bind()) {
        return fail("cannot create the framebuffer");
    }
    width_ = width;
    height_ = height;
    return true;
}

bool OffscreenView::MakeCurrent() {
    return context_ != nullptr && context_->makeCurrent(surface_.get()) && fbo_->bind();
}

void OffscreenView::Finish() {
    if (context_ != nullptr) {
        context_->functions()->glFinish();
    }
}

void OffscreenView::Clear() {
    if (context_ != nullptr) {
        QOpenGLFunctions* gl = context_->functions();
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
}

QImage OffscreenView::Grab() {
    if (fbo_ == nullptr) {
        return {};
    }
    Finish();
    QImage image = fbo_->toImage(true);
    fbo_->bind();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace player
