// brivona-tool render: draws a still picture, taken as the decoded frame,
// through one display mode into an offscreen OpenGL view and writes what the
// view shows as PNG. With --time N it also reports the drawing time per frame
// and the cost of one sphere drag step.
#include "player/DisplayMode.h"
#include "player/FrameTextures.h"
#include "player/OffscreenView.h"
#include "player/ProjectionScene.h"
#include "player/ViewNavigator.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

const char* help_render() {
    return "render --mode M [--size WxH] [--drag H,V]... [--flip] [--zoom Z] [--yuv] [--time N] "
           "IN OUT.png   draw a picture through display mode M (1..5) offscreen";
}

namespace {

struct RenderArgs {
    int mode = -1;
    int width = 732;
    int height = 411;
    std::vector<std::pair<float, float>> drags;
    bool flip = false;
    float zoom = 1.0f;
    bool zoomGiven = false;
    bool yuv = false; // hand the picture over as BT.709 YUV 4:2:0 planes
    int timeFrames = 0;
    std::string in;
    std::string out;
};

bool ParseFloat(const char* s, float* out) {
    char* end = nullptr;
    const float v = std::strtof(s, &end);
    if (end == s || *end != '\0') {
        return false;
    }
    *out = v;
    return true;
}

bool ParseInt(const char* s, int* out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || v < -1000000 || v > 1000000) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

// Returns an error text, empty on success.
std::string Parse(int argc, char** argv, RenderArgs* a) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                return nullptr;
            }
            (void)name;
            return argv[++i];
        };
        if (arg == "--mode") {
            const char* v = value("--mode");
            if (v == nullptr || !ParseInt(v, &a->mode)) {
                return "--mode needs a number";
            }
        } else if (arg == "--size") {
            const char* v = value("--size");
            int w = 0, h = 0;
            char x = 0;
            char rest = 0;
            if (v == nullptr || std::sscanf(v, "%d%c%d%c", &w, &x, &h, &rest) != 3 ||
                (x != 'x' && x != 'X') || w <= 0 || h <= 0 || w > 16384 || h > 16384) {
                return "--size needs WxH (1..16384 each)";
            }
            a->width = w;
            a->height = h;
        } else if (arg == "--drag") {
            const char* v = value("--drag");
            std::string s = v != nullptr ? v : "";
            const size_t comma = s.find(',');
            float h = 0, vv = 0;
            if (comma == std::string::npos || !ParseFloat(s.substr(0, comma).c_str(), &h) ||
                !ParseFloat(s.substr(comma + 1).c_str(), &vv)) {
                return "--drag needs H,V (amounts in turns)";
            }
            a->drags.emplace_back(h, vv);
        } else if (arg == "--flip") {
            a->flip = true;
        } else if (arg == "--zoom") {
            const char* v = value("--zoom");
            if (v == nullptr || !ParseFloat(v, &a->zoom) || !(a->zoom > 0.0f) || a->zoom > 100.0f) {
                return "--zoom needs a factor above 0";
            }
            a->zoomGiven = true;
        } else if (arg == "--yuv") {
            a->yuv = true;
        } else if (arg == "--time") {
            const char* v = value("--time");
            if (v == nullptr || !ParseInt(v, &a->timeFrames) || a->timeFrames < 1) {
                return "--time needs a frame count of at least 1";
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            positional.push_back(arg);
        }
    }
    if (a->mode < 0) {
        return "--mode is required";
    }
    if (positional.size() != 2) {
        return "need IN and OUT.png";
    }
    a->in = positional[0];
    a->out = positional[1];
    return {};
}

// The picture as a decoder would deliver it: BT.709 limited-range Y, U, V
// planes, chroma averaged over 2 x 2 pixels.
struct YuvPlanes {
    int width = 0, height = 0, chromaWidth = 0, chromaHeight = 0;
    std::vector<uint8_t> y, u, v;
};

YuvPlanes ToYuv420p(const QImage& rgba) {
    YuvPlanes p;
    p.width = rgba.width();
    p.height = rgba.height();
    p.chromaWidth = (p.width + 1) / 2;
    p.chromaHeight = (p.height + 1) / 2;
    p.y.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    p.u.assign(static_cast<size_t>(p.chromaWidth) * static_cast<size_t>(p.chromaHeight), 0);
    p.v.assign(p.u.size(), 0);
    std::vector<double> cb(p.u.size(), 0.0), cr(p.u.size(), 0.0), count(p.u.size(), 0.0);
    auto clamp8 = [](double x) {
        return static_cast<uint8_t>(std::lround(std::min(255.0, std::max(0.0, x))));
    };
    for (int y = 0; y < p.height; ++y) {
        const uchar* row = rgba.constScanLine(y);
        for (int x = 0; x < p.width; ++x) {
            const double r = row[x * 4], g = row[x * 4 + 1], b = row[x * 4 + 2];
            const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
            p.y[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] =
                clamp8(16.0 + luma * 219.0 / 255.0);
            const size_t c = static_cast<size_t>(y / 2) * static_cast<size_t>(p.chromaWidth) +
                             static_cast<size_t>(x / 2);
            cb[c] += (b - luma) / 1.8556;
            cr[c] += (r - luma) / 1.5748;
            count[c] += 1.0;
        }
    }
    for (size_t c = 0; c < p.u.size(); ++c) {
        p.u[c] = clamp8(128.0 + cb[c] / count[c] * 224.0 / 255.0);
        p.v[c] = clamp8(128.0 + cr[c] / count[c] * 224.0 / 255.0);
    }
    return p;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The cost of one sphere drag step (360 candidates) on the CPU.
void TimeSphereDrag(int steps) {
    player::ViewNavigator nav;
    nav.SetMode(player::ModeSphere);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < steps; ++i) {
        nav.Drag(0.01f, 0.004f, 1.0f); // drifts into the cap: deflected steps too
        nav.EndDrag();
    }
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double s = Seconds(std::chrono::steady_clock::now() - start);
    std::printf("sphere drag step: %.1f us, %.1f us processor time (%d steps)\n", s / steps * 1e6,
                cpu / steps * 1e6, steps);
}

} // namespace

