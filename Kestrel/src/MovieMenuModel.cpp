#include "MovieMenuModel.h"

namespace kestrel {

namespace {

MovieMenuItem Item(int command, int textId, bool enabled = true, bool checked = false) {
    return MovieMenuItem{command, textId, enabled, checked};
}

MovieMenuItem Separator() {
    return MovieMenuItem{};
}

void AddViewItems(std::vector<MovieMenuItem>& items, const MovieMenuState& s) {
    const bool onMain = s.clickedCamera == 0;
    // The view items act on one camera: the picture modes, flip and reset on
    // the main camera, the mirror on the rear camera.
    items.push_back(Item(CmdDisplayMode, 152, onMain));
    items.push_back(Item(CmdMenuFlip, 5, onMain, s.mainFlipped));
    items.push_back(Item(CmdMenuMirror, 175, !onMain && s.rearValid, s.rearMirrored));
    items.push_back(Item(CmdViewReset, 160, onMain && s.mainDisplayMode == 3));
}

void AddTail(std::vector<MovieMenuItem>& items, const MovieMenuState& s) {
    items.push_back(Separator());
    if (s.fullScreen) {
        items.push_back(Item(CmdCameraSwitch, 166, s.rearValid));
        return;
    }
    items.push_back(Item(CmdStill, 89));
    items.push_back(Item(CmdSettings, 87));
    if (!s.largeLayout) {
        items.push_back(Separator());
        items.push_back(Item(CmdBrowse, 84));
    }
}

} // namespace

std::vector<MovieMenuItem> BuildMovieMenu(const MovieMenuState& s) {
    std::vector<MovieMenuItem> items;
    switch (s.playState) {
    case 0:
        if (!s.largeLayout) {
            items.push_back(Item(CmdBrowse, 84));
        }
        return items;
    case 1:
        items.push_back(Item(CmdPlayPause, 86));
        items.push_back(Separator());
        AddViewItems(items, s);
        AddTail(items, s);
        return items;
    default: {
        const bool playing = s.playState == 2;
        items.push_back(Item(CmdPlayPause, playing ? 85 : 86));
        items.push_back(Item(CmdStop, 90));
        items.push_back(Item(CmdFast, 82, playing && s.speedCode < 4));
        items.push_back(Item(CmdSlow, 88, playing && s.speedCode >= 0));
        items.push_back(Separator());
        AddViewItems(items, s);
        AddTail(items, s);
        return items;
    }
    }
}

} // namespace kestrel
