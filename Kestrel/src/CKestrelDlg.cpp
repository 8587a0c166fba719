#include "CKestrelDlg.h"

#include "AppMessage.h"
#include "CContainerDialog.h"
#include "CControllerDlg.h"
#include "CLogoDlg.h"
#include "CMovieDialog.h"
#include "CMovieStatic.h"
#include "CMsgDlg.h"
#include "CSettingDlg.h"
#include "CSkinButton.h"
#include "CSkinSliderCtrl.h"
#include "GlCapability.h"
#include "KestrelCommands.h"
#include "PlayerCamera.h"
#include "SkinArt.h"
#include "StartupPrompts.h"

#include <playcore/RemovableDrives.h>
#include <playcore/Settings.h>
#include <player/CPlayer.h>
#include <player/CVideoWindow.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace kestrel {

namespace {

QIcon ApplicationIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    SkinArt::PaintLogo(p, QRect(0, 0, 64, 64));
    return QIcon(pixmap);
}

} // namespace

CKestrelDlg::CKestrelDlg(StartupPrompts& prompts)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), prompts_(prompts),
      layouter_(*this, ui_, children_, state_), commands_(std::make_unique<KestrelCommands>(*this)),
      ops_(player::MakePlayerOps()) {
    cameras_ = {&noMovie_[0], &noMovie_[1]};
    resize(kMainWindowSize);
    setMouseTracking(true);
}

CKestrelDlg::~CKestrelDlg() {
    ShutDown();
}

bool CKestrelDlg::Initialise() {
    setWindowIcon(ApplicationIcon());
    // Fonts, text row and the start directory (the settings file lives there).
    if (!ui_.Init(this)) {
        return false;
    }
    setWindowTitle(QStringLiteral("BrivonaS"));
    setFont(ui_.Font(10));

    // The saved position: centred on the screen the window starts on.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        state_.savedPosition = area.topLeft() + QPoint(std::max(0, (area.width() - 1120) / 2),
                                                       std::max(0, (area.height() - 700) / 2));
    }
    setGeometry(QRect(state_.savedPosition, kMainWindowSize));

    if (!CreateChildWindows(this, ui_, this, state_.shownCamera, children_)) {
        return false;
    }
    for (int i = 0; i < kBottomButtonCount; ++i) {
        CSkinButton* b = children_.bottomButtons[static_cast<size_t>(i)];
        connect(b, &QAbstractButton::clicked, this, [this, b] { OnCommand(b->commandId()); });
    }
    for (CSkinButton* b : children_.captionButtons) {
        connect(b, &QAbstractButton::clicked, this, [this, b] { OnCommand(b->commandId()); });
    }

    // First run: the file is missing; the defaults written now create it.
    const std::filesystem::path& startDir = ui_.startDirectory();
    const playcore::StartupSettings settings = playcore::LoadStartupSettings(startDir);
    startup_.settingsFileExisted = settings.fileExisted;
    startup_.hardwareDecode = settings.hardwareDecode;
    startup_.volume = settings.volume;
    startup_.modelSelect = settings.modelSelect;

    // Both cameras start without a movie; each view knows its camera.
    for (int camera = 0; camera < 2; ++camera) {
        children_.views[static_cast<size_t>(camera)]->SetCamera(
            cameras_[static_cast<size_t>(camera)], &moments_[static_cast<size_t>(camera)]);
    }
    children_.controller->SetCamera(cameras_[0], &moments_[0]);
    InitPlayerContexts();

    children_.settings = new CSettingDlg(this, ui_);

    layouter_.ApplyWindowed();
    ApplyVolume(startup_.volume);

    startup_.source =
        playcore::ChooseStartupSource(playcore::ListRemovableDrives(),
                                      [&startDir](std::string_view section, std::string_view key) {
                                          return playcore::ReadSetting(startDir, section, key);
                                      });

    if (!startup_.settingsFileExisted) {
        startup_.settingsFileExisted = true;
        const int choice = prompts_.SelectProduct(this, ui_);
        if (choice == 1 || choice == 2) {
            startup_.modelSelect = choice;
            playcore::WriteSettingNumber(startDir, playcore::settings::kDisplay,
                                         playcore::settings::kModelSelect, choice);
        }
    }

    csvAvailable_ = startup_.source.kind == playcore::SourceKind::Removable;
    RefreshButtonStates();
    children_.movieWindow->setWindowTitle(ui_.Text(165));

    PostAppMessage(this, UM_DEFERRED_START, 0, 0);
    return true;
}

