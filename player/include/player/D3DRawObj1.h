// The conversion engine's unwrapping grid: 960 x 480 cells covering the whole
// target, whose texture coordinates map the fisheye picture to an
// equirectangular one (UnwrapTexCoord).
#pragma once

#include "player/D3DRawObj.h"

namespace player {

class D3DRawObj1 : public D3DRawObj {
public:
    bool BuildGeometry(int width, int height) override;
    // Draws the unwrapped frame over the bound framebuffer of the size given
    // to BuildGeometry (cleared to opaque black first).
    bool Draw(const FrameTextures& frame);

private:
    int width_ = 0;
    int height_ = 0;
};

} // namespace player
