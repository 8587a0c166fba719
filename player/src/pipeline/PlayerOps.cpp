#include "player/PlayerOps.h"

#include "player/CMFActivate.h"
#include "player/CPlayer.h"
#include "player/CVideoWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/EVRCustomPresenter.h"
#include "player/PlayerMessages.h"

#include "playcore/MovieProbe.h"

#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace player {

PlayerContext::~PlayerContext() {
    step.running = 0.0f;
    if (step.thread.joinable()) {
        step.thread.join();
    }
    if (renderer) {
        renderer->CloseSession();
    }
}

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Takes the context lock, counting the wait.
struct ContextLock {
    explicit ContextLock(PlayerContext& c) : ctx(c) {
        if (ctx.lockWaits != nullptr) {
            ++*ctx.lockWaits;
        }
        ctx.lock.lock();
    }
    ~ContextLock() {
        ctx.lock.unlock();
        if (ctx.lockWaits != nullptr) {
            --*ctx.lockWaits;
        }
    }
    ContextLock(const ContextLock&) = delete;
    ContextLock& operator=(const ContextLock&) = delete;
    PlayerContext& ctx;
};

// An operation that needs the display does nothing while a session exists
// whose topology is not ready; without any session there is nothing to do
// either.
bool DisplayReady(const PlayerContext& ctx) {
    return ctx.renderer && ctx.renderer->HasDisplayControl();
}

// Size of the first top-level "mdat" box; 0 when none.
uint64_t MdatSize(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    uint64_t offset = 0;
    uint64_t found = 0;
    for (int guard = 0; guard < 4096; ++guard) {
        unsigned char h[16];
        if (::pread(fd, h, 8, static_cast<off_t>(offset)) != 8) {
            break;
        }
        uint64_t size = (uint64_t{h[0]} << 24) | (uint64_t{h[1]} << 16) | (uint64_t{h[2]} << 8) |
                        uint64_t{h[3]};
        if (size == 1) {
            if (::pread(fd, h + 8, 8, static_cast<off_t>(offset + 8)) != 8) {
                break;
            }
            size = 0;
            for (int i = 8; i < 16; ++i) {
                size = (size << 8) | h[i];
            }
        }
        if (size < 8) {
            break;
        }
        if (h[4] == 'm' && h[5] == 'd' && h[6] == 'a' && h[7] == 't') {
            found = size;
            break;
        }
        offset += size;
    }
    ::close(fd);
    return found;
}

void ApplyVolume(PlayerContext& ctx) {
    if (ctx.renderer) {
        ctx.renderer->SetVolume(ctx.speedCode == 1 ? ctx.volume : 0);
    }
}

