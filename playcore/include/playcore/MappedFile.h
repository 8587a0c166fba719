// A file opened read-only and read through memory-mapped windows. This is the
// source every tag scan runs over and the backing of a parsed movie: the file
// stays open while the object lives, and each window is mapped at an offset
// aligned down to the page size and unmapped when the window object goes away.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace playcore {

class MappedFile;

// One mapped view of a file. `data()` points at the requested file offset
// (the page alignment is hidden); `size()` bytes are readable from there,
// already clipped to the end of the file. Move-only; unmaps on destruction.
class MappedWindow {
public:
    MappedWindow() = default;
    ~MappedWindow();
    MappedWindow(MappedWindow&& other) noexcept;
    MappedWindow& operator=(MappedWindow&& other) noexcept;
    MappedWindow(const MappedWindow&) = delete;
    MappedWindow& operator=(const MappedWindow&) = delete;

    bool ok() const { return data_ != nullptr; }
    const uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    uint64_t offset() const { return offset_; } // file offset of data()
    // The system's text for the failure when the window could not be mapped.
    const std::string& error() const { return error_; }
    void Unmap();

private:
    friend class MappedFile;
    void* base_ = nullptr;
    std::size_t baseLength_ = 0;
    const uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    uint64_t offset_ = 0;
    std::string error_;
};

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens `path` read-only (others may read and write it meanwhile) and
    // records its size and the page size. A file already open is closed
    // first. On failure the object stays closed and `error` (when given)
    // receives the system's text.
    bool Open(const std::string& path, std::string* error = nullptr);
    void Close();
    bool isOpen() const { return fd_ >= 0; }

    const std::string& path() const { return path_; }
    uint64_t size() const { return size_; }
    uint64_t pageSize() const { return pageSize_; }

    // Maps `length` bytes from `offset`, clipped to the end of the file. A
    // window at or past the end of the file, of length 0, or one the system
    // refuses, is returned not ok() with the reason in error().
    MappedWindow Map(uint64_t offset, uint64_t length) const;

    // Copies up to `length` bytes from `offset` into `out` through a mapped
    // window; returns the number of bytes copied (0 at or past the end), or
    // -1 with `error` set when the window cannot be mapped.
    int64_t Read(uint64_t offset, void* out, uint64_t length, std::string* error = nullptr) const;

    // Serialises the scans of one file: every tag scan holds it for its whole
    // run (so callers must not hold it themselves while calling a scan).
    std::mutex& lock() { return lock_; }

    // Set by another thread to make a running scan stop at its next step; the
    // scan that sees it clears it and fails with ScanStatus::Cancelled.
    void RequestCancel() { cancel_.store(true); }
    void ClearCancel() { cancel_.store(false); }
    bool cancelRequested() const { return cancel_.load(); }
    // Reads and clears the request in one step.
    bool TakeCancel() { return cancel_.exchange(false); }

private:
    int fd_ = -1;
    std::string path_;
    uint64_t size_ = 0;
    uint64_t pageSize_ = 4096;
    std::mutex lock_;
    std::atomic<bool> cancel_{false};
};

} // namespace playcore
