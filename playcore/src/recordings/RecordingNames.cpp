#include "playcore/RecordingNames.h"

#include "playcore/UiText.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <regex>
#include <sys/stat.h>

namespace playcore {
namespace {

struct TriggerRow {
    char letter;
    int code;
    int textId; // its label in the UI text table
    int filterGroup;
    uint32_t bit;
    bool parking;
};

// Indexed by code.
constexpr std::array<TriggerRow, 9> kTriggers = {{
    {'A', 0, 26, 0, 0x01, false},
    {'G', 1, 29, 1, 0x04, false},
    {'M', 2, 27, 2, 0x02, false},
    {'P', 3, 28, 3, 0x08, true},
    {'S', 4, 141, 4, 0x10, true},
    {'O', 5, 145, -1, 0x20, false},
    {'R', 6, 146, -1, 0x40, false},
    {'T', 7, 28, 3, 0x08, true},
    {'U', 8, 141, 4, 0x10, true},
}};

// The order in which TriggerCode tries the letters (by code).
constexpr std::array<int, 9> kSearchOrder = {0, 2, 1, 3, 4, 7, 8, 5, 6};

const TriggerRow* RowOf(int code) {
    if (code < 0 || code >= static_cast<int>(kTriggers.size())) {
        return nullptr;
    }
    return &kTriggers[static_cast<std::size_t>(code)];
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Case-insensitive (ASCII) substring search.
bool ContainsNoCase(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && AsciiUpper(text[i + k]) == AsciiUpper(needle[k])) {
            ++k;
        }
        if (k == needle.size()) {
            return true;
        }
    }
    return false;
}

// The compiled name patterns. Built once; std::regex is safe to use from
// several threads as long as it is not modified.
struct Patterns {
    static std::regex Make(const char* pattern) {
        return std::regex(pattern, std::regex::ECMAScript | std::regex::optimize);
    }
    // [camera letter set][0..3]: camera upper, camera lower, joined upper,
    // joined lower - the order in which the tests try them.
    std::array<std::regex, 4> main = {
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[M]{1,1}.MP4"),
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[M]{1,1}.mp4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[M]{1,1}.MP4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[M]{1,1}.mp4")};
    std::array<std::regex, 4> rear = {
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[R]{1,1}.MP4"),
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[R]{1,1}.mp4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[R]{1,1}.MP4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[R]{1,1}.mp4")};
    std::array<std::regex, 4> either = {
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[MR]{1,1}.MP4"),
        Make("[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[MR]{1,1}.mp4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[MR]{1,1}.MP4"),
        Make("J[MRBN]{1,1}[0-9]{2,2}_[0-9]{3,3}_[0-9]{6,6}[APGSM_]{1,1}_[MR]{1,1}.mp4")};
    std::regex joinedPrefix = Make("J[MRB]{1,1}[0-9]{2,2}_[0-9]{3,3}_");
    std::array<std::regex, 2> cameraSuffix = {Make("_[MR]{1,1}.MP4"), Make("_[MR]{1,1}.mp4")};
    std::regex folder = Make("[0-9]{8,8}_[0-9]{3,3}");
};

const Patterns& P() {
    static const Patterns patterns;
    return patterns;
}

bool Search(std::string_view text, const std::regex& re) {
    return std::regex_search(text.begin(), text.end(), re);
}

bool FullMatch(std::string_view text, const std::regex& re) {
    return std::regex_match(text.begin(), text.end(), re);
}

// Steps shared by the three camera tests: the underscore after the file
// number (index 8 in a joined name, 3 otherwise), a whole-name match of one
// of the four patterns, and a trigger code.
bool MatchesCameraTest(std::string_view name, const std::array<std::regex, 4>& patterns) {
    const std::size_t p = IsJoinedFileName(name) ? 8 : 3;
    if (name.size() > p && name[p] != '_') {
        return false;
    }
    bool matched = false;
    for (const std::regex& re : patterns) {
        if (FullMatch(name, re)) {
            matched = true;
            break;
        }
    }
    return matched && TriggerCode(name) != kNoTrigger;
}

bool IsMp4Extension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    // The extension runs to the end of the name, so "exactly the last four
    // characters" means it is four characters long.
    return name.size() - dot == 4 && ContainsNoCase(name.substr(dot), ".MP4");
}

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

void PutTwoDigits(std::string& text, std::size_t at, int value) {
    text[at] = static_cast<char>('0' + value / 10);
    text[at + 1] = static_cast<char>('0' + value % 10);
}

} // namespace

int TriggerCode(std::string_view name) {
    for (int code : kSearchOrder) {
        const char letter = kTriggers[static_cast<std::size_t>(code)].letter;
        const char main[] = {letter, '_', 'M', '.', 'M', 'P', '4'};
        const char rear[] = {letter, '_', 'R', '.', 'M', 'P', '4'};
        if (ContainsNoCase(name, std::string_view(main, sizeof main)) ||
            ContainsNoCase(name, std::string_view(rear, sizeof rear))) {
            return code;
        }
    }
    return kNoTrigger;
}

int TriggerTextId(int code) {
    const TriggerRow* row = RowOf(code);
    return row ? row->textId : 0;
}

const char* TriggerCodeLabel(int code) {
    const TriggerRow* row = RowOf(code);
    return row ? ui_text(row->textId) : "";
}

int TriggerFilterGroup(int code) {
    const TriggerRow* row = RowOf(code);
    return row ? row->filterGroup : -1;
}

uint32_t TriggerBit(int code) {
    const TriggerRow* row = RowOf(code);
    return row ? row->bit : 0;
}

bool IsParkingTrigger(int code) {
    const TriggerRow* row = RowOf(code);
    return row && row->parking;
}

std::string TriggerLabel(std::string_view name) {
    if (Utf16Length(name) < 16) {
        return {};
    }
    return TriggerCodeLabel(TriggerCode(name));
}

void AddTriggerBits(std::string_view name, uint32_t& bits) {
    bits |= TriggerBit(TriggerCode(name));
}

bool IsCameraFileName(std::string_view name) {
    if (name.size() < 4) {
        return false;
    }
    if (!IsDigit(name[0]) || !IsDigit(name[1]) || !IsDigit(name[2]) || name[3] != '_') {
        return false;
    }
    return TriggerCode(name) != kNoTrigger;
}

bool IsJoinedFileName(std::string_view name) {
    return Search(name, P().joinedPrefix) && TriggerCode(name) != kNoTrigger;
}

bool IsMainFileName(std::string_view name) {
    return MatchesCameraTest(name, P().main);
}
bool IsRearFileName(std::string_view name) {
    return MatchesCameraTest(name, P().rear);
}
bool IsMainOrRearFileName(std::string_view name) {
    return MatchesCameraTest(name, P().either);
}

bool IsRecordingFileName(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    return IsMainOrRearFileName(name) && IsMp4Extension(name);
}

bool IsRecordingFolderName(std::string_view name) {
    return Search(name, P().folder);
}

FolderFileNames::FolderFileNames(std::vector<std::string> names) : sorted_(std::move(names)) {
    std::sort(sorted_.begin(), sorted_.end());
}

bool FolderFileNames::Contains(std::string_view name) const {
    return std::binary_search(sorted_.begin(), sorted_.end(), name,
                              [](std::string_view a, std::string_view b) { return a < b; });
}

std::string FindPartnerFile(std::string_view path) {
    return FindPartnerFile(path, nullptr);
}

std::string FindPartnerFile(std::string_view path, const FolderFileNames* names) {
    const std::string_view name = FileNamePart(path);
    const std::size_t nameStart = path.size() - name.size();
    std::size_t timeAt = 0;
    if (IsCameraFileName(name)) {
        timeAt = 4;
    } else if (IsJoinedFileName(name)) {
        timeAt = 9;
    } else {
        return {};
    }
    // The trigger letter is the seventh and the camera letter the fifth
    // character from the end; both must lie after the time digits.
    if (name.size() < timeAt + 6 + 7) {
        return {};
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (!IsDigit(name[timeAt + i])) {
            return {};
        }
    }
    const char camera = path[path.size() - 5];
    if (camera != 'M' && camera != 'R') {
        return {};
    }
    const int t = TwoDigits(name, timeAt) * 3600 + TwoDigits(name, timeAt + 2) * 60 +
                  TwoDigits(name, timeAt + 4);

    std::string candidate(path);
    candidate[candidate.size() - 5] = camera == 'M' ? 'R' : 'M';
    auto exists = [&](const std::string& c) {
        return names != nullptr ? names->Contains(std::string_view(c).substr(nameStart))
                                : IsExistingFile(c);
    };
    const std::size_t timePos = nameStart + timeAt;
    const std::string originalTime = candidate.substr(timePos, 6);
    for (const char letter : {'A', 'G', 'M', 'P', 'S'}) {
        candidate[candidate.size() - 7] = letter;
        candidate.replace(timePos, 6, originalTime);
        if (exists(candidate)) {
            return candidate;
        }
        for (int step = 1; step <= 10; ++step) {
            for (const int offset : {step, -step}) {
                const int x = t + offset;
                if (x < 0) {
                    continue; // a time before midnight names no file
                }
                PutTwoDigits(candidate, timePos, (x / 3600) % 24);
                PutTwoDigits(candidate, timePos + 2, (x / 60) % 60);
                PutTwoDigits(candidate, timePos + 4, x % 60);
                if (exists(candidate)) {
                    return candidate;
                }
            }
        }
    }
    return {};
}

int JoinCount(std::string_view name) {
    if (name.empty() || name[0] != 'J') {
        return 1;
    }
    // Characters 2 and 3 as a decimal number (conversion stops at the first
    // character that is not a digit).
    const std::string digits(name.size() > 2 ? name.substr(2, 2) : std::string_view());
    return std::atoi(digits.c_str());
}

std::string StripJoinPrefix(std::string_view name) {
    if (name.size() > 4 && name[0] == 'J' && name[4] == '_') {
        return std::string(name.substr(5));
    }
    return std::string(name);
}

std::string RecordingBaseName(std::string_view path) {
    if (Search(path, P().cameraSuffix[0]) || Search(path, P().cameraSuffix[1])) {
        return std::string(path.substr(0, path.size() - 6));
    }
    return std::string(path);
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = 1;
        std::size_t u = 1;
        if (lead >= 0xF0 && lead < 0xF8) {
            len = 4;
            u = 2;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            len = 3;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            len = 2;
        }
        if (i + len > text.size()) {
            len = 1;
            u = 1;
        }
        units += u;
        i += len;
    }
    return units;
}

uint16_t FirstUtf16Unit(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto b0 = static_cast<unsigned char>(text[0]);
    auto cont = [&](std::size_t k) -> uint32_t {
        return k < text.size() ? static_cast<unsigned char>(text[k]) & 0x3Fu : 0u;
    };
    if (b0 < 0xC0) { // ASCII, or a stray continuation byte taken as it stands
        return b0;
    }
    if (b0 < 0xE0) {
        return static_cast<uint16_t>(((b0 & 0x1Fu) << 6) | cont(1));
    }
    if (b0 < 0xF0) {
        return static_cast<uint16_t>(((b0 & 0x0Fu) << 12) | (cont(1) << 6) | cont(2));
    }
    const uint32_t cp = ((b0 & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
    if (cp < 0x10000) {
        return static_cast<uint16_t>(cp);
    }
    return static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10));
}

} // namespace playcore
