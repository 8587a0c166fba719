// The movie view of one camera (0 main, 1 rear). The player context draws into
// the video window placed inside it and posts its events to it; the view turns
// the mouse into view navigation (drag and fling in display modes 3 to 5,
// click zoom in the enlarge state, double click for full screen), paints the
// idle picture or "no movie data" when its camera has nothing to show, and
// forwards the player's reports to the main window.
#pragma once

#include "InertiaWorker.h"
#include "MovieMouseLogic.h"

#include <player/CMoment.h>

#include <QBasicTimer>
#include <QCursor>
#include <QWidget>
#include <atomic>
#include <map>

namespace kestrel {

class CameraPort;
class MovieViewOwner;
class UiResources;

class CMovieStatic : public QWidget, private MouseActions {
    Q_OBJECT
public:
    CMovieStatic(QWidget* parent, const UiResources& ui, MovieViewOwner* owner, int camera);
    ~CMovieStatic() override;

    int camera() const { return camera_; }
    void SetCamera(CameraPort* camera, player::CMoment* moment);
    CameraPort* cameraPort() const { return port_; }
    player::CMoment* moment() const { return moment_; }

    // The pipeline's video window: it fills the view and its mouse input and
    // player events are handled here.
    void SetVideoWindow(QWidget* video);
    QWidget* videoWindow() const { return video_; }

    void SetDisplayMode(int mode);
    int displayMode() const { return displayMode_; }
    void SetPreferredDisplayMode(int mode) { preferredMode_ = mode; }
    int preferredDisplayMode() const { return preferredMode_; }
    void SetGlAvailable(bool available) { glAvailable_ = available; }
    void SetHoldsMovie(bool holds, bool otherHolds);
    bool holdsMovie() const { return holdsMovie_; }
    void SetCovered(bool covered);
    void SetInputEnabled(bool enabled);
    void SetSunken(bool sunken);

    void SetEnlarge(bool on);
    bool enlarge() const { return enlarge_; }
    float zoomFactor() const { return zoom_; }
    void SetZoomFactor(float zoom) { zoom_ = zoom; }

    // Kills the click timers, clears the drag record and ends the drag.
    void ResetDrag();
    void SkipNextMove() { logic_.SkipNextMove(); }
    MovieMouseLogic& mouseLogic() { return logic_; }
    InertiaWorker& inertia() { return inertia_; }

    // The message shown when this camera has no movie while the other has one.
    QString NoMovieText() const;

protected:
    bool event(QEvent*) override;
    bool eventFilter(QObject*, QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    // MouseActions
    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    void ShowHandCursor(bool hand) override;
    void Capture(bool capture) override;
    void ClickZoom(QPoint point) override;
    void DoubleClickRoutine() override;
    void ResumeInertia() override;

    bool HandlePlayerMessage(const QEvent& e);
    void ApplyCursor();

    const UiResources& ui_;
    MovieViewOwner* owner_;
    int camera_;
    CameraPort* port_ = nullptr;
    player::CMoment* moment_ = nullptr;
    QWidget* video_ = nullptr;
    MovieMouseLogic logic_;
    InertiaWorker inertia_;
    std::map<int, QBasicTimer> timers_;
    std::atomic<int> displayMode_{3};
    int preferredMode_ = 3;
    bool glAvailable_ = false;
    bool holdsMovie_ = false;
    bool otherHoldsMovie_ = false;
    bool covered_ = false;
    bool inputEnabled_ = true;
    bool enlarge_ = false;
    bool sunken_ = true;
    bool hand_ = false;
    float zoom_ = 1.0f;
    QCursor magnifier_;
};

} // namespace kestrel
