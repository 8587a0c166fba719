// The main window of BrivonaS: a frameless, skinned window that owns every
// other window for the life of the process. It initialises in a fixed order
// (fonts and texts, children, first-run settings, player contexts, settings
// dialog, layout, start-up source, product selection), then finishes in a
// deferred step (map and separate movie window placement, the OpenGL check,
// started). Layout computation lives in KestrelLayouter, child creation in
// KestrelChildren and the commands and messages in KestrelCommands.
#pragma once

#include "CameraPort.h"
#include "KestrelChildren.h"
#include "KestrelLayouter.h"
#include "MovieViewOwner.h"
#include "UiResources.h"
#include "WindowDragger.h"

#include <playcore/StartupSource.h>
#include <player/CMoment.h>
#include <player/PlayerContext.h>
#include <player/PlayerOps.h>

#include <QBasicTimer>
#include <QWidget>
#include <array>
#include <memory>

namespace kestrel {

class KestrelCommands;
class PlayerCamera;
class StartupPrompts;

struct KestrelStartup {
    bool settingsFileExisted = false;
    bool hardwareDecode = false; // DECODE/HW == "on": given to both player contexts
    int volume = 65535;
    int modelSelect = 0;
    playcore::StartupSource source;
};

class CKestrelDlg : public QWidget, public MovieViewOwner {
    Q_OBJECT
public:
    explicit CKestrelDlg(StartupPrompts& prompts);
    ~CKestrelDlg() override;

    // The initialisation sequence; false when it stopped early (no screen).
    bool Initialise();

    // Layout functions (commands 20 and the full-screen routine use them).
    void ApplyLayout();
    void CycleLayout();
    void EnterFullScreen();
    void LeaveFullScreen();

    void OnCommand(int commandId);
    // The window as a picture, with the floating map window composed at its place.
    QImage Screenshot();

    // The player contexts register their cameras here; null returns to "no movie".
    void SetCameraPort(int camera, CameraPort* port);
    CameraPort& cameraPort(int camera) const { return *cameras_[static_cast<size_t>(camera)]; }
    player::CMoment& moment(int camera) { return moments_[static_cast<size_t>(camera)]; }

    const UiResources& ui() const { return ui_; }
    KestrelChildren& children() { return children_; }
    WindowState& windowState() { return state_; }
    KestrelLayouter& layouter() { return layouter_; }
    const KestrelStartup& startup() const { return startup_; }
    bool glAvailable() const { return glAvailable_; }
    bool started() const { return state_.started; }
    bool graphParkingImpact() const { return graphParkingImpact_; }
    StartupPrompts& prompts() { return prompts_; }
    bool movieLoaded() const { return movieLoaded_; }
    bool waitState() const { return waitState_; }
    bool toolRunning() const { return toolRunning_; }

    // MovieViewOwner
    void OnViewMenu(QPoint globalPos, int camera) override;
    void OnViewZoom(int camera, QPoint point) override;
    void OnViewEnd(int camera) override;
    void OnViewReady(int camera) override;
    void OnGraphEvent() override;
    void OnViewDoubleClick(int camera) override;
    void OnPlayerStep(int message, std::int64_t lParam) override;

signals:
    // The deferred start-up has run (the window is ready for the user).
    void startedUp();

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    friend class KestrelCommands;

    void DeferredStart();
    void ShutDown();
    void RefreshButtonStates();
    void ApplyVolume(int volume);
    void InitPlayerContexts();

    StartupPrompts& prompts_;
    UiResources ui_;
    KestrelChildren children_;
    WindowState state_;
    KestrelLayouter layouter_;
    std::unique_ptr<KestrelCommands> commands_;
    KestrelStartup startup_;
    std::array<player::CMoment, 2> moments_{};
    // The two player contexts (0 main camera, 1 rear camera) and their cameras.
    player::PlayerOps ops_;
    std::array<player::PlayerContext, 2> contexts_;
    std::array<std::unique_ptr<PlayerCamera>, 2> playerCameras_;
    std::array<NoMovieCamera, 2> noMovie_{};
    std::array<CameraPort*, 2> cameras_{};
    WindowDragger dragger_{kCaptionHeight};
    QBasicTimer idleTimer_; // timer 103
    bool glAvailable_ = false;
    bool graphParkingImpact_ = true;
    bool movieLoaded_ = false;
    bool waitState_ = false;
    bool toolRunning_ = false;
    bool csvAvailable_ = false;
    bool shutDown_ = false;
};

} // namespace kestrel
