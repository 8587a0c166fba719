#include "CSkinSliderCtrl.h"

#include "AppMessage.h"
#include "SkinArt.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace kestrel {

int SliderPositionFromX(int x, int width, int minimum, int maximum, int current) {
    const std::int64_t steps = static_cast<std::int64_t>(maximum) - minimum + 1;
    if (steps <= 0) {
        return current;
    }
    const std::int64_t step = width / steps;
    if (step <= 0) {
        return current;
    }
    const std::int64_t position = x / step;
    return static_cast<int>(std::clamp<std::int64_t>(position, minimum, maximum));
}

int SliderThumbX(int position, int width, int thumbWidth, int minimum, int maximum) {
    const std::int64_t steps = static_cast<std::int64_t>(maximum) - minimum + 1;
    if (steps <= 0) {
        return 0;
    }
    return static_cast<int>(static_cast<std::int64_t>(position) * (width - thumbWidth) / steps);
}

CSkinSliderCtrl::CSkinSliderCtrl(QWidget* parent, int commandId)
    : QWidget(parent), commandId_(commandId) {
    setWindowTitle(QStringLiteral("movie slider"));
    setCursor(Qt::ArrowCursor);
    if (parent != nullptr) {
        resize(parent->width(), 10);
    }
}

void CSkinSliderCtrl::SetImages(int filledTrack, int emptyTrack, int thumb, int pressedThumb) {
    filled_ = SkinArt::SliderImage(filledTrack, SkinArt::SliderImageSize(filledTrack));
    empty_ = SkinArt::SliderImage(emptyTrack, SkinArt::SliderImageSize(emptyTrack));
    thumb_ = SkinArt::SliderImage(thumb, SkinArt::SliderImageSize(thumb));
    thumbPressed_ = SkinArt::SliderImage(pressedThumb, SkinArt::SliderImageSize(pressedThumb));
    update();
}

void CSkinSliderCtrl::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void CSkinSliderCtrl::SetPos(int position) {
    position_ = position;
    repaint();
}

void CSkinSliderCtrl::SetSliderEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

QRect CSkinSliderCtrl::ThumbRect() const {
    const int thumbWidth = thumb_.isNull() ? 10 : thumb_.width();
    return QRect(SliderThumbX(position_, width(), thumbWidth, minimum_, maximum_), 0,
                 thumbWidth + 2, height());
}

void CSkinSliderCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), SkinArt::BackgroundColor());
    const double steps = static_cast<double>(maximum_) - minimum_ + 1;
    const double e = steps > 0 ? std::clamp(position_ / steps, 0.0, 1.0) : 0.0;
    const int split = static_cast<int>(width() * e);
    if (!filled_.isNull()) {
        const int srcWidth = static_cast<int>(filled_.width() * e);
        p.drawPixmap(QRect(0, 0, split, height()), filled_,
                     QRect(0, 0, srcWidth, filled_.height()));
    }
    if (!empty_.isNull()) {
        const int srcLeft = static_cast<int>(empty_.width() * e);
        p.drawPixmap(QRect(split + 1, 0, width() - split - 1, height()), empty_,
                     QRect(srcLeft, 0, empty_.width() - srcLeft, empty_.height()));
    }
    const QPixmap& thumb = pressed_ ? thumbPressed_ : thumb_;
    if (!thumb.isNull()) {
        p.drawPixmap(ThumbRect(), thumb);
    }
}

void CSkinSliderCtrl::SetPosFromX(int x) {
    position_ = SliderPositionFromX(x, width(), minimum_, maximum_, position_);
    repaint();
}

void CSkinSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (enabled_ && SliderAcceptsX(at.x(), width())) {
        offThumb_ = !ThumbRect().contains(QPoint(at.x(), ThumbRect().center().y()));
        SetPosFromX(at.x());
        pressed_ = true;
        PostAppMessage(parentWidget(), UM_SLIDER_PRESS, commandId_, position_);
    }
}

void CSkinSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    if (!enabled_) {
        pressed_ = false;
        update();
        return;
    }
    const int x = event->position().toPoint().x();
    if (SliderAcceptsX(x, width())) {
        SetPosFromX(x);
        PostAppMessage(parentWidget(), UM_SLIDER_MOVE, commandId_, position_);
    }
}

void CSkinSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (pressed_) {
        pressed_ = false;
        update();
        PostAppMessage(parentWidget(), UM_SLIDER_RELEASE, commandId_, position_);
    }
}

} // namespace kestrel
