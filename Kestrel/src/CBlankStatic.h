// The black area behind the movie views (and the bands around a panorama).
#pragma once

#include <QWidget>

namespace kestrel {

class CBlankStatic : public QWidget {
    Q_OBJECT
public:
    explicit CBlankStatic(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace kestrel