void CKestrelDlg::InitPlayerContexts() {
    // Whether the OpenGL projection models can run is known before the video
    // windows exist: a window system without OpenGL gets none (the user is
    // told in the deferred start-up step).
    glAvailable_ = ProjectionModelsCanRun();
    for (int camera = 0; camera < 2; ++camera) {
        const auto i = static_cast<size_t>(camera);
        CMovieStatic* view = children_.views[i];
        player::CVideoWindow* video = nullptr;
        if (glAvailable_) {
            video = new player::CVideoWindow(view);
            view->SetVideoWindow(video);
        }
        playerCameras_[i] = std::make_unique<PlayerCamera>(contexts_[i], ops_, moments_[i]);
        // A context that initialised is usable with no movie open.
        if (ops_.Init(contexts_[i], video, ui_.Text(113))) {
            SetCameraPort(camera, playerCameras_[i].get());
        }
    }
    // The decode option goes to both contexts: the main camera's movie is
    // the one that profits most from hardware decoding.
    for (player::PlayerContext& context : contexts_) {
        ops_.SetDecodeOption(context, startup_.hardwareDecode ? 1 : 0);
    }
}

void CKestrelDlg::DeferredStart() {
    if (state_.started || shutDown_) {
        return;
    }
    layouter_.PlaceMapWindow(true);
    layouter_.PlaceSeparateMovieWindow();

    for (CMovieStatic* view : children_.views) {
        view->SetGlAvailable(glAvailable_);
    }
    if (!glAvailable_) {
        prompts_.ShowMessage(this, ui_, ui_.Text(154), QStringLiteral("ERROR"), MB_OK);
    }

    raise();
    activateWindow();
    state_.started = true;
    layouter_.RefreshMapWindow();
    emit startedUp();
}

void CKestrelDlg::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    state_.started = false;
    for (CMovieStatic* view : children_.views) {
        if (view != nullptr) {
            view->ResetDrag();
            view->inertia().Stop();
        }
    }
    if (children_.controller != nullptr) {
        children_.controller->EnableForDisplayMode(0);
    }
    if (children_.mapWindow != nullptr) {
        children_.mapWindow->hide();
    }
    // The views fall back to cameras without a movie before the contexts go.
    for (int camera = 0; camera < 2; ++camera) {
        SetCameraPort(camera, nullptr);
        const auto i = static_cast<size_t>(camera);
        if (contexts_[i].initialized) {
            ops_.Uninit(contexts_[i]);
        }
    }
}

void CKestrelDlg::SetCameraPort(int camera, CameraPort* port) {
    CameraPort* p = port != nullptr ? port : &noMovie_[static_cast<size_t>(camera)];
    cameras_[static_cast<size_t>(camera)] = p;
    if (!children_.created()) {
        return;
    }
    children_.views[static_cast<size_t>(camera)]->SetCamera(p,
                                                            &moments_[static_cast<size_t>(camera)]);
    if (camera == state_.shownCamera) {
        children_.controller->SetCamera(p, &moments_[static_cast<size_t>(camera)]);
    }
}

void CKestrelDlg::ApplyVolume(int volume) {
    startup_.volume = std::clamp(volume, 0, 65535);
    playcore::WriteSettingNumber(ui_.startDirectory(), playcore::settings::kDisplay,
                                 playcore::settings::kVolume, startup_.volume);
    if (children_.volumeSlider != nullptr) {
        children_.volumeSlider->SetPos(startup_.volume);
    }
}

void CKestrelDlg::RefreshButtonStates() {
    if (!children_.created()) {
        return;
    }
    for (CSkinButton* b : children_.captionButtons) {
        b->setEnabled(true);
    }
    // No recording list yet: only browse, settings and (for an SD card) CSV.
    for (int i = 0; i < kBottomButtonCount; ++i) {
        bool enabled = i == BtnBrowse || i == BtnSettings;
        if (i == BtnCsv) {
            enabled = csvAvailable_;
        }
        children_.bottomButtons[static_cast<size_t>(i)]->setEnabled(enabled);
    }
    children_.controller->EnableForDisplayMode(0);
}

void CKestrelDlg::ApplyLayout() {
    layouter_.Apply();
}

void CKestrelDlg::CycleLayout() {
    const Layout next = NextLayout(state_.layout);
    if (state_.layout == Layout::Small) {
        state_.mapEnabledBeforeLayout = state_.mapEnabled;
        state_.mapEnabled = false;
    } else if (next == Layout::Small) {
        state_.mapEnabled = state_.mapEnabledBeforeLayout;
    }
    state_.layout = next;
    layouter_.ApplyWindowed();
    layouter_.KeepWindowOnMonitor();
    update();
}

