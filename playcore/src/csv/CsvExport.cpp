#include "playcore/CsvExport.h"

#include "playcore/Mp4Movie.h"
#include "playcore/RecordingNames.h"
#include "playcore/UiText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

namespace fs = std::filesystem;

namespace {

// Column titles, in column order.
constexpr int kHeaderTextIds[] = {181, 182, 33, 41, 40, 42, 176, 36, 167, 168};

const std::string& MoviePath(const RecordingDescriptor& r) {
    return r.mainPath.empty() ? r.rearPath : r.mainPath;
}

std::string NameOrDash(const std::string& name) {
    return name.empty() ? "-" : name;
}

// The calendar fields normalised as a wall-clock time (no time zone, so no
// daylight-saving gap or overlap can move it).
bool NormalisedTime(const CalendarTime& t, std::tm* out) {
    if (t.year == 0 || t.month == 0 || t.day == 0) {
        return false;
    }
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    const time_t secs = ::timegm(&tm);
    if (secs == static_cast<time_t>(-1) && !(t.year == 1969 && t.month == 12 && t.day == 31)) {
        return false;
    }
    return ::gmtime_r(&secs, out) != nullptr;
}

uint64_t FileBytes(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    struct stat st {};
    const uint64_t size =
        (::fstat(fd, &st) == 0 && st.st_size > 0) ? static_cast<uint64_t>(st.st_size) : 0;
    ::close(fd);
    return size;
}

// Integer part of the 16.16 width in the first "tkhd" of the movie; -1 when
// the movie has no "stsz" or no usable track header.
int FirstTrackWidth(const sMP4MOVIE& movie) {
    if (movie.lists.stsz.empty() || movie.lists.tkhd.empty()) {
        return -1;
    }
    const std::vector<uint8_t>& p = movie.lists.tkhd.front()->payload;
    if (p.empty()) {
        return -1;
    }
    // Version 1 headers carry 64-bit times, which moves the width 12 bytes on.
    const std::size_t at = p[0] == 1 ? 88 : 76;
    if (p.size() < at + 2) {
        return -1;
    }
    return (p[at] << 8) | p[at + 1];
}

std::string Placeholder(const RecordingDescriptor& r) {
    return NameOrDash(r.mainName) + "," + NameOrDash(r.rearName) + ",-,-,-,-,-,fps,0MB,0MB\r\n";
}

} // namespace

double SnapCsvFrameRate(double rate) {
    if (rate >= 4.75 && rate < 5.25) {
        return 5.0;
    }
    if (rate >= 27.25 && rate < 27.75) {
        return 27.5;
    }
    if (rate >= 27.75 && rate < 28.25) {
        return 28.0;
    }
    return rate;
}

std::optional<CalendarTime> RecordingStartTime(const RecordingDescriptor& recording) {
    const std::string& path = MoviePath(recording);
    if (path.empty()) {
        return std::nullopt;
    }
    std::unique_ptr<sMP4MOVIE> movie = OpenMovieStructure(path);
    CalendarTime t;
    if (!movie || !GetStartDateTime(*movie, &t)) {
        return std::nullopt;
    }
    return t;
}

std::string CsvFileName(const CalendarTime& start) {
    std::tm tm{};
    if (!NormalisedTime(start, &tm)) {
        return {};
    }
    char buf[64];
    if (std::strftime(buf, sizeof buf, "Dv_%Y%m%d_%H%M%S.csv", &tm) == 0) {
        return {};
    }
    return buf;
}

std::string CsvHeaderLine() {
    std::string line;
    for (int id : kHeaderTextIds) {
        line += ui_text(id);
    }
    return line + "\r\n";
}

CsvMovieFacts ReadCsvMovieFacts(const RecordingDescriptor& recording) {
    CsvMovieFacts f;
    const std::string& path = MoviePath(recording);
    if (path.empty()) {
        return f;
    }
    {
        std::unique_ptr<sMP4MOVIE> movie = OpenMovieStructure(path);
        if (!movie) {
            return f;
        }
        f.movieRead = true;
        f.hasVideo = GetVideoSize(*movie).has_value();
        f.frameCount = static_cast<double>(GetFrameCount(*movie));
        f.frameRate = GetFrameRate(*movie);
        CalendarTime t;
        if (GetStartDateTime(*movie, &t)) {
            f.start = t;
        }
    } // released before the rear movie is opened
    if (!recording.rearPath.empty()) {
        std::unique_ptr<sMP4MOVIE> rear = OpenMovieStructure(recording.rearPath);
        if (rear) {
            f.rearWidth = FirstTrackWidth(*rear);
        }
    }
    f.mainBytes = FileBytes(recording.mainPath);
    f.rearBytes = FileBytes(recording.rearPath);
    return f;
}

