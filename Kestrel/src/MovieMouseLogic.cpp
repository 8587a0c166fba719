#include "MovieMouseLogic.h"

#include "CameraPort.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrel {

bool IsFling(QPoint press, QPoint release, int velocityX, int velocityY) {
    const double mx = release.x() - press.x();
    const double my = release.y() - press.y();
    const double moved = std::hypot(mx, my);
    const double speed = std::hypot(static_cast<double>(velocityX), static_cast<double>(velocityY));
    if (moved <= 0.0 || speed <= 0.0) {
        return false;
    }
    const double cosine = (mx * velocityX + my * velocityY) / (moved * speed);
    return cosine > 0.8660254;
}

void MovieMouseLogic::Move(QPoint p) {
    if (!inputEnabled_) {
        return;
    }
    if (buttonDown_ && !skipNextMove_ && displayMode_ >= 3 && displayMode_ <= 5 &&
        moment_ != nullptr) {
        moment_->velocityX = std::clamp(p.x() - last_.x(), -kVelocityLimit, kVelocityLimit);
        moment_->velocityY = std::clamp(p.y() - last_.y(), -kVelocityLimit, kVelocityLimit);
        // The drag is measured from the press point: the context turns the
        // committed view by the whole movement so far, so the picture follows
        // the pointer. The panorama turns only sideways.
        const int dx = p.x() - press_.x();
        const int dy = displayMode_ == 4 ? 0 : p.y() - press_.y();
        if (camera_ != nullptr && !camera_->DragBy(dx, dy)) {
            moment_->Clear();
            camera_->EndDrag();
        }
    }
    last_ = p;
    skipNextMove_ = false;
}

void MovieMouseLogic::Press(QPoint p) {
    if (!inputEnabled_) {
        return;
    }
    buttonUp_ = false;
    buttonDown_ = true;
    press_ = p;
    last_ = p;
    if (!doubleGuard_) {
        if (displayMode_ == 3 || displayMode_ == 4) {
            actions_.ShowHandCursor(true);
        }
        if (moment_ != nullptr) {
            movingAtPress_ = std::abs(moment_->velocityX) > kStillVelocity ||
                             std::abs(moment_->velocityY) > kStillVelocity;
            moment_->Clear();
            moment_->dragStartX = p.x();
            moment_->dragStartY = p.y();
        }
        if (camera_ != nullptr) {
            camera_->EndDrag();
        }
        actions_.KillTimer(kTimerPress);
        actions_.StartTimer(kTimerPress, doubleClickMs_);
    }
    actions_.Capture(true);
}

void MovieMouseLogic::Release(QPoint p) {
    if (!inputEnabled_) {
        return;
    }
    buttonUp_ = true;
    buttonDown_ = false;
    if (doubleGuard_) {
        doubleGuard_ = false;
    } else {
        release_ = p;
        if (camera_ != nullptr) {
            camera_->EndDrag();
        }
        const int vx = moment_ != nullptr ? moment_->velocityX : 0;
        const int vy = moment_ != nullptr ? moment_->velocityY : 0;
        const bool still = std::abs(vx) <= kStillVelocity && std::abs(vy) <= kStillVelocity;
        if (still) {
            actions_.StartTimer(kTimerClick, doubleClickMs_);
        }
        // A slow release is a click candidate, never a fling.
        if (!still && (displayMode_ == 3 || displayMode_ == 4) && p != press_ &&
            IsFling(press_, p, vx, vy)) {
            actions_.ResumeInertia();
        }
    }
    actions_.ShowHandCursor(false);
    actions_.Capture(false);
}

void MovieMouseLogic::DoubleClick() {
    if (!inputEnabled_) {
        return;
    }
    actions_.Capture(false);
    actions_.KillTimer(kTimerPress);
    actions_.KillTimer(kTimerClick);
    buttonDown_ = false;
    doubleGuard_ = true;
    actions_.ShowHandCursor(false);
    actions_.DoubleClickRoutine();
    actions_.StartTimer(kTimerDoubleGuard, kDoubleGuardMs);
}

void MovieMouseLogic::TimerFired(int id) {
    actions_.KillTimer(id);
    switch (id) {
    case kTimerClick:
        if (release_ == press_) {
            actions_.ClickZoom(press_);
        }
        break;
    case kTimerDoubleGuard:
        if (!buttonDown_) {
            doubleGuard_ = false;
        }
        break;
    default:
        break;
    }
}

void MovieMouseLogic::ResetDrag() {
    actions_.KillTimer(kTimerPress);
    actions_.KillTimer(kTimerClick);
    if (moment_ != nullptr) {
        moment_->Clear();
    }
    if (camera_ != nullptr) {
        camera_->EndDrag();
    }
}

} // namespace kestrel
