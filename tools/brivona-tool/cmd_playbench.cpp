// brivona-tool playbench: plays a recording in a real window through the
// player context and prints what the pipeline achieved as JSON: pictures
// presented, late and dropped (superseded, skipped or thinned), the frame
// rate on screen, the median decode and draw times and the CPU time used.
#include "Json.h"

#include "ToolPlayer.h"
#include "player/CPlayer.h"
#include "player/CPlayerTestWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/PlayerContext.h"
#include "player/PlayerMessages.h"
#include "player/PlayerOps.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

const char* help_playbench() {
    return "playbench FILE [--mode M] [--speed CODE] [--seconds S] [--size WxH]  playback figures";
}

namespace {

const char kUsage[] =
    "usage: brivona-tool playbench FILE [--mode M] [--speed CODE] [--seconds S] [--size WxH]\n"
    "  --mode M       display mode 1..5 (default 5; 1..4 use the main camera's context)\n"
    "  --speed CODE   speed code 1, 2, 4, -2, -4 (default 1)\n"
    "  --seconds S    how long to play (default 10; stops earlier at the end)\n"
    "  --size WxH     window size (default 732x411)\n"
    "prints {presented, late, dropped, fps, decode_ms_p50, draw_ms_p50, cpu_s}\n";

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0.0;
    }
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int cmd_playbench(int argc, char** argv) {
    int mode = 5;
    int speed = 1;
    double seconds = 10.0;
    int width = 732;
    int height = 411;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(a, "--mode") == 0 && hasValue) {
            mode = std::atoi(argv[++i]);
        } else if (std::strcmp(a, "--speed") == 0 && hasValue) {
            speed = std::atoi(argv[++i]);
        } else if (std::strcmp(a, "--seconds") == 0 && hasValue) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(a, "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 ||
                height <= 0) {
                std::fprintf(stderr, "playbench: bad size '%s'\n", argv[i]);
                return 2;
            }
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "playbench: unknown option '%s'\n%s", a, kUsage);
            return 2;
        } else if (file.empty()) {
            file = a;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty() || mode < 1 || mode > 5 || seconds <= 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    ToolPlayer player(width, height);
    if (!player.Open("playbench", file, mode)) {
        return 1;
    }
    player::PlayerContext& ctx = player.ctx();
    const player::PlayerOps& ops = player.ops();
    player::CPlayerTestWindow& window = player.window();
    player::CPlayerTestWindow::WaitUntil([&] { return ctx.renderer->SeekSettled(); }, 10000);
    ops.SetSpeed(ctx, speed);
    player::D3DPresentEngine* engine = ctx.renderer->Engine();
    const player::PresentStats before = engine->Stats();
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    ops.Play(ctx);
    window.WaitForMessage(player::kMsgPresentationEnded, static_cast<int>(seconds * 1000), true);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    ops.Pause(ctx);
    const player::PresentStats after = engine->Stats();
    std::vector<double> draw(after.drawMs.begin() + static_cast<long>(before.drawMs.size()),
                             after.drawMs.end());
    const int64_t presented = after.presented - before.presented;
    JsonWriter json(2);
    json.BeginObject();
    json.Key("presented").Int(presented);
    json.Key("late").Int(after.late - before.late);
    json.Key("dropped").Int(after.dropped - before.dropped + ctx.renderer->Thinned());
    json.Key("fps").Number(wall > 0 ? static_cast<double>(presented) / wall : 0.0);
    json.Key("decode_ms_p50").Number(Median(ctx.renderer->DecodeTimes()));
    json.Key("draw_ms_p50").Number(Median(draw));
    json.Key("cpu_s").Number(cpu);
    json.Key("seconds").Number(wall);
    json.Key("hardware").Bool(ctx.renderer->UsesHardware());
    json.Key("sound").Bool(ctx.renderer->HasAudioBranch());
    json.EndObject();
    std::printf("%s\n", json.str().c_str());
    ops.Close(ctx);
    return 0;
}
