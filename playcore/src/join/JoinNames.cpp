#include "playcore/JoinNames.h"

#include "playcore/RecordingNames.h"

#include <cstdio>

namespace playcore {

std::string JoinPrefix(char letter, int countSum) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "J%c%02d_", letter, countSum);
    return buf;
}

JoinOutputNames MakeJoinOutputNames(const std::string& folder, JoinMode mode,
                                    const std::vector<std::string>& mainNames,
                                    const std::vector<std::string>& rearNames) {
    const bool withMain = mode != JoinMode::Rear;
    const bool withRear = mode != JoinMode::Main;
    int mainSum = 0;
    int rearSum = 0;
    for (const std::string& n : mainNames) {
        if (withMain && !n.empty()) {
            mainSum += JoinCount(FileNamePart(n));
        }
    }
    for (const std::string& n : rearNames) {
        if (withRear && !n.empty()) {
            rearSum += JoinCount(FileNamePart(n));
        }
    }
    char letterMain = 'M';
    char letterRear = 'R';
    if (mode == JoinMode::Both) {
        letterMain = letterRear = 'B';
    }
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    JoinOutputNames out;
    if (withMain && !mainNames.empty() && !mainNames.front().empty()) {
        out.mainOut = base + JoinPrefix(letterMain, mainSum) +
                      StripJoinPrefix(FileNamePart(mainNames.front()));
    }
    if (withRear && !rearNames.empty() && !rearNames.front().empty()) {
        out.rearOut = base + JoinPrefix(letterRear, rearSum) +
                      StripJoinPrefix(FileNamePart(rearNames.front()));
    }
    return out;
}

} // namespace playcore
