// A check box drawn from a 12 x 12 four-state strip (0 unchecked, 1 hover,
// 2 checked, 3 disabled) at (0, 4) with its caption 16 pixels to the right.
// Its checked state is the held flag, which the owner sets before redrawing.
#pragma once

#include "CSkinButton.h"

namespace kestrel {

class CSkinCheckButton : public CSkinButton {
    Q_OBJECT
public:
    CSkinCheckButton(QWidget* parent, int commandId, QSize size, const QString& caption);

    static constexpr QRect kBox{0, 4, 12, 12};

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QPixmap checkStrip_;
    bool boxHover_ = false;
};

} // namespace kestrel
