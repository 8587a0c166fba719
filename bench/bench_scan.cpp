// Scanning figures: a generated card of 1 000 recording pairs opened as the
// viewer opens an SD card (folder tree, first folder shown, camera version)
// and collected as the file commands collect it. Reported as time per
// recording; the files are in the page cache after the first run.
#include "TestSupport.h"

#include "playcore/FolderTree.h"
#include "playcore/RecordingSource.h"

#include <benchmark/benchmark.h>
#include <synth/Synth.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kPairs = 1000;

// One card per layout, written once: `folders` recording folders of
// kPairs / folders pairs each. A card numbers at most 999 files, so the
// folders are written as two halves with different start dates (as after the
// camera's file number wrapped round).
struct Card {
    testsupport::TempDir dir;
    std::string root;

    explicit Card(int folders) {
        root = (dir / "CARD").string();
        for (int half = 0; half < 2; ++half) {
            synth::CardOptions o;
            o.folders = folders / 2;
            o.pairs = kPairs / folders;
            o.durationSec = 0.2;
            o.mainWidth = o.mainHeight = 64;
            o.rearWidth = 64;
            o.rearHeight = 36;
            o.audio = false;
            o.rearMissingEvery = 0;
            o.incompleteLast = false;
            o.start.month = 5 + half;
            std::vector<std::string> files;
            std::string error;
            if (!synth::WriteCard(root, o, &files, &error)) {
                throw std::runtime_error(error);
            }
        }
    }
};

const Card& CardWith(int folders) {
    static std::map<int, std::unique_ptr<Card>> cards;
    auto& card = cards[folders];
    if (!card) {
        card = std::make_unique<Card>(folders);
    }
    return *card;
}

void SetPerRecording(benchmark::State& state) {
    state.counters["per_recording"] = benchmark::Counter(
        kPairs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Open as an SD card: tree of recording folders with their trigger bits, the
// first folder opened, the camera version read.
void BM_OpenCard(benchmark::State& state) {
    const Card& card = CardWith(static_cast<int>(state.range(0)));
    playcore::SerialCounter serials;
    for (auto _ : state) {
        playcore::MemoryFolderTree tree;
        playcore::RecordingSource source(tree, serials);
        tree.onSelect = [&](playcore::TreeItem item) { source.OpenFolderItem(item); };
        source.OpenSource(card.root, playcore::SourceKind::Removable);
        benchmark::DoNotOptimize(source.FullList().size());
    }
    SetPerRecording(state);
}

// The file commands' collection of the whole card.
void BM_CollectCard(benchmark::State& state) {
    const Card& card = CardWith(static_cast<int>(state.range(0)));
    playcore::SerialCounter serials;
    playcore::MemoryFolderTree tree;
    playcore::RecordingSource source(tree, serials);
    source.OpenSource(card.root, playcore::SourceKind::Removable);
    for (auto _ : state) {
        const playcore::RecordingList& list = source.CollectRecordings();
        if (list.size() != static_cast<std::size_t>(kPairs)) {
            state.SkipWithError("collection incomplete");
            break;
        }
    }
    SetPerRecording(state);
}

// Arguments: number of recording folders the 1 000 pairs are spread over.
BENCHMARK(BM_OpenCard)->Arg(10)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectCard)->Arg(10)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
