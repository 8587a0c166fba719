// The main window's commands and messages: the caption buttons (close,
// minimise, layout cycle), settings, enlarge, the map display switch, the
// view reset, the movie views' context menu and double click, and the
// messages other windows post to the main window.
#pragma once

#include "AppMessage.h"

#include <QPoint>

namespace kestrel {

class CKestrelDlg;

// The conditions of a full-screen toggle by double click.
struct FullScreenGate {
    bool entering = true;
    bool movieLoaded = false;
    int listCount = 0;
    bool toolRunning = false;
    int shownCamera = 0;
    bool glAvailable = false;
    bool shownViewEnlarged = false;
    long long position = 0; // of the active context, frames
    long long frameCount = 0;
};

// Leaving is always possible (outside the enlarge state); entering needs a
// loaded movie, a non-empty list, no running tool, the rear camera or the main
// camera with OpenGL, and at least 10 frames before the end.
bool FullScreenToggleAllowed(const FullScreenGate& gate);

class KestrelCommands {
public:
    explicit KestrelCommands(CKestrelDlg& dlg) : d_(dlg) {}

    void OnCommand(int commandId);
    // True when the message was one of the main window's.
    bool OnMessage(const AppMessage& message);

    void ShowViewMenu(QPoint globalPos, int camera);
    void DoubleClick(int camera);
    void ClickZoom(int camera, QPoint point);

    int menuCamera() const { return menuCamera_; }

private:
    void ToggleEnlarge();
    void MapSwitch();
    void ViewReset();

    CKestrelDlg& d_;
    int menuCamera_ = -1;
};

} // namespace kestrel
