// The real pipeline on generated recordings in a real window: readiness,
// playing in order at the movie's rate, frame-accurate seeks, the clock, the
// speeds and the sound, the end of the movie, step mode, files that must not
// open, files and machines without sound, and the view state across files.
#include "PipelineTestApp.h"
#include "TestSupport.h"

#include "player/CPlayer.h"
#include "player/CPlayerTestWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/PlayerMessages.h"
#include "player/PlayerOps.h"
#include "synth/Synth.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <string>

namespace {

using namespace player;
using Window = CPlayerTestWindow;

// Recordings shared by the tests of this program, made once.
class Files {
public:
    static Files& Get() {
        static Files files;
        return files;
    }
    std::string Make(const std::string& name, const synth::RecordingOptions& o) {
        auto it = made_.find(name);
        if (it != made_.end()) {
            return it->second;
        }
        const std::string path = (dir_ / (name + ".mp4")).string();
        std::string error;
        EXPECT_TRUE(synth::WriteRecording(path, o, &error)) << error;
        made_[name] = path;
        return path;
    }

private:
    testsupport::TempDir dir_;
    std::map<std::string, std::string> made_;
};

synth::RecordingOptions Rear(double fps, double seconds, bool audio = true) {
    synth::RecordingOptions o;
    o.camera = synth::Camera::Rear;
    o.width = 160;
    o.height = 96;
    o.fps = fps;
    o.durationSec = seconds;
    o.audio = audio;
    o.gopFrames = 30;
    return o;
}

std::string Rear25() {
    return Files::Get().Make("rear25", Rear(25.0, 3.0));
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override {
        pipelinetest::App();
        window_ = std::make_unique<Window>(320, 192);
        window_->show();
        ops_.Init(ctx_, window_.get(), QStringLiteral("メイリオ"));
    }
    void TearDown() override {
        ops_.Close(ctx_);
        ops_.Uninit(ctx_);
    }
    bool OpenReady(const std::string& path, int mode = 5) {
        if (!ops_.Open(ctx_, path)) {
            return false;
        }
        if (!window_->WaitForMessage(kMsgTopologyReady, 15000)) {
            return false;
        }
        ops_.SetDisplayMode(ctx_, mode);
        return WaitSettled();
    }
    bool WaitSettled() {
        return Window::WaitUntil([&] { return ctx_.renderer->SeekSettled(); }, 15000);
    }
    // The frame code the window shows now.
    int Shown() {
        Window::Pump(30);
        QImage image = ctx_.renderer->Engine()->GetCurrentImage();
        if (image.isNull()) {
            return -2;
        }
        return synth::ReadFrameIndex(image.constBits(), image.width(), image.height(),
                                     static_cast<int>(image.bytesPerLine()));
    }
    int SeekAndRead(int64_t frame) {
        ops_.SeekToFrame(ctx_, frame);
        if (!WaitSettled()) {
            return -3;
        }
        return Shown();
    }
    // The frame on screen at K x the integer-millisecond period.
    static int OnScreen(int64_t k, float periodMs, double fps, int frames) {
        const int f = static_cast<int>(std::floor(k * periodMs / (1000.0 / fps) + 1e-9));
        return f < frames ? f : frames - 1;
    }

    std::unique_ptr<Window> window_;
    PlayerContext ctx_;
    PlayerOps ops_ = MakePlayerOps();
};

TEST_F(Playback, OperationsNeedTheTopologyReady) {
    ASSERT_TRUE(ops_.Open(ctx_, Rear25()));
    // Until WM_APP + 1003 nothing that needs the display acts.
    if (!ctx_.renderer->HasDisplayControl()) {
        EXPECT_EQ(ops_.Play(ctx_), 0);
        EXPECT_EQ(ctx_.playState.load(), 1);
    }
    ASSERT_TRUE(window_->WaitForMessage(kMsgTopologyReady, 15000));
    EXPECT_EQ(ctx_.renderer->GetState(), CPlayer::StateStopped)
        << "playback does not start by itself";
    EXPECT_FLOAT_EQ(ops_.GetFramePeriod(ctx_), 40.0f);
    EXPECT_EQ(ops_.GetFrameCount(ctx_), 75);
    int w = 0, h = 0;
    EXPECT_TRUE(ops_.GetVideoSize(ctx_, &w, &h));
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 96);
    EXPECT_GT(ctx_.bitRate, 0.0f);
    EXPECT_EQ(ops_.Play(ctx_), 1);
    EXPECT_EQ(ctx_.renderer->GetState(), CPlayer::StateStarted);
    EXPECT_EQ(ctx_.playState.load(), 2);
    // The session refuses a second start.
    EXPECT_EQ(ctx_.renderer->Start(), kInvalidRequest);
}

