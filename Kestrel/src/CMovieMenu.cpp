#include "CMovieMenu.h"

#include "UiResources.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace kestrel {

CMovieMenu::CMovieMenu(QWidget* owner, const UiResources& ui, std::vector<MovieMenuItem> items,
                       bool wide)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), ui_(ui), items_(std::move(items)),
      wide_(wide) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    int height = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        height += items_[i].separator() ? kSeparatorHeight : kItemHeight;
    }
    setFixedSize(itemWidth() + 2, height + 2);
}

QRect CMovieMenu::ItemRect(int index) const {
    int y = 1;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const int h = items_[static_cast<size_t>(i)].separator() ? kSeparatorHeight : kItemHeight;
        if (i == index) {
            return QRect(1, y, itemWidth(), h);
        }
        y += h;
    }
    return {};
}

int CMovieMenu::ItemAt(QPoint p) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (ItemRect(i).contains(p) && !items_[static_cast<size_t>(i)].separator()) {
            return i;
        }
    }
    return -1;
}

void CMovieMenu::SetSelected(int index) {
    if (index != selected_) {
        selected_ = index;
        update();
    }
}

void CMovieMenu::Popup(QPoint globalPos) {
    QPoint at = globalPos;
    if (QScreen* screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::min(at.x(), area.right() - width()));
        at.setY(std::min(at.y(), area.bottom() - height()));
    }
    move(at);
    show();
}

void CMovieMenu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor menuColour = palette().color(QPalette::Window);
    p.fillRect(rect(), menuColour);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(ui_.Font(10));
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const MovieMenuItem& item = items_[static_cast<size_t>(i)];
        const QRect r = ItemRect(i);
        if (item.separator()) {
            p.setPen(QColor(160, 160, 160));
            p.drawLine(r.left() + 2, r.center().y(), r.right() - 2, r.center().y());
            continue;
        }
        const bool selected = i == selected_;
        if (selected) {
            p.fillRect(r, item.enabled ? QColor(0, 0, 255) : QColor(195, 195, 255));
        }
        QColor text = palette().color(QPalette::WindowText);
        if (!item.enabled) {
            text = QColor(127, 127, 127);
        } else if (selected) {
            text = Qt::white;
        }
        if (item.checked) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, 2));
            const QPointF c(r.left() + 9, r.center().y() + 0.5);
            p.drawPolyline(QPolygonF({c + QPointF(-5, 0), c + QPointF(-2, 4), c + QPointF(5, -5)}));
            p.restore();
        }
        p.setPen(text);
        p.drawText(r.adjusted(20, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   ui_.Text(item.textId));
    }
}

void CMovieMenu::mouseMoveEvent(QMouseEvent* event) {
    SetSelected(ItemAt(event->position().toPoint()));
}

void CMovieMenu::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!rect().contains(at)) {
        close();
        return;
    }
    Choose(ItemAt(at));
}

void CMovieMenu::Choose(int index) {
    if (index < 0 || !items_[static_cast<size_t>(index)].enabled) {
        return;
    }
    const int command = items_[static_cast<size_t>(index)].command;
    close();
    emit commandChosen(command);
}

void CMovieMenu::Step(int direction) {
    const int n = static_cast<int>(items_.size());
    if (n == 0) {
        return;
    }
    int i = selected_;
    for (int k = 0; k < n; ++k) {
        i = (i + direction + n) % n;
        if (!items_[static_cast<size_t>(i)].separator()) {
            SetSelected(i);
            return;
        }
    }
}

void CMovieMenu::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_Down:
        Step(1);
        break;
    case Qt::Key_Up:
        Step(-1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(selected_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kestrel
