#include "CContainerDialog.h"

#include <QMouseEvent>

namespace kestrel {

CContainerDialog::CContainerDialog(QWidget* parent, const UiResources& ui, Qt::WindowFlags extra)
    : CSkinDialog(parent, ui) {
    setWindowFlags(windowFlags() | Qt::Tool | extra);
    setModal(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(30, 34, 42));
    setPalette(pal);
}

void CContainerDialog::PlaceAt(const QRect& screenRect) {
    placing_ = true;
    setGeometry(screenRect);
    savedRect_ = screenRect;
    placing_ = false;
    movedByUser_ = false;
}

void CContainerDialog::moveEvent(QMoveEvent* event) {
    if (!placing_ && isVisible()) {
        savedRect_ = geometry();
    }
    CSkinDialog::moveEvent(event);
}

void CContainerDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (isVisible() && geometry() != savedRect_) {
        savedRect_ = geometry();
    }
    if (event->button() == Qt::LeftButton && isVisible() && savedRect_ != QRect() &&
        event->position().y() < kCaptionHeight) {
        movedByUser_ = true;
    }
    CSkinDialog::mouseReleaseEvent(event);
}

} // namespace kestrel
