// Sensor track figures: loading the sensor track of a one-minute recording
// (600 records), decoding the same box from memory, and building the frame
// map for 1 800 frames.
#include "TestSupport.h"

#include "playcore/SensorDecoder.h"
#include "playcore/SensorSlot.h"
#include "playcore/SensorTrack.h"

#include <benchmark/benchmark.h>
#include <synth/Synth.h>

#include <span>
#include <stdexcept>

namespace {

struct Minute {
    testsupport::TempDir dir;
    synth::RecordingOptions options;
    std::string path;

    Minute() {
        options.width = 64;
        options.height = 64;
        options.durationSec = 60.0;
        options.audio = false;
        options.sensor.events.push_back({20.0, 0.5, 'X', 1.2, 5, 0xA9, 'R'});
        path = (dir / "minute.mp4").string();
        std::string error;
        if (!synth::WriteRecording(path, options, &error)) {
            throw std::runtime_error(error);
        }
    }
};

const Minute& TheMinute() {
    static const Minute m;
    return m;
}

void BM_SensorLoad(benchmark::State& state) {
    const Minute& m = TheMinute();
    playcore::SensorTrack track;
    for (auto _ : state) {
        if (!track.Load(m.path)) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(track.gps().data());
    }
    state.counters["records"] = static_cast<double>(track.gps().size());
}
BENCHMARK(BM_SensorLoad)->Unit(benchmark::kMicrosecond);

void BM_DecodeRecordsFromMemory(benchmark::State& state) {
    const std::string box = synth::MakeGps0Box(TheMinute().options);
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(box.data()), box.size());
    std::vector<playcore::GpsSample> gps;
    std::vector<playcore::AccelSample> accel;
    for (auto _ : state) {
        gps.clear();
        accel.clear();
        benchmark::DoNotOptimize(playcore::DecodeSensorRecords(bytes, &gps, &accel));
    }
    state.counters["records"] = static_cast<double>(gps.size());
}
BENCHMARK(BM_DecodeRecordsFromMemory)->Unit(benchmark::kMicrosecond);

void BM_FrameMap1800(benchmark::State& state) {
    playcore::SensorTrack track;
    if (!track.Load(TheMinute().path)) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(track.BuildFrameMap(1800, 33.0f));
    }
    state.counters["samples"] = static_cast<double>(track.accel().size());
}
BENCHMARK(BM_FrameMap1800)->Unit(benchmark::kMicrosecond);

// The open of a recording whose track was preloaded: the move and the map.
void BM_SlotLoadFromPreload(benchmark::State& state) {
    const Minute& m = TheMinute();
    playcore::SensorSlot slot;
    for (auto _ : state) {
        state.PauseTiming();
        slot.Preload(m.path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(slot.Load(m.path, 1800, 33.0f));
    }
}
BENCHMARK(BM_SlotLoadFromPreload)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
