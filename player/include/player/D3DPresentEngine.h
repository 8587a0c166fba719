// The present engine of one session: receives the samples the scheduler
// presents, hands the newest to the video window, and there (on the UI
// thread, inside the window's paint) uploads its planes as textures and draws
// them through the projection scene of the current display mode, with the
// overlay text on top. Counts what was presented, late and dropped.
#pragma once

#include "player/D3DRawObj2.h"
#include "player/FrameTextures.h"
#include "player/ProjectionScene.h"
#include "player/Scheduler.h"
#include "player/VideoSample.h"

#include <QImage>
#include <QRectF>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QOpenGLShaderProgram;
class QOpenGLTexture;
class QOpenGLBuffer;
class QOpenGLVertexArrayObject;

namespace player {

class CVideoWindow;

struct PresentStats {
    int64_t presented = 0;      // pictures drawn in the window
    int64_t late = 0;           // presented later than a quarter frame
    int64_t dropped = 0;        // delivered but never drawn (superseded or skipped)
    std::vector<double> drawMs; // upload + draw time of each drawn picture
};

class D3DPresentEngine : public SchedulerCallback {
public:
    explicit D3DPresentEngine(CVideoWindow* window);
    ~D3DPresentEngine() override;
    D3DPresentEngine(const D3DPresentEngine&) = delete;
    D3DPresentEngine& operator=(const D3DPresentEngine&) = delete;

    // A sample goes back to the presenter (always called on the UI thread).
    std::function<void(VideoSample*)> sampleFree;

    // Exactly two samples for the format (their pictures come by reference).
    std::vector<std::unique_ptr<VideoSample>> CreateVideoSamples(const VideoFormat& format);
    void ReleaseResources();
    bool AcceptsFormat(int pixelFormat) const;
    int RefreshRate() const { return 60; }

    // DrawSample: null presents the last picture again.
    HResult PresentSample(VideoSample* sample, bool late) override;
    void ResetPresentCounter();
    // Interval N: every N-th presented picture is drawn (1 or 2).
    void SetPresentInterval(int n);
    int PresentInterval() const;

    PixelRect DestinationRect() const;
    void SetDestinationRect(const PixelRect& rect);

    // Display mode and the view operations, forwarded to the scene.
    ProjectionScene& Scene() { return scene_; }
    int DisplayMode() const { return scene_.DisplayMode(); }

    // The overlay picture (premultiplied ARGB, black = transparent) and where
    // it goes, in fractions of the view (0..1, origin top left).
    void SetOverlay(const QImage& image, const QRectF& where, float alpha);
    void ClearOverlay();

    // What the window shows, at the window's size (UI thread).
    QImage GetCurrentImage();
    PresentStats Stats() const;
    int64_t LastPresentedTime() const { return lastPresentedTime_.load(); }
    int LastPresentedSerial() const { return lastPresentedSerial_.load(); }
    // Number of pictures uploaded so far (tests wait on it).
    int64_t UploadCount() const { return uploads_.load(); }

    // Called by the window, on the UI thread with its context current.
    void InitializeGL();
    void PaintGL(int width, int height, qreal devicePixelRatio);
    void ReleaseGL();
    // Hands back samples that are not to be drawn.
    void ReleaseSkipped();
    bool HasPending() const;
    // The window is going away: no more paint requests are sent to it.
    void DetachWindow() { window_ = nullptr; }
    // Hands back every sample waiting to be drawn (no GL to draw them with).
    void DropPending();

private:
    struct Pending {
        VideoSample* sample;
        bool late;
    };
    bool Upload(VideoSample* sample);
    void DrawOverlay(int width, int height);
    void RequestPaint();
    void RequestRelease();

    std::atomic<CVideoWindow*> window_;
    ProjectionScene scene_;
    CFrameUploader uploader_;

    mutable std::mutex lock_; // present counter, destination, pending samples, overlay
    int presentCounter_ = 0;
    int presentInterval_ = 1;
    PixelRect destination_;
    std::deque<Pending> pending_;
    std::deque<VideoSample*> skipped_;
    VideoFormat format_;

    QImage overlay_;
    QRectF overlayRect_;
    float overlayAlpha_ = 0.8f;
    bool overlayDirty_ = false;
    std::unique_ptr<QOpenGLShaderProgram> overlayProgram_;
    std::unique_ptr<QOpenGLTexture> overlayTexture_;
    std::unique_ptr<QOpenGLBuffer> overlayBuffer_;
    std::unique_ptr<QOpenGLVertexArrayObject> overlayVao_;

    bool glReady_ = false;
    bool sceneReady_ = false;
    bool hasFrame_ = false;
    std::atomic<int64_t> uploads_{0};
    std::atomic<int64_t> lastPresentedTime_{-1};
    std::atomic<int> lastPresentedSerial_{-1};
    mutable std::mutex statsLock_;
    PresentStats stats_;
};

} // namespace player
