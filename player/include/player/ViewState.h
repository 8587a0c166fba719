// The view parameters of the 3D display modes. One record per player context;
// it is handed to the models when a file is opened and read back when the file
// closes, so the view (orientation, offsets, zooms, up signs) survives from one
// recording to the next. Fields keep their order and defaults.
#pragma once

#include "player/Quaternion.h"

#include <array>
#include <cstdint>

namespace player {

// Up sign of an upright camera; an upside-down camera uses the negative.
inline constexpr float kUpSign = 0.1f;

// One sphere orientation: the base quaternion (moved only when a drag is
// committed), the current quaternion (base turned by the drag in progress) and
// the row-vector rotation matrix of the current quaternion.
struct SphereOrientation {
    Quaternion base{1.0, 0.0, 0.0, 0.0};
    Quaternion current{1.0, 0.0, 0.0, 0.0};
    Matrix4d matrix{}; // all zero until the sphere is created
};

// One of the eight directions of the cap around +y that the sphere keeps away
// from the viewing direction.
struct TestDirection {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

// The eight unit test directions, 45 and 30 degrees from +y.
std::array<TestDirection, 8> DefaultTestDirections();

// Parameters of the split, full-frame and panorama cameras.
struct CameraParams {
    float upSign = kUpSign;
    float xOffset = 0.0f;
    float yOffset = 0.0f;
    float zoom = 1.0f;
    float aspect = 1.0f;
};

struct ViewState {
    int32_t drawingEnabled = 0; // 1 while the model mode is 1..4
    float aspect = 1.0f;        // view width / height used by the cameras
    int32_t modelMode = 2;      // display mode seen by the models
    int32_t flatMirror = 0;     // mirror state of the flat view (mode 5)
    float sphereUpSign = kUpSign;
    int32_t reserved0 = 0;
    SphereOrientation sphereA; // the orientation that is drawn
    SphereOrientation sphereB; // copy of A after every applied drag and reset
    std::array<TestDirection, 8> testDirections = DefaultTestDirections();
    CameraParams panorama;
    CameraParams fullFrame;
    CameraParams split;
    std::array<uint8_t, 132> reserved1{};
};

} // namespace player
