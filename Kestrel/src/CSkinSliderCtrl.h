// A horizontal slider drawn from four images (filled track, empty track,
// thumb, pressed thumb) that reports to its parent: UM_SLIDER_PRESS on a
// press, UM_SLIDER_MOVE while dragged and UM_SLIDER_RELEASE on the release,
// each with wParam = its command id and lParam = the position. Presses up to
// 10 pixels beside either end still count.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace kestrel {

// Position from x: step = width / (maximum - minimum + 1); when the step is
// positive, x / step clamped to minimum..maximum; else the current position.
int SliderPositionFromX(int x, int width, int minimum, int maximum, int current);
// Whether a press or drag at x counts (-10 < x < width + 10).
constexpr bool SliderAcceptsX(int x, int width) {
    return x > -10 && x < width + 10;
}
// The thumb's left edge for a position.
int SliderThumbX(int position, int width, int thumbWidth, int minimum, int maximum);

class CSkinSliderCtrl : public QWidget {
    Q_OBJECT
public:
    CSkinSliderCtrl(QWidget* parent, int commandId);

    int commandId() const { return commandId_; }
    void SetImages(int filledTrack, int emptyTrack, int thumb, int pressedThumb);
    void SetRange(int minimum, int maximum);
    void SetPos(int position);
    int pos() const { return position_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // The press lay off the thumb (on the track).
    bool pressOffThumb() const { return offThumb_; }
    bool pressed() const { return pressed_; }
    // Unlike a disabled window, a disabled slider still takes the mouse: a
    // move while pressed ends the press.
    void SetSliderEnabled(bool enabled);
    bool sliderEnabled() const { return enabled_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void SetPosFromX(int x);
    QRect ThumbRect() const;

    int commandId_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    QPixmap filled_;
    QPixmap empty_;
    QPixmap thumb_;
    QPixmap thumbPressed_;
    bool pressed_ = false;
    bool offThumb_ = false;
    bool enabled_ = true;
};

} // namespace kestrel