TEST_F(Playback, PlaysInOrderAtTheMoviesRateAndEnds) {
    ASSERT_TRUE(OpenReady(Rear25()));
    EXPECT_EQ(Shown(), 0) << "the first picture is shown when ready";
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ops_.Play(ctx_), 1);
    int last = -1;
    int samples = 0;
    // The clock's rate is measured from 0.5 s on: with sound it follows the
    // device, which starts after its own latency.
    Window::Pump(500);
    const auto t0 = std::chrono::steady_clock::now();
    const int64_t p0 = ops_.GetPosition(ctx_);
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(2200)) {
        const int shown = Shown();
        const int64_t position = ops_.GetPosition(ctx_);
        ASSERT_GE(shown, 0);
        EXPECT_GE(shown, last) << "frames go forward";
        // What is shown keeps up with the clock (a frame of slack each way,
        // the snapshot itself takes time).
        EXPECT_LE(std::abs(shown - position), 3) << "shown " << shown << " position " << position;
        last = shown;
        ++samples;
        Window::Pump(100);
    }
    EXPECT_GT(samples, 5);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // The clock runs at the movie's rate: 25 frames a second (with sound it
    // follows the device, which may hold it for its start-up latency).
    if (!ctx_.renderer->HasAudioBranch()) {
        EXPECT_NEAR(static_cast<double>(ops_.GetPosition(ctx_) - p0), seconds * 25.0, 3.0);
    } else {
        EXPECT_GT(ops_.GetPosition(ctx_), p0);
    }
    // The end: WM_APP + 1002, after the last frame.
    ASSERT_TRUE(window_->WaitForMessage(kMsgPresentationEnded, 5000));
    EXPECT_EQ(Shown(), 74);
    EXPECT_EQ(ctx_.renderer->GetState(), CPlayer::StateStopped);
    const PresentStats stats = ctx_.renderer->Engine()->Stats();
    EXPECT_GE(stats.presented, 70) << "nearly every frame was drawn at x1";
}

TEST_F(Playback, SeeksAreFrameAccurate) {
    synth::RecordingOptions o = Rear(29.1, 3.0);
    const std::string path = Files::Get().Make("rear291", o);
    ASSERT_TRUE(OpenReady(path));
    const float period = ops_.GetFramePeriod(ctx_);
    EXPECT_FLOAT_EQ(period, 34.0f);
    const int frames = synth::FrameCount(o);
    const int64_t count = ops_.GetFrameCount(ctx_);
    // Mid-GOP, a key frame, backwards, the last frame and past the end.
    for (int64_t k : {int64_t{17}, int64_t{30}, int64_t{44}, int64_t{3}, count - 1, count + 5}) {
        EXPECT_EQ(SeekAndRead(k), OnScreen(k, period, 29.1, frames)) << "frame " << k;
        EXPECT_EQ(ops_.GetPosition(ctx_), k) << "the clock stands at the frame sought";
    }
    // Seeking while playing leaves the session paused and the play state at 2.
    ops_.Play(ctx_);
    Window::Pump(200);
    EXPECT_EQ(SeekAndRead(20), OnScreen(20, period, 29.1, frames));
    EXPECT_EQ(ctx_.playState.load(), 2);
    EXPECT_EQ(ctx_.renderer->GetState(), CPlayer::StatePaused);
    EXPECT_GE(window_->Count(kMsgSessionPaused), 1);
}

TEST_F(Playback, SoundOnlyAtNormalSpeedAndThinningAtX4) {
    ASSERT_TRUE(OpenReady(Rear25()));
    ops_.SetVolume(ctx_, 40000);
    EXPECT_EQ(ctx_.renderer->Volume(), 40000);
    ops_.SetSpeed(ctx_, 2);
    EXPECT_EQ(ctx_.renderer->Volume(), 0);
    EXPECT_FLOAT_EQ(ctx_.renderer->Rate(), 2.0f);
    ops_.SetSpeed(ctx_, 4);
    EXPECT_EQ(ctx_.renderer->Volume(), 0);
    ops_.SetSpeed(ctx_, 1);
    EXPECT_EQ(ctx_.renderer->Volume(), 40000);
    // x4: the clock runs four times as fast and the pictures keep up.
    ops_.SetSpeed(ctx_, 4);
    const auto start = std::chrono::steady_clock::now();
    ops_.Play(ctx_);
    Window::Pump(400);
    const int64_t position = ops_.GetPosition(ctx_);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NEAR(static_cast<double>(position), seconds * 100.0, 8.0);
    EXPECT_LE(std::abs(Shown() - ops_.GetPosition(ctx_)), 8);
    ASSERT_TRUE(window_->WaitForMessage(kMsgPresentationEnded, 5000));
}

