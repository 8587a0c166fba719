// A player context in a small window of its own, for the commands that play
// a file without the viewer (snapshot, playbench).
#pragma once

#include "player/CPlayer.h"
#include "player/CPlayerTestWindow.h"
#include "player/PlayerContext.h"
#include "player/PlayerOps.h"

#include <string>

class ToolPlayer {
public:
    // Needs a QApplication. The window is shown at once.
    ToolPlayer(int width, int height);
    ToolPlayer(const ToolPlayer&) = delete;
    ToolPlayer& operator=(const ToolPlayer&) = delete;

    // Opens `file` in the context of display mode `mode` (the main camera's
    // for 1 to 4, the rear camera's for 5), waits for the ready message and
    // sets the mode and the view's aspect. False, with a line on stderr
    // starting with `command`, when the file does not open or become ready.
    bool Open(const char* command, const std::string& file, int mode);

    player::PlayerContext& ctx() { return contexts_[index_]; }
    const player::PlayerOps& ops() const { return ops_; }
    player::CPlayerTestWindow& window() { return window_; }

private:
    // Declared first, so it outlives the contexts: closing a session
    // detaches from its window.
    player::CPlayerTestWindow window_;
    player::PlayerContext contexts_[2];
    player::PlayerOps ops_;
    int index_ = 0;
    int width_;
    int height_;
};
