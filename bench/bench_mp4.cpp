// Box reader figures: the tree parse of a one-minute recording, the playback
// probe of it, and the completeness check over a card-sized set of files.
#include "TestSupport.h"

#include "playcore/MovieProbe.h"
#include "playcore/Mp4Movie.h"

#include <benchmark/benchmark.h>
#include <synth/Synth.h>

#include <filesystem>
#include <memory>

namespace {

struct Files {
    testsupport::TempDir dir;
    std::string minute;
    std::vector<std::string> small;

    Files() {
        synth::RecordingOptions one;
        one.width = 640;
        one.height = 640;
        one.durationSec = 60.0;
        minute = (dir / "minute.mp4").string();
        std::string error;
        if (!synth::WriteRecording(minute, one, &error)) {
            throw std::runtime_error(error);
        }
        synth::RecordingOptions tiny;
        tiny.width = 64;
        tiny.height = 64;
        tiny.durationSec = 0.5;
        tiny.audio = false;
        const std::string first = (dir / "small_0000.mp4").string();
        if (!synth::WriteRecording(first, tiny, &error)) {
            throw std::runtime_error(error);
        }
        small.push_back(first);
        for (int i = 1; i < 2000; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "small_%04d.mp4", i);
            const auto p = dir / name;
            std::filesystem::copy_file(first, p);
            small.push_back(p.string());
        }
    }
};

Files& Shared() {
    static Files files;
    return files;
}

void BM_TreeParseOneMinute(benchmark::State& state) {
    const std::string& path = Shared().minute;
    size_t boxes = 0;
    for (auto _ : state) {
        auto movie = playcore::OpenMovieStructure(path);
        if (!movie) {
            state.SkipWithError("open failed");
            return;
        }
        boxes = movie->lists.stts.size() + movie->lists.stsz.size();
        benchmark::DoNotOptimize(movie->root.children.size());
    }
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    state.counters["tables"] = static_cast<double>(boxes);
}
BENCHMARK(BM_TreeParseOneMinute)->Unit(benchmark::kMicrosecond);

void BM_ProbeOneMinute(benchmark::State& state) {
    const std::string& path = Shared().minute;
    for (auto _ : state) {
        auto r = playcore::ProbeMovie(path);
        if (!r.accepted) {
            state.SkipWithError("not accepted");
            return;
        }
        benchmark::DoNotOptimize(r.framePeriodMs);
    }
}
BENCHMARK(BM_ProbeOneMinute)->Unit(benchmark::kMicrosecond);

void BM_CompleteCheck2000Files(benchmark::State& state) {
    const auto& files = Shared().small;
    for (auto _ : state) {
        int complete = 0;
        for (const auto& f : files) {
            complete += playcore::IsCompleteRecording(f) ? 1 : 0;
        }
        if (complete != 2000) {
            state.SkipWithError("a file was not complete");
            return;
        }
    }
}
BENCHMARK(BM_CompleteCheck2000Files)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