namespace {

// Runs a rearrangement with the camera paused, then returns it to playing or
// stopped as it was.
template <typename F> void WithPlaybackPaused(CameraPort& camera, F rearrange) {
    const int state = camera.HoldsMovie() ? camera.PlayState() : 0;
    if (state == 1 || state == 2) {
        camera.Pause();
    }
    rearrange();
    if (state == 2) {
        camera.Play();
    } else if (state == 1) {
        camera.Stop();
    }
}

} // namespace

void CKestrelDlg::EnterFullScreen() {
    WithPlaybackPaused(cameraPort(state_.shownCamera), [this] {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        layouter_.EnterFullScreen();
        show();
    });
}

void CKestrelDlg::LeaveFullScreen() {
    WithPlaybackPaused(cameraPort(state_.shownCamera), [this] {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        layouter_.LeaveFullScreen();
        show();
    });
}

void CKestrelDlg::OnCommand(int commandId) {
    commands_->OnCommand(commandId);
}

QImage CKestrelDlg::Screenshot() {
    QImage image = grab().toImage();
    CContainerDialog* map = children_.mapWindow;
    if (map != nullptr && map->isVisible()) {
        const QPoint at = map->geometry().topLeft() - geometry().topLeft();
        QPainter p(&image);
        p.drawPixmap(at, map->grab());
    }
    return image;
}

void CKestrelDlg::OnViewMenu(QPoint globalPos, int camera) {
    commands_->ShowViewMenu(globalPos, camera);
}

void CKestrelDlg::OnViewZoom(int camera, QPoint point) {
    commands_->ClickZoom(camera, point);
}

void CKestrelDlg::OnViewEnd(int) {}

void CKestrelDlg::OnViewReady(int) {}

void CKestrelDlg::OnGraphEvent() {}

void CKestrelDlg::OnViewDoubleClick(int camera) {
    commands_->DoubleClick(camera);
}

void CKestrelDlg::OnPlayerStep(int message, std::int64_t lParam) {
    PostAppMessage(this, message, 0, lParam);
}

bool CKestrelDlg::event(QEvent* e) {
    if (const AppMessage* m = AsAppMessage(e)) {
        if (commands_->OnMessage(*m)) {
            return true;
        }
    }
    return QWidget::event(e);
}

void CKestrelDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (state_.fullScreen) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    SkinArt::PaintMainBackground(p, rect());
    if (children_.created()) {
        const LayoutGeometry g = layouter_.CurrentGeometry();
        for (const Placement* area : {&g.graph, &g.infoPanel, &g.fileManager, &g.controller}) {
            if (area->visible) {
                SkinArt::PaintFrame(p, area->rect);
            }
        }
        SkinArt::PaintFrame(p, g.blackBands.empty() ? g.view : g.video);
        for (const QRect& band : g.blackBands) {
            p.fillRect(band, Qt::black);
        }
    }
    p.setFont(ui_.Font(10));
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(11, 4), QPoint(399, 29)),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("BrivonaS"));
}

void CKestrelDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !state_.fullScreen && !waitState_ && !toolRunning_) {
        dragger_.Press(this, event->position().toPoint(), event->globalPosition().toPoint());
    }
}

void CKestrelDlg::mouseMoveEvent(QMouseEvent* event) {
    const bool allowed = !waitState_ && !toolRunning_ && !state_.fullScreen;
    dragger_.Move(this, event->globalPosition().toPoint(), allowed);
}

void CKestrelDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragger_.dragging()) {
        dragger_.Release();
    }
}

void CKestrelDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    // In full screen the black bands around a panorama leave full screen too.
    if (event->button() == Qt::LeftButton && state_.fullScreen) {
        OnViewDoubleClick(state_.shownCamera);
    }
}

void CKestrelDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (state_.started && !state_.fullScreen) {
        layouter_.PlaceMapWindow(false);
    }
}

void CKestrelDlg::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && children_.created()) {
        layouter_.RefreshMapWindow();
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !isMinimized()) {
            // Restored: both cameras take their stored zoom and pan again.
            cameraPort(0).ReapplyZoom();
            cameraPort(1).ReapplyZoom();
        }
    }
}

void CKestrelDlg::closeEvent(QCloseEvent* event) {
    ShutDown();
    QWidget::closeEvent(event);
}

void CKestrelDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never close the main window; it has no shortcuts of its own.
    event->accept();
}

void CKestrelDlg::timerEvent(QTimerEvent* event) {
    QWidget::timerEvent(event);
}

} // namespace kestrel
