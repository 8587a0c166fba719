#include "player/FrameTextures.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>

namespace player {

namespace {

QOpenGLExtraFunctions* Gl() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx != nullptr ? ctx->extraFunctions() : nullptr;
}

} // namespace

bool FrameTextures::Valid() const {
    if (width <= 0 || height <= 0 || planes[0] == 0) {
        return false;
    }
    switch (format) {
    case FrameFormat::Rgba:
        return true;
    case FrameFormat::Yuv420p:
        return planes[1] != 0 && planes[2] != 0;
    case FrameFormat::Nv12:
        return planes[1] != 0;
    }
    return false;
}

bool CFrameUploader::Plane(int index, int internalFormat, int format, int width, int height,
                           const uint8_t* data, int stride, int bytesPerPixel) {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || data == nullptr || width <= 0 || height <= 0 ||
        stride < width * bytesPerPixel || stride % bytesPerPixel != 0) {
        return false;
    }
    if (context_ != QOpenGLContext::currentContext()) {
        Release(); // textures of another context cannot be filled here
        context_ = QOpenGLContext::currentContext();
    }
    unsigned int& tex = textures_.planes[index];
    int* size = sizes_[index];
    if (tex == 0) {
        gl->glGenTextures(1, &tex);
    }
    gl->glBindTexture(GL_TEXTURE_2D, tex);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, stride / bytesPerPixel);
    if (size[0] != width || size[1] != height || size[2] != internalFormat) {
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0,
                         static_cast<GLenum>(format), GL_UNSIGNED_BYTE, data);
        size[0] = width;
        size[1] = height;
        size[2] = internalFormat;
    } else {
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, static_cast<GLenum>(format),
                            GL_UNSIGNED_BYTE, data);
    }
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    return gl->glGetError() == GL_NO_ERROR;
}

bool CFrameUploader::UploadRgba(const uint8_t* rgba, int width, int height, int bytesPerLine) {
    if (!Plane(0, GL_RGBA8, GL_RGBA, width, height, rgba, bytesPerLine, 4)) {
        return false;
    }
    textures_.format = FrameFormat::Rgba;
    textures_.width = width;
    textures_.height = height;
    return true;
}

bool CFrameUploader::UploadYuv420p(const uint8_t* y, int yStride, const uint8_t* u, int uStride,
                                   const uint8_t* v, int vStride, int width, int height) {
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    if (!Plane(0, GL_R8, GL_RED, width, height, y, yStride, 1) ||
        !Plane(1, GL_R8, GL_RED, cw, ch, u, uStride, 1) ||
        !Plane(2, GL_R8, GL_RED, cw, ch, v, vStride, 1)) {
        return false;
    }
    textures_.format = FrameFormat::Yuv420p;
    textures_.width = width;
    textures_.height = height;
    return true;
}

bool CFrameUploader::UploadNv12(const uint8_t* y, int yStride, const uint8_t* uv, int uvStride,
                                int width, int height) {
    if (!Plane(0, GL_R8, GL_RED, width, height, y, yStride, 1) ||
        !Plane(1, GL_RG8, GL_RG, (width + 1) / 2, (height + 1) / 2, uv, uvStride, 2)) {
        return false;
    }
    textures_.format = FrameFormat::Nv12;
    textures_.width = width;
    textures_.height = height;
    return true;
}

void CFrameUploader::Release() {
    QOpenGLExtraFunctions* gl = Gl();
    const bool own = context_ == QOpenGLContext::currentContext();
    for (int i = 0; i < 3; ++i) {
        if (gl != nullptr && own && textures_.planes[i] != 0) {
            gl->glDeleteTextures(1, &textures_.planes[i]);
        }
        textures_.planes[i] = 0;
        sizes_[i][0] = sizes_[i][1] = sizes_[i][2] = 0;
    }
    textures_.width = textures_.height = 0;
    context_ = nullptr;
}

} // namespace player
