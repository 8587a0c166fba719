// The decoded frame as the projection models sample it: either three planes
// (Y, U, V, 4:2:0), two planes (NV12: Y and interleaved UV), each a
// single-channel (UV: two-channel) 8-bit texture, converted to RGB in the
// shader with BT.709 limited range (16..235 / 16..240); or one RGBA texture.
// The textures belong to the caller and must stay alive while they are set.
#pragma once

#include <cstdint>

namespace player {

enum class FrameFormat { Rgba, Yuv420p, Nv12 };

struct FrameTextures {
    FrameFormat format = FrameFormat::Rgba;
    unsigned int planes[3] = {0, 0, 0}; // GL texture names; unused planes 0
    int width = 0;                      // frame size in pixels (luma size)
    int height = 0;

    bool Valid() const;
};

// Textures owned by this object, filled from frames in memory (still pictures,
// software-decoded frames). Needs the current OpenGL context for every call,
// including release(); the destructor does not touch OpenGL.
class CFrameUploader {
public:
    CFrameUploader() = default;
    CFrameUploader(const CFrameUploader&) = delete;
    CFrameUploader& operator=(const CFrameUploader&) = delete;

    // rgba: width x height pixels of R, G, B, A bytes, rows top first.
    bool UploadRgba(const uint8_t* rgba, int width, int height, int bytesPerLine);
    // Planar 4:2:0: chroma planes (width + 1) / 2 x (height + 1) / 2.
    bool UploadYuv420p(const uint8_t* y, int yStride, const uint8_t* u, int uStride,
                       const uint8_t* v, int vStride, int width, int height);
    bool UploadNv12(const uint8_t* y, int yStride, const uint8_t* uv, int uvStride, int width,
                    int height);

    const FrameTextures& Textures() const { return textures_; }
    // Deletes the textures in their own context; in another one they are
    // only forgotten.
    void Release();

private:
    bool Plane(int index, int internalFormat, int format, int width, int height,
               const uint8_t* data, int stride, int bytesPerPixel);
    FrameTextures textures_;
    int sizes_[3][3] = {};          // per plane: width, height, internal format of the storage
    const void* context_ = nullptr; // the QOpenGLContext the textures belong to
};

} // namespace player