// Applies the stored 2D zoom to the presenter's destination rectangle.
bool ApplyZoom(PlayerContext& ctx) {
    if (!ctx.renderer || ctx.videoWindow == nullptr) {
        return false;
    }
    EVRCustomPresenter* presenter = ctx.renderer->Presenter();
    if (presenter == nullptr) {
        return false;
    }
    const QRect r = ctx.videoWindow->rect();
    ZoomRect client{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    int vw = 0;
    int vh = 0;
    presenter->GetNativeVideoSize(&vw, &vh, nullptr, nullptr);
    ZoomRect out;
    if (!ComputeZoomRect(client, ctx.zoom, vw, vh, &out)) {
        return false;
    }
    ctx.zoom.lastLeft = out.left;
    ctx.zoom.lastTop = out.top;
    ctx.zoom.lastRight = out.right;
    ctx.zoom.lastBottom = out.bottom;
    const NormalizedRect source;
    const PixelRect dest{out.left, out.top, out.right, out.bottom};
    if (!Succeeded(presenter->SetVideoPosition(&source, &dest))) {
        return false;
    }
    if (ctx.zoom.keepAspect != 0) {
        presenter->SetAspectRatioMode(1);
    }
    return true;
}

// ---------------------------------------------------------------------------
// The operations.

int Close(PlayerContext& ctx);
int SetSpeed(PlayerContext& ctx, int code);

int Uninit(PlayerContext& ctx) {
    ctx.sensor.Close(); // cancels nothing running: loads run under the reader lock
    { std::lock_guard reader(ctx.readerLock); }
    if (ctx.renderer) {
        Close(ctx);
    }
    ctx.overlayBitmap = QImage();
    ctx.initialized = false;
    return 1;
}

bool Init(PlayerContext& ctx, CVideoWindow* window, const QString& fontFace) {
    Uninit(ctx);
    ContextLock lock(ctx);
    ctx.videoWindow = window;
    ctx.playState = 0;
    ctx.speedCode = 1;
    ctx.zoom.panX = ctx.zoom.panY = 0;
    ctx.step.value = 0.0f;
    ctx.step.running = 0.0f;
    ctx.lastPosition = 0;
    // Bold, 42 points, as the overlay text is drawn.
    ctx.overlayFont = QFont(fontFace);
    ctx.overlayFont.setPointSize(42);
    ctx.overlayFont.setBold(true);
    ctx.overlayBitmap = QImage(300, 120, QImage::Format_ARGB32_Premultiplied);
    ctx.overlayBitmap.fill(Qt::transparent);
    ctx.initialized = true;
    return true;
}

bool CheckRecording(PlayerContext&, const std::string& path) {
    return playcore::IsCompleteRecording(path);
}

int64_t GetFrameCount(PlayerContext& ctx) {
    ContextLock lock(ctx);
    if (!ctx.renderer || ctx.framePeriod <= 0.0f) {
        return 0;
    }
    return static_cast<int64_t>(static_cast<double>(ctx.renderer->Duration()) /
                                (static_cast<double>(ctx.framePeriod) * 10000.0));
}

bool Open(PlayerContext& ctx, const std::string& path) {
    ContextLock lock(ctx);
    // The movie probe: a movie at all, long enough (or of period 15), with a
    // frame period from "stts" or the track's own time scale.
    const playcore::MovieProbeResult probe = playcore::ProbeMovie(path);
    if (!probe.opened || !probe.accepted || probe.framePeriodMs <= 0.0f) {
        return false;
    }
    if (ctx.renderer) {
        Close(ctx);
    }
    ctx.framePeriod = probe.framePeriodMs;
    auto renderer = std::make_unique<CPlayer>(ctx.videoWindow);
    renderer->SetHardwareDecoding(ctx.decodeOption == 1);
    renderer->SetPresentRate(ctx.presentRate);
    if (!Succeeded(renderer->OpenFile(path, &ctx.viewState))) {
        return false;
    }
    ctx.renderer = std::move(renderer);
    ctx.reverseCapable = 0;
    const int64_t frames = GetFrameCount(ctx);
    if (frames <= 0) {
        ctx.renderer->CloseSession();
        ctx.renderer.reset();
        return false;
    }
    ctx.bitRate = static_cast<float>(static_cast<double>(MdatSize(path)) * 8.0 * 1000.0 /
                                     (static_cast<double>(frames) * ctx.framePeriod));
    ctx.playState = 1;
    return true;
}

int Close(PlayerContext& ctx) {
    ContextLock lock(ctx);
    ctx.step.running = 0.0f;
    if (ctx.step.thread.joinable()) {
        ctx.step.thread.join();
    }
    ctx.step.value = 0.0f;
    if (ctx.renderer) {
        // The session saves the view state into the context as it closes.
        ctx.renderer->CloseSession();
        ctx.renderer.reset();
    }
    ctx.playState = 0;
    return 1;
}

bool LoadSensorTrack(PlayerContext& ctx, const std::string& path) {
    const int64_t frames = GetFrameCount(ctx);
    ContextLock lock(ctx);
    std::lock_guard reader(ctx.readerLock);
    return ctx.sensor.Load(path, static_cast<int32_t>(frames), ctx.framePeriod);
}

int ReleaseSensorTrack(PlayerContext& ctx) {
    ContextLock lock(ctx);
    std::lock_guard reader(ctx.readerLock);
    ctx.sensor.Close();
    return 1;
}

int Play(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (ctx.playState != 2) {
        ctx.renderer->Start();
        ctx.playState = 2;
    }
    return 1;
}

int64_t PositionOf(int64_t frame, float period) {
    const float p = period * static_cast<float>(frame) * 10000.0f;
    return static_cast<int64_t>(p);
}

int PlayFromFrame(PlayerContext& ctx, int64_t frame) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (ctx.playState == 2) {
        ctx.renderer->StartAt(PositionOf(frame, ctx.framePeriod), false);
    }
    return 1;
}

