#include "CFrameProgram.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>

#include <cstdio>

namespace player {

namespace {

const char* const kVertexBody = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec2 aTexCoord;
uniform mat4 uMatrix;
out vec2 vTexCoord;
void main() {
    vTexCoord = aTexCoord;
    gl_Position = uMatrix * vec4(aPosition, 1.0);
}
)";

// One variant per frame format (FORMAT 0 RGBA, 1 planar Y/U/V, 2 Y +
// interleaved UV), so that no fragment pays for a branch on the format.
const char* const kFragmentBody = R"(
in vec2 vTexCoord;
out vec4 fragColor;
uniform sampler2D uPlane0;
uniform sampler2D uPlane1;
uniform sampler2D uPlane2;
void main() {
#if FORMAT == 0
    fragColor = vec4(texture(uPlane0, vTexCoord).rgb, 1.0);
#else
    float y = texture(uPlane0, vTexCoord).r;
#if FORMAT == 1
    vec2 c = vec2(texture(uPlane1, vTexCoord).r, texture(uPlane2, vTexCoord).r);
#else
    vec2 c = texture(uPlane1, vTexCoord).rg;
#endif
    // BT.709, limited range: luma 16..235, chroma 16..240.
    y = (y - 16.0 / 255.0) * (255.0 / 219.0);
    c = (c - 128.0 / 255.0) * (255.0 / 224.0);
    vec3 rgb = vec3(y + 1.5748 * c.y, y - 0.1873 * c.x - 0.4681 * c.y, y + 1.8556 * c.x);
    fragColor = vec4(clamp(rgb, 0.0, 1.0), 1.0);
#endif
}
)";

QOpenGLExtraFunctions* Gl() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx != nullptr ? ctx->extraFunctions() : nullptr;
}

QByteArray Header(bool fragment) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx != nullptr && ctx->isOpenGLES()) {
        return fragment ? QByteArray("#version 300 es\nprecision highp float;\n")
                        : QByteArray("#version 300 es\n");
    }
    return QByteArray("#version 330 core\n");
}

} // namespace

bool CurrentContextSupportsProjection() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx == nullptr) {
        return false;
    }
    const QSurfaceFormat f = ctx->format();
    const int version = f.majorVersion() * 10 + f.minorVersion();
    return ctx->isOpenGLES() ? version >= 30 : version >= 33;
}

CFrameProgram::CFrameProgram() = default;
CFrameProgram::~CFrameProgram() = default; // GL objects are freed by Release()

bool CFrameProgram::Create() {
    Release();
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || !CurrentContextSupportsProjection()) {
        return false;
    }
    for (int f = 0; f < kFormats; ++f) {
        auto program = std::make_unique<QOpenGLShaderProgram>();
        const QByteArray define = "#define FORMAT " + QByteArray::number(f) + "\n";
        if (!program->addShaderFromSourceCode(QOpenGLShader::Vertex,
                                              Header(false) + QByteArray(kVertexBody)) ||
            !program->addShaderFromSourceCode(QOpenGLShader::Fragment,
                                              Header(true) + define + QByteArray(kFragmentBody)) ||
            !program->link()) {
            std::fprintf(stderr, "projection shader: %s\n", qPrintable(program->log()));
            Release();
            return false;
        }
        matrixLocations_[f] = program->uniformLocation("uMatrix");
        program->bind();
        program->setUniformValue("uPlane0", 0);
        program->setUniformValue("uPlane1", 1);
        program->setUniformValue("uPlane2", 2);
        program->release();
        programs_[f] = std::move(program);
    }
    context_ = QOpenGLContext::currentContext();
    gl->glGenSamplers(3, samplers_);
    for (unsigned int s : samplers_) {
        gl->glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl->glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        gl->glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl->glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return NoGlError();
}

void CFrameProgram::Release() {
    QOpenGLExtraFunctions* gl = Gl();
    // Sampler names of another context are only forgotten.
    if (gl != nullptr && samplers_[0] != 0 && context_ == QOpenGLContext::currentContext()) {
        gl->glDeleteSamplers(3, samplers_);
    }
    context_ = nullptr;
    samplers_[0] = samplers_[1] = samplers_[2] = 0;
    for (auto& p : programs_) {
        p.reset(); // Qt defers the deletion when no context is current
    }
    bound_ = nullptr;
}

bool CFrameProgram::IsCreated() const {
    return programs_[0] && programs_[1] && programs_[2] && samplers_[0] != 0 &&
           context_ == QOpenGLContext::currentContext();
}

bool CFrameProgram::Begin(const FrameTextures& frame) {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || !IsCreated() || !frame.Valid()) {
        return false;
    }
    int format = 0;
    int planes = 1;
    switch (frame.format) {
    case FrameFormat::Rgba:
        break;
    case FrameFormat::Yuv420p:
        format = 1;
        planes = 3;
        break;
    case FrameFormat::Nv12:
        format = 2;
        planes = 2;
        break;
    }
    if (!programs_[format]->bind()) {
        return false;
    }
    bound_ = programs_[format].get();
    boundMatrix_ = matrixLocations_[format];
    for (int i = 0; i < 3; ++i) {
        gl->glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + i));
        // Unused units get the first plane so that no sampler reads an unbound unit.
        gl->glBindTexture(GL_TEXTURE_2D, frame.planes[i < planes ? i : 0]);
        gl->glBindSampler(static_cast<GLuint>(i), samplers_[i]);
    }
    gl->glActiveTexture(GL_TEXTURE0);
    return true;
}

void CFrameProgram::SetMatrix(const Matrix4& m) {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl != nullptr && bound_ != nullptr) {
        gl->glUniformMatrix4fv(boundMatrix_, 1, GL_FALSE, m.data());
    }
}

void CFrameProgram::End() {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr) {
        return;
    }
    for (int i = 2; i >= 0; --i) {
        gl->glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + i));
        gl->glBindTexture(GL_TEXTURE_2D, 0);
        gl->glBindSampler(static_cast<GLuint>(i), 0);
    }
    if (bound_ != nullptr) {
        bound_->release();
        bound_ = nullptr;
    }
}

void BeginScene(int viewWidth, int viewHeight) {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr) {
        return;
    }
    gl->glViewport(0, 0, viewWidth, viewHeight);
    gl->glDisable(GL_CULL_FACE);
    gl->glDisable(GL_BLEND);
    gl->glEnable(GL_DEPTH_TEST);
    gl->glDepthFunc(GL_LEQUAL);
    gl->glDepthMask(GL_TRUE);
    // Each pixel takes the first fragment that reaches it: the stencil counts
    // writes and only a pixel still at 0 accepts one.
    gl->glEnable(GL_STENCIL_TEST);
    gl->glStencilFunc(GL_EQUAL, 0, 0xFF);
    gl->glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    gl->glStencilMask(0xFF);
    gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClearDepthf(1.0f);
    gl->glClearStencil(0);
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void EndScene() {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr) {
        return;
    }
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_STENCIL_TEST);
}

bool NoGlError() {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr) {
        return false;
    }
    bool ok = true;
    for (int i = 0; i < 16; ++i) { // a context may queue several
        const GLenum e = gl->glGetError();
        if (e == GL_NO_ERROR) {
            break;
        }
        ok = false;
    }
    return ok;
}

} // namespace player