TEST_F(Playback, StepModeAnnouncesOneFrameASecondAndStopsAtTheEnd) {
    ASSERT_TRUE(OpenReady(Rear25()));
    const int64_t count = ops_.GetFrameCount(ctx_);
    ops_.SeekToFrame(ctx_, count - 3);
    ASSERT_TRUE(WaitSettled());
    // The main window answers each announcement by seeking there.
    window_->onMessage = [&](const Window::Message& m) {
        if (m.message == kMsgStepFrame) {
            ops_.SeekToFrame(ctx_, m.lParam);
        }
    };
    ASSERT_TRUE(ops_.SetStepMode(ctx_, 1.0f));
    ASSERT_TRUE(window_->WaitForMessage(kMsgStepEnd, 6000));
    std::vector<Window::Message> steps;
    for (const Window::Message& m : window_->Messages()) {
        if (m.message == kMsgStepFrame || m.message == kMsgStepEnd) {
            steps.push_back(m);
        }
    }
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].lParam, count - 3);
    EXPECT_EQ(steps[2].lParam, count - 1);
    EXPECT_EQ(steps[3].message, kMsgStepEnd);
    EXPECT_EQ(steps[3].lParam, count);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_NEAR(static_cast<double>(steps[i].atMs - steps[i - 1].atMs), 1000.0, 150.0);
    }
    window_->onMessage = nullptr;
    EXPECT_TRUE(ops_.SetStepMode(ctx_, 0.0f));
}

TEST_F(Playback, HardwareDecodingFallsBackToSoftwareSilently) {
    ops_.SetDecodeOption(ctx_, 1);
    ASSERT_TRUE(OpenReady(Rear25()));
    // Whether or not this machine offers a device, the pictures are right.
    EXPECT_EQ(SeekAndRead(33), 33);
    ops_.Play(ctx_);
    ASSERT_TRUE(window_->WaitForMessage(kMsgPresentationEnded, 6000));
    EXPECT_EQ(Shown(), 74);
}

TEST_F(Playback, FlatViewZoomAndPan) {
    ASSERT_TRUE(OpenReady(Rear25()));
    EXPECT_EQ(SeekAndRead(10), 10);
    // 2x around the centre of the 320 x 192 view.
    ASSERT_TRUE(ops_.SetZoomPan(ctx_, 160, 96, 0, 0, 2.0f, 1));
    EXPECT_EQ(ctx_.renderer->Engine()->DestinationRect(), (PixelRect{-160, -96, 480, 288}));
    // Every view pixel shows the frame point the zoom puts there (away from
    // the frame-code box and the cell edges).
    Window::Pump(30);
    const QImage zoomed = ctx_.renderer->Engine()->GetCurrentImage();
    int matches = 0;
    int tried = 0;
    for (int y = 4; y < 192; y += 12) {
        for (int x = 4; x < 320; x += 12) {
            const double u = (x + 0.5 + 160) / 640.0;
            const double v = (y + 0.5 + 96) / 384.0;
            const double cu = std::fmod(u * 12.0, 1.0);
            const double cv = std::fmod(v * 12.0, 1.0);
            if (cu < 0.2 || cu > 0.8 || cv < 0.2 || cv > 0.8 || std::fabs(v - 0.5) < 0.15) {
                continue;
            }
            const synth::Rgb want = synth::FlatChartColor(u, v);
            const QColor got = zoomed.pixelColor(x, y);
            ++tried;
            matches += (std::abs(got.red() - want.r) < 60 && std::abs(got.green() - want.g) < 60 &&
                        std::abs(got.blue() - want.b) < 60)
                           ? 1
                           : 0;
        }
    }
    EXPECT_GT(tried, 50);
    EXPECT_GE(matches, tried * 9 / 10);
    ASSERT_TRUE(ops_.SetZoomPan(ctx_, 160, 96, 20, -10, 2.0f, 1));
    EXPECT_EQ(ctx_.renderer->Engine()->DestinationRect(), (PixelRect{-140, -106, 500, 278}));
    EXPECT_TRUE(ops_.ReapplyZoomPan(ctx_));
    // Turning the rectangle inside out is refused and changes nothing.
    EXPECT_FALSE(ops_.SetFlipPosition(ctx_, 1));
    EXPECT_EQ(ctx_.renderer->Engine()->DestinationRect(), (PixelRect{-140, -106, 500, 278}));
    // The mirror of the flat view.
    EXPECT_EQ(ops_.ToggleFlip(ctx_), 1);
    EXPECT_EQ(ops_.ToggleFlip(ctx_), 0);
}

