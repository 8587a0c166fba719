// Base of the screen-aligned frame objects: a rectangle or grid of vertices
// placed in the pixels of the target (origin top-left, y down), textured with
// the frame. The lock guards the vertices.
#pragma once

#include "player/CGridBuffer.h"
#include "player/FrameTextures.h"

#include <memory>
#include <mutex>
#include <vector>

namespace player {

class CFrameProgram;

class D3DRawObj {
public:
    D3DRawObj();
    virtual ~D3DRawObj();
    D3DRawObj(const D3DRawObj&) = delete;
    D3DRawObj& operator=(const D3DRawObj&) = delete;

    // Frees the GL resources (current context needed).
    virtual void ReleaseResources();
    // Builds the vertices for a target of width x height pixels.
    virtual bool BuildGeometry(int width, int height) = 0;

protected:
    bool EnsureProgram();
    std::unique_ptr<CFrameProgram> program_;
    CGridBuffer buffer_;
    std::vector<GridVertex> vertices_;
    mutable std::mutex lock_;
};

} // namespace player
