// The fuzz input as a file: an anonymous in-memory file holding the bytes,
// reachable by path for the code that opens files by name. Closed when the
// object goes away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    MemoryFile(const char* name, const uint8_t* data, size_t size)
        : fd_(memfd_create(name, MFD_CLOEXEC)) {
        size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) {
                close(fd_);
                fd_ = -1;
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (fd_ >= 0) {
            path_ = "/proc/self/fd/" + std::to_string(fd_);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};
