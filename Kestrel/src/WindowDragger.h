// Moving a frameless window by a press in its caption band. Where the platform
// moves windows itself (Wayland gives clients no global positions), the press
// hands the move to the compositor; elsewhere every mouse move while the
// button is down moves the window by the offset from the press point.
#pragma once

#include <QPoint>

class QWidget;

namespace kestrel {

// Whether a press at client height y starts a drag of a caption `band` pixels high.
constexpr bool PressStartsDrag(int y, int band) {
    return y >= 0 && y < band;
}

class WindowDragger {
public:
    explicit WindowDragger(int band) : band_(band) {}

    // A left press at a client point; true when a drag began.
    bool Press(QWidget* window, QPoint clientPos, QPoint globalPos);
    // A mouse move while the button is down; the window moves while allowed.
    void Move(QWidget* window, QPoint globalPos, bool moveAllowed);
    void Release() { dragging_ = false; }

    bool dragging() const { return dragging_; }
    int band() const { return band_; }

private:
    int band_;
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint windowAtPress_;
};

} // namespace kestrel
