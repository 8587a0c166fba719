// The file an export writes: lines are converted to the locale's character
// set and go to a hidden temporary file beside the final name; Finish()
// flushes it to the disk and gives it its final name, so a failure or a full
// disk never leaves a half-written file under that name (and never harms an
// existing file of that name). Destroying an unfinished file removes the
// temporary.
#pragma once

#include "playcore/AtomicOutputFile.h"
#include "playcore/CharsetEncoder.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace playcore {

class CsvOutputFile {
public:
    // Longest line, in bytes after conversion and with its line end (the
    // classic 260-byte buffer with its terminator).
    static constexpr std::size_t kMaxLineBytes = 259;

    explicit CsvOutputFile(std::string charset = {}) : encoder_(std::move(charset)) {}
    ~CsvOutputFile();
    CsvOutputFile(const CsvOutputFile&) = delete;
    CsvOutputFile& operator=(const CsvOutputFile&) = delete;

    // Creates the temporary file for `finalPath`. False with error() set when
    // the folder cannot be written or the character set is unknown.
    bool Create(const std::filesystem::path& finalPath);

    // Converts `line` (UTF-8, its line end included) and appends it. A line
    // longer than kMaxLineBytes after conversion is refused, not cut.
    bool WriteLine(std::string_view line);
    // Converts and appends the pieces of one line, each of which must fit in
    // kMaxLineBytes on its own.
    bool WritePieces(std::initializer_list<std::string_view> pieces);

    // Flushes the data to the disk and renames the file to its final name,
    // replacing an existing file unless `replaceExisting` is false (then an
    // existing file makes it fail with fileExisted() set).
    bool Finish(bool replaceExisting = true);
    // Removes the temporary file.
    void Abandon();

    bool isOpen() const { return out_.isOpen(); }
    bool fileExisted() const { return out_.finalExisted(); }
    // Whether the last failure came from the disk (rather than from a line
    // that could not be converted or was too long).
    bool diskFailed() const { return diskFailed_; }
    std::size_t linesWritten() const { return lines_; }
    const std::filesystem::path& finalPath() const { return finalPath_; }
    const std::string& temporaryPath() const { return out_.temporaryPath(); }
    const std::string& charset() const { return encoder_.charset(); }
    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& what, bool disk);

    CharsetEncoder encoder_;
    AtomicOutputFile out_;
    std::size_t lines_ = 0;
    bool diskFailed_ = false;
    std::filesystem::path finalPath_;
    std::string error_;
};

} // namespace playcore
