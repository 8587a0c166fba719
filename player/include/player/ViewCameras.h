// The four look-at/perspective cameras of the 3D display modes, built as the
// left-handed matrices they are defined with and converted for OpenGL's clip
// space, so that the picture on screen is the one the left-handed camera shows.
#pragma once

#include "player/Matrix4.h"
#include "player/ViewState.h"

namespace player {

inline constexpr float kNearPlane = 0.01f;
inline constexpr float kFarPlane = 1000.0f;
inline constexpr float kFieldOfViewDegrees = 60.0f;
inline constexpr float kRadiansPerDegree = 0.017453292f;
inline constexpr float kSplitSquareAspect = 1.3333334f; // replaces an aspect of exactly 1.0
inline constexpr float kScreenEyeDistance = 0.865f;     // split and full-frame cameras
inline constexpr float kPanoramaEyeDistance = 1.01f;
inline constexpr float kSphereEyeDistance = 0.1f;

struct CameraMatrices {
    Matrix4 world;      // identity except for the sphere
    Matrix4 view;       // left-handed look-at
    Matrix4 projection; // OpenGL clip space (depth -1..1)

    // world * view * projection, for row vectors (the GL uniform).
    Matrix4 WorldViewProjection() const { return world * view * projection; }
};

// Each camera update stores the aspect it used in the camera's parameters.
// Split: an aspect of exactly 1.0 becomes 4:3.
CameraMatrices SplitCamera(CameraParams& params, float aspect);
CameraMatrices FullFrameCamera(CameraParams& params, float aspect);
CameraMatrices PanoramaCamera(CameraParams& params, float aspect);
// Sphere: eye (0, 0, 0.1) towards the centre, world = orientation's matrix.
CameraMatrices SphereCamera(float upSign, float zoom, float aspect, const SphereOrientation& a);

// The orientation's double matrix converted to floats.
Matrix4 ToMatrix4(const Matrix4d& m);

} // namespace player
