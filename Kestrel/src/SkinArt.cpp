#include "SkinArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace kestrel {

namespace {

enum class State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

QColor GlyphColor(State s) {
    switch (s) {
    case State::Normal:
        return QColor(225, 230, 238);
    case State::Hover:
        return QColor(255, 255, 255);
    case State::Pressed:
        return QColor(255, 255, 255);
    case State::Disabled:
        break;
    }
    return QColor(105, 110, 120);
}

void PaintButtonFace(QPainter& p, QRectF r, State s) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    switch (s) {
    case State::Normal:
        g.setColorAt(0, QColor(78, 84, 96));
        g.setColorAt(1, QColor(44, 48, 56));
        break;
    case State::Hover:
        g.setColorAt(0, QColor(96, 128, 176));
        g.setColorAt(1, QColor(52, 76, 118));
        break;
    case State::Pressed:
        g.setColorAt(0, QColor(24, 70, 170));
        g.setColorAt(1, QColor(40, 110, 230));
        break;
    case State::Disabled:
        g.setColorAt(0, QColor(58, 61, 68));
        g.setColorAt(1, QColor(46, 49, 55));
        break;
    }
    p.setPen(QPen(QColor(20, 22, 26), 1));
    p.setBrush(g);
    const qreal radius = std::min(r.width(), r.height()) / 6.0;
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

QPolygonF Triangle(QPointF a, QPointF b, QPointF c) {
    return QPolygonF({a, b, c});
}

// Draws the glyph of a bitmap role into the unit square [0, 1] x [0, 1]
// scaled to `r`.
void PaintGlyph(QPainter& p, int bitmap, QRectF r, QColor c) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width(), r.height());
    QPen pen(c, 0.08);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(c);
    auto fillTri = [&](QPointF a, QPointF b, QPointF d) {
        p.setPen(Qt::NoPen);
        p.drawPolygon(Triangle(a, b, d));
        p.setPen(pen);
    };
    auto bar = [&](qreal x, qreal y0, qreal y1, qreal w) {
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(x, y0, w, y1 - y0));
        p.setPen(pen);
    };
    auto text = [&](const QString& t, qreal size) {
        p.save();
        p.resetTransform();
        QFont f;
        f.setPixelSize(static_cast<int>(r.height() * size));
        f.setBold(true);
        p.setFont(f);
        p.setPen(c);
        p.drawText(r, Qt::AlignCenter, t);
        p.restore();
    };
    switch (bitmap) {
    case BmpPlay:
        fillTri({0.32, 0.22}, {0.32, 0.78}, {0.76, 0.5});
        break;
    case BmpPause:
        bar(0.3, 0.24, 0.76, 0.14);
        bar(0.56, 0.24, 0.76, 0.14);
        break;
    case BmpStart:
        bar(0.24, 0.26, 0.74, 0.09);
        fillTri({0.74, 0.26}, {0.74, 0.74}, {0.36, 0.5});
        break;
    case BmpPrevious:
        bar(0.18, 0.28, 0.72, 0.08);
        fillTri({0.52, 0.28}, {0.52, 0.72}, {0.27, 0.5});
        fillTri({0.8, 0.28}, {0.8, 0.72}, {0.55, 0.5});
        break;
    case BmpNext:
        fillTri({0.2, 0.28}, {0.2, 0.72}, {0.45, 0.5});
        fillTri({0.48, 0.28}, {0.48, 0.72}, {0.73, 0.5});
        bar(0.74, 0.28, 0.72, 0.08);
        break;
    case BmpFast:
        fillTri({0.2, 0.28}, {0.2, 0.72}, {0.5, 0.5});
        fillTri({0.5, 0.28}, {0.5, 0.72}, {0.8, 0.5});
        break;
    case BmpSlow:
        fillTri({0.22, 0.3}, {0.22, 0.7}, {0.5, 0.5});
        bar(0.58, 0.3, 0.7, 0.07);
        bar(0.7, 0.3, 0.7, 0.07);
        break;
    case BmpStill: {
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(0.2, 0.32, 0.6, 0.42), 0.06, 0.06);
        p.drawEllipse(QPointF(0.5, 0.53), 0.12, 0.12);
        bar(0.36, 0.25, 0.32, 0.14);
        break;
    }
    case BmpJoin:
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.16, 0.34, 0.26, 0.32));
        p.drawRect(QRectF(0.58, 0.34, 0.26, 0.32));
        p.drawLine(QPointF(0.42, 0.5), QPointF(0.58, 0.5));
        break;
    case BmpConvert:
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(0.5, 0.22), QPointF(0.5, 0.62));
        p.drawLine(QPointF(0.34, 0.38), QPointF(0.5, 0.22));
        p.drawLine(QPointF(0.66, 0.38), QPointF(0.5, 0.22));
        p.drawPolyline(QPolygonF({{0.22, 0.6}, {0.22, 0.78}, {0.78, 0.78}, {0.78, 0.6}}));
        break;
    case BmpEnlarge:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0.44, 0.44), 0.2, 0.2);
        p.drawLine(QPointF(0.58, 0.58), QPointF(0.8, 0.8));
        p.drawLine(QPointF(0.34, 0.44), QPointF(0.54, 0.44));
        p.drawLine(QPointF(0.44, 0.34), QPointF(0.44, 0.54));
        break;
    case BmpDisplayMode:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0.5, 0.5), 0.3, 0.3);
        p.drawEllipse(QPointF(0.5, 0.5), 0.12, 0.3);
        p.drawLine(QPointF(0.2, 0.5), QPointF(0.8, 0.5));
        break;
    case BmpFlip: {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.22, 0.22, 0.56, 0.56), 30 * 16, 240 * 16);
        fillTri({0.68, 0.16}, {0.82, 0.4}, {0.58, 0.4});
        break;
    }
    case BmpMirror:
        fillTri({0.44, 0.26}, {0.44, 0.74}, {0.18, 0.74});
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(Triangle({0.56, 0.26}, {0.56, 0.74}, {0.82, 0.74}));
        p.drawLine(QPointF(0.5, 0.16), QPointF(0.5, 0.84));
        break;
    case BmpMap: {
        QPainterPath pin;
        pin.moveTo(0.5, 0.84);
        pin.cubicTo(0.28, 0.56, 0.24, 0.46, 0.24, 0.4);
        pin.arcTo(QRectF(0.24, 0.14, 0.52, 0.52), 180, -180);
        pin.cubicTo(0.76, 0.46, 0.72, 0.56, 0.5, 0.84);
        p.setPen(Qt::NoPen);
        p.drawPath(pin);
        p.setBrush(QColor(44, 48, 56));
        p.drawEllipse(QPointF(0.5, 0.4), 0.1, 0.1);
        break;
    }
    case BmpBrowse: {
        QPainterPath folder;
        folder.moveTo(0.18, 0.3);
        folder.lineTo(0.4, 0.3);
        folder.lineTo(0.46, 0.36);
        folder.lineTo(0.82, 0.36);
        folder.lineTo(0.82, 0.74);
        folder.lineTo(0.18, 0.74);
        folder.closeSubpath();
        p.setPen(Qt::NoPen);
        p.drawPath(folder);
        break;
    }
    case BmpDelete:
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(0.24, 0.3), QPointF(0.76, 0.3));
        p.drawLine(QPointF(0.42, 0.22), QPointF(0.58, 0.22));
        p.drawPolyline(QPolygonF({{0.3, 0.34}, {0.34, 0.8}, {0.66, 0.8}, {0.7, 0.34}}));
        p.drawLine(QPointF(0.45, 0.42), QPointF(0.45, 0.7));
        p.drawLine(QPointF(0.55, 0.42), QPointF(0.55, 0.7));
        break;
    case BmpSettings: {
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 8; ++i) {
            const double a = i * std::numbers::pi / 4.0;
            p.drawLine(QPointF(0.5 + 0.2 * std::cos(a), 0.5 + 0.2 * std::sin(a)),
                       QPointF(0.5 + 0.31 * std::cos(a), 0.5 + 0.31 * std::sin(a)));
        }
        p.drawEllipse(QPointF(0.5, 0.5), 0.2, 0.2);
        p.drawEllipse(QPointF(0.5, 0.5), 0.07, 0.07);
        break;
    }
    case BmpCsv:
        text(QStringLiteral("CSV"), 0.32);
        break;
    case BmpCamera:
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(0.18, 0.34, 0.44, 0.34), 0.05, 0.05);
        fillTri({0.64, 0.51}, {0.82, 0.36}, {0.82, 0.66});
        p.drawLine(QPointF(0.26, 0.22), QPointF(0.54, 0.22));
        p.drawLine(QPointF(0.26, 0.8), QPointF(0.54, 0.8));
        break;
    case BmpCaptionClose:
        p.drawLine(QPointF(0.4, 0.3), QPointF(0.6, 0.7));
        p.drawLine(QPointF(0.6, 0.3), QPointF(0.4, 0.7));
        break;
    case BmpDialogClose:
        p.drawLine(QPointF(0.28, 0.26), QPointF(0.72, 0.74));
        p.drawLine(QPointF(0.72, 0.26), QPointF(0.28, 0.74));
        break;
    case BmpCaptionMinimise:
        p.drawLine(QPointF(0.3, 0.68), QPointF(0.7, 0.68));
        break;
    case BmpCaptionLayout:
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.28, 0.28, 0.44, 0.44));
        p.drawLine(QPointF(0.28, 0.4), QPointF(0.72, 0.4));
        break;
    case BmpPadUp:
        fillTri({0.5, 0.24}, {0.22, 0.7}, {0.78, 0.7});
        break;
    case BmpPadDown:
        fillTri({0.5, 0.76}, {0.22, 0.3}, {0.78, 0.3});
        break;
    case BmpPadLeft:
        fillTri({0.24, 0.5}, {0.7, 0.22}, {0.7, 0.78});
        break;
    case BmpPadRight:
        fillTri({0.76, 0.5}, {0.3, 0.22}, {0.3, 0.78});
        break;
    case BmpPadReset:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0.5, 0.5), 0.22, 0.22);
        p.setBrush(c);
        p.drawEllipse(QPointF(0.5, 0.5), 0.06, 0.06);
        break;
    default:
        break;
    }
    p.restore();
}

} // namespace

