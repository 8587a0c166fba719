// A QApplication for the viewer's tests. Without a display (and without an
// explicit platform) the tests run on the offscreen platform; under a display
// server (xvfb in scripts/test) they use it, OpenGL video windows included.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdlib>

namespace kestreltest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "kestrel_test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// BRIVONA_BUILD_DIR/artifacts/kestrel/<name>.png, for a person to look at.
inline QString SaveArtifact(const QImage& image, const QString& name) {
    const QString dir = QStringLiteral(BRIVONA_BUILD_DIR) + QStringLiteral("/artifacts/kestrel");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    image.save(path);
    return path;
}

} // namespace kestreltest
