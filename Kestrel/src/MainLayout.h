// Geometry of the main window's three windowed layouts and of full screen, as
// pure functions of the layout, the display mode and the monitor. All
// rectangles are client pixels of the main window unless noted; the window
// itself is always 1120 x 700 outside full screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <vector>

namespace kestrel {

enum class Layout : int { Small = 0, Medium = 1, Large = 2 };

constexpr QSize kMainWindowSize{1120, 700};
constexpr int kBottomButtonCount = 18;
constexpr int kCaptionHeight = 26;

// Bottom-button indices by role (command id = 38000 + index).
enum BottomButton : int {
    BtnStart = 0,
    BtnPrevious = 1,
    BtnPlay = 2,
    BtnSlow = 3,
    BtnFast = 4,
    BtnNext = 5,
    BtnStill = 6,
    BtnJoin = 7,
    BtnEnlarge = 8,
    BtnDisplayMode = 9,
    BtnFlip = 10,
    BtnMirror = 11,
    BtnMap = 12,
    BtnBrowse = 13,
    BtnDelete = 14,
    BtnSettings = 15,
    BtnCsv = 16,
    BtnCamera = 17,
};

// Caption buttons, from the right: close (18), layout (20), minimise (19).
enum CaptionButton : int { CapClose = 0, CapLayout = 1, CapMinimise = 2 };

struct Placement {
    QRect rect;
    bool visible = false;
};

struct LayoutGeometry {
    QRect view;                    // the shown movie view
    QRect video;                   // the video rectangle that the controls under the view follow
    std::vector<QRect> blackBands; // painted black around a panorama view
    Placement positionSlider;
    Placement infoPanel;
    Placement controller;
    Placement graph;
    Placement fileManager;
    Placement volumeSlider;
    std::array<Placement, kBottomButtonCount> bottomButtons;
    std::array<QRect, 3> captionButtons;
    bool mapAllowed = false; // the map window may show only in the small layout
};

// The windowed layout; `panorama` is true when the shown view is in display
// mode 4. `client` is the main window's client size.
LayoutGeometry ComputeWindowedLayout(Layout layout, bool panorama, QSize client = kMainWindowSize);

struct FullScreenGeometry {
    QRect window; // screen coordinates: the whole monitor
    QRect view;   // client coordinates of the main window
    std::vector<QRect> blackBands;
};

// Full screen on the monitor `monitor` (screen coordinates): the view covers it,
// or in panorama it is centred vertically with height = monitor width / 3.43.
FullScreenGeometry ComputeFullScreen(QRect monitor, bool panorama);

// The map window: its top-left corner at the video rectangle's top-right
// corner (screen coordinates), 374 x 430.
QRect MapWindowRect(QPoint mainWindowScreenTopLeft, QRect video);

// The separate movie window at the bottom of the file manager column: as wide
// as the file manager minus 4 pixels, height in the ratio 411 : 732.
QRect SeparateMovieWindowRect(QRect fileManagerScreenRect);

// The progress bar over the bottom of the shown view, 22 pixels high; in the
// small layout a panorama view's bar sits 45 pixels lower, under the band.
QRect ProgressBarRect(QRect view, Layout layout, bool panorama);

// Half the view size: the zoom centre after a reset.
QPoint ZoomResetCentre(QSize viewSize);

Layout NextLayout(Layout layout);

// Text id of the layout button's tool tip: the name of the layout the next
// click selects (8 "中", 7 "大", 18 "小").
int LayoutTooltipTextId(Layout layout);

} // namespace kestrel
