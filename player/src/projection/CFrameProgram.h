// The shader program every projection object draws the frame with: positions
// transformed by one row-vector matrix, the frame sampled with clamped linear
// filtering, YUV planes converted to RGB with BT.709 limited range.
#pragma once

#include "player/FrameTextures.h"
#include "player/Matrix4.h"

#include <memory>

class QOpenGLShaderProgram;

namespace player {

class CFrameProgram {
public:
    CFrameProgram();
    ~CFrameProgram();
    CFrameProgram(const CFrameProgram&) = delete;
    CFrameProgram& operator=(const CFrameProgram&) = delete;

    // Compiles and links for the current context (GLSL 3.30 core or 3.00 es).
    bool Create();
    void Release();
    // Created, and in the context that is current now.
    bool IsCreated() const;

    // Binds the program, the frame's planes and the samplers.
    bool Begin(const FrameTextures& frame);
    void SetMatrix(const Matrix4& worldViewProjection);
    // Unbinds what Begin bound.
    void End();

private:
    static constexpr int kFormats = 3; // RGBA, planar YUV, NV12
    std::unique_ptr<QOpenGLShaderProgram> programs_[kFormats];
    int matrixLocations_[kFormats] = {-1, -1, -1};
    unsigned int samplers_[3] = {0, 0, 0};
    const void* context_ = nullptr; // the QOpenGLContext of the samplers
    QOpenGLShaderProgram* bound_ = nullptr;
    int boundMatrix_ = -1;
};

// True when the current context can run the projection shaders.
bool CurrentContextSupportsProjection();

// Sets the render states of the 3D scene for a viewWidth x viewHeight
// viewport and clears colour, depth and stencil to opaque black, 1.0 and 0.
void BeginScene(int viewWidth, int viewHeight);
// Leaves depth and stencil testing off again for whoever draws next.
void EndScene();
// False when OpenGL reported an error since the last call (clearing them).
bool NoGlError();

} // namespace player