int Pause(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (ctx.playState != 3) {
        if (ctx.renderer->GetState() == CPlayer::StateStarted) {
            ctx.renderer->Pause();
        }
        ctx.playState = 3;
    }
    return 1;
}

int Stop(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (ctx.playState != 1) {
        // The session only pauses; the play state tells stop from pause.
        if (ctx.renderer->GetState() == CPlayer::StateStarted) {
            ctx.renderer->Pause();
        }
        ctx.playState = 1;
    }
    return 1;
}

int64_t GetPosition(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    if (!ctx.renderer->HasClock() || ctx.framePeriod <= 0.0f) {
        return 0;
    }
    // The clock is read directly: it is exact at once, no settling wait.
    const int64_t t = ctx.renderer->Clock().GetTime();
    if (t < 0) {
        return -1;
    }
    const float frames = static_cast<float>(t) / (ctx.framePeriod * 10000.0f);
    ctx.lastPosition = static_cast<int64_t>(frames);
    return ctx.lastPosition;
}

int SeekToFrame(PlayerContext& ctx, int64_t frame) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (frame < 0) {
        frame = 0;
    }
    // Start there and pause at once; the session repaints (twice at
    // presentation rate 2) and the picture at that frame's time is shown.
    ctx.renderer->Seek(PositionOf(frame, ctx.framePeriod));
    return 1;
}

PlayerContext* SetOptionA(PlayerContext& ctx, int value) {
    ctx.optionA = value;
    return &ctx;
}

PlayerContext* SetDecodeOption(PlayerContext& ctx, int value) {
    ctx.decodeOption = value;
    if (ctx.renderer) {
        ctx.renderer->SetHardwareDecoding(value == 1); // takes effect at the next open
    }
    return &ctx;
}

int Nothing(PlayerContext&) {
    return 0;
}

int SetSpeed(PlayerContext& ctx, int code) {
    ContextLock lock(ctx);
    const float rate = SpeedRate(&code, ctx.speedCode, ctx.reverseCapable != 0);
    ctx.speedCode = code;
    ApplyVolume(ctx);
    if (ctx.renderer && ctx.renderer->Presenter() != nullptr) {
        // Above x2 frames are thinned so that the clock is kept.
        ctx.renderer->SetRate(rate, rate > 2.0f);
    }
    return 1;
}

bool SetStepMode(PlayerContext& ctx, float value) {
    ContextLock lock(ctx);
    ctx.step.running = 0.0f;
    if (ctx.step.thread.joinable()) {
        ctx.step.thread.join();
    }
    if (value != 0.0f) {
        if (ctx.framePeriod == 0.0f || !ctx.renderer) {
            return false;
        }
        ctx.renderer->SetVolume(0);
        ctx.renderer->Start();
        ctx.step.frameCount = GetFrameCount(ctx);
        ctx.step.startFrame = GetPosition(ctx);
        ctx.step.counter = ctx.step.startFrame;
        ctx.step.parent = ctx.videoWindow;
        if (ctx.renderer->GetState() == CPlayer::StateStarted) {
            ctx.renderer->Pause();
        }
        ctx.step.running = value;
        PlayerContext* c = &ctx;
        ctx.step.thread = std::thread([c] {
            int pass = 0;
            while (c->step.running.load() != 0.0f) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                if (++pass % 100 != 0 || c->playState.load() == 3) {
                    continue;
                }
                const int64_t frame = c->step.counter.load();
                PostPlayerMessage(c->videoWindow, kMsgStepFrame, 0, frame);
                c->step.counter = frame + 1;
                if (frame + 1 >= c->step.frameCount) {
                    PostPlayerMessage(c->videoWindow, kMsgStepEnd, 0, frame + 1);
                    c->step.counter = 0;
                    break;
                }
            }
        });
    } else {
        if (ctx.renderer) {
            ctx.renderer->Start();
        }
        SetSpeed(ctx, ctx.speedCode);
    }
    ctx.step.value = value;
    return true;
}

