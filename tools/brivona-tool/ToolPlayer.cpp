#include "ToolPlayer.h"

#include "player/PlayerMessages.h"

#include <QString>
#include <cstdio>

ToolPlayer::ToolPlayer(int width, int height)
    : window_(width, height), ops_(player::MakePlayerOps()), width_(width), height_(height) {
    window_.show();
}

bool ToolPlayer::Open(const char* command, const std::string& file, int mode) {
    index_ = mode == 5 ? 1 : 0;
    player::PlayerContext& c = ctx();
    ops_.Init(c, &window_, QStringLiteral("メイリオ"));
    if (!ops_.Open(c, file)) {
        std::fprintf(stderr, "%s: cannot open %s for playback\n", command, file.c_str());
        return false;
    }
    if (!window_.WaitForMessage(player::kMsgTopologyReady, 20000)) {
        std::fprintf(stderr, "%s: %s did not become ready\n", command, file.c_str());
        return false;
    }
    ops_.SetDisplayMode(c, mode);
    if (mode != 5) {
        ops_.SetAspect(c, width_, height_);
    }
    return true;
}
