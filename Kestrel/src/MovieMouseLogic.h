// The mouse rules of a movie view, without the window: drags in display modes
// 3 to 5 (panorama turns only sideways), the velocity record for flings, the
// fling test (release direction within 30 degrees of the last velocity), and
// the click / double-click timers 200 (press), 201 (single click) and 202
// (double-click guard). The window feeds it events and carries out its
// requests through MouseActions.
#pragma once

#include <player/CMoment.h>

#include <QPoint>

namespace kestrel {

class CameraPort;

enum MovieTimer : int { kTimerPress = 200, kTimerClick = 201, kTimerDoubleGuard = 202 };

class MouseActions {
public:
    virtual ~MouseActions() = default;
    virtual void StartTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    virtual void ShowHandCursor(bool hand) = 0;
    virtual void Capture(bool capture) = 0;
    // A single click at the point (the main window's click zoom).
    virtual void ClickZoom(QPoint point) = 0;
    // The main window's double-click routine (camera switch, full screen).
    virtual void DoubleClickRoutine() = 0;
    // Starts the inertia of a fling.
    virtual void ResumeInertia() = 0;
};

// Whether a release is a fling: the pointer moved, the velocity is non-zero
// and the cosine between the press-to-release vector and the velocity
// exceeds cos(30 degrees).
bool IsFling(QPoint press, QPoint release, int velocityX, int velocityY);

class MovieMouseLogic {
public:
    static constexpr int kVelocityLimit = 100;
    static constexpr int kStillVelocity = 3;
    static constexpr int kDoubleGuardMs = 500;

    MovieMouseLogic(MouseActions& actions, int doubleClickMs)
        : actions_(actions), doubleClickMs_(doubleClickMs) {}

    void SetCamera(CameraPort* camera, player::CMoment* moment) {
        camera_ = camera;
        moment_ = moment;
    }
    void SetDisplayMode(int mode) { displayMode_ = mode; }
    int displayMode() const { return displayMode_; }
    void SetInputEnabled(bool enabled) { inputEnabled_ = enabled; }
    void SkipNextMove() { skipNextMove_ = true; }

    void Move(QPoint p);
    void Press(QPoint p);
    void Release(QPoint p);
    void DoubleClick();
    void TimerFired(int id);
    // Kills the click timers, clears the drag record and ends the drag.
    void ResetDrag();

    bool buttonDown() const { return buttonDown_; }
    bool doubleClickGuard() const { return doubleGuard_; }

private:
    MouseActions& actions_;
    int doubleClickMs_;
    CameraPort* camera_ = nullptr;
    player::CMoment* moment_ = nullptr;
    int displayMode_ = 3;
    bool inputEnabled_ = true;
    bool buttonDown_ = false;
    bool buttonUp_ = true;
    bool doubleGuard_ = false;
    bool movingAtPress_ = false;
    bool skipNextMove_ = false;
    QPoint press_;
    QPoint last_;
    QPoint release_;
};

} // namespace kestrel
