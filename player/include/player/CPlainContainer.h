// The panorama (display mode 4): three copies of one unrolled plane side by
// side (x -7..-3, -3..1, 1..5), so that scrolling by one plane width (4.0)
// wraps without a seam.
#pragma once

#include "player/CGridBuffer.h"

#include <mutex>

namespace player {

class CPlain {
public:
    virtual ~CPlain() = default;
    CGridBuffer buffer;
};

class CPlainContainer {
public:
    virtual ~CPlainContainer() = default;
    inline static constexpr float kPlaneOffsets[3] = {-5.0f, -1.0f, 3.0f};
    inline static constexpr float kYBase = 0.92f;
    bool Create();
    void Release();

    CPlain planes[3];
    std::mutex lock;
};

} // namespace player
