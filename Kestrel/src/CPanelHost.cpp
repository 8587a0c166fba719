#include "CPanelHost.h"

#include "SkinArt.h"

#include <QPainter>

namespace kestrel {

CPanelHost::CPanelHost(QWidget* parent, const QString& role) : QWidget(parent), role_(role) {
    setObjectName(role);
}

void CPanelHost::SetContent(QWidget* content) {
    content_ = content;
    if (content_ != nullptr) {
        content_->setParent(this);
        content_->setGeometry(rect());
        content_->show();
    }
}

void CPanelHost::paintEvent(QPaintEvent*) {
    if (content_ != nullptr) {
        return;
    }
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().bottomLeft());
    g.setColorAt(0, QColor(58, 63, 72));
    g.setColorAt(1, QColor(44, 48, 56));
    p.fillRect(rect(), g);
    p.setPen(QColor(24, 26, 30));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QColor(84, 90, 102));
    p.drawLine(1, 1, width() - 2, 1);
}

void CPanelHost::resizeEvent(QResizeEvent* event) {
    if (content_ != nullptr) {
        content_->setGeometry(rect());
    }
    QWidget::resizeEvent(event);
}

} // namespace kestrel
