// Costs of the recording generator: tests and the demo card make many files,
// so writing one must stay well under a second for small pictures.
#include "TestSupport.h"
#include "synth/Synth.h"

extern "C" {
#include <libavutil/log.h>
}

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void WriteOne(benchmark::State& state, synth::Camera camera, int w, int h, double seconds) {
    av_log_set_level(AV_LOG_ERROR);
    testsupport::TempDir dir;
    synth::RecordingOptions o;
    o.camera = camera;
    o.width = w;
    o.height = h;
    o.durationSec = seconds;
    const std::string path = (dir / "b.MP4").string();
    for (auto _ : state) {
        std::string error;
        if (!synth::WriteRecording(path, o, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(synth::FrameCount(o)) *
                                                        static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void BM_Write64x64_2s(benchmark::State& s) {
    WriteOne(s, synth::Camera::Main, 64, 64, 2.0);
}
void BM_Write256x256_2s(benchmark::State& s) {
    WriteOne(s, synth::Camera::Main, 256, 256, 2.0);
}
void BM_Write1440x1440_15s(benchmark::State& s) {
    WriteOne(s, synth::Camera::Main, 1440, 1440, 15.0);
}
void BM_Write1920x1080_15s(benchmark::State& s) {
    WriteOne(s, synth::Camera::Rear, 1920, 1080, 15.0);
}
BENCHMARK(BM_Write64x64_2s)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write256x256_2s)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write1440x1440_15s)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Write1920x1080_15s)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReadFrameIndex1920x1080(benchmark::State& state) {
    std::vector<uint32_t> p(1920 * 1080);
    synth::RenderFrame(synth::Camera::Rear, 1920, 1080, 4321, p.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(synth::ReadFrameIndex(reinterpret_cast<const uint8_t*>(p.data()),
                                                       1920, 1080, 1920 * 4));
    }
}
BENCHMARK(BM_ReadFrameIndex1920x1080)->Unit(benchmark::kMicrosecond);

void BM_ReadFrameIndexNoCode640x360(benchmark::State& state) {
    std::vector<uint32_t> p(640 * 360, 0xFF336699u);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            synth::ReadFrameIndex(reinterpret_cast<const uint8_t*>(p.data()), 640, 360, 640 * 4));
    }
}
BENCHMARK(BM_ReadFrameIndexNoCode640x360)->Unit(benchmark::kMicrosecond);

void BM_Gps0Box15s(benchmark::State& state) {
    synth::RecordingOptions o;
    o.durationSec = 15.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(synth::MakeGps0Box(o));
    }
}
BENCHMARK(BM_Gps0Box15s)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
