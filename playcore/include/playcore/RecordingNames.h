// The camera's file-name grammar and the tests built on it.
//
// The camera writes every recording as two files, NNN_HHMMSST_C.EXT (file
// number, start time of day, trigger letter T, camera letter C = M main or R
// rear, extension MP4 or mp4); the join command writes JKnn_ + such a name.
// Names and paths are UTF-8 strings. Every test looks at the file-name part
// only where it says so; the grammar is pure ASCII, so character positions
// are byte positions for every name that can pass a test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace playcore {

// Trigger codes of the trigger table; kNoTrigger for a name without one.
inline constexpr int kNoTrigger = -1;
inline constexpr int kTriggerContinuous = 0;     // A
inline constexpr int kTriggerImpact = 1;         // G
inline constexpr int kTriggerManual = 2;         // M
inline constexpr int kTriggerParking = 3;        // P
inline constexpr int kTriggerParkingImpact = 4;  // S
inline constexpr int kTriggerSpeedDevice = 5;    // O
inline constexpr int kTriggerRadar = 6;          // R
inline constexpr int kTriggerParkingT = 7;       // T, behaves as P
inline constexpr int kTriggerParkingImpactU = 8; // U, behaves as S

// The trigger code of a name: the first letter of A M G P S T U O R for which
// "<letter>_M.MP4" or "<letter>_R.MP4" occurs in the name, compared without
// regard to ASCII case; kNoTrigger when none does.
int TriggerCode(std::string_view name);

// Facts of one code of the trigger table. For kNoTrigger (or any code outside
// 0..8): text id 0, empty label, filter group -1 (always shown), bit 0.
int TriggerTextId(int code);            // id in the UI text table
const char* TriggerCodeLabel(int code); // that text (UTF-8)
int TriggerFilterGroup(int code);       // show-flag group 0..4, -1 when always shown
uint32_t TriggerBit(int code);          // folder-tree bit
bool IsParkingTrigger(int code);        // codes 3, 4, 7, 8

// Label of TriggerCode(name); empty when the name is shorter than 16
// characters (UTF-16 units, as the camera's tools count) or has no code.
std::string TriggerLabel(std::string_view name);

// ORs the folder-tree bit of the name's trigger into `bits`.
void AddTriggerBits(std::string_view name, uint32_t& bits);

// Three leading digits, '_' at index 3 and a trigger code.
bool IsCameraFileName(std::string_view name);
// "J[MRB]nn_NNN_" somewhere in the name and a trigger code.
bool IsJoinedFileName(std::string_view name);

// Whole-name matches of the camera and joined patterns (upper- or lower-case
// extension, never mixed) with a trigger code. The pattern admits the letters
// A P G S M _ only, so T, U, O and R names are never accepted.
bool IsMainFileName(std::string_view name);
bool IsRearFileName(std::string_view name);
bool IsMainOrRearFileName(std::string_view name);

// The test scanning applies to every file: the file-name part is a main or
// rear name and ends in a four-character extension ".mp4" in any case.
bool IsRecordingFileName(std::string_view path);

// "NNNNNNNN_NNN" (date and folder number) somewhere in the folder name.
bool IsRecordingFolderName(std::string_view name);

// Path of the other camera's file of the same recording, or "" when none
// exists. Tries the trigger letters A G M P S in that order, each first at
// the same second and then at +1, -1, +2, -2 ... +10, -10 seconds (the clock
// wraps at midnight going forward; times before midnight do not exist). The
// folder, the file number and a joined prefix stay as they are.
std::string FindPartnerFile(std::string_view path);

// The names of the files (not folders) of one folder, as a scan has just
// listed them. The scans answer the partner search from it instead of asking
// the file system for up to 105 candidate names per file.
class FolderFileNames {
public:
    FolderFileNames() = default;
    explicit FolderFileNames(std::vector<std::string> names);
    bool Contains(std::string_view name) const;

private:
    std::vector<std::string> sorted_;
};

// FindPartnerFile with the candidates (all in the folder of `path`) looked up
// in `names`; the file system's answer when `names` is null.
std::string FindPartnerFile(std::string_view path, const FolderFileNames* names);

// JKnn_...: nn; 1 for every other name.
int JoinCount(std::string_view name);
// The name without a leading "JKnn_", else unchanged.
std::string StripJoinPrefix(std::string_view name);
// The path without its camera suffix and extension ("_M.MP4") when the path
// contains one, else unchanged.
std::string RecordingBaseName(std::string_view path);

// The part after the last '/' (the whole string when there is none).
std::string_view FileNamePart(std::string_view path);

// Number of UTF-16 code units the UTF-8 text takes (invalid bytes count one
// each); used where names are measured in characters.
std::size_t Utf16Length(std::string_view text);
// The first UTF-16 code unit of the UTF-8 text (a high surrogate for
// characters beyond U+FFFF), 0 for an empty text.
uint16_t FirstUtf16Unit(std::string_view text);

} // namespace playcore
