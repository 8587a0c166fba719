// The viewer's persisted settings: the file "Default_Folder.ini" in the start
// directory (the working directory captured at start-up, handed in by the
// caller). Every call opens the file afresh, so the functions can be used
// from any thread and several running copies share one file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace playcore {

// Sections and keys, spelled as stored in the file.
namespace settings {
inline constexpr char kFileName[] = "Default_Folder.ini";

inline constexpr char kDisplay[] = "DISPLAY";
inline constexpr char kInfoCheck[] = "INFOCHECK";
inline constexpr char kAspect[] = "ASPECT";
inline constexpr char kVolume[] = "VOLUME";
inline constexpr char kModelSelect[] = "MODELSELECT";

inline constexpr char kDecode[] = "DECODE";
inline constexpr char kHw[] = "HW";

inline constexpr char kFolderPath[] = "FOLDERPATH";
inline constexpr char kCsvFolder[] = "CSV_FOLDER";
inline constexpr char kConnectFolder[] = "CONNECT_FOLDER";
inline constexpr char kConvertFolder[] = "CONVERT_FOLDER";
inline constexpr char kSnapshotFolder[] = "SNAPSHOT_FOLDER";

inline constexpr char kSource[] = "SOURCE";
inline constexpr char kSelect[] = "SELECT";
inline constexpr char kSd[] = "SD";
inline constexpr char kFolder[] = "FOLDER";
inline constexpr char kFile[] = "FILE";

// Longest value a read returns, in characters (the classic 260-character
// buffer with its terminator).
inline constexpr std::size_t kMaxValueChars = 259;

inline constexpr int kDefaultVolume = 65535;
} // namespace settings

// <startDir>/Default_Folder.ini
std::filesystem::path SettingsFilePath(const std::filesystem::path& startDir);

// Whether the settings file exists; its absence at start-up means first run.
bool SettingsFileExists(const std::filesystem::path& startDir);

// The stored value, or "" when the file, the section or the key is missing
// or the file cannot be read. Sections and keys match without regard to
// case; the value is cut to its first 259 characters (UTF-8 sequences are
// never split).
std::string ReadSetting(const std::filesystem::path& startDir, std::string_view section,
                        std::string_view key);

// Stores the value and returns whether it reached the disk. The file is
// replaced atomically (sibling temporary file, fsync, rename), so a crash or
// a full disk leaves either the old or the new file, never a truncated one.
// Refuses (false, file untouched) texts that would break the file's lines
// and files it cannot read back first.
bool WriteSetting(const std::filesystem::path& startDir, std::string_view section,
                  std::string_view key, std::string_view value);

// WriteSetting with the number written as "%d".
bool WriteSettingNumber(const std::filesystem::path& startDir, std::string_view section,
                        std::string_view key, int value);

// The classic decimal parse of a setting: leading blanks, an optional sign,
// then digits up to the first non-digit; no digits give 0; values beyond the
// int range saturate.
int ParseSettingDecimal(std::string_view text);

// DISPLAY/VOLUME: "" gives 65535, anything else its decimal value, kept
// within 0..65535.
int VolumeFromSetting(std::string_view text);

// DISPLAY/MODELSELECT: the decimal value when it is 0, 1 or 2, else 0 (none).
int ModelSelectFromSetting(std::string_view text);

// DECODE/HW: hardware decoding only for exactly "on".
bool HardwareDecodeFromSetting(std::string_view text);

// First run: writes DISPLAY/INFOCHECK=31, DISPLAY/ASPECT=on and
// DISPLAY/VOLUME=65535 (which creates the file). Returns whether all three
// writes succeeded.
bool WriteFirstRunDefaults(const std::filesystem::path& startDir);

// What the main window reads from the settings while it starts.
struct StartupSettings {
    bool fileExisted = false;    // false on first run: the product must be asked for
    bool hardwareDecode = false; // DECODE/HW == "on"
    int volume = settings::kDefaultVolume;
    int modelSelect = 0; // DISPLAY/MODELSELECT; 0 on first run until chosen
};

// The start-up sequence on the settings: notes whether the file exists,
// writes the first-run defaults when it does not, then reads DECODE/HW,
// DISPLAY/VOLUME and (when the file existed) DISPLAY/MODELSELECT.
StartupSettings LoadStartupSettings(const std::filesystem::path& startDir);

} // namespace playcore
