#include "CSkinCheckButton.h"

#include "SkinArt.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CSkinCheckButton::CSkinCheckButton(QWidget* parent, int commandId, QSize size,
                                   const QString& caption)
    : CSkinButton(parent, commandId, size, BmpCheck), checkStrip_(SkinArt::CheckStrip()) {
    setText(caption);
    setMouseTracking(true);
}

void CSkinCheckButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The hover picture only shows while the pointer is over the box itself.
    const int index = SkinButtonImageIndex(false, isEnabled(), false, boxHover_, held());
    p.drawPixmap(kBox, checkStrip_, QRect(12 * index, 0, 12, 12));
    p.setFont(font());
    p.setPen(isEnabled() ? QColor(0, 0, 0) : QColor(127, 127, 127));
    p.drawText(rect().adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               text());
}

void CSkinCheckButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inBox = kBox.contains(event->position().toPoint());
    if (inBox != boxHover_ || inBox) {
        boxHover_ = inBox;
        update();
    }
    CSkinButton::mouseMoveEvent(event);
}

void CSkinCheckButton::leaveEvent(QEvent* event) {
    boxHover_ = false;
    update();
    CSkinButton::leaveEvent(event);
}

} // namespace kestrel
