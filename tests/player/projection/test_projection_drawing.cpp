// Drawing through every display mode in a real OpenGL context. The numeric
// checks use a chart whose colour encodes its own texture coordinates (red =
// u, green = v), so every sampled pixel tells which point of the frame it
// shows; that is compared with the point the mode's mapping predicts for the
// pixel. A ring-and-sector chart is drawn too and saved with the numeric
// renders under <build>/artifacts/projection/ for a person to look at.
#include "player/D3DRawObj1.h"
#include "player/DisplayMode.h"
#include "player/FrameTextures.h"
#include "player/OffscreenView.h"
#include "player/ProjectionGeometry.h"
#include "player/ProjectionScene.h"

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace player;

constexpr int kWidth = 732;
constexpr int kHeight = 411;
constexpr double kPi = std::numbers::pi;

// Red and green carry u and v; blue marks drawn pixels.
QImage CoordinateChart(int n) {
    QImage img(n, n, QImage::Format_RGBA8888);
    for (int y = 0; y < n; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < n; ++x) {
            row[x * 4 + 0] = static_cast<uchar>(std::lround((x + 0.5) / n * 255.0));
            row[x * 4 + 1] = static_cast<uchar>(std::lround((y + 0.5) / n * 255.0));
            row[x * 4 + 2] = 200;
            row[x * 4 + 3] = 255;
        }
    }
    return img;
}

// Hue by 30-degree sector (0 towards the picture's bottom edge, growing
// towards its right), brightness alternating by ring of radius 0.05, a white
// spoke towards the top edge and a black one towards the right edge, black
// outside the circle.
QImage RingChart(int n) {
    QImage img(n, n, QImage::Format_RGBA8888);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const double u = (x + 0.5) / n, v = (y + 0.5) / n;
            const double dx = u - 0.5, dy = v - 0.5, r = std::hypot(dx, dy);
            QColor c(Qt::black);
            if (r <= 0.5) {
                double a = std::atan2(dx, dy) * 180.0 / kPi;
                a = a < 0 ? a + 360.0 : a;
                const int sector = static_cast<int>(a / 30.0);
                const int ring = static_cast<int>(r / 0.05);
                c = QColor::fromHsl(sector * 30, 255, ring % 2 != 0 ? 90 : 150);
                if (std::fabs(dx) < 0.004 && dy < 0) {
                    c = Qt::white;
                } else if (std::fabs(dy) < 0.004 && dx > 0) {
                    c = Qt::black;
                }
            }
            img.setPixelColor(x, y, c);
        }
    }
    return img;
}

class ProjectionDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_projection_drawing";
        static char* argv[] = {name, nullptr};
        if (QGuiApplication::instance() == nullptr) {
            app_ = new QGuiApplication(argc, argv);
        }
    }

    static void TearDownTestSuite() {
        delete app_; // before the process's own teardown, with no GL object left
        app_ = nullptr;
    }

    void SetUp() override {
        std::string error;
        view_ = std::make_unique<OffscreenView>();
        ASSERT_TRUE(view_->Create(kWidth, kHeight, &error)) << error;
        ASSERT_TRUE(scene_.initializeGL());
        coordinates_ = CoordinateChart(720);
        rings_ = RingChart(720);
    }

    void TearDown() override {
        if (view_ != nullptr && view_->MakeCurrent()) {
            scene_.releaseGL();
            upload_.Release();
        }
        view_.reset();
    }

    // The default view state, the mode, the aspect of the view, then a hook.
    QImage Render(const QImage& chart, int mode, const std::function<void()>& adjust = {}) {
        EXPECT_TRUE(view_->MakeCurrent());
        EXPECT_TRUE(upload_.UploadRgba(chart.constBits(), chart.width(), chart.height(),
                                       static_cast<int>(chart.bytesPerLine())));
        scene_.LoadViewState(ViewState{});
        scene_.setFrameTextures(upload_.Textures());
        scene_.SetDisplayMode(mode);
        scene_.SetAspect(kWidth, kHeight);
        if (adjust) {
            adjust();
        }
        EXPECT_TRUE(scene_.draw(kWidth, kHeight));
        return view_->Grab();
    }

    static void Save(const QImage& img, const std::string& name) {
        const QString dir = QString(BRIVONA_BUILD_DIR) + "/artifacts/projection";
        QDir().mkpath(dir);
        EXPECT_TRUE(img.save(dir + "/" + QString::fromStdString(name) + ".png"));
    }

    // Compares the texture coordinates shown at a grid of pixels with the
    // prediction (nullopt skips a pixel); returns the largest error.
    static double Compare(const QImage& img,
                          const std::function<std::optional<TexCoord>(double, double)>& predict,
                          int* checked) {
        double worst = 0.0;
        *checked = 0;
        for (int py = 6; py < kHeight - 6; py += 23) {
            for (int px = 6; px < kWidth - 6; px += 29) {
                const double xn = (px + 0.5) / kWidth * 2.0 - 1.0;
                const double yn = 1.0 - (py + 0.5) / kHeight * 2.0;
                const std::optional<TexCoord> t = predict(xn, yn);
                if (!t || t->u < 0.02 || t->u > 0.98 || t->v < 0.02 || t->v > 0.98) {
                    continue;
                }
                const QColor c = img.pixelColor(px, py);
                EXPECT_NEAR(c.blue(), 200, 2) << px << "," << py;
                const double du = c.red() / 255.0 - t->u;
                const double dv = c.green() / 255.0 - t->v;
                worst = std::max(worst, std::max(std::fabs(du), std::fabs(dv)));
                EXPECT_NEAR(c.red() / 255.0, t->u, 0.012) << px << "," << py;
                EXPECT_NEAR(c.green() / 255.0, t->v, 0.012) << px << "," << py;
                ++*checked;
            }
        }
        return worst;
    }

    static inline QGuiApplication* app_ = nullptr;
    std::unique_ptr<OffscreenView> view_;
    ProjectionScene scene_;
    CFrameUploader upload_;
    QImage coordinates_;
    QImage rings_;
};

const double kTan30 = std::tan(kPi / 6.0);
const double kAspect = static_cast<double>(kWidth) / kHeight;

TEST_F(ProjectionDrawing, FullFrameShowsTheRoundPictureUnmirrored) {
    const QImage img = Render(coordinates_, ModeFullFrame);
    Save(img, "full_frame_coordinates");
    Save(Render(rings_, ModeFullFrame), "full_frame");
    int n = 0;
    // World x grows to the left on screen; u = 0.5 - x / c, v = 0.5 - y.
    const double worst = Compare(
        img,
        [](double xn, double yn) -> std::optional<TexCoord> {
            const double x = -xn * kAspect * kTan30 * 0.865, y = yn * kTan30 * 0.865;
            if (std::fabs(x) > 0.49) {
                return std::nullopt;
            }
            return TexCoord{static_cast<float>(0.5 - x), static_cast<float>(0.5 - y)};
        },
        &n);
    EXPECT_GT(n, 150);
    EXPECT_LT(worst, 0.012);
    // Outside the square frame the view is black.
    EXPECT_EQ(img.pixelColor(5, kHeight / 2), QColor(Qt::black));
    // The picture's top-left texel appears at the top-left of the frame.
    const QColor topLeft = img.pixelColor(kWidth / 2 - 195, 10);
    EXPECT_LT(topLeft.red(), 30);
    EXPECT_LT(topLeft.green(), 30);
}

TEST_F(ProjectionDrawing, SplitStripsShowTheTwoHalves) {
    const QImage img = Render(coordinates_, ModeSplit);
    Save(img, "split_coordinates");
    Save(Render(rings_, ModeSplit), "split");
    int n = 0;
    const double worst = Compare(
        img,
        [](double xn, double yn) -> std::optional<TexCoord> {
            const double x = -xn * kAspect * kTan30 * 0.865, y = yn * kTan30 * 0.865;
            if (std::fabs(y) < 0.01 || std::fabs(x) > 0.88) {
                return std::nullopt;
            }
            const int d = y < 0 ? 0 : 1;
            return SplitTexCoord(static_cast<float>(x), static_cast<float>(y), 0.0f, 0.5f * d,
                                 1.3333334f, d);
        },
        &n);
    EXPECT_GT(n, 250);
    EXPECT_LT(worst, 0.012);
    // Lower strip centred on the picture's bottom edge, upper on its top.
    const QColor lower = img.pixelColor(kWidth / 2, kHeight * 3 / 4);
    const QColor upper = img.pixelColor(kWidth / 2, kHeight / 4);
    EXPECT_NEAR(lower.red(), 128, 4);
    EXPECT_GT(lower.green(), 128 + 50);
    EXPECT_NEAR(upper.red(), 128, 4);
    EXPECT_LT(upper.green(), 128 - 50);
}

