// CSV export of a card of 1 000 one-minute recordings (main and rear file
// each), reported as time per recording. The recordings are one generated
// pair hard-linked under 1 000 names, so every row still opens, maps and
// parses two files of its own name while the bench needs little disk.
#include "playcore/CsvExport.h"
#include "playcore/RecordingNames.h"

#include "TestSupport.h"
#include "synth/Synth.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace playcore;

constexpr int kRecordings = 1000;

struct Card {
    testsupport::TempDir dir;
    RecordingList list;
    bool ok = false;
};

void Build(Card& c) {
    {
        synth::RecordingOptions o;
        o.width = 128;
        o.height = 128;
        o.durationSec = 60.0; // the camera's usual file length: full-size sample tables
        o.audio = true;
        std::string error;
        const fs::path mainSrc = c.dir / "main.src";
        const fs::path rearSrc = c.dir / "rear.src";
        if (!synth::WriteRecording(mainSrc.string(), o, &error)) {
            std::fprintf(stderr, "bench_csv: %s\n", error.c_str());
            return;
        }
        o.camera = synth::Camera::Rear;
        o.width = 128;
        o.height = 72;
        if (!synth::WriteRecording(rearSrc.string(), o, &error)) {
            std::fprintf(stderr, "bench_csv: %s\n", error.c_str());
            return;
        }
        const fs::path folder = c.dir / "20240517_001";
        fs::create_directory(folder);
        for (int i = 0; i < kRecordings; ++i) {
            const int t = 9 * 3600 + i * 60;
            char base[32];
            std::snprintf(base, sizeof base, "%03d_%02d%02d%02dA_", i, (t / 3600) % 24,
                          (t / 60) % 60, t % 60);
            RecordingDescriptor d;
            d.mainName = std::string(base) + "M.MP4";
            d.rearName = std::string(base) + "R.MP4";
            d.mainPath = (folder / d.mainName).string();
            d.rearPath = (folder / d.rearName).string();
            fs::create_hard_link(mainSrc, d.mainPath);
            fs::create_hard_link(rearSrc, d.rearPath);
            c.list.push_back(d);
        }
        c.ok = true;
    }
}

Card& TheCard() {
    static Card card;
    static const bool built = (Build(card), true);
    (void)built;
    return card;
}

void BM_CsvExport1000(benchmark::State& state) {
    Card& card = TheCard();
    if (!card.ok) {
        state.SkipWithError("cannot generate the recordings");
        return;
    }
    testsupport::TempDir out;
    for (auto _ : state) {
        const CsvExportResult r = ExportCsv(out.path(), card.list, nullptr, {});
        if (r.status != CsvExportStatus::Done || r.rowsWritten != kRecordings) {
            state.SkipWithError(r.error.c_str());
            return;
        }
    }
    state.counters["per_recording"] = benchmark::Counter(
        static_cast<double>(kRecordings),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CsvExport1000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One row alone (two movie parses and two size reads).
void BM_CsvRow(benchmark::State& state) {
    Card& card = TheCard();
    if (!card.ok) {
        state.SkipWithError("cannot generate the recordings");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CsvRow(card.list[i++ % card.list.size()]));
    }
}
BENCHMARK(BM_CsvRow)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
