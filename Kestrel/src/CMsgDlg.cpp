#include "CMsgDlg.h"

#include "CSkinButton.h"
#include "SkinArt.h"
#include "UiResources.h"

#include <QLabel>
#include <QPainter>

namespace kestrel {

namespace {

constexpr int kButton1 = 1;
constexpr int kButton2 = 2;

// A text button of the message box: the skin face with its caption on top.
class TextSkinButton : public CSkinButton {
public:
    TextSkinButton(QWidget* parent, int id, const QString& caption)
        : CSkinButton(parent, id, QSize(100, 30), 0) {
        setText(caption);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int index = CurrentImageIndex();
        QColor face = index == 2   ? QColor(30, 90, 210)
                      : index == 1 ? QColor(90, 120, 170)
                                   : QColor(70, 76, 88);
        if (index == 3) {
            face = QColor(160, 160, 160);
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(30, 32, 38));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        p.setPen(Qt::white);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
};

} // namespace

QSize MeasureMessageText(const QString& text, const QFontMetrics& metrics) {
    int width = 0;
    int height = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        width = std::max(width, metrics.horizontalAdvance(line));
        height += metrics.height();
    }
    return QSize(width, height);
}

MsgDlgLayout ComputeMsgDlgLayout(QSize textSize, int type) {
    MsgDlgLayout l;
    l.window = QSize(textSize.width() + 80, textSize.height() + 140);
    l.text = QRect(40, 15, textSize.width() + 40, textSize.height() + 45);
    const QRect right(l.window.width() - 115, l.window.height() - 45, 100, 30);
    if (type == MB_OKCANCEL || type == MB_YESNO) {
        l.button2 = right;
        l.button2Visible = true;
        l.button1 = right.translated(-115, 0);
    } else {
        l.button1 = right;
    }
    if (type == MB_YESNO) {
        l.button1TextId = 191; // "はい"
        l.button2TextId = 192; // "いいえ"
    }
    return l;
}

int MsgBoxResultFor(int type, bool firstButton) {
    if (type == MB_YESNO) {
        return firstButton ? IDYES : IDNO;
    }
    return firstButton ? IDOK : IDCANCEL;
}

CMsgDlg::CMsgDlg(QWidget* parent, const UiResources& ui, const QString& text,
                 const QString& caption, int type)
    : CSkinDialog(parent, ui), type_(type) {
    setModal(true);
    setFont(ui.Font(10));
    setWindowTitle(caption);
    layout_ = ComputeMsgDlgLayout(MeasureMessageText(text, QFontMetrics(ui.Font(10))), type);
    setFixedSize(layout_.window);

    label_ = new QLabel(this);
    label_->setFont(ui.Font(10));
    label_->setText(QString(text).remove(QLatin1Char('\r')));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setAutoFillBackground(false);
    label_->setStyleSheet(QStringLiteral("color: black; background: white;"));
    label_->setGeometry(layout_.text);

    button1_ = new TextSkinButton(this, kButton1, ui.Text(layout_.button1TextId));
    button1_->setFont(ui.Font(10));
    button1_->setGeometry(layout_.button1);
    RouteCommand(button1_);
    button2_ = new TextSkinButton(this, kButton2, ui.Text(layout_.button2TextId));
    button2_->setFont(ui.Font(10));
    button2_->setGeometry(layout_.button2);
    button2_->setVisible(layout_.button2Visible);
    RouteCommand(button2_);

    CentreOver(parent);
}

void CMsgDlg::reject() {
    done(MsgBoxResultFor(type_, false));
}

void CMsgDlg::OnCommand(int commandId) {
    if (commandId == kButton1) {
        done(MsgBoxResultFor(type_, true));
    } else if (commandId == kButton2) {
        done(MsgBoxResultFor(type_, false));
    }
}

void CMsgDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(236, 238, 242));
    p.fillRect(QRect(0, 0, width(), height() - 60), Qt::white);
    PaintCaption(p);
}

} // namespace kestrel
