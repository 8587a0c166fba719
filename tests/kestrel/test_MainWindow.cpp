// The main window as a whole: first run, the product selection, the layouts
// and full screen on real widgets, the caption drag band, the layout tool
// tip, the settings dialog and its toggle message. Screenshots of the layouts
// go to BRIVONA_BUILD_DIR/artifacts/kestrel for a person to look at.
#include "KestrelTestApp.h"

#include "AppMessage.h"
#include "CContainerDialog.h"
#include "CKestrelDlg.h"
#include "CModelSelectDlg.h"
#include "CMovieDialog.h"
#include "CMovieStatic.h"
#include "CPanelHost.h"
#include "CSettingDlg.h"
#include "CSkinButton.h"
#include "CSkinCheckButton.h"
#include "CSkinSliderCtrl.h"
#include "KestrelCommands.h"
#include "MovieMenuModel.h"
#include "StartupPrompts.h"
#include "TestSupport.h"

#include <playcore/Settings.h>

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kestrel;

namespace {

class FakePrompts : public StartupPrompts {
public:
    int productAnswer = 1;
    int productQuestions = 0;
    std::vector<QString> messages;

    int SelectProduct(QWidget*, const UiResources&) override {
        ++productQuestions;
        return productAnswer;
    }
    int ShowMessage(QWidget*, const UiResources&, const QString& text, const QString& caption,
                    int) override {
        messages.push_back(caption + QStringLiteral(": ") + text);
        return 1;
    }
};

// Runs the main window in a start directory of its own.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        kestreltest::App();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    std::unique_ptr<CKestrelDlg> Start() {
        auto dlg = std::make_unique<CKestrelDlg>(prompts_);
        dlg->show();
        EXPECT_TRUE(dlg->Initialise());
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg->started());
        return dlg;
    }

    testsupport::TempDir dir_;
    std::filesystem::path previous_;
    FakePrompts prompts_;
};

} // namespace

TEST_F(MainWindow, FirstRunWritesTheDefaultsAndTheChosenProduct) {
    prompts_.productAnswer = 2;
    {
        auto dlg = Start();
        EXPECT_EQ(prompts_.productQuestions, 1);
        EXPECT_EQ(dlg->startup().modelSelect, 2);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("BrivonaS"));
        if (!dlg->glAvailable()) {
            ASSERT_EQ(prompts_.messages.size(), 1u);
            EXPECT_EQ(prompts_.messages[0], QStringLiteral("ERROR: ") + dlg->ui().Text(154));
        }
    }
    const std::string ini = testsupport::ReadFileBytes(dir_ / "Default_Folder.ini");
    for (const char* line : {"INFOCHECK=31", "ASPECT=on", "VOLUME=65535", "MODELSELECT=2"}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
    }
    EXPECT_EQ(playcore::ReadSetting(dir_.path(), "DISPLAY", "MODELSELECT"), "2");

    // The second start reads the product and does not ask again.
    prompts_.productAnswer = 1;
    auto again = Start();
    EXPECT_EQ(prompts_.productQuestions, 1);
    EXPECT_EQ(again->startup().modelSelect, 2);
    EXPECT_TRUE(again->startup().settingsFileExisted);
}

TEST_F(MainWindow, ProductSelectionDialog) {
    UiResources ui;
    {
        CModelSelectDlg dialog(nullptr, ui);
        EXPECT_EQ(dialog.size(), QSize(640, 135));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("製品選択"));
        EXPECT_EQ(dialog.okButton()->geometry(), QRect(90, 78, 212, 32));
        EXPECT_EQ(dialog.cancelButton()->geometry(), QRect(332, 78, 212, 32));
        EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("TR80A"));
        QTimer::singleShot(30, &dialog, [&dialog] { dialog.okButton()->click(); });
        EXPECT_EQ(dialog.exec(), 1);
    }
    {
        CModelSelectDlg dialog(nullptr, ui);
        QTimer::singleShot(30, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        EXPECT_EQ(dialog.exec(), 2);
    }
    {
        CModelSelectDlg dialog(nullptr, ui);
        QTimer::singleShot(30, &dialog, [&dialog] { dialog.closeButton()->click(); });
        EXPECT_EQ(dialog.exec(), 2);
    }
}

