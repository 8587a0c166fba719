// The two-way split (display mode 1): two strips, each one half of the
// surrounding unrolled; strip 0 fills the lower half of the view, strip 1 the
// upper half.
#pragma once

#include "player/CGridBuffer.h"

#include <mutex>

namespace player {

class CDivideScreen {
public:
    virtual ~CDivideScreen() = default;
    CGridBuffer buffer;
};

class CDivideScreenContainer {
public:
    virtual ~CDivideScreenContainer() = default;
    inline static constexpr float kWidthFactor = 1.3333334f;
    bool Create();
    void Release();

    CDivideScreen strips[2];
    std::mutex lock;
};

} // namespace player
