#include "PadPlacement.h"

namespace kestrel {

std::array<PadButtonPlace, 5> PadButtonPlaces(int w, int h) {
    return {{
        {PadUp, QPoint((w - 32) / 2, (h - 96) / 4)},
        {PadLeft, QPoint((w - (w + 12) / 2 - 32) / 2, (h - 32) / 2)},
        {PadRight, QPoint((w + (w + 12) / 2 - 32) / 2, (h - 32) / 2)},
        {PadDown, QPoint((w - 32) / 2, ((h + 32) / 2 + h - 32) / 2)},
        {PadReset, QPoint((w - 32) / 2, (h - 32) / 2)},
    }};
}

bool PadButtonEnabled(int id, int displayMode) {
    if (displayMode == 3) {
        return true;
    }
    if (displayMode == 4) {
        return id == PadLeft || id == PadRight;
    }
    return false;
}

QPoint PadDragStep(int id) {
    switch (id) {
    case PadUp:
        return QPoint(0, 30);
    case PadLeft:
        return QPoint(30, 0);
    case PadRight:
        return QPoint(-30, 0);
    case PadDown:
        return QPoint(0, -30);
    default:
        break;
    }
    return QPoint(0, 0);
}

} // namespace kestrel
