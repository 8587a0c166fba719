// Every window the main window owns, created in the order the main window
// needs them: off-screen surface, file manager area, map window with the logo
// panel, tool tips, the separate movie window, the two movie views, graph and
// information areas, the controller pad, the two sliders, the progress bar,
// the 18 bottom buttons, the 3 caption buttons and the blank background.
#pragma once

#include "MainLayout.h"

#include <QString>
#include <array>
#include <memory>

class QWidget;

namespace kestrel {

class CBlankStatic;
class CContainerDialog;
class CControllerDlg;
class CLogoDlg;
class CMovieDialog;
class CMovieStatic;
class COffScreenDC;
class CPanelHost;
class CSettingDlg;
class CSkinButton;
class CSkinProgressBarCtrl;
class CSkinSliderCtrl;
class MovieViewOwner;
class UiResources;

// Command ids of the bottom buttons (38000 + index) and the caption buttons.
constexpr int kFirstBottomCommand = 38000;
enum CaptionCommand : int { CmdClose = 18, CmdMinimise = 19, CmdLayout = 20 };
constexpr int kPositionSliderId = 38100;
constexpr int kVolumeSliderId = 38101;
constexpr int kProgressBarId = 38102;

struct BottomButtonSpec {
    int bitmap;
    int tipTextId;
};

// Bitmap and tool tip of each bottom button, by index.
const std::array<BottomButtonSpec, kBottomButtonCount>& BottomButtonTable();

struct KestrelChildren {
    KestrelChildren();
    ~KestrelChildren();
    KestrelChildren(const KestrelChildren&) = delete;
    KestrelChildren& operator=(const KestrelChildren&) = delete;

    std::unique_ptr<COffScreenDC> offScreen;
    CPanelHost* fileManager = nullptr;
    CContainerDialog* mapWindow = nullptr;
    CLogoDlg* logo = nullptr;
    QWidget* mapHost = nullptr; // the map page's host, when one exists
    std::unique_ptr<CMovieDialog> movieWindow;
    std::array<CMovieStatic*, 2> views{};
    CPanelHost* graph = nullptr;
    CPanelHost* info = nullptr;
    CControllerDlg* controller = nullptr;
    CSkinSliderCtrl* positionSlider = nullptr;
    CSkinSliderCtrl* volumeSlider = nullptr;
    CSkinProgressBarCtrl* progress = nullptr;
    std::array<CSkinButton*, kBottomButtonCount> bottomButtons{};
    std::array<CSkinButton*, 3> captionButtons{}; // close, layout, minimise
    CBlankStatic* blank = nullptr;
    CSettingDlg* settings = nullptr;

    bool created() const { return views[0] != nullptr; }
};

// Creates the children of `main` (nothing when its client area is empty).
// The movie view of camera `shown` goes into the main window, the other one
// into the separate movie window at (0, 20), 640 x 360.
bool CreateChildWindows(QWidget* main, const UiResources& ui, MovieViewOwner* owner, int shown,
                        KestrelChildren& out);

} // namespace kestrel
