// The logo panel shown in the map window in place of the map: when the map is
// switched on but no usable map can be shown. It shows or hides itself through
// its own posted message UM_LOGO_SHOW (lParam 1 show, 0 hide), so the change
// happens after the message being handled.
#pragma once

#include <QWidget>

namespace kestrel {

class CLogoDlg : public QWidget {
    Q_OBJECT
public:
    explicit CLogoDlg(QWidget* parent);

    // Posts the show or hide request to itself.
    void RequestShow(bool show);

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
};

} // namespace kestrel
