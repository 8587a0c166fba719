// Where the controller pad's five 32 x 32 buttons sit in a w x h pad, and
// which are enabled in a display mode. Pure functions.
#pragma once

#include <QPoint>
#include <array>

namespace kestrel {

enum PadButton : int { PadUp = 28, PadLeft = 29, PadRight = 30, PadDown = 31, PadReset = 32 };

struct PadButtonPlace {
    int id;
    QPoint topLeft;
};

// Up, left, right, down, reset (divisions truncate).
std::array<PadButtonPlace, 5> PadButtonPlaces(int w, int h);

// Display mode 3: all five; mode 4: only left and right; otherwise none.
bool PadButtonEnabled(int id, int displayMode);

// The drag of one worker step while a button is held: up (0, +30), left
// (+30, 0), right (-30, 0), down (0, -30); (0, 0) for the others.
QPoint PadDragStep(int id);

} // namespace kestrel
