// The presenter side on its own: the clock with a test time source, the
// scheduler's timing rule, the two-sample pool, the one-frame-per-trigger
// gating, the present counter, the rectangle checks, the speed table and
// the 2D zoom rectangle.
#include "PipelineTestApp.h"

#include "player/CPlayer.h"
#include "player/CVideoWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/EVRCustomPresenter.h"
#include "player/PlayerOps.h"
#include "player/PresentationClock.h"
#include "player/Scheduler.h"
#include "player/VideoMixer.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <atomic>

namespace {

using namespace player;

TEST(PresentationClock, FollowsTheTimeSourceScaledByTheRate) {
    int64_t nowNs = 1'000'000'000;
    PresentationClock clock([&] { return nowNs; });
    EXPECT_EQ(clock.GetTime(), 0);
    clock.SetTime(5'000'000); // 0.5 s
    nowNs += 100'000'000;
    EXPECT_EQ(clock.GetTime(), 5'000'000) << "paused clocks stand still";
    clock.Start();
    nowNs += 100'000'000; // 0.1 s
    EXPECT_EQ(clock.GetTime(), 6'000'000);
    clock.SetRate(4.0);
    nowNs += 100'000'000;
    EXPECT_EQ(clock.GetTime(), 10'000'000);
    clock.Pause();
    nowNs += 500'000'000;
    EXPECT_EQ(clock.GetTime(), 10'000'000);
}

TEST(PresentationClock, TheSoundDrivesItWhilePlayingAndHandsOverWithoutAJump) {
    int64_t nowNs = 0;
    bool sound = true;
    int64_t heard = 0;
    PresentationClock clock([&] { return nowNs; });
    clock.SetAudioPosition([&](int64_t* t) {
        *t = heard;
        return sound;
    });
    clock.Start();
    nowNs = 100'000'000;
    heard = 900'000; // the device lags 10 ms behind the system time
    EXPECT_EQ(clock.GetTime(), 900'000);
    sound = false; // the sound ran out
    nowNs += 50'000'000;
    EXPECT_EQ(clock.GetTime(), 900'000 + 500'000);
}

TEST(Scheduler, PresentsLateAndNearSamplesAndWaitsForEarlyOnes) {
    const int64_t frame = 333'333;
    const int64_t q = frame / 4;
    struct Case {
        int64_t sampleTime, clockTime;
        float rate;
        int64_t waitMs;
        bool late;
    } cases[] = {
        {0, q + 1, 1.0f, 0, true},  // late by more than a quarter: now, late
        {0, q, 1.0f, 0, false},     // exactly a quarter late: now
        {3 * q, 0, 1.0f, 0, false}, // three quarters early: now
        {frame * 2, 0, 1.0f, (frame * 2 - 3 * q) / 10000, false},
        {frame * 2, 0, 2.0f, (frame * 2 - 3 * q) / 10000 / 2, false}, // scaled by the rate
        {frame * 2, 0, -1.0f, 0, true}, // backwards: a later time is behind
    };
    for (const Case& c : cases) {
        bool late = false;
        const int64_t wait = Scheduler::WaitFor(c.sampleTime, c.clockTime, q, c.rate, &late);
        EXPECT_EQ(wait, c.waitMs) << c.sampleTime << " vs " << c.clockTime;
        EXPECT_EQ(late, c.late) << c.sampleTime << " vs " << c.clockTime;
    }
}

TEST(Scheduler, FrameDurationFromTheStreamOrOneThirtieth) {
    Scheduler s;
    s.SetFrameRate(25, 1);
    EXPECT_EQ(s.FrameDuration(), 400'000);
    s.SetFrameRate(0, 0);
    EXPECT_EQ(s.FrameDuration(), 333'333);
}

class PresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        pipelinetest::App();
        window_ = std::make_unique<CVideoWindow>();
        engine_ = std::make_unique<D3DPresentEngine>(window_.get());
        presenter_ = std::make_unique<EVRCustomPresenter>(engine_.get());
        ASSERT_EQ(presenter_->InitServicePointers(&mixer_, &clock_), kOk);
        VideoFormat f;
        f.width = 64;
        f.height = 48;
        f.pixelFormat = AV_PIX_FMT_YUV420P;
        ASSERT_EQ(presenter_->SetMediaType(f), kOk);
        mixer_.Flush(1);
    }
    void TearDown() override {
        presenter_.reset();
        engine_->DropPending();
        engine_->ReleaseSkipped();
    }
    // A decoded picture offered to the mixer from a thread (PutFrame blocks
    // until the presenter takes it).
    AVFrame* Picture() {
        AVFrame* f = av_frame_alloc();
        f->format = AV_PIX_FMT_YUV420P;
        f->width = 64;
        f->height = 48;
        av_frame_get_buffer(f, 0);
        return f;
    }

    PresentationClock clock_;
    VideoMixer mixer_;
    std::unique_ptr<CVideoWindow> window_;
    std::unique_ptr<D3DPresentEngine> engine_;
    std::unique_ptr<EVRCustomPresenter> presenter_;
};

TEST_F(PresenterTest, ExactlyTwoSamplesCirculate) {
    VideoSample* a = nullptr;
    VideoSample* b = nullptr;
    VideoSample* c = nullptr;
    EXPECT_EQ(presenter_->Pool().GetSample(&a), kOk);
    EXPECT_EQ(presenter_->Pool().GetSample(&b), kOk);
    EXPECT_EQ(presenter_->Pool().GetSample(&c), kNoSampleAvailable);
    presenter_->Pool().ReturnSample(a);
    presenter_->Pool().ReturnSample(b);
    EXPECT_EQ(presenter_->Pool().InUse(), 0);
}

TEST_F(PresenterTest, OneTriggerLetsOnePictureThroughWhileTheSchedulerRuns) {
    ASSERT_EQ(presenter_->ProcessMessage(EVRCustomPresenter::MsgBeginStreaming), kOk);
    mixer_.inputNotify = [&] {
        presenter_->ProcessMessage(EVRCustomPresenter::MsgProcessInputNotify);
    };
    presenter_->OnClockStart(EVRCustomPresenter::kPositionCurrent);
    // The first picture goes through and closes the gate.
    AVFrame* f = Picture();
    ASSERT_TRUE(mixer_.PutFrame(f, 10'000'000, 400'000, 1));
    av_frame_free(&f);
    EXPECT_EQ(presenter_->Hold(), 1);
    EXPECT_EQ(presenter_->PassOne(), 0);
    EXPECT_EQ(presenter_->Pool().InUse(), 1) << "one picture is on its way";
    EXPECT_FALSE(mixer_.HasInput());
    presenter_->OnClockStop();
    presenter_->ProcessMessage(EVRCustomPresenter::MsgEndStreaming);
}

TEST_F(PresenterTest, PresentIntervalTwoDrawsEverySecondPictureAndRepaintAlways) {
    engine_->SetPresentInterval(2);
    // Not shown on screen: the window hands the samples back as it goes.
    VideoSample samples[5];
    for (VideoSample& s : samples) {
        engine_->PresentSample(&s, false);
    }
    // Calls 1, 3 and 5 are drawn; 2 and 4 are skipped.
    EXPECT_EQ(engine_->Stats().dropped, 2);
    // The counter now stands at 1 (the next call would be skipped); a
    // repaint resets it and is itself drawn.
    presenter_->RepaintVideo();
    EXPECT_EQ(engine_->Stats().dropped, 2);
    VideoSample s6;
    engine_->PresentSample(&s6, false);
    EXPECT_EQ(engine_->Stats().dropped, 3);
    VideoSample s7;
    engine_->PresentSample(&s7, false);
    EXPECT_EQ(engine_->Stats().dropped, 3);
    engine_->sampleFree = nullptr; // these samples are not the pool's
    engine_->DropPending();
    engine_->ReleaseSkipped();
}

TEST_F(PresenterTest, RectanglesAreChecked) {
    const NormalizedRect badSource{0.5f, 0.0f, 0.4f, 1.0f};
    EXPECT_EQ(presenter_->SetVideoPosition(&badSource, nullptr), kInvalidArg);
    const PixelRect good{0, 0, 100, 50};
    EXPECT_EQ(presenter_->SetVideoPosition(nullptr, &good), kOk);
    const PixelRect inverted{100, 0, 0, 50};
    EXPECT_EQ(presenter_->SetVideoPosition(nullptr, &inverted), kInvalidArg);
    EXPECT_EQ(engine_->DestinationRect(), good) << "the old rectangle stays";
    int w = 0, h = 0, ax = 0, ay = 0;
    presenter_->GetNativeVideoSize(&w, &h, &ax, &ay);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(ax, 4);
    EXPECT_EQ(ay, 3);
}

TEST_F(PresenterTest, RateSupport) {
    float nearest = 0;
    EXPECT_EQ(presenter_->IsRateSupported(true, 4.0f, &nearest), kOk);
    // Without a frame rate the fastest rate without thinning is unbounded too.
    EXPECT_EQ(presenter_->IsRateSupported(false, 100.0f, &nearest), kOk);
    EXPECT_EQ(presenter_->GetSlowestRate(), 0.0f);
}

TEST_F(PresenterTest, ClockEventsAfterShutdownAreRefused) {
    presenter_->ReleaseServicePointers();
    EXPECT_EQ(presenter_->OnClockStart(0), kShutdown);
    EXPECT_EQ(presenter_->OnClockPause(), kShutdown);
    EXPECT_EQ(presenter_->ProcessMessage(EVRCustomPresenter::MsgFlush), kShutdown);
}

TEST(CPlayer, StartIsRefusedOutsideThePausedAndStoppedStates) {
    pipelinetest::App();
    CVideoWindow window;
    CPlayer player(&window);
    EXPECT_EQ(player.GetState(), CPlayer::StateClosed);
    EXPECT_EQ(player.Start(), kInvalidRequest);
    EXPECT_EQ(player.GetState(), CPlayer::StateClosed);
    EXPECT_EQ(player.OpenFile("/nonexistent/file.mp4", nullptr), kFail);
    EXPECT_EQ(player.GetState(), CPlayer::StateClosed);
}

TEST(PlayerOps, SpeedCodesWithoutReversePlay) {
    struct Case {
        int code, current;
        float rate;
        int newCode;
    } cases[] = {
        {4, 1, 4.0f, 4},    {2, 1, 2.0f, 2},   {-2, 1, 0.5f, -2},
        {-4, 1, 0.25f, -4}, {-1, 1, 0.5f, -2}, {-1, -2, 1.0f, 1},
        {-1, 4, 1.0f, -1},  {1, 4, 1.0f, 1},   {7, 1, 1.0f, 7},
    };
    for (const Case& c : cases) {
        int code = c.code;
        EXPECT_EQ(SpeedRate(&code, c.current, false), c.rate) << c.code << " from " << c.current;
        EXPECT_EQ(code, c.newCode) << c.code << " from " << c.current;
    }
    int code = -2;
    EXPECT_EQ(SpeedRate(&code, 1, true), -2.0f);
}

TEST(PlayerOps, ZoomRectangle) {
    const ZoomRect client{0, 0, 400, 200};
    ZoomPan z;
    ZoomRect out;
    EXPECT_FALSE(ComputeZoomRect(client, z, 160, 90, &out)) << "no zoom set: nothing applied";
    z.zoom = 2.0f;
    z.pointX = 100;
    z.pointY = 50;
    ASSERT_TRUE(ComputeZoomRect(client, z, 160, 90, &out));
    // h = 400: right grows by 3/4 of it, left by 1/4.
    EXPECT_EQ(out.left, -100);
    EXPECT_EQ(out.right, 700);
    EXPECT_EQ(out.top, -50);
    EXPECT_EQ(out.bottom, 350);
    z.panX = 10;
    z.panY = -5;
    ASSERT_TRUE(ComputeZoomRect(client, z, 160, 90, &out));
    EXPECT_EQ(out.left, -90);
    EXPECT_EQ(out.top, -55);
    // Keep-aspect at zoom 1 fits a 16:9 picture into the 2:1 view, centred,
    // grown by 2 pixels to the right and bottom.
    ZoomPan k;
    k.zoom = 1.0f;
    k.keepAspect = 1;
    ASSERT_TRUE(ComputeZoomRect(client, k, 160, 90, &out));
    EXPECT_EQ(out.top, 0);
    EXPECT_EQ(out.bottom, 202);
    EXPECT_EQ(out.left, (400 - 355) / 2);
    EXPECT_EQ(out.right, (400 - 355) / 2 + 355 + 2);
    ZoomPan shrink;
    shrink.zoom = -1.0f;
    EXPECT_FALSE(ComputeZoomRect(client, shrink, 160, 90, &out)) << "an inverted rectangle";
}

TEST(PlayerOps, TableNamesByIndex) {
    EXPECT_STREQ(PlayerOpName(0), "Init");
    EXPECT_STREQ(PlayerOpName(3), "Open");
    EXPECT_STREQ(PlayerOpName(12), "SeekToFrame");
    EXPECT_STREQ(PlayerOpName(15), "");
    EXPECT_STREQ(PlayerOpName(31), "Drag");
    EXPECT_STREQ(PlayerOpName(38), "SaveSnapshot");
    EXPECT_STREQ(PlayerOpName(40), "ReapplyZoomPan");
    EXPECT_STREQ(PlayerOpName(41), "");
    const PlayerOps ops = MakePlayerOps();
    const void* const* entries = reinterpret_cast<const void* const*>(&ops);
    static_assert(sizeof(PlayerOps) == kPlayerOpCount * sizeof(void*));
    for (int i = 0; i < kPlayerOpCount; ++i) {
        EXPECT_NE(entries[i], nullptr) << PlayerOpName(i);
    }
}

} // namespace