TEST_F(MainWindow, LayoutsPlaceTheChildrenAndNameTheNextLayout) {
    auto dlg = Start();
    KestrelChildren& c = dlg->children();
    const QPoint saved = dlg->windowState().savedPosition;
    const char* names[] = {"layout_small", "layout_medium", "layout_large"};
    const char* tips[] = {"中", "大", "小"};
    for (int i = 0; i < 3; ++i) {
        const Layout layout = static_cast<Layout>(i);
        ASSERT_EQ(dlg->windowState().layout, layout);
        const LayoutGeometry g = ComputeWindowedLayout(layout, false);
        EXPECT_EQ(dlg->size(), QSize(1120, 700));
        EXPECT_EQ(c.views[0]->geometry(), g.view) << names[i];
        EXPECT_EQ(c.views[0]->parentWidget(), dlg.get());
        EXPECT_EQ(c.fileManager->isVisibleTo(dlg.get()), g.fileManager.visible);
        if (g.fileManager.visible) {
            EXPECT_EQ(c.fileManager->geometry(), g.fileManager.rect);
        }
        EXPECT_EQ(c.positionSlider->geometry(), g.positionSlider.rect);
        EXPECT_EQ(c.graph->isVisibleTo(dlg.get()), g.graph.visible);
        for (size_t b = 0; b < c.bottomButtons.size(); ++b) {
            EXPECT_EQ(c.bottomButtons[b]->isVisibleTo(dlg.get()), g.bottomButtons[b].visible);
            if (g.bottomButtons[b].visible) {
                EXPECT_EQ(c.bottomButtons[b]->geometry(), g.bottomButtons[b].rect);
            }
        }
        EXPECT_EQ(c.captionButtons[CapLayout]->toolTip(), QString::fromUtf8(tips[i]));
        // The map window floats next to the video only in the small layout.
        EXPECT_EQ(c.mapWindow->isVisible(), layout == Layout::Small);
        kestreltest::SaveArtifact(dlg->Screenshot(), QString::fromLatin1(names[i]));
        // The user drags the window away; the next layout puts it back.
        // (On a screen smaller than the window the keep-on-monitor rule then
        // moves it as far as it must.)
        dlg->move(saved + QPoint(37, 21));
        dlg->OnCommand(CmdLayout);
        QCoreApplication::processEvents();
        const EdgeRect savedRect{saved.x(), saved.y(), saved.x() + 1120, saved.y() + 700};
        const EdgeRect kept = KeepOnMonitor(savedRect, CurrentMonitors());
        EXPECT_EQ(dlg->pos(), QPoint(kept.left, kept.top));
    }
    EXPECT_EQ(dlg->windowState().layout, Layout::Small);
    EXPECT_TRUE(c.mapWindow->isVisible()); // the map comes back with the small layout
    // The separate movie window holds the rear view and never shows.
    EXPECT_EQ(c.views[1]->parentWidget(), c.movieWindow.get());
    EXPECT_EQ(c.views[1]->geometry(), QRect(0, 20, 640, 360));
    EXPECT_FALSE(c.movieWindow->isVisible());
    EXPECT_EQ(c.movieWindow->windowTitle(), QStringLiteral("リヤカメラ"));
}

TEST_F(MainWindow, MapWindowSitsAtTheVideosTopRightCorner) {
    auto dlg = Start();
    KestrelChildren& c = dlg->children();
    ASSERT_TRUE(c.mapWindow->isVisible());
    EXPECT_EQ(c.mapWindow->geometry(),
              QRect(dlg->geometry().topLeft() + QPoint(739, 26), QSize(374, 430)));
    EXPECT_EQ(c.mapWindow->windowTitle(), QStringLiteral("マップ"));
    // The map switch hides and shows it in the small layout.
    dlg->OnCommand(38012);
    EXPECT_FALSE(c.mapWindow->isVisible());
    dlg->OnCommand(38012);
    EXPECT_TRUE(c.mapWindow->isVisible());
    // Minimising hides it.
    dlg->OnCommand(CmdMinimise);
    QCoreApplication::processEvents();
    EXPECT_FALSE(c.mapWindow->isVisible());
}