TEST_F(Playback, ShortFilesDoNotOpen) {
    const std::string path = Files::Get().Make("short", Rear(29.1, 1.0));
    EXPECT_FALSE(ops_.Open(ctx_, path));
    EXPECT_EQ(ctx_.playState.load(), 0);
    EXPECT_FALSE(ops_.Open(ctx_, "/nonexistent.mp4"));
}

TEST_F(Playback, WithoutSoundTrackOrSoundDeviceThePictureStillPlays) {
    const std::string silent = Files::Get().Make("silent", Rear(25.0, 2.0, false));
    ASSERT_TRUE(OpenReady(silent));
    EXPECT_FALSE(ctx_.renderer->HasAudioBranch());
    ops_.Play(ctx_);
    ASSERT_TRUE(window_->WaitForMessage(kMsgPresentationEnded, 6000));
    EXPECT_EQ(Shown(), 49);
    ops_.Close(ctx_);

    // A machine without a sound device: the topology is retried without the
    // sound branch and the file plays without sound.
    CPlayer player(window_.get());
    player.SetAudioAllowed(false);
    ASSERT_EQ(player.OpenFile(Rear25(), nullptr), kOk);
    window_->ClearMessages();
    ASSERT_TRUE(window_->WaitForMessage(kMsgTopologyReady, 15000));
    EXPECT_TRUE(player.AudioDisabled());
    EXPECT_FALSE(player.HasAudioBranch());
    EXPECT_EQ(player.Start(), kOk);
    ASSERT_TRUE(window_->WaitForMessage(kMsgPresentationEnded, 8000));
    player.CloseSession();
}

TEST_F(Playback, OverlayTextAndSnapshotFiles) {
    ASSERT_TRUE(OpenReady(Rear25()));
    ASSERT_TRUE(ops_.ShowOverlayText(ctx_, QStringLiteral("WWWWWWWW WWWWWWWW WWWWWWWW")));
    Window::Pump(100);
    QImage shot = ctx_.renderer->Engine()->GetCurrentImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(320, 192)) << "the window's size";
    // Green text (the 300 x 120 picture scaled with the video, anchored at the
    // bottom right corner).
    int green = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            green += (c.green() > 200 && c.red() < 120 && c.blue() < 120) ? 1 : 0;
        }
    }
    EXPECT_GT(green, 50);
    ops_.HideOverlayText(ctx_);
    testsupport::TempDir dir;
    const std::string jpg = (dir / "a.jpg").string();
    ASSERT_TRUE(ops_.SaveSnapshot(ctx_, jpg));
    QImage read(QString::fromStdString(jpg));
    EXPECT_EQ(read.size(), QSize(320, 192));
    EXPECT_FALSE(ops_.SaveSnapshot(ctx_, (dir / "missing" / "b.jpg").string()));
}

TEST_F(Playback, CloseAndReopenKeepTheViewState) {
    synth::RecordingOptions o;
    o.camera = synth::Camera::Main;
    o.width = 160;
    o.height = 160;
    o.fps = 25.0;
    o.durationSec = 2.0;
    const std::string path = Files::Get().Make("main", o);
    ASSERT_TRUE(OpenReady(path, 3));
    ops_.SetAspect(ctx_, 320, 192);
    ops_.Drag(ctx_, 0.05f, 0.0f, 1.0f);
    ops_.EndDrag(ctx_);
    ops_.Close(ctx_);
    const ViewState saved = ctx_.viewState;
    EXPECT_EQ(saved.modelMode, 3);
    EXPECT_NE(saved.sphereA.base.w, 1.0) << "the drag turned the sphere";
    ASSERT_TRUE(ops_.Open(ctx_, path));
    ASSERT_TRUE(window_->WaitForMessage(kMsgTopologyReady, 15000, true));
    ViewState reopened;
    ctx_.renderer->Engine()->Scene().SaveViewState(reopened);
    EXPECT_EQ(reopened.modelMode, 3);
    EXPECT_DOUBLE_EQ(reopened.sphereA.base.w, saved.sphereA.base.w);
    EXPECT_DOUBLE_EQ(reopened.sphereA.base.y, saved.sphereA.base.y);
}

} // namespace
