// An output file that appears under its final name only when it is complete.
//
// Bytes go to a hidden temporary file in the target's folder; Commit() flushes
// it to the disk, renames it over the final name and syncs the folder, so a
// crash, a full disk or a pulled card never leaves a half-written file under
// the final name. Destroying an uncommitted file removes the temporary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace playcore {

class AtomicOutputFile {
public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Creates the temporary file beside finalPath. False with error() set when
    // the folder cannot be written.
    bool Open(const std::string& finalPath);

    bool Write(const void* data, size_t length);
    // Appends `length` bytes of `sourceFd` starting at `offset`, by the
    // kernel's copy_file_range where it can, else through a bounded buffer.
    bool CopyFrom(int sourceFd, uint64_t offset, uint64_t length);

    // Flushes, renames over the final name (replacing an existing file) and
    // syncs the folder.
    bool Commit();
    // Removes the temporary file; the final name is left as it was.
    void Abandon();

    uint64_t BytesWritten() const { return written_; }
    const std::string& error() const { return error_; }
    const std::string& temporaryPath() const { return tempPath_; }

private:
    bool Fail(const std::string& what);

    int fd_ = -1;
    uint64_t written_ = 0;
    std::string finalPath_;
    std::string tempPath_;
    std::string error_;
};

} // namespace playcore
