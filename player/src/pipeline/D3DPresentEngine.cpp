#include "player/D3DPresentEngine.h"

#include "player/CVideoWindow.h"

#include <QMetaObject>
#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>

#include <chrono>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace player {

namespace {

const char* kOverlayVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
out vec2 uv;
void main() {
    uv = texCoord;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

const char* kOverlayFragment = R"(#version 330 core
in vec2 uv;
uniform sampler2D overlay;
uniform float alpha;
out vec4 color;
void main() {
    vec4 c = texture(overlay, uv);
    // Black is the colour key: transparent.
    if (c.r + c.g + c.b < 0.02) discard;
    color = vec4(c.rgb, alpha);
}
)";

} // namespace

D3DPresentEngine::D3DPresentEngine(CVideoWindow* window) : window_(window) {}

D3DPresentEngine::~D3DPresentEngine() {
    // The owner has detached the engine from the window (GL released); give
    // back whatever is still waiting so the pool sees its samples again.
    DropPending();
    ReleaseSkipped();
}

std::vector<std::unique_ptr<VideoSample>>
D3DPresentEngine::CreateVideoSamples(const VideoFormat& format) {
    std::vector<std::unique_ptr<VideoSample>> samples;
    if (!AcceptsFormat(format.pixelFormat)) {
        return samples;
    }
    {
        std::lock_guard lock(lock_);
        format_ = format;
    }
    for (int i = 0; i < 2; ++i) {
        auto s = std::make_unique<VideoSample>();
        s->frame = av_frame_alloc();
        if (s->frame == nullptr) {
            samples.clear();
            return samples;
        }
        samples.push_back(std::move(s));
    }
    return samples;
}

void D3DPresentEngine::ReleaseResources() {}

bool D3DPresentEngine::AcceptsFormat(int pixelFormat) const {
    return pixelFormat == AV_PIX_FMT_YUV420P || pixelFormat == AV_PIX_FMT_YUVJ420P ||
           pixelFormat == AV_PIX_FMT_NV12;
}

HResult D3DPresentEngine::PresentSample(VideoSample* sample, bool late) {
    {
        std::lock_guard lock(lock_);
        const int c = presentCounter_;
        presentCounter_ = (c + 1) % presentInterval_;
        if (sample == nullptr) {
            // Present the last picture again.
        } else if (c % presentInterval_ != 0) {
            skipped_.push_back(sample);
            {
                std::lock_guard s(statsLock_);
                ++stats_.dropped;
            }
            RequestRelease();
            return kOk;
        } else {
            pending_.push_back({sample, late});
        }
    }
    RequestPaint();
    return kOk;
}

void D3DPresentEngine::RequestPaint() {
    CVideoWindow* w = window_.load();
    if (w == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        w, [w] { w->EngineFrameReady(); }, Qt::QueuedConnection);
}

void D3DPresentEngine::RequestRelease() {
    CVideoWindow* w = window_.load();
    if (w == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        w, [w] { w->EngineRelease(); }, Qt::QueuedConnection);
}

void D3DPresentEngine::ResetPresentCounter() {
    std::lock_guard lock(lock_);
    presentCounter_ = 0;
}

void D3DPresentEngine::SetPresentInterval(int n) {
    std::lock_guard lock(lock_);
    presentInterval_ = n < 1 ? 1 : n;
    presentCounter_ = 0;
}

int D3DPresentEngine::PresentInterval() const {
    std::lock_guard lock(lock_);
    return presentInterval_;
}

PixelRect D3DPresentEngine::DestinationRect() const {
    std::lock_guard lock(lock_);
    return destination_;
}

void D3DPresentEngine::SetDestinationRect(const PixelRect& rect) {
    std::lock_guard lock(lock_);
    destination_ = rect;
}

void D3DPresentEngine::SetOverlay(const QImage& image, const QRectF& where, float alpha) {
    {
        std::lock_guard lock(lock_);
        overlay_ = image;
        overlayRect_ = where;
        overlayAlpha_ = alpha;
        overlayDirty_ = true;
    }
    RequestPaint();
}

