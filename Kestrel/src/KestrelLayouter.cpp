#include "KestrelLayouter.h"

#include "CBlankStatic.h"
#include "CContainerDialog.h"
#include "CControllerDlg.h"
#include "CLogoDlg.h"
#include "CMovieDialog.h"
#include "CMovieStatic.h"
#include "CPanelHost.h"
#include "CSkinButton.h"
#include "CSkinSliderCtrl.h"
#include "UiResources.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kestrel {

namespace {

EdgeRect ToEdges(const QRect& r) {
    return EdgeRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

void Place(QWidget* w, const Placement& p) {
    if (w == nullptr) {
        return;
    }
    w->setGeometry(p.rect);
    w->setVisible(p.visible);
}

QScreen* ScreenOf(QWidget& w) {
    QScreen* screen = QGuiApplication::screenAt(w.geometry().center());
    if (screen == nullptr) {
        screen = w.screen();
    }
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

} // namespace

std::vector<MonitorArea> CurrentMonitors() {
    std::vector<MonitorArea> monitors;
    for (QScreen* screen : QGuiApplication::screens()) {
        monitors.push_back({ToEdges(screen->geometry()), ToEdges(screen->availableGeometry())});
    }
    return monitors;
}

bool KestrelLayouter::ShownViewIsPanorama() const {
    const CMovieStatic* view = c_.views[static_cast<size_t>(s_.shownCamera)];
    return view != nullptr && view->displayMode() == 4;
}

LayoutGeometry KestrelLayouter::CurrentGeometry() const {
    return ComputeWindowedLayout(s_.layout, ShownViewIsPanorama());
}

QRect KestrelLayouter::VideoRect() const {
    if (s_.fullScreen) {
        return c_.views[static_cast<size_t>(s_.shownCamera)]->geometry();
    }
    return CurrentGeometry().video;
}

void KestrelLayouter::Apply() {
    if (s_.fullScreen) {
        EnterFullScreen();
    } else {
        ApplyWindowed();
    }
}

void KestrelLayouter::PlaceShownView(QRect rect, bool sunken) {
    CMovieStatic* view = c_.views[static_cast<size_t>(s_.shownCamera)];
    if (view->parentWidget() != &main_) {
        view->setParent(&main_);
    }
    view->SetSunken(sunken);
    view->setGeometry(rect);
    view->show();
    view->raise();
}

void KestrelLayouter::SetBandsBlank(const QRect& area) {
    c_.blank->setGeometry(area);
    c_.blank->show();
    c_.blank->lower();
}

void KestrelLayouter::ApplyWindowed() {
    if (!c_.created()) {
        return;
    }
    const bool panorama = ShownViewIsPanorama();
    const LayoutGeometry g = ComputeWindowedLayout(s_.layout, panorama);
    main_.setGeometry(QRect(s_.savedPosition, kMainWindowSize));

    SetBandsBlank(panorama ? g.video.united(g.blackBands.front()).united(g.blackBands.back())
                           : g.view);
    PlaceShownView(g.view, true);
    Place(c_.positionSlider, g.positionSlider);
    Place(c_.info, g.infoPanel);
    Place(c_.controller, g.controller);
    c_.controller->SetButtonsVisible(true);
    Place(c_.graph, g.graph);
    Place(c_.fileManager, g.fileManager);
    for (size_t i = 0; i < c_.bottomButtons.size(); ++i) {
        Place(c_.bottomButtons[i], g.bottomButtons[i]);
    }
    for (size_t i = 0; i < c_.captionButtons.size(); ++i) {
        c_.captionButtons[i]->setGeometry(g.captionButtons[i]);
        c_.captionButtons[i]->show();
        c_.captionButtons[i]->raise();
    }
    Place(c_.volumeSlider, g.volumeSlider);
    PlaceMapWindow(false);
    RefreshMapWindow();
    UpdateLayoutTooltip();
    main_.update();
}

void KestrelLayouter::EnterFullScreen() {
    if (!c_.created()) {
        return;
    }
    s_.fullScreen = true;
    for (QWidget* w : std::initializer_list<QWidget*>{c_.graph, c_.positionSlider, c_.volumeSlider,
                                                      c_.info, c_.fileManager, c_.controller}) {
        w->hide();
    }
    for (CSkinButton* b : c_.bottomButtons) {
        b->hide();
    }
    for (CSkinButton* b : c_.captionButtons) {
        b->hide();
    }
    c_.mapWindow->hide();
    QScreen* screen = ScreenOf(main_);
    const QRect monitor =
        screen != nullptr ? screen->geometry() : QRect(QPoint(0, 0), kMainWindowSize);
    const FullScreenGeometry g = ComputeFullScreen(monitor, ShownViewIsPanorama());
    main_.setGeometry(g.window);
    SetBandsBlank(QRect(QPoint(0, 0), monitor.size()));
    PlaceShownView(g.view, false);
    main_.update();
}

void KestrelLayouter::LeaveFullScreen() {
    s_.fullScreen = false;
    c_.controller->SetButtonsVisible(true);
    ApplyWindowed();
}

void KestrelLayouter::KeepWindowOnMonitor() {
    const EdgeRect before = ToEdges(main_.geometry());
    const EdgeRect after = KeepOnMonitor(before, CurrentMonitors());
    if (!(after == before)) {
        main_.move(after.left, after.top);
        main_.update();
    }
}

void KestrelLayouter::PlaceMapWindow(bool force) {
    if (!c_.created() || s_.fullScreen) {
        return;
    }
    if (!force && c_.mapWindow->movedByUser()) {
        return;
    }
    const QRect video = ComputeWindowedLayout(Layout::Small, ShownViewIsPanorama()).video;
    c_.mapWindow->PlaceAt(MapWindowRect(main_.geometry().topLeft(), video));
}

void KestrelLayouter::RefreshMapWindow() {
    const bool show = s_.started && !s_.fullScreen && s_.layout == Layout::Small && s_.mapEnabled &&
                      !main_.isMinimized();
    if (show) {
        // Without a map host the logo panel fills the window.
        if (c_.mapHost == nullptr && !c_.logo->isVisible()) {
            c_.logo->RequestShow(true);
        }
        if (!c_.mapWindow->isVisible()) {
            c_.mapWindow->show();
        }
    } else {
        c_.mapWindow->hide();
    }
}

void KestrelLayouter::PlaceSeparateMovieWindow() {
    const QRect fm = ComputeWindowedLayout(Layout::Small, false).fileManager.rect;
    const QRect screenFm(main_.mapToGlobal(fm.topLeft()), fm.size());
    c_.movieWindow->setGeometry(SeparateMovieWindowRect(screenFm));
}

void KestrelLayouter::UpdateLayoutTooltip() {
    CSkinButton* b = c_.captionButtons[CapLayout];
    if (b == nullptr) {
        return;
    }
    // The tip names the layout that the next click selects.
    b->SetTexts(ui_.Text(LayoutTooltipTextId(s_.layout)));
}

} // namespace kestrel
