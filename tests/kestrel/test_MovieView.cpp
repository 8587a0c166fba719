// The movie view's mouse rules, fling inertia and context menu, and the
// controller pad's placement, enabling and hold worker.
#include "KestrelTestApp.h"

#include "AppMessage.h"
#include "CControllerDlg.h"
#include "CMovieMenu.h"
#include "CMovieStatic.h"
#include "CSkinButton.h"
#include "CameraPort.h"
#include "InertiaWorker.h"
#include "MovieMenuModel.h"
#include "MovieMouseLogic.h"
#include "MovieViewOwner.h"
#include "PadPlacement.h"
#include "PadWorker.h"
#include "UiResources.h"

#include <player/PlayerMessages.h>

#include <QTest>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace kestrel;

namespace {

// A camera that records what it was asked to do.
class RecordingCamera : public CameraPort {
public:
    struct Drag {
        int dx;
        int dy;
    };
    bool refuse = false;

    bool HoldsMovie() const override { return true; }
    int PlayState() const override { return 2; }
    int SpeedCode() const override { return 1; }
    bool DragBy(int dx, int dy) override {
        std::lock_guard<std::mutex> lock(m);
        drags.push_back({dx, dy});
        return !refuse;
    }
    void EndDrag() override {
        std::lock_guard<std::mutex> lock(m);
        ++endDrags;
    }
    void ResetView() override {
        std::lock_guard<std::mutex> lock(m);
        ++resets;
    }
    void Repaint() override {}

    std::vector<Drag> Drags() {
        std::lock_guard<std::mutex> lock(m);
        return drags;
    }
    int Resets() {
        std::lock_guard<std::mutex> lock(m);
        return resets;
    }

    std::mutex m;
    std::vector<Drag> drags;
    int endDrags = 0;
    int resets = 0;
};

class RecordingActions : public MouseActions {
public:
    std::vector<int> started;
    std::vector<int> killed;
    std::vector<QPoint> zooms;
    int doubleClicks = 0;
    int flings = 0;

    void StartTimer(int id, int) override { started.push_back(id); }
    void KillTimer(int id) override { killed.push_back(id); }
    void ShowHandCursor(bool) override {}
    void Capture(bool) override {}
    void ClickZoom(QPoint p) override { zooms.push_back(p); }
    void DoubleClickRoutine() override { ++doubleClicks; }
    void ResumeInertia() override { ++flings; }
};

class MovieView : public ::testing::Test {
protected:
    void SetUp() override { kestreltest::App(); }
};

} // namespace

TEST_F(MovieView, DragsFollowThePointerAndThePanoramaOnlySideways) {
    RecordingActions actions;
    RecordingCamera camera;
    player::CMoment moment;
    MovieMouseLogic logic(actions, 400);
    logic.SetCamera(&camera, &moment);

    for (int mode : {3, 4, 5}) {
        camera.drags.clear();
        logic.SetDisplayMode(mode);
        logic.Press(QPoint(100, 100));
        logic.Move(QPoint(110, 120));
        logic.Move(QPoint(130, 150));
        logic.Release(QPoint(130, 150));
        ASSERT_EQ(camera.drags.size(), 2u) << mode;
        EXPECT_EQ(camera.drags[1].dx, 30) << mode;
        EXPECT_EQ(camera.drags[1].dy, mode == 4 ? 0 : 50) << mode;
        EXPECT_EQ(moment.velocityX, 20);
        EXPECT_EQ(moment.velocityY, 30);
    }
    // Split and round views do not turn by dragging.
    camera.drags.clear();
    logic.SetDisplayMode(1);
    logic.Press(QPoint(0, 0));
    logic.Move(QPoint(50, 50));
    EXPECT_TRUE(camera.drags.empty());
    logic.Release(QPoint(50, 50));

    // The velocity is limited to 100 pixels per message.
    logic.SetDisplayMode(3);
    logic.Press(QPoint(0, 0));
    logic.Move(QPoint(500, -300));
    EXPECT_EQ(moment.velocityX, 100);
    EXPECT_EQ(moment.velocityY, -100);
    logic.Release(QPoint(500, -300));

    // A refused drag clears the record and ends the drag.
    camera.refuse = true;
    logic.Press(QPoint(0, 0));
    const int endsBefore = camera.endDrags;
    logic.Move(QPoint(40, 0));
    EXPECT_EQ(moment.velocityX, 0);
    EXPECT_EQ(camera.endDrags, endsBefore + 1);
}

