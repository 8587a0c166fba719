#include "CModelSelectDlg.h"

#include "CSkinButton.h"
#include "UiResources.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace kestrel {

namespace {

// A wide text button drawn on the skin face.
class LabelButton : public CSkinButton {
public:
    LabelButton(QWidget* parent, int id, QSize size, const QString& caption)
        : CSkinButton(parent, id, size, 0) {
        setText(caption);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        CSkinButton::paintEvent(event);
        QPainter p(this);
        p.setPen(isEnabled() ? Qt::white : QColor(127, 127, 127));
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
};

} // namespace

CModelSelectDlg::CModelSelectDlg(QWidget* parent, const UiResources& ui) : CSkinDialog(parent, ui) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(true);
    setFont(ui.Font(10));
    setWindowTitle(ui.Text(208));
    setFixedSize(640, 135);

    auto* text = new QLabel(this);
    text->setFont(ui.Font(10));
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setText(QStringLiteral("\n") + ui.Text(209));
    text->setGeometry(190, 20, 560, 208);
    text->lower();

    const int f = kDialogFrame;
    const QSize size(215 - f, 32);
    ok_ = new LabelButton(this, 1, size, QStringLiteral("TR80A"));
    ok_->setFont(ui.Font(10));
    ok_->move(90, 78);
    RouteCommand(ok_);
    cancel_ = new LabelButton(this, 2, size, QStringLiteral("TR80B"));
    cancel_->setFont(ui.Font(10));
    cancel_->move(335 - f, 78);
    RouteCommand(cancel_);
    CreateCloseButton(2);

    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void CModelSelectDlg::OnCommand(int commandId) {
    done(commandId == 1 ? 1 : 2);
}

} // namespace kestrel
