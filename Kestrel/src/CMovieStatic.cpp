#include "CMovieStatic.h"

#include "AppMessage.h"
#include "CameraPort.h"
#include "MovieViewOwner.h"
#include "SkinArt.h"
#include "UiResources.h"

#include <player/PlayerMessages.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CMovieStatic::CMovieStatic(QWidget* parent, const UiResources& ui, MovieViewOwner* owner,
                           int camera)
    : QWidget(parent), ui_(ui), owner_(owner), camera_(camera),
      logic_(*this, QApplication::doubleClickInterval()), magnifier_(SkinArt::MagnifierCursor()) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    inertia_.Bind(nullptr, nullptr, [this] { return displayMode_.load(); });
}

CMovieStatic::~CMovieStatic() {
    inertia_.Stop();
}

void CMovieStatic::SetCamera(CameraPort* camera, player::CMoment* moment) {
    port_ = camera;
    moment_ = moment;
    logic_.SetCamera(camera, moment);
    if (camera != nullptr) {
        camera->SetViewSize(width(), height());
    }
    inertia_.Bind(camera, moment, [this] { return displayMode_.load(); });
}

void CMovieStatic::SetVideoWindow(QWidget* video) {
    if (video_ != nullptr) {
        video_->removeEventFilter(this);
    }
    video_ = video;
    if (video_ != nullptr) {
        video_->setParent(this);
        video_->setGeometry(rect());
        video_->setMouseTracking(true);
        video_->installEventFilter(this);
        // The video window only covers the view while its camera holds a
        // movie; otherwise the idle picture and the no-data text show.
        video_->setVisible(holdsMovie_);
    }
}

void CMovieStatic::SetDisplayMode(int mode) {
    displayMode_ = mode;
    logic_.SetDisplayMode(mode);
}

void CMovieStatic::SetHoldsMovie(bool holds, bool otherHolds) {
    holdsMovie_ = holds;
    otherHoldsMovie_ = otherHolds;
    if (video_ != nullptr) {
        video_->setVisible(holds);
    }
    update();
}

void CMovieStatic::SetCovered(bool covered) {
    covered_ = covered;
    update();
}

void CMovieStatic::SetInputEnabled(bool enabled) {
    inputEnabled_ = enabled;
    logic_.SetInputEnabled(enabled);
}

void CMovieStatic::SetSunken(bool sunken) {
    sunken_ = sunken;
    update();
}

void CMovieStatic::SetEnlarge(bool on) {
    enlarge_ = on;
    ApplyCursor();
}

void CMovieStatic::ResetDrag() {
    logic_.ResetDrag();
}

QString CMovieStatic::NoMovieText() const {
    return ui_.Text(camera_ == 0 ? 195 : 196);
}

void CMovieStatic::ApplyCursor() {
    if (enlarge_) {
        setCursor(magnifier_);
    } else if (hand_) {
        setCursor(Qt::OpenHandCursor);
    } else {
        unsetCursor();
    }
    if (video_ != nullptr) {
        video_->setCursor(cursor());
    }
}

bool CMovieStatic::HandlePlayerMessage(const QEvent& e) {
    const int type = static_cast<int>(e.type());
    switch (type) {
    case UM_STEP_FRAME:
    case UM_STEP_END:
        if (const auto* m = dynamic_cast<const player::PlayerEvent*>(&e)) {
            if (owner_ != nullptr) {
                owner_->OnPlayerStep(type, m->lParam());
            }
            return true;
        }
        return false;
    case UM_GRAPH_EVENT:
        // Each fallback-player event is handled once: by the rear view, or by
        // the main view when there is no rear movie.
        if (owner_ != nullptr && (camera_ == 1 || !otherHoldsMovie_)) {
            owner_->OnGraphEvent();
        }
        return true;
    case UM_PLAYER_END:
        if (owner_ != nullptr) {
            owner_->OnViewEnd(camera_);
        }
        return true;
    case UM_PLAYER_READY:
        if (owner_ != nullptr) {
            owner_->OnViewReady(camera_);
        }
        return true;
    case UM_PLAYER_PAUSED:
        return true;
    default:
        break;
    }
    return false;
}

bool CMovieStatic::event(QEvent* e) {
    if (HandlePlayerMessage(*e)) {
        return true;
    }
    return QWidget::event(e);
}

bool CMovieStatic::eventFilter(QObject* watched, QEvent* e) {
    if (watched != video_) {
        return QWidget::eventFilter(watched, e);
    }
    if (HandlePlayerMessage(*e)) {
        return true;
    }
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
        // The video window's input belongs to the view; coordinates coincide
        // because the video window fills it.
        QApplication::sendEvent(this, e);
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void CMovieStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = rect();
    bool idle = true;
    if (!covered_ && holdsMovie_ && port_ != nullptr) {
        if (port_->PlayState() == 2) {
            idle = false; // the presenter draws
        } else if (camera_ == 1 || glAvailable_) {
            port_->Repaint();
            idle = false;
        }
    }
    if (idle || video_ == nullptr) {
        SkinArt::PaintIdleBackground(p, area);
    }
    if (!covered_ && !holdsMovie_ && otherHoldsMovie_) {
        p.setFont(ui_.Font(13));
        p.setPen(QColor(230, 232, 236));
        p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, NoMovieText());
    }
    if (sunken_) {
        p.setPen(QColor(18, 20, 24));
        p.drawLine(area.topLeft(), area.topRight());
        p.drawLine(area.topLeft(), area.bottomLeft());
        p.setPen(QColor(96, 102, 114));
        p.drawLine(area.bottomLeft(), area.bottomRight());
        p.drawLine(area.topRight(), area.bottomRight());
    }
}

void CMovieStatic::resizeEvent(QResizeEvent* event) {
    if (video_ != nullptr) {
        video_->setGeometry(rect());
    }
    if (port_ != nullptr) {
        port_->SetViewSize(width(), height());
    }
    QWidget::resizeEvent(event);
}

void CMovieStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        logic_.Press(event->position().toPoint());
    }
}

void CMovieStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        logic_.Release(event->position().toPoint());
    }
}

void CMovieStatic::mouseMoveEvent(QMouseEvent* event) {
    logic_.Move(event->position().toPoint());
}

void CMovieStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        logic_.DoubleClick();
    }
}

void CMovieStatic::contextMenuEvent(QContextMenuEvent* event) {
    if (owner_ != nullptr) {
        owner_->OnViewMenu(event->globalPos(), camera_);
    }
}

void CMovieStatic::wheelEvent(QWheelEvent* event) {
    // The wheel does nothing in a movie view.
    event->accept();
}

void CMovieStatic::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timerId() == event->timerId()) {
            logic_.TimerFired(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CMovieStatic::StartTimer(int id, int milliseconds) {
    timers_[id].start(milliseconds, this);
}

void CMovieStatic::KillTimer(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second.stop();
    }
}

void CMovieStatic::ShowHandCursor(bool hand) {
    hand_ = hand;
    ApplyCursor();
}

void CMovieStatic::Capture(bool capture) {
    // Qt keeps the mouse with the pressed widget until the release; only an
    // explicit release of a grab made elsewhere is needed.
    if (!capture && QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void CMovieStatic::ClickZoom(QPoint point) {
    if (owner_ != nullptr) {
        owner_->OnViewZoom(camera_, point);
    }
}

void CMovieStatic::DoubleClickRoutine() {
    if (owner_ != nullptr) {
        owner_->OnViewDoubleClick(camera_);
    }
}

void CMovieStatic::ResumeInertia() {
    inertia_.Resume();
}

} // namespace kestrel