TEST_F(MovieView, FlingNeedsSpeedAndTheDirectionOfTheLastMovement) {
    EXPECT_TRUE(IsFling(QPoint(0, 0), QPoint(100, 0), 20, 0));
    EXPECT_TRUE(IsFling(QPoint(0, 0), QPoint(100, 0), 20, 11));  // 28.8 degrees
    EXPECT_FALSE(IsFling(QPoint(0, 0), QPoint(100, 0), 20, 12)); // 31 degrees
    EXPECT_FALSE(IsFling(QPoint(0, 0), QPoint(0, 0), 20, 0));
    EXPECT_FALSE(IsFling(QPoint(0, 0), QPoint(100, 0), 0, 0));

    RecordingActions actions;
    RecordingCamera camera;
    player::CMoment moment;
    MovieMouseLogic logic(actions, 400);
    logic.SetCamera(&camera, &moment);
    logic.SetDisplayMode(3);
    logic.Press(QPoint(0, 0));
    logic.Move(QPoint(60, 0));
    logic.Move(QPoint(80, 0));
    logic.Release(QPoint(80, 0));
    EXPECT_EQ(actions.flings, 1);
    // A slow release (3 pixels per message at most) is a click candidate, not a fling.
    logic.Press(QPoint(0, 0));
    logic.Move(QPoint(2, 0));
    logic.Move(QPoint(5, 0));
    logic.Release(QPoint(5, 0));
    EXPECT_EQ(actions.flings, 1);
    EXPECT_EQ(actions.started.back(), kTimerClick);
}

TEST_F(MovieView, ClickZoomsButADoubleClickDoesNot) {
    RecordingActions actions;
    RecordingCamera camera;
    player::CMoment moment;
    MovieMouseLogic logic(actions, 400);
    logic.SetCamera(&camera, &moment);
    logic.Press(QPoint(30, 40));
    logic.Release(QPoint(30, 40));
    logic.TimerFired(kTimerClick);
    ASSERT_EQ(actions.zooms.size(), 1u);
    EXPECT_EQ(actions.zooms[0], QPoint(30, 40));

    // Press, release, double click, release: the click timers are killed and
    // the double-click routine runs once.
    actions = RecordingActions{};
    logic.Press(QPoint(30, 40));
    logic.Release(QPoint(30, 40));
    logic.DoubleClick();
    logic.Release(QPoint(30, 40));
    EXPECT_EQ(actions.doubleClicks, 1);
    EXPECT_NE(std::find(actions.killed.begin(), actions.killed.end(), kTimerClick),
              actions.killed.end());
    EXPECT_NE(std::find(actions.killed.begin(), actions.killed.end(), kTimerPress),
              actions.killed.end());
    EXPECT_EQ(actions.started.back(), kTimerDoubleGuard);
    EXPECT_TRUE(actions.zooms.empty());
    EXPECT_FALSE(logic.doubleClickGuard());
}

