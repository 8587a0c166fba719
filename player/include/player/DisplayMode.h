// Display modes shared by the movie views, the controller pad, ViewState and
// the present engine. The numbers are stored and compared as plain integers
// everywhere, so the enumerators keep their fixed values.
#pragma once

namespace player {

enum DisplayMode : int {
    ModeNone = 0,      // nothing is drawn
    ModeSplit = 1,     // two unrolled strips, one above the other
    ModeFullFrame = 2, // the circular picture as recorded
    ModeSphere = 3,    // free view from inside a sphere
    ModePanorama = 4,  // one endless strip scrolling sideways
    ModeFlat = 5,      // the rear camera: frame on a screen rectangle, mirrorable
};

// True for the modes drawn through the 3D models (1..4).
constexpr bool IsModelMode(int mode) {
    return mode >= ModeSplit && mode <= ModePanorama;
}

} // namespace player
