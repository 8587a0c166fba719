// The sphere (display mode 3): the fisheye picture wrapped onto the inside of
// a sphere of radius 200, picture centre at the -y pole.
#pragma once

#include "player/CGridBuffer.h"

#include <mutex>

namespace player {

class CSphere {
public:
    virtual ~CSphere() = default;
    bool Create();
    void Release() { mesh.Release(); }

    CGridBuffer mesh;
    std::mutex lock;
};

} // namespace player