TEST_F(ProjectionDrawing, SphereAtIdentityAndAfterADrag) {
    const QImage img = Render(coordinates_, ModeSphere);
    Save(img, "sphere_coordinates");
    Save(Render(rings_, ModeSphere), "sphere");
    // A ray through the pixel, from the sphere's centre (the eye's 0.1 is
    // negligible against the radius 200), turned back by the orientation.
    auto predictWith = [](const Matrix4d& m) {
        return [m](double xn, double yn) -> std::optional<TexCoord> {
            const double dx = -xn * kAspect * kTan30, dy = yn * kTan30, dz = -1.0;
            const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
            // world = model * M, so model = world * M^T.
            double p[3];
            for (int j = 0; j < 3; ++j) {
                p[j] = (dx * m[j][0] + dy * m[j][1] + dz * m[j][2]) / len * 200.0;
            }
            return SphereTexCoord(static_cast<float>(p[0]), static_cast<float>(p[1]),
                                  static_cast<float>(p[2]));
        };
    };
    int n = 0;
    double worst = Compare(img, predictWith(IdentityMatrix4d()), &n);
    EXPECT_GT(n, 250);
    EXPECT_LT(worst, 0.012);
    const QColor centre = img.pixelColor(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(centre.red(), 128, 3);
    EXPECT_NEAR(centre.green() / 255.0, 0.5 - 0.572 / std::sqrt(2.0), 0.01);

    const QImage turned = Render(coordinates_, ModeSphere, [&] {
        EXPECT_EQ(scene_.Drag(0.1f, -0.02f, 1.0f), 1); // away from the cap
        scene_.EndDrag();
    });
    Save(turned, "sphere_turned_coordinates");
    const Matrix4d m = scene_.Model().Navigator().SphereA().matrix;
    worst = Compare(turned, predictWith(m), &n);
    EXPECT_GT(n, 200);
    EXPECT_LT(worst, 0.012);
}

TEST_F(ProjectionDrawing, PanoramaColumnsAreAzimuth) {
    const QImage img = Render(coordinates_, ModePanorama);
    Save(img, "panorama_coordinates");
    Save(Render(rings_, ModePanorama), "panorama");
    auto predictAt = [](double xOffset) {
        return [xOffset](double xn, double yn) -> std::optional<TexCoord> {
            double x = xOffset - xn * kAspect * kTan30 * 1.01;
            const double y = yn * kTan30 * 1.01;
            const float a = x < -3.0 ? -5.0f : (x < 1.0 ? -1.0f : 3.0f);
            return PanoramaTexCoord(static_cast<float>(x), static_cast<float>(y), a, 0.92f);
        };
    };
    int n = 0;
    double worst = Compare(img, predictAt(0.0), &n);
    EXPECT_GT(n, 300);
    EXPECT_LT(worst, 0.012);
    // The band's lower edge lies near the picture centre, its upper edge
    // near the picture's rim.
    auto radius = [&](int px, int py) {
        const QColor c = img.pixelColor(px, py);
        return std::hypot(c.red() / 255.0 - 0.5, c.green() / 255.0 - 0.5);
    };
    EXPECT_LT(radius(kWidth / 3, kHeight - 2), 0.08);
    EXPECT_GT(radius(kWidth / 3, 1), 0.45);
    // Scrolling: a drag across the wrap shows the same as the offset it lands on.
    const QImage scrolled = Render(coordinates_, ModePanorama, [&] {
        scene_.Drag(0.3f, 0.0f, 1.0f);
        scene_.EndDrag();
    });
    const float offset = scene_.Model().Navigator().Panorama().xOffset;
    EXPECT_GE(offset, -4.0f);
    EXPECT_LE(offset, 0.0f);
    worst = Compare(scrolled, predictAt(offset), &n);
    EXPECT_LT(worst, 0.012);
}

TEST_F(ProjectionDrawing, FlatViewFillsTheViewAndMirrors) {
    QImage img = Render(coordinates_, ModeFlat);
    Save(Render(rings_, ModeFlat), "flat");
    int n = 0;
    double worst = Compare(
        img,
        [](double xn, double yn) -> std::optional<TexCoord> {
            return TexCoord{static_cast<float>((xn + 1) / 2), static_cast<float>((1 - yn) / 2)};
        },
        &n);
    EXPECT_GT(n, 300);
    EXPECT_LT(worst, 0.01);
    img = Render(coordinates_, ModeFlat, [&] { EXPECT_EQ(scene_.ToggleFlip(), 1); });
    Save(img, "flat_mirrored_coordinates");
    worst = Compare(
        img,
        [](double xn, double yn) -> std::optional<TexCoord> {
            return TexCoord{static_cast<float>(1 - (xn + 1) / 2), static_cast<float>((1 - yn) / 2)};
        },
        &n);
    EXPECT_LT(worst, 0.01);
    EXPECT_EQ(scene_.ToggleFlip(), 0);
    EXPECT_EQ(scene_.ToggleFlip(), 1);
    Save(Render(rings_, ModeFlat, [&] { scene_.ToggleFlip(); }), "flat_mirrored");
    EXPECT_EQ(scene_.Drag(0.2f, 0.2f, 2.0f), 1); // no 3D view to move
}

TEST_F(ProjectionDrawing, UpsideDownTurnsThePictureHalfATurn) {
    const QImage upright = Render(coordinates_, ModeFullFrame);
    const QImage flipped =
        Render(coordinates_, ModeFullFrame, [&] { EXPECT_EQ(scene_.ToggleFlip(), 1); });
    Save(flipped, "full_frame_upside_down_coordinates");
    for (auto [px, py] : {std::pair{300, 100}, std::pair{420, 300}, std::pair{366, 205}}) {
        const QColor a = upright.pixelColor(px, py);
        const QColor b = flipped.pixelColor(kWidth - 1 - px, kHeight - 1 - py);
        EXPECT_NEAR(a.red(), b.red(), 2);
        EXPECT_NEAR(a.green(), b.green(), 2);
    }
}

TEST_F(ProjectionDrawing, ModeNoneDrawsNothingAndDisabledModelFails) {
    ASSERT_TRUE(view_->MakeCurrent());
    auto* gl = QOpenGLContext::currentContext()->functions();
    gl->glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    scene_.SetDisplayMode(ModeNone);
    EXPECT_TRUE(scene_.draw(kWidth, kHeight)); // nothing to draw is no failure
    scene_.SetDisplayMode(9);
    EXPECT_TRUE(scene_.draw(kWidth, kHeight));
    const QImage img = view_->Grab();
    EXPECT_EQ(img.pixelColor(10, 10), QColor(Qt::red)); // not even cleared
    // The model itself reports the disabled drawing as a failure.
    scene_.Model().setMode(ModeNone);
    EXPECT_FALSE(scene_.Model().draw(kWidth, kHeight));
    EXPECT_EQ(view_->Grab().pixelColor(10, 10), QColor(Qt::red));
}

TEST_F(ProjectionDrawing, UnwrapGridOfTheConversionIsEquirectangular) {
    ASSERT_TRUE(view_->MakeCurrent());
    ASSERT_TRUE(upload_.UploadRgba(coordinates_.constBits(), coordinates_.width(),
                                   coordinates_.height(),
                                   static_cast<int>(coordinates_.bytesPerLine())));
    D3DRawObj1 unwrap;
    ASSERT_TRUE(unwrap.BuildGeometry(kWidth, kHeight));
    ASSERT_TRUE(unwrap.Draw(upload_.Textures()));
    const QImage img = view_->Grab();
    unwrap.ReleaseResources();
    Save(img, "unwrap_coordinates");
    int n = 0;
    const double worst = Compare(
        img,
        [](double xn, double yn) -> std::optional<TexCoord> {
            const double k = (xn + 1) / 2 * kUnwrapColumns, j = (1 - yn) / 2 * kUnwrapRows;
            return UnwrapTexCoord(k, j);
        },
        &n);
    EXPECT_GT(n, 200);
    EXPECT_LT(worst, 0.012);
}

// A view whose context is replaced (a window moved to full screen gets a
// new one) builds its resources again; the names it had in the old context
// must not be deleted in the new one, where they may belong to others.
TEST_F(ProjectionDrawing, ReinitialisingInAnotherContextLeavesItsObjectsAlone) {
    OffscreenView second;
    std::string error;
    ASSERT_TRUE(second.Create(kWidth, kHeight, &error)) << error;
    CFrameUploader upload;
    ASSERT_TRUE(upload.UploadRgba(coordinates_.constBits(), coordinates_.width(),
                                  coordinates_.height(),
                                  static_cast<int>(coordinates_.bytesPerLine())));
    ProjectionScene other; // lives in the second context only
    ASSERT_TRUE(other.initializeGL());
    other.setFrameTextures(upload.Textures());
    other.SetDisplayMode(ModeFullFrame);
    other.SetAspect(kWidth, kHeight);
    // The fixture's scene, created in the first context, now drawn here:
    // refused until it is initialised for this context.
    scene_.SetDisplayMode(ModeFullFrame);
    EXPECT_FALSE(scene_.draw(kWidth, kHeight));
    ASSERT_TRUE(scene_.initializeGL());
    scene_.setFrameTextures(upload.Textures());
    EXPECT_TRUE(scene_.draw(kWidth, kHeight));
    ASSERT_TRUE(other.draw(kWidth, kHeight));
    const QImage img = second.Grab();
    const QColor centre = img.pixelColor(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(centre.red(), 128, 3);
    EXPECT_NEAR(centre.green(), 128, 3);
    EXPECT_NEAR(centre.blue(), 200, 3);
    scene_.releaseGL();
    other.releaseGL();
    upload.Release();
}

TEST_F(ProjectionDrawing, YuvPlanesAreConvertedWithBt709LimitedRange) {
    // Four quadrants: red, green, white, black in BT.709 limited range.
    struct Yuv {
        uint8_t y, u, v;
        QColor rgb;
    } colours[4] = {
        {63, 102, 240, QColor(255, 0, 0)},
        {173, 42, 26, QColor(0, 255, 0)},
        {235, 128, 128, QColor(255, 255, 255)},
        {16, 128, 128, QColor(0, 0, 0)},
    };
    const int w = 64, h = 64;
    std::vector<uint8_t> yp(w * h), up(w * h / 4), vp(w * h / 4), uv(w * h / 2);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Yuv& c = colours[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
            yp[y * w + x] = c.y;
            if (x % 2 == 0 && y % 2 == 0) {
                const int i = (y / 2) * (w / 2) + x / 2;
                up[i] = c.u;
                vp[i] = c.v;
                uv[2 * i] = c.u;
                uv[2 * i + 1] = c.v;
            }
        }
    }
    for (int format = 0; format < 2; ++format) {
        ASSERT_TRUE(view_->MakeCurrent());
        const bool uploaded = format == 0 ? upload_.UploadYuv420p(yp.data(), w, up.data(), w / 2,
                                                                  vp.data(), w / 2, w, h)
                                          : upload_.UploadNv12(yp.data(), w, uv.data(), w, w, h);
        ASSERT_TRUE(uploaded);
        scene_.setFrameTextures(upload_.Textures());
        scene_.SetDisplayMode(ModeFlat);
        ASSERT_TRUE(scene_.draw(kWidth, kHeight));
        const QImage img = view_->Grab();
        const int qx[2] = {kWidth / 4, kWidth * 3 / 4};
        const int qy[2] = {kHeight / 4, kHeight * 3 / 4};
        for (int i = 0; i < 4; ++i) {
            const QColor got = img.pixelColor(qx[i % 2], qy[i / 2]);
            EXPECT_NEAR(got.red(), colours[i].rgb.red(), 3) << format << " quadrant " << i;
            EXPECT_NEAR(got.green(), colours[i].rgb.green(), 3) << format << " quadrant " << i;
            EXPECT_NEAR(got.blue(), colours[i].rgb.blue(), 3) << format << " quadrant " << i;
        }
    }
}

} // namespace
