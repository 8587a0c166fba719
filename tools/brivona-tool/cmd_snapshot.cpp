// brivona-tool snapshot: opens a recording in a player context, seeks to a
// frame while paused and saves what the video window shows (JPEG, or PNG when
// the output ends in ".png"). Needs a display (xvfb-run on a server).
#include "ToolPlayer.h"
#include "player/CPlayer.h"
#include "player/CPlayerTestWindow.h"
#include "player/PlayerContext.h"
#include "player/PlayerMessages.h"
#include "player/PlayerOps.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* help_snapshot() {
    return "snapshot [--mode M] [--size WxH] [--frame K] FILE OUT  save the view at frame K";
}

namespace {

const char kUsage[] =
    "usage: brivona-tool snapshot [--mode M] [--size WxH] [--frame K] FILE OUT\n"
    "  --mode M     display mode 1 split, 2 round, 3 sphere, 4 panorama (main camera's\n"
    "               context), 5 flat (rear camera's context; the default)\n"
    "  --size WxH   size of the view (default 732x411)\n"
    "  --frame K    the frame on screen at K x the frame period (default 0)\n"
    "OUT is written as JPEG, or PNG when it ends in .png.\n";

bool ParseSize(const char* text, int* w, int* h) {
    return std::sscanf(text, "%dx%d", w, h) == 2 && *w > 0 && *h > 0 && *w <= 8192 && *h <= 8192;
}

} // namespace

int cmd_snapshot(int argc, char** argv) {
    int mode = 5;
    int width = 732;
    int height = 411;
    long long frame = 0;
    std::string file;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(a, "--mode") == 0 && hasValue) {
            mode = std::atoi(argv[++i]);
        } else if (std::strcmp(a, "--size") == 0 && hasValue) {
            if (!ParseSize(argv[++i], &width, &height)) {
                std::fprintf(stderr, "snapshot: bad size '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--frame") == 0 && hasValue) {
            frame = std::atoll(argv[++i]);
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "snapshot: unknown option '%s'\n%s", a, kUsage);
            return 2;
        } else if (file.empty()) {
            file = a;
        } else if (out.empty()) {
            out = a;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty() || out.empty() || mode < 1 || mode > 5 || frame < 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    ToolPlayer player(width, height);
    if (!player.Open("snapshot", file, mode)) {
        return 1;
    }
    player::PlayerContext& ctx = player.ctx();
    const player::PlayerOps& ops = player.ops();
    ops.SeekToFrame(ctx, frame);
    if (!player::CPlayerTestWindow::WaitUntil([&] { return ctx.renderer->SeekSettled(); }, 20000)) {
        std::fprintf(stderr, "snapshot: the picture of frame %lld did not arrive\n", frame);
        return 1;
    }
    player::CPlayerTestWindow::Pump(50);
    if (!ops.SaveSnapshot(ctx, out)) {
        std::fprintf(stderr, "snapshot: cannot write %s\n", out.c_str());
        return 1;
    }
    ops.Close(ctx);
    return 0;
}
