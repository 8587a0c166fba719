// Names of joined files: folder + "/" + prefix + the first recording's name
// without its own join prefix. The prefix counts the recordings inside: the
// sum of the join counts of everything joined ("JM05_" for 1 + 3 + 1).
#pragma once

#include <string>
#include <vector>

namespace playcore {

enum class JoinMode { Main = 1, Rear = 2, Both = 3 };

struct JoinOutputNames {
    std::string mainOut; // empty when the main camera is not joined
    std::string rearOut; // empty when the rear camera is not joined
};

// `mainNames` / `rearNames`: file names (or paths) of the chosen recordings in
// order; an empty entry means that recording has no file of that camera. The
// first entry names the outputs.
JoinOutputNames MakeJoinOutputNames(const std::string& folder, JoinMode mode,
                                    const std::vector<std::string>& mainNames,
                                    const std::vector<std::string>& rearNames);

// "JM%02d_", "JR%02d_", "JB%02d_" (three digits from 100); `letter` is 'M',
// 'R', 'B' or, for an unknown mode, 'N'.
std::string JoinPrefix(char letter, int countSum);

} // namespace playcore