bool SetKeepAspect(PlayerContext& ctx, int keep) {
    ContextLock lock(ctx);
    ctx.zoom.keepAspect = keep;
    bool ok = true;
    if (ctx.renderer && ctx.renderer->Presenter() != nullptr) {
        ok = ApplyZoom(ctx) || ctx.zoom.zoom == 0.0f;
        ctx.renderer->Presenter()->SetAspectRatioMode(keep == 1 ? 1 : 0);
    }
    const int state = ctx.playState;
    if (state < 1 || state > 3) {
        ApplyVolume(ctx);
    }
    return ok;
}

float GetFramePeriod(PlayerContext& ctx) {
    return ctx.framePeriod;
}

bool GetVideoSize(PlayerContext& ctx, int* width, int* height) {
    if (!ctx.renderer || ctx.renderer->Presenter() == nullptr) {
        return false;
    }
    return Succeeded(
        ctx.renderer->Presenter()->GetNativeVideoSize(width, height, nullptr, nullptr));
}

int SetVolume(PlayerContext& ctx, int volume) {
    ContextLock lock(ctx);
    ctx.volume = volume < 0 ? 0 : (volume > 65535 ? 65535 : volume);
    ApplyVolume(ctx);
    return 1;
}

bool ShowOverlayText(PlayerContext& ctx, const QString& text) {
    ContextLock lock(ctx);
    if (!ctx.renderer || ctx.renderer->Engine() == nullptr || ctx.videoWindow == nullptr) {
        return false;
    }
    QImage bitmap(300, 120, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::black);
    {
        QPainter p(&bitmap);
        p.setFont(ctx.overlayFont);
        p.setPen(QColor(0, 255, 0));
        p.drawText(bitmap.rect(), Qt::TextWordWrap, text);
    }
    ctx.overlayBitmap = bitmap;
    int vw = 0;
    int vh = 0;
    GetVideoSize(ctx, &vw, &vh);
    const double W = ctx.videoWindow->width();
    const double H = ctx.videoWindow->height();
    if (vw <= 0 || vh <= 0 || W <= 0 || H <= 0) {
        return false;
    }
    double rx = W / vw;
    double ry = H / vh;
    if (ctx.zoom.keepAspect == 0) {
        rx = ry = std::min(rx, ry);
    }
    const int w = static_cast<int>(300 * rx);
    const int h = static_cast<int>(120 * ry);
    const QRectF where(QPointF(1.0 - w / W, 1.0 - h / H), QPointF(1.0, 1.0));
    ctx.renderer->Engine()->SetOverlay(bitmap, where, 0.8f);
    return true;
}

int HideOverlayText(PlayerContext& ctx) {
    ContextLock lock(ctx);
    if (ctx.renderer && ctx.renderer->Engine() != nullptr) {
        ctx.renderer->Engine()->ClearOverlay();
    }
    return 1;
}

bool SetFlipPosition(PlayerContext& ctx, int flip) {
    ContextLock lock(ctx);
    ctx.flip = flip;
    if (!ctx.renderer || ctx.renderer->Presenter() == nullptr) {
        return false;
    }
    PixelRect r = ctx.renderer->Engine()->DestinationRect();
    if (flip != 0) {
        std::swap(r.left, r.right);
        std::swap(r.top, r.bottom);
    }
    // A rectangle turned inside out is refused by the presenter.
    return Succeeded(ctx.renderer->Presenter()->SetVideoPosition(nullptr, &r));
}

bool SetZoomPan(PlayerContext& ctx, int zoomX, int zoomY, int panX, int panY, float zoom,
                int repaint) {
    if (!DisplayReady(ctx)) {
        return false;
    }
    ContextLock lock(ctx);
    ctx.zoom.pointX = zoomX;
    ctx.zoom.pointY = zoomY;
    ctx.zoom.panX = panX;
    ctx.zoom.panY = panY;
    ctx.zoom.zoom = zoom;
    const bool ok = ApplyZoom(ctx);
    if (repaint != 0) {
        ctx.renderer->Repaint();
    }
    return ok;
}

bool ReapplyZoomPan(PlayerContext& ctx) {
    ContextLock lock(ctx);
    return ApplyZoom(ctx);
}

D3DPresentEngine* EngineOf(PlayerContext& ctx) {
    return ctx.renderer ? ctx.renderer->Engine() : nullptr;
}

