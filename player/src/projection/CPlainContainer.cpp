#include "player/CPlainContainer.h"

namespace player {

bool CPlainContainer::Create() {
    for (int i = 0; i < 3; ++i) {
        if (!planes[i].buffer.Create(BuildPanoramaGrid(kPlaneOffsets[i], kYBase))) {
            Release();
            return false;
        }
    }
    return true;
}

void CPlainContainer::Release() {
    for (CPlain& p : planes) {
        p.buffer.Release();
    }
}

} // namespace player
