// Every name test and the partner search on arbitrary names: no crash, no
// read outside the name, and results that agree with each other.
#include "playcore/RecordingNames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The first line is the name; further lines are the files "in its folder".
    const std::size_t eol = input.find('\n');
    const std::string name = input.substr(0, eol);
    std::vector<std::string> others;
    for (std::size_t at = eol; at != std::string::npos && at < input.size();) {
        const std::size_t next = input.find('\n', at + 1);
        others.push_back(input.substr(at + 1, next == std::string::npos ? next : next - at - 1));
        at = next;
    }

    using namespace playcore;
    const int code = TriggerCode(name);
    const bool main = IsMainFileName(name);
    const bool rear = IsRearFileName(name);
    const bool either = IsMainOrRearFileName(name);
    if ((main || rear) != either || (main && rear) || ((main || rear) && code == kNoTrigger)) {
        std::abort();
    }
    (void)IsCameraFileName(name);
    (void)IsJoinedFileName(name);
    (void)IsRecordingFileName(name);
    (void)IsRecordingFolderName(name);
    (void)TriggerLabel(name);
    (void)JoinCount(name);
    (void)StripJoinPrefix(name);
    (void)RecordingBaseName(name);
    (void)Utf16Length(name);
    (void)FirstUtf16Unit(name);
    uint32_t bits = 0;
    AddTriggerBits(name, bits);

    const FolderFileNames names(others);
    const std::string partner = FindPartnerFile("/card/" + name, &names);
    if (!partner.empty() && !names.Contains(FileNamePart(partner))) {
        std::abort();
    }
    return 0;
}