int Drag(PlayerContext& ctx, float h, float v, float zoom) {
    if (!ctx.renderer) {
        return 0;
    }
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    D3DPresentEngine* engine = EngineOf(ctx);
    if (engine == nullptr || engine->DisplayMode() == 5) {
        return 1;
    }
    return engine->Scene().Drag(h, v, zoom);
}

int EndDrag(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (D3DPresentEngine* engine = EngineOf(ctx)) {
        engine->Scene().EndDrag();
    }
    return 0;
}

int ToggleFlip(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    D3DPresentEngine* engine = EngineOf(ctx);
    return engine != nullptr ? engine->Scene().ToggleFlip() : 0;
}

int SetDisplayMode(PlayerContext& ctx, int mode) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (D3DPresentEngine* engine = EngineOf(ctx)) {
        engine->Scene().SetDisplayMode(mode);
    }
    return 0;
}

int SetAspect(PlayerContext& ctx, int width, int height) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (D3DPresentEngine* engine = EngineOf(ctx)) {
        engine->Scene().SetAspect(width, height);
    }
    return 0;
}

int ResetView(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ContextLock lock(ctx);
    if (D3DPresentEngine* engine = EngineOf(ctx)) {
        engine->Scene().ResetView();
    }
    return 0;
}

int SetPresentationRate(PlayerContext& ctx, int rate) {
    ContextLock lock(ctx);
    ctx.presentRate = rate;
    if (ctx.renderer) {
        ctx.renderer->SetPresentRate(rate);
    }
    return 0;
}

bool SaveSnapshot(PlayerContext& ctx, const std::string& path) {
    D3DPresentEngine* engine = EngineOf(ctx);
    if (engine == nullptr) {
        return false;
    }
    const QImage image = engine->GetCurrentImage();
    if (image.isNull()) {
        return false;
    }
    const QString name = QString::fromStdString(path);
    const bool png = name.endsWith(".png", Qt::CaseInsensitive);
    // Written under a temporary name and renamed when complete.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QImageWriter writer(&file, png ? "png" : "jpeg");
    if (!png) {
        writer.setQuality(95);
    }
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int Repaint(PlayerContext& ctx) {
    if (!DisplayReady(ctx)) {
        return 0;
    }
    ctx.renderer->Repaint();
    return 1;
}

} // namespace

float SpeedRate(int* code, int currentCode, bool reverseCapable) {
    switch (*code) {
    case 4:
        return 4.0f;
    case 2:
        return 2.0f;
    case -2:
        return reverseCapable ? -2.0f : 0.5f;
    case -4:
        return reverseCapable ? -4.0f : 0.25f;
    case -1:
        if (reverseCapable) {
            return -1.0f;
        }
        if (currentCode == -2) {
            *code = 1;
            return 1.0f;
        }
        if (currentCode == 1) {
            *code = -2;
            return 0.5f;
        }
        return 1.0f;
    default:
        return 1.0f;
    }
}

bool ComputeZoomRect(const ZoomRect& client, const ZoomPan& zoom, int videoWidth, int videoHeight,
                     ZoomRect* out) {
    ZoomRect r = client;
    const int cw = client.right - client.left;
    const int ch = client.bottom - client.top;
    if (cw <= 0 || ch <= 0) {
        return false;
    }
    if (zoom.zoom == 0.0f) {
        if (zoom.keepAspect == 0) {
            return false; // nothing set
        }
        // Keep-aspect without a zoom: the whole view, letterboxed.
    } else {
        const float z = zoom.zoom;
        const int h = static_cast<int>(static_cast<float>(cw) * (z - 1.0f));
        const float fx = static_cast<float>(zoom.pointX) / static_cast<float>(cw);
        const int right = client.right + static_cast<int>((1.0f - fx) * static_cast<float>(h));
        const int left = client.left - static_cast<int>(fx * static_cast<float>(h));
        const int v = static_cast<int>(static_cast<float>(ch) * (z - 1.0f));
        const float fy = static_cast<float>(zoom.pointY) / static_cast<float>(ch);
        const int bottom = client.bottom + static_cast<int>((1.0f - fy) * static_cast<float>(v));
        const int top = client.top - static_cast<int>(fy * static_cast<float>(v));
        if (right < left || bottom < top) {
            return false;
        }
        r = {left + zoom.panX, top + zoom.panY, right + zoom.panX, bottom + zoom.panY};
    }
    if (zoom.keepAspect != 0 && videoWidth > 0 && videoHeight > 0) {
        const double videoAspect = static_cast<double>(videoWidth) / videoHeight;
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        if (static_cast<double>(cw) / ch > videoAspect) {
            const int nw = static_cast<int>(h * videoAspect);
            r.left += (w - nw) / 2;
            r.right = r.left + nw;
        } else {
            const int nh = static_cast<int>(w / videoAspect);
            r.top += (h - nh) / 2;
            r.bottom = r.top + nh;
        }
        r.right += 2;
        r.bottom += 2;
    }
    *out = r;
    return true;
}

