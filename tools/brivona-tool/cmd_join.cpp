// brivona-tool join: joins consecutive recordings into one file per camera,
// losslessly and with their sensor records, named as the viewer names them.
#include "playcore/DiskSpace.h"
#include "playcore/JoinNames.h"
#include "playcore/MultiMovie.h"
#include "playcore/RecordingNames.h"
#include "playcore/UiText.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

const char* help_join() {
    return "join [--mode main|rear|both] [--yes] OUTFOLDER FILE...   join recordings losslessly";
}

namespace {

constexpr int kTextJoinFailed = 95;
constexpr int kTextJoinedExists = 183;

uint64_t SizeOf(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec) &&
           std::filesystem::equivalent(a, b, ec);
}

int Fail(const playcore::UiTexts& text, const std::string& why) {
    std::fprintf(stderr, "%s\n%s\n", text(kTextJoinFailed), why.c_str());
    return 1;
}

} // namespace

int cmd_join(int argc, char** argv) {
    using playcore::JoinMode;
    JoinMode mode = JoinMode::Both;
    bool yes = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--yes") {
            yes = true;
        } else if (a == "--mode" && i + 1 < argc) {
            const std::string m = argv[++i];
            if (m == "main") {
                mode = JoinMode::Main;
            } else if (m == "rear") {
                mode = JoinMode::Rear;
            } else if (m == "both") {
                mode = JoinMode::Both;
            } else {
                std::fprintf(stderr, "join: unknown mode '%s'\n", m.c_str());
                return 2;
            }
        } else if (a == "--help" || a == "-h") {
            std::printf("usage: brivona-tool %s\n", help_join());
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "join: unknown option '%s'\n", a.c_str());
            return 2;
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: brivona-tool %s\n", help_join());
        return 2;
    }
    const playcore::UiTexts text = playcore::UiTexts::FromEnvironment();
    const std::string folder = args[0];
    if (!std::filesystem::is_directory(folder)) {
        return Fail(text, "no such folder: " + folder);
    }

    // Each recording is named by either of its files; its partner is found as
    // the viewer finds it.
    std::vector<std::string> mains;
    std::vector<std::string> rears;
    uint64_t total = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& path = args[i];
        if (!std::filesystem::is_regular_file(path)) {
            return Fail(text, "no such file: " + path);
        }
        const std::string_view name = playcore::FileNamePart(path);
        std::string main;
        std::string rear;
        if (playcore::IsMainFileName(name)) {
            main = path;
            rear = playcore::FindPartnerFile(path);
        } else if (playcore::IsRearFileName(name)) {
            rear = path;
            main = playcore::FindPartnerFile(path);
        } else {
            return Fail(text, "not a recording file name: " + path);
        }
        if (mode == JoinMode::Rear) {
            main.clear();
        }
        if (mode == JoinMode::Main) {
            rear.clear();
        }
        total += SizeOf(main) + SizeOf(rear);
        mains.push_back(main);
        rears.push_back(rear);
    }
    if (mains.front().empty() && rears.front().empty()) {
        return Fail(text, "the first recording has no file of the chosen camera");
    }

    const playcore::JoinOutputNames out = playcore::MakeJoinOutputNames(folder, mode, mains, rears);
    if (total >= playcore::FreeSpaceOf(folder)) {
        return Fail(text, "not enough free space in " + folder);
    }
    for (size_t i = 0; i < mains.size(); ++i) {
        for (const std::string* o : {&out.mainOut, &out.rearOut}) {
            if (!o->empty() && (SameFile(*o, mains[i]) || SameFile(*o, rears[i]))) {
                return Fail(text, "the output would replace a recording being joined: " + *o);
            }
        }
    }
    const std::string& asked = !mains.front().empty() ? out.mainOut : out.rearOut;
    if (!yes && std::filesystem::exists(asked)) {
        std::fprintf(stderr, "%s\n%s\n", text(kTextJoinedExists), asked.c_str());
        return 2;
    }

    playcore::sMULTIMOVIE job;
    if (!playcore::OpenFirst(job, mains.front(), rears.front())) {
        return Fail(text, job.error);
    }
    for (size_t i = 1; i < mains.size(); ++i) {
        if (mains[i].empty() && rears[i].empty()) {
            continue;
        }
        if (!playcore::MergeNext(job, mains[i], rears[i])) {
            return Fail(text, job.error);
        }
    }
    const bool ok = playcore::WriteJoined(job, out.mainOut, out.rearOut, 100, [](int v, int t) {
        std::fprintf(stderr, "%d%%\n", t > 0 ? v * 100 / t : v);
    });
    if (!ok) {
        return Fail(text, job.error);
    }
    for (const std::string* o : {&out.mainOut, &out.rearOut}) {
        if (!o->empty() && std::filesystem::exists(*o)) {
            std::printf("%s\n", o->c_str());
        }
    }
    playcore::ReleaseJoin(job);
    return 0;
}
