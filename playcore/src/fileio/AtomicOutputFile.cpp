#include "playcore/AtomicOutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace playcore {

namespace {

// A window as large as the reader's media-data copy window keeps the number
// of system calls small without holding more than this in memory.
constexpr size_t kCopyWindow = 32u * 1024u * 1024u;
constexpr size_t kFallbackBuffer = 4u * 1024u * 1024u;

std::string FolderOf(const std::string& path) {
    const std::filesystem::path p(path);
    const std::filesystem::path parent = p.parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

} // namespace

AtomicOutputFile::~AtomicOutputFile() {
    Abandon();
}

bool AtomicOutputFile::Fail(const std::string& what) {
    const int e = errno;
    error_ = what + ": " + std::strerror(e);
    return false;
}

bool AtomicOutputFile::Open(const std::string& finalPath) {
    Abandon();
    finalPath_ = finalPath;
    const std::filesystem::path p(finalPath);
    std::string pattern =
        (std::filesystem::path(FolderOf(finalPath)) / ("." + p.filename().string() + ".XXXXXX"))
            .string();
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        return Fail("cannot create a file in " + FolderOf(finalPath));
    }
    tempPath_ = pattern;
    // mkostemp creates 0600; a recording copy should carry the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    written_ = 0;
    error_.clear();
    return true;
}

bool AtomicOutputFile::Write(const void* data, size_t length) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("write");
    }
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd_, p, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail("write " + tempPath_);
        }
        p += n;
        length -= static_cast<size_t>(n);
        written_ += static_cast<uint64_t>(n);
    }
    return true;
}

bool AtomicOutputFile::CopyFrom(int sourceFd, uint64_t offset, uint64_t length) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("copy");
    }
    off_t in = static_cast<off_t>(offset);
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        const size_t chunk = length < kCopyWindow ? static_cast<size_t>(length) : kCopyWindow;
        const ssize_t n = copy_file_range(sourceFd, &in, fd_, nullptr, chunk, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                errno == EBADF) {
                kernelCopy = false; // file systems that cannot: copy through memory
                break;
            }
            return Fail("copy into " + tempPath_);
        }
        if (n == 0) {
            errno = EIO;
            return Fail("source ended early while copying into " + tempPath_);
        }
        length -= static_cast<uint64_t>(n);
        written_ += static_cast<uint64_t>(n);
    }
    if (length == 0) {
        return true;
    }
    std::vector<char> buffer(length < kFallbackBuffer ? static_cast<size_t>(length)
                                                      : kFallbackBuffer);
    while (length > 0) {
        const size_t chunk = length < buffer.size() ? static_cast<size_t>(length) : buffer.size();
        const ssize_t n = pread(sourceFd, buffer.data(), chunk, in);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail("read source");
        }
        if (n == 0) {
            errno = EIO;
            return Fail("source ended early while copying into " + tempPath_);
        }
        if (!Write(buffer.data(), static_cast<size_t>(n))) {
            return false;
        }
        in += n;
        length -= static_cast<uint64_t>(n);
    }
    return true;
}

bool AtomicOutputFile::Commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("commit");
    }
    if (fsync(fd_) != 0) {
        const bool ok = Fail("flush " + tempPath_);
        Abandon();
        return ok;
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        const bool ok = Fail("close " + tempPath_);
        Abandon();
        return ok;
    }
    fd_ = -1;
    if (std::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
        const bool ok = Fail("rename to " + finalPath_);
        Abandon();
        return ok;
    }
    tempPath_.clear();
    // The rename is durable only once the folder itself is on the disk.
    const int dirFd = ::open(FolderOf(finalPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void AtomicOutputFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

} // namespace playcore