TEST_F(MainWindow, FullScreenCoversTheMonitorAndComesBack) {
    auto dlg = Start();
    KestrelChildren& c = dlg->children();
    const QRect windowed = dlg->geometry();
    for (bool panorama : {false, true}) {
        c.views[0]->SetDisplayMode(panorama ? 4 : 3);
        dlg->EnterFullScreen();
        QCoreApplication::processEvents();
        const QRect monitor = dlg->screen()->geometry();
        const FullScreenGeometry g = ComputeFullScreen(monitor, panorama);
        EXPECT_EQ(dlg->geometry(), monitor);
        EXPECT_EQ(c.views[0]->geometry(), g.view);
        for (CSkinButton* b : c.bottomButtons) {
            EXPECT_FALSE(b->isVisible());
        }
        EXPECT_FALSE(c.positionSlider->isVisible());
        EXPECT_FALSE(c.mapWindow->isVisible());
        kestreltest::SaveArtifact(dlg->Screenshot(), panorama
                                                         ? QStringLiteral("fullscreen_panorama")
                                                         : QStringLiteral("fullscreen"));
        dlg->LeaveFullScreen();
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg->geometry(), windowed);
        EXPECT_TRUE(c.bottomButtons[0]->isVisible());
    }
    // Small layout with a panorama view: the bands and the lowered file manager.
    dlg->ApplyLayout();
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Small, true);
    EXPECT_EQ(c.views[0]->geometry(), QRect(7, 71, 1106, 322));
    EXPECT_EQ(c.fileManager->geometry(), g.fileManager.rect);
    kestreltest::SaveArtifact(dlg->Screenshot(), QStringLiteral("layout_small_panorama"));

    // Entering by double click needs a loaded movie; leaving is always allowed.
    FullScreenGate gate;
    EXPECT_FALSE(FullScreenToggleAllowed(gate));
    gate = {true, true, 3, false, 0, true, false, 100, 200};
    EXPECT_TRUE(FullScreenToggleAllowed(gate));
    gate.position = 190; // 10 frames before the end
    EXPECT_FALSE(FullScreenToggleAllowed(gate));
    gate.position = 100;
    gate.glAvailable = false;
    EXPECT_FALSE(FullScreenToggleAllowed(gate));
    gate.shownCamera = 1;
    EXPECT_TRUE(FullScreenToggleAllowed(gate));
    gate.shownViewEnlarged = true;
    EXPECT_FALSE(FullScreenToggleAllowed(gate));
    EXPECT_TRUE(FullScreenToggleAllowed({false, false, 0, true, 0, false, false, 0, 0}));
}

TEST_F(MainWindow, OnlyTheTopTwentySixPixelsDragTheWindow) {
    auto dlg = Start();
    const QPoint start = dlg->pos();
    auto drag = [&](int y) {
        const QPoint at(300, y);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(dlg->mapToGlobal(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.get(), &press);
        const QPoint to = dlg->mapToGlobal(at) + QPoint(40, 30);
        QMouseEvent move(QEvent::MouseMove, QPointF(dlg->mapFromGlobal(to)), QPointF(to),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.get(), &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(dlg->mapFromGlobal(to)),
                            QPointF(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.get(), &release);
    };
    drag(26);
    EXPECT_EQ(dlg->pos(), start);
    drag(25);
    EXPECT_EQ(dlg->pos(), start + QPoint(40, 30));
    // The map window follows the main window.
    EXPECT_EQ(dlg->children().mapWindow->geometry().topLeft(), dlg->pos() + QPoint(739, 26));
}

TEST_F(MainWindow, SettingsDialogToggleReachesTheMainWindow) {
    auto dlg = Start();
    CSettingDlg* settings = dlg->children().settings;
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->isVisible());
    dlg->OnCommand(CmdSettings);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->size(), QSize(720, 480));
    EXPECT_EQ(settings->pos(), dlg->screen()->geometry().center() - QPoint(360, 240));
    EXPECT_TRUE(settings->viewerText()->text().endsWith(QStringLiteral("：BrivonaS")));
    EXPECT_TRUE(settings->parkingImpact());
    kestreltest::SaveArtifact(settings->grab().toImage(), QStringLiteral("settings_dialog"));

    // Each toggle posts one UM_SETTING_CHANGED (wParam 0, lParam the new state).
    settings->toggle()->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(settings->parkingImpact());
    EXPECT_FALSE(dlg->graphParkingImpact());
    settings->closeButton()->click();
    EXPECT_FALSE(settings->isVisible());
    dlg->OnCommand(CmdSettings);
    EXPECT_FALSE(settings->parkingImpact()); // hidden, not destroyed
    settings->toggle()->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(dlg->graphParkingImpact());

    QUrl opened;
    settings->SetLinkOpener([&opened](const QUrl& url) { opened = url; });
    emit settings->link()->linkActivated(ViewerDownloadUrl().toString());
    EXPECT_EQ(opened.path(), QStringLiteral("/0_recorder/viewer/Brivona/viewer.html"));
    EXPECT_EQ(BuildYearFromDate("May  8 2023"), QStringLiteral("2023"));
    EXPECT_TRUE(settings->versionText()->text().contains(BuildYearFromDate(__DATE__)));
}

