// The full-frame screen (display mode 2): the whole frame on a rectangle as
// wide as the frame's proportions and 1.0 high. Its camera parameters live in
// the model's ViewNavigator; the lock guards them and the buffer.
#pragma once

#include "player/CGridBuffer.h"

#include <mutex>

namespace player {

class CRectScreen {
public:
    virtual ~CRectScreen() = default;
    // width: frame width / frame height.
    bool Create(float width);
    void Release() { buffer.Release(); }

    CGridBuffer buffer;
    std::mutex lock;
};

} // namespace player
