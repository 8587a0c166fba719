// The separate movie window: a top-level skinned window that holds the movie
// view of the camera not shown in the main window. In this single-mode viewer
// it is never shown; its title names the camera it holds.
#pragma once

#include "CContainerDialog.h"

namespace kestrel {

class CMovieDialog : public CContainerDialog {
    Q_OBJECT
public:
    explicit CMovieDialog(const UiResources& ui) : CContainerDialog(nullptr, ui) {}

    // Single mode: the window exists only to hold the parked view.
    void setVisible(bool visible) override {
        CContainerDialog::setVisible(visible && showAllowed_);
    }
    void AllowShow(bool allowed) { showAllowed_ = allowed; }

private:
    bool showAllowed_ = false;
};

} // namespace kestrel