void D3DPresentEngine::ClearOverlay() {
    {
        std::lock_guard lock(lock_);
        overlay_ = QImage();
        overlayDirty_ = true;
    }
    RequestPaint();
}

QImage D3DPresentEngine::GetCurrentImage() {
    CVideoWindow* window = window_.load();
    if (window == nullptr) {
        return {};
    }
    QImage image = window->grabFramebuffer();
    if (image.isNull()) {
        return image;
    }
    // At the window's size, in window pixels.
    if (image.size() != window->size()) {
        image = image.scaled(window->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

PresentStats D3DPresentEngine::Stats() const {
    std::lock_guard lock(statsLock_);
    return stats_;
}

bool D3DPresentEngine::HasPending() const {
    std::lock_guard lock(lock_);
    return !pending_.empty();
}

void D3DPresentEngine::ReleaseSkipped() {
    std::deque<VideoSample*> skipped;
    {
        std::lock_guard lock(lock_);
        skipped.swap(skipped_);
    }
    for (VideoSample* s : skipped) {
        if (sampleFree) {
            sampleFree(s);
        }
    }
}

void D3DPresentEngine::DropPending() {
    std::deque<Pending> pending;
    {
        std::lock_guard lock(lock_);
        pending.swap(pending_);
    }
    for (const Pending& p : pending) {
        if (sampleFree) {
            sampleFree(p.sample);
        }
    }
}

void D3DPresentEngine::InitializeGL() {
    glReady_ = true;
    sceneReady_ = scene_.initializeGL();
    overlayDirty_ = true;
}

void D3DPresentEngine::ReleaseGL() {
    if (!glReady_) {
        return;
    }
    scene_.releaseGL();
    uploader_.Release();
    overlayTexture_.reset();
    overlayBuffer_.reset();
    overlayVao_.reset();
    overlayProgram_.reset();
    glReady_ = false;
    sceneReady_ = false;
    hasFrame_ = false;
}

bool D3DPresentEngine::Upload(VideoSample* sample) {
    const AVFrame* f = sample->frame;
    if (f == nullptr || f->data[0] == nullptr) {
        return false;
    }
    bool ok = false;
    if (f->format == AV_PIX_FMT_NV12) {
        ok = uploader_.UploadNv12(f->data[0], f->linesize[0], f->data[1], f->linesize[1], f->width,
                                  f->height);
    } else {
        ok = uploader_.UploadYuv420p(f->data[0], f->linesize[0], f->data[1], f->linesize[1],
                                     f->data[2], f->linesize[2], f->width, f->height);
    }
    if (ok) {
        scene_.setFrameTextures(uploader_.Textures());
        hasFrame_ = true;
        ++uploads_;
        lastPresentedTime_ = sample->time;
        lastPresentedSerial_ = sample->serial;
    }
    return ok;
}

void D3DPresentEngine::PaintGL(int width, int height, qreal devicePixelRatio) {
    const auto start = std::chrono::steady_clock::now();
    std::deque<Pending> pending;
    PixelRect dest;
    {
        std::lock_guard lock(lock_);
        pending.swap(pending_);
        dest = destination_;
    }
    bool drewNew = false;
    bool late = false;
    if (!pending.empty() && glReady_) {
        // Only the newest picture is shown; older ones were superseded.
        drewNew = Upload(pending.back().sample);
        late = pending.back().late;
    }
    for (size_t i = 0; i < pending.size(); ++i) {
        if (sampleFree) {
            sampleFree(pending[i].sample);
        }
    }
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    QOpenGLExtraFunctions* gl = ctx != nullptr ? ctx->extraFunctions() : nullptr;
    const int pw = static_cast<int>(width * devicePixelRatio);
    const int ph = static_cast<int>(height * devicePixelRatio);
    if (gl != nullptr) {
        gl->glViewport(0, 0, pw, ph);
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        if (sceneReady_ && hasFrame_) {
            PixelRect d = dest;
            if (d.right <= d.left || d.bottom <= d.top) {
                d = PixelRect{}; // the whole view
            } else if (devicePixelRatio != 1.0) {
                d = {static_cast<int>(d.left * devicePixelRatio),
                     static_cast<int>(d.top * devicePixelRatio),
                     static_cast<int>(d.right * devicePixelRatio),
                     static_cast<int>(d.bottom * devicePixelRatio)};
            }
            scene_.draw(pw, ph, d);
        }
        DrawOverlay(pw, ph);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::lock_guard s(statsLock_);
    if (drewNew) {
        ++stats_.presented;
        if (late) {
            ++stats_.late;
        }
        stats_.drawMs.push_back(ms);
    }
    if (pending.size() > 1) {
        stats_.dropped += static_cast<int64_t>(pending.size() - 1);
    }
}

void D3DPresentEngine::DrawOverlay(int width, int height) {
    QImage image;
    QRectF where;
    float alpha = 0.8f;
    bool dirty = false;
    {
        std::lock_guard lock(lock_);
        image = overlay_;
        where = overlayRect_;
        alpha = overlayAlpha_;
        dirty = overlayDirty_;
        overlayDirty_ = false;
    }
    if (image.isNull()) {
        overlayTexture_.reset();
        return;
    }
    QOpenGLExtraFunctions* gl = QOpenGLContext::currentContext()->extraFunctions();
    if (!overlayProgram_) {
        overlayProgram_ = std::make_unique<QOpenGLShaderProgram>();
        if (!overlayProgram_->addShaderFromSourceCode(QOpenGLShader::Vertex, kOverlayVertex) ||
            !overlayProgram_->addShaderFromSourceCode(QOpenGLShader::Fragment, kOverlayFragment) ||
            !overlayProgram_->link()) {
            overlayProgram_.reset();
            return;
        }
        overlayVao_ = std::make_unique<QOpenGLVertexArrayObject>();
        overlayVao_->create();
        overlayBuffer_ = std::make_unique<QOpenGLBuffer>(QOpenGLBuffer::VertexBuffer);
        overlayBuffer_->create();
    }
    if (dirty || !overlayTexture_) {
        overlayTexture_ = std::make_unique<QOpenGLTexture>(
            image.convertToFormat(QImage::Format_RGBA8888), QOpenGLTexture::DontGenerateMipMaps);
        overlayTexture_->setMinMagFilters(QOpenGLTexture::Linear, QOpenGLTexture::Linear);
        overlayTexture_->setWrapMode(QOpenGLTexture::ClampToEdge);
    }
    // Fractions of the view (origin top left) to clip space.
    const float x0 = static_cast<float>(where.left() * 2.0 - 1.0);
    const float x1 = static_cast<float>(where.right() * 2.0 - 1.0);
    const float y0 = static_cast<float>(1.0 - where.top() * 2.0);
    const float y1 = static_cast<float>(1.0 - where.bottom() * 2.0);
    const float vertices[] = {x0, y0, 0, 0, x1, y0, 1, 0, x0, y1, 0, 1, x1, y1, 1, 1};
    overlayVao_->bind();
    overlayBuffer_->bind();
    overlayBuffer_->allocate(vertices, sizeof(vertices));
    overlayProgram_->bind();
    overlayProgram_->enableAttributeArray(0);
    overlayProgram_->enableAttributeArray(1);
    overlayProgram_->setAttributeBuffer(0, GL_FLOAT, 0, 2, 4 * sizeof(float));
    overlayProgram_->setAttributeBuffer(1, GL_FLOAT, 2 * sizeof(float), 2, 4 * sizeof(float));
    overlayProgram_->setUniformValue("overlay", 0);
    overlayProgram_->setUniformValue("alpha", alpha);
    gl->glViewport(0, 0, width, height);
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    gl->glEnable(GL_BLEND);
    gl->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl->glActiveTexture(GL_TEXTURE0);
    overlayTexture_->bind();
    gl->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    overlayTexture_->release();
    gl->glDisable(GL_BLEND);
    overlayProgram_->release();
    overlayBuffer_->release();
    overlayVao_->release();
}

} // namespace player
