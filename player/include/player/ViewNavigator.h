// The view parameters of the four 3D display modes and the view operations on
// them (drag, commit, flip, mode, aspect, reset), without any drawing. The
// projection model owns one and guards it with its locks; the cameras are
// derived from it at every draw. Offsets, up signs, zooms and the sphere's
// orientation survive mode changes; Load/Save carry them between files.
#pragma once

#include "player/ViewCameras.h"
#include "player/ViewState.h"

namespace player {

// Drag factors per unit of drag amount (turns).
inline constexpr float kSplitXFactor = 4.712389f;     // 1.5 pi
inline constexpr float kSplitYFactor = 6.2831855f;    // 2 pi
inline constexpr float kFullFrameFactor = 10.775663f; // 3.43 pi
inline constexpr float kPanoramaFactor = 2.3561945f;  // 0.75 pi, applied three times
inline constexpr float kPanoramaPlaneWidth = 4.0f;

class ViewNavigator {
public:
    ViewNavigator();

    // Takes every view parameter of the record (sphere zoom is reset to 1.0,
    // as for every newly opened file) and computes orientation A's matrix.
    void Load(const ViewState& state);
    // Writes the view parameters into the record; fields the navigator does
    // not own (the flat mirror flag, reserved fields) are left as they are.
    void Save(ViewState& state) const;

    bool DrawingEnabled() const { return drawingEnabled_ != 0; }
    int ModelMode() const { return modelMode_; }
    float Aspect() const { return aspect_; }

    // Model mode = mode; drawing is enabled for 1..4 and disabled otherwise.
    void SetMode(int mode);
    // Model aspect = width / height, only while drawing is enabled in 1..4.
    void SetAspect(int width, int height);
    // Drag by (h, v) turns at zoom z in the current mode. 1 when applied as
    // asked (or nothing to do), 0 when a sphere drag was deflected or refused.
    int Drag(float h, float v, float z);
    // Commits a drag: the sphere's base orientation takes the current one.
    void EndDrag();
    // Turns all four cameras upside down or back; 1 when they are now upside
    // down. 0 and no change while drawing is disabled.
    int ToggleFlip();
    // Sphere: initial orientation; panorama: offsets 0; other modes nothing.
    void ResetView();

    // Cameras for drawing with the model aspect (stores the aspect used).
    CameraMatrices SplitCamera() { return player::SplitCamera(split_, aspect_); }
    CameraMatrices FullFrameCamera() { return player::FullFrameCamera(fullFrame_, aspect_); }
    CameraMatrices PanoramaCamera() { return player::PanoramaCamera(panorama_, aspect_); }
    CameraMatrices SphereCamera() const {
        return player::SphereCamera(sphereUpSign_, sphereZoom_, aspect_, sphereA_);
    }

    const CameraParams& Split() const { return split_; }
    const CameraParams& FullFrame() const { return fullFrame_; }
    const CameraParams& Panorama() const { return panorama_; }
    float SphereUpSign() const { return sphereUpSign_; }
    float SphereZoom() const { return sphereZoom_; }
    const SphereOrientation& SphereA() const { return sphereA_; }
    const SphereOrientation& SphereB() const { return sphereB_; }
    const std::array<TestDirection, 8>& TestDirections() const { return testDirections_; }

private:
    int DragSplit(float h, float v, float z);
    int DragFullFrame(float h, float v, float z);
    int DragPanorama(float h, float v, float z);
    int DragSphere(float h, float v, float z);

    int drawingEnabled_ = 0;
    float aspect_ = 1.0f;
    int modelMode_ = 2;
    float sphereUpSign_ = kUpSign;
    float sphereZoom_ = 1.0f;
    SphereOrientation sphereA_;
    SphereOrientation sphereB_;
    std::array<TestDirection, 8> testDirections_ = DefaultTestDirections();
    CameraParams panorama_;
    CameraParams fullFrame_;
    CameraParams split_;
};

} // namespace player
