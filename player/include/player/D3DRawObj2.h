// The flat view (display mode 5, the rear camera): the frame stretched onto a
// destination rectangle of the view, optionally mirrored left to right.
#pragma once

#include "player/D3DRawObj.h"

namespace player {

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

class D3DRawObj2 : public D3DRawObj {
public:
    // Creates the GL resources and the four vertices for width x height.
    bool Create(int width, int height);
    bool BuildGeometry(int width, int height) override;

    // Flips the mirror flag and returns the new value (0 or 1). No GL needed;
    // the vertices are rewritten at the next draw.
    int ToggleMirror();
    int Mirror() const;
    void SetMirror(int mirror);

    // Clears the bound framebuffer (viewWidth x viewHeight device pixels) to
    // opaque black and draws the frame into dest (view pixels).
    bool Draw(const FrameTextures& frame, int viewWidth, int viewHeight, const PixelRect& dest);

private:
    int mirror_ = 0;
    bool dirty_ = true;
    PixelRect lastDest_;
    int lastWidth_ = 0; // last frame size
    int lastHeight_ = 0;
};

} // namespace player
