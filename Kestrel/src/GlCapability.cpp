#include "GlCapability.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace kestrel {

bool ProjectionModelsCanRun() {
    // The headless platforms can make a context but cannot compose an OpenGL
    // widget into a window.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return false;
    }
    QSurfaceFormat format;
    if (QOpenGLContext::openGLModuleType() == QOpenGLContext::LibGLES) {
        format.setRenderableType(QSurfaceFormat::OpenGLES);
        format.setVersion(3, 0);
    } else {
        format.setRenderableType(QSurfaceFormat::OpenGL);
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
    }
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create()) {
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return false;
    }
    const QSurfaceFormat got = context.format();
    context.doneCurrent();
    if (got.renderableType() == QSurfaceFormat::OpenGLES) {
        return got.majorVersion() >= 3;
    }
    return got.majorVersion() > 3 || (got.majorVersion() == 3 && got.minorVersion() >= 3);
}

} // namespace kestrel
