#include "WindowDragger.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace kestrel {

namespace {

bool CompositorMovesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

bool WindowDragger::Press(QWidget* window, QPoint clientPos, QPoint globalPos) {
    if (!PressStartsDrag(clientPos.y(), band_)) {
        return false;
    }
    if (CompositorMovesWindows() && window->windowHandle() != nullptr &&
        window->windowHandle()->startSystemMove()) {
        dragging_ = false;
        return true;
    }
    dragging_ = true;
    pressGlobal_ = globalPos;
    windowAtPress_ = window->pos();
    return true;
}

void WindowDragger::Move(QWidget* window, QPoint globalPos, bool moveAllowed) {
    if (!dragging_ || !moveAllowed) {
        return;
    }
    window->move(windowAtPress_ + (globalPos - pressGlobal_));
}

} // namespace kestrel
