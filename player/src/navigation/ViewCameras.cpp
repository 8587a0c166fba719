#include "player/ViewCameras.h"

#include <cstddef>

namespace player {

namespace {

Matrix4 Projection(float zoom, float aspect) {
    const float fov = kFieldOfViewDegrees / zoom * kRadiansPerDegree;
    return ToOpenGLClip(PerspectiveFovLH(fov, aspect, kNearPlane, kFarPlane));
}

CameraMatrices ScreenCamera(CameraParams& p, float aspect, float eyeDistance) {
    p.aspect = aspect;
    CameraMatrices c;
    c.view = LookAtLH(Vec3{p.xOffset, p.yOffset, eyeDistance}, Vec3{p.xOffset, p.yOffset, 0.0f},
                      Vec3{0.0f, p.upSign, 0.0f});
    c.projection = Projection(p.zoom, aspect);
    return c;
}

} // namespace

CameraMatrices SplitCamera(CameraParams& params, float aspect) {
    return ScreenCamera(params, aspect == 1.0f ? kSplitSquareAspect : aspect, kScreenEyeDistance);
}

CameraMatrices FullFrameCamera(CameraParams& params, float aspect) {
    return ScreenCamera(params, aspect, kScreenEyeDistance);
}

CameraMatrices PanoramaCamera(CameraParams& params, float aspect) {
    return ScreenCamera(params, aspect, kPanoramaEyeDistance);
}

CameraMatrices SphereCamera(float upSign, float zoom, float aspect, const SphereOrientation& a) {
    CameraMatrices c;
    c.world = ToMatrix4(a.matrix);
    c.view = LookAtLH(Vec3{0.0f, 0.0f, kSphereEyeDistance}, Vec3{0.0f, 0.0f, 0.0f},
                      Vec3{0.0f, upSign, 0.0f});
    c.projection = Projection(zoom, aspect);
    return c;
}

Matrix4 ToMatrix4(const Matrix4d& m) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.at(i, j) =
                static_cast<float>(m[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
        }
    }
    return r;
}

} // namespace player
