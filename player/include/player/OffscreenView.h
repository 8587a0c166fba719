// An offscreen OpenGL view for drawing without a window (the render command,
// drawing tests, benchmarks): an OpenGL 3.3 core (or GLES 3) context on an
// offscreen surface with a framebuffer of the view's size that has colour,
// depth and stencil. Needs a QGuiApplication and a display.
#pragma once

#include <QImage>

#include <memory>
#include <string>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace player {

class OffscreenView {
public:
    OffscreenView();
    ~OffscreenView();
    OffscreenView(const OffscreenView&) = delete;
    OffscreenView& operator=(const OffscreenView&) = delete;

    // Creates the context and a width x height framebuffer, leaves both
    // current and bound. False with a reason in *error.
    bool Create(int width, int height, std::string* error);
    // Makes the context current and binds the framebuffer.
    bool MakeCurrent();
    // Waits for the drawing and reads the framebuffer, top row first.
    QImage Grab();
    void Finish();
    // Fills the framebuffer with opaque black.
    void Clear();
    int Width() const { return width_; }
    int Height() const { return height_; }
    QOpenGLContext* Context() const { return context_.get(); }

private:
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace player