QPixmap SkinArt::ButtonStrip(int bitmap, QSize size) {
    QImage img(size.width() * 4, size.height(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool caption = bitmap == BmpCaptionClose || bitmap == BmpCaptionLayout ||
                         bitmap == BmpCaptionMinimise || bitmap == BmpDialogClose;
    for (int i = 0; i < 4; ++i) {
        const State s = static_cast<State>(i);
        const QRectF cell(size.width() * i, 0, size.width(), size.height());
        if (caption) {
            // Caption buttons sit on the dark caption bar: only hover and press show a face.
            if (s == State::Hover || s == State::Pressed) {
                const QColor face =
                    bitmap == BmpCaptionClose || bitmap == BmpDialogClose
                        ? (s == State::Hover ? QColor(200, 50, 50) : QColor(150, 30, 30))
                        : (s == State::Hover ? QColor(80, 88, 104) : QColor(40, 100, 210));
                p.fillRect(cell, face);
            }
        } else {
            PaintButtonFace(p, cell, s);
        }
        // Caption glyphs are drawn in a square so that wide buttons keep the glyph's shape.
        QRectF glyph = cell;
        if (caption && cell.width() > cell.height()) {
            glyph = QRectF(cell.center().x() - cell.height() / 2, cell.y(), cell.height(),
                           cell.height());
        }
        PaintGlyph(p, bitmap, glyph, GlyphColor(s));
    }
    return QPixmap::fromImage(img);
}

QPixmap SkinArt::CheckStrip() {
    QImage img(48, 12, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 4; ++i) {
        const QRectF box(12 * i + 0.5, 0.5, 11, 11);
        const bool hover = i == 1;
        const bool checked = i == 2;
        const bool disabled = i == 3;
        p.setPen(QPen(disabled ? QColor(160, 160, 160) : QColor(40, 70, 150), 1));
        p.setBrush(disabled ? QColor(230, 230, 230) : (hover ? QColor(220, 232, 255) : Qt::white));
        p.drawRect(box);
        if (checked) {
            p.setPen(QPen(QColor(0, 0, 255), 2));
            p.drawPolyline(QPolygonF(
                {QPointF(12 * i + 2.5, 6), QPointF(12 * i + 5, 9), QPointF(12 * i + 9.5, 2.5)}));
        }
    }
    return QPixmap::fromImage(img);
}

QSize SkinArt::SliderImageSize(int bitmap) {
    switch (bitmap) {
    case BmpSliderThumb:
    case BmpSliderThumbPressed:
        return QSize(12, 10);
    case BmpVolumeThumb:
    case BmpVolumeThumbPressed:
        return QSize(10, 20);
    case BmpVolumeFilled:
    case BmpVolumeEmpty:
        return QSize(100, 20);
    default:
        break;
    }
    return QSize(1106, 10);
}

QPixmap SkinArt::SliderImage(int bitmap, QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size.width(), size.height());
    switch (bitmap) {
    case BmpSliderFilled:
    case BmpVolumeFilled:
    case BmpSliderEmpty:
    case BmpVolumeEmpty: {
        const bool filled = bitmap == BmpSliderFilled || bitmap == BmpVolumeFilled;
        const qreal h = std::max<qreal>(4.0, size.height() * 0.4);
        const QRectF track(0, (size.height() - h) / 2, size.width(), h);
        QLinearGradient g(track.topLeft(), track.bottomLeft());
        if (filled) {
            g.setColorAt(0, QColor(90, 160, 255));
            g.setColorAt(1, QColor(20, 80, 200));
        } else {
            g.setColorAt(0, QColor(25, 27, 32));
            g.setColorAt(1, QColor(70, 74, 82));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(track, h / 2, h / 2);
        break;
    }
    case BmpSliderThumb:
    case BmpSliderThumbPressed:
    case BmpVolumeThumb:
    case BmpVolumeThumbPressed: {
        const bool pressed = bitmap == BmpSliderThumbPressed || bitmap == BmpVolumeThumbPressed;
        p.setPen(QPen(QColor(20, 22, 26), 1));
        p.setBrush(pressed ? QColor(120, 190, 255) : QColor(230, 234, 240));
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        break;
    }
    default:
        break;
    }
    return QPixmap::fromImage(img);
}

void SkinArt::PaintMainBackground(QPainter& p, QRect client) {
    p.fillRect(client, BackgroundColor());
    QLinearGradient caption(client.topLeft(), QPoint(client.left(), client.top() + 26));
    caption.setColorAt(0, QColor(44, 50, 62));
    caption.setColorAt(1, CaptionColor());
    p.fillRect(QRect(client.left(), client.top(), client.width(), 26), caption);
    p.setPen(QColor(70, 110, 190));
    p.drawLine(client.left(), client.top() + 25, client.right(), client.top() + 25);
    QLinearGradient bottom(QPoint(0, client.bottom() - 44), QPoint(0, client.bottom()));
    bottom.setColorAt(0, QColor(40, 44, 52));
    bottom.setColorAt(1, QColor(28, 31, 37));
    p.fillRect(QRect(client.left(), client.bottom() - 44, client.width(), 45), bottom);
    p.setPen(QColor(20, 22, 26));
    p.drawRect(client.adjusted(0, 0, -1, -1));
}

void SkinArt::PaintFrame(QPainter& p, QRect area) {
    p.setPen(QColor(24, 26, 30));
    p.drawRect(area.adjusted(-1, -1, 0, 0));
    p.setPen(QColor(84, 90, 102));
    p.drawLine(area.left() - 1, area.bottom() + 1, area.right() + 1, area.bottom() + 1);
    p.drawLine(area.right() + 1, area.top() - 1, area.right() + 1, area.bottom() + 1);
}

void SkinArt::PaintPadBackground(QPainter& p, QRect area) {
    QRadialGradient g(area.center(), std::max(area.width(), area.height()) * 0.6);
    g.setColorAt(0, QColor(70, 76, 88));
    g.setColorAt(1, QColor(36, 39, 46));
    p.fillRect(area, g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 98, 114), 1));
    p.setBrush(Qt::NoBrush);
    const int d = std::min(area.width(), area.height()) - 8;
    p.drawEllipse(QRect(area.center().x() - d / 2, area.center().y() - d / 2, d, d));
}

