// Read-only file access through page-aligned memory-mapped windows.
#include "playcore/MappedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

MappedWindow::~MappedWindow() {
    Unmap();
}

MappedWindow::MappedWindow(MappedWindow&& other) noexcept {
    *this = std::move(other);
}

MappedWindow& MappedWindow::operator=(MappedWindow&& other) noexcept {
    if (this != &other) {
        Unmap();
        base_ = other.base_;
        baseLength_ = other.baseLength_;
        data_ = other.data_;
        size_ = other.size_;
        offset_ = other.offset_;
        error_ = std::move(other.error_);
        other.base_ = nullptr;
        other.baseLength_ = 0;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

void MappedWindow::Unmap() {
    if (base_ != nullptr) {
        munmap(base_, baseLength_);
    }
    base_ = nullptr;
    baseLength_ = 0;
    data_ = nullptr;
    size_ = 0;
}

MappedFile::~MappedFile() {
    Close();
}

bool MappedFile::Open(const std::string& path, std::string* error) {
    Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISREG(st.st_mode) ? errno : EINVAL;
        if (error != nullptr) {
            *error = std::strerror(err);
        }
        ::close(fd);
        return false;
    }
    long page = sysconf(_SC_PAGESIZE);
    fd_ = fd;
    path_ = path;
    size_ = static_cast<uint64_t>(st.st_size);
    pageSize_ = page > 0 ? static_cast<uint64_t>(page) : 4096;
    return true;
}

void MappedFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
    size_ = 0;
}

MappedWindow MappedFile::Map(uint64_t offset, uint64_t length) const {
    MappedWindow w;
    w.offset_ = offset;
    if (fd_ < 0) {
        w.error_ = std::strerror(EBADF);
        return w;
    }
    if (offset >= size_ || length == 0) {
        w.error_ = std::strerror(EINVAL);
        return w;
    }
    // Clip to the end of the file, then widen to the page boundary below.
    uint64_t avail = size_ - offset;
    uint64_t len = length < avail ? length : avail;
    uint64_t aligned = offset - offset % pageSize_;
    uint64_t delta = offset - aligned;
    uint64_t mapLen = len + delta;
    if (mapLen > static_cast<uint64_t>(SIZE_MAX)) {
        w.error_ = std::strerror(ENOMEM);
        return w;
    }
    // A file cut short since it was opened (a card pulled, a file rewritten)
    // would fault on access to the missing pages; refuse such a window.
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        w.error_ = std::strerror(errno);
        return w;
    }
    if (static_cast<uint64_t>(st.st_size) < offset + len) {
        w.error_ = std::strerror(EIO);
        return w;
    }
    void* base = mmap(nullptr, static_cast<std::size_t>(mapLen), PROT_READ, MAP_SHARED, fd_,
                      static_cast<off_t>(aligned));
    if (base == MAP_FAILED) {
        w.error_ = std::strerror(errno);
        return w;
    }
    w.base_ = base;
    w.baseLength_ = static_cast<std::size_t>(mapLen);
    w.data_ = static_cast<const uint8_t*>(base) + delta;
    w.size_ = static_cast<std::size_t>(len);
    return w;
}

int64_t MappedFile::Read(uint64_t offset, void* out, uint64_t length, std::string* error) const {
    if (offset >= size_ || length == 0) {
        return 0;
    }
    MappedWindow w = Map(offset, length);
    if (!w.ok()) {
        if (error != nullptr) {
            *error = w.error();
        }
        return -1;
    }
    std::memcpy(out, w.data(), w.size());
    return static_cast<int64_t>(w.size());
}

} // namespace playcore
