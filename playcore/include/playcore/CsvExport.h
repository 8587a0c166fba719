// The CSV list of a source's recordings: one line per recording with both
// file names, date, start time, duration, trigger, rear picture size, frame
// rate and both file sizes. Written in the locale's character set with CR LF
// line ends, fields never quoted, into "Dv_%Y%m%d_%H%M%S.csv" named after the
// first recording's start. The body runs on a worker thread; the caller owns
// the folder prompt, the collection, the overwrite question and the message
// boxes, and writes FOLDERPATH/CSV_FOLDER after a completed export.
#pragma once

#include "playcore/CalendarTime.h"
#include "playcore/CsvOutputFile.h"
#include "playcore/RecordingDescriptor.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace playcore {

// Text ids of the messages the caller shows for the results below.
inline constexpr int kCsvTextNoRecordings = 101; // "動画ファイルがありません。"
inline constexpr int kCsvTextCannotCreate = 96;  // "CSVファイルが作成できません。"
inline constexpr int kCsvTextFileExists = 93; // "同名のファイルが存在します。続行しますか？"
inline constexpr int kCsvTextDone = 48;    // "完了しました。"
inline constexpr int kCsvTextPrompt = 103; // "出力先フォルダーを選択してください。"

// Frame rates the camera's clock makes slightly off: [4.75, 5.25) → 5,
// [27.25, 27.75) → 27.5, [27.75, 28.25) → 28; others unchanged.
double SnapCsvFrameRate(double rate);

// The start date and time of the recording: of its main file, or of its rear
// file when it has none (the first sensor record's date and time).
std::optional<CalendarTime> RecordingStartTime(const RecordingDescriptor& recording);

// "Dv_%Y%m%d_%H%M%S.csv" of the time (a wall-clock time; out-of-range fields
// are normalised). Empty for a time that has no calendar meaning (year 0,
// month 0, day 0).
std::string CsvFileName(const CalendarTime& start);

// The header line (ten column titles, CR LF), UTF-8.
std::string CsvHeaderLine();

// What a row says about one recording, as read from its files.
struct CsvMovieFacts {
    bool movieRead = false; // the movie structure of the main (else rear) file opened
    bool hasVideo = false;  // it has a video size
    double frameCount = -1.0;
    double frameRate = -1.0;           // as computed from the movie, before snapping
    std::optional<CalendarTime> start; // none when it cannot be read
    int rearWidth = -1;                // integer width of the rear movie's first track; -1: none
    uint64_t mainBytes = 0;            // 0 when the file does not open
    uint64_t rearBytes = 0;
};

// Reads the facts (opens the movie structures and the files afresh).
CsvMovieFacts ReadCsvMovieFacts(const RecordingDescriptor& recording);

// The line for the recording from its facts (UTF-8, CR LF included).
std::string FormatCsvRow(const RecordingDescriptor& recording, const CsvMovieFacts& facts);

// One line for the recording (UTF-8, CR LF included): the full row, or the
// placeholder row "<main>,<rear>,-,-,-,-,-,fps,0MB,0MB" when its movie cannot
// be read, has no video, lasts 1.5 s or less, or has no start time. Opens the
// movie structures and the files afresh every time.
std::string CsvRow(const RecordingDescriptor& recording);

// Whether the file that an export of a list starting with `first` would write
// exists in `folder`. True as well when the first recording's start time
// cannot be read (the answer is unknown, so the caller asks).
bool CsvFileExists(const RecordingDescriptor& first, const std::filesystem::path& folder);

// Names the file after `first`, creates it (under a temporary name, see
// CsvOutputFile) and writes the header. False when the start time of `first`
// cannot be read or the file cannot be created.
bool OpenCsvFile(const RecordingDescriptor& first, const std::filesystem::path& folder,
                 CsvOutputFile& file);

enum class CsvExportStatus {
    Done,         // every row written; the file is in place
    Cancelled,    // stopped by the cancel flag; the rows written so far are in place
    NoRecordings, // the list is empty (text 101)
    CannotCreate, // the first recording unreadable or the file not creatable (text 96)
    FileExists,   // replaceExisting was false and the file appeared meanwhile
    RowFailed,    // a row could not be made or converted, or is too long (text 96)
    WriteFailed,  // the disk refused the data (text 96)
};

struct CsvExportOptions {
    std::string charset;         // empty: the locale's
    bool replaceExisting = true; // the caller asked, or the file did not exist
};

struct CsvExportResult {
    CsvExportStatus status = CsvExportStatus::CannotCreate;
    std::filesystem::path path;  // the file, when it was put in place
    std::size_t rowsWritten = 0; // recording rows, header not counted
    std::string error;           // what failed, for the log
    // The UI text id of the message for this result (0 when none is shown:
    // Cancelled shows nothing, Done shows text 48).
    int messageTextId() const;
};

// The export of a collected list: names and opens the file after the first
// recording, writes the header and one row per recording in list order. The
// cancel flag is read before every row; the progress callback (may be empty)
// gets (rows done, total) after every row. On success or cancel the file is
// put in place under its final name (on cancel with the rows written so far);
// on any failure nothing is left under the final name and an existing file of
// that name is untouched.
CsvExportResult ExportCsv(const std::filesystem::path& folder, const RecordingList& recordings,
                          const std::atomic<bool>* cancel,
                          const std::function<void(std::size_t, std::size_t)>& progress,
                          const CsvExportOptions& options = {});

} // namespace playcore
