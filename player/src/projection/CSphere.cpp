#include "player/CSphere.h"

namespace player {

bool CSphere::Create() {
    const SphereMesh m = BuildSphereMesh();
    return mesh.Create(m.vertices, &m.indices);
}

} // namespace player
