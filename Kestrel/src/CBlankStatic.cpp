#include "CBlankStatic.h"

#include <QPainter>

namespace kestrel {

void CBlankStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
}

} // namespace kestrel
