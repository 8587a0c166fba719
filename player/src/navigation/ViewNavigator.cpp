#include "player/ViewNavigator.h"

#include "player/DisplayMode.h"
#include "player/SphereNavigation.h"

namespace player {

ViewNavigator::ViewNavigator() {
    Load(ViewState{});
}

void ViewNavigator::Load(const ViewState& s) {
    drawingEnabled_ = s.drawingEnabled;
    aspect_ = s.aspect;
    modelMode_ = s.modelMode;
    sphereUpSign_ = s.sphereUpSign;
    sphereA_ = s.sphereA;
    sphereB_ = s.sphereB;
    testDirections_ = s.testDirections;
    panorama_ = s.panorama;
    fullFrame_ = s.fullFrame;
    split_ = s.split;
    sphereZoom_ = 1.0f; // the sphere's zoom is not carried between files
    sphereA_.matrix = RotationMatrix(sphereA_.current);
}

void ViewNavigator::Save(ViewState& s) const {
    s.drawingEnabled = drawingEnabled_;
    s.aspect = aspect_;
    s.modelMode = modelMode_;
    s.sphereUpSign = sphereUpSign_;
    s.sphereA = sphereA_;
    s.sphereB = sphereB_;
    s.testDirections = testDirections_;
    s.panorama = panorama_;
    s.fullFrame = fullFrame_;
    s.split = split_;
}

void ViewNavigator::SetMode(int mode) {
    modelMode_ = mode;
    drawingEnabled_ = IsModelMode(mode) ? 1 : 0;
}

void ViewNavigator::SetAspect(int width, int height) {
    // A view without height has no aspect; keeping the previous one avoids an
    // infinite or undefined projection.
    if (!DrawingEnabled() || !IsModelMode(modelMode_) || width <= 0 || height <= 0) {
        return;
    }
    aspect_ = static_cast<float>(width) / static_cast<float>(height);
}

int ViewNavigator::Drag(float h, float v, float z) {
    if (!DrawingEnabled()) {
        return 1;
    }
    switch (modelMode_) {
    case ModeSplit:
        return DragSplit(h, v, z);
    case ModeFullFrame:
        return DragFullFrame(h, v, z);
    case ModeSphere:
        return DragSphere(h, v, z);
    case ModePanorama:
        return DragPanorama(h, v, z);
    default:
        return 1;
    }
}

int ViewNavigator::DragSplit(float h, float v, float z) {
    if (split_.upSign < 0.0f) {
        h = -h;
        v = -v;
    }
    split_.zoom = z;
    split_.xOffset += h * kSplitXFactor;
    split_.yOffset += v * kSplitYFactor;
    if (z == 1.0f) {
        split_.xOffset = 0.0f;
        split_.yOffset = 0.0f;
    }
    player::SplitCamera(split_, split_.aspect);
    return 1;
}

int ViewNavigator::DragFullFrame(float h, float v, float z) {
    if (fullFrame_.upSign < 0.0f) {
        h = -h;
        v = -v;
    }
    fullFrame_.zoom = z;
    fullFrame_.xOffset += h * kFullFrameFactor;
    fullFrame_.yOffset += v * kFullFrameFactor;
    if (z == 1.0f) {
        fullFrame_.xOffset = 0.0f;
        fullFrame_.yOffset = 0.0f;
    }
    player::FullFrameCamera(fullFrame_, fullFrame_.aspect);
    return 1;
}

int ViewNavigator::DragPanorama(float h, float v, float z) {
    if (panorama_.upSign < 0.0f) {
        h = -h;
        v = -v;
    }
    // Three equal steps, each wrapped by one plane width, so the strip
    // follows the pointer and scrolls without end.
    for (int step = 0; step < 3; ++step) {
        panorama_.zoom = z;
        panorama_.xOffset += h * kPanoramaFactor;
        panorama_.yOffset += v * kPanoramaFactor;
        if (panorama_.xOffset > 0.0f) {
            panorama_.xOffset = -kPanoramaPlaneWidth;
        } else if (panorama_.xOffset < -kPanoramaPlaneWidth) {
            panorama_.xOffset = 0.0f;
        }
        if (z == 1.0f) {
            panorama_.yOffset = 0.0f;
        }
    }
    player::PanoramaCamera(panorama_, panorama_.aspect);
    return 1;
}

int ViewNavigator::DragSphere(float h, float v, float z) {
    if (sphereUpSign_ < 0.0f) {
        h = -h;
        v = -v;
    }
    sphereZoom_ = z;
    return SphereDrag(sphereA_, sphereB_, testDirections_, h, v).result;
}

void ViewNavigator::EndDrag() {
    if (!DrawingEnabled()) {
        return;
    }
    if (modelMode_ == ModeSphere) {
        sphereA_.base = sphereA_.current;
    } else if (modelMode_ == ModePanorama) {
        player::PanoramaCamera(panorama_, panorama_.aspect);
    }
}

int ViewNavigator::ToggleFlip() {
    if (!DrawingEnabled()) {
        return 0;
    }
    const bool wasUpright = split_.upSign > 0.0f;
    auto flip = [](float& sign) { sign = sign > 0.0f ? -kUpSign : kUpSign; };
    flip(sphereUpSign_);
    flip(panorama_.upSign);
    flip(fullFrame_.upSign);
    flip(split_.upSign);
    return wasUpright ? 1 : 0;
}

void ViewNavigator::ResetView() {
    if (!DrawingEnabled()) {
        return;
    }
    if (modelMode_ == ModeSphere) {
        sphereA_.base = Quaternion{};
        sphereA_.current = Quaternion{};
        sphereA_.matrix = IdentityMatrix4d();
        sphereB_ = sphereA_;
    } else if (modelMode_ == ModePanorama) {
        panorama_.xOffset = 0.0f;
        panorama_.yOffset = 0.0f;
        player::PanoramaCamera(panorama_, panorama_.aspect);
    }
}

} // namespace player
