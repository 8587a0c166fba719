#include "CSkinDialog.h"

#include "CSkinButton.h"
#include "SkinArt.h"
#include "UiResources.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace kestrel {

CSkinDialog::CSkinDialog(QWidget* parent, const UiResources& ui)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui_(ui) {
    setFont(ui.Font(10));
}

CSkinButton* CSkinDialog::CreateCloseButton(int commandId) {
    closeCommand_ = commandId;
    closeButton_ = new CSkinButton(this, commandId, QSize(13, 12), BmpDialogClose);
    closeButton_->move(width() - 20, 4);
    RouteCommand(closeButton_);
    closeButton_->show();
    return closeButton_;
}

void CSkinDialog::RouteCommand(CSkinButton* button) {
    connect(button, &QAbstractButton::clicked, this,
            [this, button] { OnCommand(button->commandId()); });
}

void CSkinDialog::CentreOver(QWidget* over) {
    QRect area;
    if (over != nullptr && over->isVisible()) {
        area = over->frameGeometry();
    } else {
        QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        area = screen->geometry();
    }
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void CSkinDialog::OnCommand(int commandId) {
    if (commandId == closeCommand_) {
        reject();
    }
}

void CSkinDialog::PaintCaption(QPainter& p) {
    p.fillRect(QRect(0, 0, width(), kCaptionHeight), QColor(128, 128, 128));
    p.setFont(ui_.Font(10));
    p.setPen(Qt::black);
    p.drawText(QRect(5, 0, 195, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               windowTitle());
}

void CSkinDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    PaintCaption(p);
}

void CSkinDialog::resizeEvent(QResizeEvent* event) {
    if (closeButton_ != nullptr) {
        closeButton_->move(width() - 20, 4);
    }
    QDialog::resizeEvent(event);
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragger_.Press(this, event->position().toPoint(), event->globalPosition().toPoint());
    }
    QDialog::mousePressEvent(event);
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
    dragger_.Move(this, event->globalPosition().toPoint(), moveAllowed_);
    QDialog::mouseMoveEvent(event);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragger_.Release();
    }
    QDialog::mouseReleaseEvent(event);
}

} // namespace kestrel
