// A floating skinned window holding one child at (0, 20) under its caption:
// the map window (map host or logo panel) and, as CMovieDialog, the separate
// movie window. It remembers its own rectangle whenever the user moves it
// while it is visible.
#pragma once

#include "CSkinDialog.h"

namespace kestrel {

class CContainerDialog : public CSkinDialog {
    Q_OBJECT
public:
    CContainerDialog(QWidget* parent, const UiResources& ui, Qt::WindowFlags extra = {});

    // Whether the user has moved the window since it was last placed by the program.
    bool movedByUser() const { return movedByUser_; }
    void PlaceAt(const QRect& screenRect);
    QRect savedRect() const { return savedRect_; }

protected:
    void moveEvent(QMoveEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QRect savedRect_;
    bool placing_ = false;
    bool movedByUser_ = false;
};

} // namespace kestrel
