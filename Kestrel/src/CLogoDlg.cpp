#include "CLogoDlg.h"

#include "AppMessage.h"
#include "SkinArt.h"

#include <QPainter>

namespace kestrel {

CLogoDlg::CLogoDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLogoDlg::RequestShow(bool show) {
    PostAppMessage(this, UM_LOGO_SHOW, 0, show ? 1 : 0);
}

bool CLogoDlg::event(QEvent* e) {
    if (const AppMessage* m = AsAppMessage(e); m != nullptr && m->id() == UM_LOGO_SHOW) {
        setVisible(m->lParam() != 0);
        return true;
    }
    return QWidget::event(e);
}

void CLogoDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    SkinArt::PaintLogo(p, rect());
}

} // namespace kestrel
