// A push button drawn from a four-state image strip (0 normal, 1 hover,
// 2 pressed / checked / held, 3 disabled). In hold-notify mode a press posts
// UM_PAD_PRESS (WM_APP + 0x579) and the release UM_PAD_RELEASE (WM_APP + 0x57A)
// to the parent, with the button's value as lParam, once per press; the
// release is reported even when it happens outside the button.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

namespace kestrel {

// The image of the strip to draw for a state.
int SkinButtonImageIndex(bool grayed, bool enabled, bool down, bool hover, bool held);

class CSkinButton : public QAbstractButton {
    Q_OBJECT
public:
    CSkinButton(QWidget* parent, int commandId, QSize size, int bitmap);

    int commandId() const { return commandId_; }

    // Rebuilds the image strip from the bitmap (no drawing meanwhile).
    void SetImages(int bitmap);
    int bitmap() const { return bitmap_; }
    QSize imageSize() const { return imageSize_; }

    void SetHoldNotify(bool enabled, int value);
    bool held() const { return held_; }
    // The owner sets the held state for buttons that show a latched state.
    void SetHeld(bool held);

    // The tool tip and the two caption texts of the owner.
    void SetTexts(const QString& tip, const QString& caption1 = {}, const QString& caption2 = {});

    // The image index the next paint draws (for tests and the check button).
    int CurrentImageIndex() const;

    QSize sizeHint() const override { return imageSize_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

    bool hovering() const { return hover_; }

private:
    int commandId_;
    QSize imageSize_;
    int bitmap_ = 0;
    QPixmap strip_;
    bool loading_ = false;
    bool hover_ = false;
    bool held_ = false;
    bool holdNotify_ = false;
    int holdValue_ = 0;
    bool pressSent_ = false;
    QString texts_[3];
};

} // namespace kestrel
