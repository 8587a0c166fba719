// Puts the main window's children where the current layout or full screen
// wants them: the three windowed layouts (always 1120 x 700 at the saved
// position), full screen on the monitor that holds the window, the map window
// next to the video, the separate movie window at the foot of the file
// manager column, and the keep-on-monitor correction after a layout change.
#pragma once

#include "KeepOnMonitor.h"
#include "KestrelChildren.h"
#include "MainLayout.h"

#include <QPoint>
#include <QRect>
#include <vector>

class QWidget;

namespace kestrel {

class UiResources;

struct WindowState {
    Layout layout = Layout::Small;
    bool fullScreen = false;
    int shownCamera = 0;
    QPoint savedPosition;   // top-left of the window in every windowed layout
    bool mapEnabled = true; // the map display switch (small layout)
    bool mapEnabledBeforeLayout = true;
    bool started = false;
    bool keepAspect = true;
};

// The work areas of the screens, as the keep-on-monitor rule reads them.
std::vector<MonitorArea> CurrentMonitors();

class KestrelLayouter {
public:
    KestrelLayouter(QWidget& main, const UiResources& ui, KestrelChildren& children,
                    WindowState& state)
        : main_(main), ui_(ui), c_(children), s_(state) {}

    // Re-applies the current layout (or full screen).
    void Apply();
    void ApplyWindowed();
    void EnterFullScreen();
    void LeaveFullScreen();
    // Moves the window back onto its monitor when it sticks out.
    void KeepWindowOnMonitor();

    // The video rectangle of the current layout (client coordinates).
    QRect VideoRect() const;
    bool ShownViewIsPanorama() const;
    // The current geometry (windowed layouts only).
    LayoutGeometry CurrentGeometry() const;

    // Places the map window next to the video, unless the user has moved it.
    void PlaceMapWindow(bool force);
    // Shows or hides the map window by the flags (small layout, started, not full screen).
    void RefreshMapWindow();
    void PlaceSeparateMovieWindow();
    void UpdateLayoutTooltip();

private:
    void PlaceShownView(QRect rect, bool sunken);
    void SetBandsBlank(const QRect& area);

    QWidget& main_;
    const UiResources& ui_;
    KestrelChildren& c_;
    WindowState& s_;
};

} // namespace kestrel
