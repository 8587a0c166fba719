#include "CSkinButton.h"

#include "AppMessage.h"
#include "SkinArt.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

int SkinButtonImageIndex(bool grayed, bool enabled, bool down, bool hover, bool held) {
    if (grayed) {
        return 1;
    }
    if (!enabled) {
        return 3;
    }
    if (down || held) {
        return 2;
    }
    return hover ? 1 : 0;
}

CSkinButton::CSkinButton(QWidget* parent, int commandId, QSize size, int bitmap)
    : QAbstractButton(parent), commandId_(commandId), imageSize_(size) {
    setFixedSize(size);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    SetImages(bitmap);
}

void CSkinButton::SetImages(int bitmap) {
    loading_ = true;
    bitmap_ = bitmap;
    strip_ = SkinArt::ButtonStrip(bitmap, imageSize_);
    loading_ = false;
    update();
}

void CSkinButton::SetHoldNotify(bool enabled, int value) {
    holdNotify_ = enabled;
    holdValue_ = value;
}

void CSkinButton::SetHeld(bool held) {
    held_ = held;
    update();
}

void CSkinButton::SetTexts(const QString& tip, const QString& caption1, const QString& caption2) {
    texts_[0] = tip;
    texts_[1] = caption1;
    texts_[2] = caption2;
    setToolTip(tip);
}

int CSkinButton::CurrentImageIndex() const {
    return SkinButtonImageIndex(false, isEnabled(), isDown() || isChecked(), hover_, held_);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    if (loading_ || strip_.isNull()) {
        return;
    }
    QPainter p(this);
    const int index = CurrentImageIndex();
    p.drawPixmap(QRect(QPoint(0, 0), imageSize_), strip_,
                 QRect(QPoint(imageSize_.width() * index, 0), imageSize_));
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        held_ = true;
        if (holdNotify_ && !pressSent_) {
            pressSent_ = true;
            PostAppMessage(parentWidget(), UM_PAD_PRESS, 0, holdValue_);
        }
    }
    QAbstractButton::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        held_ = false;
        if (holdNotify_ && pressSent_) {
            pressSent_ = false;
            PostAppMessage(parentWidget(), UM_PAD_RELEASE, 0, holdValue_);
        }
    }
    QAbstractButton::mouseReleaseEvent(event);
}

} // namespace kestrel