int cmd_render(int argc, char** argv) {
    RenderArgs a;
    const std::string error = Parse(argc, argv, &a);
    if (!error.empty()) {
        std::fprintf(stderr, "brivona-tool render: %s\nusage: brivona-tool %s\n", error.c_str(),
                     help_render());
        return 2;
    }
    int qtArgc = 1;
    char qtName[] = "brivona-tool";
    char* qtArgv[] = {qtName, nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    QImageReader reader(QString::fromStdString(a.in));
    reader.setAutoTransform(true);
    reader.setAllocationLimit(1024); // MiB; a corrupt header must not exhaust memory
    QImage picture = reader.read();
    if (picture.isNull()) {
        std::fprintf(stderr, "brivona-tool render: cannot read %s: %s\n", a.in.c_str(),
                     qPrintable(reader.errorString()));
        return 1;
    }
    picture = picture.convertToFormat(QImage::Format_RGBA8888);

    player::OffscreenView view;
    std::string why;
    if (!view.Create(a.width, a.height, &why)) {
        std::fprintf(stderr, "brivona-tool render: %s\n", why.c_str());
        return 1;
    }
    player::CFrameUploader frame;
    bool uploaded = false;
    if (a.yuv) {
        const YuvPlanes p = ToYuv420p(picture);
        uploaded = frame.UploadYuv420p(p.y.data(), p.width, p.u.data(), p.chromaWidth, p.v.data(),
                                       p.chromaWidth, p.width, p.height);
    } else {
        uploaded = frame.UploadRgba(picture.constBits(), picture.width(), picture.height(),
                                    static_cast<int>(picture.bytesPerLine()));
    }
    if (!uploaded) {
        std::fprintf(stderr, "brivona-tool render: cannot upload the picture (%dx%d)\n",
                     picture.width(), picture.height());
        return 1;
    }
    player::ProjectionScene scene;
    if (!scene.initializeGL()) {
        std::fprintf(stderr, "brivona-tool render: cannot create the projection models\n");
        frame.Release();
        return 1;
    }
    scene.LoadViewState(player::ViewState{});
    scene.setFrameTextures(frame.Textures());
    // The mode first: the aspect is only taken while a 3D mode is drawn.
    scene.SetDisplayMode(a.mode);
    scene.SetAspect(a.width, a.height);
    for (const auto& [h, v] : a.drags) {
        scene.Drag(h, v, a.zoom);
        scene.EndDrag();
    }
    if (a.drags.empty() && a.zoomGiven) {
        scene.Drag(0.0f, 0.0f, a.zoom); // a zoom step at the view centre
        scene.EndDrag();
    }
    if (a.flip) {
        scene.ToggleFlip();
    }
    if (!player::IsModelMode(a.mode) && a.mode != player::ModeFlat) {
        std::fprintf(stderr, "brivona-tool render: mode %d draws nothing; the view stays black\n",
                     a.mode);
    }
    // A mode that draws nothing leaves the view black, as the viewer would.
    view.MakeCurrent();
    view.Clear();
    const bool drawn = scene.draw(a.width, a.height);
    if (!drawn && player::IsModelMode(a.mode)) {
        std::fprintf(stderr, "brivona-tool render: drawing failed\n");
    }
    if (a.timeFrames > 0) {
        view.Finish();
        // Wall time, and the processor time of all the renderer's threads,
        // which a loaded machine disturbs less.
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        for (int i = 0; i < a.timeFrames; ++i) {
            scene.draw(a.width, a.height);
            view.Finish();
        }
        const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const double s = Seconds(std::chrono::steady_clock::now() - start);
        std::printf("mode %d, %dx%d from %dx%d %s: %.2f ms per frame, %.2f ms processor time "
                    "(%d frames)\n",
                    a.mode, a.width, a.height, picture.width(), picture.height(),
                    a.yuv ? "YUV 4:2:0" : "RGBA", s / a.timeFrames * 1e3, cpu / a.timeFrames * 1e3,
                    a.timeFrames);
        TimeSphereDrag(2000);
    }
    const QImage shown = view.Grab();
    scene.releaseGL();
    frame.Release();
    QSaveFile file(QString::fromStdString(a.out));
    if (shown.isNull() || !file.open(QIODevice::WriteOnly) || !shown.save(&file, "PNG") ||
        !file.commit()) {
        std::fprintf(stderr, "brivona-tool render: cannot write %s: %s\n", a.out.c_str(),
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
