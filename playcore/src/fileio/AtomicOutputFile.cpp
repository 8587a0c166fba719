#include "playcore/AtomicOutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

// The process's umask without changing it (umask() would, and writers run on
// several threads at once): Linux reports it in /proc/self/status.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
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

bool AtomicOutputFile::FailAndAbandon(const std::string& what) {
    Fail(what);
    Abandon();
    return false;
}

bool AtomicOutputFile::Open(const std::string& finalPath, const Options& options) {
    Abandon();
    options_ = options;
    written_ = 0;
    existed_ = false;
    error_.clear();
    finalPath_ = finalPath;
    std::error_code ec;
    if (options.followSymlink && std::filesystem::is_symlink(finalPath, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(finalPath, ec);
        if (ec) {
            error_ = "cannot follow the link " + finalPath + ": " + ec.message();
            return false;
        }
        finalPath_ = resolved.string();
    }
    const std::string folder = FolderOf(finalPath_);
    std::string pattern =
        (std::filesystem::path(folder) /
         ("." + std::filesystem::path(finalPath_).filename().string() + ".XXXXXX"))
            .string();
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        return Fail("cannot create a file in " + folder);
    }
    tempPath_ = pattern;
    // mkostemp creates 0600; the output should carry the mode a plain create
    // (or the caller) gives.
    const mode_t mode =
        options.mode >= 0 ? static_cast<mode_t>(options.mode) & 07777 : 0666 & ~CurrentUmask();
    if (::fchmod(fd_, mode) != 0) {
        return FailAndAbandon("cannot set the mode of " + tempPath_);
    }
    return true;
}

bool AtomicOutputFile::Write(const void* data, size_t length) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("the file is not open");
    }
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd_, p, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail("cannot write " + tempPath_);
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
        return Fail("the file is not open");
    }
    off_t in = static_cast<off_t>(offset);
    while (length > 0) {
        const size_t chunk = length < kCopyWindow ? static_cast<size_t>(length) : kCopyWindow;
        const ssize_t n = copy_file_range(sourceFd, &in, fd_, nullptr, chunk, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
            errno != EBADF) {
            return Fail("cannot copy into " + tempPath_);
        }
        if (n <= 0) {
            // File systems that cannot (or that report nothing copied, as
            // some pseudo files do): copy through memory, which also tells
            // a source that really ended early.
            break;
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
            return Fail("cannot read the source of " + tempPath_);
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

bool AtomicOutputFile::Commit(bool replaceExisting) {
    existed_ = false;
    if (fd_ < 0) {
        errno = EBADF;
        return Fail("the file is not open");
    }
    if (options_.keepExistingMode) {
        struct stat st {};
        if (::stat(finalPath_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::fchmod(fd_, st.st_mode & 07777) != 0) {
            return FailAndAbandon("cannot set the mode of " + tempPath_);
        }
    }
    if (::fsync(fd_) != 0) {
        return FailAndAbandon("cannot write " + tempPath_);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        return FailAndAbandon("cannot write " + tempPath_);
    }
    int r = 0;
    if (replaceExisting) {
        r = std::rename(tempPath_.c_str(), finalPath_.c_str());
    } else {
        r = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, finalPath_.c_str(),
                        RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // The file system cannot refuse by itself: test first.
            std::error_code ec;
            if (std::filesystem::exists(finalPath_, ec)) {
                errno = EEXIST;
            } else {
                r = std::rename(tempPath_.c_str(), finalPath_.c_str());
            }
        }
    }
    if (r != 0) {
        existed_ = !replaceExisting && errno == EEXIST;
        return FailAndAbandon("cannot create " + finalPath_);
    }
    tempPath_.clear();
    // The rename is durable only once the folder itself is on the disk.
    const int dirFd = ::open(FolderOf(finalPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
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
