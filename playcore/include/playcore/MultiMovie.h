// The joining engine: consecutive recordings of one camera become one file,
// box by box, without decoding anything. The first recording's box tree is
// edited (sample tables, durations, sensor records) and written out with the
// media data and sensor records of every recording copied in order.
//
// Beyond the camera's own layout the engine also joins files whose media data
// sits at other offsets, whose header comes first ("moov" before "mdat"),
// whose chunks share sample-to-chunk entries, or that carry composition
// offsets ("ctts"). What it cannot join correctly it refuses with a reason
// before writing anything: 64-bit chunk tables, different tracks or sample
// descriptions, a box or offset past 4 GiB, more than 65 535 sensor records.
#pragma once

#include "playcore/Mp4Movie.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace playcore {

// Called with (value, total): 0, 50 and 100 against the caller's total.
using JoinProgress = std::function<void(int value, int total)>;

struct sMULTIMOVIE {
    std::unique_ptr<sMP4MOVIE> mainMovie;
    std::unique_ptr<sMP4MOVIE> rearMovie;
    uint32_t joinable = 1;
    // Merged into the first movies; kept open until their output is written,
    // since their media data is copied from their files then.
    std::vector<std::unique_ptr<sMP4MOVIE>> furtherMain;
    std::vector<std::unique_ptr<sMP4MOVIE>> furtherRear;
    // Why the job stopped being joinable or a step failed (first reason).
    std::string error;
};

// Opens the first recording's files (either path may be empty: that camera
// is not joined). False when a given file cannot be opened as a movie.
bool OpenFirst(sMULTIMOVIE& job, const std::string& mainPath, const std::string& rearPath);

// Opens the next recording's files and merges each into the first movie of
// its camera. A file that cannot be opened returns false; a merge that is
// refused clears `joinable` (with `error` set) but returns true, as the
// caller checks joinable before writing. A refused merge leaves the first
// movie unchanged.
bool MergeNext(sMULTIMOVIE& job, const std::string& mainPath, const std::string& rearPath);

// Writes the joined files (a path may be empty to skip that camera; a camera
// with no first movie is skipped). Both outputs are written to temporary files
// and appear under their names only when both are complete; an existing file
// of that name is replaced. On failure or cancel nothing is left behind.
bool WriteJoined(sMULTIMOVIE& job, const std::string& mainOut, const std::string& rearOut,
                 int progressTotal, const JoinProgress& progress,
                 const std::atomic<bool>* cancel = nullptr);

void ReleaseJoin(sMULTIMOVIE& job);

// Rewrites `tempPath` (one top-level "mdat" followed later by its "moov") as
// `outPath` with the "moov" box first and every chunk offset moved by the
// distance the media data moved. `tempPath` is left for the caller to delete.
bool MoveHeaderToFront(const std::string& tempPath, const std::string& outPath,
                       std::string* error = nullptr);

// Merges `next` into `first` (the trees only; nothing is written). Returns
// false with `error` set, leaving `first` unchanged, when the files cannot be
// joined correctly. Exposed for the tests; MergeNext calls it.
bool MergeMovie(sMP4MOVIE& first, sMP4MOVIE& next, std::string* error);

} // namespace playcore