TEST_F(MainWindow, SettingsToggleMessageValues) {
    UiResources ui;
    struct Target : QWidget {
        std::vector<std::pair<std::int64_t, std::int64_t>> got;
        bool event(QEvent* e) override {
            if (const AppMessage* m = AsAppMessage(e); m && m->id() == UM_SETTING_CHANGED) {
                got.emplace_back(m->wParam(), m->lParam());
                return true;
            }
            return QWidget::event(e);
        }
    } main;
    CSettingDlg settings(&main, ui);
    settings.toggle()->click();
    settings.toggle()->click();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(main.got.size(), 2u);
    EXPECT_EQ(main.got[0], (std::pair<std::int64_t, std::int64_t>(0, 0)));
    EXPECT_EQ(main.got[1], (std::pair<std::int64_t, std::int64_t>(0, 1)));
    EXPECT_EQ(main.got[0].first, 0);
    EXPECT_EQ(UM_SETTING_CHANGED, 0x81F5);
}

TEST_F(MainWindow, EnlargeClicksCycleTheZoom) {
    auto dlg = Start();
    KestrelChildren& c = dlg->children();
    // Without the enlarge state a click does not zoom.
    dlg->OnViewZoom(0, QPoint(100, 100));
    EXPECT_FLOAT_EQ(dlg->moment(0).zoom, 1.0f);
    dlg->OnCommand(38008);
    EXPECT_TRUE(c.views[0]->enlarge());
    EXPECT_TRUE(c.views[1]->enlarge());
    EXPECT_EQ(c.views[0]->cursor().shape(), Qt::BitmapCursor); // the magnifier
    for (float expected : {2.0f, 3.0f, 1.0f, 2.0f}) {
        dlg->OnViewZoom(0, QPoint(100, 100));
        EXPECT_FLOAT_EQ(dlg->moment(0).zoom, expected);
        EXPECT_FLOAT_EQ(c.views[0]->zoomFactor(), expected);
    }
    dlg->OnCommand(38008);
    EXPECT_FALSE(c.views[0]->enlarge());
    EXPECT_NE(c.views[0]->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(MainWindow, FullScreenPausesPlaybackWhileItRearranges) {
    auto dlg = Start();
    struct Fake : CameraPort {
        int state = 2;
        std::vector<std::string> calls;
        bool HoldsMovie() const override { return true; }
        int PlayState() const override { return state; }
        int SpeedCode() const override { return 1; }
        bool DragBy(int, int) override { return true; }
        void EndDrag() override {}
        void ResetView() override {}
        void Repaint() override {}
        void Play() override { calls.push_back("play"); }
        void Pause() override { calls.push_back("pause"); }
        void Stop() override { calls.push_back("stop"); }
    } camera;
    dlg->SetCameraPort(0, &camera);
    dlg->EnterFullScreen();
    EXPECT_EQ(camera.calls, (std::vector<std::string>{"pause", "play"}));
    camera.calls.clear();
    camera.state = 1;
    dlg->LeaveFullScreen();
    EXPECT_EQ(camera.calls, (std::vector<std::string>{"pause", "stop"}));
    camera.calls.clear();
    camera.state = 3; // paused stays paused
    dlg->EnterFullScreen();
    dlg->LeaveFullScreen();
    EXPECT_TRUE(camera.calls.empty());
    dlg->SetCameraPort(0, nullptr);
}
