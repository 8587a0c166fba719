// One vertex buffer of a projection model (position x, y, z and texture
// coordinates u, v per vertex) with its vertex array, optionally indexed, drawn
// as a triangle list. Every call needs the current OpenGL context.
#pragma once

#include "player/ProjectionGeometry.h"

#include <cstdint>
#include <vector>

namespace player {

class CGridBuffer {
public:
    CGridBuffer() = default;
    CGridBuffer(const CGridBuffer&) = delete;
    CGridBuffer& operator=(const CGridBuffer&) = delete;

    // Uploads the vertices (and indices when given) once; replaces any
    // previous contents. Attribute 0 is the position, attribute 1 the
    // texture coordinates.
    bool Create(const std::vector<GridVertex>& vertices,
                const std::vector<uint32_t>* indices = nullptr);
    // Replaces the vertices of a non-indexed buffer of the same size.
    bool Update(const std::vector<GridVertex>& vertices);
    // Deletes the GL objects when their context is current; names that
    // belong to another (or a destroyed) context are only forgotten, since
    // in the current context they may name someone else's objects.
    void Release();
    // Created, and in the context that is current now.
    bool IsCreated() const;
    int VertexCount() const { return vertexCount_; }
    int IndexCount() const { return indexCount_; }

    // Draws every triangle (or, with primitive, that GL primitive).
    bool Draw(unsigned int primitive = 0x0004 /* GL_TRIANGLES */) const;

private:
    const void* context_ = nullptr; // the QOpenGLContext the names belong to
    unsigned int vao_ = 0;
    unsigned int vbo_ = 0;
    unsigned int ibo_ = 0;
    int vertexCount_ = 0;
    int indexCount_ = 0;
};

} // namespace player
