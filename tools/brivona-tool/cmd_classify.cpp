// brivona-tool classify: what the viewer makes of file names - the answer to
// "why is my file not listed?".
#include "RecordingJson.h"

#include "playcore/RecordingNames.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

const char* help_classify() {
    return "classify NAME... [--json]       show how file names are classified";
}

namespace {

using namespace playcore;

const char kUsage[] =
    "usage: brivona-tool classify NAME... [--json]\n"
    "For each name (or path) prints the results of the viewer's name tests:\n"
    "camera, joined, main, rear, mainOrRear, recordingFile, folder, trigger, label,\n"
    "joinCount, stripped, base, and a verdict saying why it is or is not listed.\n";

const char kTriggerLetters[] = "AGMPSORTU"; // by code

std::string Verdict(const std::string& arg) {
    const std::string_view name = FileNamePart(arg);
    if (IsRecordingFileName(arg)) {
        return IsMainFileName(name) ? "listed: main-camera recording file"
                                    : "listed: rear-camera recording file";
    }
    if (IsRecordingFolderName(name)) {
        return "recording folder name: shown in the tree when it holds complete recordings";
    }
    const int code = TriggerCode(name);
    if (code == kNoTrigger) {
        return "not listed: no trigger letter A, G, M, P or S before _M.MP4 or _R.MP4";
    }
    if (code >= 5) {
        return std::string("not listed: the trigger letter ") + kTriggerLetters[code] +
               " is known but not accepted in file names";
    }
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        const std::string_view ext = name.substr(dot);
        if (ext != ".MP4" && ext != ".mp4") {
            return "not listed: the extension must be MP4 or mp4 (mixed case is refused)";
        }
    }
    if (name.substr(0, 2) == "JN") {
        return "not listed: JN joined names are neither main nor rear files";
    }
    return "not listed: the name does not match NNN_HHMMSST_C.MP4 or JKnn_NNN_HHMMSST_C.MP4 "
           "(T = A G M P S, C = M or R)";
}

struct Row {
    std::string arg;
    bool camera, joined, main, rear, mainOrRear, recordingFile, folder;
    int trigger;
    std::string label;
    int joinCount;
    std::string stripped, base, verdict;
};

Row Classify(const std::string& arg) {
    const std::string_view name = FileNamePart(arg);
    Row r;
    r.arg = arg;
    r.camera = IsCameraFileName(name);
    r.joined = IsJoinedFileName(name);
    r.main = IsMainFileName(name);
    r.rear = IsRearFileName(name);
    r.mainOrRear = IsMainOrRearFileName(name);
    r.recordingFile = IsRecordingFileName(arg);
    r.folder = IsRecordingFolderName(name);
    r.trigger = TriggerCode(name);
    r.label = TriggerLabel(name);
    r.joinCount = JoinCount(name);
    r.stripped = StripJoinPrefix(name);
    r.base = RecordingBaseName(arg);
    r.verdict = Verdict(arg);
    return r;
}

const char* YesNo(bool b) {
    return b ? "yes" : "no";
}
} // namespace

int cmd_classify(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            names.emplace_back(argv[i]);
        }
    }
    if (names.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    JsonWriter out(2);
    if (json) {
        out.BeginArray();
    }
    for (const std::string& name : names) {
        const Row r = Classify(name);
        if (json) {
            out.BeginObject();
            out.Key("name").String(r.arg);
            out.Key("camera").Bool(r.camera);
            out.Key("joined").Bool(r.joined);
            out.Key("main").Bool(r.main);
            out.Key("rear").Bool(r.rear);
            out.Key("mainOrRear").Bool(r.mainOrRear);
            out.Key("recordingFile").Bool(r.recordingFile);
            out.Key("folder").Bool(r.folder);
            out.Key("trigger").Int(r.trigger);
            out.Key("label").String(r.label);
            out.Key("joinCount").Int(r.joinCount);
            out.Key("stripped").String(r.stripped);
            out.Key("base").String(r.base);
            out.Key("verdict").String(r.verdict);
            out.EndObject();
        } else {
            std::printf("%s: camera=%s joined=%s main=%s rear=%s mainOrRear=%s "
                        "recordingFile=%s folder=%s trigger=%d label=%s joinCount=%d "
                        "stripped=%s base=%s\n  %s\n",
                        r.arg.c_str(), YesNo(r.camera), YesNo(r.joined), YesNo(r.main),
                        YesNo(r.rear), YesNo(r.mainOrRear), YesNo(r.recordingFile), YesNo(r.folder),
                        r.trigger, r.label.empty() ? "-" : r.label.c_str(), r.joinCount,
                        r.stripped.c_str(), r.base.c_str(), r.verdict.c_str());
        }
    }
    if (json) {
        out.EndArray();
        std::printf("%s\n", out.str().c_str());
    }
    return 0;
}
