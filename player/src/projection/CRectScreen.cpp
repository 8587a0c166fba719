#include "player/CRectScreen.h"

namespace player {

bool CRectScreen::Create(float width) {
    return buffer.Create(BuildFullFrameGrid(0.0f, 0.0f, width));
}

} // namespace player