void SkinArt::PaintLogo(QPainter& p, QRect area) {
    QLinearGradient g(area.topLeft(), area.bottomLeft());
    g.setColorAt(0, QColor(30, 36, 48));
    g.setColorAt(1, QColor(14, 16, 22));
    p.fillRect(area, g);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(area.center().x() + 0.5, area.top() + area.height() * 0.42);
    const qreal radius = std::min(area.width(), area.height()) * 0.22;
    QConicalGradient ring(c, 90);
    ring.setColorAt(0, QColor(60, 140, 255));
    ring.setColorAt(0.5, QColor(120, 220, 255));
    ring.setColorAt(1, QColor(60, 140, 255));
    p.setPen(QPen(QBrush(ring), radius * 0.18));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(QColor(200, 225, 255), radius * 0.06));
    p.drawEllipse(c, radius * 0.45, radius * 0.45);
    p.drawLine(QPointF(c.x() - radius * 0.75, c.y()), QPointF(c.x() + radius * 0.75, c.y()));
    QFont f;
    f.setPixelSize(std::max(12, static_cast<int>(radius * 0.55)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(235, 240, 250));
    p.drawText(QRectF(area.left(), c.y() + radius * 1.3, area.width(), radius), Qt::AlignHCenter,
               QStringLiteral("BrivonaS"));
    f.setBold(false);
    f.setPixelSize(std::max(9, static_cast<int>(radius * 0.22)));
    p.setFont(f);
    p.setPen(QColor(140, 160, 190));
    p.drawText(QRectF(area.left(), c.y() + radius * 2.0, area.width(), radius), Qt::AlignHCenter,
               QStringLiteral("360° DRIVE RECORDER VIEWER"));
}

void SkinArt::PaintIdleBackground(QPainter& p, QRect area) {
    QRadialGradient g(area.center(), std::max(area.width(), area.height()) * 0.7);
    g.setColorAt(0, QColor(26, 30, 38));
    g.setColorAt(1, QColor(6, 7, 10));
    p.fillRect(area, g);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(area.width(), area.height()) * 0.3;
    p.setPen(QPen(QColor(40, 48, 62), std::max<qreal>(2.0, radius * 0.05)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(area.center()), radius, radius);
}

QCursor SkinArt::MagnifierCursor() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
        // A white outline under a black glyph keeps it visible on any picture.
        p.setPen(QPen(pass == 0 ? Qt::white : Qt::black, pass == 0 ? 5 : 2.5, Qt::SolidLine,
                      Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
        p.drawLine(QPointF(12, 8), QPointF(12, 16));
    }
    p.end();
    return QCursor(QPixmap::fromImage(img), 12, 12);
}

} // namespace kestrel
