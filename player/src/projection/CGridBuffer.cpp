#include "player/CGridBuffer.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>

#include <cstdint>

namespace player {

namespace {

QOpenGLExtraFunctions* Gl() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx != nullptr ? ctx->extraFunctions() : nullptr;
}

const void* Offset(std::uintptr_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

} // namespace

bool CGridBuffer::Create(const std::vector<GridVertex>& vertices,
                         const std::vector<uint32_t>* indices) {
    Release();
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || vertices.empty()) {
        return false;
    }
    context_ = QOpenGLContext::currentContext();
    gl->glGenVertexArrays(1, &vao_);
    gl->glBindVertexArray(vao_);
    gl->glGenBuffers(1, &vbo_);
    gl->glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    gl->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(GridVertex)),
                     vertices.data(), GL_STATIC_DRAW);
    gl->glEnableVertexAttribArray(0);
    gl->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(GridVertex), Offset(0));
    gl->glEnableVertexAttribArray(1);
    gl->glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(GridVertex),
                              Offset(offsetof(GridVertex, u)));
    vertexCount_ = static_cast<int>(vertices.size());
    if (indices != nullptr && !indices->empty()) {
        gl->glGenBuffers(1, &ibo_);
        gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_); // recorded in the vertex array
        gl->glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                         static_cast<GLsizeiptr>(indices->size() * sizeof(uint32_t)),
                         indices->data(), GL_STATIC_DRAW);
        indexCount_ = static_cast<int>(indices->size());
    }
    gl->glBindVertexArray(0);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (gl->glGetError() != GL_NO_ERROR) {
        Release();
        return false;
    }
    return true;
}

bool CGridBuffer::IsCreated() const {
    return vao_ != 0 && context_ == QOpenGLContext::currentContext();
}

bool CGridBuffer::Update(const std::vector<GridVertex>& vertices) {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || !IsCreated() || ibo_ != 0 ||
        static_cast<int>(vertices.size()) != vertexCount_) {
        return false;
    }
    gl->glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    gl->glBufferSubData(GL_ARRAY_BUFFER, 0,
                        static_cast<GLsizeiptr>(vertices.size() * sizeof(GridVertex)),
                        vertices.data());
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

void CGridBuffer::Release() {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl != nullptr && context_ == QOpenGLContext::currentContext()) {
        if (ibo_ != 0) {
            gl->glDeleteBuffers(1, &ibo_);
        }
        if (vbo_ != 0) {
            gl->glDeleteBuffers(1, &vbo_);
        }
        if (vao_ != 0) {
            gl->glDeleteVertexArrays(1, &vao_);
        }
    }
    vao_ = vbo_ = ibo_ = 0;
    vertexCount_ = indexCount_ = 0;
    context_ = nullptr;
}

bool CGridBuffer::Draw(unsigned int primitive) const {
    QOpenGLExtraFunctions* gl = Gl();
    if (gl == nullptr || !IsCreated()) {
        return false;
    }
    gl->glBindVertexArray(vao_);
    if (ibo_ != 0) {
        gl->glDrawElements(primitive, indexCount_, GL_UNSIGNED_INT, nullptr);
    } else {
        gl->glDrawArrays(primitive, 0, vertexCount_);
    }
    gl->glBindVertexArray(0);
    return true;
}

} // namespace player
