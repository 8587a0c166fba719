// The items of the movie view's context menu for a play state, a layout, full
// screen and the camera whose view was clicked. Pure data, so the rules can be
// checked without showing a menu.
#pragma once

#include <vector>

namespace kestrel {

// Command ids the menu sends (handled by the main window).
enum MenuCommand : int {
    CmdStop = 38000,
    CmdPlayPause = 38002,
    CmdSlow = 38003,
    CmdFast = 38004,
    CmdStill = 38006,
    CmdDisplayMode = 38009,
    CmdBrowse = 38013,
    CmdSettings = 38015,
    CmdCameraSwitch = 38017,
    CmdViewReset = 38201,
    CmdMenuFlip = 38202,
    CmdMenuMirror = 38203,
};

struct MovieMenuItem {
    int command = 0; // 0 for a separator
    int textId = -1;
    bool enabled = true;
    bool checked = false;
    bool separator() const { return command == 0; }
};

struct MovieMenuState {
    int playState = 0; // of the active context: 0 none, 1 stopped, 2 playing, 3 paused
    int speedCode = 1;
    bool largeLayout = false;
    bool fullScreen = false;
    int clickedCamera = 0;   // 0 main, 1 rear
    int mainDisplayMode = 3; // of the main camera's view
    bool rearValid = false;  // the recording has a rear file
    bool mainFlipped = false;
    bool rearMirrored = false;
};

std::vector<MovieMenuItem> BuildMovieMenu(const MovieMenuState& s);

} // namespace kestrel
