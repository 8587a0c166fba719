#include "KestrelCommands.h"

#include "CContainerDialog.h"
#include "CControllerDlg.h"
#include "CKestrelDlg.h"
#include "CMovieMenu.h"
#include "CMovieStatic.h"
#include "CSettingDlg.h"
#include "CSkinSliderCtrl.h"
#include "MovieMenuModel.h"
#include "PadWorker.h"

namespace kestrel {

bool FullScreenToggleAllowed(const FullScreenGate& g) {
    if (g.shownViewEnlarged) {
        return false;
    }
    if (!g.entering) {
        return true;
    }
    if (!g.movieLoaded || g.listCount <= 0 || g.toolRunning) {
        return false;
    }
    if (g.shownCamera == 0 && !g.glAvailable) {
        return false;
    }
    return g.position + 10 < g.frameCount;
}

void KestrelCommands::OnCommand(int commandId) {
    switch (commandId) {
    case CmdClose:
        d_.ShutDown();
        d_.close();
        break;
    case CmdMinimise:
        d_.children_.mapWindow->hide();
        d_.showMinimized();
        break;
    case CmdLayout:
        d_.CycleLayout();
        break;
    case CmdSettings:
        d_.children_.settings->ShowCentred();
        break;
    case kFirstBottomCommand + BtnEnlarge:
        ToggleEnlarge();
        break;
    case kFirstBottomCommand + BtnMap:
        MapSwitch();
        break;
    case CmdViewReset:
        ViewReset();
        break;
    default:
        // Transport, file-tool and view commands are carried out by the
        // playback coordination once recordings can be opened; with no list
        // loaded their buttons are disabled.
        break;
    }
}

bool KestrelCommands::OnMessage(const AppMessage& m) {
    switch (m.id()) {
    case UM_DEFERRED_START:
        d_.DeferredStart();
        return true;
    case UM_SETTING_CHANGED:
        // The graph shows parking-monitoring impacts while the flag is set.
        d_.graphParkingImpact_ = m.lParam() != 0;
        return true;
    case UM_COMMAND:
        OnCommand(static_cast<int>(m.wParam()));
        return true;
    case UM_SLIDER_MOVE:
    case UM_SLIDER_RELEASE:
        if (!d_.waitState_ && m.wParam() == kVolumeSliderId) {
            d_.ApplyVolume(static_cast<int>(m.lParam()));
        }
        return true;
    case UM_SLIDER_PRESS:
    case UM_STEP_FRAME:
    case UM_STEP_END:
    case UM_GRAPH_EVENT:
        // Playback coordination answers these once recordings open.
        return true;
    case UM_PROGRESS:
        return true;
    default:
        break;
    }
    return false;
}

void KestrelCommands::ShowViewMenu(QPoint globalPos, int camera) {
    if (d_.waitState_) {
        return;
    }
    const WindowState& s = d_.state_;
    const CameraPort& active = d_.cameraPort(s.shownCamera);
    MovieMenuState ms;
    ms.playState = active.HoldsMovie() ? active.PlayState() : 0;
    ms.speedCode = active.SpeedCode();
    ms.largeLayout = s.layout == Layout::Large;
    ms.fullScreen = s.fullScreen;
    ms.clickedCamera = camera;
    ms.mainDisplayMode = d_.children_.views[0]->displayMode();
    ms.rearValid = d_.cameraPort(1).HoldsMovie();
    auto* menu = new CMovieMenu(&d_, d_.ui_, BuildMovieMenu(ms), s.fullScreen);
    if (menu->items().empty()) {
        delete menu;
        return;
    }
    menuCamera_ = camera;
    QObject::connect(menu, &CMovieMenu::commandChosen, &d_,
                     [this](int command) { OnCommand(command); });
    d_.children_.views[static_cast<size_t>(camera)]->SkipNextMove();
    menu->Popup(globalPos);
}

void KestrelCommands::DoubleClick(int camera) {
    const WindowState& s = d_.state_;
    const CMovieStatic* shown = d_.children_.views[static_cast<size_t>(s.shownCamera)];
    FullScreenGate gate;
    gate.entering = !s.fullScreen;
    gate.movieLoaded = d_.movieLoaded_;
    gate.toolRunning = d_.toolRunning_;
    gate.shownCamera = camera;
    gate.glAvailable = d_.glAvailable_;
    gate.shownViewEnlarged = shown->enlarge();
    if (!FullScreenToggleAllowed(gate)) {
        return;
    }
    if (s.fullScreen) {
        d_.LeaveFullScreen();
    } else {
        d_.EnterFullScreen();
    }
}

void KestrelCommands::ClickZoom(int camera, QPoint point) {
    CMovieStatic* view = d_.children_.views[static_cast<size_t>(camera)];
    if (!view->enlarge()) {
        return;
    }
    player::CMoment& m = d_.moment(camera);
    ZoomRequest r;
    r.displayMode = view->displayMode();
    r.clientWidth = view->width();
    r.clientHeight = view->height();
    r.zoom = (m.zoom > 0.0f ? m.zoom : 1.0f) + 1.0f;
    r.clickX = point.x();
    r.clickY = point.y();
    if (r.zoom > 3.0f) {
        // Clicking cycles 1x, 2x, 3x, 1x; the reset zooms about the centre.
        r.zoom = 1.0f;
        const QPoint centre = ZoomResetCentre(view->size());
        r.clickX = centre.x();
        r.clickY = centre.y();
    }
    r.fullScreen = d_.state_.fullScreen;
    r.keepAspect = d_.state_.keepAspect;
    CameraPort& port = d_.cameraPort(camera);
    port.ApplyZoom(r, m);
    view->SetZoomFactor(r.zoom);
    port.EndDrag();
}

void KestrelCommands::ToggleEnlarge() {
    const bool on = !d_.children_.views[0]->enlarge();
    for (CMovieStatic* view : d_.children_.views) {
        view->SetEnlarge(on);
    }
    // The pad's navigation buttons have nothing to do while clicks zoom.
    d_.children_.controller->SetButtonsVisible(!on);
}

void KestrelCommands::MapSwitch() {
    WindowState& s = d_.state_;
    if (s.fullScreen) {
        return;
    }
    if (s.layout == Layout::Small) {
        s.mapEnabled = !s.mapEnabled;
        d_.layouter_.RefreshMapWindow();
        return;
    }
    if (d_.children_.views[static_cast<size_t>(s.shownCamera)]->displayMode() == 3) {
        d_.children_.controller->ResetView();
    }
}

void KestrelCommands::ViewReset() {
    const int shown = d_.state_.shownCamera;
    const int camera = menuCamera_ >= 0 && menuCamera_ != shown ? menuCamera_ : shown;
    menuCamera_ = -1;
    if (d_.children_.views[static_cast<size_t>(camera)]->displayMode() == 3) {
        PadWorker::ResetView(d_.cameraPort(camera), d_.moment(camera));
    }
}

} // namespace kestrel
