// A dialog without a system frame: the top 20 pixels are a painted grey
// caption with the window text, a 13 x 12 image close button sits at the
// caption's right end, and a press in the caption drags the window.
#pragma once

#include "WindowDragger.h"

#include <QDialog>

namespace kestrel {

class CSkinButton;
class UiResources;

class CSkinDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCaptionHeight = 20;

    CSkinDialog(QWidget* parent, const UiResources& ui);

    // The close button at (right - 20, 4), 13 x 12, sending `commandId`.
    CSkinButton* CreateCloseButton(int commandId);
    CSkinButton* closeButton() const { return closeButton_; }

    void SetMoveAllowed(bool allowed) { moveAllowed_ = allowed; }
    // Centres the window over `over` (a window, or the screen when null).
    void CentreOver(QWidget* over);

    const UiResources& ui() const { return ui_; }

protected:
    // A command from one of the dialog's own buttons; the default ends the
    // dialog with Cancel for the close button.
    virtual void OnCommand(int commandId);
    void PaintCaption(QPainter& p);

    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

    // Connects a button's clicks to OnCommand.
    void RouteCommand(CSkinButton* button);

private:
    const UiResources& ui_;
    CSkinButton* closeButton_ = nullptr;
    int closeCommand_ = 0;
    WindowDragger dragger_{kCaptionHeight};
    bool moveAllowed_ = true;
};

} // namespace kestrel
