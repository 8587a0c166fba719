#include "CSkinProgressBarCtrl.h"

#include <QPainter>
#include <cstdint>

namespace kestrel {

int ProgressFilledWidth(int width, int minimum, int maximum, int position) {
    const std::int64_t range = static_cast<std::int64_t>(maximum) - minimum;
    if (range < 1) {
        return 0;
    }
    return static_cast<int>(static_cast<std::int64_t>(width) * position / range);
}

QString ProgressText(int position) {
    return QStringLiteral("%1 %").arg(position);
}

CSkinProgressBarCtrl::CSkinProgressBarCtrl(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("progress bar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSkinProgressBarCtrl::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void CSkinProgressBarCtrl::SetPos(int position) {
    position_ = position;
    update();
}

void CSkinProgressBarCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int filled = ProgressFilledWidth(width(), minimum_, maximum_, position_);
    const QRect filledRect(0, 0, std::max(0, std::min(filled, width())), height());
    p.fillRect(rect(), Qt::white);
    p.fillRect(filledRect, QColor(0, 0, 255));
    const QRect textBox(width() / 2 - 50, 0, 100, height());
    const QString text = ProgressText(position_);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    p.setFont(font());
    // Two passes: white where the text lies over the blue part, blue elsewhere.
    p.save();
    p.setClipRect(filledRect);
    p.setPen(Qt::white);
    p.drawText(textBox, flags, text);
    p.restore();
    p.save();
    p.setClipRegion(QRegion(rect()).subtracted(QRegion(filledRect)));
    p.setPen(QColor(0, 0, 255));
    p.drawText(textBox, flags, text);
    p.restore();
}

} // namespace kestrel
