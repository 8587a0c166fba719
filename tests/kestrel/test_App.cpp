// The application object's options and a whole run of the program with the
// screenshot hook: it starts in its start directory, writes the first-run
// settings there, saves the picture and exits by itself.
#include "KestrelTestApp.h"

#include "CKestrelApp.h"
#include "CameraPort.h"
#include "PlayerCamera.h"
#include "TestSupport.h"

#include <playcore/Settings.h>
#include <player/CPlayer.h>

#include <QImage>
#include <gtest/gtest.h>

using namespace kestrel;

TEST(App, Options) {
    AppOptions o = ParseAppOptions({"BrivonaS"});
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_EQ(o.quitAfterMs, -1);
    o = ParseAppOptions({"BrivonaS", "--screenshot", "a.png", "--quit-after", "250"});
    EXPECT_EQ(o.screenshotPath, QStringLiteral("a.png"));
    EXPECT_EQ(o.quitAfterMs, 250);
    o = ParseAppOptions({"BrivonaS", "--screenshot", "a.png"});
    EXPECT_EQ(o.quitAfterMs, 3000);
    EXPECT_FALSE(ParseAppOptions({"BrivonaS", "--quit-after", "soon"}).error.isEmpty());
    EXPECT_FALSE(ParseAppOptions({"BrivonaS", "--bogus"}).error.isEmpty());
    EXPECT_FALSE(ParseAppOptions({"BrivonaS", "--screenshot"}).error.isEmpty());
}

TEST(App, ACameraWithoutAMovieRefusesDrags) {
    player::PlayerContext context;
    const player::PlayerOps ops = player::MakePlayerOps();
    player::CMoment moment;
    moment.velocityX = 40;
    PlayerCamera camera(context, ops, moment);
    camera.SetViewSize(732, 411);
    EXPECT_FALSE(camera.HoldsMovie());
    EXPECT_EQ(camera.PlayState(), 0);
    // Not usable: the drag is refused and the record cleared (a fling stops).
    EXPECT_FALSE(camera.DragBy(0, 25));
    EXPECT_EQ(moment.velocityX, 0);
    NoMovieCamera none;
    EXPECT_FALSE(none.DragBy(10, 10));
}

TEST(App, ScreenshotRunInItsStartDirectory) {
    kestreltest::App(); // the child inherits the platform (offscreen unless set)
    testsupport::TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const testsupport::RunResult r = testsupport::Run(
        {testsupport::BuiltProgram("BrivonaS"), "--screenshot", "shot.png", "--quit-after", "800"});
    std::filesystem::current_path(previous);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage shot(QString::fromStdString((dir / "shot.png").string()));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(1120, 700));
    // First run: the defaults are there; the product question went unanswered.
    EXPECT_EQ(playcore::ReadSetting(dir.path(), "DISPLAY", "INFOCHECK"), "31");
    EXPECT_EQ(playcore::ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "65535");
    EXPECT_EQ(playcore::ReadSetting(dir.path(), "DISPLAY", "MODELSELECT"), "");
    EXPECT_NE(testsupport::Run({testsupport::BuiltProgram("BrivonaS"), "--bogus"}).exitCode, 0);
}