PlayerOps MakePlayerOps() {
    PlayerOps ops{};
    ops.Init = &Init;
    ops.Uninit = &Uninit;
    ops.CheckRecording = &CheckRecording;
    ops.Open = &Open;
    ops.Close = &Close;
    ops.LoadSensorTrack = &LoadSensorTrack;
    ops.ReleaseSensorTrack = &ReleaseSensorTrack;
    ops.Play = &Play;
    ops.PlayFromFrame = &PlayFromFrame;
    ops.Pause = &Pause;
    ops.Stop = &Stop;
    ops.GetPosition = &GetPosition;
    ops.SeekToFrame = &SeekToFrame;
    ops.SeekToFrameAlias = &SeekToFrame;
    ops.SetOptionA = &SetOptionA;
    ops.Reserved15 = &Nothing;
    ops.SetDecodeOption = &SetDecodeOption;
    ops.Reserved17 = &Nothing;
    ops.SetSpeed = &SetSpeed;
    ops.SetStepMode = &SetStepMode;
    ops.SetKeepAspect = &SetKeepAspect;
    ops.GetFrameCount = &GetFrameCount;
    ops.GetFrameCountAlias = &GetFrameCount;
    ops.Reserved23 = &Nothing;
    ops.GetFramePeriod = &GetFramePeriod;
    ops.GetVideoSize = &GetVideoSize;
    ops.SetVolume = &SetVolume;
    ops.ShowOverlayText = &ShowOverlayText;
    ops.HideOverlayText = &HideOverlayText;
    ops.SetFlipPosition = &SetFlipPosition;
    ops.SetZoomPan = &SetZoomPan;
    ops.Drag = &Drag;
    ops.EndDrag = &EndDrag;
    ops.ToggleFlip = &ToggleFlip;
    ops.SetDisplayMode = &SetDisplayMode;
    ops.SetAspect = &SetAspect;
    ops.ResetView = &ResetView;
    ops.SetPresentationRate = &SetPresentationRate;
    ops.SaveSnapshot = &SaveSnapshot;
    ops.Repaint = &Repaint;
    ops.ReapplyZoomPan = &ReapplyZoomPan;
    return ops;
}

const char* PlayerOpName(int index) {
    static constexpr const char* kNames[kPlayerOpCount] = {"Init",
                                                           "Uninit",
                                                           "CheckRecording",
                                                           "Open",
                                                           "Close",
                                                           "LoadSensorTrack",
                                                           "ReleaseSensorTrack",
                                                           "Play",
                                                           "PlayFromFrame",
                                                           "Pause",
                                                           "Stop",
                                                           "GetPosition",
                                                           "SeekToFrame",
                                                           "SeekToFrameAlias",
                                                           "SetOptionA",
                                                           "",
                                                           "SetDecodeOption",
                                                           "",
                                                           "SetSpeed",
                                                           "SetStepMode",
                                                           "SetKeepAspect",
                                                           "GetFrameCount",
                                                           "GetFrameCountAlias",
                                                           "",
                                                           "GetFramePeriod",
                                                           "GetVideoSize",
                                                           "SetVolume",
                                                           "ShowOverlayText",
                                                           "HideOverlayText",
                                                           "SetFlipPosition",
                                                           "SetZoomPan",
                                                           "Drag",
                                                           "EndDrag",
                                                           "ToggleFlip",
                                                           "SetDisplayMode",
                                                           "SetAspect",
                                                           "ResetView",
                                                           "SetPresentationRate",
                                                           "SaveSnapshot",
                                                           "Repaint",
                                                           "ReapplyZoomPan"};
    if (index < 0 || index >= kPlayerOpCount) {
        return "";
    }
    return kNames[index];
}

} // namespace player
