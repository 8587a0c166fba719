#include "player/CVideoWindow.h"

#include "player/D3DPresentEngine.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>

namespace player {

CVideoWindow::CVideoWindow(QWidget* parent) : QOpenGLWidget(parent) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapInterval(0);
    setFormat(format);
    setMinimumSize(16, 16);
}

CVideoWindow::~CVideoWindow() {
    // Sessions should be closed before their window goes; if one is not,
    // its engine stops sending work here.
    if (engine_ != nullptr) {
        D3DPresentEngine* engine = engine_;
        DetachEngine(engine);
        engine->DetachWindow();
    }
}

void CVideoWindow::AttachEngine(D3DPresentEngine* engine) {
    if (engine_ == engine) {
        return;
    }
    if (engine_ != nullptr) {
        DetachEngine(engine_);
    }
    engine_ = engine;
    if (glReady_ && engine_ != nullptr) {
        makeCurrent();
        engine_->InitializeGL();
        doneCurrent();
    }
    update();
}

void CVideoWindow::DetachEngine(D3DPresentEngine* engine) {
    if (engine_ != engine || engine == nullptr) {
        return;
    }
    ReleaseEngineGL();
    engine_ = nullptr;
    update();
}

void CVideoWindow::ReleaseEngineGL() {
    if (glReady_ && engine_ != nullptr && context() != nullptr) {
        makeCurrent();
        engine_->ReleaseGL();
        doneCurrent();
    }
}

void CVideoWindow::EngineFrameReady() {
    if (engine_ == nullptr) {
        return;
    }
    if (isVisible() && glReady_) {
        // Drawn at once: a posted update would be paced by the screen's
        // refresh and hold the next picture back.
        repaint();
    } else {
        // Not on screen: nothing will paint, so hand the samples back now
        // instead of stalling the pipeline.
        engine_->ReleaseSkipped();
        if (!engine_->HasPending()) {
            return;
        }
        if (glReady_) {
            makeCurrent();
            engine_->PaintGL(width(), height(), devicePixelRatio());
            doneCurrent();
        } else {
            engine_->DropPending();
        }
    }
}

void CVideoWindow::EngineRelease() {
    if (engine_ != nullptr) {
        engine_->ReleaseSkipped();
    }
}

void CVideoWindow::initializeGL() {
    glReady_ = true;
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        ReleaseEngineGL();
        glReady_ = false;
    });
    if (engine_ != nullptr) {
        engine_->InitializeGL();
    }
}

void CVideoWindow::paintGL() {
    if (engine_ != nullptr) {
        engine_->PaintGL(width(), height(), devicePixelRatio());
        return;
    }
    QOpenGLFunctions* f = context()->functions();
    f->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    f->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool CVideoWindow::event(QEvent* e) {
    const int type = static_cast<int>(e->type());
    if (PlayerEvent::IsPlayerMessage(type)) {
        OnPlayerMessage(*static_cast<PlayerEvent*>(e));
        return true;
    }
    return QOpenGLWidget::event(e);
}

void CVideoWindow::OnPlayerMessage(const PlayerEvent& /*message*/) {}

} // namespace player
