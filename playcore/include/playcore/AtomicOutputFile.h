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
    struct Options {
        // Permission bits of the new file; negative: 0666 less the process's
        // umask, as a plain create would give.
        int mode = -1;
        // A file being replaced passes its permission bits on to the new one.
        bool keepExistingMode = false;
        // A final name that is a symbolic link stays a link: the file it
        // names is the one replaced (finalPath() then names that file).
        bool followSymlink = false;
    };

    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Creates the temporary file beside finalPath. False with error() set when
    // the folder cannot be written (or a link to follow cannot be resolved).
    bool Open(const std::string& finalPath) { return Open(finalPath, Options{}); }
    bool Open(const std::string& finalPath, const Options& options);

    bool Write(const void* data, size_t length);
    // Appends `length` bytes of `sourceFd` starting at `offset`, by the
    // kernel's copy_file_range where it can, else through a bounded buffer.
    // The source must allow positioned reads (a regular or a /proc file).
    bool CopyFrom(int sourceFd, uint64_t offset, uint64_t length);

    // Flushes, renames to the final name and syncs the folder. An existing
    // file of that name is replaced, unless `replaceExisting` is false: then
    // it is left alone, the commit fails and finalExisted() is set. A failed
    // commit removes the temporary.
    bool Commit(bool replaceExisting = true);
    // Removes the temporary file; the final name is left as it was.
    void Abandon();

    bool isOpen() const { return fd_ >= 0; }
    // Whether the last commit failed because the final name was taken.
    bool finalExisted() const { return existed_; }
    uint64_t BytesWritten() const { return written_; }
    const std::string& error() const { return error_; }
    const std::string& finalPath() const { return finalPath_; }
    const std::string& temporaryPath() const { return tempPath_; }

private:
    bool Fail(const std::string& what);
    bool FailAndAbandon(const std::string& what);

    int fd_ = -1;
    uint64_t written_ = 0;
    bool existed_ = false;
    Options options_;
    std::string finalPath_;
    std::string tempPath_;
    std::string error_;
};

} // namespace playcore