std::string FormatCsvRow(const RecordingDescriptor& r, const CsvMovieFacts& f) {
    if (!f.movieRead || !f.hasVideo) {
        return Placeholder(r);
    }
    // A rate that is not a positive number makes the movie unusable; so
    // does a length of 1.5 s or less.
    if (!(f.frameRate > 0.0) || !std::isfinite(f.frameRate) ||
        !(f.frameCount / f.frameRate > 1.5)) {
        return Placeholder(r);
    }
    if (!f.start) {
        return Placeholder(r);
    }
    const double rate = SnapCsvFrameRate(f.frameRate);
    const double seconds = f.frameCount / rate;
    const long long s = seconds < 9.0e15 ? static_cast<long long>(seconds) : 0;
    char duration[64];
    std::snprintf(duration, sizeof duration, "%02lld:%02lld:%02lld", s / 3600, (s / 60) % 60,
                  s % 60);

    char date[32] = "--/--/--";
    char time[32] = "--:--:--";
    if (f.start->year != 0) {
        std::tm tm{};
        if (NormalisedTime(*f.start, &tm)) {
            std::snprintf(date, sizeof date, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                          tm.tm_mday);
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
        } else {
            // A month or day of 0 has no calendar meaning; show the fields.
            std::snprintf(date, sizeof date, "%04d/%02d/%02d", f.start->year, f.start->month,
                          f.start->day);
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", f.start->hour, f.start->minute,
                          f.start->second);
        }
    }
    const char* rearSize = f.rearWidth == 1920 ? "Full HD" : (f.rearWidth == 1280 ? "HD" : "-");
    char fps[64];
    std::snprintf(fps, sizeof fps, "%.1ffps", rate);
    char sizes[64];
    std::snprintf(sizes, sizeof sizes, "%lluMB,%lluMB\r\n",
                  static_cast<unsigned long long>(f.mainBytes >> 20),
                  static_cast<unsigned long long>(f.rearBytes >> 20));
    return NameOrDash(r.mainName) + "," + NameOrDash(r.rearName) + "," + date + "," + time + "," +
           duration + "," + TriggerLabel(DescriptorName(r)) + "," + rearSize + "," + fps + "," +
           sizes;
}

std::string CsvRow(const RecordingDescriptor& recording) {
    return FormatCsvRow(recording, ReadCsvMovieFacts(recording));
}

bool CsvFileExists(const RecordingDescriptor& first, const fs::path& folder) {
    const std::optional<CalendarTime> start = RecordingStartTime(first);
    if (!start) {
        return true;
    }
    const std::string name = CsvFileName(*start);
    if (name.empty()) {
        return true;
    }
    std::error_code ec;
    return fs::exists(folder / name, ec) || ec;
}

bool OpenCsvFile(const RecordingDescriptor& first, const fs::path& folder, CsvOutputFile& file) {
    const std::optional<CalendarTime> start = RecordingStartTime(first);
    if (!start) {
        return false;
    }
    const std::string name = CsvFileName(*start);
    if (name.empty() || !file.Create(folder / name)) {
        return false;
    }
    // Each title is converted (and limited) on its own, then the line end.
    if (!file.WritePieces({ui_text(181), ui_text(182), ui_text(33), ui_text(41), ui_text(40),
                           ui_text(42), ui_text(176), ui_text(36), ui_text(167), ui_text(168),
                           "\r\n"})) {
        file.Abandon();
        return false;
    }
    return true;
}

int CsvExportResult::messageTextId() const {
    switch (status) {
    case CsvExportStatus::Done:
        return kCsvTextDone;
    case CsvExportStatus::Cancelled:
        return 0;
    case CsvExportStatus::NoRecordings:
        return kCsvTextNoRecordings;
    case CsvExportStatus::FileExists:
        return kCsvTextFileExists;
    case CsvExportStatus::CannotCreate:
    case CsvExportStatus::RowFailed:
    case CsvExportStatus::WriteFailed:
        return kCsvTextCannotCreate;
    }
    return kCsvTextCannotCreate;
}

CsvExportResult ExportCsv(const fs::path& folder, const RecordingList& recordings,
                          const std::atomic<bool>* cancel,
                          const std::function<void(std::size_t, std::size_t)>& progress,
                          const CsvExportOptions& options) {
    CsvExportResult result;
    if (recordings.empty()) {
        result.status = CsvExportStatus::NoRecordings;
        return result;
    }
    CsvOutputFile file(options.charset);
    if (!OpenCsvFile(recordings.front(), folder, file)) {
        result.status = CsvExportStatus::CannotCreate;
        result.error =
            file.error().empty() ? "the first recording's start time cannot be read" : file.error();
        return result;
    }
    const std::size_t n = recordings.size();
    bool cancelled = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            cancelled = true;
            break;
        }
        const std::string row = CsvRow(recordings[i]);
        if (row.empty() || !file.WriteLine(row)) {
            result.status =
                file.diskFailed() ? CsvExportStatus::WriteFailed : CsvExportStatus::RowFailed;
            result.error = MoviePath(recordings[i]) + ": " + file.error();
            file.Abandon();
            return result;
        }
        ++result.rowsWritten;
        if (progress) {
            progress(i + 1, n);
        }
    }
    if (!file.Finish(options.replaceExisting)) {
        result.status =
            file.fileExisted() ? CsvExportStatus::FileExists : CsvExportStatus::WriteFailed;
        result.error = file.error();
        result.rowsWritten = 0;
        return result;
    }
    result.path = file.finalPath();
    result.status = cancelled ? CsvExportStatus::Cancelled : CsvExportStatus::Done;
    return result;
}

} // namespace playcore