TEST_F(MovieView, InertiaDecaysAndStops) {
    player::CMoment m;
    m.velocityX = 50;
    m.velocityY = -10;
    ASSERT_TRUE(InertiaStep(m, 3));
    EXPECT_EQ(m.velocityX, 49); // 50 * 0.99 truncated
    EXPECT_EQ(m.velocityY, -9);
    EXPECT_EQ(m.accumX, 49);
    EXPECT_EQ(m.accumY, -9);
    // Panorama: no vertical part, half the horizontal accumulation.
    player::CMoment p;
    p.velocityX = 40;
    p.velocityY = 40;
    p.accumX = 100;
    ASSERT_TRUE(InertiaStep(p, 4));
    EXPECT_EQ(p.velocityY, 0);
    EXPECT_EQ(p.accumY, 0);
    EXPECT_EQ(p.accumX, (100 + 39) / 2);
    player::CMoment slow;
    slow.velocityX = 3;
    slow.velocityY = -3;
    EXPECT_FALSE(InertiaStep(slow, 3));

    // The thread: a fling at 10 pixels per step dies down after a few steps and ends the drag.
    RecordingCamera camera;
    player::CMoment moment;
    moment.velocityX = 5;
    InertiaWorker worker;
    worker.Bind(&camera, &moment, [] { return 3; });
    worker.Resume();
    for (int i = 0; i < 100 && (camera.Drags().empty() || worker.running()); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.Stop();
    const auto drags = camera.Drags();
    ASSERT_FALSE(drags.empty());
    EXPECT_EQ(drags.front().dx, 4);
    EXPECT_EQ(moment.velocityX, 3);
    EXPECT_GE(camera.endDrags, 1);
}

TEST_F(MovieView, ViewShowsTheNoMovieTextAndForwardsPlayerReports) {
    struct Owner : MovieViewOwner {
        std::vector<int> ends, readies;
        int graph = 0;
        void OnViewMenu(QPoint, int) override {}
        void OnViewZoom(int, QPoint) override {}
        void OnViewEnd(int c) override { ends.push_back(c); }
        void OnViewReady(int c) override { readies.push_back(c); }
        void OnGraphEvent() override { ++graph; }
        void OnViewDoubleClick(int) override {}
        void OnPlayerStep(int message, std::int64_t l) override { steps.emplace_back(message, l); }
        std::vector<std::pair<int, std::int64_t>> steps;
    } owner;
    UiResources ui;
    CMovieStatic rear(nullptr, ui, &owner, 1);
    CMovieStatic main(nullptr, ui, &owner, 0);
    EXPECT_EQ(rear.NoMovieText(), QStringLiteral("リヤカメラの動画データがありません"));
    EXPECT_EQ(main.NoMovieText(), QStringLiteral("メインカメラの動画データがありません"));
    rear.resize(732, 411);
    rear.SetHoldsMovie(false, true);
    const QImage picture = rear.grab().toImage();
    kestreltest::SaveArtifact(picture, QStringLiteral("rear_view_no_movie"));
    // Text is drawn in the middle: some light pixels along the centre line.
    int light = 0;
    for (int x = 0; x < picture.width(); ++x) {
        light += picture.pixelColor(x, picture.height() / 2).lightness() > 150 ? 1 : 0;
    }
    EXPECT_GT(light, 10);

    PostAppMessage(&rear, UM_PLAYER_END, 0, 0);
    PostAppMessage(&rear, UM_PLAYER_READY, 0, 0);
    PostAppMessage(&rear, UM_GRAPH_EVENT, 0, 0);
    main.SetHoldsMovie(true, true);
    PostAppMessage(&main, UM_GRAPH_EVENT, 0, 0); // the rear view handles these
    player::PostPlayerMessage(&rear, player::kMsgStepFrame, 0, 77);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(owner.ends, std::vector<int>{1});
    ASSERT_EQ(owner.steps.size(), 1u);
    EXPECT_EQ(owner.steps[0], (std::pair<int, std::int64_t>(UM_STEP_FRAME, 77)));
    EXPECT_EQ(owner.readies, std::vector<int>{1});
    EXPECT_EQ(owner.graph, 1);
}

namespace {

std::vector<int> Commands(const std::vector<MovieMenuItem>& items) {
    std::vector<int> out;
    for (const MovieMenuItem& i : items) {
        out.push_back(i.command);
    }
    return out;
}

const MovieMenuItem& Find(const std::vector<MovieMenuItem>& items, int command) {
    for (const MovieMenuItem& i : items) {
        if (i.command == command) {
            return i;
        }
    }
    static MovieMenuItem none{-1, -1, false, false};
    return none;
}

} // namespace

TEST_F(MovieView, MenuItemsPerPlayState) {
    MovieMenuState s;
    s.playState = 0;
    EXPECT_EQ(Commands(BuildMovieMenu(s)), std::vector<int>{38013});
    s.largeLayout = true;
    EXPECT_TRUE(BuildMovieMenu(s).empty());

    s = MovieMenuState{};
    s.playState = 1;
    s.rearValid = true;
    EXPECT_EQ(Commands(BuildMovieMenu(s)),
              (std::vector<int>{38002, 0, 38009, 38202, 38203, 38201, 0, 38006, 38015, 0, 38013}));
    EXPECT_EQ(BuildMovieMenu(s)[0].textId, 86);

    s.playState = 2;
    s.speedCode = 4;
    auto items = BuildMovieMenu(s);
    EXPECT_EQ(Commands(items), (std::vector<int>{38002, 38000, 38004, 38003, 0, 38009, 38202, 38203,
                                                 38201, 0, 38006, 38015, 0, 38013}));
    EXPECT_EQ(items[0].textId, 85); // "一時停止" while playing
    EXPECT_FALSE(Find(items, CmdFast).enabled);
    EXPECT_TRUE(Find(items, CmdSlow).enabled);
    s.speedCode = -2;
    items = BuildMovieMenu(s);
    EXPECT_TRUE(Find(items, CmdFast).enabled);
    EXPECT_FALSE(Find(items, CmdSlow).enabled);

    s.playState = 3;
    s.speedCode = 1;
    items = BuildMovieMenu(s);
    EXPECT_EQ(items[0].textId, 86);
    EXPECT_FALSE(Find(items, CmdFast).enabled);
    EXPECT_FALSE(Find(items, CmdSlow).enabled);

    // Large layout: no browse; full screen: the camera switch instead of the tail.
    s.largeLayout = true;
    EXPECT_EQ(Commands(BuildMovieMenu(s)).back(), 38015);
    s.fullScreen = true;
    s.rearValid = false;
    items = BuildMovieMenu(s);
    EXPECT_EQ(Commands(items).back(), 38017);
    EXPECT_FALSE(items.back().enabled);
}

TEST_F(MovieView, MenuDisablesItemsOfTheOtherCamera) {
    MovieMenuState s;
    s.playState = 2;
    s.rearValid = true;
    s.mainFlipped = true;
    s.rearMirrored = true;
    s.mainDisplayMode = 3;
    s.clickedCamera = 0;
    auto items = BuildMovieMenu(s);
    EXPECT_TRUE(Find(items, CmdDisplayMode).enabled);
    EXPECT_TRUE(Find(items, CmdMenuFlip).enabled);
    EXPECT_TRUE(Find(items, CmdMenuFlip).checked);
    EXPECT_TRUE(Find(items, CmdViewReset).enabled);
    EXPECT_FALSE(Find(items, CmdMenuMirror).enabled);
    EXPECT_TRUE(Find(items, CmdMenuMirror).checked);
    s.clickedCamera = 1;
    items = BuildMovieMenu(s);
    EXPECT_FALSE(Find(items, CmdDisplayMode).enabled);
    EXPECT_FALSE(Find(items, CmdMenuFlip).enabled);
    EXPECT_FALSE(Find(items, CmdViewReset).enabled);
    EXPECT_TRUE(Find(items, CmdMenuMirror).enabled);
    // Reset only in sphere mode; the mirror needs a rear file.
    s.clickedCamera = 0;
    s.mainDisplayMode = 4;
    EXPECT_FALSE(Find(BuildMovieMenu(s), CmdViewReset).enabled);
    s.clickedCamera = 1;
    s.rearValid = false;
    EXPECT_FALSE(Find(BuildMovieMenu(s), CmdMenuMirror).enabled);
}

TEST_F(MovieView, MenuDrawing) {
    UiResources ui;
    MovieMenuState s;
    s.playState = 2;
    s.rearValid = true;
    CMovieMenu narrow(nullptr, ui, BuildMovieMenu(s), false);
    CMovieMenu wide(nullptr, ui, BuildMovieMenu(s), true);
    EXPECT_EQ(narrow.ItemRect(0).size(), QSize(100, 20));
    EXPECT_EQ(wide.ItemRect(0).size(), QSize(220, 20));
    narrow.SetSelected(0);
    const QImage image = narrow.grab().toImage();
    kestreltest::SaveArtifact(image, QStringLiteral("movie_menu"));
    EXPECT_EQ(image.pixelColor(narrow.ItemRect(0).topLeft() + QPoint(5, 2)), QColor(0, 0, 255));
    int chosen = 0;
    QObject::connect(&narrow, &CMovieMenu::commandChosen, [&chosen](int c) { chosen = c; });
    QTest::mouseRelease(&narrow, Qt::LeftButton, Qt::NoModifier, narrow.ItemRect(1).center());
    EXPECT_EQ(chosen, CmdStop);
}

TEST_F(MovieView, PadPlacementAndEnabling) {
    const auto places = PadButtonPlaces(140, 120);
    EXPECT_EQ(places[0].id, PadUp);
    EXPECT_EQ(places[0].topLeft, QPoint(54, 6));
    EXPECT_EQ(places[1].topLeft, QPoint(16, 44)); // ((140 - 76 - 32) / 2, 44)
    EXPECT_EQ(places[2].topLeft, QPoint(92, 44)); // ((140 + 76 - 32) / 2, 44)
    EXPECT_EQ(places[3].topLeft, QPoint(54, 82)); // ((76 + 88) / 2)
    EXPECT_EQ(places[4].topLeft, QPoint(54, 44));
    for (int id : {PadUp, PadLeft, PadRight, PadDown, PadReset}) {
        EXPECT_TRUE(PadButtonEnabled(id, 3));
        EXPECT_EQ(PadButtonEnabled(id, 4), id == PadLeft || id == PadRight);
        for (int mode : {0, 1, 2, 5}) {
            EXPECT_FALSE(PadButtonEnabled(id, mode));
        }
    }
    EXPECT_EQ(PadDragStep(PadUp), QPoint(0, 30));
    EXPECT_EQ(PadDragStep(PadLeft), QPoint(30, 0));
    EXPECT_EQ(PadDragStep(PadRight), QPoint(-30, 0));
    EXPECT_EQ(PadDragStep(PadDown), QPoint(0, -30));

    UiResources ui;
    CControllerDlg pad(nullptr, ui);
    pad.EnableForDisplayMode(4);
    EXPECT_FALSE(pad.button(PadUp)->isEnabled());
    EXPECT_TRUE(pad.button(PadLeft)->isEnabled());
    EXPECT_FALSE(pad.button(PadReset)->isEnabled());
    pad.show();
    EXPECT_EQ(pad.button(PadDown)->pos(), QPoint(54, 82));
    kestreltest::SaveArtifact(pad.grab().toImage(), QStringLiteral("controller_pad"));
}

TEST_F(MovieView, HoldingLeftTurnsTheViewUntilRelease) {
    UiResources ui;
    RecordingCamera camera;
    player::CMoment moment;
    CControllerDlg pad(nullptr, ui);
    pad.SetCamera(&camera, &moment);
    pad.EnableForDisplayMode(3);
    pad.RestartWorker();
    pad.show();
    QTest::mousePress(pad.button(PadLeft), Qt::LeftButton, Qt::NoModifier, QPoint(16, 16));
    QCoreApplication::sendPostedEvents(&pad);
    EXPECT_EQ(pad.held(), PadLeft);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QTest::mouseRelease(pad.button(PadLeft), Qt::LeftButton, Qt::NoModifier, QPoint(16, 16));
    QCoreApplication::sendPostedEvents(&pad);
    EXPECT_EQ(pad.held(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto drags = camera.Drags();
    ASSERT_GE(drags.size(), 2u);
    for (const auto& d : drags) {
        EXPECT_EQ(d.dx, 30);
        EXPECT_EQ(d.dy, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(camera.Drags().size(), drags.size()); // nothing after the release

    // Reset resets the view; a mode without navigation disables it all.
    QTest::mousePress(pad.button(PadReset), Qt::LeftButton, Qt::NoModifier, QPoint(16, 16));
    QCoreApplication::sendPostedEvents(&pad);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QTest::mouseRelease(pad.button(PadReset), Qt::LeftButton, Qt::NoModifier, QPoint(16, 16));
    QCoreApplication::sendPostedEvents(&pad);
    EXPECT_GE(camera.Resets(), 1);
    pad.EnableForDisplayMode(2);
    EXPECT_FALSE(pad.button(PadLeft)->isEnabled());
}
